// Import and export from the main window: shortcuts, picture buttons, browse mode, and a
// run through the main window's table and search.
#include "exchange/export_window.h"
#include "exchange/import_window.h"
#include "platform/modal.h"
#include "window_fixture.h"

#include "test_registry.h"

#include <QAction>
#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

namespace
{

void addCoins(dbase::Table &t)
{
    for (const char *country : {"France", "Spain", "France"}) {
        t.append();
        t.setAsString(0, country);
        t.post();
    }
}

} // namespace

class ExchangeCommandTests : public QObject
{
    Q_OBJECT
private slots:
    void init() { modal::clear(); }

    void commands_data()
    {
        QTest::addColumn<bool>("browse");
        QTest::newRow("normal") << false;
        QTest::newRow("browse mode") << true;
    }
    void commands()
    {
        QFETCH(bool, browse);
        WindowFixture f({}, browse ? QStringList{QStringLiteral("/BROWSE")} : QStringList{});
        QAction *import = f.w->action(QStringLiteral("MenuImport"));
        QAction *exportAction = f.w->action(QStringLiteral("MenuExport"));
        QCOMPARE(import->shortcut(), QKeySequence(QStringLiteral("Ctrl+M")));
        QCOMPARE(exportAction->shortcut(), QKeySequence(QStringLiteral("Ctrl+T")));
        QCOMPARE(import->isEnabled(), !browse);
        QCOMPARE(f.find<QToolButton>("ImportSpeed")->isEnabled(), !browse);
        QVERIFY(exportAction->isEnabled());
        QVERIFY(f.find<QToolButton>("ExportSpeed")->isEnabled());

        QString shown;
        modal::enqueue(
            [&](QDialog *d) { shown = d->objectName() + QLatin1Char(':') + d->windowTitle(); });
        f.find<QToolButton>("ExportSpeed")->click();
        QCOMPARE(shown, QStringLiteral("TMyExport:Export"));
        if (!browse) {
            modal::enqueue(
                [&](QDialog *d) { shown = d->objectName() + QLatin1Char(':') + d->windowTitle(); });
            f.find<QToolButton>("ImportSpeed")->click();
            QCOMPARE(shown, QStringLiteral("TImportFormat:Import Format"));
        }
    }

    // An export of everything while a search is on leaves the search on, with its count.
    void exportEverythingKeepsSearch()
    {
        WindowFixture f(addCoins);
        f.w->database().searchTest = [](const dbase::Table &t) {
            return t.asString(0) == "France";
        };
        f.w->EnableEndSearch();
        f.w->database().table().refilter();
        f.w->DisplayCount();
        QCOMPARE(f.w->database().table().recordCount(), 2);
        const QString path = f.dir.filePath(QStringLiteral("ALL.TXT"));
        modal::enqueue([&](QDialog *d) {
            d->findChild<QRadioButton *>(QStringLiteral("ExportEntire"))->setChecked(true);
            f.prompts.answer(path);
            qobject_cast<TMyExport *>(d)->StartExportButtonClick();
        });
        f.w->action(QStringLiteral("MenuExport"))->trigger();
        QCOMPARE(f.prompts.asked().last().text, QStringLiteral("Export Complete."));
        QCOMPARE(readBytes(path).count('\n'), 4); // the labels and three coins
        QVERIFY(f.w->database().searchOn());
        QCOMPARE(f.w->database().table().recordCount(), 2);
    }

    // An import through the main window adds the coins and shows the new count.
    void importCounts()
    {
        WindowFixture f(addCoins);
        const QString path = f.dir.filePath(QStringLiteral("IN.TXT"));
        writeBytes(path, "\"Country\"\r\n\"Italy\"\r\n\"Malta\"\r\n");
        f.prompts.answer(path);
        modal::enqueue([](QDialog *d) { qobject_cast<TImportFormat *>(d)->FileButtonClick(); });
        modal::enqueue([](QDialog *d) { qobject_cast<TMyImport *>(d)->StartButtonClick(); });
        f.w->action(QStringLiteral("MenuImport"))->trigger();
        QCOMPARE(f.prompts.asked().last().text, QStringLiteral("Import Complete."));
        QCOMPARE(f.w->database().table().recordCount(), 5);
        QCOMPARE(f.find<QLabel>("CountLabel")->text(), QStringLiteral("5"));
    }
};

REGISTER_TEST(ExchangeCommandTests)
#include "tst_commands.moc"
