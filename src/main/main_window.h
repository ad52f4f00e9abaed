// TMain: the main window. It owns the open database (CoinDatabase: the coin table, its
// paths, sort order, search and browse state and the settings), shows the table in the
// viewer grid, offers every command through its menus, speed buttons and
// lettered buttons, opens and creates databases, keeps the recent-files list, and saves
// the settings on closing.
#pragma once

#include "app/settings.h"
#include "db/coin_database.h"
#include "dbase/table.h"
#include "editor/pick_lists.h"
#include "editor/record_editor.h"
#include "main/viewer_model.h"
#include "platform/regional.h"

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
class FindCommands;

// The navigator's buttons, left to right.
enum class NavigatorButton {
    First,
    Prior,
    Next,
    Last,
    Insert,
    Delete,
    Edit,
    Post,
    Cancel,
    Refresh
};

class TMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit TMain(QWidget *parent = nullptr);
    ~TMain() override;

    // Start-up: reads the settings, opens the last database (or creates the first one),
    // applies the display choices and reads the command line. False when the program has
    // to end.
    bool FormCreate(const QStringList &arguments);
    void FormShow();

    // The open database.
    CoinDatabase &database() { return m_db; }
    const CoinDatabase &database() const { return m_db; }

    // Database files.
    void DoOpen();
    void DoNew();
    void OpenSaveFile(const QString &path);
    void DoLastFiles(const QString &previous, const QString &current);
    void SetMenuLastFiles();
    void MenuUpdateDatabaseClick();
    void DoFileSpecific();

    // Commands. Those whose dialogs arrive later run here and open nothing yet.
    void DoAdd();
    void DoEdit();
    void DoCopy();
    // Shows the editor for a new coin, the current one or a copy of it.
    void showEditor(EditorMode mode);
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
    void DoColor(colors::Target target);
    void DoSearchReplace();
    void DoListMaintenance(int code);
    void DoHelp();
    void MenuAboutClick();
    // The tip of the day: at the first activation when Show Tips is on, and on request.
    void FormActivate();
    void MenuTipsClick();
    void DoExit();
    void MenuSaveDefaultsClick();
    void MenuPackClick();
    void MenuRebuildClick();
    // After work that needed the table alone: open it shared again and show it.
    void reopenShared();
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

    // Saves the current pick lists as the defaults of new databases.
    std::function<void()> SaveDefaultLists;

    // The Country, Topic and Condition lists (the editor's copy and the grid's boxes).
    PickLists lists;
    // The record editor, made at start-up once the database is open.
    TMyEdit *MyEdit = nullptr;
    RegionalSettings regional;
    QSize screenSize;
    QFont labelFont, editFont, buttonFont, gridFont, gridTitleFont;

    QAction *action(const QString &objectName) const;

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWindow();
    void buildSpeedBar();
    void buildLetteredButtons();
    void buildNavigator();
    void buildViewer();
    QAction *makeAction(const char *name, const QString &caption, const QString &shortcut,
                        const std::function<void()> &routine);
    void makeCommands();
    QMenu *addMenu(QWidget *parentMenu, const char *name, const char *caption);
    void addCommands(QMenu *menu, std::initializer_list<const char *> names);
    void buildMenus();
    void buildFileMenu();
    void buildOptionsMenu();
    void FormClose();
    // A value typed into a grid cell whose editor is still open goes to the table.
    void commitGridEdit();
    void openFromPath(const QString &path, bool fromDialog);
    void openTable();
    void applyBrowseMode();
    // Every command's enabled state, from the database's state (browse mode, search on).
    void updateActions();
    void updateNavigator();
    void applyMainFonts();
    void readFonts();
    void syncGridToTable();
    QVector<ViewerModel::Column> visibleColumns() const;
    void navigate(NavigatorButton button);
    FindCommands &finder(); // the search form and the locate component, made at first use
    QAction *lastFileAction(int n) const;
    QMenu *menu(const QString &objectName) const;

    CoinDatabase m_db;
    QWidget *m_client = nullptr;
    QTableView *ViewerGrid = nullptr;
    ViewerModel *m_model = nullptr;
    QLabel *ViewerLabel = nullptr, *CountLabel = nullptr, *Count2Label = nullptr,
           *SearchOnLabel = nullptr, *NavigatorLabel = nullptr;
    QFrame *ViewerBevel = nullptr, *SpeedPanel = nullptr, *MyNavigator = nullptr;
    QFrame *Bevel[4] = {};
    QComboBox *MyComboCountry = nullptr, *MyComboTopic = nullptr, *MyComboCondition = nullptr;
    QHash<QString, QAction *> m_actions;
    QHash<QString, QMenu *> m_menus;
    QHash<QAction *, unsigned> m_rules; // each command's enabling rule
    QVector<QPushButton *> m_buttons;   // the lettered buttons
    QVector<QToolButton *> m_navButtons;
    QAction *MenuExitSep = nullptr;
    QActionGroup *m_dateGroup = nullptr;
    double m_scaleFactor = 1.0;
    int m_checkedSize = 640;
    bool m_shown = false;
    bool m_activated = false;
    bool m_closed = false;
    std::unique_ptr<FindCommands> m_find;
};
