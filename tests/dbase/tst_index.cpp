// The production index: index_dump must list the tag and walk it in the order the engine
// delivers (and in the order the keys really sort), through appends, edits that move
// keys, deletes, packs and rebuilds; header byte 28 follows the index file.
#include "dbase/error.h"
#include "helpers.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <map>

using namespace dbase;

namespace
{

const char *const kExpr = "Upper(Left(Country,26))+DTOS(PurchDate)+STR(PurchasePr,12,2)";
const char *const kCountries[] = {"France",     "peru",    "Chile", "chile",
                                  "Österreich", "Denmark", "",      "Zaire"};

struct Coin {
    std::string country;
    Date date;
    double price = 0;
    bool deleted = false;
};

std::string upperCp1252Text(const std::string &utf8)
{
    // Upper case as the key holds it, for the texts used here.
    QString s = QString::fromUtf8(utf8.c_str()).toUpper();
    QByteArray b = s.toLatin1();
    return b.toStdString();
}

// The key the expression gives, computed here without the engine.
std::string expectedKey(const Coin &c)
{
    std::string key = upperCp1252Text(c.country);
    key.resize(20, ' ');
    key += c.date.toDtos();
    char buf[32];
    std::snprintf(buf, sizeof buf, "%12.2f", c.price);
    return key + buf;
}

// Record numbers sorted by (key, recno); deleted records included when asked.
std::vector<uint32_t> expectedOrder(const std::map<uint32_t, Coin> &coins, bool withDeleted)
{
    std::vector<std::pair<std::string, uint32_t>> keys;
    for (const auto &[recno, coin] : coins)
        if (withDeleted || !coin.deleted) keys.emplace_back(expectedKey(coin), recno);
    std::sort(keys.begin(), keys.end());
    std::vector<uint32_t> order;
    for (const auto &k : keys)
        order.push_back(k.second);
    return order;
}

Coin randomCoin(QRandomGenerator &rng)
{
    Coin c;
    c.country = kCountries[rng.bounded(int(std::size(kCountries)))];
    if (rng.bounded(5))
        c.date = Date{1990 + rng.bounded(30), 1 + rng.bounded(12), 1 + rng.bounded(28)};
    c.price = rng.bounded(3) ? rng.bounded(100000) / 100.0 : 0;
    return c;
}

void store(Table &t, const Coin &c)
{
    t.setAsString(0, c.country);
    t.setAsDate(10, c.date);
    t.setAsFloat(5, c.price);
}

QByteArray tagExpression(const QString &mdx, int tagNumber)
{
    const QByteArray f = readFile(mdx);
    const char *entry = f.constData() + 544 + 32 * tagNumber;
    const uint32_t page = uint8_t(entry[0]) | uint8_t(entry[1]) << 8 | uint8_t(entry[2]) << 16;
    return QByteArray(f.constData() + page * 512 + 24);
}

} // namespace

class IndexTests : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    QString mdxPath(const char *name) const
    {
        return m_dir.path() + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".MDX");
    }

    void openCoins(Table &t, const char *name)
    {
        t.setDatabaseName(m_dir.path().toStdString());
        t.setTableName(name);
        t.createTable(coinFields());
    }

    // index_dump's walk equals the expected order with deleted records, and the engine
    // delivers the same order without them.
    void checkOrders(Table &t, const char *name, const std::map<uint32_t, Coin> &coins)
    {
        QString error;
        const auto dumped = indexDumpOrder(mdxPath(name), QStringLiteral("NewIndex"), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(dumped, expectedOrder(coins, true));
        QCOMPARE(deliveredOrder(t), expectedOrder(coins, false));
    }

private slots:
    void tagListedAndWalkedThroughChanges()
    {
        Table t;
        openCoins(t, "WALK");
        QRandomGenerator rng(42);
        std::map<uint32_t, Coin> coins;
        t.setExclusive(true);
        t.open();
        for (uint32_t r = 1; r <= 300; ++r) {
            coins[r] = randomCoin(rng);
            t.append();
            store(t, coins[r]);
            t.post();
        }
        t.close();
        t.setExclusive(false);
        t.addIndex("NewIndex", kExpr);
        t.setIndexName("NewIndex");
        t.open();

        const ToolResult tags = runIndexDump(mdxPath("WALK"));
        QCOMPARE(tags.exitCode, 0);
        QCOMPARE(tags.out, QStringLiteral("NewIndex\n"));
        QCOMPARE(tagExpression(mdxPath("WALK"), 0), QByteArray(kExpr));
        checkOrders(t, "WALK", coins);

        // Appends with the index open (enough to split leaves and interior blocks).
        for (uint32_t r = 301; r <= 1500; ++r) {
            coins[r] = randomCoin(rng);
            t.append();
            store(t, coins[r]);
            t.post();
        }
        checkOrders(t, "WALK", coins);

        // Edits that move keys, deletes, and edits that leave the key alone.
        for (int i = 0; i < 400; ++i) {
            const uint32_t r = 1 + rng.bounded(1500);
            if (coins[r].deleted) continue;
            QVERIFY(t.moveToRecNo(r));
            if (i % 5 == 0) {
                t.deleteRecord();
                coins[r].deleted = true;
                continue;
            }
            t.edit();
            if (i % 7 == 0) {
                t.setAsString(1, "key stays");
            } else {
                coins[r] = randomCoin(rng);
                store(t, coins[r]);
            }
            t.post();
        }
        checkOrders(t, "WALK", coins);

        // Empty whole stretches of the tree: every "France" moves to the end.
        for (auto &[r, coin] : coins) {
            if (coin.deleted || coin.country != "France") continue;
            QVERIFY(t.moveToRecNo(r));
            t.edit();
            coin.country = "Zzz";
            store(t, coin);
            t.post();
        }
        checkOrders(t, "WALK", coins);
        t.close();

        // A fresh handle reads the same order from the file.
        Table again;
        again.setDatabaseName(m_dir.path().toStdString());
        again.setTableName("WALK");
        again.setIndexName("NewIndex");
        again.open();
        QCOMPARE(deliveredOrder(again), expectedOrder(coins, false));
        again.close();

        // Pack: deleted records leave the file, the index is rebuilt over the rest.
        std::map<uint32_t, Coin> packed;
        uint32_t n = 0;
        for (const auto &[r, coin] : coins)
            if (!coin.deleted) packed[++n] = coin;
        again.setExclusive(true);
        again.open();
        again.pack();
        QCOMPARE(again.recordCount(), int(n));
        checkOrders(again, "WALK", packed);
        again.close();
        const ToolResult check =
            runPython(QStringLiteral("dump_dbf.py"), {QString::fromStdString(again.filePath())});
        QCOMPARE(check.exitCode, 0);
        QVERIFY(!check.out.contains(QStringLiteral("\"deleted\": true")));
    }

    void manyEqualKeys()
    {
        // Long keys (12 to a block) that are mostly equal: the record number decides.
        Table t;
        openCoins(t, "EQUAL");
        t.addIndex("NewIndex", "Upper(Left(Miscellane,80))");
        t.setIndexName("NewIndex");
        t.open();
        QRandomGenerator rng(7);
        std::map<uint32_t, std::string> misc;
        const char *values[] = {"", "", "", "proof", "Proof", "toned"};
        for (uint32_t r = 1; r <= 700; ++r) {
            misc[r] = values[rng.bounded(6)];
            t.append();
            t.setAsString(11, misc[r]);
            t.post();
        }
        for (int i = 0; i < 300; ++i) {
            const uint32_t r = 1 + rng.bounded(700);
            QVERIFY(t.moveToRecNo(r));
            t.edit();
            misc[r] = values[rng.bounded(6)];
            t.setAsString(11, misc[r]);
            t.post();
        }
        std::vector<std::pair<std::string, uint32_t>> keys;
        for (const auto &[r, m] : misc)
            keys.emplace_back(QString::fromStdString(m).toUpper().toStdString(), r);
        std::sort(keys.begin(), keys.end());
        std::vector<uint32_t> want;
        for (const auto &k : keys)
            want.push_back(k.second);
        QString error;
        QCOMPARE(indexDumpOrder(mdxPath("EQUAL"), QStringLiteral("NewIndex"), &error), want);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(deliveredOrder(t), want);
    }

    void headerByteFollowsIndexFile()
    {
        Table t;
        openCoins(t, "FLAG");
        const QString dbf = QString::fromStdString(t.filePath());
        QCOMPARE(readFile(dbf).at(28), char(0));
        t.addIndex("NewIndex", kExpr);
        QCOMPARE(readFile(dbf).at(28), char(1));
        QVERIFY_THROWS_EXCEPTION(Error, t.addIndex("newindex", kExpr)); // the name exists
        t.addIndex("Second", "Upper(Topic)");
        const ToolResult tags = runIndexDump(mdxPath("FLAG"));
        QCOMPARE(tags.out, QStringLiteral("NewIndex\nSecond\n"));
        t.deleteIndex("NewIndex");
        QCOMPARE(runIndexDump(mdxPath("FLAG")).out, QStringLiteral("Second\n"));
        QCOMPARE(readFile(dbf).at(28), char(1));
        t.deleteIndex("Second");
        QCOMPARE(readFile(dbf).at(28), char(0));
        QVERIFY(!QFile::exists(mdxPath("FLAG")));
        QVERIFY_THROWS_EXCEPTION(Error, t.deleteIndex("Second"));
        t.open(); // no index file and byte 28 clear: opens
        QVERIFY(t.isOpen());
    }

    void missingIndexFile()
    {
        Table t;
        openCoins(t, "NOMDX");
        t.addIndex("NewIndex", kExpr);
        QVERIFY(QFile::remove(mdxPath("NOMDX")));
        try {
            t.open();
            QFAIL("opened without its index file");
        } catch (const Error &e) {
            QVERIFY2(QString::fromStdString(e.what()).contains(QStringLiteral("NOMDX.MDX")),
                     e.what());
        }
        // Clearing byte 28 lets the table open without it.
        QFile f(QString::fromStdString(t.filePath()));
        QVERIFY(f.open(QIODevice::ReadWrite));
        f.seek(28);
        f.write("\0", 1);
        f.close();
        t.open();
        QVERIFY(t.indexTagNames().empty());
    }

    void indexOperationsNeedExclusiveUse()
    {
        Table t;
        openCoins(t, "SHARED");
        t.open();
        QVERIFY_THROWS_EXCEPTION(Error, t.addIndex("NewIndex", kExpr));
        QVERIFY_THROWS_EXCEPTION(Error, t.regenerateIndexes());
        QVERIFY_THROWS_EXCEPTION(Error, t.pack());
        QVERIFY(!QFile::exists(mdxPath("SHARED")));
        t.close();
        QVERIFY_THROWS_EXCEPTION(Error, t.addIndex("NewIndex", "Upper(Nothing)"));
        QVERIFY_THROWS_EXCEPTION(Error, t.addIndex("Bad Name", kExpr));
        QVERIFY(!QFile::exists(mdxPath("SHARED")));
    }

    void rebuildTakesInRecordsAddedElsewhere()
    {
        Table t;
        openCoins(t, "REBUILD");
        t.addIndex("NewIndex", "Upper(Left(Country,26))");
        t.setIndexName("NewIndex");
        t.open();
        for (const char *c : {"b", "d"}) {
            t.append();
            t.setAsString(0, c);
            t.post();
        }
        const QString path = QString::fromStdString(t.filePath());
        t.close();
        // Another program appends without keeping the index.
        const ToolResult r =
            runPython(QStringLiteral("append_dbf.py"), {path, QStringLiteral("a")});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        // The open finds the index short of a record and rebuilds it.
        t.open();
        QCOMPARE(deliveredOrder(t), (std::vector<uint32_t>{3, 1, 2}));
        QString walkError;
        QCOMPARE(indexDumpOrder(mdxPath("REBUILD"), QStringLiteral("NewIndex"), &walkError),
                 (std::vector<uint32_t>{3, 1, 2}));
        t.close();
        t.setExclusive(true);
        t.open();
        t.regenerateIndexes();
        QCOMPARE(deliveredOrder(t), (std::vector<uint32_t>{3, 1, 2}));
        QString error;
        QCOMPARE(indexDumpOrder(mdxPath("REBUILD"), QStringLiteral("NewIndex"), &error),
                 (std::vector<uint32_t>{3, 1, 2}));
    }
};

REGISTER_TEST(IndexTests)
#include "tst_index.moc"
