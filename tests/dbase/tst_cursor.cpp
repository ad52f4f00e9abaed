// The cursor: natural and index order, deleted records, the filter, field values, and
// the notifications attached views get.
#include "dbase/error.h"
#include "helpers.h"

#include <QTemporaryDir>
#include <QTest>

using namespace dbase;

namespace
{

std::vector<FieldDef> smallFields()
{
    return {FieldDef::text("Country", 20), FieldDef::floating("PurchasePr"),
            FieldDef::integer("Quantity"), FieldDef::date("PurchDate")};
}

void addRecord(Table &t, const std::string &country, double price = 0, int qty = 0, Date date = {})
{
    t.append();
    t.setAsString(0, country);
    t.setAsFloat(1, price);
    t.setAsFloat(2, qty);
    t.setAsDate(3, date);
    t.post();
}

} // namespace

class CursorTests : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    std::string dir() const { return m_dir.path().toStdString() + "/"; }

    void makeTable(Table &t, const char *name)
    {
        t.setDatabaseName(dir());
        t.setTableName(name);
        t.createTable(smallFields());
        t.open();
    }

private slots:
    void naturalOrderSkipsDeleted()
    {
        Table t;
        makeTable(t, "NATURAL");
        for (const char *c : {"A", "B", "C", "D", "E"})
            addRecord(t, c);
        QVERIFY(t.moveToRecNo(2));
        QCOMPARE(QString::fromStdString(t.asString(0)), QStringLiteral("B"));
        t.deleteRecord();
        QCOMPARE(t.recordCount(), 4);
        QCOMPARE(deliveredOrder(t), (std::vector<uint32_t>{1, 3, 4, 5}));
        QVERIFY(!t.moveToRecNo(2));

        // first/last/next/prior and the end tests
        t.first();
        QVERIFY(t.bof() && !t.eof());
        t.prior();
        QVERIFY(t.bof());
        QCOMPARE(t.recNo(), 1u);
        t.last();
        QVERIFY(t.eof());
        QCOMPARE(t.recNo(), 5u);
        t.prior();
        QCOMPARE(t.recNo(), 4u);
        t.next();
        t.next();
        QVERIFY(t.eof());
        QCOMPARE(t.recNo(), 5u);

        t.close();
        t.open();
        QCOMPARE(t.recordCount(), 4);
    }

    void emptyTable()
    {
        Table t;
        makeTable(t, "EMPTY");
        QVERIFY(t.isEmpty());
        t.first();
        QVERIFY(t.eof() && t.bof());
        QCOMPARE(t.recNo(), 0u);
        QCOMPARE(QString::fromStdString(t.asString(0)), QString());
        QVERIFY_THROWS_EXCEPTION(Error, t.edit());
        QVERIFY_THROWS_EXCEPTION(Error, t.deleteRecord());
    }

    void appendPositionsTheCursor()
    {
        Table t;
        makeTable(t, "APPENDED");
        addRecord(t, "first");
        QVERIFY(!t.eof() && !t.bof());
        QCOMPARE(deliveredOrder(t), std::vector<uint32_t>{1});
        t.setFilter([](const Table &tab) { return tab.asString(0) != "hidden"; });
        addRecord(t, "shown");
        addRecord(t, "hidden"); // saved, but the filter does not deliver it
        QVERIFY(t.recNo() == 1 || t.recNo() == 2);
        QCOMPARE(t.recordCount(), 2);
        t.first();
        t.next();
        QCOMPARE(t.recNo(), 2u);
    }

    void filter()
    {
        Table t;
        makeTable(t, "FILTER");
        for (const char *c : {"France", "Peru", "France", "Chile", "France"})
            addRecord(t, c);
        std::string wanted = "France";
        t.setFilter([&wanted](const Table &tab) { return tab.asString(0) == wanted; });
        QCOMPARE(deliveredOrder(t), (std::vector<uint32_t>{1, 3, 5}));
        QCOMPARE(t.recordCount(), 3);
        // A posted record that passes the filter appears; one that fails does not.
        addRecord(t, "France");
        addRecord(t, "Spain");
        QCOMPARE(t.recordCount(), 4);
        wanted = "Peru";
        t.refilter();
        QCOMPARE(deliveredOrder(t), (std::vector<uint32_t>{2}));
        t.clearFilter();
        QCOMPARE(t.recordCount(), 7);
    }

    void values_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("output"); // "error: ..." when refused
        QTest::newRow("text") << 0 << "Zürich"
                              << "Zürich";
        QTest::newRow("text keeps leading blanks") << 0 << "  Lead"
                                                   << "  Lead";
        QTest::newRow("text cut to width") << 0 << "abcdefghijklmnopqrstuvwxyz"
                                           << "abcdefghijklmnopqrst";
        QTest::newRow("text outside 1252") << 0 << QStringLiteral("a\u4E2Db") << "a?b";
        QTest::newRow("money") << 1 << "12.5"
                               << "12.5";
        QTest::newRow("money padded") << 1 << " 1234.56 "
                                      << "1234.56";
        QTest::newRow("money negative") << 1 << "-0.25"
                                        << "-0.25";
        QTest::newRow("money empty") << 1 << ""
                                     << "";
        QTest::newRow("money too big") << 1 << "12345678901234567890"
                                       << "error: does not fit";
        QTest::newRow("money not a number") << 1 << "12,50"
                                            << "error: '12,50' is not a valid number";
        QTest::newRow("quantity") << 2 << "3"
                                  << "3";
        QTest::newRow("date") << 3 << "2/3/2001"
                              << "2/3/01";
        QTest::newRow("date empty") << 3 << ""
                                    << "";
        QTest::newRow("date bad") << 3 << "13/45/1999"
                                  << "error: '13/45/1999' is not a valid date";
    }
    void values()
    {
        QFETCH(int, field);
        QFETCH(QString, input);
        QFETCH(QString, output);
        Table t;
        makeTable(t, "VALUES");
        t.append();
        if (output.startsWith(QLatin1String("error: "))) {
            try {
                t.setAsString(field, input.toStdString());
                QFAIL("no error");
            } catch (const Error &e) {
                QVERIFY2(QString::fromStdString(e.what()).contains(output.mid(7)), e.what());
            }
            t.cancel();
            QCOMPARE(t.recordCount(), 0);
            return;
        }
        t.setAsString(field, input.toStdString());
        t.post();
        t.close();
        t.open();
        t.first();
        QCOMPARE(QString::fromStdString(t.asString(field)), output);
        QCOMPARE(t.isNull(field), output.isEmpty());
    }

    void dateTextFollowsProgramStyle()
    {
        Table t;
        makeTable(t, "DATES");
        addRecord(t, "x", 0, 0, Date{2001, 2, 3});
        const DateStyle saved = DateStyle::current();
        DateStyle::setCurrent(DateStyle("dd.mm.yyyy"));
        const QString text = QString::fromStdString(t.asString(3));
        t.edit();
        t.setAsString(3, "31.12.1999");
        t.post();
        const Date d = t.asDate(3);
        DateStyle::setCurrent(saved);
        QCOMPARE(text, QStringLiteral("03.02.2001"));
        QCOMPARE(d, (Date{1999, 12, 31}));
    }

    void indexOrder()
    {
        Table t;
        makeTable(t, "ORDERED");
        addRecord(t, "peru", 5);
        addRecord(t, "Chile", 7);
        addRecord(t, "PERU", 1);
        addRecord(t, "chile", 7);
        t.close();
        t.addIndex("NewIndex", "Upper(Left(Country,26))+STR(PurchasePr,12,2)");
        t.setIndexName("NewIndex");
        t.open();
        // Text ignores case, equal keys keep record number order, numbers sort by value.
        QCOMPARE(deliveredOrder(t), (std::vector<uint32_t>{2, 4, 3, 1}));
        addRecord(t, "Denmark", 2);
        QCOMPARE(t.recNo(), 5u);
        QCOMPARE(t.currentRow(), 2);
        QVERIFY(t.moveToRecNo(1));
        t.edit();
        t.setAsString(0, "Argentina");
        t.post();
        QCOMPARE(deliveredOrder(t), (std::vector<uint32_t>{1, 2, 4, 5, 3}));
        t.setIndexName("");
        QCOMPARE(deliveredOrder(t), (std::vector<uint32_t>{1, 2, 3, 4, 5}));
        QVERIFY_THROWS_EXCEPTION(Error, t.setIndexName("NoSuchTag"));
    }

    void lowerCaseExtension()
    {
        Table t;
        t.setDatabaseName(dir());
        t.setTableName("lower.dbf");
        t.createTable(smallFields());
        Table u;
        u.setDatabaseName(m_dir.path().toStdString()); // no trailing slash
        u.setTableName("lower");
        QCOMPARE(QString::fromStdString(u.filePath()), m_dir.path() + QStringLiteral("/lower.dbf"));
        QCOMPARE(QString::fromStdString(u.indexFilePath()),
                 m_dir.path() + QStringLiteral("/lower.mdx"));
        u.open();
        u.close();
        u.addIndex("NewIndex", "Upper(Country)");
        QVERIFY(QFile::exists(m_dir.path() + QStringLiteral("/lower.mdx")));
    }

    void listenersAndSuspension()
    {
        Table t;
        makeTable(t, "LISTEN");
        std::vector<Table::Event> events;
        const int id = t.addListener([&events](Table::Event e) { events.push_back(e); });
        addRecord(t, "A");
        QVERIFY(std::find(events.begin(), events.end(), Table::Event::RecordChanged) !=
                events.end());
        events.clear();
        t.disableControls();
        for (int i = 0; i < 10; ++i)
            addRecord(t, "B");
        t.first();
        QVERIFY(events.empty());
        t.enableControls();
        QCOMPARE(events, std::vector<Table::Event>{Table::Event::Reset});
        t.removeListener(id);
        addRecord(t, "C");
        QCOMPARE(events.size(), std::size_t(1));
    }
};

REGISTER_TEST(CursorTests)
#include "tst_cursor.moc"
