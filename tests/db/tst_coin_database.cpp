// The open database as an object: what it tells the windows through its signals, and the
// state the windows' commands are enabled by.
#include "db/coin_database.h"
#include "platform/prompts.h"
#include "test_files.h"
#include "test_registry.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class CoinDatabaseTests : public QObject
{
    Q_OBJECT
private slots:
    void switchOpenAndCount()
    {
        QTemporaryDir dir;
        useDirectories(dir.path());
        QDir().mkpath(dir.path() + QStringLiteral("/home"));
        QDir().mkpath(dir.path() + QStringLiteral("/conf"));
        const QString first = dir.path() + QStringLiteral("/FIRST.DBF");
        const QString second = dir.path() + QStringLiteral("/SECOND.DBF");
        CoinDatabase db;
        QVERIFY(db.makeNew(first));
        QVERIFY(db.makeNew(second));
        QSignalSpy switched(&db, &CoinDatabase::switched);
        QSignalSpy counted(&db, &CoinDatabase::recordCountChanged);

        QVERIFY(db.openAtStart(first));
        QVERIFY(db.isOpen());
        QCOMPARE(switched.count(), 1);
        QCOMPARE(switched.at(0).at(0).toString(), QStringLiteral("FIRST"));
        QCOMPARE(db.currentPath(), first);
        QCOMPARE(db.sortString(), QStringLiteral("Upper(Left(Miscellane,80))"));
        QVERIFY(db.isEmpty());
        db.checkRecordCount();
        QCOMPARE(counted.count(), 1);
        QCOMPARE(counted.at(0).at(0).toInt(), 0);
        db.checkRecordCount(); // unchanged: nothing to tell
        QCOMPARE(counted.count(), 1);

        db.table().append();
        db.table().setAsString(db.table().fieldByName("Country"), "Canada");
        db.table().post();
        db.checkRecordCount();
        QCOMPARE(counted.count(), 2);
        QCOMPARE(counted.at(1).at(0).toInt(), 1);
        QVERIFY(!db.isEmpty());

        db.switchTo(second, false);
        db.applyIndexOnOpen(true);
        db.openShared();
        QCOMPARE(switched.count(), 2);
        QCOMPARE(switched.at(1).at(0).toString(), QStringLiteral("SECOND"));
        QCOMPARE(db.previousPath(), first);
        QCOMPARE(db.currentPath(), second);
        db.checkRecordCount();
        QCOMPARE(counted.count(), 3);
        QCOMPARE(counted.at(2).at(0).toInt(), 0);
        db.close();
        QVERIFY(!db.table().isOpen());
        QVERIFY(QFile::exists(db.settingsFilePath())); // written on closing
    }

    // The settings of the database left or closed cannot be written: the user is told which
    // file, instead of losing the windows' settings without a word.
    void settingsThatCannotBeWritten()
    {
        QTemporaryDir dir;
        useDirectories(dir.path());
        ScriptedPrompts prompts;
        const QString first = dir.path() + QStringLiteral("/FIRST.DBF");
        const QString second = dir.path() + QStringLiteral("/SECOND.DBF");
        CoinDatabase db;
        QVERIFY(db.makeNew(first));
        QVERIFY(db.makeNew(second));
        QVERIFY(db.openAtStart(first));
        const QString firstIni = db.settingsFilePath();
        QVERIFY(QDir().mkpath(firstIni));
        db.switchTo(second, false);
        db.applyIndexOnOpen(true);
        db.openShared();
        const QString secondIni = db.settingsFilePath();
        QVERIFY(QDir().mkpath(secondIni));
        db.close();
        const auto notWritten = [](const QString &path) {
            return QStringLiteral("The settings file \"") + path +
                   QStringLiteral("\" could not be written.");
        };
        QCOMPARE(prompts.askedTexts(), (QStringList{notWritten(firstIni), notWritten(secondIni)}));
        QVERIFY(!db.table().isOpen());
    }

    void searchStateFiltersTheTable()
    {
        QTemporaryDir dir;
        useDirectories(dir.path());
        const QString path = dir.path() + QStringLiteral("/COINS.DBF");
        CoinDatabase db;
        QVERIFY(db.makeNew(path));
        QVERIFY(db.openAtStart(path));
        for (const char *country : {"Canada", "France", "Chile"}) {
            db.table().append();
            db.table().setAsString(db.table().fieldByName("Country"), country);
            db.table().post();
        }
        QSignalSpy search(&db, &CoinDatabase::searchStateChanged);
        db.searchTest = [](const dbase::Table &t) {
            return t.asString(t.fieldByName("Country")).rfind("C", 0) == 0;
        };
        QCOMPARE(db.recordCount(), 3); // no search on: the test is not asked
        db.setSearchOn(true);
        QCOMPARE(search.count(), 1);
        QCOMPARE(search.at(0).at(0).toBool(), true);
        QVERIFY(db.searchOn());
        db.table().close();
        db.openTable();
        QCOMPARE(db.recordCount(), 2);
        db.setSearchOn(false);
        QCOMPARE(search.at(1).at(0).toBool(), false);
        db.table().close();
        db.openTable();
        QCOMPARE(db.recordCount(), 3);
    }

    void browseModeKeepsTheStoredFieldEditing()
    {
        QTemporaryDir dir;
        useDirectories(dir.path());
        const QString path = dir.path() + QStringLiteral("/COINS.DBF");
        CoinDatabase db;
        QVERIFY(db.makeNew(path));
        QVERIFY(db.openAtStart(path));
        db.settings().fieldEditing = true;
        db.enterBrowseMode();
        QVERIFY(db.browseMode());
        QVERIFY(!db.settings().fieldEditing);
        QVERIFY(db.saveSettings(db.settingsFilePath()));
        QVERIFY(!db.settings().fieldEditing);
        Settings stored;
        LoadSettings(stored, SettingsScope::Database, db.settingsFilePath());
        QVERIFY(stored.fieldEditing);
    }
};

REGISTER_TEST(CoinDatabaseTests)
#include "tst_coin_database.moc"
