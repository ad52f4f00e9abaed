// The report windows over coin tables written by python3-dbf: the selection window's
// messages, sort order label and search choice, the status window's cancel, the preview's
// zoom, pages and range dialog, and printing through the NumarokPDF CUPS queue.
#include "app/settings.h"
#include "db/coin_database.h"
#include "db/coin_schema.h"
#include "dbase/table.h"
#include "platform/help_window.h"
#include "platform/modal.h"
#include "platform/prompts.h"
#include "platform/regional.h"
#include "report_tests.h"
#include "reports/engine/file_preview.h"
#include "reports/engine/printers.h"
#include "reports/ready_made.h"
#include "reports/report_designer.h"
#include "reports/report_file.h"
#include "reports/report_preview.h"
#include "reports/report_windows.h"
#include "test_files.h"
#include "test_registry.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>

using namespace reports;
using namespace reporttest;

namespace
{

// A program directory with the ready-made reports (the Complete Report titled), a coin
// table of make_coins.py, and the context the main window would give.
struct Fixture {
    QTemporaryDir dir{QStringLiteral("/tmp/wt17-win-XXXXXX")};
    ScriptedPrompts prompts;
    CoinDatabase db;
    dbase::Table &table = db.table();
    Settings &settings = db.settings();
    RegionalSettings regional;
    int suspended = 0, resumed = 0;

    explicit Fixture(const QString &set = QStringLiteral("small"))
    {
        useDirectories(dir.path());
        QDir().mkpath(dir.path() + QStringLiteral("/home"));
        std::vector<ReportDefinition> defs = reporttest::readyMadeReports();
        defs[3].setTitle(1, QStringLiteral("My Collection"));
        defs[3].setTitle(2, QStringLiteral("Every Coin"));
        ReportFile().append(defs);
        // The search: the coins of Canada.
        db.searchTest = [](const dbase::Table &t) { return t.asString(0) == "Canada"; };
        if (!reporttest::makeCoins(dir.path(), set, table)) qFatal("make_coins.py failed");
        reporttest::useDefaultFieldNames(settings.fieldNames);
        settings.sortLevels[0] = coin::Country;
        settings.sortLevels[1] = 0;
    }

    void setSearch(bool on)
    {
        db.setSearchOn(on);
        table.refilter();
    }

    ReportContext context()
    {
        return ReportContext{db,
                             regional,
                             [this] {
                                 ++suspended;
                                 setSearch(false);
                             },
                             [this] {
                                 ++resumed;
                                 setSearch(true);
                             },
                             {}};
    }
};

// Runs the status window to its end and closes it.
void runStatusToEnd()
{
    modal::enqueue([](QDialog *d) {
        auto *form = qobject_cast<TReportForm *>(d);
        QVERIFY(form);
        form->FormActivate();
        QVERIFY(form->Finished());
        QCOMPARE(form->BitBtn1->text(), QStringLiteral("&OK"));
        form->BitBtn1Click();
    });
}

} // namespace

class ReportWindowTests : public QObject
{
    Q_OBJECT

private slots:
    void init() { modal::clear(); }

    void sortOrderLabel_data()
    {
        QTest::addColumn<QList<int>>("levels");
        QTest::addColumn<QString>("expected");
        QTest::newRow("none") << QList<int>{0, 0, 0, 0} << "No Sort Order Selected";
        QTest::newRow("country, year") << QList<int>{1, 3, 0, 0} << "Land, Year";
        QTest::newRow("gap") << QList<int>{0, 13, 0, 11} << "Quantity, Purch Date";
    }
    void sortOrderLabel()
    {
        QFETCH(QList<int>, levels);
        QFETCH(QString, expected);
        Fixture f;
        f.settings.fieldNames[0] = QStringLiteral("Land");
        for (int k = 0; k < 4; ++k)
            f.settings.sortLevels[k] = levels[k];
        TMyReport w(f.context());
        w.FormShow();
        QCOMPARE(w.SortOrderLabel->text(), expected);
    }

    void searchChoice()
    {
        Fixture f;
        f.settings.lastReport = 2;
        TMyReport w(f.context());
        QCOMPARE(w.ReportBox->count(), 5);
        w.FormShow();
        QVERIFY(w.ExportEntire->isChecked());
        QVERIFY(!w.ExportSearch->isEnabled());
        QCOMPARE(w.ReportBox->currentRow(), 2);
        f.setSearch(true);
        w.FormShow();
        QVERIFY(w.ExportSearch->isEnabled());
        QVERIFY(w.ExportSearch->isChecked());
        w.ReportBox->setCurrentRow(4);
        w.accept();
        QCOMPARE(f.settings.lastReport, 4);
    }

    void refusals()
    {
        Fixture f;
        TMyReport w(f.context());
        w.FormShow();
        w.ReportBox->setCurrentRow(-1);
        w.DoView();
        QCOMPARE(f.prompts.askedTexts(),
                 QStringList{QStringLiteral("No Report has been selected.  Please choose one.")});
        QCOMPARE(f.prompts.asked().last().caption, QStringLiteral("Error"));
        w.DoModify();
        QCOMPARE(f.prompts.askedTexts().size(), 2);
        // The definitions file gone after the list was filled.
        w.ReportBox->setCurrentRow(0);
        QFile::remove(ReportFile::defaultPath());
        w.DoPrint();
        QCOMPARE(f.prompts.askedTexts().last(),
                 QStringLiteral("Report format could not be located."));
        QCOMPARE(modal::pending(), 0);
    }

    void printToFileCancelledDoesNothing()
    {
        Fixture f;
        TMyReport w(f.context());
        w.FormShow();
        w.ReportBox->setCurrentRow(0);
        f.prompts.answer(QString());
        bool shown = false;
        modal::enqueue([&shown](QDialog *) { shown = true; });
        w.DoPrintToFile();
        QVERIFY(!shown);
        modal::clear();
        QCOMPARE(f.prompts.asked().first().kind, QStringLiteral("save"));
        QCOMPARE(f.prompts.asked().first().caption, QStringLiteral("Save Report As a Text File"));
    }

    // With a search on and "Print Entire Database" chosen, every coin is printed and the
    // search is on again afterwards.
    void entireDatabaseWithSearchOn_data()
    {
        QTest::addColumn<bool>("entire");
        QTest::addColumn<int>("coins");
        QTest::newRow("entire database") << true << 4;
        QTest::newRow("search criteria") << false << 2;
    }
    void entireDatabaseWithSearchOn()
    {
        QFETCH(bool, entire);
        QFETCH(int, coins);
        Fixture f;
        f.setSearch(true);
        QCOMPARE(f.table.recordCount(), 2);
        TMyReport w(f.context());
        w.FormShow();
        if (entire) w.ExportEntire->setChecked(true);
        w.ReportBox->setCurrentRow(0);
        const QString out = f.dir.filePath(QStringLiteral("report.txt"));
        f.prompts.answer(out);
        runStatusToEnd();
        w.DoPrintToFile();
        QCOMPARE(modal::pending(), 0);
        const QString text = QString::fromLatin1(readBytes(out));
        int lines = 0;
        for (const char *country : {"Canada ", "France ", "Mexico "})
            lines += text.count(QRegularExpression(QStringLiteral("^") + QLatin1String(country),
                                                   QRegularExpression::MultilineOption));
        QCOMPARE(lines, coins);
        QVERIFY(f.db.searchOn());
        QCOMPARE(f.suspended, entire ? 1 : 0);
        QCOMPARE(f.resumed, entire ? 1 : 0);
        QCOMPARE(f.table.recordCount(), 2);
    }

    // Cancelling during a view run shows no preview.
    void cancelShowsNoPreview()
    {
        Fixture f(QStringLiteral("long"));
        TMyReport w(f.context());
        w.FormShow();
        w.ReportBox->setCurrentRow(3);
        QString finalStatus, runningStatus;
        modal::enqueue([&finalStatus, &runningStatus](QDialog *d) {
            auto *form = qobject_cast<TReportForm *>(d);
            // The click arrives while the run lets input through.
            QTimer::singleShot(0, form, [form, &runningStatus] {
                runningStatus = form->StatusLabel->text();
                QCOMPARE(form->BitBtn1->text(), QStringLiteral("&Cancel"));
                form->BitBtn1Click();
            });
            form->FormActivate();
            QVERIFY(form->Cancelled());
            finalStatus = form->StatusLabel->text();
            form->BitBtn1Click();
        });
        bool previewShown = false;
        modal::enqueue([&previewShown](QDialog *) { previewShown = true; });
        w.DoView();
        QVERIFY(!previewShown);
        modal::clear();
        QCOMPARE(runningStatus, QStringLiteral("Printing Page 1\n\n"));
        QCOMPARE(finalStatus, QStringLiteral("\nReport Canceled!"));
        QVERIFY(!f.table.controlsDisabled());
    }

    void viewShowsPreview()
    {
        Fixture f(QStringLiteral("long"));
        f.settings.reportLeft = 20;
        f.settings.reportTop = 30;
        f.settings.reportWidth = 700;
        f.settings.reportHeight = 500;
        TMyReport w(f.context());
        w.FormShow();
        w.ReportBox->setCurrentRow(3);
        QString status;
        modal::enqueue([&status](QDialog *d) {
            auto *form = qobject_cast<TReportForm *>(d);
            form->FormActivate();
            status = form->StatusLabel->text();
            form->BitBtn1Click();
        });
        int pages = 0;
        QString caption, label;
        modal::enqueue([&](QDialog *d) {
            auto *p = qobject_cast<TMyPreview *>(d);
            QVERIFY(p);
            caption = p->windowTitle();
            pages = p->pageCount();
            label = p->PageLabel->text();
            p->setGeometry(40, 50, 700, 500);
            p->close();
        });
        w.DoView();
        QCOMPARE(status, QStringLiteral("\nReport Completed!"));
        QCOMPARE(caption, QStringLiteral("Complete Report"));
        QVERIFY(pages >= 4);
        QCOMPARE(label, QStringLiteral("Page 1 of %1").arg(pages));
        QCOMPARE(f.settings.reportWidth, 700);
        QCOMPARE(f.settings.reportLeft, 40);
    }

    // Printing on a machine without printers says so and counts as not completed.
    void printWithoutPrinters()
    {
        Fixture f;
        engine::setInstalledPrintersForTesting(engine::PrinterList{});
        TMyReport w(f.context());
        w.FormShow();
        w.ReportBox->setCurrentRow(0);
        QString status;
        modal::enqueue([&status](QDialog *d) {
            auto *form = qobject_cast<TReportForm *>(d);
            form->FormActivate();
            status = form->StatusLabel->text();
            form->BitBtn1Click();
        });
        w.DoPrint();
        engine::setInstalledPrintersForTesting(std::nullopt);
        QCOMPARE(f.prompts.askedTexts(),
                 QStringList{QStringLiteral("No printers are defined, aborting print job.")});
        QCOMPARE(status, QStringLiteral("\nReport Canceled!"));
        QVERIFY(!f.table.controlsDisabled());
    }

    // A text file that cannot be written: the user is told, the run counts as not completed.
    void unwritableTextFile()
    {
        Fixture f;
        TMyReport w(f.context());
        w.FormShow();
        w.ReportBox->setCurrentRow(0);
        f.prompts.answer(f.dir.filePath(QStringLiteral("missing/dir/report.txt")));
        QString status;
        modal::enqueue([&status](QDialog *d) {
            auto *form = qobject_cast<TReportForm *>(d);
            form->FormActivate();
            status = form->StatusLabel->text();
            form->BitBtn1Click();
        });
        w.DoPrintToFile();
        QCOMPARE(f.prompts.asked().last().caption, QStringLiteral("Error"));
        QVERIFY(f.prompts.askedTexts().last().contains(QStringLiteral("could not be written")));
        QCOMPARE(status, QStringLiteral("\nReport Canceled!"));
        QVERIFY(!f.table.controlsDisabled());
    }

    // Modify and New open the designer on the selected record or on a new definition.
    void modifyAndNewOpenTheDesigner()
    {
        Fixture f;
        TMyReport w(f.context());
        w.FormShow();
        w.ReportBox->setCurrentRow(2);
        QString name, lines, width;
        bool deletable = false, isNew = true;
        int index = -1;
        auto look = [&](QDialog *d) {
            auto *designer = qobject_cast<TUserReport *>(d);
            QVERIFY(designer);
            name = designer->ReportName->text();
            lines = designer->NumLines->text();
            width = designer->Chars90->isChecked()    ? QStringLiteral("90")
                    : designer->Chars120->isChecked() ? QStringLiteral("120")
                                                      : QStringLiteral("150");
            deletable = designer->DeleteButton->isEnabled();
            isNew = designer->isNew();
            index = designer->recordIndex();
            designer->CancelButton->click();
        };
        modal::enqueue(look);
        w.DoModify();
        QCOMPARE(name, QStringLiteral("Three Line Report"));
        QCOMPARE(lines, QStringLiteral("4"));
        QVERIFY(deletable);
        QVERIFY(!isNew);
        QCOMPARE(index, 2);
        modal::enqueue(look);
        w.DoNew();
        QCOMPARE(name, QString());
        QCOMPARE(width, QStringLiteral("90"));
        QCOMPARE(lines, QStringLiteral("1"));
        QVERIFY(!deletable);
        QVERIFY(isNew);
        QCOMPARE(ReportDefinition::shared().numberOfLines(), 1);
        QCOMPARE(modal::pending(), 0);
    }

    void helpOpensTheReportWindowTopic()
    {
        Fixture f;
        TMyReport w(f.context());
        w.FormShow();
        w.findChild<QAction *>(QStringLiteral("MenuHelp"))->trigger();
        QVERIFY(help::browser());
        QCOMPARE(help::browser()->property("anchor").toString(), QStringLiteral("Report_Window"));
    }

    void shortcuts()
    {
        Fixture f;
        TMyReport w(f.context());
        const QList<QPair<const char *, const char *>> keys{
            {"MenuView", "Ctrl+V"},   {"MenuPrint", "Ctrl+P"}, {"MenuPrintToFile", "Ctrl+F"},
            {"MenuModify", "Ctrl+M"}, {"MenuNew", "Ctrl+N"},   {"MenuExit", "Ctrl+X"}};
        for (const auto &[name, key] : keys) {
            QAction *a = w.findChild<QAction *>(QLatin1String(name));
            QVERIFY2(a, name);
            QCOMPARE(a->shortcut(), QKeySequence(QLatin1String(key)));
        }
        QCOMPARE(w.PrinterSetup->text(), QStringLiteral("Printer &Setup"));
    }

    void printerSelection()
    {
        Fixture f;
        engine::setInstalledPrintersForTesting(engine::PrinterList{
            {QStringLiteral("Desk"), QStringLiteral("Cellar")}, QStringLiteral("Desk")});
        f.settings.defaultPrinter = true;
        f.settings.printerIndex = 1;
        {
            TPrintSelect dialog(f.settings);
            QVERIFY(dialog.DefaultPrinter->isChecked());
            QCOMPARE(dialog.PrinterList->count(), 2);
            QCOMPARE(dialog.PrinterList->currentText(), QStringLiteral("Cellar"));
            dialog.OtherPrinter->setChecked(true);
            dialog.PrinterList->setCurrentIndex(0);
            dialog.CancelButton->click();
            QVERIFY(f.settings.defaultPrinter);
            dialog.OkButtonClick();
            QVERIFY(!f.settings.defaultPrinter);
            QCOMPARE(f.settings.printerIndex, 0);
        }
        engine::setInstalledPrintersForTesting(engine::PrinterList{});
        TPrintSelect empty(f.settings);
        QCOMPARE(empty.PrinterList->count(), 0);
        empty.OkButtonClick();
        QCOMPARE(f.settings.printerIndex, -1);
        engine::setInstalledPrintersForTesting(std::nullopt);
    }
};

class PreviewWindowTests : public QObject
{
    Q_OBJECT
    engine::PageStream m_stream;
    Settings m_settings;

private slots:
    void initTestCase()
    {
        for (int k = 0; k < 4; ++k)
            m_stream.pages.push_back(
                engine::StoredPage{QSizeF(8.5, 11), QPageLayout::Portrait, {}, {}, {}});
    }
    void init() { modal::clear(); }

    void zoom_data()
    {
        QTest::addColumn<double>("start");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("expected");
        QTest::newRow("15 - 10") << 15.0 << "out"
                                 << "10.0";
        QTest::newRow("195 + 10") << 195.0 << "in"
                                  << "200.0";
        QTest::newRow("typed 500") << 100.0 << "500"
                                   << "200.0";
        QTest::newRow("typed 55.5") << 100.0 << "55.5"
                                    << "55.5";
        QTest::newRow("typed nonsense") << 80.0 << "abc"
                                        << "80.0";
        QTest::newRow("1 : 3") << 100.0 << "ZoomOut3"
                               << "33.3";
        QTest::newRow("2 : 1") << 100.0 << "ZoomIn2"
                               << "200.0";
    }
    void zoom()
    {
        QFETCH(double, start);
        QFETCH(QString, action);
        QFETCH(QString, expected);
        TMyPreview p(m_stream, m_settings, -1, QStringLiteral("R"));
        p.show();
        p.MyFilePreview->SetZoomFactor(start);
        if (action == QLatin1String("in"))
            p.findChild<QToolButton *>(QStringLiteral("SBZoomIn"))->click();
        else if (action == QLatin1String("out"))
            p.findChild<QToolButton *>(QStringLiteral("SBZoomOut"))->click();
        else if (action.startsWith(QLatin1String("Zoom")))
            p.findChild<QAction *>(action)->trigger();
        else {
            p.ZoomEdit->setText(action);
            p.ZoomEditExit();
        }
        QCOMPARE(p.ZoomEdit->text(), expected);
        p.close();
    }

    void pages()
    {
        TMyPreview p(m_stream, m_settings, -1, QStringLiteral("R"));
        p.show();
        QCOMPARE(p.PageLabel->text(), QStringLiteral("Page 1 of 4"));
        p.findChild<QAction *>(QStringLiteral("MenuPrevPage"))->trigger();
        QCOMPARE(p.currentPage(), 1);
        p.findChild<QToolButton *>(QStringLiteral("SBNextPage"))->click();
        QCOMPARE(p.PageEdit->text(), QStringLiteral("2"));
        QCOMPARE(p.PageLabel->text(), QStringLiteral("Page 2 of 4"));
        p.PageEdit->setText(QStringLiteral(" 4 "));
        p.PageEditExit();
        QCOMPARE(p.PageLabel->text(), QStringLiteral("Page 4 of 4"));
        p.findChild<QAction *>(QStringLiteral("MenuNextPage"))->trigger();
        QCOMPARE(p.currentPage(), 4);
        p.PageEdit->setText(QStringLiteral("x"));
        p.PageEditExit();
        QCOMPARE(p.currentPage(), 4);
        QCOMPARE(p.PageEdit->text(), QStringLiteral("4"));
        p.findChild<QAction *>(QStringLiteral("MenuFirstPage"))->trigger();
        QCOMPARE(p.PageLabel->text(), QStringLiteral("Page 1 of 4"));
        p.findChild<QAction *>(QStringLiteral("MenuLastPage"))->trigger();
        QCOMPARE(p.currentPage(), 4);
        // Colour: the mark follows the display, the page stays.
        QVERIFY(p.MenuColor->isChecked());
        p.MenuColorClick();
        QVERIFY(!p.MenuColor->isChecked());
        QVERIFY(p.MyFilePreview->Monochrome());
        QCOMPARE(p.currentPage(), 4);
        p.close();
    }

    // A place remembered on a screen that is gone comes back onto this one.
    void keptOnTheScreen()
    {
        Settings settings;
        settings.reportLeft = 5000;
        settings.reportTop = -300;
        settings.reportWidth = 640;
        settings.reportHeight = 480;
        TMyPreview p(m_stream, settings, -1, QStringLiteral("R"));
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY2(screen.contains(p.geometry()),
                 qPrintable(QStringLiteral("%1,%2").arg(p.x()).arg(p.y())));
        QCOMPARE(p.geometry().size(), QSize(640, 480).boundedTo(screen.size()));
    }

    void shortcuts()
    {
        TMyPreview p(m_stream, m_settings, -1, QStringLiteral("R"));
        const QList<QPair<const char *, const char *>> keys{
            {"MenuPrintPage", "Ctrl+P"},  {"MenuPrintReport", "Ctrl+R"},
            {"MenuPrintRange", "Ctrl+G"}, {"MenuSavePdf", "Ctrl+S"},
            {"MenuExit", "Ctrl+X"},       {"ZoomPageWidth", "Ctrl+Z"},
            {"ZoomWholePage", "Ctrl+W"},  {"MenuColor", "Ctrl+C"},
            {"MenuFirstPage", "Ctrl+F"},  {"MenuPrevPage", "Ctrl+E"},
            {"MenuNextPage", "Ctrl+N"},   {"MenuLastPage", "Ctrl+L"}};
        for (const auto &[name, key] : keys) {
            QAction *a = p.findChild<QAction *>(QLatin1String(name));
            QVERIFY2(a, name);
            QCOMPARE(a->shortcut(), QKeySequence(QLatin1String(key)));
        }
    }

    void rangeDialog_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QString>("message"); // empty: accepted
        QTest::newRow("start 0") << "0"
                                 << "3"
                                 << "Invalid Starting Page specified. Please correct.";
        QTest::newRow("start past the end") << "5"
                                            << "4"
                                            << "Invalid Starting Page specified. Please correct.";
        QTest::newRow("start empty") << ""
                                     << "4"
                                     << "Invalid Starting Page specified. Please correct.";
        QTest::newRow("end before start") << "3"
                                          << "2"
                                          << "Invalid Ending Page specified.  Please correct.";
        QTest::newRow("end past the count") << "1"
                                            << "5"
                                            << "Invalid Ending Page specified.  Please correct.";
        QTest::newRow("one page") << " 2 "
                                  << "2"
                                  << "";
        QTest::newRow("all") << "1"
                             << "4"
                             << "";
    }
    void rangeDialog()
    {
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(QString, message);
        ScriptedPrompts prompts;
        TPrintRange range(4);
        QCOMPARE(range.StartPage->text(), QStringLiteral("1"));
        QCOMPARE(range.EndPage->text(), QStringLiteral("4"));
        range.show();
        range.StartPage->setText(start);
        range.EndPage->setText(end);
        range.PrintButtonClick();
        if (message.isEmpty()) {
            QVERIFY(prompts.asked().isEmpty());
            QCOMPARE(range.result(), int(QDialog::Accepted));
            QCOMPARE(range.first(), start.trimmed().toInt());
            QCOMPARE(range.last(), end.toInt());
        } else {
            QCOMPARE(prompts.askedTexts(), QStringList{message});
            QCOMPARE(prompts.asked().first().caption, QStringLiteral("Error"));
            QVERIFY(range.isVisible());
        }
    }

    // A print request while an earlier one is still going is refused with the message;
    // a range dialog cancelled prints nothing.
    void busyPrinterRefuses()
    {
        ScriptedPrompts prompts;
        QTemporaryDir dir(QStringLiteral("/tmp/wt17-busy-XXXXXX"));
        TMyPreview p(m_stream, m_settings, -1, QStringLiteral("R"));
        modal::enqueue([](QDialog *d) { qobject_cast<TPrintRange *>(d)->CancelButton->click(); });
        p.MenuPrintRangeClick();
        QVERIFY(prompts.asked().isEmpty());
        const QString pdf = dir.filePath(QStringLiteral("busy.pdf"));
        prompts.answer(pdf);
        // The click arrives while the PDF is being written, between two pages.
        QTimer::singleShot(0, &p, [&p] { p.SBPrintClick(); });
        p.MenuSavePdfClick();
        QCOMPARE(prompts.askedTexts().last(),
                 QStringLiteral("Previous print job has not yet finished.  Try again later."));
        QCOMPARE(prompts.asked().last().caption, QStringLiteral("Error"));
        QCOMPARE(pdfPages(pdf), 4);
    }
};

// The same report through the PDF print queue: printed directly, from the stored pages
// (all, a range) and saved as PDF.
class ReportPrintTests : public QObject
{
    Q_OBJECT

    static int queueIndex()
    {
        return engine::installedPrinters().names.indexOf(QStringLiteral("NumarokPDF"));
    }

private slots:
    void initTestCase()
    {
        if (queueIndex() < 0)
            QFAIL("The PDF print queue NumarokPDF is missing; scripts/test sets it up.");
    }
    void init() { modal::clear(); }

    void choiceListsTheQueues()
    {
        Settings settings;
        TPrintSelect dialog(settings);
        QVERIFY(dialog.PrinterList->findText(QStringLiteral("NumarokPDF")) >= 0);
    }

    void viewPrintAndSave()
    {
        Fixture f(QStringLiteral("long"));
        f.settings.defaultPrinter = false;
        f.settings.printerIndex = queueIndex();
        TMyReport w(f.context());
        w.FormShow();
        w.ReportBox->setCurrentRow(3);
        const QString saved = f.dir.filePath(QStringLiteral("saved.pdf"));
        int stored = 0;
        QString all, range;
        runStatusToEnd();
        modal::enqueue([&](QDialog *d) {
            auto *p = qobject_cast<TMyPreview *>(d);
            stored = p->pageCount();
            QStringList before = pdfsNow();
            p->MenuPrintReportClick();
            all = awaitPdf(before);
            before = pdfsNow();
            modal::enqueue([](QDialog *r) {
                auto *dialog = qobject_cast<TPrintRange *>(r);
                dialog->StartPage->setText(QStringLiteral("2"));
                dialog->EndPage->setText(QStringLiteral("3"));
                dialog->PrintButtonClick();
            });
            p->MenuPrintRangeClick();
            range = awaitPdf(before);
            f.prompts.answer(saved);
            p->MenuSavePdfClick();
            p->close();
        });
        w.DoView();
        QVERIFY(stored >= 4);
        QVERIFY2(!all.isEmpty(), "no PDF came out of the queue");
        QCOMPARE(pdfPages(all), stored);
        const QString text = pdfText(all);
        QVERIFY(text.contains(QStringLiteral("My Collection")));
        QVERIFY(text.contains(QStringLiteral("Every Coin")));
        QVERIFY(text.contains(QStringLiteral("GRAND TOTALS")));
        QVERIFY(text.contains(QStringLiteral("Last coin")));
        QVERIFY2(!range.isEmpty(), "no PDF of the range came out of the queue");
        QCOMPARE(pdfPages(range), 2);
        QVERIFY(pdfText(range).contains(QStringLiteral("Page 2")));
        QVERIFY(!pdfText(range).contains(QStringLiteral("Page 1 ")));
        QCOMPARE(pdfPages(saved), stored);
        QVERIFY(pdfText(saved).contains(QStringLiteral("GRAND TOTALS")));
        QVERIFY(pdfText(saved).contains(QStringLiteral("Last coin")));
        QFile::remove(all);
        QFile::remove(range);

        // Printed directly: as many pages as were stored.
        const QStringList before = pdfsNow();
        runStatusToEnd();
        w.DoPrint();
        const QString printed = awaitPdf(before);
        QVERIFY2(!printed.isEmpty(), "no PDF of the printed report");
        QCOMPARE(pdfPages(printed), stored);
        QVERIFY(pdfText(printed).contains(QStringLiteral("Last coin")));
        QFile::remove(printed);
    }
};

REGISTER_TEST(ReportWindowTests)
REGISTER_TEST(PreviewWindowTests)
REGISTER_TEST(ReportPrintTests)
#include "tst_report_windows.moc"
