// TMain's window: the command table behind the menus, speed buttons and lettered buttons,
// the three screen-access layouts, the viewer grid, the search state, browse mode, the
// display format and font choices, and the main window colours.
#include "main/main_window.h"

#include "config/color_config.h"
#include "config/color_scheme.h"
#include "config/font_setting.h"
#include "config/viewer_config.h"
#include "db/coin_schema.h"
#include "dbase/error.h"
#include "editor/list_dialogs.h"
#include "editor/record_editor.h"
#include "exchange/backup_window.h"
#include "exchange/export_window.h"
#include "exchange/import_window.h"
#include "find/find_commands.h"
#include "main/sort_order.h"
#include "main/tips.h"
#include "main/viewer_model.h"
#include "platform/help_window.h"
#include "platform/long_work.h"
#include "platform/modal.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "reports/report_windows.h"
#include "ui/formats.h"
#include "ui/window_options.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QRandomGenerator>
#include <QResizeEvent>
#include <QStandardPaths>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

#include <optional>

namespace
{

// A drawn picture for a speed or navigator button, for a machine without any icon theme.
QIcon drawnIcon(const QString &glyph, const QColor &color)
{
    QPixmap pm(20, 20);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(color.darker(150));
    p.setBrush(color);
    p.drawRoundedRect(QRectF(1, 1, 18, 18), 4, 4);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(glyph.size() > 1 ? 9 : 13);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, 20, 20), Qt::AlignCenter, glyph);
    return QIcon(pm);
}

// The first of the names the icon theme has (the first name stays the icon's name for the
// desktop's own theme to look up); the drawn picture only where no theme has any.
QIcon themeIcon(const char *names, const QIcon &drawn)
{
    const QStringList candidates = QString::fromLatin1(names).split(QLatin1Char('|'));
    for (const QString &name : candidates)
        if (QIcon::hasThemeIcon(name)) return QIcon::fromTheme(name);
    return drawn;
}

// The pictures come from the desktop's icon theme; where it lacks one, or there is no
// desktop at all (a bare X server, the tests' offscreen screen), from the theme the set-up
// scripts install.
void useIconThemes()
{
    QStringList paths = QIcon::themeSearchPaths();
    for (const QString &dir :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        const QString icons = dir + QStringLiteral("/icons");
        if (!paths.contains(icons)) paths << icons;
    }
    QIcon::setThemeSearchPaths(paths);
    if (QIcon::themeName().isEmpty())
        QIcon::setThemeName(QStringLiteral("hicolor")); // the base every theme inherits
    if (QIcon::fallbackThemeName().isEmpty() ||
        QIcon::fallbackThemeName() == QLatin1String("hicolor"))
        QIcon::setFallbackThemeName(QStringLiteral("breeze"));
}

// What decides whether a command is enabled; updateActions() reads it.
enum Rule : unsigned {
    Always = 0,
    ChangesData = 1, // off in browse mode
    NeedsSearch = 2, // on while a search is on
};

// A command of the main window: made once as a QAction that the menu item, the speed
// button and the lettered button all show. The hint, picture and glyph belong to commands
// with a speed button.
struct CommandDef {
    const char *name; // the action's object name
    const char *caption;
    const char *shortcut;
    const char *hint;
    const char *theme; // icon theme names, the first found is used
    const char *glyph; // the drawn picture where no theme has one
    unsigned rule;
    void (*run)(TMain &);
};

// Every command, in menu order.
const CommandDef kCommands[] = {
    {"MenuNew", "&New Database", "Ctrl+W", "New Database", "document-new", "N", Always,
     [](TMain &w) { w.DoNew(); }},
    {"MenuOpen", "&Open Database", "Ctrl+O", "Open Database", "document-open", "O", Always,
     [](TMain &w) { w.DoOpen(); }},
    {"MenuUpdateDatabase", "&Update Database", "Ctrl+Z", nullptr, nullptr, nullptr, Always,
     [](TMain &w) { w.MenuUpdateDatabaseClick(); }},
    {"MenuBackup", "&Back Up Data", "Ctrl+B", nullptr, nullptr, nullptr, ChangesData,
     [](TMain &w) { w.DoBackup(); }},
    {"MenuRestore", "&Restore Data", "Ctrl+Y", nullptr, nullptr, nullptr, ChangesData,
     [](TMain &w) { w.DoRestore(); }},
    {"MenuPrint", "&Print", "Ctrl+P", nullptr, nullptr, nullptr, Always,
     [](TMain &w) { w.DoReports(); }},
    {"MenuExit", "E&xit", "Ctrl+X", nullptr, nullptr, nullptr, Always,
     [](TMain &w) { w.DoExit(); }},

    {"MenuAdd", "&Add", "Ctrl+A", "Add Record", "list-add", "+", ChangesData,
     [](TMain &w) { w.DoAdd(); }},
    {"MenuEdit", "&Edit", "Ctrl+E", "Edit Record", "document-edit|document-properties", "E", Always,
     [](TMain &w) { w.DoEdit(); }},
    {"MenuCopy", "&Copy", "Ctrl+C", "Copy Record", "edit-copy", "C", ChangesData,
     [](TMain &w) { w.DoCopy(); }},
    {"MenuDelete", "&Delete", "Ctrl+D", "Delete Record", "edit-delete", "X", ChangesData,
     [](TMain &w) { w.DoDelete(); }},
    {"MenuImport", "&Import", "Ctrl+M", "Import Records", "document-import|document-open", "Im",
     ChangesData, [](TMain &w) { w.DoImport(); }},
    {"MenuExport", "E&xport", "Ctrl+T", "Export Records", "document-export|document-save-as", "Ex",
     Always, [](TMain &w) { w.DoExport(); }},

    {"MenuSearch", "&Search (Query)", "Ctrl+S", "Search Records", "system-search", "S", Always,
     [](TMain &w) { w.DoSearch(); }},
    {"MenuEndSearch", "&End Search", "Ctrl+I", "End Search", "edit-clear", "ES", NeedsSearch,
     [](TMain &w) { w.DoEndSearch(); }},
    {"MenuFind", "&Locate", "Ctrl+L", "Locate Record", "edit-find", "L", Always,
     [](TMain &w) { w.DoFind(); }},
    {"MenuFindNext", "Locate &Next", "Ctrl+N", "Locate Next Record",
     "go-down-search|edit-find-next|go-next", "LN", Always, [](TMain &w) { w.DoFindNext(); }},

    {"MenuViewer", "&Viewer", "Ctrl+V", "Viewer Configuration",
     "view-list-details|preferences-system", "V", ChangesData, [](TMain &w) { w.DoViewer(); }},
    {"MenuSortOrder", "Sort &Order", "Ctrl+Q", "Set Sorting Order", "view-sort-ascending", "SO",
     Always, [](TMain &w) { w.DoSortOrder(); }},
    {"MenuMainColor", "&Main Window Color", "Ctrl+F4", nullptr, nullptr, nullptr, Always,
     [](TMain &w) { w.DoColor(colors::Target::Main); }},
    {"MenuEditColor", "&Edit Window Color", "Ctrl+F5", nullptr, nullptr, nullptr, Always,
     [](TMain &w) { w.DoColor(colors::Target::Edit); }},
    {"MenuSearchColor", "&Search Window Color", "Ctrl+F6", nullptr, nullptr, nullptr, Always,
     [](TMain &w) { w.DoColor(colors::Target::Search); }},
    {"MenuReportColor", "&Report Window Color", "Ctrl+F7", nullptr, nullptr, nullptr, Always,
     [](TMain &w) { w.DoColor(colors::Target::Report); }},
    {"MenuConfigureColor", "&Configure Window Color", "Ctrl+F8", nullptr, nullptr, nullptr, Always,
     [](TMain &w) { w.DoColor(colors::Target::Configure); }},
    {"MenuAllColor", "&ALL Windows Color", "Ctrl+F9", "Color Setup",
     "preferences-desktop-color|format-fill-color", "Co", Always,
     [](TMain &w) { w.DoColor(colors::Target::AllWindows); }},
    {"MenuLabelFont", "&Label Font", "Shift+F8", nullptr, nullptr, nullptr, Always,
     [](TMain &w) { w.MenuLabelFontClick(); }},
    {"MenuEditFont", "&Edit Font", "Shift+F9", nullptr, nullptr, nullptr, Always,
     [](TMain &w) { w.MenuEditFontClick(); }},
    {"MenuButtonFont", "&Button Font", "Shift+F10", nullptr, nullptr, nullptr, Always,
     [](TMain &w) { w.MenuButtonFontClick(); }},

    {"MenuReports", "&Reports", "Ctrl+R", "Reports", "document-print", "R", Always,
     [](TMain &w) { w.DoReports(); }},
    {"MenuSaveDefaults", "&Save As Defaults", "", nullptr, nullptr, nullptr, Always,
     [](TMain &w) { w.MenuSaveDefaultsClick(); }},
    {"MenuLoadDefaults", "Load In &Defaults", "", nullptr, nullptr, nullptr, Always,
     [](TMain &w) { w.MenuLoadDefaultsClick(); }},
    {"MenuListCountry", "&Country", "", nullptr, nullptr, nullptr, Always,
     [](TMain &w) { w.MenuMaintainCountryClick(); }},
    {"MenuListTopic", "&Topic", "", nullptr, nullptr, nullptr, Always,
     [](TMain &w) { w.MenuMaintainTopicClick(); }},
    {"MenuListCondition", "C&ondition", "", nullptr, nullptr, nullptr, Always,
     [](TMain &w) { w.MenuMaintainConditionClick(); }},
    {"MenuListMisc", "&Miscellaneous", "", nullptr, nullptr, nullptr, Always,
     [](TMain &w) { w.MenuMaintainMiscClick(); }},
    {"MenuSearchReplace", "&Search and Replace", "Ctrl+F", nullptr, nullptr, nullptr, ChangesData,
     [](TMain &w) { w.DoSearchReplace(); }},
    {"MenuRebuild", "&Rebuild Indexes", "", nullptr, nullptr, nullptr, Always,
     [](TMain &w) { w.MenuRebuildClick(); }},
    {"MenuPack", "&Pack Database", "", nullptr, nullptr, nullptr, Always,
     [](TMain &w) { w.MenuPackClick(); }},

    {"MenuContents", "&Contents", "Ctrl+H", "Help", "help-contents", "?", Always,
     [](TMain &w) { w.DoHelp(); }},
    {"MenuTips", "&Review \"Tips of the Day\"", "", nullptr, nullptr, nullptr, Always,
     [](TMain &w) { w.MenuTipsClick(); }},
    {"MenuAbout", "&About", "", nullptr, nullptr, nullptr, Always,
     [](TMain &w) { w.MenuAboutClick(); }},
};

const CommandDef &command(const char *name)
{
    for (const CommandDef &c : kCommands)
        if (qstrcmp(c.name, name) == 0) return c;
    Q_UNREACHABLE();
}

// The speed bar, left to right: button name and command.
const char *const kSpeedButtons[][2] = {
    {"NewSpeed", "MenuNew"},        {"OpenSpeed", "MenuOpen"},
    {"AddSpeed", "MenuAdd"},        {"EditSpeed", "MenuEdit"},
    {"CopySpeed", "MenuCopy"},      {"DeleteSpeed", "MenuDelete"},
    {"ImportSpeed", "MenuImport"},  {"ExportSpeed", "MenuExport"},
    {"SearchSpeed", "MenuSearch"},  {"EndSearchSpeed", "MenuEndSearch"},
    {"LocateSpeed", "MenuFind"},    {"LocateNextSpeed", "MenuFindNext"},
    {"ReportSpeed", "MenuReports"}, {"ViewerSpeed", "MenuViewer"},
    {"ColorSpeed", "MenuAllColor"}, {"SpeedSetOrder", "MenuSortOrder"},
    {"HelpSpeed", "MenuContents"},
};

struct ButtonDef {
    const char *name;
    const char *caption;
    const char *command;
    int bevel;
    int x, y;
};

// Ten lettered buttons in four framed groups.
const ButtonDef kLetteredButtons[10] = {
    {"AddButton", "&Add", "MenuAdd", 0, 5, 8},
    {"EditButton", "&Edit", "MenuEdit", 0, 77, 8},
    {"CopyButton", "&Copy", "MenuCopy", 0, 5, 44},
    {"DeleteButton", "&Delete", "MenuDelete", 0, 77, 44},
    {"SearchButton", "&Search", "MenuSearch", 1, 5, 8},
    {"EndSearchButton", "E&nd Srch", "MenuEndSearch", 1, 5, 44},
    {"ReportButton", "&Reports", "MenuReports", 2, 5, 8},
    {"ViewerButton", "&Viewer", "MenuViewer", 2, 5, 44},
    {"HelpButton", "He&lp", "MenuContents", 3, 5, 8},
    {"ButtonExit", "E&xit", "MenuExit", 3, 5, 44},
};
const QRect kBevels[4] = {{4, 4, 150, 78}, {156, 4, 78, 78}, {236, 4, 78, 78}, {316, 4, 78, 78}};

// A lettered button: it runs its command and is enabled when the command is and the
// lettered buttons are the chosen screen access.
class CommandButton : public QPushButton
{
public:
    CommandButton(QAction *command, const QString &caption, QWidget *parent)
        : QPushButton(caption, parent), m_command(command)
    {
        connect(this, &QPushButton::clicked, command, &QAction::trigger);
        connect(command, &QAction::changed, this, [this] { follow(); });
        follow();
    }
    void setBarShown(bool shown)
    {
        m_barShown = shown;
        follow();
    }

private:
    void follow() { setEnabled(m_barShown && m_command->isEnabled()); }
    QAction *m_command;
    bool m_barShown = false;
};

const char *const kNavigatorHints[10] = {
    "First record",  "Prior record", "Next record", "Last record", "Insert record",
    "Delete record", "Edit record",  "Post edit",   "Cancel edit", "Refresh data"};
const char *const kNavigatorGlyphs[10] = {"|<", "<", ">", ">|", "+", "-", "^", "v", "x", "@"};
const char *const kNavigatorIcons[10] = {"go-first",
                                         "go-previous",
                                         "go-next",
                                         "go-last",
                                         "list-add",
                                         "list-remove",
                                         "document-edit|document-properties",
                                         "document-save|dialog-ok",
                                         "edit-undo|dialog-cancel",
                                         "view-refresh"};

// The grid's in-cell editors for Country, Topic and Condition: the main window's three
// drop-down boxes lend their items.
class ComboDelegate : public QStyledItemDelegate
{
public:
    ComboDelegate(ViewerModel *model, QHash<int, QComboBox *> combos, QObject *parent)
        : QStyledItemDelegate(parent), m_model(model), m_combos(std::move(combos))
    {
    }
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override
    {
        const int field = m_model->columns().value(index.column()).field;
        QComboBox *source = m_combos.value(field);
        if (!source) {
            // Typing stops where the field ends, as in the record editor.
            QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
            if (auto *line = qobject_cast<QLineEdit *>(editor))
                line->setMaxLength(coin::kFields[field].entrySize);
            return editor;
        }
        auto *editor = new QComboBox(parent);
        editor->setEditable(true);
        for (int i = 0; i < source->count(); ++i)
            editor->addItem(source->itemText(i));
        editor->lineEdit()->setMaxLength(coin::kFields[field].entrySize);
        editor->completer()->setCaseSensitivity(Qt::CaseSensitive); // keeps the typed letter case
        return editor;
    }
    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        if (auto *combo = qobject_cast<QComboBox *>(editor))
            combo->setCurrentText(index.data(Qt::EditRole).toString());
        else
            QStyledItemDelegate::setEditorData(editor, index);
    }
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        const QWidget *view = option.widget;
        if (!view) return;
        painter->save();
        painter->setPen(QColor(128, 128, 128));
        if (view->property("rowLines").toBool())
            painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        if (view->property("columnLines").toBool())
            painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
        painter->restore();
    }
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override
    {
        if (auto *combo = qobject_cast<QComboBox *>(editor))
            model->setData(index, combo->currentText(), Qt::EditRole);
        else
            QStyledItemDelegate::setModelData(editor, model, index);
    }

private:
    ViewerModel *m_model;
    QHash<int, QComboBox *> m_combos;
};

QFont pixelFont(int pixels, bool bold = false)
{
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

} // namespace

TMain::TMain(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("TMain"));
    useIconThemes();
    buildMenus();
    buildWindow();
    lists.setGridCombos(MyComboCountry, MyComboTopic, MyComboCondition);
    m_db.saveLists = [this](const QString &base) { return lists.SaveAllLists(base); };
    m_db.loadLists = [this](const QString &base) { lists.LoadAllList(base); };
    m_db.loadDefaultLists = [this] { lists.LoadDefaultList(); };
    SaveDefaultLists = [this] { lists.SaveDefaultLists(this); };
    connect(&m_db, &CoinDatabase::reopened, this, &TMain::SetViewerOptions);
    connect(&m_db, &CoinDatabase::searchStateChanged, this, &TMain::updateActions);
    connect(&m_db, &CoinDatabase::recordCountChanged, this, &TMain::updateActions);
    connect(&m_db, &CoinDatabase::switched, this, [this](const QString &tableName) {
        setWindowTitle(QStringLiteral("Numarok (") + tableName + QLatin1Char(')'));
    });
    resize(640, 480);
}

TMain::~TMain()
{
    // The model and the editor use m_db.table(), which goes before the window's children do.
    delete MyEdit;
    delete m_model;
}

QAction *TMain::action(const QString &objectName) const
{
    return m_actions.value(objectName);
}

QMenu *TMain::menu(const QString &objectName) const
{
    return m_menus.value(objectName);
}

QAction *TMain::lastFileAction(int n) const
{
    return action(QStringLiteral("MenuLastFile%1").arg(n));
}

void TMain::runCommand(const std::function<void()> &command)
{
    try {
        // Neither a menu nor a button takes the focus from a cell editor: its value is stored
        // before the command may reset the grid.
        commitGridEdit();
        command();
    } catch (const dbase::Error &e) {
        Prompts::error(this, QString::fromStdString(e.what()));
    }
    DisplayCount();
}

// ---- commands and menus ------------------------------------------------------------------

QAction *TMain::makeAction(const char *name, const QString &caption, const QString &shortcut,
                           const std::function<void()> &routine)
{
    auto *a = new QAction(caption, this);
    a->setObjectName(QLatin1String(name));
    if (!shortcut.isEmpty()) a->setShortcut(QKeySequence(shortcut));
    m_actions.insert(QLatin1String(name), a);
    connect(a, &QAction::triggered, this, [this, routine] { runCommand(routine); });
    return a;
}

void TMain::makeCommands()
{
    for (const CommandDef &c : kCommands) {
        const auto run = c.run;
        QAction *a = makeAction(c.name, QString::fromUtf8(c.caption), QLatin1String(c.shortcut),
                                [this, run] { run(*this); });
        if (c.hint) {
            a->setToolTip(QLatin1String(c.hint));
            a->setIcon(themeIcon(c.theme, drawnIcon(QLatin1String(c.glyph), QColor(40, 90, 160))));
            a->setIconVisibleInMenu(false); // the menus show captions only
        }
        m_rules.insert(a, c.rule);
    }
}

QMenu *TMain::addMenu(QWidget *parentMenu, const char *name, const char *caption)
{
    QMenu *m = new QMenu(QString::fromUtf8(caption), parentMenu);
    m->setObjectName(QLatin1String(name));
    m_menus.insert(QLatin1String(name), m);
    if (auto *menuBar = qobject_cast<QMenuBar *>(parentMenu))
        menuBar->addMenu(m);
    else
        qobject_cast<QMenu *>(parentMenu)->addMenu(m);
    return m;
}

// Adds the named commands to a menu; an empty name is a separator.
void TMain::addCommands(QMenu *menu, std::initializer_list<const char *> names)
{
    for (const char *name : names) {
        if (!*name)
            menu->addSeparator();
        else
            menu->addAction(action(QLatin1String(command(name).name)));
    }
}

void TMain::buildMenus()
{
    makeCommands();
    buildFileMenu();
    QMenuBar *bar = menuBar();
    addCommands(addMenu(bar, "MenuRecords", "&Records"),
                {"MenuAdd", "MenuEdit", "MenuCopy", "MenuDelete", "", "MenuImport", "MenuExport"});
    addCommands(addMenu(bar, "MenuNavigate", "Navi&gate"),
                {"MenuSearch", "MenuEndSearch", "", "MenuFind", "MenuFindNext"});
    buildOptionsMenu();
    QMenu *tools = addMenu(bar, "MenuTools", "&Tools");
    addCommands(tools, {"MenuReports"});
    addCommands(addMenu(tools, "MenuListMaintenance", "List &Maintenance"),
                {"MenuSaveDefaults", "MenuLoadDefaults", "", "MenuListCountry", "MenuListTopic",
                 "MenuListCondition", "MenuListMisc"});
    addCommands(tools, {"MenuSearchReplace", "", "MenuRebuild", "MenuPack"});
    addCommands(addMenu(bar, "MenuHelp", "&Help"), {"MenuContents", "MenuTips", "", "MenuAbout"});
}

void TMain::buildFileMenu()
{
    QMenu *file = addMenu(menuBar(), "MenuFile", "&File");
    addCommands(file, {"MenuNew", "MenuOpen", "MenuUpdateDatabase", "", "MenuBackup", "MenuRestore",
                       "", "MenuPrint", "", "MenuExit"});
    MenuExitSep = file->addSeparator();
    MenuExitSep->setObjectName(QStringLiteral("MenuExitSep"));
    m_actions.insert(QStringLiteral("MenuExitSep"), MenuExitSep);
    for (int n = 1; n <= 5; ++n) {
        const QByteArray name = "MenuLastFile" + QByteArray::number(n);
        QAction *a = makeAction(name.constData(), QString(), QString(),
                                [this, n] { OpenSaveFile(m_db.settings().lastFiles[n - 1]); });
        file->addAction(a);
        a->setVisible(false);
    }
    MenuExitSep->setVisible(false);
}

void TMain::buildOptionsMenu()
{
    QMenu *options = addMenu(menuBar(), "MenuOptions", "&Options");
    addCommands(options, {"MenuViewer", "MenuSortOrder", ""});
    QMenu *size = addMenu(options, "MenuScreenSize", "Screen Si&ze");
    const int sizes[4] = {640, 800, 1024, 1280};
    for (int i = 0; i < 4; ++i) {
        const QSize s = formats::sizeOfChoice(sizes[i]);
        const QByteArray name =
            "N" + QByteArray::number(s.width()) + "x" + QByteArray::number(s.height());
        const int choice = sizes[i];
        QAction *a = makeAction(
            name.constData(), QStringLiteral("%1 x %2").arg(s.width()).arg(s.height()),
            QStringLiteral("Shift+F%1").arg(i + 1), [this, choice] { chooseWindowSize(choice); });
        a->setCheckable(true);
        size->addAction(a);
    }
    QMenu *access = addMenu(options, "MenuScreenAccess", "&Screen Access");
    const char *accessNames[3] = {"MenuSpeed", "MenuButtons", "MenuNoButtons"};
    const char *accessCaptions[3] = {"&Speed Buttons", "&Lettered Buttons", "&None"};
    for (int i = 0; i < 3; ++i) {
        const int mode = i + 1;
        QAction *a = makeAction(accessNames[i], QString::fromUtf8(accessCaptions[i]),
                                QStringLiteral("Ctrl+F%1").arg(i + 1), [this, mode] {
                                    m_db.settings().buttonBar = mode;
                                    SetButtonBar();
                                });
        a->setCheckable(true);
        access->addAction(a);
    }
    addCommands(addMenu(options, "MenuColor", "&Color"),
                {"MenuMainColor", "MenuEditColor", "MenuSearchColor", "MenuReportColor",
                 "MenuConfigureColor", "MenuAllColor"});
    options->addSeparator();
    QMenu *currency = addMenu(options, "MenuCurrencyFormat", "C&urrency Format");
    currency->addAction(makeAction("MenuCurrencyUS", QStringLiteral("&U.S. Dollars"), QString(),
                                   [this] { MenuCurrencyUSClick(); }));
    currency->addAction(makeAction("MenuCurrencyWin", QStringLiteral("&Windows Setting"), QString(),
                                   [this] { MenuCurrencyWinClick(); }));
    QMenu *numeric = addMenu(options, "MenuNumericFormat", "&Numeric Format");
    numeric->addAction(makeAction("MenuNumericUS", QStringLiteral("&U.S. Format"), QString(),
                                  [this] { MenuNumericUSClick(); }));
    numeric->addAction(makeAction("MenuNumericWin", QStringLiteral("&Windows Setting"), QString(),
                                  [this] { MenuNumericWinClick(); }));
    for (QAction *a : currency->actions() + numeric->actions())
        a->setCheckable(true);
    QMenu *date = addMenu(options, "MenuDateFormat", "&Date Format");
    m_dateGroup = new QActionGroup(this);
    m_dateGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (const auto &style : formats::kDateStyles) {
        const int code = style.code;
        QAction *a = makeAction(style.menuName, QString::fromUtf8(style.caption), QString(),
                                [this, code] { chooseDateStyle(code); });
        a->setCheckable(true);
        m_dateGroup->addAction(a);
        date->addAction(a);
    }
    date->addSeparator();
    QAction *zeros = makeAction("MenuDateLeadingZeros", QStringLiteral("&Leading Zeros"), QString(),
                                [this] { MenuDateLeadingZerosClick(); });
    zeros->setCheckable(true);
    date->addAction(zeros);
    options->addSeparator();
    addCommands(options, {"MenuLabelFont", "MenuEditFont", "MenuButtonFont"});
}

void TMain::MenuAboutClick()
{
    Prompts::instance().message(this,
                                QStringLiteral("Numarok %1\n\nA catalogue for a coin collection.")
                                    .arg(QApplication::applicationVersion()),
                                QStringLiteral("About Numarok"), Prompts::Icon::Information,
                                QMessageBox::Ok, QMessageBox::Ok, false);
}

// ---- building the window ---------------------------------------------------------------

void TMain::buildWindow()
{
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("Client"));
    setCentralWidget(m_client);
    m_client->installEventFilter(this);
    m_client->setFont(pixelFont(17));
    buildSpeedBar();
    buildLetteredButtons();
    buildNavigator();
    buildViewer();
    DisableEndSearch();
    SetButtonBar();
}

// The speed buttons, left to right: each shows its command's action.
void TMain::buildSpeedBar()
{
    SpeedPanel = new QFrame(m_client);
    SpeedPanel->setObjectName(QStringLiteral("SpeedPanel"));
    SpeedPanel->setFrameShape(QFrame::StyledPanel);
    int x = 4;
    for (const auto &d : kSpeedButtons) {
        auto *b = new QToolButton(SpeedPanel);
        b->setObjectName(QLatin1String(d[0]));
        b->setGeometry(x, 3, 25, 25);
        // A button draws its own face, never the scheme's colour, so its picture shows on
        // a dark window background too.
        b->setAutoRaise(false);
        QAction *a = action(QLatin1String(command(d[1]).name));
        b->setDefaultAction(a); // its picture, hint, enabled state and routine
        b->setAccessibleName(a->toolTip());
        b->setIconSize(QSize(20, 20));
        x += 25;
    }
}

// Ten lettered buttons in four framed groups.
void TMain::buildLetteredButtons()
{
    for (int i = 0; i < 4; ++i) {
        Bevel[i] = new QFrame(m_client);
        Bevel[i]->setObjectName(QStringLiteral("Bevel%1").arg(i + 1));
        Bevel[i]->setFrameShape(QFrame::Box);
        Bevel[i]->setFrameShadow(QFrame::Sunken);
        Bevel[i]->setGeometry(kBevels[i]);
    }
    for (const ButtonDef &d : kLetteredButtons) {
        auto *b = new CommandButton(action(QLatin1String(command(d.command).name)),
                                    QString::fromUtf8(d.caption), Bevel[d.bevel]);
        b->setObjectName(QLatin1String(d.name));
        b->setGeometry(d.x, d.y, 68, 28);
        b->setFont(pixelFont(13));
        m_buttons << b;
    }
}

void TMain::buildNavigator()
{
    NavigatorLabel = new QLabel(QStringLiteral("Navigation Controls"), m_client);
    NavigatorLabel->setObjectName(QStringLiteral("NavigatorLabel"));
    NavigatorLabel->setFont(pixelFont(13));
    NavigatorLabel->setAlignment(Qt::AlignCenter);
    MyNavigator = new QFrame(m_client);
    MyNavigator->setObjectName(QStringLiteral("MyNavigator"));
    for (int i = 0; i < 10; ++i) {
        auto *b = new QToolButton(MyNavigator);
        b->setObjectName(QStringLiteral("NavButton%1").arg(i));
        b->setToolTip(QLatin1String(kNavigatorHints[i]));
        b->setAccessibleName(QLatin1String(kNavigatorHints[i]));
        b->setIcon(themeIcon(kNavigatorIcons[i],
                             drawnIcon(QLatin1String(kNavigatorGlyphs[i]), QColor(90, 90, 90))));
        b->setIconSize(QSize(16, 16));
        const auto button = static_cast<NavigatorButton>(i);
        connect(b, &QToolButton::clicked, this,
                [this, button] { runCommand([this, button] { navigate(button); }); });
        m_navButtons << b;
    }
}

// The title, the record count, the search mark, the grid and its drop-down editors.
void TMain::buildViewer()
{
    ViewerBevel = new QFrame(m_client);
    ViewerBevel->setObjectName(QStringLiteral("ViewerBevel"));
    ViewerBevel->setFrameShape(QFrame::Box);
    ViewerBevel->setFrameShadow(QFrame::Sunken);
    ViewerLabel = new QLabel(QStringLiteral("Coin Viewer"), m_client);
    ViewerLabel->setObjectName(QStringLiteral("ViewerLabel"));
    ViewerLabel->setFont(pixelFont(23, true));
    CountLabel = new QLabel(QStringLiteral("0"), m_client);
    CountLabel->setObjectName(QStringLiteral("CountLabel"));
    CountLabel->setFont(pixelFont(11));
    CountLabel->setAlignment(Qt::AlignCenter);
    Count2Label = new QLabel(QStringLiteral("Coins"), m_client);
    Count2Label->setObjectName(QStringLiteral("Count2Label"));
    Count2Label->setFont(pixelFont(11));
    Count2Label->setAlignment(Qt::AlignCenter);
    SearchOnLabel = new QLabel(QStringLiteral("SEARCH ON"), m_client);
    SearchOnLabel->setObjectName(QStringLiteral("SearchOnLabel"));
    SearchOnLabel->setFont(pixelFont(18, true));
    SearchOnLabel->setVisible(false);

    MyComboCountry = new QComboBox(m_client);
    MyComboTopic = new QComboBox(m_client);
    MyComboCondition = new QComboBox(m_client);
    const char *comboNames[3] = {"MyComboCountry", "MyComboTopic", "MyComboCondition"};
    QComboBox *combos[3] = {MyComboCountry, MyComboTopic, MyComboCondition};
    for (int i = 0; i < 3; ++i) {
        combos[i]->setObjectName(QLatin1String(comboNames[i]));
        combos[i]->setProperty("boundToField", true);
        combos[i]->setAccessibleName(
            QLatin1String(comboNames[i]).mid(7)); // Country, Topic, Condition
        combos[i]->setVisible(false);             // the grid's in-cell editors take their items
    }

    ViewerGrid = new QTableView(m_client);
    ViewerGrid->setObjectName(QStringLiteral("ViewerGrid"));
    ViewerGrid->setAccessibleName(QStringLiteral("Coin Viewer"));
    m_model = new ViewerModel(m_db.table(), this);
    m_model->onError = [this](const QString &message) { Prompts::error(this, message); };
    ViewerGrid->setModel(m_model);
    ViewerGrid->setTabKeyNavigation(true);
    ViewerGrid->setItemDelegate(new ComboDelegate(m_model,
                                                  {{coin::Country - 1, MyComboCountry},
                                                   {coin::Topic - 1, MyComboTopic},
                                                   {coin::Condition - 1, MyComboCondition}},
                                                  ViewerGrid));
    ViewerGrid->verticalHeader()->setDefaultSectionSize(22);
    connect(ViewerGrid, &QTableView::doubleClicked, this,
            [this] { runCommand([this] { DoEdit(); }); });
    connect(ViewerGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid() && m_db.table().isOpen() &&
                    m_db.table().state() == dbase::Table::State::Browse)
                    m_db.table().moveToRow(current.row());
            });
    connect(m_model, &QAbstractItemModel::modelReset, this, &TMain::syncGridToTable);
    ViewerGrid->installEventFilter(this);
}

bool TMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_client && event->type() == QEvent::Resize) FormResize();
    // Delete in the grid asks first, as the Delete command does.
    if (watched == ViewerGrid && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete && !m_db.browseMode()) {
        runCommand([this] { DoDelete(); });
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMain::syncGridToTable()
{
    if (!m_db.table().isOpen() || m_db.table().currentRow() < 0 || m_model->columnCount() == 0)
        return;
    const QModelIndex at = m_model->index(m_db.table().currentRow(), 0);
    ViewerGrid->selectionModel()->setCurrentIndex(at, QItemSelectionModel::NoUpdate);
}

// ---- layouts ----------------------------------------------------------------------------

void TMain::SetButtonBar()
{
    const int mode = m_db.settings().buttonBar >= 1 && m_db.settings().buttonBar <= 3
                         ? m_db.settings().buttonBar
                         : 1;
    action(QStringLiteral("MenuSpeed"))->setChecked(mode == 1);
    action(QStringLiteral("MenuButtons"))->setChecked(mode == 2);
    action(QStringLiteral("MenuNoButtons"))->setChecked(mode == 3);
    SpeedPanel->setVisible(mode == 1);
    SpeedPanel->setEnabled(mode == 1);
    for (QFrame *b : Bevel)
        b->setVisible(mode == 2);
    NavigatorLabel->setVisible(mode == 2);
    updateActions();
    FormResize();
}

void TMain::FormResize()
{
    if (!m_client) return;
    const int W = m_client->width(), H = m_client->height();
    const int mode = m_db.settings().buttonBar >= 1 && m_db.settings().buttonBar <= 3
                         ? m_db.settings().buttonBar
                         : 1;
    struct Geometry {
        int navLeft, navTop, navWidth, searchTop, countTop, count2Top, bevelTop, bevelLess,
            titleTop, gridTop, gridLess;
    };
    const Geometry modes[3] = {{424, 3, 241, 44, 38, 52, 34, 37, 38, 70, 77},
                               {400, 47, 221, 96, 90, 105, 86, 89, 90, 122, 129},
                               {W - 207, 8, 201, 14, 8, 23, 4, 7, 8, 40, 47}};
    Geometry g = modes[mode - 1];
    if (mode == 1) {
        // Beside the 17 speed buttons (429 pixels) and inside the window: the designed
        // 424 / 241 would run past a 632-pixel window and over the last speed button.
        g.navLeft = 430;
        g.navWidth = std::max(100, std::min(241, W - 430 - 3));
    }
    SpeedPanel->setGeometry(0, 0, W, 31);
    NavigatorLabel->setGeometry(400, 20, 221, 20);
    MyNavigator->setGeometry(g.navLeft, g.navTop, g.navWidth, 25);
    const int bw = g.navWidth / 10; // browse mode shows the first four at the same size
    for (int i = 0; i < m_navButtons.size(); ++i)
        m_navButtons[i]->setGeometry(i * bw, 0, bw, 25);
    if (mode == 1) MyNavigator->raise();
    ViewerBevel->setGeometry(3, g.bevelTop, W - 6, H - g.bevelLess);
    ViewerLabel->adjustSize();
    ViewerLabel->move((W - ViewerLabel->width()) / 2, g.titleTop);
    CountLabel->setGeometry(10, g.countTop, 60, 14);
    Count2Label->setGeometry(10, g.count2Top, 60, 14);
    SearchOnLabel->setGeometry(80, g.searchTop, 120, 22);
    ViewerGrid->setGeometry(7, g.gridTop, W - 14, H - g.gridLess);
}

// ---- enabling rules -----------------------------------------------------------------------

void TMain::updateActions()
{
    const bool browse = m_db.browseMode(), searching = m_db.searchOn();
    for (auto it = m_rules.cbegin(); it != m_rules.cend(); ++it) {
        bool on = true;
        if (it.value() & ChangesData) on = on && !browse;
        if (it.value() & NeedsSearch) on = on && searching;
        it.key()->setEnabled(on);
    }
    menu(QStringLiteral("MenuListMaintenance"))->menuAction()->setEnabled(!browse);
    const bool lettered = m_db.settings().buttonBar == 2;
    for (QPushButton *b : m_buttons)
        static_cast<CommandButton *>(b)->setBarShown(lettered);
    updateNavigator();
}

void TMain::updateNavigator()
{
    // Browse mode keeps first, prior, next and last only.
    for (int i = 0; i < m_navButtons.size(); ++i)
        m_navButtons[i]->setVisible(!m_db.browseMode() || i < 4);
    const bool editing =
        m_db.table().isOpen() && m_db.table().state() != dbase::Table::State::Browse;
    if (m_navButtons.size() == 10) {
        m_navButtons[7]->setEnabled(editing);
        m_navButtons[8]->setEnabled(editing);
    }
}

void TMain::applyBrowseMode()
{
    updateActions();
    FormResize();
    SetViewerOptions();
}

void TMain::navigate(NavigatorButton button)
{
    switch (button) {
    case NavigatorButton::First:
        m_db.table().first();
        break;
    case NavigatorButton::Prior:
        m_db.table().prior();
        break;
    case NavigatorButton::Next:
        m_db.table().next();
        break;
    case NavigatorButton::Last:
        m_db.table().last();
        break;
    case NavigatorButton::Insert:
        DoAdd();
        break;
    case NavigatorButton::Delete:
        DoDelete();
        break;
    case NavigatorButton::Edit:
        DoEdit();
        break;
    case NavigatorButton::Post:
        m_db.table().post();
        break;
    case NavigatorButton::Cancel:
        m_db.table().cancel();
        break;
    case NavigatorButton::Refresh:
        m_db.table().refresh();
        break;
    }
    syncGridToTable();
    updateNavigator();
}

// ---- commands -----------------------------------------------------------------------------

void TMain::showEditor(EditorMode mode)
{
    if (MyEdit) {
        MyEdit->showModal(mode);
        syncGridToTable();
    }
    DisplayCount();
}

void TMain::DoAdd()
{
    showEditor(EditorMode::New);
}

void TMain::DoEdit()
{
    showEditor(EditorMode::Edit);
}

void TMain::DoCopy()
{
    showEditor(EditorMode::Copy);
}

void TMain::DoDelete()
{
    if (m_db.browseMode()) return;
    const auto answer = Prompts::instance().message(
        this, QStringLiteral("Delete this record?"), QStringLiteral("Confirm"), Prompts::Icon::None,
        QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, false);
    if (answer == QMessageBox::Yes) m_db.table().deleteRecord();
    DisplayCount();
}

namespace
{
// Import and export see the table, the settings and the search; an export of everything
// lifts the search for its run only.
ExchangeContext exchangeContext(TMain &w)
{
    CoinDatabase &db = w.database();
    return {db.table(),
            db.settings(),
            db.searchOn(),
            [&w] {
                w.DisableEndSearch();
                w.database().table().refilter();
            },
            [&w] {
                w.EnableEndSearch();
                w.database().table().refilter();
            },
            [&w](QWidget *d) { w.placeDialog(d); },
            w.scaleFactor()};
}
} // namespace

void TMain::DoImport()
{
    TImportFormat dialog(exchangeContext(*this), this);
    dialog.FormShow();
    modal::show(&dialog);
    DisplayCount();
}

void TMain::DoExport()
{
    TMyExport dialog(exchangeContext(*this), this);
    dialog.FormShow();
    modal::show(&dialog);
    DisplayCount();
}

// The dialogs of these commands come with their own parts of the program.
void TMain::DoSearch()
{
    finder().DoSearch();
    DisplayCount();
}
void TMain::DoFind()
{
    finder().DoFind();
    syncGridToTable();
}
void TMain::DoFindNext()
{
    finder().DoFindNext();
    syncGridToTable();
}
void TMain::DoReports()
{
    auto *window = findChild<reports::TMyReport *>();
    if (!window)
        window = new reports::TMyReport({m_db, regional, [this] { DoEndSearch(); },
                                         [this] {
                                             EnableEndSearch();
                                             m_db.table().refilter();
                                             DisplayCount();
                                         },
                                         [this](QWidget *d) { placeDialog(d); },
                                         [this] { return m_scaleFactor; }},
                                        this);
    window->FormShow();
    modal::show(window);
}
void TMain::DoViewer()
{
    TViewConfig dialog(m_db.settings(), m_scaleFactor, this);
    dialog.place = [this](QWidget *d) { placeDialog(d); };
    dialog.FormShow();
    modal::show(&dialog);
    SetViewerOptions();
}

void TMain::DoSortOrder()
{
    TMySortOrder dialog(
        m_db, [this](QWidget *d) { placeDialog(d); }, this);
    modal::show(&dialog);
}

// Pack and rebuild need the table to themselves; without it they say so and the table
// opens shared again. An engine error during the work still leaves it open shared.
namespace
{
bool exclusiveWork(TMain &w, const QString &refusal, const std::function<void()> &work,
                   bool cancellable)
{
    dbase::Table &t = w.database().table();
    std::optional<LongWork> feedback(std::in_place, &w, w.windowTitle(), cancellable);
    feedback->attach(t);
    t.close();
    t.setExclusive(true);
    try {
        // A damaged index file is no reason to refuse: it is built afresh first.
        if (dbfiles::openRepairingIndex(t, w.database().sortString()))
            w.database().noticeIndexRebuilt();
    } catch (const dbase::Error &) {
        w.reopenShared();
        feedback.reset();
        Prompts::error(&w, refusal);
        return false;
    }
    try {
        work();
    } catch (...) {
        w.reopenShared();
        throw;
    }
    w.reopenShared();
    return true;
}

bool confirmed(TMain &w, const QString &question)
{
    return Prompts::instance().message(&w, question, QStringLiteral("Confirm"), Prompts::Icon::None,
                                       QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes,
                                       false) == QMessageBox::Yes;
}
} // namespace

void TMain::MenuPackClick()
{
    if (!confirmed(*this,
                   QStringLiteral(
                       "Deleted items are not permanently removed from the database until packing "
                       "occurs.  Packing simply removes them to free up space.  Continue?")))
        return;
    exclusiveWork(
        *this,
        QStringLiteral(
            "Unable to pack table.  Packing requires exclusive use of the DBase File.  Make sure "
            "that the DBase File is not in use by another program  or that no other users are "
            "running the software or that no other copies of the software are in use."),
        [this] { m_db.table().pack(); }, true);
}

void TMain::MenuRebuildClick()
{
    if (!confirmed(
            *this,
            QStringLiteral(
                "It is possible for your index files to become corrupted.  As a result, some "
                "items may not show up in the viewer or in reports.  This will rebuild your "
                "index files correctly.  Continue?")))
        return;
    exclusiveWork(
        *this,
        QStringLiteral(
            "Unable to reindex table.  Reindexing requires exclusive use of the DBase File.  Make "
            "sure that the DBase File is not in use by another program  or that no other users "
            "are running the software or that no other copies of the software are in use."),
        [this] { m_db.table().regenerateIndexes(); }, false);
}
namespace
{
// Backup and restore see the database, the search and the report list; a restored table
// is opened like any other (`open`).
BackupContext backupContext(TMain &w, std::function<void(const QString &)> open)
{
    return {w.database(),
            [&w](QWidget *d) { w.placeDialog(d); },
            [&w] { w.DoEndSearch(); },
            [&w] {
                w.EnableEndSearch();
                w.database().table().refilter();
                w.DisplayCount();
            },
            std::move(open),
            [&w] { w.DoFileSpecific(); },
            [&w] {
                if (auto *reportWindow = w.findChild<reports::TMyReport *>())
                    reportWindow->LoadReportBox();
            },
            {}};
}
} // namespace

void TMain::DoBackup()
{
    TMyBackup dialog(backupContext(*this, {}), this);
    dialog.FormShow();
    modal::show(&dialog);
}
void TMain::DoRestore()
{
    TMyRestore dialog(
        backupContext(*this, [this](const QString &path) { openFromPath(path, false); }), this);
    dialog.FormShow();
    modal::show(&dialog);
    DisplayCount();
}
void TMain::DoColor(colors::Target target)
{
    ColorConfigContext context = colorConfigContext(m_db);
    context.place = [this](QWidget *d) { placeDialog(d); };
    context.repaintMain = [this] { SetColors(); };
    TColorConfig dialog(std::move(context), target, this);
    dialog.FormShow();
    modal::show(&dialog);
}
void TMain::DoSearchReplace()
{
    finder().DoSearchReplace();
    DisplayCount();
}
void TMain::DoListMaintenance(int code)
{
    struct ListDef {
        const char *title;
        int limit;
    };
    const ListDef defs[4] = {
        {"Country", 20}, {"Topic", 20}, {"Condition", 30}, {"Miscellaneous", 25}};
    const ListDef &d = defs[code - 1];
    const QStringList entries = code == 4 ? picklists::readListFile(picklists::miscFile())
                                          : lists.list(picklists::Kind(code - 1));
    TMyEditBox dialog(code, QLatin1String(d.title), d.limit, entries, this);
    dialog.place = [this](QWidget *w) { placeDialog(w); };
    dialog.scheme = &m_db.settings().scheme(colors::Target::Configure);
    dialog.onOk = [this, code](const QStringList &result) {
        if (code <= 3) lists.setList(picklists::Kind(code - 1), result);
        lists.SaveAllLists(m_db.basePath(), this);
    };
    modal::show(&dialog);
}

void TMain::DoHelp()
{
    help::show(this, QString());
}

void TMain::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !m_activated) {
        m_activated = true;
        // After the activation has been handled, so the tip opens over a finished window.
        QTimer::singleShot(0, this, [this] { FormActivate(); });
    }
}

void TMain::FormActivate()
{
    if (m_db.settings().showTips) MenuTipsClick();
}

void TMain::MenuTipsClick()
{
    TMyTips dialog(m_db.settings().showTips,
                   QRandomGenerator::global()->bounded(int(TMyTips::tips().size())), this);
    placeDialog(&dialog);
    const colors::Painter paint(m_db.settings().scheme(colors::Target::Main));
    paint.window(&dialog);
    paint.check(dialog.findChild<QWidget *>(QStringLiteral("ShowTipsBox")));
    modal::show(&dialog);
    m_db.settings().showTips = dialog.showAtStartup();
}

void TMain::DoExit()
{
    close();
}

void TMain::MenuSaveDefaultsClick()
{
    const auto answer = Prompts::instance().message(
        this,
        QStringLiteral("Your current Data Lists will become your default list values.  These "
                       "values will be used "
                       "when new databases are created.  Previous default values will be lost.  Do "
                       "you want to "
                       "proceed?"),
        QStringLiteral("Warning"), Prompts::Icon::Question, QMessageBox::Yes | QMessageBox::No,
        QMessageBox::No, true);
    if (answer == QMessageBox::Yes && SaveDefaultLists) SaveDefaultLists();
}

void TMain::MenuLoadDefaultsClick()
{
    const auto answer = Prompts::instance().message(
        this,
        QStringLiteral("Your current Data Lists will be overridden with your default list values. "
                       "Previous  values "
                       "will be lost.  Do you want to proceed?"),
        QStringLiteral("Warning"), Prompts::Icon::Question, QMessageBox::Yes | QMessageBox::No,
        QMessageBox::No, true);
    if (answer != QMessageBox::Yes || !m_db.loadDefaultLists) return;
    m_db.loadDefaultLists();
    // Written at once: the program may end before the editor or a switch would write them.
    lists.SaveAllLists(m_db.basePath(), this);
}

// ---- search state ---------------------------------------------------------------------------

void TMain::EnableEndSearch()
{
    m_db.setSearchOn(true);
    SearchOnLabel->setVisible(true);
    updateActions();
}

void TMain::DisableEndSearch()
{
    m_db.setSearchOn(false);
    SearchOnLabel->setVisible(false);
    updateActions();
}

void TMain::DoEndSearch()
{
    DisableEndSearch();
    m_db.table().close();
    m_db.openTable();
    SetViewerOptions();
    DisplayCount();
}

// ---- the grid ---------------------------------------------------------------------------------

// Columns by Field Order: position j takes the lowest field whose order is j (field 1 when
// none is), placed as the next visible column unless its display flag is off.
QVector<ViewerModel::Column> TMain::visibleColumns() const
{
    std::vector<int> order(coin::kFieldCount);
    for (int i = 0; i < coin::kFieldCount; ++i)
        order[i] = i;
    std::vector<bool> shown(coin::kFieldCount, true);
    int next = 0;
    for (int j = 1; j <= coin::kFieldCount; ++j) {
        int k = 0;
        for (int f = 0; f < coin::kFieldCount; ++f)
            if (m_db.settings().fieldOrder[f] == j) {
                k = f;
                break;
            }
        if (!m_db.settings().displayFields[k]) {
            shown[k] = false;
            continue;
        }
        shown[k] = true;
        order.erase(std::find(order.begin(), order.end(), k));
        int at = 0, seen = 0;
        while (at < static_cast<int>(order.size()) && seen < next) {
            if (shown[order[at]]) ++seen;
            ++at;
        }
        order.insert(order.begin() + at, k);
        ++next;
    }
    QVector<ViewerModel::Column> columns;
    for (int k : order)
        if (shown[k])
            columns << ViewerModel::Column{k, m_db.settings().fieldNames[k],
                                           m_db.settings().fieldWidth[k]};
    return columns;
}

void TMain::SetViewerOptions()
{
    gridFont = fonts::toFont(m_db.settings().gridFont);
    gridTitleFont = fonts::toFont(m_db.settings().gridTitleFont);
    const bool editing = m_db.settings().fieldEditing && !m_db.browseMode();
    ViewerGrid->verticalHeader()->setVisible(m_db.settings().rowIndicator);
    ViewerGrid->setShowGrid(false); // the delegate draws row and column lines separately
    ViewerGrid->setProperty("rowLines", m_db.settings().rowLines);
    ViewerGrid->setProperty("columnLines", m_db.settings().columnLines);
    ViewerGrid->horizontalHeader()->setVisible(m_db.settings().showTitles);
    ViewerGrid->setSelectionBehavior(editing ? QAbstractItemView::SelectItems
                                             : QAbstractItemView::SelectRows);
    ViewerGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    ViewerGrid->setEditTriggers(editing ? QAbstractItemView::DoubleClicked |
                                              QAbstractItemView::EditKeyPressed |
                                              QAbstractItemView::AnyKeyPressed
                                        : QAbstractItemView::NoEditTriggers);
    m_model->setEditable(editing);
    ViewerGrid->setFont(gridFont);
    for (QComboBox *c : {MyComboCountry, MyComboTopic, MyComboCondition})
        c->setFont(gridFont);
    QPalette p = ViewerGrid->palette();
    p.setColor(QPalette::Base, colors::toColor(m_db.settings().cellColor));
    p.setColor(QPalette::Text, colors::toColor(m_db.settings().gridFont.color));
    ViewerGrid->setPalette(p);
    const Qt::Alignment align = m_db.settings().titleAlignment == 1   ? Qt::AlignLeft
                                : m_db.settings().titleAlignment == 3 ? Qt::AlignRight
                                                                      : Qt::AlignHCenter;
    m_model->setTitleAlignment(align);
    ViewerGrid->horizontalHeader()->setFont(gridTitleFont);
    ViewerGrid->horizontalHeader()->setStyleSheet(
        QStringLiteral("QHeaderView::section { background-color: %1; color: %2; }")
            .arg(colors::toColor(m_db.settings().titleBackground).name(),
                 colors::toColor(m_db.settings().gridTitleFont.color).name()));

    const QVector<ViewerModel::Column> columns = visibleColumns();
    {
        const dbase::ControlsDisabled quiet(m_db.table());
        m_model->setColumns(columns);
    }
    const int charWidth = QFontMetrics(gridFont).averageCharWidth();
    for (int c = 0; c < columns.size(); ++c)
        ViewerGrid->setColumnWidth(c, std::max(1, columns[c].widthChars) * charWidth + 8);
    ViewerGrid->setFrameShadow(QFrame::Sunken);
    syncGridToTable();
    ViewerGrid->viewport()->update();
}

void TMain::DisplayCount()
{
    CountLabel->setText(QString::number(m_db.table().isOpen() ? m_db.table().recordCount() : 0));
    m_db.checkRecordCount();
}

void TMain::SetColors()
{
    const colors::Painter paint(m_db.settings().scheme(colors::Target::Main));
    paint.window(this);
    paint.window(m_client);
    paint.majorTitle(ViewerLabel);
    paint.minorTitle(NavigatorLabel);
}

// ---- display formats and fonts
// --------------------------------------------------------------------

void TMain::applyDateStyle()
{
    dbase::DateStyle::setCurrent(
        formats::dateStyle(m_db.settings().dateFormat, m_db.settings().dateLeadingZeros));
    for (QAction *a : m_dateGroup->actions())
        a->setChecked(false);
    if (m_db.settings().dateFormat >= 1 && m_db.settings().dateFormat <= 12)
        action(QLatin1String(formats::kDateStyles[m_db.settings().dateFormat - 1].menuName))
            ->setChecked(true);
    action(QStringLiteral("MenuDateLeadingZeros"))->setChecked(m_db.settings().dateLeadingZeros);
}

void TMain::chooseDateStyle(int code)
{
    if (code == m_db.settings().dateFormat) {
        action(QLatin1String(formats::kDateStyles[code - 1].menuName))->setChecked(true);
        return;
    }
    m_db.settings().dateFormat = code;
    applyDateStyle();
    if (m_db.table().isOpen()) m_db.table().refresh();
}

void TMain::MenuDateLeadingZerosClick()
{
    m_db.settings().dateLeadingZeros = !m_db.settings().dateLeadingZeros;
    applyDateStyle();
    if (m_db.table().isOpen()) m_db.table().refresh();
}

void TMain::MenuDateMDYSlashClick()
{
    chooseDateStyle(1);
}
void TMain::MenuDateMDYDashClick()
{
    chooseDateStyle(2);
}
void TMain::MenuDateMDYDotClick()
{
    chooseDateStyle(3);
}
void TMain::MenuDateDMYSlashClick()
{
    chooseDateStyle(4);
}
void TMain::MenuDateDMYDashClick()
{
    chooseDateStyle(5);
}
void TMain::MenuDateDMYDotClick()
{
    chooseDateStyle(6);
}
void TMain::MenuDateMDYSlashYrClick()
{
    chooseDateStyle(7);
}
void TMain::MenuDateMDYDashYrClick()
{
    chooseDateStyle(8);
}
void TMain::MenuDateMDYDotYrClick()
{
    chooseDateStyle(9);
}
void TMain::MenuDateDMYSlashYrClick()
{
    chooseDateStyle(10);
}
void TMain::MenuDateDMYDashYrClick()
{
    chooseDateStyle(11);
}
void TMain::MenuDateDMYDotYrClick()
{
    chooseDateStyle(12);
}
void TMain::MenuCurrencyUSClick()
{
    chooseCurrencyFormat(1);
}
void TMain::MenuCurrencyWinClick()
{
    chooseCurrencyFormat(2);
}
void TMain::MenuNumericUSClick()
{
    chooseNumericFormat(1);
}
void TMain::MenuNumericWinClick()
{
    chooseNumericFormat(2);
}
void TMain::N640x480Click()
{
    chooseWindowSize(640);
}
void TMain::N800x600Click()
{
    chooseWindowSize(800);
}
void TMain::N1024x768Click()
{
    chooseWindowSize(1024);
}
void TMain::N1280x1024Click()
{
    chooseWindowSize(1280);
}
void TMain::MenuMaintainCountryClick()
{
    DoListMaintenance(1);
}
void TMain::MenuMaintainTopicClick()
{
    DoListMaintenance(2);
}
void TMain::MenuMaintainConditionClick()
{
    DoListMaintenance(3);
}
void TMain::MenuMaintainMiscClick()
{
    DoListMaintenance(4);
}

void TMain::chooseCurrencyFormat(int format)
{
    m_db.settings().currencyFormat = format;
    action(QStringLiteral("MenuCurrencyUS"))->setChecked(format == 1);
    action(QStringLiteral("MenuCurrencyWin"))->setChecked(format == 2);
}

void TMain::chooseNumericFormat(int format)
{
    m_db.settings().numericFormat = format;
    action(QStringLiteral("MenuNumericUS"))->setChecked(format == 1);
    action(QStringLiteral("MenuNumericWin"))->setChecked(format == 2);
}

QString TMain::moneyText(int minWidth, double value) const
{
    return formats::MoneyText(minWidth, value, m_db.settings().currencyFormat, regional);
}

QString TMain::numberText(int minWidth, int decimals, double value) const
{
    return formats::NumberText(minWidth, decimals, value, m_db.settings().numericFormat, regional);
}

void TMain::checkWindowSize(int shown)
{
    m_checkedSize = shown;
    for (const int s : {640, 800, 1024, 1280}) {
        const QSize q = formats::sizeOfChoice(s);
        action(QStringLiteral("N%1x%2").arg(q.width()).arg(q.height()))->setChecked(s == shown);
    }
}

void TMain::chooseWindowSize(int size)
{
    if (size == m_db.settings().windowSize) {
        checkWindowSize(m_checkedSize); // nothing happens
        return;
    }
    if (!formats::screenHolds(size, screenSize)) {
        const QSize q = formats::sizeOfChoice(size);
        Prompts::error(
            this, QStringLiteral("Your current screen resolution does not support %1 x %2 pixels.")
                      .arg(q.width())
                      .arg(q.height()));
        checkWindowSize(m_checkedSize);
        return;
    }
    m_db.settings().windowSize = size;
    m_scaleFactor = formats::scaleFactor(size);
    checkWindowSize(size);
}

void TMain::readFonts()
{
    labelFont = fonts::toFont(m_db.settings().labelFont);
    editFont = fonts::toFont(m_db.settings().editFont);
    buttonFont = fonts::toFont(m_db.settings().buttonFont);
    gridFont = fonts::toFont(m_db.settings().gridFont);
    gridTitleFont = fonts::toFont(m_db.settings().gridTitleFont);
}

void TMain::applyMainFonts()
{
    windowopts::applyFonts(this, labelFont, editFont, buttonFont);
    FormResize(); // the title's width follows its font
}

void TMain::placeDialog(QWidget *dialog) const
{
    windowopts::applyFonts(dialog, labelFont, editFont, buttonFont);
    windowopts::scale(dialog, m_scaleFactor);
    windowopts::centre(dialog, screenSize);
}

void TMain::MenuLabelFontClick()
{
    if (const auto f = Prompts::instance().chooseFont(this, labelFont)) {
        labelFont = *f;
        fonts::store(m_db.settings().labelFont, *f, false);
        applyMainFonts();
    }
}

void TMain::MenuEditFontClick()
{
    if (const auto f = Prompts::instance().chooseFont(this, editFont)) {
        editFont = *f;
        fonts::store(m_db.settings().editFont, *f, false);
        applyMainFonts();
    }
}

void TMain::MenuButtonFontClick()
{
    if (const auto f = Prompts::instance().chooseFont(this, buttonFont)) {
        buttonFont = *f;
        fonts::store(m_db.settings().buttonFont, *f, false);
        applyMainFonts();
    }
}
