// A table and its index survive a crash at any write, records that another program
// appended, and leftovers of an interrupted pack; the change mark and the flushes of a
// post.
#include "crash_script.h"
#include "dbase/error.h"
#include "dbase/fileio.h"
#include "helpers.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

using namespace dbase;

namespace
{

// One physical record of the model: its name and whether it is deleted.
struct Rec {
    std::string name;
    bool deleted = false;
};
using Model = std::vector<Rec>;

std::string upperOf(std::string s)
{
    for (char &c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The table after each step of the script: states[k] is the table after k steps.
std::vector<Model> scriptStates()
{
    Model m;
    for (int i = 0; i < crash::kInitialRecords; ++i)
        m.push_back({crash::initialName(i), false});
    std::vector<Model> states{m};
    for (const crash::Step &s : crash::steps()) {
        auto live = [&m](const char *name) {
            return std::find_if(m.begin(), m.end(),
                                [name](const Rec &r) { return !r.deleted && r.name == name; });
        };
        switch (s.kind) {
        case crash::Kind::Append:
            m.push_back({s.name, false});
            break;
        case crash::Kind::Edit:
            live(s.target)->name = s.name;
            break;
        case crash::Kind::Delete:
            live(s.target)->deleted = true;
            break;
        case crash::Kind::Pack:
            m.erase(std::remove_if(m.begin(), m.end(), [](const Rec &r) { return r.deleted; }),
                    m.end());
            break;
        }
        states.push_back(m);
    }
    return states;
}

std::vector<std::string> liveNames(const Model &m)
{
    std::vector<std::string> names;
    for (const Rec &r : m)
        if (!r.deleted) names.push_back(r.name);
    return names;
}

// Names and record numbers the engine delivers in the current order.
std::vector<std::pair<std::string, uint32_t>> delivered(Table &t)
{
    std::vector<std::pair<std::string, uint32_t>> out;
    for (t.first(); !t.eof(); t.next())
        out.emplace_back(t.asString(0), t.recNo());
    return out;
}

// A read lock on the session byte of the table, as a live writer holds it.
int holdSessionByte(const QString &dbf)
{
    const int fd = ::open(dbf.toLocal8Bit().constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return -1;
    struct flock fl {
    };
    fl.l_type = F_RDLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0x7FFFFFFE;
    fl.l_len = 1;
    if (::fcntl(fd, F_OFD_SETLK, &fl) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

QStringList leftovers(const QString &dir)
{
    return QDir(dir).entryList({QStringLiteral("*.new~")}, QDir::Files);
}

} // namespace

class CrashTests : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    QString sub(const QString &name)
    {
        const QString path = m_dir.path() + QLatin1Char('/') + name;
        QDir(path).removeRecursively();
        QDir().mkpath(path);
        return path;
    }

    // The crash table with its initial records and index, in `dir`.
    static void makeCrashTable(const QString &dir)
    {
        Table t;
        t.setDatabaseName(dir.toStdString());
        t.setTableName(crash::kTable);
        t.createTable(crash::fields());
        t.setExclusive(true);
        t.open();
        t.setSyncEachPost(false);
        for (int i = 0; i < crash::kInitialRecords; ++i) {
            t.append();
            t.setAsString(0, crash::initialName(i));
            t.post();
        }
        t.addIndex(crash::kTag, crash::kExpression);
        t.close();
    }

    static void copyDir(const QString &from, const QString &to)
    {
        QDir(to).removeRecursively();
        QDir().mkpath(to);
        for (const QString &f : QDir(from).entryList(QDir::Files))
            QFile::copy(from + QLatin1Char('/') + f, to + QLatin1Char('/') + f);
    }

    void makeCoins(Table &t, const QString &dir, const char *name, int records)
    {
        t.setDatabaseName(dir.toStdString());
        t.setTableName(name);
        t.createTable(coinFields());
        t.addIndex("NewIndex", "Upper(Left(Country,26))");
        t.setIndexName("NewIndex");
        t.open();
        for (int i = 0; i < records; ++i) {
            t.append();
            t.setAsString(0, "coin " + std::to_string((i * 7) % records));
            t.post();
        }
    }

    static char changeMark(const QString &dbf) { return readFile(dbf).at(14); }
    static char sessionFlag(const QString &mdx) { return readFile(mdx).at(48); }
    static ino_t inodeOf(const QString &path)
    {
        struct stat st {
        };
        return ::stat(path.toLocal8Bit().constData(), &st) == 0 ? st.st_ino : 0;
    }

private slots:
    void init() { setFaultHook({}); }

    void killedAtEachWrite()
    {
        const QString base = sub(QStringLiteral("crash-initial"));
        const QString work = m_dir.path() + QStringLiteral("/crash-work");
        makeCrashTable(base);
        const std::vector<Model> states = scriptStates();
        const QString dbf = work + QStringLiteral("/CRASH.DBF");
        const QString mdx = work + QStringLiteral("/CRASH.MDX");

        long total = -1;
        int kills = 0;
        for (long killAt = 1; total < 0 || killAt <= total + 1; ++killAt) {
            copyDir(base, work);
            QProcess child;
            child.start(QStringLiteral(NUMAROK_CRASH_CHILD), {work, QString::number(killAt)});
            QVERIFY(child.waitForFinished(60000));
            const QString out = QString::fromUtf8(child.readAllStandardOutput());
            const QString err = QString::fromUtf8(child.readAllStandardError());
            int done = 0;
            for (const QString &line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
                if (line.startsWith(QStringLiteral("done ")))
                    done = line.mid(5).toInt();
                else if (line.startsWith(QStringLiteral("writes ")))
                    total = line.mid(7).toLong();
            }
            const bool killed = child.exitStatus() == QProcess::CrashExit || child.exitCode() != 0;
            if (killed) {
                QVERIFY2(err.isEmpty(), qPrintable(err));
                ++kills;
            } else {
                QCOMPARE(done, static_cast<int>(crash::steps().size()));
                QVERIFY(total > 0);
            }
            const QString at =
                QStringLiteral("killed before write %1 of step %2").arg(killAt).arg(done + 1);

            // The next exclusive open repairs what the kill left. Another writer that is
            // alive holds the session byte meanwhile, so the open must tell a stale index
            // by the change mark and the key counts alone.
            const int holder = holdSessionByte(dbf);
            QVERIFY(holder >= 0);
            Table t;
            t.setDatabaseName(work.toStdString());
            t.setTableName(crash::kTable);
            t.setExclusive(true);
            t.setIndexName(crash::kTag);
            try {
                t.open();
            } catch (const Error &e) {
                ::close(holder);
                QFAIL(qPrintable(at + QStringLiteral(": ") + QString::fromUtf8(e.what())));
            }
            ::close(holder);
            QVERIFY2(leftovers(work).isEmpty(), qPrintable(at));
            const auto indexed = delivered(t);
            t.setIndexName("");
            const auto natural = delivered(t);
            t.close();

            // index_dump's walk: every record, deleted ones too.
            QString error;
            const std::vector<uint32_t> walk =
                indexDumpOrder(mdx, QString::fromLatin1(crash::kTag), &error);
            QVERIFY2(error.isEmpty(), qPrintable(at + QStringLiteral(": ") + error));

            // The table is the one before the interrupted step or the one after it (a pack
            // keeps the live records and drops the deleted ones).
            std::vector<std::string> names;
            for (const auto &n : natural)
                names.push_back(n.first);
            const Model *model = nullptr;
            for (std::size_t k : {std::size_t(done), std::size_t(done) + 1})
                if (k < states.size() && names == liveNames(states[k]) &&
                    walk.size() == states[k].size())
                    model = &states[k];
            QVERIFY2(model, qPrintable(at));

            // The index order holds the same records, sorted by key and record number.
            auto sorted = natural;
            std::stable_sort(sorted.begin(), sorted.end(), [](const auto &a, const auto &b) {
                return upperOf(a.first) < upperOf(b.first);
            });
            QVERIFY2(indexed == sorted, qPrintable(at));

            std::vector<uint32_t> liveWalk;
            std::map<uint32_t, bool> seen;
            for (uint32_t r : walk) {
                QVERIFY2(r >= 1 && r <= model->size() && !seen[r], qPrintable(at));
                seen[r] = true;
                if (!(*model)[r - 1].deleted) liveWalk.push_back(r);
            }
            std::vector<uint32_t> indexedRecnos;
            for (const auto &i : indexed)
                indexedRecnos.push_back(i.second);
            QVERIFY2(liveWalk == indexedRecnos, qPrintable(at));
            QVERIFY(readFile(dbf).size() > 0);
        }
        qInfo("%d kills, one at each of the child's %ld writes", kills, total);
        QVERIFY(total > 40);
        QCOMPARE(kills, static_cast<int>(total));
    }

    void recordsAppendedElsewhereAreIndexed()
    {
        const QString dir = sub(QStringLiteral("python"));
        Table t;
        makeCoins(t, dir, "OTHER", 30);
        const QString dbf = QString::fromStdString(t.filePath());
        const QString mdx = QString::fromStdString(t.indexFilePath());
        t.close();
        for (const char *country : {"aaa first", "zzz last", "coin 15b"}) {
            const ToolResult r =
                runPython(QStringLiteral("append_dbf.py"), {dbf, QString::fromLatin1(country)});
            QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        }
        t.open(); // shared use, nobody else: rebuilt on the spot
        const auto order = delivered(t);
        QCOMPARE(order.size(), std::size_t(33));
        QCOMPARE(order.front().first, std::string("aaa first"));
        QCOMPARE(order.back().first, std::string("zzz last"));
        for (std::size_t i = 1; i < order.size(); ++i)
            QVERIFY(upperOf(order[i - 1].first) <= upperOf(order[i].first));
        QString error;
        std::vector<uint32_t> recnos;
        for (const auto &o : order)
            recnos.push_back(o.second);
        QCOMPARE(indexDumpOrder(mdx, QStringLiteral("NewIndex"), &error), recnos);
        // The open still holds shared use only.
        Table other;
        other.setDatabaseName(dir.toStdString());
        other.setTableName("OTHER");
        other.open();
        QCOMPARE(other.recordCount(), 33);
    }

    void staleIndexRefusedWhileOthersHoldTheTable()
    {
        const QString dir = sub(QStringLiteral("busy"));
        Table t;
        makeCoins(t, dir, "BUSY", 10);
        const QString dbf = QString::fromStdString(t.filePath());
        t.close();
        const ToolResult r = runPython(QStringLiteral("append_dbf.py"), {dbf, QStringLiteral("a")});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        // Another copy of the program has the table open: no rebuild behind its back.
        QProcess holder;
        holder.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral(NUMAROK_TEST_SCRIPTS "/hold_open.py"), dbf});
        QVERIFY(holder.waitForReadyRead(30000));
        QVERIFY(holder.readLine().startsWith("ready"));
        Table u;
        u.setDatabaseName(dir.toStdString());
        u.setTableName("BUSY");
        u.setIndexName("NewIndex");
        QString message;
        try {
            u.open();
        } catch (const IndexError &e) {
            message = QString::fromUtf8(e.what());
        }
        QVERIFY2(message.contains(QStringLiteral("BUSY.MDX does not match the table BUSY.DBF")),
                 qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("Close it there and open it again")),
                 qPrintable(message));
        QVERIFY(!u.isOpen());
        holder.write("\n");
        QVERIFY(holder.waitForFinished(30000));

        // Read-only use cannot rebuild either.
        u.setReadOnly(true);
        message.clear();
        try {
            u.open();
        } catch (const IndexError &e) {
            message = QString::fromUtf8(e.what());
        }
        QVERIFY2(message.contains(QStringLiteral("with write access")), qPrintable(message));

        // Once the table is free it is rebuilt and opens.
        u.setReadOnly(false);
        u.open();
        QCOMPARE(u.recordCount(), 11);
        u.first();
        QCOMPARE(u.asString(0), std::string("a"));
    }

    void interruptedEditRebuildsIndex()
    {
        // An edit killed after its record was written but before the index learnt the new
        // key: the key counts still agree, the change mark tells.
        const QString dir = sub(QStringLiteral("mark"));
        Table t;
        makeCoins(t, dir, "MARK", 20);
        const QString dbf = QString::fromStdString(t.filePath());
        const QString mdx = QString::fromStdString(t.indexFilePath());
        t.close();
        const QByteArray oldIndex = readFile(mdx);
        t.open();
        QVERIFY(t.moveToRecNo(7));
        t.edit();
        t.setAsString(0, "aaa moved to the front");
        t.post();
        t.close();
        QCOMPARE(changeMark(dbf), char(0));
        QFile f(mdx);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(oldIndex);
        f.close();
        QFile table(dbf);
        QVERIFY(table.open(QIODevice::ReadWrite));
        table.seek(14);
        table.write("\x01", 1);
        table.close();

        t.open();
        t.first();
        QCOMPARE(t.recNo(), 7u);
        QCOMPARE(changeMark(dbf), char(0));
        QString error;
        const std::vector<uint32_t> walk = indexDumpOrder(mdx, QStringLiteral("NewIndex"), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(walk, deliveredOrder(t));
    }

    void leftoversRemovedOnExclusiveOpen()
    {
        const QString dir = sub(QStringLiteral("leftover"));
        Table t;
        makeCoins(t, dir, "LEFT", 5);
        const QString dbf = QString::fromStdString(t.filePath());
        const QString mdx = QString::fromStdString(t.indexFilePath());
        t.close();
        for (const QString &f : {dbf, mdx}) {
            QFile left(f + QStringLiteral(".new~"));
            QVERIFY(left.open(QIODevice::WriteOnly));
            left.write("half a pack");
        }
        t.open(); // shared: another user might be packing
        t.close();
        QCOMPARE(leftovers(dir).size(), 2);
        t.setExclusive(true);
        t.open();
        QVERIFY(leftovers(dir).isEmpty());
        QCOMPARE(t.recordCount(), 5);
    }

    void sessionFlagAndChangeMark()
    {
        const QString dir = sub(QStringLiteral("session"));
        Table t;
        makeCoins(t, dir, "SESSION", 3);
        const QString dbf = QString::fromStdString(t.filePath());
        const QString mdx = QString::fromStdString(t.indexFilePath());
        QCOMPARE(changeMark(dbf), char(0));  // cleared after each post
        QCOMPARE(sessionFlag(mdx), char(1)); // set while a writer has the table open

        // A second writer opens without a rebuild: the first one is alive.
        const ino_t inode = inodeOf(mdx);
        Table u;
        u.setDatabaseName(dir.toStdString());
        u.setTableName("SESSION");
        u.open();
        QCOMPARE(inodeOf(mdx), inode);
        u.append();
        u.setAsString(0, "second writer");
        u.post();
        t.close();
        QCOMPARE(sessionFlag(mdx), char(1)); // u still writes
        u.close();
        QCOMPARE(sessionFlag(mdx), char(0)); // the last writer closed it
        QCOMPARE(changeMark(dbf), char(0));

        // Bulk work: no flush per post, one at the end.
        t.setExclusive(true);
        t.open();
        t.setSyncEachPost(false);
        for (int i = 0; i < 3; ++i) {
            t.append();
            t.setAsString(0, "bulk " + std::to_string(i));
            t.post();
            QCOMPARE(changeMark(dbf), char(0));
            QCOMPARE(sessionFlag(mdx), char(1));
        }
        t.first();
        t.deleteRecord();
        t.sync();
        t.close();
        QCOMPARE(sessionFlag(mdx), char(0));
        t.setExclusive(false);
        t.open();
        QCOMPARE(inodeOf(mdx), inode); // nothing to rebuild
        QCOMPARE(t.recordCount(), 6);
    }

    // A power failure can leave a half-written index only while the session flag is on the
    // disk, and an open then rebuilds it: batches and posts flush the table alone, and the
    // index is flushed once, by the last writer, before the flag is cleared.
    void indexFlushedOnceBeforeTheFlagIsCleared()
    {
        const QString dir = sub(QStringLiteral("flushes"));
        Table t;
        makeCoins(t, dir, "FLUSHES", 5);
        const QString mdx = QString::fromStdString(t.indexFilePath());
        Table u;
        u.setDatabaseName(dir.toStdString());
        u.setTableName("FLUSHES");
        u.open();
        u.append();
        u.post(); // both writers' sessions are under way
        using Flushes = std::vector<std::pair<std::string, char>>; // file, flag at the time
        Flushes flushes;
        setFaultHook([&](std::string_view point) {
            if (point.substr(0, 5) == "sync:")
                flushes.emplace_back(std::string(point.substr(5)), sessionFlag(mdx));
        });
        t.setSyncEachPost(false);
        for (int i = 0; i < 3; ++i) {
            t.append();
            t.setAsString(0, "bulk " + std::to_string(i));
            t.post();
        }
        t.sync();
        QCOMPARE(flushes, (Flushes{{"FLUSHES.DBF", 1}}));
        flushes.clear();
        u.append(); // flushed at once, as the record editor's Update does
        u.setAsString(0, "one more");
        u.post();
        QCOMPARE(flushes, (Flushes{{"FLUSHES.DBF", 1}}));
        flushes.clear();
        t.close(); // u still writes: the flag stays and the index waits for u
        QCOMPARE(flushes, Flushes{});
        u.close();
        QCOMPARE(flushes, (Flushes{{"FLUSHES.MDX", 1}}));
        QCOMPARE(sessionFlag(mdx), char(0));
        setFaultHook({});
        QString error;
        QCOMPARE(indexDumpOrder(mdx, QStringLiteral("NewIndex"), &error).size(), std::size_t(10));
    }

    void sessionLeftByAProgramThatDied()
    {
        // A writer that died between two posts (or with the machine): its session flag is
        // set and nobody holds the session byte, so the index may be half-written.
        const QString dir = sub(QStringLiteral("died"));
        Table t;
        makeCoins(t, dir, "DIED", 20);
        const QString mdx = QString::fromStdString(t.indexFilePath());
        t.close();
        QByteArray staleIndex = readFile(mdx);
        t.open();
        QVERIFY(t.moveToRecNo(9));
        t.edit();
        t.setAsString(0, "aaa now first");
        t.post();
        t.close();
        staleIndex[48] = 1;
        QFile f(mdx);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(staleIndex);
        f.close();

        t.open();
        t.first();
        QCOMPARE(t.recNo(), 9u);
        QString error;
        QCOMPARE(indexDumpOrder(mdx, QStringLiteral("NewIndex"), &error), deliveredOrder(t));
        QCOMPARE(sessionFlag(mdx), char(0));
    }
};

REGISTER_TEST(CrashTests)
#include "tst_crash.moc"
