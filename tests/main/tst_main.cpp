// The main window's database commands through the prompt seams: start-up choices,
// opening, creating, the recent-files menu, and the settings written on closing.
#include "coin_schema.h"
#include "database_files.h"
#include "ini_file.h"
#include "main_window.h"
#include "paths.h"
#include "prompts.h"
#include "ready_made.h"
#include "report_file.h"
#include "test_files.h"
#include "test_registry.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
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
        QCOMPARE(w.CurrentDatabasePath, env.master());
        QCOMPARE(w.SortString, QStringLiteral("Upper(Left(Miscellane,80))"));
        QCOMPARE(QString::fromStdString(w.MyTable.indexName()), QStringLiteral("NewIndex"));
        QVERIFY(QFile::exists(paths::programFile(QStringLiteral("MASTER.MDX"))));
        QVERIFY(w.MyTable.isOpen());
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
        QCOMPARE(w.CurrentDatabasePath, env.master());
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
            QCOMPARE(w.CurrentDatabasePath, good);
            QCOMPARE(w.MyTable.recordCount(), 3);
            QVERIFY(w.settings.lastFiles[0].isEmpty()); // no previous database at start-up
        }
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
            QCOMPARE(w.SortString, QStringLiteral("Upper(Left(Country,80))"));
            w.close();
        }
        QCOMPARE(IniFile::readString(env.data(QStringLiteral("COINS.INI")),
                                     QStringLiteral("Sort Order"), QStringLiteral("Primary Sort"),
                                     QString()),
                 QStringLiteral("1"));
    }

    void closeSavesBothScopesAndBrowseKeepsFieldEditing()
    {
        Environment env;
        ScriptedPrompts prompts;
        {
            TMain w;
            QVERIFY(w.FormCreate({QStringLiteral("/Browse")}));
            QVERIFY(w.BrowseMode);
            w.settings.buttonBar = 2;
            QVERIFY(!w.settings.fieldEditing);
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
            QVERIFY(!w.settings.fieldEditing); // off for the run
            w.close();
        }
        QCOMPARE(IniFile::readString(dbIni, QStringLiteral("Grid Options"),
                                     QStringLiteral("Field Editing"), QString()),
                 QStringLiteral("Yes"));
        {
            TMain w;
            QVERIFY(w.FormCreate({}));
            QVERIFY(!w.BrowseMode);
            QVERIFY(w.settings.fieldEditing);
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
            QCOMPARE(w.CurrentDatabasePath, path);
            QVERIFY(w.MyTable.isOpen());
            QCOMPARE(w.settings.lastFiles[0], env.master());
            QCOMPARE(w.IndexFilePath, dbfiles::companion(path, QStringLiteral("MDX")));
            QVERIFY(QFile::exists(w.IndexFilePath)); // the sort index is built on opening
        } else {
            QCOMPARE(prompts.asked().size(), 2);
            QVERIFY2(prompts.asked()[1].text.contains(message),
                     qPrintable(prompts.asked()[1].text));
            QCOMPARE(prompts.asked()[1].caption, QStringLiteral("Error"));
            QCOMPARE(w.CurrentDatabasePath, env.master()); // the open database stays
            QVERIFY(w.MyTable.isOpen());
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
        QCOMPARE(w.settings.lastFiles[0], a);
        QCOMPARE(w.settings.lastFiles[1], env.master());
        auto *item1 = w.findChild<QAction *>(QStringLiteral("MenuLastFile1"));
        QCOMPARE(item1->text(), QStringLiteral("&1   ") + a);
        QVERIFY(item1->isVisible());
        QVERIFY(w.findChild<QAction *>(QStringLiteral("MenuLastFile2"))->isVisible());
        QVERIFY(!w.findChild<QAction *>(QStringLiteral("MenuLastFile3"))->isVisible());
        QVERIFY(w.findChild<QAction *>(QStringLiteral("MenuExitSep"))->isVisible());
        item1->trigger(); // back to A: B goes to the top, A leaves the list
        QCOMPARE(w.CurrentDatabasePath, a);
        QCOMPARE(countText(w), QStringLiteral("1"));
        QCOMPARE(w.settings.lastFiles[0], b);
        QCOMPARE(w.settings.lastFiles[1], env.master());
        QVERIFY(w.settings.lastFiles[2].isEmpty());
        QVERIFY(prompts.asked().isEmpty());
    }

    void switchingSavesTheOldDatabaseSettings()
    {
        Environment env;
        const QString a = makeCoinTable(env.data(QStringLiteral("A.DBF")), 1);
        ScriptedPrompts prompts;
        TMain w;
        QVERIFY(w.FormCreate({}));
        w.settings.sortLevels[0] = 1;
        w.OpenSaveFile(
            a); // MASTER's settings are written, A's are read (from NUMAROK.INI: defaults)
        QCOMPARE(IniFile::readString(paths::programFile(QStringLiteral("MASTER.INI")),
                                     QStringLiteral("Sort Order"), QStringLiteral("Primary Sort"),
                                     QString()),
                 QStringLiteral("1"));
        QCOMPARE(w.settings.sortLevels[0], 12);
        w.settings.fieldWidth[0] = 33;
        w.MenuUpdateDatabaseClick();
        QCOMPARE(IniFile::readString(env.data(QStringLiteral("A.INI")),
                                     QStringLiteral("Field Width"), QStringLiteral("Country"),
                                     QString()),
                 QStringLiteral("33"));
        QVERIFY(w.MyTable.isOpen());
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
        QCOMPARE(QString::fromStdString(w.MyTable.indexName()), QStringLiteral("NewIndex"));
        // The records come in sort order: "misc 1", "misc 2", "misc 3" are records 3, 2, 1.
        std::vector<uint32_t> order;
        for (w.MyTable.first(); !w.MyTable.eof(); w.MyTable.next())
            order.push_back(w.MyTable.recNo());
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
        QVERIFY(w.MyTable.isOpen());
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
        QCOMPARE(w.CurrentDatabasePath, made);
        QCOMPARE(w.windowTitle(), QStringLiteral("Numarok (FRESH)"));
        QCOMPARE(w.SortString, QStringLiteral("STR(Quantity,12,0)")); // from NUMAROK.INI
        QCOMPARE(countText(w), QStringLiteral("0"));
        QCOMPARE(w.settings.lastFiles[0], env.master());
        QVERIFY(!QFile::exists(env.data(QStringLiteral("FRESH.INI")))); // written at the next save
        prompts.answer(env.data(QStringLiteral("FRESH.TXT")));
        w.DoNew();
        QCOMPARE(prompts.askedTexts().last(), QStringLiteral("Invalid file type selected."));
        QCOMPARE(w.CurrentDatabasePath, made);
    }
};

REGISTER_TEST(StartTests)
REGISTER_TEST(OpenTests)
#include "tst_main.moc"
