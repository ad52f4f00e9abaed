// The engine's progress callback during long work: a rebuild and a pack report how far
// they are and give the very files a run without the callback gives; a cancel request
// leaves the files as they were.
#include "dbase/error.h"
#include "helpers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace dbase;

namespace
{

struct Call {
    std::string what;
    uint64_t done;
    uint64_t total;
};

} // namespace

class ProgressTests : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    static constexpr int kRecords = 6000; // several 1 MB blocks of coin records
    int m_live = 0;

    QString path(const char *file) const
    {
        return m_dir.path() + QLatin1Char('/') + QLatin1String(file);
    }

    // The same coins in every table named; every seventh deleted, the index selected.
    void makeTable(const char *name)
    {
        Table t;
        t.setDatabaseName(m_dir.path().toStdString());
        t.setTableName(name);
        t.createTable(coinFields());
        t.addIndex("NewIndex", "Upper(Left(Country,26))+STR(Quantity,12,0)");
        t.setIndexName("NewIndex");
        t.setExclusive(true);
        t.open();
        const char *countries[] = {"Peru", "france", "Japan", "chile"};
        const int country = t.fieldByName("COUNTRY"), quantity = t.fieldByName("QUANTITY");
        for (int i = 0; i < kRecords; ++i) {
            t.append();
            t.setAsString(country, countries[(i * 7) % 4]);
            t.setAsFloat(quantity, (i * 7919) % 1000);
            t.post();
        }
        for (int row = 0; row < t.recordCount(); row += 6) {
            t.moveToRow(row);
            t.deleteRecord();
        }
        m_live = t.recordCount();
        QVERIFY(m_live < kRecords);
        t.close();
    }

    void openTable(Table &t, const char *name)
    {
        t.setDatabaseName(m_dir.path().toStdString());
        t.setTableName(name);
        t.setIndexName("NewIndex");
        t.setExclusive(true);
        t.open();
    }

    static void checkCalls(const std::vector<Call> &calls, const std::string &what)
    {
        int seen = 0;
        uint64_t last = 0;
        for (const Call &c : calls) {
            if (c.what != what) continue;
            QVERIFY(c.done <= c.total);
            QVERIFY(c.done >= last); // it only goes forward
            last = c.done;
            ++seen;
        }
        QVERIFY2(seen >= 3, qPrintable(QStringLiteral("%1 reported %2 times")
                                           .arg(QString::fromStdString(what))
                                           .arg(seen)));
    }

private slots:
    void initTestCase()
    {
        makeTable("PLAIN");
        makeTable("TOLD");
    }

    void rebuildAndPackReportAndGiveTheSameFiles()
    {
        std::vector<Call> calls;
        {
            Table plain;
            openTable(plain, "PLAIN");
            plain.regenerateIndexes();
            plain.pack();
            plain.close();
        }
        Table told;
        openTable(told, "TOLD");
        told.setProgress([&calls](const std::string &what, uint64_t done, uint64_t total) {
            calls.push_back({what, done, total});
            return true;
        });
        told.regenerateIndexes();
        checkCalls(calls, "Building the index");
        calls.clear();
        told.pack();
        checkCalls(calls, "Packing the table");
        QCOMPARE(told.recordCount(), m_live);
        told.close();

        QCOMPARE(readFile(path("TOLD.DBF")), readFile(path("PLAIN.DBF")));
        // The index files differ only in the table name they carry (offset 4, 16 bytes).
        QByteArray a = readFile(path("TOLD.MDX")), b = readFile(path("PLAIN.MDX"));
        QCOMPARE(a.size(), b.size());
        a.replace(4, 16, QByteArray(16, '\0'));
        b.replace(4, 16, QByteArray(16, '\0'));
        QVERIFY(a == b);
        QString error;
        const auto dumped = indexDumpOrder(path("TOLD.MDX"), QStringLiteral("NewIndex"), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(static_cast<int>(dumped.size()), m_live);
    }

    void firstReadingOfRowsReports()
    {
        Table t;
        t.setDatabaseName(m_dir.path().toStdString());
        t.setTableName("PLAIN");
        std::vector<Call> calls;
        t.setProgress([&calls](const std::string &what, uint64_t done, uint64_t total) {
            calls.push_back({what, done, total});
            return false; // not a cancel: reading the rows cannot be cancelled
        });
        t.open();
        QCOMPARE(t.recordCount(), m_live);
        QVERIFY(!calls.empty());
        QCOMPARE(calls.front().what, std::string("Reading the records"));
    }

    // Each piece of work reads the table once: the reports of a pass start at 0 once, and
    // no separate reading of the rows follows a rebuild or a pack.
    void oneReadingOfTheTablePerWork()
    {
        QVERIFY(QFile::copy(path("PLAIN.DBF"), path("PASSES.DBF")));
        QVERIFY(QFile::copy(path("PLAIN.MDX"), path("PASSES.MDX")));
        Table t;
        openTable(t, "PASSES");
        QCOMPARE(t.recordCount(), m_live);
        std::vector<Call> calls;
        t.setProgress([&calls](const std::string &what, uint64_t done, uint64_t total) {
            calls.push_back({what, done, total});
            return true;
        });
        auto starts = [&calls](const std::string &what) {
            return std::count_if(calls.begin(), calls.end(),
                                 [&](const Call &c) { return c.what == what && c.done == 0; });
        };
        auto mentions = [&calls](const std::string &what) {
            return std::count_if(calls.begin(), calls.end(),
                                 [&](const Call &c) { return c.what == what; });
        };

        t.regenerateIndexes();
        QCOMPARE(starts("Building the index"), 1);
        QCOMPARE(mentions("Reading the records"), 0);
        calls.clear();
        // A second tag: both tags are built from the same pass.
        t.addIndex("Other", "STR(Quantity,12,0)");
        QCOMPARE(starts("Building the index"), 1);
        QCOMPARE(mentions("Reading the records"), 0);
        calls.clear();
        // A pack builds the keys while it copies: no pass of the index build of its own.
        t.pack();
        QCOMPARE(starts("Packing the table"), 1);
        QCOMPARE(starts("Building the index"), 0);
        QCOMPARE(mentions("Reading the records"), 0);
        calls.clear();
        // The tag just added is selected without reading the table again.
        t.setIndexName("Other");
        QCOMPARE(mentions("Reading the records"), 0);
        QCOMPARE(t.recordCount(), m_live);
        t.close();
        QString error;
        QCOMPARE(indexDumpOrder(path("PASSES.MDX"), QStringLiteral("Other"), &error).size(),
                 static_cast<std::size_t>(m_live));
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }

    void cancelLeavesFilesAsTheyWere_data()
    {
        QTest::addColumn<bool>("pack");
        QTest::newRow("pack") << true;
        QTest::newRow("rebuild") << false;
    }

    void cancelLeavesFilesAsTheyWere()
    {
        QFETCH(bool, pack);
        QFile::remove(path("CANCEL.DBF"));
        QFile::remove(path("CANCEL.MDX"));
        QVERIFY(QFile::copy(path("PLAIN.DBF"), path("CANCEL.DBF")));
        QVERIFY(QFile::copy(path("PLAIN.MDX"), path("CANCEL.MDX")));
        // An unpacked table, so that a pack would change it.
        {
            Table t;
            openTable(t, "CANCEL");
            t.moveToRow(3);
            t.deleteRecord();
            t.close();
        }
        const QByteArray dbf = readFile(path("CANCEL.DBF")), mdx = readFile(path("CANCEL.MDX"));
        Table t;
        openTable(t, "CANCEL");
        const int before = t.recordCount();
        int calls = 0;
        t.setProgress([&calls](const std::string &, uint64_t done, uint64_t) {
            ++calls;
            return done == 0; // cancel once the work is under way
        });
        try {
            pack ? t.pack() : t.regenerateIndexes();
            QFAIL("the work was not cancelled");
        } catch (const Error &e) {
            QVERIFY2(QString::fromUtf8(e.what()).contains(QLatin1String("was cancelled")),
                     e.what());
        }
        QVERIFY(calls >= 2);
        QVERIFY(t.isOpen());
        QCOMPARE(t.recordCount(), before);
        t.close();
        QCOMPARE(readFile(path("CANCEL.DBF")), dbf);
        QCOMPARE(readFile(path("CANCEL.MDX")), mdx);
        // No copy left beside them.
        const QStringList left =
            QDir(m_dir.path()).entryList({QStringLiteral("CANCEL*")}, QDir::Files);
        QCOMPARE(left, (QStringList{QStringLiteral("CANCEL.DBF"), QStringLiteral("CANCEL.MDX")}));
    }
};

REGISTER_TEST(ProgressTests)
#include "tst_progress.moc"
