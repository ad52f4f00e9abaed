// CoinDatabase: the open coin database. It owns the coin table, the paths of the table and
// its companion files, the sort expression, the search and browse-mode states and the
// settings record, and performs the open, switch and close sequence. Every window that
// reads or changes the database takes this object; it tells them through its signals when
// another database is opened, when a search starts or ends and when the record count
// changes.
#pragma once

#include "app/settings.h"
#include "db/database_files.h"
#include "dbase/table.h"

#include <QObject>
#include <QString>
#include <functional>

class QWidget;

class CoinDatabase : public QObject
{
    Q_OBJECT
public:
    explicit CoinDatabase(QObject *parent = nullptr);
    ~CoinDatabase() override;

    dbase::Table &table() { return m_table; }
    const dbase::Table &table() const { return m_table; }
    Settings &settings() { return m_settings; }
    const Settings &settings() const { return m_settings; }

    // The open database's files.
    const QString &currentPath() const { return m_currentPath; }
    const QString &previousPath() const { return m_previousPath; }
    const QString &indexFilePath() const { return m_indexFilePath; }
    const QString &settingsFilePath() const { return m_settingsFilePath; }
    const QString &basePath() const { return m_basePath; } // the pick list files
    const QString &tableName() const { return m_tableName; }
    // The index expression of the stored sort levels; empty for natural order.
    const QString &sortString() const { return m_sortString; }
    // True once a database has been opened (the start-up one, or one chosen after it).
    bool isOpen() const { return m_open; }
    // Records the table shows (0 while it is closed), and whether it shows none.
    int recordCount();
    bool isEmpty() { return recordCount() == 0; }

    // The search state: while a search is on the table shows only the records the search
    // test passes.
    bool searchOn() const { return m_searchOn; }
    void setSearchOn(bool on);
    std::function<bool(const dbase::Table &)> searchTest;
    bool passesFilter(const dbase::Table &table) const;

    // Browse mode: the database is shown, not changed. Grid editing stays off for the run
    // without changing the stored option.
    bool browseMode() const { return m_browseMode; }
    void enterBrowseMode();

    // The pick lists that go with a database (filled by the window that keeps them).
    // False when a list file could not be written.
    std::function<bool(const QString &basePath)> saveLists;
    std::function<void(const QString &basePath)> loadLists;
    std::function<void()> loadDefaultLists;

    // Messages of the open sequence are shown over this window.
    void setPromptOwner(QWidget *owner) { m_owner = owner; }

    // Database files.
    bool checkFormat(QWidget *owner, const QString &path);
    bool inUse(const QString &path);
    bool makeNew(const QString &path);

    // The open sequence. setPaths points the table and the companion paths at `path`.
    void setPaths(const QString &path);
    void buildSortString();
    // The start-up database: paths, settings, the sort index checked or rebuilt, and the
    // table opened shared. False (with the reason shown) when it cannot be opened.
    bool openAtStart(const QString &path);
    // Moves from the open database to `path`: the old one's settings and pick lists are
    // saved, the new one's read (a new database starts from the program-wide values and the
    // default lists), and the sort expression rebuilt. The table is left closed.
    void switchTo(const QString &path, bool newDatabase);
    // The sort index "NewIndex" rebuilt from the sort expression, when no one else has the
    // table open. A failure leaves the records unsorted rather than the database unopened.
    void applyIndexOnOpen(bool checkInUse);
    // Opens the table shared and marks the database open.
    void openShared();
    // Opens the table as it is set up; an index file that cannot be used is rebuilt from the
    // sort expression and the user told so.
    void openTable();
    // After work that needed the table alone: open it shared again.
    void reopenShared();
    void noticeIndexRebuilt();
    // Reads the database's settings (`path` empty: the program-wide values).
    void loadSettings(const QString &path);
    // Writes the database's settings; browse mode writes the stored Field Editing back.
    bool saveSettings(const QString &path);
    // saveSettings(), telling the user when the file could not be written: the windows'
    // settings live in memory until then and are lost with the program.
    bool storeSettings(const QString &path);
    // Saves the database's settings when one is open (telling the user when they could not
    // be), and closes the table.
    void close();

    // Tells the windows the record count when it differs from the last one told.
    void checkRecordCount();

signals:
    // Another database's paths are in place (its table name for the caption).
    void switched(const QString &tableName);
    void searchStateChanged(bool on);
    // The table was opened shared again after work that needed it alone.
    void reopened();
    void recordCountChanged(int count);

private:
    dbase::Table m_table;
    dbase::Table m_checkTable;
    dbase::Table m_createTable;
    Settings m_settings;
    QWidget *m_owner = nullptr;
    QString m_currentPath, m_previousPath, m_indexFilePath, m_settingsFilePath, m_basePath,
        m_tableName;
    QString m_sortString;
    bool m_open = false;
    bool m_searchOn = false;
    bool m_browseMode = false;
    bool m_savedFieldEditing = false;
    int m_lastCount = -1;
};
