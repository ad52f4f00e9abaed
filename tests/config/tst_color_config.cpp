// The colour configuration dialog on a real database: predefined sets, role buttons through
// the colour chooser, OK per target and Cancel, with the schemes read back from the
// database's settings file.
#include "config/color_config.h"
#include "db/coin_database.h"
#include "platform/ini_file.h"
#include "platform/prompts.h"
#include "test_files.h"
#include "test_registry.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace
{

const char *const kSections[5] = {"Main Window Color", "Edit Window Color", "Search Window Color",
                                  "Report Window Color", "Configure Window Color"};

int rgb(int r, int g, int b)
{
    return r + 256 * g + 65536 * b;
}

// A new database, opened, with its settings file written once.
struct OpenDatabase {
    QTemporaryDir dir;
    CoinDatabase db;
    int repaints = 0;

    OpenDatabase()
    {
        useDirectories(dir.path());
        QDir().mkpath(dir.path() + QStringLiteral("/home"));
        QDir().mkpath(dir.path() + QStringLiteral("/conf"));
        const QString path = dir.path() + QStringLiteral("/COINS.DBF");
        if (!db.makeNew(path) || !db.openAtStart(path)) qFatal("database not opened");
    }
    ColorConfigContext context()
    {
        ColorConfigContext c = colorConfigContext(db);
        c.repaintMain = [this] { ++repaints; };
        return c;
    }
    int stored(colors::Target target, const char *key) const
    {
        return IniFile(db.settingsFilePath())
            .intValue(QLatin1String(kSections[static_cast<int>(target)]), QLatin1String(key), -1);
    }
};

void choose(TColorConfig &dialog, int entry)
{
    auto *sets = dialog.findChild<QComboBox *>(QStringLiteral("ColorSets"));
    QVERIFY(sets);
    sets->setCurrentIndex(entry);
    emit sets->activated(entry);
}

void click(TColorConfig &dialog, const char *button)
{
    auto *b = dialog.findChild<QPushButton *>(QLatin1String(button));
    QVERIFY(b);
    b->click();
}

QColor background(TColorConfig &dialog, const char *name,
                  QPalette::ColorRole role = QPalette::Window)
{
    auto *w = dialog.findChild<QWidget *>(QLatin1String(name));
    return w ? w->palette().color(role) : QColor();
}

} // namespace

class ColorConfigTests : public QObject
{
    Q_OBJECT
private slots:
    void listsTheTwelveSets()
    {
        OpenDatabase d;
        TColorConfig dialog(d.context(), colors::Target::Main);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Color Configuration"));
        auto *sets = dialog.findChild<QComboBox *>(QStringLiteral("ColorSets"));
        QVERIFY(sets);
        QCOMPARE(sets->count(), 13);
        QCOMPARE(sets->itemText(0), QString());
        QCOMPARE(sets->itemText(1), QStringLiteral("Monochrome"));
        QCOMPARE(sets->itemText(9), QStringLiteral("Wine"));
        QCOMPARE(sets->itemText(12), QStringLiteral("Camouflage"));
        QCOMPARE(dialog.findChild<QLineEdit *>(QStringLiteral("EditBox"))->text(),
                 QStringLiteral("Sample Text"));
    }

    // "Wine" and OK for the edit window: the editor's scheme takes the set, nothing else.
    void wineForTheEditWindow()
    {
        OpenDatabase d;
        TColorConfig dialog(d.context(), colors::Target::Edit);
        dialog.FormShow();
        choose(dialog, 9);
        // The dialog shows the set at once.
        QCOMPARE(dialog.palette().color(QPalette::Window), QColor(128, 0, 64));
        QCOMPARE(background(dialog, "EditBox", QPalette::Base), QColor(128, 0, 128));
        click(dialog, "Ok");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        QCOMPARE(d.stored(colors::Target::Edit, "Main Background"), rgb(128, 0, 64));
        QCOMPARE(d.stored(colors::Target::Edit, "Combo Background"), rgb(128, 0, 128));
        QCOMPARE(d.stored(colors::Target::Edit, "Combo Text"), rgb(255, 0, 0));
        QCOMPARE(d.stored(colors::Target::Edit, "Check Text"), rgb(255, 0, 255));
        for (auto other : {colors::Target::Main, colors::Target::Search, colors::Target::Report,
                           colors::Target::Configure}) {
            QCOMPARE(d.stored(other, "Main Background"), rgb(192, 192, 192));
            QCOMPARE(d.stored(other, "Combo Background"), rgb(255, 255, 255));
        }
        QCOMPARE(d.repaints, 0); // the editor shows it the next time it opens
    }

    // The empty entry after a set keeps the set's colours.
    void emptyEntryKeepsTheSet()
    {
        OpenDatabase d;
        TColorConfig dialog(d.context(), colors::Target::Search);
        dialog.FormShow();
        choose(dialog, 7);
        choose(dialog, 0);
        QVERIFY(dialog.working().colors == colors::predefined(7).colors);
        click(dialog, "Ok");
        QCOMPARE(d.stored(colors::Target::Search, "Main Background"), rgb(255, 0, 0));
        QCOMPARE(d.stored(colors::Target::Search, "Edit Text"), rgb(255, 0, 0));
    }

    // All windows start from the main window's scheme and end equal; the main window is
    // repainted at once.
    void allWindowsStartFromTheMainScheme()
    {
        OpenDatabase d;
        auto &schemes = d.db.settings().schemes;
        schemes[0] = colors::predefined(3);
        schemes[1] = colors::predefined(10);
        ScriptedPrompts prompts;
        prompts.answer(QColor(10, 20, 30));
        TColorConfig dialog(d.context(), colors::Target::AllWindows);
        dialog.FormShow();
        QVERIFY(dialog.working().colors == colors::predefined(3).colors);
        click(dialog, "EditBoxBack");
        // The chooser started from the role's colour (Midnight Black's grey edit boxes).
        QCOMPARE(prompts.asked().size(), 1);
        QCOMPARE(prompts.asked().at(0).kind, QStringLiteral("color"));
        QCOMPARE(prompts.asked().at(0).text, QColor(127, 127, 127).name());
        QCOMPARE(background(dialog, "EditBox", QPalette::Base), QColor(10, 20, 30));
        click(dialog, "Ok");

        QCOMPARE(d.repaints, 1);
        for (int t = 0; t < 5; ++t) {
            const auto target = colors::Target(t);
            QCOMPARE(d.stored(target, "Edit Background"), rgb(10, 20, 30));
            QCOMPARE(d.stored(target, "Main Background"), 0);
            QCOMPARE(d.stored(target, "Minor Title"), rgb(255, 255, 255));
            QVERIFY(schemes[std::size_t(t)].colors == dialog.working().colors);
        }
    }

    // A cancelled chooser changes nothing; Cancel after choosing colours leaves every
    // scheme as it was, in memory and on disk.
    void cancelLeavesEverySchemeAsBefore()
    {
        OpenDatabase d;
        QVERIFY(d.db.saveSettings(d.db.settingsFilePath()));
        QFile file(d.db.settingsFilePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        file.close();
        const auto schemesBefore = d.db.settings().schemes;

        ScriptedPrompts prompts;
        TColorConfig dialog(d.context(), colors::Target::Main);
        dialog.FormShow();
        click(dialog, "MainBack"); // unanswered: the chooser is cancelled
        QVERIFY(dialog.working().colors == schemesBefore[0].colors);
        prompts.answer(QColor(Qt::blue));
        click(dialog, "ListText");
        QCOMPARE(dialog.working().colors[ColorScheme::ListBoxText], rgb(0, 0, 255));
        choose(dialog, 4);
        click(dialog, "Cancel");
        QCOMPARE(dialog.result(), int(QDialog::Rejected));

        QCOMPARE(d.repaints, 0);
        for (std::size_t t = 0; t < 5; ++t)
            QVERIFY(d.db.settings().schemes[t].colors == schemesBefore[t].colors);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
    }
};

REGISTER_TEST(ColorConfigTests)
#include "tst_color_config.moc"
