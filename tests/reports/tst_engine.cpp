// The page-output engine: the line-and-column model, page events and cancelling, status
// formats, stored pages replayed into PDF files read back by pdftotext and pdfinfo, the
// printer producer, and the preview's zoom and navigation.
#include "platform/prompts.h"
#include "report_tests.h"
#include "reports/engine/base_report.h"
#include "reports/engine/file_preview.h"
#include "reports/engine/file_printer.h"
#include "reports/engine/printers.h"
#include "reports/engine/producers.h"
#include "test_registry.h"

#include <QDir>
#include <QLabel>
#include <QPdfWriter>
#include <QPrinter>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace engine;
using namespace reporttest;

namespace
{

// Runs a filer job of `pages` pages; `draw` fills each page.
bool record(PageStream &stream, int pages, const std::function<void(TBaseReport &)> &draw,
            TReportFiler *use = nullptr)
{
    TReportFiler own;
    TReportFiler &filer = use ? *use : own;
    filer.setStream(&stream);
    filer.OnPrintPage = [&](TBaseReport &r) {
        draw(r);
        return r.PageNumber() < pages;
    };
    return filer.Execute();
}

QStringList pdfWords(const QString &pdf, int page = 0)
{
    QStringList args{QStringLiteral("-layout")};
    if (page > 0)
        args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l")
             << QString::number(page);
    args << pdf << QStringLiteral("-");
    return run(QStringLiteral("pdftotext"), args)
        .simplified()
        .split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

const Command *findText(const StoredPage &page, const QString &text)
{
    for (const Command &c : page.commands)
        if (c.kind == Command::Text && page.texts[static_cast<size_t>(c.index)] == text) return &c;
    return nullptr;
}

int countKind(const StoredPage &page, Command::Kind kind)
{
    return static_cast<int>(std::count_if(page.commands.begin(), page.commands.end(),
                                          [kind](const Command &c) { return c.kind == kind; }));
}

// Machines in these tests have no printer unless a test says otherwise, so that measuring
// and page sizes do not depend on the print queues installed.
struct NoPrinters {
    NoPrinters() { setInstalledPrintersForTesting(PrinterList{}); }
    ~NoPrinters() { setInstalledPrintersForTesting(std::nullopt); }
};

} // namespace

class EngineTests : public QObject
{
    Q_OBJECT
    NoPrinters m_noPrinters;

private slots:
    void lineHeight_data()
    {
        QTest::addColumn<double>("points");
        QTest::addColumn<double>("inches");
        QTest::newRow("10 points") << 10.0 << 1.0 / 6.0;
        QTest::newRow("6 points") << 6.0 << 0.1;
        QTest::newRow("12 points") << 12.0 << 0.2;
    }
    void lineHeight()
    {
        QFETCH(double, points);
        QFETCH(double, inches);
        TReportFiler filer;
        filer.SetFont(QStringLiteral("Arial"), points);
        QCOMPARE(filer.LineHeight(), inches);
        // EndLine moves the cursor down by exactly one line height.
        PageStream stream;
        double before = 0, after = 0;
        record(
            stream, 1,
            [&](TBaseReport &r) {
                r.Home();
                before = r.CursorY();
                r.EndLine();
                after = r.CursorY();
            },
            &filer);
        QVERIFY(qAbs(after - before - inches) < 1e-9);
        QVERIFY(qAbs(before - (filer.MarginTop + inches)) < 1e-9);
    }

    void linesRemaining()
    {
        PageStream stream;
        QList<int> remaining;
        record(stream, 1, [&](TBaseReport &r) {
            r.SetFont(QStringLiteral("Arial"), 6); // 0.1 inch lines
            r.SetBandTop(1.0);
            r.SetBandBottom(1.5);
            r.Home(); // first line's baseline at 1.1
            remaining << r.LinesRemaining();
            for (int k = 0; k < 5; ++k) {
                r.EndLine();
                remaining << r.LinesRemaining();
            }
            // Moving the bottom above the cursor brings the cursor up to it.
            r.SetBandBottom(1.2);
            remaining << r.LinesRemaining();
        });
        QCOMPARE(remaining, (QList<int>{5, 4, 3, 2, 1, 0, 1}));
    }

    void bandTopMovesTheCursorDown()
    {
        PageStream stream;
        double y = 0;
        record(stream, 1, [&](TBaseReport &r) {
            r.SetFont(QStringLiteral("Arial"), 10);
            r.Home();
            r.SetBandTop(1.25);
            y = r.CursorY();
        });
        QVERIFY(qAbs(y - (1.25 + 1.0 / 6.0)) < 1e-9);
    }

    void columnStops()
    {
        PageStream stream;
        double textWidth2 = 0, textWidth9 = -1;
        record(stream, 1, [&](TBaseReport &r) {
            r.MarginLeft = 0.75;
            r.SetFont(QStringLiteral("Arial"), 10);
            r.Home();
            r.ClearColumns();
            r.AddColumn(Align::Left, RulesAll, 0, 2, 2.0);
            r.AddColumn(Align::Right, RuleLeft | RuleRight, 0, 2, 1.5);
            r.AddColumn(Align::Centre, RuleTop | RuleBottom, 20, 5, 1.0, 5.0);
            textWidth2 = r.ColumnTextWidth(2);
            textWidth9 = r.ColumnTextWidth(9);
            r.PrintColumns(QStringLiteral("\tleft\tright\tmiddle"));
            r.EndLine();
            r.PrintColumns(QStringLiteral("lead\tagain"));
        });
        QCOMPARE(textWidth2, 1.5 - 0.04);
        QCOMPARE(textWidth9, 0.0);
        const StoredPage &page = stream.pages.at(0);
        const double line1 = 0.5 + 1.0 / 6.0;
        const Command *left = findText(page, QStringLiteral("left"));
        const Command *right = findText(page, QStringLiteral("right"));
        const Command *middle = findText(page, QStringLiteral("middle"));
        QVERIFY(left && right && middle);
        QCOMPARE(left->align, Align::Left);
        QVERIFY(qAbs(left->x - (0.75 + 0.02)) < 1e-5);
        QCOMPARE(right->align, Align::Right);
        QVERIFY(qAbs(right->x - (0.75 + 2.0 + 1.5 - 0.02)) < 1e-5);
        QCOMPARE(middle->align, Align::Centre);
        QVERIFY(qAbs(middle->x - 5.5) < 1e-5);
        QVERIFY(left->y < line1 && left->y > line1 - 1.0 / 6.0);
        // Rules: 4 + 2 + 2 lines on the first line, 4 around "again"; one shaded cell.
        QCOMPARE(countKind(page, Command::Line), 12);
        QCOMPARE(countKind(page, Command::Rect), 1);
        bool leftEdgeOfFirst = false, bottomOfThird = false;
        for (const Command &c : page.commands) {
            if (c.kind != Command::Line) continue;
            if (qAbs(c.x - 0.75) < 1e-5 && qAbs(c.w - 0.75) < 1e-5 &&
                qAbs(c.y - (line1 - 1.0 / 6.0)) < 1e-5 && qAbs(c.h - line1) < 1e-5)
                leftEdgeOfFirst = true;
            if (qAbs(c.x - 5.0) < 1e-5 && qAbs(c.w - 6.0) < 1e-5 && qAbs(c.y - line1) < 1e-5 &&
                qAbs(c.h - line1) < 1e-5)
                bottomOfThird = true;
        }
        QVERIFY(leftEdgeOfFirst);
        QVERIFY(bottomOfThird);
        // Text before the first tab goes at the cursor; EndLine made the first stop current
        // again.
        const Command *lead = findText(page, QStringLiteral("lead"));
        const Command *again = findText(page, QStringLiteral("again"));
        QVERIFY(lead && again);
        QVERIFY(qAbs(lead->x - 0.75) < 1e-5);
        QVERIFY(qAbs(again->x - (0.75 + 0.02)) < 1e-5);
        QVERIFY(again->y > left->y);
    }

    void cancelOnPage3()
    {
        PageStream stream;
        TReportFiler filer;
        filer.setStream(&stream);
        QStringList events;
        bool drewAfterCancel = false;
        filer.OnBeforePrint = [&](TBaseReport &) { events << QStringLiteral("before"); };
        filer.OnPrintHeader = [&](TBaseReport &r) {
            events << QStringLiteral("header %1").arg(r.PageNumber());
        };
        filer.OnPrintFooter = [&](TBaseReport &r) {
            events << QStringLiteral("footer %1").arg(r.PageNumber());
        };
        filer.OnAfterPrint = [&](TBaseReport &) { events << QStringLiteral("after"); };
        filer.OnPrintPage = [&](TBaseReport &r) {
            events << QStringLiteral("page %1").arg(r.PageNumber());
            r.Home();
            r.PrintInBand(QStringLiteral("body"), Align::Left);
            if (r.PageNumber() == 3) {
                r.Cancel();
                r.EndLine(); // ends the job here
                drewAfterCancel = true;
            }
            return true;
        };
        QVERIFY(!filer.Execute());
        QVERIFY(filer.Cancelled());
        QVERIFY(!filer.Printing());
        QVERIFY(!drewAfterCancel);
        QCOMPARE(events, (QStringList{QStringLiteral("before"), QStringLiteral("header 1"),
                                      QStringLiteral("page 1"), QStringLiteral("footer 1"),
                                      QStringLiteral("header 2"), QStringLiteral("page 2"),
                                      QStringLiteral("footer 2"), QStringLiteral("header 3"),
                                      QStringLiteral("page 3"), QStringLiteral("after")}));
        // A new run starts afresh.
        filer.OnPrintPage = [](TBaseReport &) { return false; };
        events.clear();
        QVERIFY(filer.Execute());
        QCOMPARE(events, (QStringList{QStringLiteral("before"), QStringLiteral("header 1"),
                                      QStringLiteral("footer 1"), QStringLiteral("after")}));
        QCOMPARE(stream.pageCount(), 1);
    }

    void cancelButtonIsServicedWhileRunning()
    {
        // A cancel request queued as user input arrives at a status refresh.
        PageStream stream;
        TReportFiler filer;
        filer.setStream(&stream);
        filer.OnPrintPage = [&](TBaseReport &r) {
            if (r.PageNumber() == 2) QTimer::singleShot(0, [&filer] { filer.Cancel(); });
            r.Home();
            r.PrintInBand(QStringLiteral("x"), Align::Left);
            return r.PageNumber() < 50;
        };
        QVERIFY(!filer.Execute());
        QCOMPARE(filer.PageNumber(), 3);
    }

    void drawingWhileIdleIsRefused()
    {
        TReportFiler filer;
        QVERIFY_THROWS_EXCEPTION(ReportError, filer.PrintInBand(QStringLiteral("x"), Align::Left));
        TReportFiler noStream;
        noStream.OnPrintPage = [](TBaseReport &) { return false; };
        QVERIFY_THROWS_EXCEPTION(ReportError, noStream.Execute());
        QVERIFY(!noStream.Printing());
    }

    void firstAndLastPage()
    {
        PageStream stream;
        TReportFiler filer;
        filer.FirstPage = 2;
        filer.LastPage = 3;
        int produced = 0;
        record(
            stream, 5,
            [&](TBaseReport &r) {
                ++produced;
                r.Home();
                r.PrintInBand(QStringLiteral("page %1").arg(r.PageNumber()), Align::Left);
            },
            &filer);
        QCOMPARE(produced, 5);
        QCOMPARE(stream.pageCount(), 2);
        QVERIFY(findText(stream.pages[0], QStringLiteral("page 2")));
        QVERIFY(findText(stream.pages[1], QStringLiteral("page 3")));
    }

    void statusFormat_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("expected");
        QTest::newRow("page") << "Printing page %p"
                              << "Printing page 4";
        QTest::newRow("lines, CR") << "Printing Page %P\r%0\r%1"
                                   << "Printing Page 4\nzero\none";
        QTest::newRow("missing line") << "[%7]"
                                      << "[]";
        QTest::newRow("range") << "%f-%L"
                               << "2-9";
        QTest::newRow("device") << "%D"
                                << "Preview Only";
        QTest::newRow("percent") << "100%%"
                                 << "100%";
        QTest::newRow("unknown") << "a%xb%Q"
                                 << "a<ERROR-%x>b<ERROR-%Q>";
        QTest::newRow("trailing") << "50%"
                                  << "50<ERROR-%>";
    }
    void statusFormat()
    {
        QFETCH(QString, format);
        QFETCH(QString, expected);
        PageStream stream;
        TReportFiler filer;
        QLabel label;
        filer.StatusLabel = &label;
        filer.StatusText = QStringList{QStringLiteral("zero"), QStringLiteral("one")};
        filer.FirstPage = 2;
        filer.LastPage = 9;
        filer.StatusFormat = format;
        record(
            stream, 4, [](TBaseReport &) {}, &filer);
        QCOMPARE(label.text(), expected); // refreshed at the start of page 4
    }

    void withoutPrintersTheScreenMeasures()
    {
        TReportFiler filer;
        QCOMPARE(filer.DeviceName(), QStringLiteral("Preview Only"));
        filer.SetFont(QStringLiteral("Arial"), 10);
        const double wide = filer.MeasureText(QStringLiteral("MMMMMMMMMM"));
        QVERIFY(wide > 0.5 && wide < 2.5);
        QVERIFY(filer.MeasureText(QString()) > 0); // one device unit
        filer.ScaleX = 50;
        QVERIFY(qAbs(filer.MeasureText(QStringLiteral("MMMMMMMMMM")) - wide / 2) < 1e-9);
    }

    void printerRunWithoutPrinters()
    {
        ScriptedPrompts prompts;
        TReportPrinter printer;
        bool anyEvent = false;
        printer.OnBeforePrint = [&](TBaseReport &) { anyEvent = true; };
        printer.OnPrintPage = [&](TBaseReport &) { return anyEvent = true; };
        printer.OnAfterPrint = [&](TBaseReport &) { anyEvent = true; };
        QVERIFY(!printer.Execute());
        QVERIFY(!anyEvent);
        QCOMPARE(prompts.askedTexts(),
                 QStringList{QStringLiteral("No printers are defined, aborting print job.")});
        QCOMPARE(prompts.asked().at(0).caption, QStringLiteral("Error"));

        PageStream stream;
        record(stream, 2, [](TBaseReport &) {});
        TFilePrinter stored;
        stored.setStream(&stream);
        prompts.clear();
        QVERIFY(!stored.PrintPages(0, 0));
        QCOMPARE(prompts.askedTexts(),
                 QStringList{QStringLiteral("No printers are defined, aborting print job.")});
        QVERIFY(!stored.Busy());
    }

    void busyPrinterRefusesAJob()
    {
        QTemporaryDir dir(QStringLiteral("/tmp/wt16-busy-XXXXXX"));
        QPrinter target(QPrinter::HighResolution);
        target.setOutputFileName(dir.filePath(QStringLiteral("other.pdf")));
        QPainter other(&target); // another job is running
        ScriptedPrompts prompts;
        TReportPrinter printer(nullptr, &target);
        bool paged = false;
        printer.OnPrintPage = [&](TBaseReport &) { return paged = true, false; };
        QVERIFY(!printer.Execute());
        QVERIFY(!paged);
        other.end();
        QCOMPARE(prompts.askedTexts(),
                 QStringList{QStringLiteral("Invalid method call.  Device already printing.")});
    }

    void pageRange_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::newRow("0..0 is all") << 0 << 0 << 1 << 5;
        QTest::newRow("beyond the end") << 2 << 9 << 2 << 5;
        QTest::newRow("at the end") << 3 << 5 << 3 << 5;
        QTest::newRow("negative last") << 4 << -1 << 4 << 5;
        QTest::newRow("one page") << 2 << 2 << 2 << 2;
        QTest::newRow("first past the end") << 7 << 9 << 7 << 5;
    }
    void pageRange()
    {
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(int, from);
        QFETCH(int, to);
        QCOMPARE(TFilePrinter::pageRange(first, last, 5), (std::pair<int, int>(from, to)));
    }

    void storedPagesIntoPdf()
    {
        QTemporaryDir dir(QStringLiteral("/tmp/wt16-pdf-XXXXXX"));
        PageStream stream;
        record(stream, 5, [](TBaseReport &r) {
            r.SetFont(QStringLiteral("Arial"), 10);
            r.Home();
            r.PrintInBand(QStringLiteral("Heading%1").arg(r.PageNumber()), Align::Centre);
            r.EndLine();
            r.ClearColumns();
            r.AddColumn(Align::Left, RulesAll, 0, 2, 2.5);
            r.AddColumn(Align::Right, RulesAll, 10, 2, 2.5);
            for (int row = 1; row <= 3; ++row) {
                r.PrintColumns(
                    QStringLiteral("\tName%1x%2\tValue%1x%2").arg(r.PageNumber()).arg(row));
                r.EndLine();
            }
            r.PrintInBand(QStringLiteral("Footer%1").arg(r.PageNumber()), Align::Right);
        });
        QCOMPARE(stream.pageCount(), 5);

        const QString all = dir.filePath(QStringLiteral("all.pdf"));
        {
            QPdfWriter writer(all);
            writer.setResolution(1200);
            TFilePrinter printer;
            printer.setStream(&stream);
            QVERIFY(printer.PrintPagesTo(writer, 0, 0));
            QVERIFY(!printer.Busy());
        }
        QCOMPARE(pdfPages(all), 5);
        QCOMPARE(pdfWords(all, 2),
                 (QStringList{QStringLiteral("Heading2"), QStringLiteral("Name2x1"),
                              QStringLiteral("Value2x1"), QStringLiteral("Name2x2"),
                              QStringLiteral("Value2x2"), QStringLiteral("Name2x3"),
                              QStringLiteral("Value2x3"), QStringLiteral("Footer2")}));
        QCOMPARE(pdfWords(all, 5).first(), QStringLiteral("Heading5"));

        const QString range = dir.filePath(QStringLiteral("range.pdf"));
        {
            QPdfWriter writer(range);
            TFilePrinter printer;
            printer.setStream(&stream);
            QVERIFY(printer.PrintPagesTo(writer, 4, 99, 2));
        }
        QCOMPARE(pdfPages(range), 4); // pages 4 and 5, two copies
        QCOMPARE(pdfWords(range, 3).first(), QStringLiteral("Heading4"));

        // A second request while a print runs is refused; the flag clears afterwards.
        const QString busy = dir.filePath(QStringLiteral("busy.pdf"));
        {
            QPdfWriter writer(busy);
            TFilePrinter printer;
            printer.setStream(&stream);
            bool wasBusy = false, secondPrinted = true;
            QTimer::singleShot(0, [&] {
                wasBusy = printer.Busy();
                QPdfWriter other(dir.filePath(QStringLiteral("other.pdf")));
                secondPrinted = printer.PrintPagesTo(other, 1, 1);
            });
            QVERIFY(printer.PrintPagesTo(writer, 1, 3));
            QVERIFY(wasBusy);
            QVERIFY(!secondPrinted);
            QVERIFY(!printer.Busy());
        }
        QCOMPARE(pdfPages(busy), 3);
    }

    void alignedTextLandsWhereRecorded()
    {
        QTemporaryDir dir(QStringLiteral("/tmp/wt16-bbox-XXXXXX"));
        PageStream stream;
        record(stream, 1, [](TBaseReport &r) {
            r.SetFont(QStringLiteral("Arial"), 12);
            r.SetUnderline(true);
            r.Home();
            r.ClearColumns();
            r.AddColumn(Align::Right, 0, 0, 10, 2.0, 2.1); // text ends at 4.0 in
            r.AddColumn(Align::Centre, 0, 0, 0, 2.0, 5.0); // centred at 6.0 in
            r.PrintColumns(QStringLiteral("\tRightEdge\tCentreMark"));
            r.EndLine();
            r.SetUnderline(false);
            r.PrintCentredAt(QStringLiteral("Tick\u2713"), 3.0); // a character the face lacks
        });
        const QString pdf = dir.filePath(QStringLiteral("aligned.pdf"));
        {
            QPdfWriter writer(pdf);
            TFilePrinter printer;
            printer.setStream(&stream);
            QVERIFY(printer.PrintPagesTo(writer, 1, 1));
        }
        const QString html =
            run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
        auto box = [&html](const QString &word) {
            const QRegularExpression re(
                QStringLiteral("xMin=\"([\\d.]+)\" yMin=\"[\\d.]+\" xMax=\"([\\d.]+)\"[^>]*>%1")
                    .arg(word));
            const auto m = re.match(html);
            return m.hasMatch() ? std::pair<double, double>(m.captured(1).toDouble() / 72,
                                                            m.captured(2).toDouble() / 72)
                                : std::pair<double, double>(-1, -1);
        };
        const auto right = box(QStringLiteral("RightEdge"));
        QVERIFY2(qAbs(right.second - 4.0) < 0.03, qPrintable(QString::number(right.second)));
        const auto centre = box(QStringLiteral("CentreMark"));
        QVERIFY2(qAbs((centre.first + centre.second) / 2 - 6.0) < 0.03,
                 qPrintable(QString::number(centre.first)));
        QVERIFY(html.contains(QStringLiteral(">Tick")));
    }

    void landscapePagesKeepTheirShape()
    {
        QTemporaryDir dir(QStringLiteral("/tmp/wt16-land-XXXXXX"));
        PageStream stream;
        TReportFiler filer;
        filer.SetOrientation(QPageLayout::Landscape);
        double width = 0, height = 0;
        record(
            stream, 1,
            [&](TBaseReport &r) {
                width = r.PageWidth();
                height = r.PageHeight();
                r.Home();
                r.PrintInBand(QStringLiteral("Wide"), Align::Left);
            },
            &filer);
        QVERIFY(width > height);
        const QString pdf = dir.filePath(QStringLiteral("land.pdf"));
        {
            QPdfWriter writer(pdf);
            TFilePrinter printer;
            printer.setStream(&stream);
            QVERIFY(printer.PrintPagesTo(writer, 1, 1));
        }
        const QString info = run(QStringLiteral("pdfinfo"), {pdf});
        const QRegularExpression size(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+)"));
        const auto m = size.match(info);
        QVERIFY(m.hasMatch());
        QVERIFY(qAbs(m.captured(1).toDouble() - width * 72) < 1.5);
        QVERIFY(qAbs(m.captured(2).toDouble() - height * 72) < 1.5);
    }

    void printerProducerDrawsPages()
    {
        // The printer producer on a printer that writes a file.
        QTemporaryDir dir(QStringLiteral("/tmp/wt16-printer-XXXXXX"));
        const QString pdf = dir.filePath(QStringLiteral("printed.pdf"));
        QPrinter target(QPrinter::HighResolution);
        target.setOutputFormat(QPrinter::PdfFormat);
        target.setOutputFileName(pdf);
        TReportPrinter printer(nullptr, &target);
        QStringList footers;
        printer.OnPrintPage = [](TBaseReport &r) {
            r.Home();
            r.PrintCentredAt(QStringLiteral("Centred%1").arg(r.PageNumber()), r.PageWidth() / 2);
            return r.PageNumber() < 3;
        };
        printer.OnPrintFooter = [&](TBaseReport &r) {
            r.SetBandTop(r.PageHeight() - 1);
            r.PrintInBand(QStringLiteral("Foot%1").arg(r.PageNumber()), Align::Left);
            footers << QString::number(r.PageNumber());
        };
        const QPageLayout before = target.pageLayout();
        QVERIFY(!target.fullPage());
        printer.SetOrientation(QPageLayout::Landscape);
        QVERIFY(printer.Execute());
        QCOMPARE(footers,
                 (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
        // The shared printer is as the job found it.
        QVERIFY(!target.fullPage());
        QCOMPARE(target.pageLayout().orientation(), before.orientation());
        QCOMPARE(pdfPages(pdf), 3);
        QCOMPARE(pdfWords(pdf), (QStringList{QStringLiteral("Centred1"), QStringLiteral("Foot1"),
                                             QStringLiteral("Centred2"), QStringLiteral("Foot2"),
                                             QStringLiteral("Centred3"), QStringLiteral("Foot3")}));
    }
};

// The stored-page printer and the printer producer on the PDF print queue that
// scripts/test sets up; its files land in the submitting user's ~/PDF.
class CupsPrintTests : public QObject
{
    Q_OBJECT
    const QString m_queue = QStringLiteral("NumarokPDF");

    int queueIndex() const { return installedPrinters().names.indexOf(m_queue); }

private slots:
    void initTestCase()
    {
        if (queueIndex() < 0)
            QFAIL("The PDF print queue NumarokPDF is missing; scripts/test sets it up.");
    }

    void storedPagesRangeOnTheQueue()
    {
        PageStream stream;
        TReportFiler filer;
        filer.SelectPrinter(queueIndex());
        QCOMPARE(filer.DeviceName(), m_queue);
        filer.Title = QStringLiteral("Stored Pages Range");
        record(
            stream, 4,
            [](TBaseReport &r) {
                r.Home();
                r.PrintInBand(QStringLiteral("Stored%1").arg(r.PageNumber()), Align::Left);
            },
            &filer);
        QCOMPARE(stream.resolution, 1200.0); // measured on the printer
        const QStringList before = pdfsNow();
        ScriptedPrompts prompts;
        TFilePrinter printer;
        printer.setStream(&stream);
        printer.SelectPrinter(queueIndex());
        QVERIFY(printer.PrintPages(3, 0));
        QVERIFY(prompts.asked().isEmpty());
        const QString pdf = awaitPdf(before);
        QVERIFY2(!pdf.isEmpty(), "no PDF came out of the queue");
        QCOMPARE(pdfPages(pdf), 2);
        QCOMPARE(pdfWords(pdf),
                 (QStringList{QStringLiteral("Stored3"), QStringLiteral("Stored4")}));
        QFile::remove(pdf);
    }
};

class PreviewTests : public QObject
{
    Q_OBJECT
    NoPrinters m_noPrinters;
    PageStream m_stream;

private slots:
    void initTestCase()
    {
        record(m_stream, 3, [](TBaseReport &r) {
            r.SetFont(QStringLiteral("Arial"), 20);
            r.Home();
            r.PrintInBand(QStringLiteral("MMMMMMMM"), Align::Left);
        });
    }

    void zoomClamping_data()
    {
        QTest::addColumn<double>("start");
        QTest::addColumn<int>("step"); // +1 zoom in, -1 zoom out, 0 set start
        QTest::addColumn<double>("expected");
        QTest::newRow("195 + 10") << 195.0 << 1 << 200.0;
        QTest::newRow("15 - 10") << 15.0 << -1 << 10.0;
        QTest::newRow("100 + 10") << 100.0 << 1 << 110.0;
        QTest::newRow("500 typed") << 500.0 << 0 << 200.0;
        QTest::newRow("3 typed") << 3.0 << 0 << 10.0;
    }
    void zoomClamping()
    {
        QFETCH(double, start);
        QFETCH(int, step);
        QFETCH(double, expected);
        TFilePreview preview;
        preview.Start(&m_stream);
        QSignalSpy changes(&preview, &TFilePreview::OnZoomChange);
        preview.SetZoomFactor(start);
        if (step > 0) preview.ZoomIn();
        if (step < 0) preview.ZoomOut();
        QCOMPARE(preview.ZoomFactor(), expected);
        QCOMPARE(changes.count(), step == 0 ? 1 : 2);
    }

    void navigation()
    {
        TFilePreview preview;
        QSignalSpy pages(&preview, &TFilePreview::OnPageChange);
        preview.Start(&m_stream);
        QCOMPARE(preview.CurrentPage(), 1);
        QCOMPARE(preview.PageCount(), 3);
        preview.PreviousPage();
        QCOMPARE(preview.CurrentPage(), 1);
        preview.NextPage();
        preview.NextPage();
        preview.NextPage();
        QCOMPARE(preview.CurrentPage(), 3);
        preview.ShowPage(9);
        QCOMPARE(preview.CurrentPage(), 3);
        QCOMPARE(pages.count(), 3); // start, 2, 3
        preview.Finish();
        QCOMPARE(preview.PageCount(), 0);
    }

    void zoomToFit()
    {
        TFilePreview preview;
        preview.resize(600, 500);
        preview.show();
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        preview.Start(&m_stream);
        QScrollArea *box = preview.ScrollBox();
        const int frame = 2 * box->frameWidth();
        const QSizeF page = preview.PagePixels();
        const double border = preview.BorderPixels();
        QCOMPARE(border, page.width() * 0.025);
        preview.ZoomToWholePage();
        const double whole = preview.ZoomFactor();
        // The whole page and its borders fit the box less 4 pixels, and touch one side.
        const double h = page.height() * whole / 100 + 2 * border,
                     w = page.width() * whole / 100 + 2 * border;
        QVERIFY(h <= box->height() - frame - 4 + 0.01 && w <= box->width() - frame - 4 + 0.01);
        QVERIFY(qAbs(h - (box->height() - frame - 4)) < 0.01 ||
                qAbs(w - (box->width() - frame - 4)) < 0.01);
        preview.ZoomToPageWidth();
        const double width = preview.ZoomFactor();
        // A portrait page at page width is taller than the box: the scroll bar is allowed for.
        const int bar = box->verticalScrollBar()->sizeHint().width();
        QVERIFY(qAbs(page.width() * width / 100 + 2 * border - (box->width() - frame - bar)) <
                0.01);
    }

    void drawsThePage()
    {
        TFilePreview preview;
        preview.Start(&m_stream);
        preview.SetZoomFactor(100);
        const QImage image = preview.RenderPage();
        const QSizeF page = preview.PagePixels();
        const double border = preview.BorderPixels();
        QCOMPARE(image.width(), qCeil(page.width() + 2 * border));
        // Text at the band's left edge, first line: dark pixels there, none further right.
        const int dpi = preview.logicalDpiX();
        auto darkIn = [&](QRect r) {
            int dark = 0;
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    if (qGray(image.pixel(x, y)) < 128) ++dark;
            return dark;
        };
        const int left = qRound(border + 0.5 * dpi), top = qRound(border + 0.5 * dpi);
        QVERIFY(darkIn(QRect(left, top, dpi, dpi / 3)) > 50);
        QCOMPARE(darkIn(QRect(left + 4 * dpi, top, dpi, dpi / 3)), 0);
        QCOMPARE(QColor(image.pixel(qRound(border) + 2, image.height() - qRound(border) - 2)),
                 QColor(Qt::white));
    }

    void underlineStaysUnderItsText()
    {
        PageStream stream;
        record(stream, 1, [](TBaseReport &r) {
            r.SetFont(QStringLiteral("Arial"), 12);
            r.SetUnderline(true);
            r.Home();
            r.PrintInBand(QStringLiteral("Left"), Align::Left);
            r.PrintInBand(QStringLiteral("Right"), Align::Right);
        });
        TFilePreview preview;
        preview.Start(&stream);
        const QImage image = preview.RenderPage();
        const int dpi = preview.logicalDpiX();
        const int border = qRound(preview.BorderPixels());
        auto darkIn = [&](QRect r) {
            int dark = 0;
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    if (qGray(image.pixel(x, y)) < 160) ++dark;
            return dark;
        };
        const int top = border + dpi / 2, height = dpi / 4;
        const QRect left(border + dpi / 2, top, dpi / 2, height);
        QVERIFY(darkIn(left) > 20);                                         // "Left"
        QCOMPARE(darkIn(QRect(border + 2 * dpi, top, 3 * dpi, height)), 0); // the gap
        QCOMPARE(darkIn(QRect(border, border, 7 * dpi, dpi / 2 - 2)), 0);   // nothing above
        // The underline: a long dark run in one row under the text.
        int longest = 0;
        for (int y = left.top(); y <= left.bottom(); ++y) {
            int length = 0;
            for (int x = left.left(); x <= left.right(); ++x) {
                length = qGray(image.pixel(x, y)) < 160 ? length + 1 : 0;
                longest = std::max(longest, length);
            }
        }
        QVERIFY2(longest >= 20, qPrintable(QString::number(longest)));
    }

    void monochromeAndShadow()
    {
        TFilePreview preview;
        preview.Start(&m_stream);
        preview.SetMonochrome(true);
        QCOMPARE(preview.RenderPage().format(), QImage::Format_Mono);
        try {
            preview.SetShadowDepth(3);
            QFAIL("a shadow was taken while monochrome");
        } catch (const ReportError &e) {
            QCOMPARE(QString::fromStdString(e.what()),
                     QStringLiteral("Shadows not allowed while monochrome in effect.\rChange "
                                    "Monochrome to false first"));
        }
        preview.SetMonochrome(false);
        preview.SetShadowDepth(3);
        QVERIFY_THROWS_EXCEPTION(ReportError, preview.SetMonochrome(true));
        QVERIFY(!preview.Monochrome());
    }
};

REGISTER_TEST(EngineTests)
REGISTER_TEST(CupsPrintTests)
REGISTER_TEST(PreviewTests)
#include "tst_engine.moc"
