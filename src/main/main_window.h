// TMain: the main window. It owns the open coin table and the settings record, shows the
// table in the viewer grid, offers every command through its menus, speed buttons and
// lettered buttons, opens and creates databases, keeps the recent-files list, and saves
// the settings on closing.
#pragma once

#include "database_files.h"
#include "pick_lists.h"
#include "regional.h"
#include "settings.h"
#include "table.h"

#include <QFont>
#include <QHash>
#include <QMainWindow>
#include <functional>
#include <memory>

class QAction;
class QActionGroup;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QTableView;
class QToolButton;
class QWidget;
class ViewerModel;
class TMyEdit;
class FindCommands;

class TMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TMain(QWidget *parent = nullptr);
    ~TMain() override;

    // Start-up: reads the settings, opens the last database (or creates the first one),
    // applies the display choices and reads the command line. False when the program has
    // to end.
    bool FormCreate(const QStringList &arguments);
    void FormShow();

    // Database files.
    bool CheckDBaseFormat(QWidget *owner, const QString &path);
    bool DBaseInUse(const QString &path);
    void RemoveMDXByte(const QString &path);
    bool MakeNewDB(const QString &path);
    void DoOpen();
    void DoNew();
    void OpenSaveFile(const QString &path);
    void DoLastFiles(const QString &previous, const QString &current);
    void SetMenuLastFiles();
    void MenuUpdateDatabaseClick();
    void DoFileSpecific();
    void BuildSortString();
    // The table's filter: every record, or the search form's matches while a search is on.
    bool MyTableFilter(const dbase::Table &table) const;

    // Commands. Those whose dialogs arrive later run here and open nothing yet.
    void DoAdd();
    void DoEdit();
    void DoCopy();
    // Shows the editor in EditorMode 1 (new), 2 (edit the current coin) or 3 (copy it).
    void showEditor(int mode);
    void DoDelete();
    void DoImport();
    void DoExport();
    void DoSearch();
    void DoFind();
    void DoFindNext();
    void DoReports();
    void DoViewer();
    void DoSortOrder();
    void DoBackup();
    void DoRestore();
    void DoColor(int scheme); // 1..5, 6 = all windows
    void DoSearchReplace();
    void DoListMaintenance(int code);
    void DoHelp();
    // The tip of the day: at the first activation when Show Tips is on, and on request.
    void FormActivate();
    void MenuTipsClick();
    void DoExit();
    void MenuSaveDefaultsClick();
    void MenuPackClick();
    void MenuRebuildClick();
    // Writes the database's settings; browse mode writes the stored Field Editing back.
    bool saveDatabaseSettings(const QString &path);
    // After work that needed the table alone: open it shared again and show it.
    void reopenShared();
    // Opens MyTable as it is set up; an index file that cannot be used is rebuilt from the
    // sort expression and the user told so.
    void openMyTable();
    void noticeIndexRebuilt();
    void MenuLoadDefaultsClick();

    // Search state.
    void EnableEndSearch();
    void DisableEndSearch();
    void DoEndSearch();

    // Layout and the grid.
    void SetButtonBar();
    void FormResize();
    void SetViewerOptions();
    void DisplayCount();
    void SetColors();

    // Display formats and window options.
    void applyDateStyle();
    void chooseDateStyle(int code);
    void MenuDateLeadingZerosClick();
    void MenuDateMDYSlashClick();
    void MenuDateMDYDashClick();
    void MenuDateMDYDotClick();
    void MenuDateDMYSlashClick();
    void MenuDateDMYDashClick();
    void MenuDateDMYDotClick();
    void MenuDateMDYSlashYrClick();
    void MenuDateMDYDashYrClick();
    void MenuDateMDYDotYrClick();
    void MenuDateDMYSlashYrClick();
    void MenuDateDMYDashYrClick();
    void MenuDateDMYDotYrClick();
    void MenuCurrencyUSClick();
    void MenuCurrencyWinClick();
    void MenuNumericUSClick();
    void MenuNumericWinClick();
    void N640x480Click();
    void N800x600Click();
    void N1024x768Click();
    void N1280x1024Click();
    void MenuMaintainCountryClick();
    void MenuMaintainTopicClick();
    void MenuMaintainConditionClick();
    void MenuMaintainMiscClick();
    void chooseCurrencyFormat(int format);
    void chooseNumericFormat(int format);
    void chooseWindowSize(int size);
    void checkWindowSize(int shown);
    void MenuLabelFontClick();
    void MenuEditFontClick();
    void MenuButtonFontClick();
    // Fonts, scaling and centring for a dialog about to be shown.
    void placeDialog(QWidget *dialog) const;
    double scaleFactor() const { return m_scaleFactor; }
    QString moneyText(int minWidth, double value) const;
    QString numberText(int minWidth, int decimals, double value) const;

    // Runs a command; a database error ends it with the engine's message.
    void runCommand(const std::function<void()> &command);

    // Hooks filled by the windows of later parts.
    std::function<void(const QString &basePath)> SaveAllLists;
    std::function<void(const QString &basePath)> LoadAllList;
    std::function<void()> LoadDefaultList;
    std::function<void()> SaveDefaultLists;
    std::function<bool(const dbase::Table &)> SearchTest;

    // The Country, Topic and Condition lists (the editor's copy and the grid's boxes).
    PickLists lists;
    // The record editor, made at start-up once the database is open.
    TMyEdit *MyEdit = nullptr;
    dbase::Table MyTable;
    dbase::Table MyCheckTable;
    dbase::Table MyCreateTable;
    Settings settings;
    RegionalSettings regional;
    QSize screenSize;
    bool SearchOn = false;
    bool BrowseMode = false;
    int EditorMode = 0;
    QFont labelFont, editFont, buttonFont, gridFont, gridTitleFont;

    // Open-database state.
    QString CurrentDatabasePath;
    QString PreviousDatabasePath;
    QString IndexFilePath;
    QString DatabaseSettingsPath;
    QString BasePath;
    QString SortString;
    QString TableName;

    QAction *action(const QString &objectName) const;

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWindow();
    void buildMenus();
    void FormClose();
    void setDatabasePaths(const QString &path);
    void openFromPath(const QString &path, bool fromDialog);
    void switchDatabase(const QString &path, bool newDatabase);
    void loadDatabaseSettings(const QString &path);
    void openTable();
    void applyIndexOnOpen(bool checkInUse);
    void applyBrowseMode();
    void updateButtonStates();
    void updateNavigator();
    void applyMainFonts();
    void readFonts();
    void syncGridToTable();
    void navigate(int button);
    FindCommands &finder(); // the search form and the locate component, made at first use
    QAction *lastFileAction(int n) const;
    QMenu *menu(const QString &objectName) const;

    QWidget *m_client = nullptr;
    QTableView *ViewerGrid = nullptr;
    ViewerModel *m_model = nullptr;
    QLabel *ViewerLabel = nullptr, *CountLabel = nullptr, *Count2Label = nullptr, *SearchOnLabel = nullptr,
           *NavigatorLabel = nullptr;
    QFrame *ViewerBevel = nullptr, *SpeedPanel = nullptr, *MyNavigator = nullptr;
    QFrame *Bevel[4] = {};
    QComboBox *MyComboCountry = nullptr, *MyComboTopic = nullptr, *MyComboCondition = nullptr;
    QHash<QString, QAction *> m_actions;
    QHash<QString, QMenu *> m_menus;
    QHash<QString, QToolButton *> m_speed;
    QHash<QString, QPushButton *> m_buttons;
    QVector<QToolButton *> m_navButtons;
    QAction *MenuExitSep = nullptr;
    QActionGroup *m_dateGroup = nullptr;
    double m_scaleFactor = 1.0;
    int m_checkedSize = 640;
    bool m_databaseOpen = false;
    bool m_savedFieldEditing = false;
    bool m_shown = false;
    bool m_activated = false;
    bool m_closed = false;
    std::unique_ptr<FindCommands> m_find;
};
