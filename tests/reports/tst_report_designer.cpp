// The report designer through its real dialogs (questions answered by ScriptedPrompts, the
// nested forms reached through the modal queue): the definition window's checks, width
// changes, saving and deleting in NUMAROK.URP; the layout picture's hit test and painting;
// the part editor; and a report designed, saved and printed to a text file.
#include "app/settings.h"
#include "config/color_scheme.h"
#include "db/coin_database.h"
#include "db/coin_schema.h"
#include "dbase/table.h"
#include "platform/help_window.h"
#include "platform/modal.h"
#include "platform/prompts.h"
#include "platform/regional.h"
#include "report_tests.h"
#include "reports/engine/printers.h"
#include "reports/ready_made.h"
#include "reports/report_designer.h"
#include "reports/report_file.h"
#include "reports/report_layout.h"
#include "reports/report_preview.h"
#include "reports/report_windows.h"
#include "test_files.h"
#include "test_registry.h"
#include "ui/window_options.h"

#include <QCheckBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

using namespace reports;

namespace
{

// A program directory with the five ready-made reports, a coin table of make_coins.py with
// four coins, and the report selection window's context.
struct Fixture {
    QTemporaryDir dir{QStringLiteral("/tmp/wt18-designer-XXXXXX")};
    ScriptedPrompts prompts;
    CoinDatabase db;
    dbase::Table &table = db.table();
    Settings &settings = db.settings();
    RegionalSettings regional;
    double factor = 1.0;

    Fixture()
    {
        useDirectories(dir.path());
        QDir().mkpath(dir.path() + QStringLiteral("/home"));
        ReportFile().append(reporttest::readyMadeReports());
        if (!reporttest::makeCoins(dir.path(), QStringLiteral("small"), table))
            qFatal("make_coins.py failed");
        reporttest::useDefaultFieldNames(settings.fieldNames);
        settings.sortLevels[0] = 0;
    }

    ReportContext context()
    {
        ReportContext c{db, regional, [] {}, [] {}, {}};
        if (factor != 1.0) {
            const double k = factor;
            c.place = [k](QWidget *w) { windowopts::scale(w, k); };
            c.scaleFactor = [k] { return k; };
        }
        return c;
    }

    DesignerContext designer() { return DesignerContext{settings, {}, factor, nullptr, {}}; }

    QByteArray file() const { return readBytes(ReportFile::defaultPath()); }
    QByteArray record(int k) const { return file().mid(k * kRecordSize, kRecordSize); }
};

// A definition of `width` characters whose line 1 holds items of the given widths (a field,
// then labels).
ReportDefinition withLine(const QString &name, int width, const QList<int> &widths)
{
    ReportDefinition d;
    d.setNewDefaults();
    d.setName(name);
    d.setWidth(width);
    d.clearLine(1, 0);
    for (int i = 0; i < widths.size(); ++i)
        d.setItem(1, i + 1,
                  i == 0 ? Item{QStringLiteral("Country"), 1, widths[i], QString()}
                         : Item{kLabelKind, 0, widths[i], QStringLiteral("L%1").arg(i + 1)});
    return d;
}

QList<int> widthsOf(const ReportDefinition &d, int line)
{
    QList<int> out;
    for (int i = 1; i <= d.usedItems(line); ++i)
        out << d.itemWidth(line, i);
    return out;
}

TUserReport *designerOf(QDialog *d)
{
    auto *u = qobject_cast<TUserReport *>(d);
    if (!u) qFatal("the designer did not open");
    return u;
}

// Clicks a point of the layout picture.
void clickAt(QDialog *layout, int x, int y)
{
    QTest::mouseClick(layout, Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
}

// The part editor's action: choose a kind, a width, a label text or a list row, then Ok.
enum class Kind { Filler, Label, Field };
modal::Action partAction(Kind kind, const QString &width, const QString &label = QString(),
                         int row = -1, QString *selected = nullptr)
{
    return [=](QDialog *d) {
        auto *p = qobject_cast<TReportPart *>(d);
        QVERIFY(p);
        if (selected) *selected = p->SelPartLabel->text();
        (kind == Kind::Filler  ? p->RadioFiller
         : kind == Kind::Label ? p->RadioLabel
                               : p->RadioField)
            ->click();
        p->FieldWidth->setText(width);
        if (kind == Kind::Label) p->LabelName->setText(label);
        if (kind == Kind::Field) p->FieldList->setCurrentRow(row);
        p->OkButton->click();
    };
}

// The centre of a cell of the layout picture at factor 1.
QPoint cellCentre(const TRepLayout *layout, int line, int item)
{
    const LayoutPicture pic = layout->picture();
    const int modelLine = line == kTotalsRow ? kTotalsLine : line;
    const auto cells = pic.cells(layout->copy(), modelLine);
    const auto &c = cells[item - 1];
    const int top =
        line == kTotalsRow ? pic.totalsTop() : pic.bodyTop() + (line - 1) * pic.rowHeight();
    return {(c.left + c.right) / 2, top + pic.rowHeight() / 2};
}

} // namespace

class DesignerTests : public QObject
{
    Q_OBJECT

private slots:
    void init() { modal::clear(); }
    void cleanup() { modal::clear(); }

    // "&Update" with 13 lines shows the range notice and keeps the dialog open; 0 is saved.
    void numberOfLines_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("saved");
        QTest::newRow("13 refused") << "13" << false;
        QTest::newRow("not a number") << "x" << false;
        QTest::newRow("-1 refused") << "-1" << false;
        QTest::newRow("0 accepted") << "0" << true;
        QTest::newRow("12 accepted") << "12" << true;
        QTest::newRow("blank and 5") << " 5" << true;
    }
    void numberOfLines()
    {
        QFETCH(QString, typed);
        QFETCH(bool, saved);
        Fixture f;
        const QByteArray before = f.file();
        TMyReport w(f.context());
        w.FormShow();
        w.ReportBox->setCurrentRow(1);
        bool open = false;
        QString focused;
        modal::enqueue([&](QDialog *d) {
            TUserReport *u = designerOf(d);
            u->NumLines->setText(typed);
            u->UpdateButton->click();
            open = u->isVisible();
            if (QWidget *fw = u->focusWidget()) focused = fw->objectName();
        });
        w.DoModify();
        if (saved) {
            QVERIFY(!open);
            QVERIFY(f.prompts.asked().isEmpty());
            ReportDefinition d;
            QVERIFY(ReportFile().read(1, d));
            QCOMPARE(d.numberOfLines(), typed.trimmed().toInt());
            QCOMPARE(ReportFile().count(), 5);
        } else {
            QVERIFY(open);
            QCOMPARE(f.prompts.askedTexts(),
                     QStringList{QStringLiteral(
                         "Number of lines must be in range of 0 to 12.  Please correct.")});
            QCOMPARE(f.prompts.asked().first().caption, QStringLiteral("Notice"));
            QCOMPARE(f.prompts.asked().first().icon, Prompts::Icon::Warning);
            QVERIFY(f.prompts.asked().first().beep);
            QCOMPARE(focused, QStringLiteral("NumLines"));
            QCOMPARE(f.file(), before);
        }
    }

    // The same check stands before "&Specify Report Content".
    void specifyChecksTheLines()
    {
        Fixture f;
        ReportDefinition::shared().setNewDefaults();
        TUserReport u(f.designer(), true, -1);
        u.NumLines->setText(QStringLiteral("13"));
        bool opened = false;
        modal::enqueue([&opened](QDialog *) { opened = true; });
        u.SpecifyButtonClick();
        QVERIFY(!opened);
        QCOMPARE(f.prompts.askedTexts().size(), 1);
        modal::clear();
    }

    // Leaving the number of lines stores it and enables the one-line options below 2.
    void lineOptionsFollowTheNumberOfLines()
    {
        Fixture f;
        ReportDefinition::shared().setNewDefaults();
        TUserReport u(f.designer(), true, -1);
        QVERIFY(u.ColumnHeaders->isEnabled());
        u.NumLines->setText(QStringLiteral(" 3 "));
        u.NumLinesExit();
        QCOMPARE(u.NumLines->text(), QStringLiteral("3"));
        QCOMPARE(ReportDefinition::shared().numberOfLines(), 3);
        for (QCheckBox *c : {u.ColumnHeaders, u.HorzLines, u.VertLines})
            QVERIFY(!c->isEnabled());
        u.NumLines->setText(QStringLiteral("1"));
        u.NumLinesExit();
        for (QCheckBox *c : {u.ColumnHeaders, u.HorzLines, u.VertLines})
            QVERIFY(c->isEnabled());
    }

    // Margins show two decimals; text that is not a number becomes 0 and shows as 0.00.
    void margins_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<double>("stored");
        QTest::newRow("plain") << "0.7"
                               << "0.70" << 0.7;
        QTest::newRow("comma") << "1,25"
                               << "1.25" << 1.25;
        QTest::newRow("letters") << "abc"
                                 << "0.00" << 0.0;
        QTest::newRow("empty") << ""
                               << "0.00" << 0.0;
        QTest::newRow("too wide") << "99"
                                  << "20.00" << 20.0;
        QTest::newRow("negative") << "-1"
                                  << "0.00" << 0.0;
    }
    void margins()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(double, stored);
        Fixture f;
        ReportDefinition::shared().setNewDefaults();
        TUserReport u(f.designer(), true, -1);
        QCOMPARE(u.TopMargin->text(), QStringLiteral("0.50"));
        QCOMPARE(u.LeftMargin->maxLength(), 5);
        u.LeftMargin->setText(typed);
        u.MarginExit(u.LeftMargin);
        QCOMPARE(u.LeftMargin->text(), shown);
        u.LeftMargin->setText(typed);
        u.SaveOutVars();
        QCOMPARE(ReportDefinition::shared().leftMargin(), stored);
        QCOMPARE(ReportDefinition::shared().topMargin(), 0.5);
    }

    // Every control is filled from the buffer, with its caption and object name.
    void filledFromTheBuffer()
    {
        Fixture f;
        ReportDefinition &d = ReportDefinition::shared();
        d = withLine(QStringLiteral("Wide"), 150, {100, 50});
        d.setTitle(2, QStringLiteral("Second"));
        d.setLandscape(true);
        d.setGroupLevel1(false);
        d.setNumberOfLines(4);
        d.setRightMargin(1.5);
        FontBlock body = d.font(FontKind::Body);
        body.face = QStringLiteral("Arial");
        body.size = 6;
        d.setFont(FontKind::Body, body);
        TUserReport u(f.designer(), false, 0);
        QCOMPARE(u.windowTitle(), QStringLiteral("Report Definition"));
        QCOMPARE(u.ReportName->text(), QStringLiteral("Wide"));
        QCOMPARE(u.ReportName->maxLength(), 30);
        QCOMPARE(u.Title2->text(), QStringLiteral("Second"));
        QCOMPARE(u.Title1->maxLength(), 80);
        QVERIFY(u.Chars150->isChecked());
        QVERIFY(u.LandOrient->isChecked());
        QVERIFY(!u.Level1Group->isChecked());
        QVERIFY(!u.Level2Group->isEnabled());
        QCOMPARE(u.NumLines->text(), QStringLiteral("4"));
        QCOMPARE(u.NumLines->maxLength(), 2);
        QVERIFY(!u.ColumnHeaders->isEnabled());
        QCOMPARE(u.RightMargin->text(), QStringLiteral("1.50"));
        QCOMPARE(u.RepBodyDataFont->text(), QStringLiteral("Arial 6pt"));
        QCOMPARE(u.TitleLineFont->text(), QStringLiteral("Courier New 10pt"));
        QVERIFY(u.TitleLineFont->isReadOnly());
        QVERIFY(u.DeleteButton->isEnabled());
        QCOMPARE(u.focusWidget(), u.ReportName);
        const QList<QPair<QString, QString>> captions{
            {QStringLiteral("Chars90"), QStringLiteral("90 Chars")},
            {QStringLiteral("Level1Group"), QStringLiteral("Group by Level 1 Sort")},
            {QStringLiteral("Level2Group"), QStringLiteral("Group by Level 2 Sort")},
            {QStringLiteral("HorzLines"), QStringLiteral("Horizontal Lines")},
            {QStringLiteral("VertLines"), QStringLiteral("Vertical Lines")},
            {QStringLiteral("DateOnPage"), QStringLiteral("Date On Pages")},
            {QStringLiteral("PageNumbers"), QStringLiteral("Page Numbers")},
            {QStringLiteral("LandOrient"), QStringLiteral("Print Landscape")},
            {QStringLiteral("UseTotals"), QStringLiteral("Use Totals")},
            {QStringLiteral("SpecifyButton"), QStringLiteral("&Specify Report Content")},
            {QStringLiteral("SetFonts"), QStringLiteral("&Set Fonts")},
            {QStringLiteral("UpdateButton"), QStringLiteral("&Update")},
            {QStringLiteral("DeleteButton"), QStringLiteral("&Delete")}};
        for (const auto &[name, caption] : captions) {
            auto *b = u.findChild<QAbstractButton *>(name);
            QVERIFY2(b, qPrintable(name));
            QCOMPARE(b->text(), caption);
        }
    }

    // Group by Level 2 follows Group by Level 1; with level 1 off both are stored off.
    void groupingBoxes()
    {
        Fixture f;
        ReportDefinition::shared().setNewDefaults();
        TUserReport u(f.designer(), true, -1);
        u.Level2Group->click();
        QVERIFY(u.Level2Group->isChecked());
        u.Level1Group->click();
        QVERIFY(!u.Level2Group->isEnabled());
        u.SaveOutVars();
        QVERIFY(!ReportDefinition::shared().groupLevel1());
        QVERIFY(!ReportDefinition::shared().groupLevel2());
        u.Level1Group->click();
        QVERIFY(u.Level2Group->isEnabled());
        u.SaveOutVars();
        QVERIFY(ReportDefinition::shared().groupLevel2());
    }

    // Renaming: Yes appends a copy and leaves the old record's bytes, No renames in place,
    // Cancel writes nothing and keeps the dialog open.
    void rename_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("selected");
        QTest::newRow("yes saves as new") << int(QMessageBox::Yes) << 6 << 5;
        QTest::newRow("no overwrites") << int(QMessageBox::No) << 5 << 2;
        QTest::newRow("cancel writes nothing") << int(QMessageBox::Cancel) << 5 << 2;
    }
    void rename()
    {
        QFETCH(int, answer);
        QFETCH(int, count);
        QFETCH(int, selected);
        Fixture f;
        const QByteArray before = f.file();
        const QByteArray old = f.record(2);
        TMyReport w(f.context());
        w.FormShow();
        w.ReportBox->setCurrentRow(2);
        f.prompts.answer(answer);
        bool open = false;
        modal::enqueue([&](QDialog *d) {
            TUserReport *u = designerOf(d);
            u->ReportName->setText(QStringLiteral("Renamed Report"));
            u->ReportNameExit();
            u->UpdateButton->click();
            open = u->isVisible();
        });
        w.DoModify();
        QCOMPARE(f.prompts.askedTexts(),
                 QStringList{QStringLiteral(
                     "Report Title has changed!  Do you wish to save this as a new report?   "
                     "(YES saves as new report.  NO overwrites old report.  CANCEL aborts.)")});
        QCOMPARE(f.prompts.asked().first().caption, QStringLiteral("Warning"));
        QCOMPARE(f.prompts.asked().first().icon, Prompts::Icon::Error);
        QCOMPARE(f.prompts.asked().first().buttons,
                 QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(ReportFile().count(), count);
        QCOMPARE(w.ReportBox->count(), count);
        QCOMPARE(w.ReportBox->currentRow(), selected);
        if (answer == QMessageBox::Cancel) {
            QVERIFY(open);
            QCOMPARE(f.file(), before);
            QCOMPARE(w.ReportBox->item(2)->text(), QStringLiteral("Three Line Report"));
            return;
        }
        QVERIFY(!open);
        QCOMPARE(w.ReportBox->item(selected)->text(), QStringLiteral("Renamed Report"));
        ReportDefinition saved;
        QVERIFY(ReportFile().read(selected, saved));
        QCOMPARE(saved.name(), QStringLiteral("Renamed Report"));
        if (answer == QMessageBox::Yes) {
            QCOMPARE(f.record(2), old);
            QCOMPARE(f.file().left(5 * kRecordSize), before);
            // The copy holds the old record's layout under the new name.
            ReportDefinition original;
            original.setBytes(old);
            QCOMPARE(saved.numberOfLines(), original.numberOfLines());
            QCOMPARE(saved.item(1, 1), original.item(1, 1));
        } else {
            QCOMPARE(f.file().size(), before.size());
            QCOMPARE(f.record(1), before.mid(kRecordSize, kRecordSize));
            QCOMPARE(f.record(3), before.mid(3 * kRecordSize, kRecordSize));
        }
    }

    // A new report is appended, listed at the end and selected.
    void newReportIsAppended()
    {
        Fixture f;
        TMyReport w(f.context());
        w.FormShow();
        w.ReportBox->setCurrentRow(0);
        modal::enqueue([](QDialog *d) {
            TUserReport *u = designerOf(d);
            QVERIFY(!u->DeleteButton->isEnabled());
            u->ReportName->setText(QStringLiteral("Fresh"));
            u->UpdateButton->click();
        });
        w.DoNew();
        QVERIFY(f.prompts.asked().isEmpty());
        QCOMPARE(ReportFile().names().last(), QStringLiteral("Fresh"));
        QCOMPARE(w.ReportBox->count(), 6);
        QCOMPARE(w.ReportBox->currentRow(), 5);
        QCOMPARE(w.ReportBox->currentItem()->text(), QStringLiteral("Fresh"));
    }

    // While the name differs from the opening name "&Delete" is disabled.
    void deleteDisabledWhileTheNameDiffers()
    {
        Fixture f;
        ReportFile().read(3, ReportDefinition::shared());
        TUserReport u(f.designer(), false, 3);
        QVERIFY(u.DeleteButton->isEnabled());
        u.ReportName->setText(QStringLiteral("Other"));
        QVERIFY(!u.DeleteButton->isEnabled());
        u.ReportNameExit();
        QVERIFY(!u.DeleteButton->isEnabled());
        u.ReportName->setText(u.openingName());
        u.ReportNameExit();
        QVERIFY(u.DeleteButton->isEnabled());
    }

    // Delete asks first; Yes removes the record and refreshes the list, No keeps it.
    void deleteAsks_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("yes") << int(QMessageBox::Yes);
        QTest::newRow("no") << int(QMessageBox::No);
    }
    void deleteAsks()
    {
        QFETCH(int, answer);
        Fixture f;
        const QByteArray before = f.file();
        TMyReport w(f.context());
        w.FormShow();
        w.ReportBox->setCurrentRow(1);
        f.prompts.answer(answer);
        modal::enqueue([](QDialog *d) { designerOf(d)->DeleteButton->click(); });
        w.DoModify();
        QCOMPARE(f.prompts.askedTexts(),
                 QStringList{QStringLiteral("Are you sure you want to delete this report?")});
        QCOMPARE(f.prompts.asked().first().caption, QStringLiteral("Warning"));
        QCOMPARE(f.prompts.asked().first().icon, Prompts::Icon::Question);
        QCOMPARE(f.prompts.asked().first().defaultButton, QMessageBox::No);
        if (answer == QMessageBox::No) {
            QCOMPARE(f.file(), before);
            QCOMPARE(w.ReportBox->count(), 5);
            return;
        }
        QCOMPARE(f.file(), before.left(kRecordSize) + before.mid(2 * kRecordSize));
        QCOMPARE(w.ReportBox->count(), 4);
        QCOMPARE(w.ReportBox->item(1)->text(), ReportFile().names().at(1));
    }

    // Another copy of the program removed a report while this one was open in the
    // designer: the report now at its index is another one, and neither Delete nor Update
    // may destroy it.
    void deleteAfterTheFileChanged()
    {
        Fixture f;
        TMyReport w(f.context());
        w.FormShow();
        w.ReportBox->setCurrentRow(3);
        f.prompts.answer(int(QMessageBox::Yes));
        QByteArray changed;
        modal::enqueue([&](QDialog *d) {
            QVERIFY(ReportFile().remove(1)); // the other copy
            changed = f.file();
            designerOf(d)->DeleteButton->click();
        });
        w.DoModify();
        QCOMPARE(f.file(), changed);
        QCOMPARE(f.prompts.askedTexts(),
                 (QStringList{QStringLiteral("Are you sure you want to delete this report?"),
                              QStringLiteral("Report format could not be located.")}));
        QCOMPARE(w.ReportBox->count(), 4);
    }
    void updateAfterTheFileChanged()
    {
        Fixture f;
        const QStringList names = ReportFile().names();
        TMyReport w(f.context());
        w.FormShow();
        w.ReportBox->setCurrentRow(3);
        QByteArray changed;
        modal::enqueue([&](QDialog *d) {
            QVERIFY(ReportFile().remove(1)); // the other copy
            changed = f.file();
            TUserReport *u = designerOf(d);
            u->PageNumbers->setChecked(!u->PageNumbers->isChecked());
            u->UpdateButton->click();
        });
        w.DoModify();
        QVERIFY(f.prompts.asked().isEmpty());
        // Every report of the changed file stays; the one designed is added after them.
        QCOMPARE(f.file().left(changed.size()), changed);
        QCOMPARE(ReportFile().names(),
                 (QStringList{names[0], names[2], names[3], names[4], names[3]}));
        QCOMPARE(w.ReportBox->count(), 5);
        QCOMPARE(w.ReportBox->currentRow(), 4);
    }

    // A record that cannot be read is not opened in the designer.
    void modifyOfAMissingRecord()
    {
        Fixture f;
        TMyReport w(f.context());
        w.FormShow();
        w.ReportBox->setCurrentRow(4);
        writeBytes(ReportFile::defaultPath(), f.file().left(3 * kRecordSize));
        bool opened = false;
        modal::enqueue([&opened](QDialog *) { opened = true; });
        w.DoModify();
        QVERIFY(!opened);
        QCOMPARE(f.prompts.askedTexts(),
                 QStringList{QStringLiteral("Report format could not be located.")});
        QCOMPARE(f.file().size(), 3 * kRecordSize);
    }

    // A save that fails says why and keeps the dialog open with everything typed.
    void saveFailureKeepsTheDialogOpen()
    {
        Fixture f;
        TMyReport w(f.context());
        w.FormShow();
        w.ReportBox->setCurrentRow(0);
        QFile::remove(ReportFile::defaultPath());
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), ReportFile::defaultPath()));
        bool open = false;
        QString name;
        modal::enqueue([&](QDialog *d) {
            TUserReport *u = designerOf(d);
            u->ReportName->setText(QStringLiteral("Never Saved"));
            u->UpdateButton->click();
            open = u->isVisible();
            name = u->ReportName->text();
        });
        w.DoNew();
        QVERIFY(open);
        QCOMPARE(name, QStringLiteral("Never Saved"));
        QCOMPARE(f.prompts.asked().size(), 1);
        QCOMPARE(f.prompts.asked().first().caption, QStringLiteral("Error"));
        QVERIFY(f.prompts.askedTexts().first().contains(QStringLiteral("NUMAROK.URP")));
        QCOMPARE(w.ReportBox->count(), 5);
    }

    // At each dialog size the designer's windows fit the screen of that size (a title bar
    // of 30 pixels included).
    void windowsFitTheScreen_data()
    {
        QTest::addColumn<double>("factor");
        QTest::addColumn<QSize>("screen");
        QTest::newRow("640 x 480") << 1.0 << QSize(640, 480);
        QTest::newRow("800 x 600") << 1.25 << QSize(800, 600);
        QTest::newRow("1024 x 768") << 1.6 << QSize(1024, 768);
        QTest::newRow("1280 x 1024") << 2.0 << QSize(1280, 1024);
    }
    void windowsFitTheScreen()
    {
        QFETCH(double, factor);
        QFETCH(QSize, screen);
        Fixture f;
        f.factor = factor;
        DesignerContext context = f.designer();
        context.place = [factor](QWidget *w) { windowopts::scale(w, factor); };
        ReportDefinition &d = ReportDefinition::shared();
        d.setNewDefaults();
        const QSize room = screen - QSize(0, 30);
        auto fits = [&room](QDialog *w) {
            QSize least = w->minimumSize();
            if (w->layout()) least = least.expandedTo(w->layout()->minimumSize());
            const QSize shown = w->size().expandedTo(least);
            if (shown.width() > room.width() || shown.height() > room.height())
                qWarning() << w->objectName() << shown << "does not fit" << room;
            return shown.width() <= room.width() && shown.height() <= room.height();
        };
        TUserReport u(context, true, -1);
        QVERIFY(fits(&u));
        // The larger sizes give the windows more room than the smallest.
        if (factor > 1.0) QVERIFY(u.width() >= int(520 * factor));
        TReportFonts fonts(context, d);
        QVERIFY(fits(&fonts));
        TRepLayout layout(context, d, QString(), 90, true);
        QVERIFY(fits(&layout));
        QCOMPARE(layout.size(), QSize(int(633 * factor), int(428 * factor)));
        TReportPart part(context, d, 1, 1, 90);
        QVERIFY(fits(&part));
    }

    // Cancel closes without touching the file.
    void cancelWritesNothing()
    {
        Fixture f;
        const QByteArray before = f.file();
        TMyReport w(f.context());
        w.FormShow();
        w.ReportBox->setCurrentRow(0);
        modal::enqueue([](QDialog *d) {
            TUserReport *u = designerOf(d);
            u->ReportName->setText(QStringLiteral("Changed"));
            u->Chars150->click();
            u->CancelButton->click();
        });
        w.DoModify();
        QCOMPARE(f.file(), before);
    }

    // 150 -> 120 with items 100 + 50 asks, makes them 100 + 20 and sets the body font to 8;
    // back to 150 grows the next item to 30 and sets 6 points, without a question.
    void narrowAndWiden()
    {
        Fixture f;
        ReportDefinition &d = ReportDefinition::shared();
        d = withLine(QStringLiteral("Wide"), 150, {100, 50});
        TUserReport u(f.designer(), false, 0);
        f.prompts.answer(int(QMessageBox::Yes));
        u.Chars120->click();
        QCOMPARE(widthsOf(d, 1), (QList<int>{100, 20}));
        QCOMPARE(d.width(), 120);
        QCOMPARE(d.font(FontKind::Body).size, 8);
        QCOMPARE(u.RepBodyDataFont->text(), QStringLiteral("Courier New 8pt"));
        QCOMPARE(f.prompts.askedTexts(),
                 (QStringList{QStringLiteral("Switching to 120 characters from 150 will truncate "
                                             "the current defined lines.  In addition, the font "
                                             "size will be reset to a 8 point as a default.  Are "
                                             "you sure you wish to do this?"),
                              QStringLiteral("The Report Body font size has been set to a 8 Point "
                                             "default size as.")}));
        const auto question = f.prompts.asked().at(0);
        QCOMPARE(question.caption, QStringLiteral("Warning"));
        QCOMPARE(question.icon, Prompts::Icon::Error);
        QCOMPARE(question.defaultButton, QMessageBox::No);
        QVERIFY(question.beep);
        QCOMPARE(f.prompts.asked().at(1).caption, QStringLiteral("Notice"));
        f.prompts.clear();
        u.Chars150->click();
        QCOMPARE(widthsOf(d, 1), (QList<int>{100, 20, 30}));
        QCOMPARE(d.item(1, 3).kind, kFillerKind);
        QCOMPARE(d.font(FontKind::Body).size, 6);
        QCOMPARE(f.prompts.askedTexts(),
                 QStringList{QStringLiteral("The Report Body font size has been set to a 6 Point "
                                            "default size as a result of switching to 150 "
                                            "characters per line.")});
        // Saved as the radio buttons say.
        u.SaveOutVars();
        QCOMPARE(d.width(), 150);
    }

    // Answering No to a narrowing question keeps the width, the lines and the radio button.
    void narrowingRefused_data()
    {
        QTest::addColumn<QString>("to");
        QTest::newRow("150 to 120") << "Chars120";
        QTest::newRow("150 to 90") << "Chars90";
    }
    void narrowingRefused()
    {
        QFETCH(QString, to);
        Fixture f;
        ReportDefinition &d = ReportDefinition::shared();
        d = withLine(QStringLiteral("Wide"), 150, {100, 50});
        const QByteArray before = d.bytes();
        TUserReport u(f.designer(), false, 0);
        f.prompts.answer(int(QMessageBox::No));
        u.findChild<QRadioButton *>(to)->click();
        QVERIFY(u.Chars150->isChecked());
        QCOMPARE(u.chosenWidth(), 150);
        QCOMPARE(d.bytes(), before);
        QCOMPARE(f.prompts.askedTexts().size(), 1);
    }

    // To 90 with Yes: the lines are cut to 90 and the body font is 10 points, no notice.
    void narrowTo90()
    {
        Fixture f;
        ReportDefinition &d = ReportDefinition::shared();
        d = withLine(QStringLiteral("Mid"), 120, {70, 50});
        d.setNumberOfLines(1);
        TUserReport u(f.designer(), false, 0);
        f.prompts.answer(int(QMessageBox::Yes));
        u.Chars90->click();
        QCOMPARE(widthsOf(d, 1), (QList<int>{70, 20}));
        QCOMPARE(d.font(FontKind::Body).size, 10);
        QCOMPARE(f.prompts.askedTexts(),
                 QStringList{QStringLiteral(
                     "Switching to 90 characters from 120 or 150 will truncate the current "
                     "defined lines.  In addition, the font size will be reset to a 10 point as a "
                     "default.  Are you sure you wish to do this?")});
    }

    // 90 -> 150 needs no confirmation but shows the 6-point notice; 90 -> 120 the 8-point.
    void widenFrom90_data()
    {
        QTest::addColumn<QString>("to");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("notice");
        QTest::newRow("150") << "Chars150" << 150
                             << "The Report Body font size has been set to a 6 Point default "
                                "size as a result of switching to 150 characters per line.";
        QTest::newRow("120") << "Chars120" << 120
                             << "The Report Body font size has been set to a 8 Point default "
                                "size as.";
    }
    void widenFrom90()
    {
        QFETCH(QString, to);
        QFETCH(int, width);
        QFETCH(QString, notice);
        Fixture f;
        ReportDefinition &d = ReportDefinition::shared();
        d = withLine(QStringLiteral("Narrow"), 90, {60, 30});
        TUserReport u(f.designer(), false, 0);
        u.findChild<QRadioButton *>(to)->click();
        QCOMPARE(f.prompts.askedTexts(), QStringList{notice});
        QCOMPARE(f.prompts.asked().first().caption, QStringLiteral("Notice"));
        QCOMPARE(widthsOf(d, 1), (QList<int>{60, 30, width - 90}));
        // Clicking the chosen width again does nothing.
        f.prompts.clear();
        u.findChild<QRadioButton *>(to)->click();
        QVERIFY(f.prompts.asked().isEmpty());
    }

    // "New Font" sets face, size, colour and the four styles of its block.
    void fonts()
    {
        Fixture f;
        ReportDefinition &d = ReportDefinition::shared();
        d.setNewDefaults();
        TUserReport u(f.designer(), true, -1);
        QFont chosen(QStringLiteral("Liberation Serif"));
        chosen.setPointSize(14);
        chosen.setItalic(true);
        chosen.setUnderline(true);
        chosen.setStrikeOut(true);
        chosen.setBold(false);
        f.prompts.answer(chosen);
        f.prompts.answer(QColor(10, 20, 30));
        QString shownBefore, shownAfter;
        modal::enqueue([&](QDialog *dialog) {
            auto *fonts = qobject_cast<TReportFonts *>(dialog);
            QVERIFY(fonts);
            QCOMPARE(fonts->windowTitle(), QStringLiteral("Report Fonts"));
            shownBefore = fonts->ColumnFont->text();
            fonts->findChild<QPushButton *>(QStringLiteral("ColumnFontButton"))->click();
            shownAfter = fonts->ColumnFont->text();
            fonts->OkButton->click();
        });
        u.SetFonts->click();
        QCOMPARE(shownBefore, QStringLiteral("Courier New 10pt"));
        QCOMPARE(shownAfter, QStringLiteral("Liberation Serif 14pt"));
        QCOMPARE(u.ColumnHeaderFont->text(), QStringLiteral("Liberation Serif 14pt"));
        QCOMPARE(f.prompts.asked().first().kind, QStringLiteral("font"));
        QCOMPARE(f.prompts.asked().first().text, QStringLiteral("with color"));
        const FontBlock b = d.font(FontKind::ColumnHeader);
        QCOMPARE(b.face, QStringLiteral("Liberation Serif"));
        QCOMPARE(b.size, 14);
        QVERIFY(!b.bold);
        QVERIFY(b.italic && b.underline && b.strikeOut);
        QCOMPARE(b.colour, quint32(10 + 20 * 256 + 30 * 65536));
        // The other blocks are untouched.
        QCOMPARE(d.font(FontKind::Title).face, QStringLiteral("Courier New"));
        QVERIFY(d.font(FontKind::Title).bold);
    }

    // "New Font" opens the font dialog preset with the block's face, size, styles and colour.
    void fontDialogStartsFromTheBlock()
    {
        struct Recording : ScriptedPrompts {
            QFont initial;
            QColor colour;
            std::optional<QFont> chooseFont(QWidget *owner, const QFont &start,
                                            QColor *color) override
            {
                initial = start;
                if (color) colour = *color;
                return ScriptedPrompts::chooseFont(owner, start, color);
            }
        };
        Fixture f;
        Recording prompts;
        ReportDefinition &d = ReportDefinition::shared();
        d.setNewDefaults();
        d.setFont(FontKind::Footnote, FontBlock{QStringLiteral("Liberation Mono"), 12, false, true,
                                                false, true, 0x00302010});
        TReportFonts fonts(f.designer(), d);
        fonts.NewFontClick(FontKind::Footnote);
        QCOMPARE(prompts.initial.family(), QStringLiteral("Liberation Mono"));
        QCOMPARE(prompts.initial.pointSize(), 12);
        QVERIFY(!prompts.initial.bold());
        QVERIFY(prompts.initial.italic());
        QVERIFY(!prompts.initial.underline());
        QVERIFY(prompts.initial.strikeOut());
        QCOMPARE(prompts.colour, QColor(0x10, 0x20, 0x30));
        QCOMPARE(prompts.askedTexts(), QStringList{QStringLiteral("with color")});
    }

    void fontDialogCancelledChangesNothing()
    {
        Fixture f;
        ReportDefinition &d = ReportDefinition::shared();
        d.setNewDefaults();
        const QByteArray before = d.bytes();
        TReportFonts fonts(f.designer(), d);
        fonts.NewFontClick(FontKind::Body);
        QCOMPARE(d.bytes(), before);
        QCOMPARE(fonts.BodyFont->text(), QStringLiteral("Courier New 10pt"));
    }

    void helpOpensUserDefinedReports()
    {
        Fixture f;
        ReportDefinition::shared().setNewDefaults();
        TUserReport u(f.designer(), true, -1);
        u.HelpButton->click();
        QVERIFY(help::browser());
        QCOMPARE(help::browser()->property("anchor").toString(),
                 QStringLiteral("User_Defined_Reports"));
    }

    // The designer's windows take the report window colours.
    void reportWindowColours()
    {
        Fixture f;
        ColorScheme &scheme = f.settings.scheme(colors::Target::Report);
        scheme.colors[ColorScheme::MainBackground] = colors::fromColor(QColor(10, 80, 10));
        scheme.colors[ColorScheme::EditBackground] = colors::fromColor(QColor(250, 240, 200));
        ReportDefinition::shared().setNewDefaults();
        TUserReport u(f.designer(), true, -1);
        QCOMPARE(u.palette().color(QPalette::Window), QColor(10, 80, 10));
        QCOMPARE(u.ReportName->palette().color(QPalette::Base), QColor(250, 240, 200));
        TRepLayout layout(f.designer(), ReportDefinition::shared(), QString(), 90, true);
        QCOMPARE(layout.palette().color(QPalette::Window), QColor(10, 80, 10));
    }
};

// The layout picture's geometry, hit test and painting, and the layout and part dialogs.
class LayoutTests : public QObject
{
    Q_OBJECT

    // Two lines: a field of 30 and a label of 60; a filler of 90. Totals: 45 + 45.
    static ReportDefinition sample()
    {
        ReportDefinition d;
        d.setNewDefaults();
        d.setNumberOfLines(2);
        d.clearLine(1, 0);
        d.setItem(1, 1, Item{QStringLiteral("Country"), 1, 30, QString()});
        d.setItem(1, 2, Item{kLabelKind, 0, 60, QStringLiteral("Total")});
        d.clearLine(2, 90);
        d.clearLine(kTotalsLine, 0);
        d.setItem(kTotalsLine, 1, Item{QStringLiteral("Quantity"), 4, 45, QString()});
        d.setItem(kTotalsLine, 2, Item{kFillerKind, 0, 45, QString()});
        return d;
    }

private slots:
    void init() { modal::clear(); }
    void cleanup() { modal::clear(); }

    void hitTest_data()
    {
        QTest::addColumn<double>("factor");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("item");
        // Factor 1: x 4..629, body from 75 in rows of 20, totals 355..376.
        QTest::newRow("1: top left corner") << 1.0 << 4 << 75 << 1 << 1;
        QTest::newRow("1: on the first edge") << 1.0 << 212 << 80 << 1 << 1;
        QTest::newRow("1: right of the first edge") << 1.0 << 213 << 80 << 1 << 2;
        QTest::newRow("1: right edge, last row pixel") << 1.0 << 629 << 94 << 1 << 2;
        QTest::newRow("1: second line") << 1.0 << 100 << 95 << 2 << 1;
        QTest::newRow("1: bottom border") << 1.0 << 100 << 115 << 2 << 1;
        QTest::newRow("1: body bottom") << 1.0 << 100 << 116 << 2 << 1;
        QTest::newRow("1: below the body") << 1.0 << 100 << 117 << -1 << -1;
        QTest::newRow("1: above the body") << 1.0 << 100 << 74 << -1 << -1;
        QTest::newRow("1: left of the picture") << 1.0 << 3 << 80 << -1 << -1;
        QTest::newRow("1: right of the picture") << 1.0 << 630 << 80 << -1 << -1;
        QTest::newRow("1: totals first") << 1.0 << 316 << 355 << 100 << 1;
        QTest::newRow("1: totals second") << 1.0 << 317 << 376 << 100 << 2;
        QTest::newRow("1: below the totals") << 1.0 << 317 << 377 << -1 << -1;
        QTest::newRow("1: between body and totals") << 1.0 << 317 << 300 << -1 << -1;
        // Factor 1.6: x 6..1006, body from 120 in rows of 32, totals 568..601.
        QTest::newRow("1.6: top left corner") << 1.6 << 6 << 120 << 1 << 1;
        QTest::newRow("1.6: on the first edge") << 1.6 << 339 << 130 << 1 << 1;
        QTest::newRow("1.6: right of the first edge") << 1.6 << 340 << 130 << 1 << 2;
        QTest::newRow("1.6: right edge") << 1.6 << 1006 << 151 << 1 << 2;
        QTest::newRow("1.6: second line") << 1.6 << 100 << 152 << 2 << 1;
        QTest::newRow("1.6: body bottom") << 1.6 << 100 << 185 << 2 << 1;
        QTest::newRow("1.6: below the body") << 1.6 << 100 << 186 << -1 << -1;
        QTest::newRow("1.6: left of the picture") << 1.6 << 5 << 130 << -1 << -1;
        QTest::newRow("1.6: right of the picture") << 1.6 << 1007 << 130 << -1 << -1;
        QTest::newRow("1.6: totals first") << 1.6 << 506 << 568 << 100 << 1;
        QTest::newRow("1.6: totals second") << 1.6 << 507 << 601 << 100 << 2;
        QTest::newRow("1.6: below the totals") << 1.6 << 507 << 602 << -1 << -1;
        // At factor 1 the point (316, 355) was the totals row; at 1.6 it is nothing.
        QTest::newRow("1.6: factor-1 totals point") << 1.6 << 316 << 355 << -1 << -1;
    }
    void hitTest()
    {
        QFETCH(double, factor);
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(int, line);
        QFETCH(int, item);
        const LayoutPicture pic(factor, 90);
        QCOMPARE(pic.CalcPosition(sample(), x, y), (LayoutHit{line, item}));
    }

    // The cells of a line follow the running width; a new definition's unfitted filler is
    // one cell across the picture; no cell passes the right edge.
    void cells()
    {
        const LayoutPicture pic(1.0, 90);
        const ReportDefinition d = sample();
        const auto line1 = pic.cells(d, 1);
        QCOMPARE(line1.size(), 2);
        QCOMPARE(line1[0].left, 4);
        QCOMPARE(line1[0].right, 212);
        QCOMPARE(line1[1].left, 212);
        QCOMPARE(line1[1].right, 629);
        ReportDefinition fresh;
        fresh.setNewDefaults();
        const auto one = pic.cells(fresh, 1);
        QCOMPARE(one.size(), 1);
        QCOMPARE(one[0].right, 629);
        // Widths beyond the report width (an unfitted line of a damaged record) stay inside.
        ReportDefinition wide = sample();
        wide.setItemWidth(1, 1, 140);
        for (const auto &c : pic.cells(wide, 1))
            QVERIFY(c.right <= 629 && c.left <= c.right);
        const LayoutPicture big(1.6, 150);
        QCOMPARE(big.fontPoints(), 12);
        QCOMPARE(big.cells(d, 1)[0].right, 6 + 1000 * 30 / 150);
    }

    // A known definition painted into an image: cell edges in black, white cells, fields in
    // black at the left, labels in red at the right, "Filler" in green in the middle.
    void rendering()
    {
        Fixture f;
        f.settings.fieldNames[0] = QStringLiteral("Land");
        const QColor background(200, 200, 255);
        QImage image(640, 400, QImage::Format_ARGB32);
        image.fill(background);
        {
            QPainter p(&image);
            LayoutPicture(1.0, 90).paint(p, sample(), false, f.settings.fieldNames);
        }
        auto colour = [&image](int x, int y) { return QColor(image.pixel(x, y)); };
        // Edges of the first line's two cells and of the rows.
        for (const QPoint &edge :
             {QPoint(4, 85), QPoint(212, 85), QPoint(629, 85), QPoint(100, 75), QPoint(100, 95),
              QPoint(400, 115), QPoint(4, 105), QPoint(629, 105)})
            QCOMPARE(colour(edge.x(), edge.y()), QColor(Qt::black));
        QCOMPARE(colour(212, 105), QColor(Qt::white)); // line 2 is one cell
        QCOMPARE(colour(3, 85), background);
        QCOMPARE(colour(630, 85), background);
        QCOMPARE(colour(100, 74), background);
        QCOMPARE(colour(100, 116), background);
        QCOMPARE(colour(205, 78), QColor(Qt::white));
        // The totals row is not shown.
        QCOMPARE(colour(4, 365), background);
        QCOMPARE(colour(100, 355), background);

        auto count = [&image](const QRect &area, auto test) {
            int n = 0;
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    if (test(QColor(image.pixel(x, y)))) ++n;
            return n;
        };
        auto dark = [](const QColor &c) {
            return c.red() < 110 && c.green() < 110 && c.blue() < 110;
        };
        auto red = [](const QColor &c) {
            return c.red() > 150 && c.green() < 120 && c.blue() < 120;
        };
        auto green = [](const QColor &c) {
            return c.green() > c.red() + 40 && c.green() > c.blue() + 40;
        };
        // "Land" at the left of cell 1, nothing dark in its right half.
        QVERIFY(count(QRect(6, 77, 40, 16), dark) > 10);
        QCOMPARE(count(QRect(110, 77, 100, 16), dark), 0);
        // "Total" at the right end of cell 2, nothing red in its left part.
        QVERIFY(count(QRect(580, 77, 47, 16), red) > 10);
        QCOMPARE(count(QRect(214, 77, 300, 16), red), 0);
        // "Filler" in the middle of line 2, not at its ends.
        QVERIFY(count(QRect(280, 97, 80, 16), green) > 10);
        QCOMPARE(count(QRect(6, 97, 200, 16), green), 0);
        QCOMPARE(count(QRect(430, 97, 197, 16), green), 0);

        // With the totals shown: the row, its field by stored name and its filler.
        QImage totals(640, 400, QImage::Format_ARGB32);
        totals.fill(background);
        {
            QPainter p(&totals);
            LayoutPicture(1.0, 90).paint(p, sample(), true, f.settings.fieldNames);
        }
        QCOMPARE(QColor(totals.pixel(4, 365)), QColor(Qt::black));
        QCOMPARE(QColor(totals.pixel(316, 365)), QColor(Qt::black));
        QCOMPARE(QColor(totals.pixel(100, 355)), QColor(Qt::black));
        int darkTotals = 0, greenTotals = 0;
        for (int y = 357; y < 375; ++y) {
            for (int x = 6; x < 120; ++x)
                darkTotals += dark(QColor(totals.pixel(x, y))) ? 1 : 0;
            for (int x = 420; x < 530; ++x)
                greenTotals += green(QColor(totals.pixel(x, y))) ? 1 : 0;
        }
        QVERIFY(darkTotals > 10);
        QVERIFY(greenTotals > 10);
    }

    // Text wider than its cell is cut at its end and starts at the cell's left edge + 1.
    void textCutToFit()
    {
        ReportDefinition d;
        d.setNewDefaults();
        d.setNumberOfLines(1);
        d.clearLine(1, 0);
        d.setItem(1, 1, Item{kLabelKind, 0, 3, QStringLiteral("A very long label text")});
        d.setItem(1, 2, Item{kFillerKind, 0, 87, QString()});
        const LayoutPicture pic(1.0, 90);
        const int right = pic.cells(d, 1)[0].right; // 4 + 625 * 3 / 90 = 24
        QCOMPARE(right, 24);
        QImage image(640, 200, QImage::Format_ARGB32);
        image.fill(Qt::white);
        {
            QPainter p(&image);
            pic.paint(p, d, false, {});
        }
        int redInside = 0;
        for (int y = 77; y < 94; ++y)
            for (int x = 5; x < right; ++x) {
                const QColor c(image.pixel(x, y));
                if (c.red() > 150 && c.green() < 120) ++redInside;
            }
        QVERIFY(redInside > 0);
        // Nothing of the label spills into the filler's cell.
        for (int y = 77; y < 94; ++y)
            for (int x = right + 1; x < 200; ++x) {
                const QColor c(image.pixel(x, y));
                QVERIFY2(!(c.red() > 150 && c.green() < 120), "label text outside its cell");
            }
        // The cut text starts at the cell's left edge + 1, like a field name in a wide cell:
        // the columns the first letter inks are the same (a right-aligned label would show
        // the end of its text there).
        ReportDefinition wide = d;
        wide.clearLine(1, 0);
        wide.setItem(1, 1, Item{QStringLiteral("Country"), 1, 90, QString()});
        std::array<QString, 20> names;
        names[0] = QStringLiteral("A very long label text");
        QImage reference(640, 200, QImage::Format_ARGB32);
        reference.fill(Qt::white);
        {
            QPainter p(&reference);
            pic.paint(p, wide, false, names);
        }
        QFont font(QStringLiteral("Arial"));
        font.setPointSize(pic.fontPoints());
        const int letter = QFontMetrics(font, &image).horizontalAdvance(QLatin1Char('A'));
        QVERIFY(letter > 2 && 5 + letter < right);
        auto inked = [](const QImage &from, int x) {
            int n = 0;
            for (int y = 76; y < 95; ++y) {
                const QColor c(from.pixel(x, y));
                n += std::min({c.red(), c.green(), c.blue()}) < 200 ? 1 : 0;
            }
            return n;
        };
        for (int x = 5; x < 5 + letter; ++x)
            QCOMPARE(inked(image, x), inked(reference, x));
    }

    // In the part editor, the first item of a new definition's line (filler 150 in a
    // 90-character report) set to 40 leaves item 1 at 40 and grows item 2 to 50.
    void firstItemOfANewDefinition()
    {
        Fixture f;
        ReportDefinition &d = ReportDefinition::shared();
        d.setNewDefaults();
        QString selected;
        modal::enqueue([&](QDialog *dialog) {
            auto *layout = qobject_cast<TRepLayout *>(dialog);
            QVERIFY(layout);
            QCOMPARE(layout->CaptionPanel->text(), QStringLiteral("Report: Mine"));
            modal::enqueue(partAction(Kind::Filler, QStringLiteral("40"), {}, -1, &selected));
            clickAt(layout, 300, 85);
            QCOMPARE(widthsOf(layout->copy(), 1), (QList<int>{40, 50}));
            // Not in the shared buffer before Ok.
            QCOMPARE(d.itemWidth(1, 1), 150);
            layout->OkButton->click();
        });
        TRepLayout layout(f.designer(), d, QStringLiteral("Mine"), 90, true);
        modal::show(&layout);
        QCOMPARE(selected, QStringLiteral("Line 1, Item 1"));
        QCOMPARE(widthsOf(d, 1), (QList<int>{40, 50}));
        QCOMPARE(d.item(1, 2).kind, kFillerKind);
    }

    // Cancel in the layout discards what the part editor changed.
    void layoutCancelDiscards()
    {
        Fixture f;
        ReportDefinition &d = ReportDefinition::shared();
        d.setNewDefaults();
        const QByteArray before = d.bytes();
        modal::enqueue([&](QDialog *dialog) {
            auto *layout = qobject_cast<TRepLayout *>(dialog);
            modal::enqueue(partAction(Kind::Label, QStringLiteral("10"), QStringLiteral("X")));
            clickAt(layout, 300, 85);
            QCOMPARE(layout->copy().item(1, 1).label, QStringLiteral("X"));
            layout->CancelButton->click();
        });
        TRepLayout layout(f.designer(), d, QString(), 90, true);
        modal::show(&layout);
        QCOMPARE(d.bytes(), before);
    }

    // A press in one cell and a release in another open nothing; the same cell opens the
    // part editor, also at factor 1.6 where the picture is scaled.
    void pressAndRelease_data()
    {
        QTest::addColumn<double>("factor");
        QTest::newRow("1") << 1.0;
        QTest::newRow("1.6") << 1.6;
    }
    void pressAndRelease()
    {
        QFETCH(double, factor);
        Fixture f;
        f.factor = factor;
        ReportDefinition &d = ReportDefinition::shared();
        d = sample();
        DesignerContext context = f.designer();
        context.place = [factor](QWidget *w) { windowopts::scale(w, factor); };
        int opened = 0;
        QString selected;
        modal::enqueue([&](QDialog *dialog) {
            auto *layout = qobject_cast<TRepLayout *>(dialog);
            const auto k = [factor](int v) { return int(v * factor); };
            modal::enqueue([&opened, &selected](QDialog *part) {
                ++opened;
                selected = qobject_cast<TReportPart *>(part)->SelPartLabel->text();
                part->reject();
            });
            QTest::mousePress(layout, Qt::LeftButton, Qt::NoModifier, QPoint(k(100), k(85)));
            QTest::mouseRelease(layout, Qt::LeftButton, Qt::NoModifier, QPoint(k(400), k(85)));
            QCOMPARE(opened, 0);
            // Body to totals row: nothing either.
            QTest::mousePress(layout, Qt::LeftButton, Qt::NoModifier, QPoint(k(100), k(85)));
            QTest::mouseRelease(layout, Qt::LeftButton, Qt::NoModifier, QPoint(k(100), k(365)));
            QCOMPARE(opened, 0);
            // Outside the picture: nothing.
            clickAt(layout, k(300), k(200));
            QCOMPARE(opened, 0);
            QTest::mousePress(layout, Qt::LeftButton, Qt::NoModifier, QPoint(k(400), k(80)));
            QTest::mouseRelease(layout, Qt::LeftButton, Qt::NoModifier, QPoint(k(600), k(90)));
            QCOMPARE(opened, 1);
            QCOMPARE(selected, QStringLiteral("Line 1, Item 2"));
            // The totals row is hit while it is not shown.
            modal::enqueue([&opened, &selected](QDialog *part) {
                ++opened;
                selected = qobject_cast<TReportPart *>(part)->SelPartLabel->text();
                part->reject();
            });
            clickAt(layout, k(500), k(365));
            QCOMPARE(opened, 2);
            QCOMPARE(selected, QStringLiteral("Totals Line, Item 2"));
            layout->CancelButton->click();
        });
        TRepLayout layout(context, d, QString(), 90, false);
        QVERIFY(!layout.TotalsHeading->isVisibleTo(&layout));
        QCOMPARE(layout.width(), int(633 * factor));
        modal::show(&layout);
        QCOMPARE(opened, 2);
    }

    // From the keyboard: the arrows move the marked cell over the shown rows, Enter opens it.
    void keyboardEditsCells()
    {
        Fixture f;
        ReportDefinition &d = ReportDefinition::shared();
        d = sample();
        QStringList selected;
        QList<LayoutHit> marks;
        modal::enqueue([&](QDialog *dialog) {
            auto *layout = qobject_cast<TRepLayout *>(dialog);
            // The picture has the focus when the dialog opens.
            QCOMPARE(layout->focusWidget(), layout);
            auto key = [&](Qt::Key k) {
                QTest::keyClick(layout, k);
                marks << layout->current();
            };
            auto open = [&](Qt::Key k) {
                modal::enqueue([&selected](QDialog *part) {
                    selected << qobject_cast<TReportPart *>(part)->SelPartLabel->text();
                    part->reject();
                });
                QTest::keyClick(layout, k);
            };
            marks << layout->current();
            key(Qt::Key_Right);
            key(Qt::Key_Right); // line 1 has two items
            open(Qt::Key_Return);
            key(Qt::Key_Down); // line 2 has one item
            key(Qt::Key_Down); // the totals row
            key(Qt::Key_Right);
            key(Qt::Key_Down); // nothing below the totals
            open(Qt::Key_Space);
            key(Qt::Key_Up);
            key(Qt::Key_Up);
            key(Qt::Key_Up);
            key(Qt::Key_Left);
            // With a button focused, its keys are the button's.
            layout->CancelButton->setFocus();
            key(Qt::Key_Right);
            layout->CancelButton->click();
        });
        TRepLayout layout(f.designer(), d, QString(), 90, true);
        modal::show(&layout);
        QCOMPARE(selected, (QStringList{QStringLiteral("Line 1, Item 2"),
                                        QStringLiteral("Totals Line, Item 2")}));
        const QList<LayoutHit> expected{{1, 1},   {1, 2}, {1, 2}, {2, 1}, {100, 1}, {100, 2},
                                        {100, 2}, {2, 1}, {1, 1}, {1, 1}, {1, 1},   {1, 1}};
        QCOMPARE(marks, expected);
    }

    // The part editor shows the item: kind, enabling, list, width and label.
    void partEditorShowsTheItem_data()
    {
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("radio");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("entries");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("selected");
        QTest::newRow("field") << 1 << 1 << "RadioField" << 0 << 20 << ""
                               << "30"
                               << "Line 1, Item 1";
        QTest::newRow("label") << 1 << 2 << "RadioLabel" << -1 << 20 << "Total"
                               << "60"
                               << "Line 1, Item 2";
        QTest::newRow("filler") << 2 << 1 << "RadioFiller" << -1 << 20 << ""
                                << "90"
                                << "Line 2, Item 1";
        QTest::newRow("totals field") << 100 << 1 << "RadioField" << 3 << 4 << ""
                                      << "45"
                                      << "Totals Line, Item 1";
    }
    void partEditorShowsTheItem()
    {
        QFETCH(int, line);
        QFETCH(int, item);
        QFETCH(QString, radio);
        QFETCH(int, row);
        QFETCH(int, entries);
        QFETCH(QString, label);
        QFETCH(QString, width);
        QFETCH(QString, selected);
        Fixture f;
        ReportDefinition copy = sample();
        TReportPart part(f.designer(), copy, line, item, 90);
        QCOMPARE(part.windowTitle(), QStringLiteral("Select Report Part"));
        QVERIFY(part.findChild<QRadioButton *>(radio)->isChecked());
        QCOMPARE(part.FieldList->count(), entries);
        QCOMPARE(part.FieldList->currentRow(), row);
        QCOMPARE(part.FieldList->isEnabled(), radio == QStringLiteral("RadioField"));
        QCOMPARE(part.LabelName->isEnabled(), radio == QStringLiteral("RadioLabel"));
        QCOMPARE(part.LabelName->text(), label);
        QCOMPARE(part.FieldWidth->text(), width);
        QCOMPARE(part.SelPartLabel->text(), selected);
        QCOMPARE(part.FieldWidth->maxLength(), 3);
        QCOMPARE(part.LabelName->maxLength(), 40);
        if (line == kTotalsRow)
            QCOMPARE(part.FieldList->item(0)->text(), QStringLiteral("Market Value"));
        else
            QCOMPARE(part.FieldList->item(0)->text(), f.settings.fieldNames[0]);
        // The radio buttons switch the enabling.
        part.RadioLabel->click();
        QVERIFY(part.LabelName->isEnabled() && !part.FieldList->isEnabled());
        part.RadioField->click();
        QVERIFY(!part.LabelName->isEnabled() && part.FieldList->isEnabled());
        part.RadioFiller->click();
        QVERIFY(!part.LabelName->isEnabled() && !part.FieldList->isEnabled());
    }

    // "Field" with no field chosen stays refused: the list taking the focus after the refusal
    // gives it a current row without choosing it, and a second Ok does not store that row.
    // A field clicked in the list is then stored.
    void noFieldChosenStaysRefused()
    {
        Fixture f;
        ReportDefinition copy = sample();
        const QByteArray before = copy.bytes();
        int refusedOpen = 0;
        QByteArray afterRefusals;
        modal::enqueue([&](QDialog *d) {
            auto *part = qobject_cast<TReportPart *>(d);
            part->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(part));
            part->RadioField->click();
            part->FieldWidth->setText(QStringLiteral("20"));
            part->OkButton->click();
            QCOMPARE(part->focusWidget(), part->FieldList);
            refusedOpen += part->isVisible() ? 1 : 0;
            part->OkButton->click();
            refusedOpen += part->isVisible() ? 1 : 0;
            afterRefusals = copy.bytes();
            QListWidgetItem *year = part->FieldList->item(2);
            QTest::mouseClick(part->FieldList->viewport(), Qt::LeftButton, Qt::NoModifier,
                              part->FieldList->visualItemRect(year).center());
            part->OkButton->click();
        });
        TReportPart part(f.designer(), copy, 2, 1, 90);
        modal::show(&part);
        QCOMPARE(refusedOpen, 2);
        QCOMPARE(f.prompts.askedTexts(),
                 (QStringList{QStringLiteral("No field has been selected.  Please choose one."),
                              QStringLiteral("No field has been selected.  Please choose one.")}));
        QCOMPARE(afterRefusals, before);
        QCOMPARE(copy.item(2, 1).kind, QStringLiteral("Year"));
        QCOMPARE(copy.item(2, 1).field, 3);
        QCOMPARE(widthsOf(copy, 2), (QList<int>{20, 70}));
    }

    void getFieldAndGetTotField_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("total");
        QTest::newRow("Country") << "Country" << 0 << -1;
        QTest::newRow("UserDef4") << "UserDef4" << 19 << -1;
        QTest::newRow("stored upper case") << "PURCHDATE" << 10 << -1;
        QTest::newRow("Quantity") << "Quantity" << 12 << 3;
        QTest::newRow("Market Value") << "Market Value" << -1 << 0;
        QTest::newRow("display name") << "Face Value" << -1 << -1;
        QTest::newRow("empty") << "" << -1 << -1;
    }
    void getFieldAndGetTotField()
    {
        QFETCH(QString, name);
        QFETCH(int, field);
        QFETCH(int, total);
        QCOMPARE(TReportPart::GetField(name), field);
        QCOMPARE(TReportPart::GetTotField(name), total);
    }

    // Ok stores the field's stored name and number (not its display name), fitted.
    void partEditorStoresTheFieldName()
    {
        Fixture f;
        f.settings.fieldNames[1] = QStringLiteral("Denomination");
        ReportDefinition copy = sample();
        TReportPart part(f.designer(), copy, 2, 1, 90);
        part.RadioField->click();
        part.FieldList->setCurrentRow(1);
        QCOMPARE(part.FieldList->currentItem()->text(), QStringLiteral("Denomination"));
        part.FieldWidth->setText(QStringLiteral("25"));
        part.OkButton->click();
        QCOMPARE(part.result(), int(QDialog::Accepted));
        const Item item = copy.item(2, 1);
        QCOMPARE(item.kind, QStringLiteral("FaceValue"));
        QCOMPARE(item.field, 2);
        QCOMPARE(item.label, QString());
        QCOMPARE(widthsOf(copy, 2), (QList<int>{25, 65}));
        // The other lines are untouched.
        QCOMPARE(widthsOf(copy, 1), (QList<int>{30, 60}));
        QCOMPARE(copy.item(1, 2).label, QStringLiteral("Total"));

        // On the totals line the stored name is the totals name.
        TReportPart totals(f.designer(), copy, kTotalsRow, 2, 90);
        totals.RadioField->click();
        totals.FieldList->setCurrentRow(1);
        totals.FieldWidth->setText(QStringLiteral("45"));
        totals.OkButton->click();
        QCOMPARE(copy.item(kTotalsLine, 2).kind, QStringLiteral("Purchase Price"));
        QCOMPARE(copy.item(kTotalsLine, 2).field, 2);
    }

    // A label replaces a field: the label text is stored, the width fitted; a label is
    // cleared when the item becomes a filler.
    void partEditorLabelAndFiller()
    {
        Fixture f;
        ReportDefinition copy = sample();
        TReportPart label(f.designer(), copy, 1, 1, 90);
        label.RadioLabel->click();
        label.LabelName->setText(QStringLiteral("Coin"));
        label.FieldWidth->setText(QStringLiteral("200"));
        label.OkButton->click();
        QCOMPARE(copy.item(1, 1).kind, kLabelKind);
        QCOMPARE(copy.item(1, 1).label, QStringLiteral("Coin"));
        QCOMPARE(widthsOf(copy, 1), (QList<int>{90}));
        TReportPart filler(f.designer(), copy, 1, 1, 90);
        QCOMPARE(filler.LabelName->text(), QStringLiteral("Coin"));
        filler.RadioFiller->click();
        filler.OkButton->click();
        QCOMPARE(copy.item(1, 1).kind, kFillerKind);
        QCOMPARE(copy.item(1, 1).label, QString());
    }

    // A width of 0 ends the line at that item: it takes the rest of the line.
    void zeroWidthEndsTheLine()
    {
        Fixture f;
        ReportDefinition copy = sample();
        copy.clearLine(2, 0);
        copy.setItem(2, 1, Item{kFillerKind, 0, 30, QString()});
        copy.setItem(2, 2, Item{kFillerKind, 0, 30, QString()});
        copy.setItem(2, 3, Item{kFillerKind, 0, 30, QString()});
        TReportPart part(f.designer(), copy, 2, 2, 90);
        part.FieldWidth->setText(QStringLiteral("0"));
        part.OkButton->click();
        QCOMPARE(widthsOf(copy, 2), (QList<int>{30, 60}));
    }

    // Refusals: a width that is not a whole number; "Field" with no field chosen.
    void partEditorRefusals_data()
    {
        QTest::addColumn<QString>("width");
        QTest::addColumn<bool>("field");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("letters") << "ab" << false << "Invalid width entered.  Please correct."
                                 << "FieldWidth";
        QTest::newRow("empty") << "" << false << "Invalid width entered.  Please correct."
                               << "FieldWidth";
        QTest::newRow("no field") << "20" << true
                                  << "No field has been selected.  Please choose one."
                                  << "FieldList";
    }
    void partEditorRefusals()
    {
        QFETCH(QString, width);
        QFETCH(bool, field);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        Fixture f;
        ReportDefinition copy = sample();
        const QByteArray before = copy.bytes();
        bool open = false;
        QString focused;
        modal::enqueue([&](QDialog *d) {
            auto *part = qobject_cast<TReportPart *>(d);
            if (field) part->RadioField->click();
            part->FieldWidth->setText(width);
            part->OkButton->click();
            open = part->isVisible();
            if (QWidget *w = part->focusWidget()) focused = w->objectName();
        });
        TReportPart part(f.designer(), copy, 2, 1, 90);
        modal::show(&part);
        QVERIFY(open);
        QCOMPARE(focused, focus);
        QCOMPARE(f.prompts.askedTexts(), QStringList{message});
        QCOMPARE(f.prompts.asked().first().caption, QStringLiteral("Error"));
        QCOMPARE(f.prompts.asked().first().icon, Prompts::Icon::Warning);
        QCOMPARE(copy.bytes(), before);
    }
};

// A report designed through the dialogs, saved, and printed to a text file.
class DesignerEndToEndTests : public QObject
{
    Q_OBJECT

    // Designs the report "Designed" through the dialogs opened by New Report: three lines
    // (a label and a field, a field, a blank line) and a totals item; saves it.
    static QStringList design(TMyReport &w)
    {
        QStringList selections;
        modal::enqueue([&](QDialog *d) {
            TUserReport *u = designerOf(d);
            u->ReportName->setText(QStringLiteral("Designed"));
            u->Title1->setText(QStringLiteral("My Coins"));
            u->NumLines->setText(QStringLiteral("3"));
            u->Level1Group->click(); // no grouping
            u->DateOnPage->click();  // no date in the footer
            modal::enqueue([&](QDialog *dialog) {
                auto *layout = qobject_cast<TRepLayout *>(dialog);
                QVERIFY(layout);
                QVERIFY(layout->BodyHeading->isVisibleTo(layout));
                QVERIFY(layout->TotalsHeading->isVisibleTo(layout));
                QString at;
                auto edit = [&](int line, int item, const modal::Action &action) {
                    modal::enqueue(action);
                    const QPoint p = cellCentre(layout, line, item);
                    clickAt(layout, p.x(), p.y());
                    selections << at;
                };
                // Line 1: a label of 10, the country in 20, the rest blank.
                edit(1, 1,
                     partAction(Kind::Label, QStringLiteral("10"), QStringLiteral("Coin:"), -1,
                                &at));
                edit(1, 2, partAction(Kind::Field, QStringLiteral("20"), {}, 0, &at));
                // Line 2: the year in 10.
                edit(2, 1, partAction(Kind::Field, QStringLiteral("10"), {}, 2, &at));
                // Line 3: a blank line of the report's width.
                edit(3, 1, partAction(Kind::Filler, QStringLiteral("90"), {}, -1, &at));
                // Totals: the quantity in 20.
                edit(kTotalsRow, 1, partAction(Kind::Field, QStringLiteral("20"), {}, 3, &at));
                layout->OkButton->click();
            });
            u->SpecifyButton->click();
            u->UpdateButton->click();
        });
        w.DoNew();
        return selections;
    }

private slots:
    void designSavePrint()
    {
        Fixture f;
        f.settings.fieldNames[0] = QStringLiteral("Land");
        TMyReport w(f.context());
        w.FormShow();
        w.ReportBox->setCurrentRow(0);
        const QStringList selections = design(w);
        QCOMPARE(modal::pending(), 0);
        QCOMPARE(selections,
                 (QStringList{QStringLiteral("Line 1, Item 1"), QStringLiteral("Line 1, Item 2"),
                              QStringLiteral("Line 2, Item 1"), QStringLiteral("Line 3, Item 1"),
                              QStringLiteral("Totals Line, Item 1")}));
        QVERIFY(f.prompts.asked().isEmpty());
        QCOMPARE(w.ReportBox->count(), 6);
        QCOMPARE(w.ReportBox->currentRow(), 5);

        // Saved as designed: stored field names, fitted lines.
        ReportDefinition saved;
        QVERIFY(ReportFile().read(5, saved));
        QCOMPARE(saved.name(), QStringLiteral("Designed"));
        QCOMPARE(saved.numberOfLines(), 3);
        QCOMPARE(saved.item(1, 2).kind, QStringLiteral("Country"));
        QCOMPARE(saved.item(2, 1).kind, QStringLiteral("Year"));
        QCOMPARE(saved.item(kTotalsLine, 1).kind, QStringLiteral("Quantity"));
        QCOMPARE(saved.item(kTotalsLine, 1).field, 4);
        for (int line = 1; line <= 3; ++line)
            QVERIFY(saved.lineIsFitted(line, 90));

        // Printed to a file at once.
        const QString out = f.dir.filePath(QStringLiteral("designed.txt"));
        f.prompts.answer(out);
        modal::enqueue([](QDialog *d) {
            auto *form = qobject_cast<TReportForm *>(d);
            QVERIFY(form);
            form->FormActivate();
            form->BitBtn1Click();
        });
        w.DoPrintToFile();
        QCOMPARE(modal::pending(), 0);
        const QString text = QString::fromLatin1(readBytes(out));
        auto pad = [](const QString &s, int n) { return s.leftJustified(n); };
        const QString blank(90, QLatin1Char(' '));
        QStringList expected{QStringLiteral("My Coins")};
        const QList<QPair<QString, QString>> coins{
            {QStringLiteral("Canada"), QStringLiteral("1967")},
            {QStringLiteral("Canada"), QStringLiteral("1967")},
            {QStringLiteral("France"), QStringLiteral("1960")},
            {QStringLiteral("Mexico"), QStringLiteral("1950")}};
        for (const auto &[country, year] : coins) {
            expected << QStringLiteral("Coin:").rightJustified(10) + pad(country, 20) +
                            QString(60, QLatin1Char(' '));
            expected << pad(year, 10) + QString(80, QLatin1Char(' '));
            expected << blank;
        }
        const QString totalsRow = pad(QStringLiteral("7"), 20) + QString(70, QLatin1Char(' '));
        expected << QString(42, QLatin1Char(' ')) + QStringLiteral("TOTALS") << totalsRow
                 << QString() << QString(39, QLatin1Char(' ')) + QStringLiteral("GRAND TOTALS")
                 << totalsRow << QString() << QStringLiteral("Page 1     \f");
        QCOMPARE(text.split(QStringLiteral("\r\n")), expected + QStringList{QString()});

        // And viewed: the preview shows its page under the report's name.
        modal::enqueue([](QDialog *d) {
            auto *form = qobject_cast<TReportForm *>(d);
            form->FormActivate();
            QVERIFY(!form->Cancelled());
            form->BitBtn1Click();
        });
        QString caption;
        int pages = 0;
        modal::enqueue([&](QDialog *d) {
            auto *preview = qobject_cast<TMyPreview *>(d);
            QVERIFY(preview);
            caption = preview->windowTitle();
            pages = preview->pageCount();
            preview->close();
        });
        w.DoView();
        QCOMPARE(modal::pending(), 0);
        QCOMPARE(caption, QStringLiteral("Designed"));
        QCOMPARE(pages, 1);
    }

    // The designed report printed on the PDF print queue.
    void designPrint()
    {
        const int queue = engine::installedPrinters().names.indexOf(QStringLiteral("NumarokPDF"));
        if (queue < 0) QFAIL("The PDF print queue NumarokPDF is missing; scripts/test sets it up.");
        Fixture f;
        f.settings.defaultPrinter = false;
        f.settings.printerIndex = queue;
        TMyReport w(f.context());
        w.FormShow();
        design(w);
        QCOMPARE(w.ReportBox->currentItem()->text(), QStringLiteral("Designed"));
        const QStringList before = reporttest::pdfsNow();
        modal::enqueue([](QDialog *d) {
            auto *form = qobject_cast<TReportForm *>(d);
            form->FormActivate();
            QVERIFY(!form->Cancelled());
            form->BitBtn1Click();
        });
        w.DoPrint();
        const QString printed = reporttest::awaitPdf(before);
        QVERIFY2(!printed.isEmpty(), "no PDF of the printed report");
        const QString text = reporttest::pdfText(printed);
        QFile::remove(printed);
        for (const char *expected :
             {"My Coins", "Coin:", "Canada", "Mexico", "1950", "GRAND TOTALS", "Page 1"})
            QVERIFY2(text.contains(QLatin1String(expected)), expected);
    }
};

REGISTER_TEST(DesignerTests)
REGISTER_TEST(LayoutTests)
REGISTER_TEST(DesignerEndToEndTests)
#include "tst_report_designer.moc"
