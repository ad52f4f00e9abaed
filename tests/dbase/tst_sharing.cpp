// Two handles on one table, in this process and from another process: exclusive use,
// record locks and refresh.
#include "dbase/error.h"
#include "helpers.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cctype>
#include <map>
#include <random>

using namespace dbase;

class SharingTests : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    void locate(Table &t, const char *name)
    {
        t.setDatabaseName(m_dir.path().toStdString());
        t.setTableName(name);
    }

    void create(const char *name, int records)
    {
        Table t;
        locate(t, name);
        t.createTable(coinFields());
        t.addIndex("NewIndex", "Upper(Left(Country,80))");
        t.open();
        for (int i = 0; i < records; ++i) {
            t.append();
            t.setAsString(0, "m" + std::to_string(i));
            t.post();
        }
    }

    static std::string upper(std::string s)
    {
        for (char &c : s)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return s;
    }

    static QString message(const std::function<void()> &fn)
    {
        try {
            fn();
        } catch (const Error &e) {
            return QString::fromStdString(e.what());
        }
        return QString();
    }

private slots:
    void exclusiveUse()
    {
        create("EXCL", 2);
        Table a, b;
        locate(a, "EXCL");
        locate(b, "EXCL");
        a.open();
        b.setExclusive(true);
        QVERIFY(message([&] { b.open(); }).contains(QStringLiteral("in use")));
        QVERIFY(!b.isOpen());
        // Two shared handles are fine.
        Table c;
        locate(c, "EXCL");
        c.open();
        c.close();
        a.close();
        b.open();
        QVERIFY(b.isOpen());
        QVERIFY(message([&] { a.open(); }).contains(QStringLiteral("exclusive use is held")));
        // Index operations on a closed handle take the file exclusively as well.
        QVERIFY(!message([&] { a.addIndex("Other", "Upper(Topic)"); }).isEmpty());
        b.close();
        a.addIndex("Other", "Upper(Topic)");
    }

    void exclusiveRefusedWhileAnotherProgramHasIt()
    {
        create("OTHER", 1);
        Table t;
        locate(t, "OTHER");
        QProcess holder;
        holder.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral(NUMAROK_TEST_SCRIPTS "/hold_open.py"),
                      QString::fromStdString(t.filePath())});
        QVERIFY(holder.waitForReadyRead(10000));
        QCOMPARE(holder.readLine().trimmed(), QByteArray("ready"));
        t.setExclusive(true);
        QVERIFY(message([&] { t.open(); }).contains(QStringLiteral("in use")));
        QVERIFY(!message([&] { t.pack(); }).isEmpty());
        holder.write("\n");
        QVERIFY(holder.waitForFinished(10000));
        t.open();
        QVERIFY(t.isOpen());
    }

    void recordLocks()
    {
        create("LOCKS", 3);
        Table a, b;
        locate(a, "LOCKS");
        locate(b, "LOCKS");
        a.open();
        b.open();
        a.setIndexName("");
        b.setIndexName("");
        QVERIFY(a.moveToRecNo(1));
        QVERIFY(b.moveToRecNo(1));
        a.edit();
        a.setAsString(0, "changed by a");
        QCOMPARE(message([&] { b.edit(); }), QStringLiteral("Record 1 is locked by another user"));
        QCOMPARE(message([&] { b.deleteRecord(); }),
                 QStringLiteral("Record 1 is locked by another user"));
        QVERIFY(b.moveToRecNo(2));
        b.edit(); // another record is free
        b.cancel();
        a.post();
        QVERIFY(b.moveToRecNo(1));
        b.edit(); // free again after the post, and b edits what a wrote
        QCOMPARE(QString::fromStdString(b.asString(0)), QStringLiteral("changed by a"));
        b.cancel();
    }

    void reselectingAnIndexAfterOthersSplitIt()
    {
        create("RESELECT", 3);
        Table a, b;
        locate(a, "RESELECT");
        locate(b, "RESELECT");
        a.setIndexName("NewIndex");
        b.setIndexName("NewIndex");
        a.open();
        b.open();
        for (int i = 0; i < 300; ++i) { // enough to split blocks and grow a new root
            a.append();
            a.setAsString(0, "k" + std::to_string(1000 - i));
            a.post();
        }
        b.setIndexName("");
        b.setIndexName("NewIndex"); // reads the file as it is now, not as it was
        QCOMPARE(b.recordCount(), 3);
        b.refresh();
        QCOMPARE(b.recordCount(), 303);
        QCOMPARE(deliveredOrder(b), deliveredOrder(a));
    }

    // Two handles append and edit in turns. Each keeps index blocks in memory between its
    // own changes, and must take in the other's (keys in its leaves, split blocks, a new
    // root, keys that moved) before it writes: one lost update and index_dump, the other
    // handle or a fresh read of the order disagree.
    void writersTakingTurnsKeepOneIndex()
    {
        create("TURNS", 1);
        Table a, b;
        locate(a, "TURNS");
        locate(b, "TURNS");
        a.setIndexName("NewIndex");
        b.setIndexName("NewIndex");
        a.open();
        b.open();
        std::mt19937 rng(3);
        std::map<uint32_t, std::string> keys{{1, "M0"}};
        std::map<Table *, std::vector<uint32_t>> own{{&a, {1}}, {&b, {1}}};
        auto append = [&](Table &t, int n) {
            for (int i = 0; i < n; ++i) {
                const std::string country = "c" + std::to_string(rng() % 100000);
                t.append();
                t.setAsString(0, country);
                t.post();
                keys[t.recNo()] = upper(country);
                own[&t].push_back(t.recNo());
            }
        };
        // An edit that moves the key of a record this handle knows (the records others
        // appended since its last refresh it does not see yet).
        auto edit = [&](Table &t) {
            const std::vector<uint32_t> &mine = own[&t];
            const uint32_t r = mine[rng() % mine.size()];
            QVERIFY(t.moveToRecNo(r));
            const std::string country = "e" + std::to_string(rng() % 100000);
            t.edit();
            t.setAsString(0, country);
            t.post();
            keys[r] = upper(country);
        };
        for (int turn = 0; turn < 12; ++turn) {
            append(a, 1 + static_cast<int>(rng() % 40));
            edit(b);
            append(b, 1 + static_cast<int>(rng() % 40));
            edit(a);
        }
        const std::vector<uint32_t> want = keyOrder(keys);
        QVERIFY(want.size() > 100); // enough keys for splits and a taller tree
        QString error;
        QCOMPARE(indexDumpOrder(m_dir.path() + QStringLiteral("/TURNS.MDX"),
                                QStringLiteral("NewIndex"), &error),
                 want);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        a.refresh();
        b.refresh();
        QCOMPARE(deliveredOrder(a), want);
        QCOMPARE(deliveredOrder(b), want);
        // More turns after the refreshes, then a fresh handle reads the same order.
        append(b, 25);
        append(a, 25);
        a.close();
        b.close();
        Table c;
        locate(c, "TURNS");
        c.setIndexName("NewIndex");
        c.open();
        QCOMPARE(deliveredOrder(c), keyOrder(keys));
    }

    // Another program may change the index without counting its change in the header
    // (only this program keeps that count). Records it appended change the record count
    // in the table header, which tells this handle to read the index blocks again.
    void indexChangeOfAnotherProgramIsNoticed()
    {
        create("FOREIGN", 5);
        Table a;
        locate(a, "FOREIGN");
        a.setIndexName("NewIndex");
        a.open();
        std::map<uint32_t, std::string> keys;
        for (uint32_t r = 1; r <= 5; ++r)
            keys[r] = "M" + std::to_string(r - 1);
        auto appendTo = [&keys](Table &t, const std::string &country) {
            t.append();
            t.setAsString(0, country);
            t.post();
            keys[t.recNo()] = upper(country);
        };
        appendTo(a, "k1"); // a holds the blocks of the tree now
        const QString mdx = m_dir.path() + QStringLiteral("/FOREIGN.MDX");
        const QByteArray header = readFile(mdx).left(56);
        {
            // The other program: one record and its key (in the one leaf: no new block),
            // and the change count in the header as it was.
            Table other;
            locate(other, "FOREIGN");
            other.open();
            appendTo(other, "k2");
            other.close();
            QFile f(mdx);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.seek(52));
            QCOMPARE(f.write(header.mid(52, 4)), qint64(4));
        }
        appendTo(a, "k3");
        QString error;
        QCOMPARE(indexDumpOrder(mdx, QStringLiteral("NewIndex"), &error), keyOrder(keys));
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }

    void refreshShowsOtherAppends()
    {
        create("REFRESH", 2);
        Table a, b;
        locate(a, "REFRESH");
        locate(b, "REFRESH");
        a.setIndexName("NewIndex");
        b.setIndexName("NewIndex");
        a.open();
        b.open();
        for (const char *c : {"a0", "z9", "m05"}) {
            a.append();
            a.setAsString(0, c);
            a.post();
        }
        QCOMPARE(a.recordCount(), 5);
        QCOMPARE(b.recordCount(), 2);
        b.refresh();
        QCOMPARE(b.recordCount(), 5);
        QCOMPARE(deliveredOrder(b), (std::vector<uint32_t>{3, 1, 5, 2, 4}));
        // b appends too; the two handles' index updates interleave in one file.
        b.append();
        b.setAsString(0, "m03");
        b.post();
        a.refresh();
        QCOMPARE(deliveredOrder(a), (std::vector<uint32_t>{3, 1, 6, 5, 2, 4}));
        QString error;
        QCOMPARE(indexDumpOrder(m_dir.path() + QStringLiteral("/REFRESH.MDX"),
                                QStringLiteral("NewIndex"), &error),
                 (std::vector<uint32_t>{3, 1, 6, 5, 2, 4}));
    }
};

REGISTER_TEST(SharingTests)
#include "tst_sharing.moc"
