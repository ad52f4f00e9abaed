// TMain: the main window. It owns the open coin table and the settings record, opens and
// creates databases, keeps the recent-files list and saves the settings on closing.
#pragma once

#include "database_files.h"
#include "settings.h"
#include "table.h"

#include <QMainWindow>
#include <functional>
#include <memory>

namespace Ui
{
class TMain;
}
class QAction;
class TableModel;

class TMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit TMain(QWidget *parent = nullptr);
    ~TMain() override;

    // Start-up: reads the settings, opens the last database (or creates the first one) and
    // reads the command line. False when the program has to end.
    bool FormCreate(const QStringList &arguments);
    void FormShow();

    // Database files.
    bool CheckDBaseFormat(QWidget *owner, const QString &path);
    bool DBaseInUse(const QString &path);
    void RemoveMDXByte(const QString &path);
    // The table's filter: every record, or the search form's matches while a search is on.
    bool MyTableFilter(const dbase::Table &table) const;
    bool MakeNewDB(const QString &path);
    void DoOpen();
    void DoNew();
    void OpenSaveFile(const QString &path);
    void DoLastFiles(const QString &previous, const QString &current);
    void SetMenuLastFiles();
    void MenuUpdateDatabaseClick();
    void DoFileSpecific();
    void BuildSortString();
    void DoExit();

    // Search state.
    void EnableEndSearch();
    void DisableEndSearch();
    void DoEndSearch();

    void SetViewerOptions();
    void DisplayCount();

    // Runs a command; a database error ends it with the engine's message.
    void runCommand(const std::function<void()> &command);

    // The pick lists of the record editor, saved and loaded around a change of database.
    std::function<void(const QString &basePath)> SaveAllLists;
    std::function<void(const QString &basePath)> LoadAllList;
    std::function<void()> LoadDefaultList;

    dbase::Table MyTable;
    dbase::Table MyCheckTable;
    dbase::Table MyCreateTable;
    Settings settings;
    bool SearchOn = false;
    bool BrowseMode = false;
    // The search form's test of a record while a search is on.
    std::function<bool(const dbase::Table &)> SearchTest;

    // Open-database state.
    QString CurrentDatabasePath;
    QString PreviousDatabasePath;
    QString IndexFilePath;
    QString DatabaseSettingsPath;
    QString BasePath;
    QString SortString;
    QString TableName;

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void FormClose();
    void setDatabasePaths(const QString &path);
    void openFromPath(const QString &path, bool fromDialog);
    void switchDatabase(const QString &path, bool newDatabase);
    void loadDatabaseSettings(const QString &path);
    void saveDatabaseSettings(const QString &path);
    void openTable();
    void applyIndexOnOpen(bool checkInUse);
    QAction *lastFileAction(int n) const;

    std::unique_ptr<Ui::TMain> ui;
    TableModel *m_model = nullptr;
    QAction *MenuExitSep = nullptr;
    bool m_databaseOpen = false; // a database was opened (false during start-up's first pass)
    bool m_savedFieldEditing = false;
    bool m_shown = false;
};
