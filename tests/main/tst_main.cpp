// The main window's database commands through the prompt seams: start-up choices,
// opening, creating, the recent-files menu, and the settings written on closing.
#include "db/coin_schema.h"
#include "db/database_files.h"
#include "editor/pick_lists.h"
#include "main/main_window.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "reports/ready_made.h"
#include "reports/report_file.h"
#include "test_files.h"
#include "test_registry.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace
{

const QString kValidityMessage = QStringLiteral("This DBase file was not created with Numarok.  It "
                                                "cannot be opened.  You may, however, import data "
                                                "from this file using the import function.");
const QString kLastInvalid = QStringLiteral("The last database used as recorded in the INI file is "
                                            "not a valid Numarok file.  You will need to "
                                            "choose a new file.");

// Fresh program and settings directories for each test.
class Environment
{
public:
    Environment()
    {
        useDirectories(m_dir.path());
        QDir().mkpath(m_dir.path() + QStringLiteral("/data"));
    }
    QString data(const QString &name) const
    {
        return m_dir.path() + QStringLiteral("/data/") + name;
    }
    QString master() const { return paths::programFile(QStringLiteral("MASTER.DBF")); }
    void setProgramKey(const char *section, const char *key, const QString &value) const
    {
        IniFile::writeString(paths::programSettingsFile(), QLatin1String(section),
                             QLatin1String(key), value);
    }

private:
    QTemporaryDir m_dir;
};

QString makeCoinTable(const QString &path, int records = 0)
{
    dbase::Table t;
    dbfiles::createCoinTable(t, path);
    t.open();
    for (int i = 0; i < records; ++i) {
        t.append();
        t.setAsString(11, "misc " + std::to_string(records - i));
        t.post();
    }
    return path;
}

QString makeForeignTable(const QString &path)
{
    dbase::Table t;
    t.setDatabaseName(QFileInfo(path).absolutePath().toStdString());
    t.setTableName(QFileInfo(path).fileName().toStdString());
    t.createTable({dbase::FieldDef::text("NAME", 10), dbase::FieldDef::integer("QTY")});
    return path;
}

// index_dump's walk of the tag NewIndex: the record numbers in key order.
QStringList indexWalk(const QString &mdx)
{
    QProcess dump;
    dump.start(QStringLiteral("index_dump"), {mdx, QStringLiteral("NewIndex")});
    if (!dump.waitForFinished(30000) || dump.exitCode() != 0) return {QStringLiteral("failed")};
    QStringList recnos;
    for (const QByteArray &line : dump.readAllStandardOutput().split('\n'))
        if (!line.trimmed().isEmpty())
            recnos << QString::fromLatin1(line.trimmed().split(' ').last());
    return recnos;
}

// A five-coin table with a broken index file from tests/data, copied in as NAME.DBF/.MDX.
QString copyBrokenIndexTable(const QString &source, const QString &dbf)
{
    const QString base = QStringLiteral(NUMAROK_TEST_DATA "/") + source;
    QFile::remove(dbf);
    QFile::remove(dbfiles::companion(dbf, QStringLiteral("MDX")));
    QFile::copy(base + QStringLiteral(".dbf"), dbf);
    QFile::copy(base + QStringLiteral(".mdx"), dbfiles::companion(dbf, QStringLiteral("MDX")));
    QFile(dbf).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    QFile(dbfiles::companion(dbf, QStringLiteral("MDX")))
        .setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return dbf;
}

QString countText(TMain &w)
{
    return w.findChild<QLabel *>(QStringLiteral("CountLabel"))->text();
}

} // namespace

class StartTests : public QObject
{
    Q_OBJECT
private slots:
    void firstRunCreatesMaster()
    {
        Environment env;
        ScriptedPrompts prompts;
        TMain w;
        QVERIFY(w.FormCreate({}));
        QVERIFY(prompts.asked().isEmpty());
        QCOMPARE(w.windowTitle(), QStringLiteral("Numarok (MASTER)"));
        QCOMPARE(w.database().currentPath(), env.master());
        QCOMPARE(w.database().sortString(), QStringLiteral("Upper(Left(Miscellane,80))"));
        QCOMPARE(QString::fromStdString(w.database().table().indexName()),
                 QStringLiteral("NewIndex"));
        QVERIFY(QFile::exists(paths::programFile(QStringLiteral("MASTER.MDX"))));
        QVERIFY(w.database().table().isOpen());
        QVERIFY(!w.findChild<QAction *>(QStringLiteral("MenuExitSep"))->isVisible());
    }

    void firstRunWritesReadyMadeReports()
    {
        Environment env;
        ScriptedPrompts prompts;
        TMain w;
        QVERIFY(w.FormCreate({}));
        QCOMPARE(reports::ReportFile().names(), reports::readyMadeNames());
        QVERIFY(prompts.asked().isEmpty());
    }

    void deletedLastDatabaseFallsBackSilently()
    {
        Environment env;
        env.setProgramKey("Misc", "Last Database", env.data(QStringLiteral("GONE.DBF")));
        ScriptedPrompts prompts;
        TMain w;
        QVERIFY(w.FormCreate({}));
        QVERIFY(prompts.asked().isEmpty());
        QCOMPARE(w.database().currentPath(), env.master());
    }

    void invalidLastDatabaseAsksForAnother_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("a valid one is chosen") << false;
        QTest::newRow("the choice is cancelled") << true;
    }
    void invalidLastDatabaseAsksForAnother()
    {
        QFETCH(bool, cancel);
        Environment env;
        env.setProgramKey("Misc", "Last Database",
                          makeForeignTable(env.data(QStringLiteral("OTHER.DBF"))));
        const QString good = makeCoinTable(env.data(QStringLiteral("GOOD.DBF")), 3);
        ScriptedPrompts prompts;
        if (!cancel) {
            prompts.answer(env.data(QStringLiteral("NOTES.TXT"))); // wrong type: asked again
            prompts.answer(good);
        }
        TMain w;
        QCOMPARE(w.FormCreate({}), !cancel);
        QStringList expected{kValidityMessage, kLastInvalid, QStringLiteral("*.DBF *.dbf")};
        if (!cancel)
            expected << QStringLiteral("Invalid file type selected.")
                     << QStringLiteral("*.DBF *.dbf");
        QStringList asked = prompts.askedTexts();
        for (QString &t : asked)
            if (t.startsWith(QLatin1String("Database Files"))) t = QStringLiteral("*.DBF *.dbf");
        QCOMPARE(asked, expected);
        if (!cancel) {
            QCOMPARE(w.database().currentPath(), good);
            QCOMPARE(w.database().table().recordCount(), 3);
            QVERIFY(
                w.database().settings().lastFiles[0].isEmpty()); // no previous database at start-up
        }
    }

    // A damaged index file never keeps the user from the database: at start-up, on
    // opening, on Update Database and on Rebuild Indexes it is built afresh beside the old
    // one, the user is told once, and the table's bytes stay as they were.
    void damagedIndexIsRebuilt_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("route");
        for (const char *source : {"damaged_coins", "overfull_coins"})
            for (const char *route : {"start-up", "open", "update", "rebuild"})
                QTest::addRow("%s, %s", source, route)
                    << QString::fromLatin1(source) << QString::fromLatin1(route);
    }
    void damagedIndexIsRebuilt()
    {
        QFETCH(QString, source);
        QFETCH(QString, route);
        Environment env;
        const QString db = env.data(QStringLiteral("COINS.DBF"));
        const QString mdx = env.data(QStringLiteral("COINS.MDX"));
        QByteArray before;
        if (route == QLatin1String("start-up")) {
            copyBrokenIndexTable(source, db);
            env.setProgramKey("Misc", "Last Database", db);
            before = readBytes(db);
        }
        ScriptedPrompts prompts;
        TMain w;
        QVERIFY(w.FormCreate({}));
        if (route == QLatin1String("open")) {
            copyBrokenIndexTable(source, db);
            before = readBytes(db);
            w.OpenSaveFile(db);
        } else if (route == QLatin1String("update") || route == QLatin1String("rebuild")) {
            copyBrokenIndexTable(source, db);
            w.OpenSaveFile(db);
            prompts.clear();
            w.database().table().close();
            QFile::remove(mdx);
            QFile::copy(QStringLiteral(NUMAROK_TEST_DATA "/") + source + QStringLiteral(".mdx"),
                        mdx);
            QFile(mdx).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
            before = readBytes(db);
            if (route == QLatin1String("update")) {
                w.MenuUpdateDatabaseClick();
            } else {
                prompts.answer(int(QMessageBox::Yes));
                w.MenuRebuildClick();
            }
        }
        QCOMPARE(w.database().currentPath(), db);
        QVERIFY(w.database().table().isOpen());
        QStringList notices;
        for (const auto &q : prompts.asked())
            if (q.kind == QLatin1String("message") && q.caption != QLatin1String("Confirm"))
                notices << q.caption + QStringLiteral(": ") + q.text;
        // Opening rebuilds the tag anyway: an overfull block is never read there, so there
        // is nothing to tell.
        if (source == QLatin1String("overfull_coins") && route == QLatin1String("open"))
            QVERIFY(notices.isEmpty());
        else
            QCOMPARE(notices, QStringList{QStringLiteral(
                                  "Notice: The index file COINS.MDX could not be read.  "
                                  "It has been rebuilt from the sort order; the "
                                  "records are unchanged.")});
        QCOMPARE(readBytes(db), before);
        QCOMPARE(QString::fromStdString(w.database().table().indexName()),
                 QStringLiteral("NewIndex"));
        // Buffalo nickel, Indian head, Mercury dime, Walking liberty, Zinc cent.
        QCOMPARE(indexWalk(mdx),
                 (QStringList{QStringLiteral("2"), QStringLiteral("5"), QStringLiteral("3"),
                              QStringLiteral("4"), QStringLiteral("1")}));
        std::vector<uint32_t> order;
        for (w.database().table().first(); !w.database().table().eof(); w.database().table().next())
            order.push_back(w.database().table().recNo());
        QCOMPARE(order, (std::vector<uint32_t>{2, 5, 3, 4, 1}));
        QVERIFY(!QFile::exists(mdx + QStringLiteral(".new~")));
    }

    // Another user has the table open, so its damaged index cannot be rebuilt now: the
    // database still opens, in file order, and the index is rebuilt once it is free.
    void damagedIndexInUseElsewhere()
    {
        Environment env;
        const QString db = copyBrokenIndexTable(QStringLiteral("damaged_coins"),
                                                env.data(QStringLiteral("COINS.DBF")));
        const QString mdx = env.data(QStringLiteral("COINS.MDX"));
        env.setProgramKey("Misc", "Last Database", db);
        const QByteArray before = readBytes(db), indexBefore = readBytes(mdx);
        dbase::Table other;
        dbfiles::locate(other, db);
        other.setIgnoreIndexFile(true);
        other.open();
        ScriptedPrompts prompts;
        TMain w;
        QVERIFY(w.FormCreate({}));
        QVERIFY(w.database().table().isOpen());
        QCOMPARE(w.database().currentPath(), db);
        QCOMPARE(prompts.asked().size(), 1);
        QCOMPARE(prompts.asked()[0].caption, QStringLiteral("Notice"));
        QVERIFY2(prompts.asked()[0].text.startsWith(
                     QStringLiteral("The index file COINS.MDX could not be read, and it cannot be "
                                    "rebuilt now: Table COINS.DBF")),
                 qPrintable(prompts.asked()[0].text));
        QCOMPARE(w.database().table().recordCount(), 5);
        std::vector<uint32_t> order;
        for (w.database().table().first(); !w.database().table().eof(); w.database().table().next())
            order.push_back(w.database().table().recNo());
        QCOMPARE(order, (std::vector<uint32_t>{1, 2, 3, 4, 5}));
        QCOMPARE(readBytes(db), before);
        QCOMPARE(readBytes(mdx), indexBefore);
        // Opened from the menu while still in use: the same one notice.
        w.OpenSaveFile(makeCoinTable(env.data(QStringLiteral("OTHER.DBF")), 1));
        prompts.clear();
        w.OpenSaveFile(db);
        QCOMPARE(prompts.asked().size(), 1);
        QVERIFY(prompts.asked()[0].text.contains(QStringLiteral("cannot be rebuilt now")));
        QVERIFY(w.database().table().isOpen());
        QCOMPARE(w.database().table().recordCount(), 5);
        other.close();
        prompts.clear();
        w.MenuUpdateDatabaseClick();
        QCOMPARE(prompts.askedTexts(),
                 QStringList{QStringLiteral(
                     "The index file COINS.MDX could not be read.  It has been rebuilt from the "
                     "sort order; the records are unchanged.")});
        QCOMPARE(indexWalk(mdx),
                 (QStringList{QStringLiteral("2"), QStringLiteral("5"), QStringLiteral("3"),
                              QStringLiteral("4"), QStringLiteral("1")}));
        QCOMPARE(QString::fromStdString(w.database().table().indexName()),
                 QStringLiteral("NewIndex"));
        QCOMPARE(readBytes(db), before);
    }

    // The settings file names other sort levels than the index was built from (restored
    // or copied): start-up rebuilds the tag instead of showing the old order.
    void storedSortOrderDiffersFromTheIndex()
    {
        Environment env;
        const QString db = env.data(QStringLiteral("COINS.DBF"));
        {
            dbase::Table t;
            dbfiles::createCoinTable(t, db);
            t.open();
            const char *countries[] = {"Peru", "Chile", "Denmark"};
            for (int i = 0; i < 3; ++i) {
                t.append();
                t.setAsString(coin::Country - 1, countries[i]);
                t.setAsString(coin::Miscellane - 1, "misc " + std::to_string(i));
                t.post();
            }
            t.close();
            dbfiles::applySortIndex(t, QStringLiteral("Upper(Left(Miscellane,80))"), false);
        }
        const QString ini = env.data(QStringLiteral("COINS.INI"));
        IniFile::writeString(ini, QStringLiteral("Sort Order"), QStringLiteral("Primary Sort"),
                             QStringLiteral("1"));
        env.setProgramKey("Misc", "Last Database", db);
        ScriptedPrompts prompts;
        TMain w;
        QVERIFY(w.FormCreate({}));
        QVERIFY(prompts.asked().isEmpty());
        QCOMPARE(w.database().sortString(), QStringLiteral("Upper(Left(Country,80))"));
        const QString mdx = env.data(QStringLiteral("COINS.MDX"));
        QVERIFY(readBytes(mdx).contains("Upper(Left(Country,80))"));
        QCOMPARE(indexWalk(mdx), (QStringList{QStringLiteral("2"), QStringLiteral("3"),
                                              QStringLiteral("1")})); // Chile, Denmark, Peru
        std::vector<uint32_t> order;
        for (w.database().table().first(); !w.database().table().eof(); w.database().table().next())
            order.push_back(w.database().table().recNo());
        QCOMPARE(order, (std::vector<uint32_t>{2, 3, 1}));
        // An index that matches is used as it stands: not written again.
        w.close();
        const QByteArray before = readBytes(mdx);
        QTest::qWait(1100); // a rewrite would carry another time
        const QDateTime written = QFileInfo(mdx).lastModified();
        TMain again;
        QVERIFY(again.FormCreate({}));
        QCOMPARE(readBytes(mdx), before);
        QCOMPARE(QFileInfo(mdx).lastModified(), written);
    }

    void databaseWithoutIniUsesProgramValues()
    {
        Environment env;
        const QString db = makeCoinTable(env.data(QStringLiteral("COINS.DBF")), 2);
        env.setProgramKey("Misc", "Last Database", db);
        env.setProgramKey("Sort Order", "Primary Sort", QStringLiteral("1"));
        ScriptedPrompts prompts;
        {
            TMain w;
            QVERIFY(w.FormCreate({}));
            QCOMPARE(w.database().sortString(), QStringLiteral("Upper(Left(Country,80))"));
            w.close();
        }
        QCOMPARE(IniFile::readString(env.data(QStringLiteral("COINS.INI")),
                                     QStringLiteral("Sort Order"), QStringLiteral("Primary Sort"),
                                     QString()),
                 QStringLiteral("1"));
    }

    // Settings kept in memory until the program closes (the window, the formats, the grid's
    // columns) that cannot be written then: the user is told which file, for each scope.
    void closeTellsWhenTheSettingsCannotBeWritten()
    {
        Environment env;
        ScriptedPrompts prompts;
        const QString dbIni = paths::programFile(QStringLiteral("MASTER.INI"));
        {
            TMain w;
            QVERIFY(w.FormCreate({}));
            prompts.clear();
            QVERIFY(QDir().mkpath(paths::programSettingsFile()));
            QVERIFY(QDir().mkpath(dbIni));
            w.close();
        }
        const auto notWritten = [](const QString &path) {
            return QStringLiteral("The settings file \"") + path +
                   QStringLiteral("\" could not be written.");
        };
        QCOMPARE(prompts.askedTexts(),
                 (QStringList{notWritten(paths::programSettingsFile()), notWritten(dbIni)}));
        QCOMPARE(prompts.asked().first().caption, QStringLiteral("Error"));
    }

    void closeSavesBothScopesAndBrowseKeepsFieldEditing()
    {
        Environment env;
        ScriptedPrompts prompts;
        {
            TMain w;
            QVERIFY(w.FormCreate({QStringLiteral("/Browse")}));
            QVERIFY(w.database().browseMode());
            w.database().settings().buttonBar = 2;
            QVERIFY(!w.database().settings().fieldEditing);
            w.close();
        }
        const QString dbIni = paths::programFile(QStringLiteral("MASTER.INI"));
        QCOMPARE(IniFile::readString(paths::programSettingsFile(), QStringLiteral("Misc"),
                                     QStringLiteral("Button Bar"), QString()),
                 QStringLiteral("2"));
        IniFile::writeString(dbIni, QStringLiteral("Grid Options"), QStringLiteral("Field Editing"),
                             QStringLiteral("Yes"));
        {
            TMain w;
            QVERIFY(w.FormCreate({QStringLiteral("/BROWSE")}));
            QVERIFY(!w.database().settings().fieldEditing); // off for the run
            w.close();
        }
        QCOMPARE(IniFile::readString(dbIni, QStringLiteral("Grid Options"),
                                     QStringLiteral("Field Editing"), QString()),
                 QStringLiteral("Yes"));
        {
            TMain w;
            QVERIFY(w.FormCreate({}));
            QVERIFY(!w.database().browseMode());
            QVERIFY(w.database().settings().fieldEditing);
        }
    }
};

class OpenTests : public QObject
{
    Q_OBJECT
private slots:
    void openChoices_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message"); // empty: opened
        QTest::newRow("text file type") << "NOTES.TXT"
                                        << "Invalid file type selected.";
        QTest::newRow("lower-case extension") << "lower.dbf"
                                              << "";
        QTest::newRow("another program's table") << "FOREIGN.DBF" << kValidityMessage;
        QTest::newRow("not a dBase table") << "BROKEN.DBF"
                                           << "BROKEN.DBF is not a dBase table";
        QTest::newRow("right names, other widths") << "WIDTHS.DBF"
                                                   << "";
    }
    void openChoices()
    {
        QFETCH(QString, file);
        QFETCH(QString, message);
        Environment env;
        const QString path = env.data(file);
        if (file == QLatin1String("lower.dbf")) {
            makeCoinTable(path, 1);
        } else if (file == QLatin1String("FOREIGN.DBF")) {
            makeForeignTable(path);
        } else if (file == QLatin1String("WIDTHS.DBF")) {
            std::vector<dbase::FieldDef> defs = coin::tableDefinition();
            for (auto &d : defs)
                d = dbase::FieldDef::text(d.name, 12);
            dbase::Table t;
            dbfiles::locate(t, path);
            t.createTable(defs);
        } else {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("plain text, not a table\n");
        }
        ScriptedPrompts prompts;
        TMain w;
        QVERIFY(w.FormCreate({}));
        prompts.answer(path);
        w.findChild<QAction *>(QStringLiteral("MenuOpen"))->trigger();
        if (message.isEmpty()) {
            QCOMPARE(prompts.asked().size(), 1); // the open dialog only
            QCOMPARE(w.database().currentPath(), path);
            QVERIFY(w.database().table().isOpen());
            QCOMPARE(w.database().settings().lastFiles[0], env.master());
            QCOMPARE(w.database().indexFilePath(), dbfiles::companion(path, QStringLiteral("MDX")));
            QVERIFY(
                QFile::exists(w.database().indexFilePath())); // the sort index is built on opening
        } else {
            QCOMPARE(prompts.asked().size(), 2);
            QVERIFY2(prompts.asked()[1].text.contains(message),
                     qPrintable(prompts.asked()[1].text));
            QCOMPARE(prompts.asked()[1].caption, QStringLiteral("Error"));
            QCOMPARE(w.database().currentPath(), env.master()); // the open database stays
            QVERIFY(w.database().table().isOpen());
            QCOMPARE(w.windowTitle(), QStringLiteral("Numarok (MASTER)"));
        }
    }

    void recentFilesMenu()
    {
        Environment env;
        const QString a = makeCoinTable(env.data(QStringLiteral("A.DBF")), 1);
        const QString b = makeCoinTable(env.data(QStringLiteral("B.DBF")), 2);
        ScriptedPrompts prompts;
        TMain w;
        QVERIFY(w.FormCreate({}));
        w.OpenSaveFile(a);
        w.OpenSaveFile(b);
        QCOMPARE(w.database().settings().lastFiles[0], a);
        QCOMPARE(w.database().settings().lastFiles[1], env.master());
        auto *item1 = w.findChild<QAction *>(QStringLiteral("MenuLastFile1"));
        QCOMPARE(item1->text(), QStringLiteral("&1   ") + a);
        QVERIFY(item1->isVisible());
        QVERIFY(w.findChild<QAction *>(QStringLiteral("MenuLastFile2"))->isVisible());
        QVERIFY(!w.findChild<QAction *>(QStringLiteral("MenuLastFile3"))->isVisible());
        QVERIFY(w.findChild<QAction *>(QStringLiteral("MenuExitSep"))->isVisible());
        item1->trigger(); // back to A: B goes to the top, A leaves the list
        QCOMPARE(w.database().currentPath(), a);
        QCOMPARE(countText(w), QStringLiteral("1"));
        QCOMPARE(w.database().settings().lastFiles[0], b);
        QCOMPARE(w.database().settings().lastFiles[1], env.master());
        QVERIFY(w.database().settings().lastFiles[2].isEmpty());
        QVERIFY(prompts.asked().isEmpty());
    }

    void switchingSavesTheOldDatabaseSettings()
    {
        Environment env;
        const QString a = makeCoinTable(env.data(QStringLiteral("A.DBF")), 1);
        ScriptedPrompts prompts;
        TMain w;
        QVERIFY(w.FormCreate({}));
        w.database().settings().sortLevels[0] = 1;
        w.OpenSaveFile(
            a); // MASTER's settings are written, A's are read (from NUMAROK.INI: defaults)
        QCOMPARE(IniFile::readString(paths::programFile(QStringLiteral("MASTER.INI")),
                                     QStringLiteral("Sort Order"), QStringLiteral("Primary Sort"),
                                     QString()),
                 QStringLiteral("1"));
        QCOMPARE(w.database().settings().sortLevels[0], 12);
        w.database().settings().fieldWidth[0] = 33;
        w.MenuUpdateDatabaseClick();
        QCOMPARE(IniFile::readString(env.data(QStringLiteral("A.INI")),
                                     QStringLiteral("Field Width"), QStringLiteral("Country"),
                                     QString()),
                 QStringLiteral("33"));
        QVERIFY(w.database().table().isOpen());
    }

    // Load In Defaults changes the open database's lists; switching database then writes
    // them to that database's files, and the next database brings its own.
    void switchingAfterLoadingDefaultLists()
    {
        Environment env;
        const QString a = makeCoinTable(env.data(QStringLiteral("A.DBF")), 1);
        const QString b = makeCoinTable(env.data(QStringLiteral("B.DBF")), 1);
        const QString aBase = env.data(QStringLiteral("A")), bBase = env.data(QStringLiteral("B"));
        for (int k = 0; k < 3; ++k) {
            QVERIFY(picklists::writeListFile(picklists::perDatabaseFile(aBase, picklists::Kind(k)),
                                             {QStringLiteral("Atlantis %1").arg(k)}));
            QVERIFY(picklists::writeListFile(picklists::perDatabaseFile(bBase, picklists::Kind(k)),
                                             {QStringLiteral("Bohemia %1").arg(k)}));
        }
        ScriptedPrompts prompts;
        TMain w;
        QVERIFY(w.FormCreate({}));
        w.OpenSaveFile(a);
        QCOMPARE(w.lists.list(picklists::Country), QStringList{QStringLiteral("Atlantis 0")});
        prompts.answer(int(QMessageBox::Yes));
        w.MenuLoadDefaultsClick();
        QStringList defaults[3];
        for (int k = 0; k < 3; ++k) {
            defaults[k] = picklists::readListFile(picklists::defaultFile(picklists::Kind(k)));
            QVERIFY(!defaults[k].isEmpty());
            QCOMPARE(w.lists.list(picklists::Kind(k)), defaults[k]);
        }
        w.OpenSaveFile(b);
        for (int k = 0; k < 3; ++k) {
            QCOMPARE(w.lists.list(picklists::Kind(k)),
                     QStringList{QStringLiteral("Bohemia %1").arg(k)});
            QCOMPARE(picklists::readListFile(picklists::perDatabaseFile(aBase, picklists::Kind(k))),
                     defaults[k]);
            QCOMPARE(picklists::readListFile(picklists::perDatabaseFile(bBase, picklists::Kind(k))),
                     QStringList{QStringLiteral("Bohemia %1").arg(k)});
        }
        w.OpenSaveFile(a);
        for (int k = 0; k < 3; ++k)
            QCOMPARE(w.lists.list(picklists::Kind(k)), defaults[k]);
    }

    // Load In Defaults followed by the end of the program (no editor opened, no switch):
    // the lists loaded are the database's lists at the next start.
    void exitAfterLoadingDefaultLists()
    {
        Environment env;
        const QString a = makeCoinTable(env.data(QStringLiteral("A.DBF")), 1);
        const QString aBase = env.data(QStringLiteral("A"));
        for (int k = 0; k < 3; ++k)
            QVERIFY(picklists::writeListFile(picklists::perDatabaseFile(aBase, picklists::Kind(k)),
                                             {QStringLiteral("Atlantis %1").arg(k)}));
        ScriptedPrompts prompts;
        {
            TMain w;
            QVERIFY(w.FormCreate({}));
            w.OpenSaveFile(a);
            prompts.answer(int(QMessageBox::Yes));
            w.MenuLoadDefaultsClick();
            w.close();
        }
        for (int k = 0; k < 3; ++k) {
            const QStringList defaults =
                picklists::readListFile(picklists::defaultFile(picklists::Kind(k)));
            QVERIFY(!defaults.isEmpty());
            QCOMPARE(picklists::readListFile(picklists::perDatabaseFile(aBase, picklists::Kind(k))),
                     defaults);
        }
    }

    void missingIndexIsRebuiltOnOpening()
    {
        Environment env;
        const QString a = makeCoinTable(env.data(QStringLiteral("IDX.DBF")), 3);
        ScriptedPrompts prompts;
        TMain w;
        QVERIFY(w.FormCreate({}));
        w.OpenSaveFile(a);
        QVERIFY(QFile::exists(env.data(QStringLiteral("IDX.MDX"))));
        w.OpenSaveFile(env.master());
        QVERIFY(QFile::remove(env.data(QStringLiteral("IDX.MDX"))));
        w.OpenSaveFile(a);
        QVERIFY(prompts.asked().isEmpty());
        QVERIFY(QFile::exists(env.data(QStringLiteral("IDX.MDX"))));
        QCOMPARE(QString::fromStdString(w.database().table().indexName()),
                 QStringLiteral("NewIndex"));
        // The records come in sort order: "misc 1", "misc 2", "misc 3" are records 3, 2, 1.
        std::vector<uint32_t> order;
        for (w.database().table().first(); !w.database().table().eof(); w.database().table().next())
            order.push_back(w.database().table().recNo());
        QCOMPARE(order, (std::vector<uint32_t>{3, 2, 1}));
    }

    void databaseInUseElsewhere()
    {
        Environment env;
        const QString a = makeCoinTable(env.data(QStringLiteral("BUSY.DBF")), 2);
        ScriptedPrompts prompts;
        TMain w;
        QVERIFY(w.FormCreate({}));
        w.OpenSaveFile(a); // builds the index
        w.OpenSaveFile(env.master());
        const QByteArray indexBefore = [&] {
            QFile f(env.data(QStringLiteral("BUSY.MDX")));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        dbase::Table other; // another copy of the program has it open
        dbfiles::locate(other, a);
        other.open();
        w.OpenSaveFile(a);
        QVERIFY(prompts.asked().isEmpty());
        QVERIFY(w.database().table().isOpen());
        QCOMPARE(countText(w), QStringLiteral("2"));
        QFile f(env.data(QStringLiteral("BUSY.MDX")));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), indexBefore); // not rebuilt under the other user
        // A new database over a file in use is refused with its message.
        prompts.answer(a);
        w.DoNew();
        QCOMPARE(prompts.askedTexts().last(),
                 QStringLiteral("The table \"") + a +
                     QStringLiteral("\" is currently in use by another program.  New table "
                                    "creation will be aborted."));
    }

    void newDatabase()
    {
        Environment env;
        env.setProgramKey("Sort Order", "Primary Sort", QStringLiteral("13"));
        ScriptedPrompts prompts;
        TMain w;
        QVERIFY(w.FormCreate({}));
        const QString made = env.data(QStringLiteral("FRESH.DBF"));
        prompts.answer(made);
        w.findChild<QAction *>(QStringLiteral("MenuNew"))->trigger();
        QCOMPARE(w.database().currentPath(), made);
        QCOMPARE(w.windowTitle(), QStringLiteral("Numarok (FRESH)"));
        QCOMPARE(w.database().sortString(),
                 QStringLiteral("STR(Quantity,12,0)")); // from NUMAROK.INI
        QCOMPARE(countText(w), QStringLiteral("0"));
        QCOMPARE(w.database().settings().lastFiles[0], env.master());
        QVERIFY(!QFile::exists(env.data(QStringLiteral("FRESH.INI")))); // written at the next save
        prompts.answer(env.data(QStringLiteral("FRESH.TXT")));
        w.DoNew();
        QCOMPARE(prompts.askedTexts().last(), QStringLiteral("Invalid file type selected."));
        QCOMPARE(w.database().currentPath(), made);
    }
};

REGISTER_TEST(StartTests)
REGISTER_TEST(OpenTests)
#include "tst_main.moc"
