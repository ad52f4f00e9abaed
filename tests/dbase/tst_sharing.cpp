// Two handles on one table, in this process and from another process: exclusive use,
// record locks and refresh.
#include "dbase/error.h"
#include "helpers.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

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
