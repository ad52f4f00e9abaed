// Report generation over coin tables written by python3-dbf: the print-to-file text of the
// ready-made reports compared line by line with expected files, the stored pages of the
// same runs, and a page too small for one record.
#include "db/coin_schema.h"
#include "dbase/table.h"
#include "report_tests.h"
#include "reports/engine/base_report.h"
#include "reports/engine/printers.h"
#include "reports/engine/producers.h"
#include "reports/ready_made.h"
#include "reports/report_generator.h"
#include "test_files.h"
#include "test_registry.h"
#include "ui/formats.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace reports;
using namespace engine;
using namespace reporttest;

namespace
{

// Pages of US Letter, whatever printers and locale the machine has.
class LetterFiler : public TReportFiler
{
protected:
    QSizeF portraitPageSize() const override { return {8.5, 11}; }
};

struct NoPrinters {
    NoPrinters() { setInstalledPrintersForTesting(PrinterList{}); }
    ~NoPrinters() { setInstalledPrintersForTesting(std::nullopt); }
};

GenerationContext contextFor(dbase::Table &table, std::array<int, 4> levels)
{
    GenerationContext ctx{table, {}, {}, {}, {}, {}};
    ctx.sortLevels = levels;
    useDefaultFieldNames(ctx.fieldNames);
    static const RegionalSettings regional;
    ctx.moneyText = [](double v) { return formats::MoneyText(1, v, 1, regional); };
    ctx.wholeText = [](double v) { return formats::NumberText(1, 0, v, 1, regional); };
    ctx.todayText = [] { return QStringLiteral("12/8/26"); };
    return ctx;
}

} // namespace

class GenerationTests : public QObject
{
    Q_OBJECT
    NoPrinters m_noPrinters;

private slots:
    void initTestCase() { dbase::DateStyle::setCurrent(dbase::DateStyle("m/d/yy")); }

    void printToFile_data()
    {
        QTest::addColumn<QString>("set");
        QTest::addColumn<int>("report");     // ready-made report 0..4
        QTest::addColumn<int>("levels");     // 1: by Country; 2: by Country, Year
        QTest::addColumn<bool>("level2");    // group by the second level too
        QTest::addColumn<QString>("filter"); // only coins of this country, when set
        QTest::addColumn<QString>("expected");
        QTest::newRow("simple list") << "small" << 0 << 1 << false << ""
                                     << "simple_list.txt";
        QTest::newRow("plus values") << "small" << 1 << 1 << false << ""
                                     << "plus_values.txt";
        QTest::newRow("three line") << "small" << 2 << 1 << false << ""
                                    << "three_line.txt";
        QTest::newRow("complete") << "small" << 3 << 1 << false << ""
                                  << "complete.txt";
        QTest::newRow("statistics") << "small" << 4 << 1 << false << ""
                                    << "statistics.txt";
        QTest::newRow("two levels") << "small" << 0 << 2 << true << ""
                                    << "two_levels.txt";
        QTest::newRow("empty table") << "empty" << 0 << 1 << false << ""
                                     << "empty.txt";
        QTest::newRow("search") << "small" << 1 << 1 << false << "Canada"
                                << "search.txt";
        QTest::newRow("pushed to next page") << "long" << 0 << 1 << false << ""
                                             << "pushed.txt";
        QTest::newRow("no sort order") << "small" << 0 << 0 << false << ""
                                       << "no_groups.txt";
    }
    void printToFile()
    {
        QFETCH(QString, set);
        QFETCH(int, report);
        QFETCH(int, levels);
        QFETCH(bool, level2);
        QFETCH(QString, filter);
        QFETCH(QString, expected);
        QTemporaryDir dir(QStringLiteral("/tmp/wt17-gen-XXXXXX"));
        dbase::Table table;
        QVERIFY(makeCoins(dir.path(), set, table));
        if (!filter.isEmpty()) {
            const std::string country = filter.toStdString();
            table.setFilter([country](const dbase::Table &t) { return t.asString(0) == country; });
        }
        ReportDefinition def = readyMadeReport(report);
        def.setGroupLevel2(level2);
        std::array<int, 4> sort{};
        if (levels >= 1) sort[0] = coin::Country;
        if (levels >= 2) sort[2] = coin::Year; // an empty level in between is skipped
        const QString out = dir.filePath(QStringLiteral("out.txt"));
        ReportGenerator gen(def, contextFor(table, sort), RunMode::File, out);
        LetterFiler filer;
        PageStream stream;
        filer.setStream(&stream);
        gen.attach(filer);
        QVERIFY(filer.Execute());
        QVERIFY(gen.failure().isEmpty());
        QVERIFY(!table.controlsDisabled());

        const QByteArray got = readBytes(out);
        const QByteArray want = readBytes(QStringLiteral(NUMAROK_TEST_DATA "/reports/") + expected);
        QVERIFY2(!want.isEmpty(), qPrintable(expected + QStringLiteral(" is missing")));
        const QList<QByteArray> gotLines = got.split('\n'), wantLines = want.split('\n');
        for (int k = 0; k < std::min(gotLines.size(), wantLines.size()); ++k)
            QVERIFY2(gotLines[k] == wantLines[k],
                     qPrintable(QStringLiteral("line %1:\n got  [%2]\n want [%3]")
                                    .arg(k + 1)
                                    .arg(QString::fromLatin1(gotLines[k]),
                                         QString::fromLatin1(wantLines[k]))));
        QCOMPARE(gotLines.size(), wantLines.size());
        // One form feed per page, each right before the footer's line end.
        QCOMPARE(got.count("\f\r\n"), stream.pageCount());
        QCOMPARE(got.count('\f'), stream.pageCount());
        QCOMPARE(got.count('\n'), got.count("\r\n"));
    }

    // Viewing the same report makes as many stored pages as the text file has, with the
    // group headings, totals and the last coin on them.
    void storedPages()
    {
        QTemporaryDir dir(QStringLiteral("/tmp/wt17-gen-XXXXXX"));
        dbase::Table table;
        QVERIFY(makeCoins(dir.path(), QStringLiteral("long"), table));
        ReportDefinition def = readyMadeReport(0);
        def.setTitle(1, QStringLiteral("My Coins"));
        // Two lines less room than the text file's run: the France group starts on the
        // foot of page 1 with too little room for Canada's subtotal.
        def.setBottomMargin(0.5 + 2.0 / 6);
        const auto ctx = contextFor(table, {coin::Country, 0, 0, 0});
        ReportGenerator gen(def, ctx, RunMode::View);
        LetterFiler filer;
        PageStream stream;
        filer.setStream(&stream);
        gen.attach(filer);
        QVERIFY(filer.Execute());
        QCOMPARE(stream.pageCount(), 2);
        QStringList texts;
        for (const StoredPage &p : stream.pages)
            for (const QString &t : p.texts)
                texts << t;
        QCOMPARE(texts.count(QStringLiteral("My Coins")), 2);
        QCOMPARE(texts.count(QStringLiteral("Canada")), 45); // heading and 44 coins
        QVERIFY(texts.contains(QStringLiteral("GRAND TOTALS")));
        QCOMPARE(texts.count(QStringLiteral("TOTALS")), 2); // Canada's, then France's
        QVERIFY(texts.contains(QStringLiteral("2 Francs")));
        QVERIFY(texts.contains(QStringLiteral("Page 2")));
        QVERIFY(texts.contains(QStringLiteral("12/8/26")));
        // Totals: 44 x 2.00 + 3 x 10.00 + 1 x 1.00 of market value, 48 coins.
        QCOMPARE(gen.grandTotals().market, 119.0);
        QCOMPARE(gen.grandTotals().quantity, 48.0);
        // The second page opens with Canada's subtotal, then the France heading.
        const StoredPage &second = stream.pages[1];
        const auto at = [&](const QString &t) {
            return std::find(second.texts.begin(), second.texts.end(), t) - second.texts.begin();
        };
        QVERIFY(at(QStringLiteral("TOTALS")) < at(QStringLiteral("France")));
        QVERIFY(at(QStringLiteral("France")) < at(QStringLiteral("GRAND TOTALS")));
    }

    // Rules of record cells: all four, left and right, top and bottom, or none; never with
    // more than one line a record, whatever the options say.
    void rules_data()
    {
        QTest::addColumn<int>("report");
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<bool>("horizontal");
        QTest::addColumn<int>("verticalRules");   // line commands drawn up and down
        QTest::addColumn<int>("horizontalRules"); // and across
        // Simple List: 7 columns, a header line and 4 coin lines.
        QTest::newRow("both") << 0 << true << true << 70 << 70;
        QTest::newRow("vertical") << 0 << true << false << 70 << 0;
        QTest::newRow("horizontal") << 0 << false << true << 0 << 70;
        QTest::newRow("none") << 0 << false << false << 0 << 0;
        QTest::newRow("three lines, both on") << 2 << true << true << 0 << 0;
    }
    void rules()
    {
        QFETCH(int, report);
        QFETCH(bool, vertical);
        QFETCH(bool, horizontal);
        QFETCH(int, verticalRules);
        QFETCH(int, horizontalRules);
        QTemporaryDir dir(QStringLiteral("/tmp/wt17-gen-XXXXXX"));
        dbase::Table table;
        QVERIFY(makeCoins(dir.path(), QStringLiteral("small"), table));
        ReportDefinition def = readyMadeReport(report);
        def.setGroupLevel1(false); // no heading boxes
        def.setUseTotals(false);   // no title rules
        def.setVerticalLines(vertical);
        def.setHorizontalLines(horizontal);
        def.setColumnHeaders(true);
        ReportGenerator gen(def, contextFor(table, {}), RunMode::View);
        LetterFiler filer;
        PageStream stream;
        filer.setStream(&stream);
        gen.attach(filer);
        QVERIFY(filer.Execute());
        int up = 0, across = 0;
        for (const Command &c : stream.pages[0].commands) {
            if (c.kind != Command::Line) continue;
            if (c.x == c.w) ++up;
            if (c.y == c.h) ++across;
        }
        QCOMPARE(up, verticalRules);
        QCOMPARE(across, horizontalRules);
        // Without a single line a record there is no column-header line either.
        const auto &texts = stream.pages[0].texts;
        QCOMPARE(std::count(texts.begin(), texts.end(), QStringLiteral("Country")),
                 report == 0 ? 1 : 0);
    }

    // Numbers right in their columns, other values left, column headers centred.
    void alignments()
    {
        QTemporaryDir dir(QStringLiteral("/tmp/wt17-gen-XXXXXX"));
        dbase::Table table;
        QVERIFY(makeCoins(dir.path(), QStringLiteral("small"), table));
        ReportDefinition def = readyMadeReport(1); // with the money columns
        ReportGenerator gen(def, contextFor(table, {}), RunMode::View);
        LetterFiler filer;
        PageStream stream;
        filer.setStream(&stream);
        gen.attach(filer);
        QVERIFY(filer.Execute());
        const StoredPage &page = stream.pages[0];
        auto alignOf = [&page](const QString &text) {
            for (const Command &c : page.commands)
                if (c.kind == Command::Text && page.texts[static_cast<size_t>(c.index)] == text)
                    return static_cast<int>(c.align);
            return -1;
        };
        QCOMPARE(alignOf(QStringLiteral("10.00")), int(Align::Right));
        QCOMPARE(alignOf(QStringLiteral("12.50")), int(Align::Right));
        QCOMPARE(alignOf(QStringLiteral("Mexico")), int(Align::Left));
        QCOMPARE(alignOf(QStringLiteral("Face Value")), int(Align::Centre));
        // In the totals row labels go right, amounts left.
        QCOMPARE(alignOf(QStringLiteral("Market Value:")), int(Align::Right));
        QCOMPARE(alignOf(QStringLiteral("59.50")), int(Align::Left));
    }

    // A heading wider than the printable width loses characters until it fits.
    void longHeadingIsCut()
    {
        QTemporaryDir dir(QStringLiteral("/tmp/wt17-gen-XXXXXX"));
        dbase::Table table;
        QVERIFY(makeCoins(dir.path(), QStringLiteral("small"), table));
        ReportDefinition def = readyMadeReport(0);
        def.setGroupLevel2(true);
        def.setLeftMargin(3.9);
        def.setRightMargin(3.9); // 0.7 inches printable
        ReportGenerator gen(def, contextFor(table, {coin::Country, coin::Year, 0, 0}),
                            RunMode::View);
        LetterFiler filer;
        PageStream stream;
        filer.setStream(&stream);
        gen.attach(filer);
        QVERIFY(filer.Execute());
        // The heading: the longest centred text that begins the full heading.
        const QString full = QStringLiteral("Canada, 1967");
        QString heading;
        const StoredPage &page = stream.pages[0];
        for (const Command &c : page.commands) {
            if (c.kind != Command::Text || c.align != Align::Centre) continue;
            const QString &t = page.texts[static_cast<size_t>(c.index)];
            if (full.startsWith(t) && t.size() > heading.size()) heading = t;
        }
        QVERIFY2(!heading.isEmpty(), "no heading");
        QVERIFY(heading.size() < full.size());
        QVERIFY(full.startsWith(heading));
        // The engine's measure of what is left fits 0.7 - 0.2 inches; one more character would not.
        LetterFiler measure;
        measure.SetFont(QStringLiteral("Arial"), 10);
        QVERIFY(measure.MeasureText(heading) <= 0.5);
        QVERIFY(measure.MeasureText(full.left(heading.size() + 1)) > 0.5);
    }

    // Text cut to a column: a long country in a narrow column loses characters until it fits.
    void cutsToTheColumn()
    {
        QTemporaryDir dir(QStringLiteral("/tmp/wt17-gen-XXXXXX"));
        dbase::Table table;
        QVERIFY(makeCoins(dir.path(), QStringLiteral("small"), table));
        ReportDefinition def = readyMadeReport(0);
        def.setGroupLevel1(false);
        Item country = def.item(1, 1);
        country.width = 2;
        def.setItem(1, 1, country);
        Item face = def.item(1, 5);
        face.width += 18;
        def.setItem(1, 5, face);
        ReportGenerator gen(def, contextFor(table, {}), RunMode::View);
        LetterFiler filer;
        PageStream stream;
        filer.setStream(&stream);
        gen.attach(filer);
        QVERIFY(filer.Execute());
        const auto &texts = stream.pages[0].texts;
        QVERIFY(std::find(texts.begin(), texts.end(), QStringLiteral("Canada")) == texts.end());
        bool found = false;
        for (const QString &t : texts)
            if (!t.isEmpty() && QStringLiteral("Canada").startsWith(t) && t.size() < 6)
                found = true;
        QVERIFY(found);
    }

    // A page whose body cannot take one record ends the run with a message instead of
    // asking for pages forever.
    void pageWithNoRoom_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("view") << 2;
        QTest::newRow("file") << 3;
    }
    void pageWithNoRoom()
    {
        QFETCH(int, mode);
        QTemporaryDir dir(QStringLiteral("/tmp/wt17-gen-XXXXXX"));
        dbase::Table table;
        QVERIFY(makeCoins(dir.path(), QStringLiteral("small"), table));
        ReportDefinition def = readyMadeReport(3); // eight lines a coin
        def.setBottomMargin(8.5);
        // An earlier file of the name stays as it was.
        const QString out = dir.filePath(QStringLiteral("o.txt"));
        writeBytes(out, "earlier\r\n");
        ReportGenerator gen(def, contextFor(table, {coin::Country, 0, 0, 0}),
                            static_cast<RunMode>(mode), out);
        LetterFiler filer;
        PageStream stream;
        filer.setStream(&stream);
        gen.attach(filer);
        QVERIFY(!filer.Execute());
        QVERIFY(filer.Cancelled());
        QCOMPARE(gen.failure(), ReportGenerator::noRoomMessage());
        QVERIFY(stream.pageCount() <= 1);
        QVERIFY(!table.controlsDisabled());
        QCOMPARE(readBytes(out), QByteArray("earlier\r\n"));
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("o.txt*")}, QDir::Files).size(), 1);
    }

    void fileThatCannotBeWritten()
    {
        QTemporaryDir dir(QStringLiteral("/tmp/wt17-gen-XXXXXX"));
        dbase::Table table;
        QVERIFY(makeCoins(dir.path(), QStringLiteral("small"), table));
        ReportGenerator gen(readyMadeReport(0), contextFor(table, {}), RunMode::File,
                            dir.filePath(QStringLiteral("no/such/dir/out.txt")));
        LetterFiler filer;
        PageStream stream;
        filer.setStream(&stream);
        gen.attach(filer);
        QVERIFY_THROWS_EXCEPTION(ReportError, filer.Execute());
        QVERIFY(!table.controlsDisabled());
        QVERIFY(!filer.Printing());
    }
};

REGISTER_TEST(GenerationTests)
#include "tst_generation.moc"
