// Bad input is refused with a database error, and failed writes leave the table as it
// was: broken files, an interrupted pack, a device that refuses to grow, bad definitions.
#include "db/database_files.h"
#include "dbase/error.h"
#include "dbase/fileio.h"
#include "helpers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using namespace dbase;

class SafetyTests : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    QString copyData(const QString &name)
    {
        const QString to = m_dir.path() + QLatin1Char('/') + name;
        QFile::remove(to);
        if (!QFile::copy(testDataPath(name), to)) return QString();
        QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
        return to;
    }

    static QString openError(Table &t)
    {
        try {
            t.open();
        } catch (const Error &e) {
            return QString::fromStdString(e.what());
        }
        return QString();
    }

    void makeCoins(Table &t, const char *name, int records, int deleteEvery = 0)
    {
        t.setDatabaseName(m_dir.path().toStdString());
        t.setTableName(name);
        t.createTable(coinFields());
        t.addIndex("NewIndex", "Upper(Left(Country,26))");
        t.setIndexName("NewIndex");
        t.open();
        for (int i = 1; i <= records; ++i) {
            t.append();
            t.setAsString(0, "coin " + std::to_string(records - i));
            t.post();
            if (deleteEvery && i % deleteEvery == 0) t.deleteRecord();
        }
    }

private slots:
    void init() { setFaultHook({}); }

    void badInputs_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("fragment");
        QTest::addColumn<QString>("tag"); // the index selected on opening
        QTest::newRow("empty file") << "empty.dbf"
                                    << "not a dBase table" << QString();
        QTest::newRow("truncated header") << "truncated_header.dbf"
                                          << "not a dBase table" << QString();
        QTest::newRow("count larger than file")
            << "count_too_large.dbf"
            << "counts 1000 records but the file holds only 2" << QString();
        QTest::newRow("descriptors overrun") << "descriptors_overrun.dbf"
                                             << "run past the end of the header" << QString();
        QTest::newRow("record length") << "record_length_mismatch.dbf"
                                       << "record length does not match" << QString();
        QTest::newRow("text file") << "not_a_table.dbf"
                                   << "not a dBase table" << QString();
        QTest::newRow("no fields") << "no_fields.dbf"
                                   << "no fields" << QString();
        QTest::newRow("index file missing") << "missing_mdx.dbf"
                                            << "missing_mdx.mdx" << QString();
        QTest::newRow("index file damaged") << "damaged_mdx.dbf"
                                            << "damaged_mdx.mdx is damaged" << QString();
        QTest::newRow("date field of width 2") << "date_width.dbf"
                                               << "not 8 characters wide" << QString();
        QTest::newRow("index tree that loops") << "looping_mdx.dbf"
                                               << "loops or is too deep"
                                               << "NewIndex";
        // 84-byte items: a block holds 12 keys, the root leaf claims 13.
        QTest::newRow("index block with more keys than fit") << "overfull_coins.dbf"
                                                             << "block 6 holds too many keys"
                                                             << "NewIndex";
        QTest::newRow("index key layout that overflows") << "overflow_mdx.dbf"
                                                         << "impossible key layout"
                                                         << "NewIndex";
    }
    void badInputs()
    {
        QFETCH(QString, file);
        QFETCH(QString, fragment);
        QFETCH(QString, tag);
        const QString path = copyData(file);
        QVERIFY(!path.isEmpty());
        const QString mdx = file.left(file.size() - 3) + QStringLiteral("mdx");
        if (QFile::exists(testDataPath(mdx))) QVERIFY(!copyData(mdx).isEmpty());
        const QByteArray before = readFile(path);
        for (bool readOnly : {false, true}) {
            Table t;
            t.setDatabaseName(m_dir.path().toStdString());
            t.setTableName(QFileInfo(file).completeBaseName().toStdString());
            t.setReadOnly(readOnly);
            t.setIndexName(tag.toStdString());
            const QString msg = openError(t);
            QVERIFY2(msg.contains(fragment), qPrintable(msg));
            QVERIFY(!t.isOpen());
        }
        QCOMPARE(readFile(path), before);
    }

    // An index file that cannot be used is told apart from a broken table, and the table
    // still opens without it (so that the index can be built afresh).
    void unusableIndexFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("tag");
        QTest::addColumn<int>("records");
        QTest::newRow("damaged header") << "damaged_mdx.dbf" << QString() << 2;
        QTest::newRow("truncated coin index") << "damaged_coins.dbf"
                                              << "NewIndex" << 5;
        QTest::newRow("tree that loops") << "looping_mdx.dbf"
                                         << "NewIndex" << 2;
        QTest::newRow("block with more keys than fit") << "overfull_coins.dbf"
                                                       << "NewIndex" << 5;
        QTest::newRow("key layout that overflows") << "overflow_mdx.dbf"
                                                   << "NewIndex" << 2;
    }
    void unusableIndexFile()
    {
        QFETCH(QString, file);
        QFETCH(QString, tag);
        QFETCH(int, records);
        const QString path = copyData(file);
        const QString mdx = file.left(file.size() - 3) + QStringLiteral("mdx");
        QVERIFY(!copyData(mdx).isEmpty());
        const QByteArray before = readFile(path);
        const QByteArray indexBefore = readFile(m_dir.path() + QLatin1Char('/') + mdx);
        Table t;
        t.setDatabaseName(m_dir.path().toStdString());
        t.setTableName(QFileInfo(file).completeBaseName().toStdString());
        t.setIndexName(tag.toStdString());
        QVERIFY_THROWS_EXCEPTION(IndexError, t.open());
        QVERIFY(!t.isOpen());
        t.setIgnoreIndexFile(true);
        if (!tag.isEmpty()) QVERIFY_THROWS_EXCEPTION(Error, t.open()); // no tag without the file
        t.setIndexName("");
        t.open();
        QCOMPARE(t.recordCount(), records);
        QVERIFY(t.indexTagNames().empty());
        std::vector<uint32_t> order;
        for (t.first(); !t.eof(); t.next())
            order.push_back(t.recNo());
        QCOMPARE(order.front(), 1u); // natural order
        t.close();
        QCOMPARE(readFile(path), before);
        QCOMPARE(readFile(m_dir.path() + QLatin1Char('/') + mdx), indexBefore);

        // Built afresh, the index serves the table again.
        const bool coins = file.contains(QStringLiteral("coins"));
        dbfiles::rebuildIndexFile(t, coins ? QStringLiteral("Upper(Country)")
                                           : QStringLiteral("Upper(NAME)"));
        t.setIgnoreIndexFile(false);
        t.setIndexName("NewIndex");
        t.open();
        QCOMPARE(t.recordCount(), records);
        std::string previous;
        const int field = t.fieldByName(coins ? "COUNTRY" : "NAME");
        for (t.first(); !t.eof(); t.next()) {
            const std::string key =
                QString::fromStdString(t.asString(field)).toUpper().toStdString();
            QVERIFY(previous <= key);
            previous = key;
        }
        t.close();
        const int headerLength =
            static_cast<unsigned char>(before[8]) | static_cast<unsigned char>(before[9]) << 8;
        QCOMPARE(readFile(path).mid(headerLength), before.mid(headerLength)); // records untouched
    }

    void goodSampleOpens()
    {
        // The sample the broken files were made from is itself fine.
        QVERIFY(!copyData(QStringLiteral("good.dbf")).isEmpty());
        Table t;
        t.setDatabaseName(m_dir.path().toStdString());
        t.setTableName("good");
        t.open();
        QCOMPARE(t.recordCount(), 2);
        t.last();
        QCOMPARE(QString::fromStdString(t.asString(0)), QStringLiteral("Beta"));
    }

    void directoryAndUnreadableFile()
    {
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("FOLDER.DBF")));
        Table t;
        t.setDatabaseName(m_dir.path().toStdString());
        t.setTableName("FOLDER");
        QVERIFY(openError(t).contains(QStringLiteral("not a dBase table")));
        if (::geteuid() == 0) QSKIP("file permissions do not stop root");
        const QString path = copyData(QStringLiteral("good.dbf"));
        QFile::setPermissions(path, QFile::Permissions());
        Table u;
        u.setDatabaseName(m_dir.path().toStdString());
        u.setTableName("good");
        QVERIFY(openError(u).contains(QStringLiteral("Permission denied")));
    }

    void interruptedPackLeavesOriginal()
    {
        Table t;
        makeCoins(t, "PACKFAIL", 30, 3);
        const QString dbf = QString::fromStdString(t.filePath());
        const QString mdx = QString::fromStdString(t.indexFilePath());
        const auto before = deliveredOrder(t);
        t.close();
        const QByteArray dbfBefore = readFile(dbf), mdxBefore = readFile(mdx);
        t.setExclusive(true);
        t.open();
        setFaultHook([](std::string_view point) {
            if (point == "pack:before-rename") throw Error("simulated failure");
        });
        QVERIFY_THROWS_EXCEPTION(Error, t.pack());
        setFaultHook({});
        QCOMPARE(readFile(dbf), dbfBefore);
        QCOMPARE(readFile(mdx), mdxBefore);
        QVERIFY(!QFile::exists(dbf + QStringLiteral(".new~")));
        QCOMPARE(deliveredOrder(t), before);
        t.pack(); // and it works once the failure is gone
        QCOMPARE(t.recordCount(), 20);
        t.close();
        const ToolResult r = runPython(QStringLiteral("dump_dbf.py"), {dbf});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QVERIFY(r.out.contains(QStringLiteral("\"count\": 20")));
    }

    void failedAppendLeavesTable_data()
    {
        QTest::addColumn<bool>("deviceFull");
        QTest::newRow("device refuses to grow") << true;
        QTest::newRow("failure before the count") << false;
    }
    void failedAppendLeavesTable()
    {
        QFETCH(bool, deviceFull);
        Table t;
        makeCoins(t, deviceFull ? "FULL" : "NOCOUNT", 5);
        const QString dbf = QString::fromStdString(t.filePath());
        const QByteArray before = readFile(dbf);
        t.append();
        t.setAsString(0, "never stored");
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        if (deviceFull) {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit = saved;
            limit.rlim_cur = static_cast<rlim_t>(before.size());
            setrlimit(RLIMIT_FSIZE, &limit);
        } else {
            setFaultHook([](std::string_view point) {
                if (point == "append:before-count") throw Error("simulated failure");
            });
        }
        bool failed = false;
        try {
            t.post();
        } catch (const Error &) {
            failed = true;
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        setFaultHook({});
        QVERIFY(failed);
        QCOMPARE(readFile(dbf), before);
        t.cancel();
        QCOMPARE(t.recordCount(), 5);
        t.close();
        const ToolResult r = runPython(QStringLiteral("dump_dbf.py"), {dbf});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QVERIFY(r.out.contains(QStringLiteral("\"count\": 5")));
    }

    void indexFailureAfterTheRecordIsSaved()
    {
        // Long keys on short records: the index file outgrows the table, so a size limit
        // at the index file's size lets records in but stops the next index block.
        Table t;
        t.setDatabaseName(m_dir.path().toStdString());
        t.setTableName("IDXFULL");
        t.createTable({FieldDef::text("NAME", 80)});
        t.addIndex("NewIndex", "Upper(Left(Name,80))");
        t.setIndexName("NewIndex");
        t.open();
        for (int i = 0; i < 100; ++i) {
            t.append();
            t.setAsString(0, "n" + std::to_string(i));
            t.post();
        }
        const QString mdx = QString::fromStdString(t.indexFilePath());
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved;
        limit.rlim_cur = static_cast<rlim_t>(QFileInfo(mdx).size());
        setrlimit(RLIMIT_FSIZE, &limit);
        QString message;
        int posted = 0;
        for (int i = 0; i < 20 && message.isEmpty(); ++i) {
            t.append();
            t.setAsString(0, "m" + std::to_string(i));
            try {
                t.post();
            } catch (const Error &e) {
                message = QString::fromStdString(e.what());
            }
            ++posted;
            t.post(); // a second post must not store the record again
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        QVERIFY2(message.contains(QStringLiteral("was saved")) &&
                     message.contains(QStringLiteral("Rebuild")),
                 qPrintable(message));
        QVERIFY(t.state() == Table::State::Browse);
        QCOMPARE(t.recordCount(), 100 + posted); // the cursor has every saved record
        t.close();
        t.setExclusive(true);
        t.open();
        t.regenerateIndexes();
        QString error;
        QCOMPARE(indexDumpOrder(mdx, QStringLiteral("NewIndex"), &error).size(),
                 std::size_t(100 + posted));
        const ToolResult r =
            runPython(QStringLiteral("dump_dbf.py"), {QString::fromStdString(t.filePath())});
        QVERIFY(r.out.contains(QStringLiteral("\"count\": %1").arg(100 + posted)));
    }

    void failedIndexRewrites()
    {
        Table t;
        makeCoins(t, "REWRITE", 12, 4);
        t.close();
        t.setExclusive(true);
        t.open();
        setFaultHook([](std::string_view point) {
            if (point == "mdx:before-rename") throw Error("simulated failure");
        });
        QVERIFY_THROWS_EXCEPTION(Error, t.addIndex("Second", "Upper(Topic)"));
        setFaultHook({});
        // The old index is still kept current.
        t.append();
        t.setAsString(0, "after");
        t.post();
        const QString mdx = QString::fromStdString(t.indexFilePath());
        QString error;
        QCOMPARE(indexDumpOrder(mdx, QStringLiteral("NewIndex"), &error).size(), std::size_t(13));

        // A pack whose new index cannot be written leaves the old table with its old index.
        const QString dbf = QString::fromStdString(t.filePath());
        const QByteArray dbfBefore = readFile(dbf), mdxBefore = readFile(mdx);
        setFaultHook([](std::string_view point) {
            if (point == "mdx:before-rename") throw Error("simulated failure");
        });
        QVERIFY_THROWS_EXCEPTION(Error, t.pack());
        setFaultHook({});
        QCOMPARE(readFile(dbf), dbfBefore);
        QCOMPARE(readFile(mdx), mdxBefore);
        QVERIFY(!QFile::exists(dbf + QStringLiteral(".new~")));
        QVERIFY(!QFile::exists(mdx + QStringLiteral(".new~")));
        QCOMPARE(t.recordCount(), 10);

        // A pack whose index cannot be put in place after the packed table was drops the
        // index instead of keeping one that points at the old record numbers.
        setFaultHook([](std::string_view point) {
            if (point == "pack:before-index-rename") throw Error("simulated failure");
        });
        QVERIFY_THROWS_EXCEPTION(Error, t.pack());
        setFaultHook({});
        QCOMPARE(t.recordCount(), 10);
        QVERIFY(!QFile::exists(mdx));
        QCOMPARE(readFile(QString::fromStdString(t.filePath())).at(28), char(0));
        t.close();
        t.setExclusive(false);
        t.open(); // opens without the index
        QCOMPARE(t.recordCount(), 10);
    }

    void createRefusals_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<char>("type");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("decimals");
        QTest::newRow("starts with a digit") << "1ABC" << 'C' << 10 << 0;
        QTest::newRow("name too long") << "ABCDEFGHIJK" << 'C' << 10 << 0;
        QTest::newRow("duplicate name") << "country" << 'C' << 10 << 0;
        QTest::newRow("width 0") << "WIDE" << 'C' << 0 << 0;
        QTest::newRow("width 255") << "WIDE" << 'C' << 255 << 0;
        QTest::newRow("number too wide") << "NUM" << 'N' << 21 << 0;
        QTest::newRow("decimals too many") << "NUM" << 'N' << 5 << 4;
        QTest::newRow("memo") << "NOTES" << 'M' << 10 << 0;
    }
    void createRefusals()
    {
        QFETCH(QString, name);
        QFETCH(char, type);
        QFETCH(int, length);
        QFETCH(int, decimals);
        Table t;
        t.setDatabaseName(m_dir.path().toStdString());
        t.setTableName("REFUSED");
        std::vector<FieldDef> defs{FieldDef::text("Country", 20),
                                   FieldDef{name.toStdString(), FieldType(type), length, decimals}};
        QVERIFY_THROWS_EXCEPTION(Error, t.createTable(defs));
        QVERIFY(!t.exists());
    }

    void tableInUseIsNotReplaced()
    {
        Table a;
        makeCoins(a, "INUSE", 3);
        const QByteArray before = readFile(QString::fromStdString(a.filePath()));
        Table b;
        b.setDatabaseName(m_dir.path().toStdString());
        b.setTableName("INUSE.DBF");
        QVERIFY_THROWS_EXCEPTION(Error, b.createTable(coinFields()));
        QCOMPARE(readFile(QString::fromStdString(a.filePath())), before);
        a.close();
        b.createTable(coinFields()); // free now: replaced, and the old index goes with it
        QVERIFY(!QFile::exists(QString::fromStdString(a.indexFilePath())));
        b.open();
        QCOMPARE(b.recordCount(), 0);
    }

    void readOnlyTableRefusesChanges()
    {
        Table t;
        makeCoins(t, "RO", 2);
        t.close();
        const QByteArray before = readFile(QString::fromStdString(t.filePath()));
        t.setReadOnly(true);
        t.open();
        QVERIFY_THROWS_EXCEPTION(Error, t.append());
        QVERIFY_THROWS_EXCEPTION(Error, t.edit());
        QVERIFY_THROWS_EXCEPTION(Error, t.deleteRecord());
        QCOMPARE(readFile(QString::fromStdString(t.filePath())), before);
    }
};

REGISTER_TEST(SafetyTests)
#include "tst_safety.moc"
