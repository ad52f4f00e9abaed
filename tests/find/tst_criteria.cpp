// The logic of search, locate and search and replace on real coin tables: reading levels
// into items with every check, testing records, locating values, and the replace walk
// read back by python3-dbf.
#include "find/locate_match.h"
#include "find/replace_match.h"
#include "find/search_criteria.h"
#include "find_fixture.h"
#include "test_files.h"
#include "test_registry.h"

#include <QJsonArray>
#include <QTest>

using namespace finding;

namespace
{

// Argentina, Qatar, Canada, Mexico, Peru: years, purchase prices, dates and quantities
// chosen so that each edge case separates them.
QList<Values> fiveCoins()
{
    return {
        {{coin::Country, "Argentina"},
         {coin::Year, "1967"},
         {coin::PurchasePr, "15"},
         {coin::PurchDate, "2/3/2001"}},
        {{coin::Country, "Qatar"},
         {coin::Year, "1980"},
         {coin::PurchasePr, "10"},
         {coin::PurchDate, "5/6/2010"},
         {coin::Quantity, "3"}},
        {{coin::Country, "Canada"},
         {coin::Year, "1950"},
         {coin::PurchasePr, "20"},
         {coin::Quantity, "1"}},
        {{coin::Country, "Mexico"},
         {coin::Year, "1967"},
         {coin::PurchasePr, "12.5"},
         {coin::PurchDate, "12/31/1999"}},
        {{coin::Country, "Peru"},
         {coin::Year, "2000"},
         {coin::PurchDate, "1/1/2020"},
         {coin::Quantity, "2"}},
    };
}

// One level: "row:op:text" items joined by "|".
void readLevelText(const QString &level, std::array<QString, kSearchRows> &cells,
                   std::array<int, kSearchRows> &ops)
{
    cells.fill(QString());
    ops.fill(OpEqual);
    for (const QString &item : level.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        const int a = item.indexOf(QLatin1Char(':'));
        const int b = item.indexOf(QLatin1Char(':'), a + 1);
        const int row = item.left(a).toInt();
        ops[row - 1] = item.mid(a + 1, b - a - 1).toInt();
        cells[row - 1] = item.mid(b + 1);
    }
}

} // namespace

class SearchCriteriaTests : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { dbase::DateStyle::setCurrent(dbase::DateStyle("m/d/yy")); }

    void levels_data()
    {
        QTest::addColumn<QString>("style");
        QTest::addColumn<QStringList>("levels");
        QTest::addColumn<int>("outcome"); // of the last level
        QTest::addColumn<int>("badRow");
        QTest::addColumn<int>("items");
        QTest::addColumn<QStringList>("matches");
        const int stored = int(SearchCriteria::Outcome::Stored);
        const int invalid = int(SearchCriteria::Outcome::Invalid);
        const int none = int(SearchCriteria::Outcome::NoCriteria);

        QTest::newRow("contains ignoring case") << "m/d/yy" << strings({"1:1:ar"}) << stored << 0
                                                << 1 << strings({"Argentina", "Qatar"});
        QTest::newRow("two levels or-ed")
            << "m/d/yy" << strings({"1:1:canada", "3:1:1967"}) << stored << 0 << 2
            << strings({"Argentina", "Canada", "Mexico"});
        QTest::newRow("items of a level and-ed")
            << "m/d/yy" << strings({"3:1:1967|1:1:MEX"}) << stored << 0 << 2 << strings({"Mexico"});
        QTest::newRow("range excludes its bounds")
            << "m/d/yy" << strings({"6:4:> 10 AND < 20"}) << stored << 0 << 2
            << strings({"Argentina", "Mexico"});
        QTest::newRow("range with only the lower bound")
            << "m/d/yy" << strings({"6:4:> 10        AND <"}) << invalid << 6 << 0 << QStringList{};
        QTest::newRow("range with only the upper bound")
            << "m/d/yy" << strings({"6:4:>    AND < 20"}) << invalid << 6 << 0 << QStringList{};
        QTest::newRow("untouched range is empty")
            << "m/d/yy" << strings({"6:4:>           AND <         "}) << none << 0 << 0
            << QStringList{};
        QTest::newRow("equal number")
            << "m/d/yy" << strings({"6:1:= 12.5"}) << stored << 0 << 1 << strings({"Mexico"});
        QTest::newRow("greater than number") << "m/d/yy" << strings({"6:2:> 14"}) << stored << 0
                                             << 1 << strings({"Argentina", "Canada"});
        QTest::newRow("empty number field is 0") << "m/d/yy" << strings({"13:3:< 1"}) << stored << 0
                                                 << 1 << strings({"Argentina", "Mexico"});
        QTest::newRow("empty price equals 0")
            << "m/d/yy" << strings({"6:1:= 0"}) << stored << 0 << 1 << strings({"Peru"});
        QTest::newRow("thousands separator refused")
            << "m/d/yy" << strings({"6:1:= 1,000"}) << invalid << 6 << 0 << QStringList{};
        QTest::newRow("currency sign refused")
            << "m/d/yy" << strings({"6:1:= $5"}) << invalid << 6 << 0 << QStringList{};
        QTest::newRow("exponent accepted") << "m/d/yy" << strings({"6:2:> 1.4e1"}) << stored << 0
                                           << 1 << strings({"Argentina", "Canada"});
        QTest::newRow("date greater than, empty date is 0")
            << "m/d/yy" << strings({"11:2:> 01/01/2005"}) << stored << 0 << 1
            << strings({"Qatar", "Peru"});
        QTest::newRow("date less than, empty date is 0")
            << "m/d/yy" << strings({"11:3:< 01/01/2000"}) << stored << 0 << 1
            << strings({"Canada", "Mexico"});
        QTest::newRow("date range") << "m/d/yy" << strings({"11:4:> 01/01/2000 AND < 01/01/2015"})
                                    << stored << 0 << 2 << strings({"Argentina", "Qatar"});
        QTest::newRow("date in day.month.year order")
            << "dd.mm.yyyy" << strings({"11:1:= 03.02.2001"}) << stored << 0 << 1
            << strings({"Argentina"});
        QTest::newRow("date needs four-digit year")
            << "m/d/yy" << strings({"11:1:= 02/03/01"}) << invalid << 11 << 0 << QStringList{};
        QTest::newRow("month 13 drops the level, keeps earlier levels")
            << "m/d/yy" << strings({"1:1:canada", "3:1:1967|11:1:= 13/01/2001"}) << invalid << 11
            << 1 << strings({"Canada"});
        QTest::newRow("empty date mask with /")
            << "m/d/yy" << strings({"11:1:=   /  /    "}) << none << 0 << 0 << QStringList{};
        QTest::newRow("empty date mask with -")
            << "m-d-yy" << strings({"11:2:>   -  -    "}) << none << 0 << 0 << QStringList{};
        QTest::newRow("empty date mask with .")
            << "d.m.yy" << strings({"11:3:<   .  .    "}) << none << 0 << 0 << QStringList{};
        QTest::newRow("empty date range mask")
            << "m/d/yy" << strings({"11:4:>   /  /     AND <   /  /    "}) << none << 0 << 0
            << QStringList{};
        QTest::newRow("operator changed, value left blank")
            << "m/d/yy" << strings({"6:2:>          |7:3:<"}) << none << 0 << 0 << QStringList{};
        QTest::newRow("blank text rows")
            << "m/d/yy" << strings({"1:1:   |3:1:"}) << none << 0 << 0 << QStringList{};
    }
    void levels()
    {
        QFETCH(QString, style);
        QFETCH(QStringList, levels);
        QFETCH(int, outcome);
        QFETCH(int, badRow);
        QFETCH(int, items);
        QFETCH(QStringList, matches);
        CoinTable coins(fiveCoins());
        dbase::DateStyle::setCurrent(dbase::DateStyle(style.toStdString()));

        SearchCriteria criteria;
        SearchCriteria::LevelResult result;
        std::array<QString, kSearchRows> cells;
        std::array<int, kSearchRows> ops;
        for (int i = 0; i < levels.size(); ++i) {
            readLevelText(levels.at(i), cells, ops);
            result = criteria.readLevel(cells, ops, dbase::DateStyle::current());
            if (i + 1 < levels.size()) {
                QCOMPARE(int(result.outcome), int(SearchCriteria::Outcome::Stored));
                criteria.nextLevel();
            }
        }
        QCOMPARE(int(result.outcome), outcome);
        QCOMPARE(result.row, badRow);
        if (outcome == int(SearchCriteria::Outcome::Invalid))
            QCOMPARE(result.message,
                     QStringLiteral("Invalid search criteria entered.  Please correct."));
        if (outcome == int(SearchCriteria::Outcome::NoCriteria))
            QCOMPARE(result.message, QStringLiteral("No search criteria entered."));
        QCOMPARE(criteria.itemCount(), items);
        if (items > 0) {
            QVERIFY(criteria.item(items).EndOfLevel);
            coins.table.setFilter([&](const dbase::Table &t) { return criteria.passes(t); });
            coins.table.refilter();
            QCOMPARE(coins.countries(), matches);
        }
    }

    void itemsKeepWhatWasTyped()
    {
        SearchCriteria criteria;
        std::array<QString, kSearchRows> cells;
        std::array<int, kSearchRows> ops;
        readLevelText(QStringLiteral("1:1:  ar |6:4:> 10 AND < 20|11:1:= 02/03/2001"), cells, ops);
        QCOMPARE(int(criteria.readLevel(cells, ops, dbase::DateStyle("m/d/yy")).outcome),
                 int(SearchCriteria::Outcome::Stored));
        QCOMPARE(criteria.itemCount(), 4);
        QCOMPARE(criteria.item(1).Text, QStringLiteral("AR"));
        QCOMPARE(criteria.item(1).Kind, 5);
        QCOMPARE(criteria.item(2).Kind, 2);
        QCOMPARE(criteria.item(2).NumberValue, 10.0);
        QCOMPARE(criteria.item(3).Kind, 3);
        QCOMPARE(criteria.item(3).NumberValue, 20.0);
        QVERIFY(criteria.item(4).IsDate);
        QCOMPARE(criteria.item(4).DateValue, 36925.0); // the serial of 3 February 2001
        QCOMPARE(criteria.item(4).Text, QStringLiteral("36925"));
        QVERIFY(!criteria.item(3).EndOfLevel);
        QVERIFY(criteria.item(4).EndOfLevel);
    }

    // Fifteen text rows per level: five levels make 75 items, the sixth level's first
    // row is the 76th and clears everything.
    void seventySixthItem()
    {
        SearchCriteria criteria;
        std::array<QString, kSearchRows> cells;
        std::array<int, kSearchRows> ops;
        ops.fill(OpEqual);
        for (int row = 1; row <= kSearchRows; ++row)
            cells[row - 1] = searchRow(row).kind == RowKind::Text ? QStringLiteral("x") : QString();
        for (int level = 1; level <= 5; ++level) {
            QCOMPARE(int(criteria.readLevel(cells, ops, dbase::DateStyle()).outcome),
                     int(SearchCriteria::Outcome::Stored));
            criteria.nextLevel();
        }
        QCOMPARE(criteria.itemCount(), 75);
        QCOMPARE(criteria.level(), 6);
        const auto result = criteria.readLevel(cells, ops, dbase::DateStyle());
        QCOMPARE(int(result.outcome), int(SearchCriteria::Outcome::TooMany));
        QCOMPARE(
            result.message,
            QStringLiteral("More than 75 search items have been entered.  This exceeds the maximum "
                           "allowable.  Search criteria will be cleared."));
        QCOMPARE(criteria.itemCount(), 0);
        QCOMPARE(criteria.level(), 1);
    }

    void tenthLevelIsTheLast()
    {
        SearchCriteria criteria;
        for (int level = 1; level < kMaxLevels; ++level) {
            QVERIFY(criteria.canFindMore());
            criteria.nextLevel();
        }
        QCOMPARE(criteria.level(), 10);
        QVERIFY(!criteria.canFindMore());
        criteria.clear();
        QCOMPARE(criteria.level(), 1);
        QVERIFY(criteria.canFindMore());
    }

    void nonAsciiTextIgnoresCase()
    {
        CoinTable coins({{{coin::Country, "Österreich"}}, {{coin::Country, "France"}}});
        SearchCriteria criteria;
        std::array<QString, kSearchRows> cells;
        std::array<int, kSearchRows> ops;
        readLevelText(QStringLiteral("1:1:östER"), cells, ops);
        criteria.readLevel(cells, ops, dbase::DateStyle());
        coins.table.setFilter([&](const dbase::Table &t) { return criteria.passes(t); });
        coins.table.refilter();
        QCOMPARE(coins.countries(), strings({"Österreich"}));
    }
};

class LocateMatchTests : public QObject
{
    Q_OBJECT
private slots:
    void locate_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("match");
        QTest::addColumn<bool>("caseSensitive");
        QTest::addColumn<bool>("fromBeginning");
        QTest::addColumn<int>("start"); // record number the cursor is on
        QTest::addColumn<int>("found"); // record number found; 0 = none, cursor stays
        // 1 Canada 12.50, 2 Argentina 12.5, 3 canada 125, 4 (no country) 7, 5 Qatar
        QTest::newRow("beginning, case ignored, can finds Canada")
            << "COUNTRY"
            << "can" << 1 << false << true << 3 << 1;
        QTest::newRow("beginning, case-sensitive, can finds canada")
            << "COUNTRY"
            << "can" << 1 << true << true << 1 << 3;
        QTest::newRow("beginning, case-sensitive, Can from the first")
            << "COUNTRY"
            << "Can" << 1 << true << false << 1 << 0;
        QTest::newRow("next goes on after the current record")
            << "COUNTRY"
            << "CANADA" << 0 << false << false << 1 << 3;
        QTest::newRow("next after the last match") << "COUNTRY"
                                                   << "canada" << 0 << false << false << 3 << 0;
        QTest::newRow("first stops on the first record") << "COUNTRY"
                                                         << "Canada" << 0 << true << true << 4 << 1;
        QTest::newRow("exact is the whole value") << "COUNTRY"
                                                  << "Canad" << 0 << false << true << 2 << 0;
        QTest::newRow("anywhere") << "COUNTRY"
                                  << "TIN" << 2 << false << true << 1 << 2;
        QTest::newRow("anywhere, case-sensitive") << "COUNTRY"
                                                  << "TIN" << 2 << true << true << 1 << 0;
        QTest::newRow("exact 12.5 finds 12.50") << "MARKETVALU"
                                                << "12.5" << 0 << false << true << 5 << 1;
        QTest::newRow("exact 12.50 finds 12.5 next") << "MARKETVALU"
                                                     << "12.50" << 0 << false << false << 1 << 2;
        QTest::newRow("exact 12 does not find 12.5") << "MARKETVALU"
                                                     << "12" << 0 << false << true << 5 << 0;
        QTest::newRow("beginning 12 finds 125 after 12.5") << "MARKETVALU"
                                                           << "12" << 1 << false << false << 2 << 3;
        QTest::newRow("exact empty value finds the empty field")
            << "COUNTRY"
            << "" << 0 << false << true << 1 << 4;
        QTest::newRow("whole number field") << "QUANTITY"
                                            << "7" << 0 << false << true << 1 << 4;
        QTest::newRow("date field as shown") << "PURCHDATE"
                                             << "2/3/01" << 0 << false << true << 1 << 5;
    }
    void locate()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(int, match);
        QFETCH(bool, caseSensitive);
        QFETCH(bool, fromBeginning);
        QFETCH(int, start);
        QFETCH(int, found);
        CoinTable coins({{{coin::Country, "Canada"}, {coin::MarketValu, "12.50"}},
                         {{coin::Country, "Argentina"}, {coin::MarketValu, "12.5"}},
                         {{coin::Country, "canada"}, {coin::MarketValu, "125"}},
                         {{coin::Quantity, "7"}},
                         {{coin::Country, "Qatar"}, {coin::PurchDate, "2/3/2001"}}});
        QVERIFY(coins.table.moveToRecNo(uint32_t(start)));
        const FindResult result = findMatch(fromBeginning, coins.table, field, caseSensitive,
                                            TMyLocateMatchType(match), value);
        QCOMPARE(int(result), int(found ? FindResult::Found : FindResult::NotFound));
        QCOMPARE(int(coins.table.recNo()), found ? found : start);
    }

    void searchHidesAMatch()
    {
        CoinTable coins({{{coin::Country, "Canada"}},
                         {{coin::Country, "Chile"}},
                         {{coin::Country, "Canada"}, {coin::Year, "hidden"}}});
        coins.table.setFilter([](const dbase::Table &t) { return t.asString(2) != "hidden"; });
        coins.table.refilter();
        coins.table.first();
        QCOMPARE(int(findMatch(false, coins.table, QStringLiteral("COUNTRY"), false, mtExactMatch,
                               QStringLiteral("canada"))),
                 int(FindResult::NotFound));
        QCOMPARE(int(coins.table.recNo()), 1);
    }

    // A long locate reads the records in file order and walks the cursor's order: the
    // matches come in index order, and records the filter hides are passed over.
    void longLocateKeepsTheCursorOrder()
    {
        CoinTable coins({});
        dbase::Table &t = coins.table;
        t.setSyncEachPost(false);
        for (int i = 1; i <= 3000; ++i) {
            Values v{{coin::Country,
                      QStringLiteral("%1").arg(3001 - i, 4, 10, QLatin1Char('0')).toUtf8()}};
            // Matches far apart in index order, so that a locate tests many records.
            if (i % 7 == 0 && (i < 300 || i == 1505 || i == 2100)) v[coin::Year] = "x";
            if (i % 14 == 0) v[coin::MintMark] = "h";
            addCoin(t, v);
        }
        t.sync();
        t.close();
        t.addIndex("NewIndex", "Upper(Country)");
        t.setIndexName("NewIndex");
        t.open();
        t.setFilter([](const dbase::Table &tab) { return tab.asString(4) != "h"; });
        t.refilter();
        QStringList expected, found;
        for (int i = 2999; i >= 1; --i)
            if (i % 7 == 0 && i % 14 != 0 && (i < 300 || i == 1505)) expected << QString::number(i);
        bool first = true;
        while (findMatch(first, t, QStringLiteral("YEAR"), false, mtExactMatch,
                         QStringLiteral("X")) == FindResult::Found) {
            found << QString::number(t.recNo());
            first = false;
        }
        QCOMPARE(found, expected);
        QCOMPARE(int(t.recNo()), 7); // the last match stays current
    }

    void unknownField()
    {
        CoinTable coins({{{coin::Country, "Canada"}}});
        QCOMPARE(int(findMatch(true, coins.table, QStringLiteral("NOSUCH"), false, mtExactMatch,
                               QStringLiteral("x"))),
                 int(FindResult::NoField));
    }

    void pendingEditIsPosted()
    {
        CoinTable coins({{{coin::Country, "Canada"}}, {{coin::Country, "Chile"}}});
        coins.table.first();
        coins.table.edit();
        coins.table.setAsString(0, "Peru");
        QCOMPARE(int(findMatch(true, coins.table, QStringLiteral("COUNTRY"), false, mtExactMatch,
                               QStringLiteral("peru"))),
                 int(FindResult::Found));
        QCOMPARE(int(coins.table.state()), int(dbase::Table::State::Browse));
    }
};

class ReplaceMatchTests : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { dbase::DateStyle::setCurrent(dbase::DateStyle("m/d/yy")); }

    void input_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("replace");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("focus");
        const int none = int(ReplaceCheck::Focus::None);
        const int list = int(ReplaceCheck::Focus::FieldList);
        const int sbox = int(ReplaceCheck::Focus::SearchBox);
        const int rbox = int(ReplaceCheck::Focus::ReplaceBox);
        QTest::newRow("no field") << 0 << "a"
                                  << "b"
                                  << "No field has been selected." << list;
        QTest::newRow("text, both empty") << 4 << "  "
                                          << ""
                                          << "" << none;
        QTest::newRow("number") << 6 << " 10 "
                                << "10.5"
                                << "" << none;
        QTest::newRow("empty number") << 6 << ""
                                      << "1"
                                      << "Invalid search value entered.  Please correct." << sbox;
        QTest::newRow("bad number") << 13 << "1,000"
                                    << "1"
                                    << "Invalid search value entered.  Please correct." << sbox;
        QTest::newRow("bad replacement number")
            << 7 << "1"
            << "x"
            << "Invalid replacement value entered.  Please correct." << rbox;
        QTest::newRow("date") << 11 << "02/03/2001"
                              << "12/31/1999"
                              << "" << none;
        QTest::newRow("untouched date mask")
            << 11 << "  /  /    "
            << "12/31/1999"
            << "Invalid search date entered.  Please correct." << sbox;
        QTest::newRow("two-digit year") << 11 << "02/03/01"
                                        << "12/31/1999"
                                        << "Invalid search date entered.  Please correct." << sbox;
        QTest::newRow("bad replacement date")
            << 11 << "02/03/2001"
            << "02/30/2001"
            << "Invalid replacement date entered.  Please correct." << rbox;
    }
    void input()
    {
        QFETCH(int, field);
        QFETCH(QString, search);
        QFETCH(QString, replace);
        QFETCH(QString, message);
        QFETCH(int, focus);
        ReplaceRequest request;
        const ReplaceCheck check =
            checkReplaceInput(field, search, replace, dbase::DateStyle("m/d/yy"), request);
        QCOMPARE(check.message, message);
        QCOMPARE(int(check.focus), focus);
    }

    void fineBecomesVeryFine()
    {
        CoinTable coins({{{coin::Country, "A"}, {coin::Condition, "Fine"}},
                         {{coin::Country, "B"}, {coin::Condition, "FINE"}},
                         {{coin::Country, "C"}, {coin::Condition, "Very Fine"}},
                         {{coin::Country, "D"}, {coin::Condition, " fine"}}});
        ReplaceRequest request;
        QVERIFY(checkReplaceInput(coin::Condition, QStringLiteral(" fine "),
                                  QStringLiteral("Very Fine"), dbase::DateStyle(), request)
                    .ok());
        ReplaceCounters counters;
        int shown = 0;
        replaceWalk(
            coins.table, request, {}, [&](const ReplaceCounters &) { ++shown; }, counters);
        QCOMPARE(counters.processed, 4);
        QCOMPARE(counters.found, 3);
        QCOMPARE(counters.changed, 3);
        QCOMPARE(shown, 7);
        coins.table.close();
        const QJsonArray records = dumpTable(coins.path)[QStringLiteral("records")].toArray();
        QStringList conditions;
        for (const auto &r : records)
            conditions << r.toObject()[QStringLiteral("values")].toArray().at(3).toString();
        QCOMPARE(conditions, (strings({"Very Fine", "Very Fine", "Very Fine", "Very Fine"})));
    }

    void emptySearchFillsEmptyFields()
    {
        CoinTable coins({{{coin::Country, "A"}},
                         {{coin::Country, "B"}, {coin::Topic, "Ships"}},
                         {{coin::Country, "C"}}});
        ReplaceRequest request;
        QVERIFY(checkReplaceInput(coin::Topic, QString(), QStringLiteral("Animals"),
                                  dbase::DateStyle(), request)
                    .ok());
        ReplaceCounters counters;
        replaceWalk(coins.table, request, {}, {}, counters);
        QCOMPARE(counters.changed, 2);
        coins.table.close();
        const QJsonArray records = dumpTable(coins.path)[QStringLiteral("records")].toArray();
        QStringList topics;
        for (const auto &r : records)
            topics << r.toObject()[QStringLiteral("values")].toArray().at(8).toString();
        QCOMPARE(topics, (strings({"Animals", "Ships", "Animals"})));
    }

    void noToEveryQuestion()
    {
        CoinTable coins({{{coin::Country, "Peru"}, {coin::Condition, "Fine"}},
                         {{coin::Country, "Chile"}, {coin::Condition, "Good"}},
                         {{coin::Country, "Cuba"}, {coin::Condition, "fine"}}});
        coins.table.close();
        const QByteArray before = readBytes(coins.path);
        coins.table.open();
        ReplaceRequest request;
        checkReplaceInput(coin::Condition, QStringLiteral("FINE"), QStringLiteral("Poor"),
                          dbase::DateStyle(), request);
        QStringList asked;
        ReplaceCounters counters;
        replaceWalk(
            coins.table, request,
            [&](const QString &country) {
                asked << country;
                return false;
            },
            {}, counters);
        QCOMPARE(asked, (strings({"Peru", "Cuba"})));
        QCOMPARE(counters.processed, 3);
        QCOMPARE(counters.found, 2);
        QCOMPARE(counters.changed, 0);
        coins.table.close();
        QCOMPARE(readBytes(coins.path), before);
    }

    void numbersAndDatesMatchExactly()
    {
        CoinTable coins({{{coin::PurchasePr, "10"}, {coin::PurchDate, "2/3/2001"}},
                         {{coin::PurchasePr, "10.5"}, {coin::PurchDate, "2/4/2001"}},
                         {{coin::PurchasePr, "10.00"}}});
        ReplaceRequest request;
        QVERIFY(checkReplaceInput(coin::PurchasePr, QStringLiteral("10"), QStringLiteral("11.25"),
                                  dbase::DateStyle(), request)
                    .ok());
        ReplaceCounters counters;
        replaceWalk(coins.table, request, {}, {}, counters);
        QCOMPARE(counters.changed, 2);
        QVERIFY(checkReplaceInput(coin::PurchDate, QStringLiteral("02/03/2001"),
                                  QStringLiteral("01/01/1990"), dbase::DateStyle(), request)
                    .ok());
        ReplaceCounters dates;
        replaceWalk(coins.table, request, {}, {}, dates);
        QCOMPARE(dates.changed, 1);
        coins.table.close();
        const QJsonArray records = dumpTable(coins.path)[QStringLiteral("records")].toArray();
        auto value = [&](int r, int f) {
            return records.at(r).toObject()[QStringLiteral("values")].toArray().at(f);
        };
        QCOMPARE(value(0, 5).toDouble(), 11.25);
        QCOMPARE(value(1, 5).toDouble(), 10.5);
        QCOMPARE(value(2, 5).toDouble(), 11.25);
        QCOMPARE(value(0, 10).toString(), QStringLiteral("1990-01-01"));
        QCOMPARE(value(1, 10).toString(), QStringLiteral("2001-02-04"));
    }

    // A value the field cannot take ends the walk with the engine's error; the record
    // is left unchanged and not held in edit state.
    void failedPostEndsTheWalk()
    {
        CoinTable coins({{{coin::Quantity, "5"}}, {{coin::Quantity, "5"}}});
        ReplaceRequest request;
        QVERIFY(checkReplaceInput(coin::Quantity, QStringLiteral("5"), QStringLiteral("1e15"),
                                  dbase::DateStyle(), request)
                    .ok());
        ReplaceCounters counters;
        QVERIFY_THROWS_EXCEPTION(dbase::Error, replaceWalk(coins.table, request, {}, {}, counters));
        QCOMPARE(int(coins.table.state()), int(dbase::Table::State::Browse));
        QCOMPARE(counters.changed, 0);
        coins.table.first();
        QCOMPARE(coins.table.asFloat(coins.table.fieldByName("QUANTITY")), 5.0);
    }
};

REGISTER_TEST(SearchCriteriaTests)
REGISTER_TEST(LocateMatchTests)
REGISTER_TEST(ReplaceMatchTests)
#include "tst_criteria.moc"
