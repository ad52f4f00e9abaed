// TMain's window: the command table behind the menus, speed buttons and lettered buttons,
// the three screen-access layouts, the viewer grid, the search state, browse mode, the
// display format and font choices, and the main window colours.
#include "main_window.h"

#include "coin_schema.h"
#include "color_scheme.h"
#include "error.h"
#include "font_setting.h"
#include "formats.h"
#include "help_window.h"
#include "list_dialogs.h"
#include "modal.h"
#include "paths.h"
#include "prompts.h"
#include "record_editor.h"
#include "report_windows.h"
#include "sort_order.h"
#include "tips.h"
#include "viewer_config.h"
#include "viewer_model.h"
#include "window_options.h"

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

namespace {

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

struct SpeedDef {
    const char *name;
    const char *hint;
    const char *action; // the menu item whose routine it runs
    const char *theme;
    const char *glyph;
};

// Left to right as on the bar.
const SpeedDef kSpeedButtons[17] = {
    {"NewSpeed", "New Database", "MenuNew", "document-new", "N"},
    {"OpenSpeed", "Open Database", "MenuOpen", "document-open", "O"},
    {"AddSpeed", "Add Record", "MenuAdd", "list-add", "+"},
    {"EditSpeed", "Edit Record", "MenuEdit", "document-edit|document-properties", "E"},
    {"CopySpeed", "Copy Record", "MenuCopy", "edit-copy", "C"},
    {"DeleteSpeed", "Delete Record", "MenuDelete", "edit-delete", "X"},
    {"ImportSpeed", "Import Records", "MenuImport", "document-import|document-open", "Im"},
    {"ExportSpeed", "Export Records", "MenuExport", "document-export|document-save-as", "Ex"},
    {"SearchSpeed", "Search Records", "MenuSearch", "system-search", "S"},
    {"EndSearchSpeed", "End Search", "MenuEndSearch", "edit-clear", "ES"},
    {"LocateSpeed", "Locate Record", "MenuFind", "edit-find", "L"},
    {"LocateNextSpeed", "Locate Next Record", "MenuFindNext",
     "go-down-search|edit-find-next|go-next", "LN"},
    {"ReportSpeed", "Reports", "MenuReports", "document-print", "R"},
    {"ViewerSpeed", "Viewer Configuration", "MenuViewer", "view-list-details|preferences-system",
     "V"},
    {"ColorSpeed", "Color Setup", "MenuAllColor", "preferences-desktop-color|format-fill-color",
     "Co"},
    {"SpeedSetOrder", "Set Sorting Order", "MenuSortOrder", "view-sort-ascending", "SO"},
    {"HelpSpeed", "Help", "MenuContents", "help-contents", "?"},
};

struct ButtonDef {
    const char *name;
    const char *caption;
    const char *action;
    int bevel;
    int x, y;
};

// Ten lettered buttons in four framed groups.
const ButtonDef kLetteredButtons[10] = {
    {"AddButton", "&Add", "MenuAdd", 0, 5, 8},          {"EditButton", "&Edit", "MenuEdit", 0, 77, 8},
    {"CopyButton", "&Copy", "MenuCopy", 0, 5, 44},      {"DeleteButton", "&Delete", "MenuDelete", 0, 77, 44},
    {"SearchButton", "&Search", "MenuSearch", 1, 5, 8}, {"EndSearchButton", "E&nd Srch", "MenuEndSearch", 1, 5, 44},
    {"ReportButton", "&Reports", "MenuReports", 2, 5, 8}, {"ViewerButton", "&Viewer", "MenuViewer", 2, 5, 44},
    {"HelpButton", "He&lp", "MenuContents", 3, 5, 8},   {"ButtonExit", "E&xit", "MenuExit", 3, 5, 44},
};
const QRect kBevels[4] = {{4, 4, 150, 78}, {156, 4, 78, 78}, {236, 4, 78, 78}, {316, 4, 78, 78}};

const char *const kNavigatorHints[10] = {"First record", "Prior record", "Next record", "Last record",
                                         "Insert record", "Delete record", "Edit record", "Post edit",
                                         "Cancel edit", "Refresh data"};
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

// Menu items that change data: off in browse mode.
const char *const kBrowseDisabled[] = {"MenuAdd",    "MenuCopy",   "MenuDelete", "MenuBackup",
                                       "MenuRestore", "MenuViewer", "MenuImport", "MenuSearchReplace"};

// The grid's in-cell editors for Country, Topic and Condition: the main window's three
// drop-down boxes lend their items.
class ComboDelegate : public QStyledItemDelegate {
public:
    ComboDelegate(ViewerModel *model, QHash<int, QComboBox *> combos, QObject *parent)
        : QStyledItemDelegate(parent), m_model(model), m_combos(std::move(combos))
    {
    }
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
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
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        const QWidget *view = option.widget;
        if (!view)
            return;
        painter->save();
        painter->setPen(QColor(128, 128, 128));
        if (view->property("rowLines").toBool())
            painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        if (view->property("columnLines").toBool())
            painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
        painter->restore();
    }
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
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
    // The table asks for every record while a search is on.
    MyTable.setFilter([this](const dbase::Table &t) { return MyTableFilter(t); });
    lists.setGridCombos(MyComboCountry, MyComboTopic, MyComboCondition);
    SaveAllLists = [this](const QString &base) { lists.SaveAllLists(base); };
    LoadAllList = [this](const QString &base) { lists.LoadAllList(base); };
    LoadDefaultList = [this] { lists.LoadDefaultList(); };
    SaveDefaultLists = [this] { lists.SaveDefaultLists(); };
    resize(640, 480);
}

TMain::~TMain()
{
    // The model and the editor use MyTable, which goes before the window's children do.
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
        command();
    } catch (const dbase::Error &e) {
        Prompts::error(this, QString::fromStdString(e.what()));
    }
    DisplayCount();
}

// ---- building the window ---------------------------------------------------------------

void TMain::buildMenus()
{
    QMenuBar *bar = menuBar();
    auto addMenu = [this](QWidget *parentMenu, const char *name, const char *caption) {
        QMenu *m = new QMenu(QString::fromUtf8(caption), parentMenu);
        m->setObjectName(QLatin1String(name));
        m_menus.insert(QLatin1String(name), m);
        if (auto *bar = qobject_cast<QMenuBar *>(parentMenu))
            bar->addMenu(m);
        else
            qobject_cast<QMenu *>(parentMenu)->addMenu(m);
        return m;
    };
    auto item = [this](QMenu *m, const char *name, const char *caption, const char *shortcut,
                       std::function<void()> routine) {
        QAction *a = m->addAction(QString::fromUtf8(caption));
        a->setObjectName(QLatin1String(name));
        if (shortcut && *shortcut)
            a->setShortcut(QKeySequence(QLatin1String(shortcut)));
        m_actions.insert(QLatin1String(name), a);
        connect(a, &QAction::triggered, this, [this, routine] { runCommand(routine); });
        return a;
    };

    QMenu *file = addMenu(bar, "MenuFile", "&File");
    item(file, "MenuNew", "&New Database", "Ctrl+W", [this] { DoNew(); });
    item(file, "MenuOpen", "&Open Database", "Ctrl+O", [this] { DoOpen(); });
    item(file, "MenuUpdateDatabase", "&Update Database", "Ctrl+Z", [this] { MenuUpdateDatabaseClick(); });
    file->addSeparator();
    item(file, "MenuBackup", "&Back Up Data", "Ctrl+B", [this] { DoBackup(); });
    item(file, "MenuRestore", "&Restore Data", "Ctrl+Y", [this] { DoRestore(); });
    file->addSeparator();
    item(file, "MenuPrint", "&Print", "Ctrl+P", [this] { DoReports(); });
    file->addSeparator();
    item(file, "MenuExit", "E&xit", "Ctrl+X", [this] { DoExit(); });
    MenuExitSep = file->addSeparator();
    MenuExitSep->setObjectName(QStringLiteral("MenuExitSep"));
    m_actions.insert(QStringLiteral("MenuExitSep"), MenuExitSep);
    for (int n = 1; n <= 5; ++n) {
        const QByteArray name = "MenuLastFile" + QByteArray::number(n);
        QAction *a = item(file, name.constData(), "", "", [this, n] { OpenSaveFile(settings.lastFiles[n - 1]); });
        a->setVisible(false);
    }
    MenuExitSep->setVisible(false);

    QMenu *records = addMenu(bar, "MenuRecords", "&Records");
    item(records, "MenuAdd", "&Add", "Ctrl+A", [this] { DoAdd(); });
    item(records, "MenuEdit", "&Edit", "Ctrl+E", [this] { DoEdit(); });
    item(records, "MenuCopy", "&Copy", "Ctrl+C", [this] { DoCopy(); });
    item(records, "MenuDelete", "&Delete", "Ctrl+D", [this] { DoDelete(); });
    records->addSeparator();
    item(records, "MenuImport", "&Import", "Ctrl+M", [this] { DoImport(); });
    item(records, "MenuExport", "E&xport", "Ctrl+T", [this] { DoExport(); });

    QMenu *nav = addMenu(bar, "MenuNavigate", "Navi&gate");
    item(nav, "MenuSearch", "&Search (Query)", "Ctrl+S", [this] { DoSearch(); });
    item(nav, "MenuEndSearch", "&End Search", "Ctrl+I", [this] { DoEndSearch(); });
    nav->addSeparator();
    item(nav, "MenuFind", "&Locate", "Ctrl+L", [this] { DoFind(); });
    item(nav, "MenuFindNext", "Locate &Next", "Ctrl+N", [this] { DoFindNext(); });

    QMenu *options = addMenu(bar, "MenuOptions", "&Options");
    item(options, "MenuViewer", "&Viewer", "Ctrl+V", [this] { DoViewer(); });
    item(options, "MenuSortOrder", "Sort &Order", "Ctrl+Q", [this] { DoSortOrder(); });
    options->addSeparator();
    QMenu *size = addMenu(options, "MenuScreenSize", "Screen Si&ze");
    const int sizes[4] = {640, 800, 1024, 1280};
    for (int i = 0; i < 4; ++i) {
        const QSize s = formats::sizeOfChoice(sizes[i]);
        const QByteArray name = "N" + QByteArray::number(s.width()) + "x" + QByteArray::number(s.height());
        const QByteArray caption = QByteArray::number(s.width()) + " x " + QByteArray::number(s.height());
        const QByteArray key = "Shift+F" + QByteArray::number(i + 1);
        void (TMain::*const handlers[4])() = {&TMain::N640x480Click, &TMain::N800x600Click, &TMain::N1024x768Click,
                                              &TMain::N1280x1024Click};
        const auto handler = handlers[i];
        item(size, name.constData(), caption.constData(), key.constData(), [this, handler] { (this->*handler)(); })
            ->setCheckable(true);
    }
    QMenu *access = addMenu(options, "MenuScreenAccess", "&Screen Access");
    const char *accessNames[3] = {"MenuSpeed", "MenuButtons", "MenuNoButtons"};
    const char *accessCaptions[3] = {"&Speed Buttons", "&Lettered Buttons", "&None"};
    const char *accessKeys[3] = {"Ctrl+F1", "Ctrl+F2", "Ctrl+F3"};
    for (int i = 0; i < 3; ++i) {
        const int mode = i + 1;
        item(access, accessNames[i], accessCaptions[i], accessKeys[i], [this, mode] {
            settings.buttonBar = mode;
            SetButtonBar();
        })->setCheckable(true);
    }
    QMenu *color = addMenu(options, "MenuColor", "&Color");
    const char *colorNames[6] = {"MenuMainColor", "MenuEditColor", "MenuSearchColor",
                                 "MenuReportColor", "MenuConfigureColor", "MenuAllColor"};
    const char *colorCaptions[6] = {"&Main Window Color",   "&Edit Window Color",      "&Search Window Color",
                                    "&Report Window Color", "&Configure Window Color", "&ALL Windows Color"};
    for (int i = 0; i < 6; ++i) {
        const int scheme = i + 1;
        const QByteArray key = "Ctrl+F" + QByteArray::number(i + 4);
        item(color, colorNames[i], colorCaptions[i], key.constData(), [this, scheme] { DoColor(scheme); });
    }
    options->addSeparator();
    QMenu *currency = addMenu(options, "MenuCurrencyFormat", "C&urrency Format");
    item(currency, "MenuCurrencyUS", "&U.S. Dollars", "", [this] { MenuCurrencyUSClick(); })->setCheckable(true);
    item(currency, "MenuCurrencyWin", "&Windows Setting", "", [this] { MenuCurrencyWinClick(); })->setCheckable(true);
    QMenu *numeric = addMenu(options, "MenuNumericFormat", "&Numeric Format");
    item(numeric, "MenuNumericUS", "&U.S. Format", "", [this] { MenuNumericUSClick(); })->setCheckable(true);
    item(numeric, "MenuNumericWin", "&Windows Setting", "", [this] { MenuNumericWinClick(); })->setCheckable(true);
    QMenu *date = addMenu(options, "MenuDateFormat", "&Date Format");
    m_dateGroup = new QActionGroup(this);
    m_dateGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (const auto &style : formats::kDateStyles) {
        const int code = style.code;
        void (TMain::*const handlers[12])() = {
            &TMain::MenuDateMDYSlashClick,   &TMain::MenuDateMDYDashClick,   &TMain::MenuDateMDYDotClick,
            &TMain::MenuDateDMYSlashClick,   &TMain::MenuDateDMYDashClick,   &TMain::MenuDateDMYDotClick,
            &TMain::MenuDateMDYSlashYrClick, &TMain::MenuDateMDYDashYrClick, &TMain::MenuDateMDYDotYrClick,
            &TMain::MenuDateDMYSlashYrClick, &TMain::MenuDateDMYDashYrClick, &TMain::MenuDateDMYDotYrClick};
        const auto handler = handlers[code - 1];
        QAction *a = item(date, style.menuName, style.caption, "", [this, handler] { (this->*handler)(); });
        a->setCheckable(true);
        m_dateGroup->addAction(a);
    }
    date->addSeparator();
    item(date, "MenuDateLeadingZeros", "&Leading Zeros", "", [this] { MenuDateLeadingZerosClick(); })
        ->setCheckable(true);
    options->addSeparator();
    item(options, "MenuLabelFont", "&Label Font", "Shift+F8", [this] { MenuLabelFontClick(); });
    item(options, "MenuEditFont", "&Edit Font", "Shift+F9", [this] { MenuEditFontClick(); });
    item(options, "MenuButtonFont", "&Button Font", "Shift+F10", [this] { MenuButtonFontClick(); });

    QMenu *tools = addMenu(bar, "MenuTools", "&Tools");
    item(tools, "MenuReports", "&Reports", "Ctrl+R", [this] { DoReports(); });
    QMenu *listMenu = addMenu(tools, "MenuListMaintenance", "List &Maintenance");
    item(listMenu, "MenuSaveDefaults", "&Save As Defaults", "", [this] { MenuSaveDefaultsClick(); });
    item(listMenu, "MenuLoadDefaults", "Load In &Defaults", "", [this] { MenuLoadDefaultsClick(); });
    listMenu->addSeparator();
    item(listMenu, "MenuListCountry", "&Country", "", [this] { MenuMaintainCountryClick(); });
    item(listMenu, "MenuListTopic", "&Topic", "", [this] { MenuMaintainTopicClick(); });
    item(listMenu, "MenuListCondition", "C&ondition", "", [this] { MenuMaintainConditionClick(); });
    item(listMenu, "MenuListMisc", "&Miscellaneous", "", [this] { MenuMaintainMiscClick(); });
    item(tools, "MenuSearchReplace", "&Search and Replace", "Ctrl+F", [this] { DoSearchReplace(); });
    tools->addSeparator();
    item(tools, "MenuRebuild", "&Rebuild Indexes", "", [this] { MenuRebuildClick(); });
    item(tools, "MenuPack", "&Pack Database", "", [this] { MenuPackClick(); });

    QMenu *help = addMenu(bar, "MenuHelp", "&Help");
    item(help, "MenuContents", "&Contents", "Ctrl+H", [this] { DoHelp(); });
    item(help, "MenuTips", "&Review \"Tips of the Day\"", "", [this] { MenuTipsClick(); });
    help->addSeparator();
    item(help, "MenuAbout", "&About", "", [this] {
        Prompts::instance().message(this,
                                    QStringLiteral("Numarok %1\n\nA catalogue for a coin collection.")
                                        .arg(QApplication::applicationVersion()),
                                    QStringLiteral("About Numarok"), Prompts::Icon::Information, QMessageBox::Ok,
                                    QMessageBox::Ok, false);
    });
}

void TMain::buildWindow()
{
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("Client"));
    setCentralWidget(m_client);
    m_client->installEventFilter(this);
    m_client->setFont(pixelFont(17));

    SpeedPanel = new QFrame(m_client);
    SpeedPanel->setObjectName(QStringLiteral("SpeedPanel"));
    SpeedPanel->setFrameShape(QFrame::StyledPanel);
    int x = 4;
    for (const SpeedDef &d : kSpeedButtons) {
        auto *b = new QToolButton(SpeedPanel);
        b->setObjectName(QLatin1String(d.name));
        b->setGeometry(x, 3, 25, 25);
        // A button draws its own face, never the scheme's colour, so its picture shows on
        // a dark window background too.
        b->setAutoRaise(false);
        b->setToolTip(QLatin1String(d.hint));
        b->setIcon(themeIcon(d.theme, drawnIcon(QLatin1String(d.glyph), QColor(40, 90, 160))));
        b->setAccessibleName(QLatin1String(d.hint));
        b->setIconSize(QSize(20, 20));
        const QString target = QLatin1String(d.action);
        connect(b, &QToolButton::clicked, this, [this, target] { action(target)->trigger(); });
        m_speed.insert(QLatin1String(d.name), b);
        x += 25;
    }

    for (int i = 0; i < 4; ++i) {
        Bevel[i] = new QFrame(m_client);
        Bevel[i]->setObjectName(QStringLiteral("Bevel%1").arg(i + 1));
        Bevel[i]->setFrameShape(QFrame::Box);
        Bevel[i]->setFrameShadow(QFrame::Sunken);
        Bevel[i]->setGeometry(kBevels[i]);
    }
    for (const ButtonDef &d : kLetteredButtons) {
        auto *b = new QPushButton(QString::fromUtf8(d.caption), Bevel[d.bevel]);
        b->setObjectName(QLatin1String(d.name));
        b->setGeometry(d.x, d.y, 68, 28);
        b->setFont(pixelFont(13));
        const QString target = QLatin1String(d.action);
        connect(b, &QPushButton::clicked, this, [this, target] { action(target)->trigger(); });
        m_buttons.insert(QLatin1String(d.name), b);
    }

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
        connect(b, &QToolButton::clicked, this, [this, i] { runCommand([this, i] { navigate(i); }); });
        m_navButtons << b;
    }

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
        combos[i]->setVisible(false); // the grid's in-cell editors take their items
    }

    ViewerGrid = new QTableView(m_client);
    ViewerGrid->setObjectName(QStringLiteral("ViewerGrid"));
    ViewerGrid->setAccessibleName(QStringLiteral("Coin Viewer"));
    m_model = new ViewerModel(MyTable, this);
    m_model->onError = [this](const QString &message) { Prompts::error(this, message); };
    ViewerGrid->setModel(m_model);
    ViewerGrid->setTabKeyNavigation(true);
    ViewerGrid->setItemDelegate(new ComboDelegate(m_model,
                                                  {{coin::Country - 1, MyComboCountry},
                                                   {coin::Topic - 1, MyComboTopic},
                                                   {coin::Condition - 1, MyComboCondition}},
                                                  ViewerGrid));
    ViewerGrid->verticalHeader()->setDefaultSectionSize(22);
    connect(ViewerGrid, &QTableView::doubleClicked, this, [this] { runCommand([this] { DoEdit(); }); });
    connect(ViewerGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid() && MyTable.isOpen() && MyTable.state() == dbase::Table::State::Browse)
                    MyTable.moveToRow(current.row());
            });
    connect(m_model, &QAbstractItemModel::modelReset, this, &TMain::syncGridToTable);
    ViewerGrid->installEventFilter(this);

    DisableEndSearch();
    SetButtonBar();
}

bool TMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_client && event->type() == QEvent::Resize)
        FormResize();
    // Delete in the grid asks first, as the Delete command does.
    if (watched == ViewerGrid && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete && !BrowseMode) {
        runCommand([this] { DoDelete(); });
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMain::syncGridToTable()
{
    if (!MyTable.isOpen() || MyTable.currentRow() < 0 || m_model->columnCount() == 0)
        return;
    const QModelIndex at = m_model->index(MyTable.currentRow(), 0);
    ViewerGrid->selectionModel()->setCurrentIndex(at, QItemSelectionModel::NoUpdate);
}

// ---- layouts ----------------------------------------------------------------------------

void TMain::SetButtonBar()
{
    const int mode = settings.buttonBar >= 1 && settings.buttonBar <= 3 ? settings.buttonBar : 1;
    action(QStringLiteral("MenuSpeed"))->setChecked(mode == 1);
    action(QStringLiteral("MenuButtons"))->setChecked(mode == 2);
    action(QStringLiteral("MenuNoButtons"))->setChecked(mode == 3);
    SpeedPanel->setVisible(mode == 1);
    SpeedPanel->setEnabled(mode == 1);
    for (QFrame *b : Bevel)
        b->setVisible(mode == 2);
    NavigatorLabel->setVisible(mode == 2);
    updateButtonStates();
    FormResize();
}

void TMain::FormResize()
{
    if (!m_client)
        return;
    const int W = m_client->width(), H = m_client->height();
    const int mode = settings.buttonBar >= 1 && settings.buttonBar <= 3 ? settings.buttonBar : 1;
    struct Geometry {
        int navLeft, navTop, navWidth, searchTop, countTop, count2Top, bevelTop, bevelLess, titleTop, gridTop,
            gridLess;
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
    if (mode == 1)
        MyNavigator->raise();
    ViewerBevel->setGeometry(3, g.bevelTop, W - 6, H - g.bevelLess);
    ViewerLabel->adjustSize();
    ViewerLabel->move((W - ViewerLabel->width()) / 2, g.titleTop);
    CountLabel->setGeometry(10, g.countTop, 60, 14);
    Count2Label->setGeometry(10, g.count2Top, 60, 14);
    SearchOnLabel->setGeometry(80, g.searchTop, 120, 22);
    ViewerGrid->setGeometry(7, g.gridTop, W - 14, H - g.gridLess);
}

// ---- enabling rules -----------------------------------------------------------------------

void TMain::updateButtonStates()
{
    const bool lettered = settings.buttonBar == 2;
    for (auto it = m_buttons.begin(); it != m_buttons.end(); ++it) {
        const QString &name = it.key();
        bool on = lettered;
        if (name == QLatin1String("AddButton") || name == QLatin1String("CopyButton") ||
            name == QLatin1String("DeleteButton") || name == QLatin1String("ViewerButton"))
            on = on && !BrowseMode;
        if (name == QLatin1String("EndSearchButton"))
            on = on && SearchOn;
        it.value()->setEnabled(on);
    }
    action(QStringLiteral("MenuEndSearch"))->setEnabled(SearchOn);
    m_speed.value(QStringLiteral("EndSearchSpeed"))->setEnabled(SearchOn);
    updateNavigator();
}

void TMain::updateNavigator()
{
    // Browse mode keeps first, prior, next and last only.
    for (int i = 0; i < m_navButtons.size(); ++i)
        m_navButtons[i]->setVisible(!BrowseMode || i < 4);
    const bool editing = MyTable.isOpen() && MyTable.state() != dbase::Table::State::Browse;
    if (m_navButtons.size() == 10) {
        m_navButtons[7]->setEnabled(editing);
        m_navButtons[8]->setEnabled(editing);
    }
}

void TMain::applyBrowseMode()
{
    for (const char *name : kBrowseDisabled)
        action(QLatin1String(name))->setEnabled(false);
    menu(QStringLiteral("MenuListMaintenance"))->menuAction()->setEnabled(false);
    for (const char *name : {"AddSpeed", "CopySpeed", "ImportSpeed", "DeleteSpeed", "ViewerSpeed"})
        m_speed.value(QLatin1String(name))->setEnabled(false);
    updateButtonStates();
    FormResize();
    SetViewerOptions();
}

void TMain::navigate(int button)
{
    switch (button) {
    case 0: MyTable.first(); break;
    case 1: MyTable.prior(); break;
    case 2: MyTable.next(); break;
    case 3: MyTable.last(); break;
    case 4: DoAdd(); break;
    case 5: DoDelete(); break;
    case 6: DoEdit(); break;
    case 7: MyTable.post(); break;
    case 8: MyTable.cancel(); break;
    case 9: MyTable.refresh(); break;
    }
    syncGridToTable();
    updateNavigator();
}

// ---- commands -----------------------------------------------------------------------------

void TMain::showEditor(int mode)
{
    EditorMode = mode;
    if (MyEdit) {
        modal::show(MyEdit);
        syncGridToTable();
    }
    DisplayCount();
}

void TMain::DoAdd()
{
    showEditor(1);
}

void TMain::DoEdit()
{
    showEditor(2);
}

void TMain::DoCopy()
{
    showEditor(3);
}

void TMain::DoDelete()
{
    if (BrowseMode)
        return;
    const auto answer = Prompts::instance().message(this, QStringLiteral("Delete this record?"),
                                                    QStringLiteral("Confirm"), Prompts::Icon::None,
                                                    QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, false);
    if (answer == QMessageBox::Yes)
        MyTable.deleteRecord();
    DisplayCount();
}

// The dialogs of these commands come with their own parts of the program.
void TMain::DoImport() { DisplayCount(); }
void TMain::DoExport() {}
void TMain::DoSearch() { DisplayCount(); }
void TMain::DoFind() {}
void TMain::DoFindNext() {}
void TMain::DoReports()
{
    auto *window = findChild<reports::TMyReport *>();
    if (!window)
        window = new reports::TMyReport({MyTable, settings, regional, [this] { return SearchOn; },
                                         [this] { DoEndSearch(); },
                                         [this] {
                                             EnableEndSearch();
                                             MyTable.refilter();
                                             DisplayCount();
                                         },
                                         [this](QWidget *d) { placeDialog(d); }},
                                        this);
    window->FormShow();
    modal::show(window);
}
void TMain::DoViewer()
{
    TViewConfig dialog(settings, m_scaleFactor, this);
    dialog.place = [this](QWidget *d) { placeDialog(d); };
    dialog.FormShow();
    modal::show(&dialog);
    SetViewerOptions();
}

void TMain::DoSortOrder()
{
    TMySortOrder dialog(*this, this);
    modal::show(&dialog);
}

// Pack and rebuild need the table to themselves; without it they say so and the table
// opens shared again. An engine error during the work still leaves it open shared.
namespace {
bool exclusiveWork(TMain &w, const QString &refusal, const std::function<void()> &work)
{
    dbase::Table &t = w.MyTable;
    t.close();
    t.setExclusive(true);
    try {
        // A damaged index file is no reason to refuse: it is built afresh first.
        if (dbfiles::openRepairingIndex(t, w.SortString)) w.noticeIndexRebuilt();
    } catch (const dbase::Error &) {
        w.reopenShared();
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
    if (!confirmed(*this, QStringLiteral("Deleted items are not permanently removed from the database until packing "
                                         "occurs.  Packing simply removes them to free up space.  Continue?")))
        return;
    exclusiveWork(*this,
                  QStringLiteral("Unable to pack table.  Packing requires exclusive use of the DBase File.  Make sure "
                                 "that the DBase File is not in use by another program  or that no other users are "
                                 "running the software or that no other copies of the software are in use."),
                  [this] { MyTable.pack(); });
}

void TMain::MenuRebuildClick()
{
    if (!confirmed(*this, QStringLiteral("It is possible for your index files to become corrupted.  As a result, some "
                                         "items may not show up in the viewer or in reports.  This will rebuild your "
                                         "index files correctly.  Continue?")))
        return;
    exclusiveWork(*this,
                  QStringLiteral("Unable to reindex table.  Reindexing requires exclusive use of the DBase File.  Make "
                                 "sure that the DBase File is not in use by another program  or that no other users "
                                 "are running the software or that no other copies of the software are in use."),
                  [this] { MyTable.regenerateIndexes(); });
}
void TMain::DoBackup() {}
void TMain::DoRestore() { DisplayCount(); }
void TMain::DoColor(int) {}
void TMain::DoSearchReplace() {}
void TMain::DoListMaintenance(int code)
{
    struct ListDef {
        const char *title;
        int limit;
    };
    const ListDef defs[4] = {{"Country", 20}, {"Topic", 20}, {"Condition", 30}, {"Miscellaneous", 25}};
    const ListDef &d = defs[code - 1];
    const QStringList entries = code == 4 ? picklists::readListFile(picklists::miscFile())
                                          : lists.list(picklists::Kind(code - 1));
    TMyEditBox dialog(code, QLatin1String(d.title), d.limit, entries, this);
    dialog.place = [this](QWidget *w) { placeDialog(w); };
    dialog.scheme = &settings.schemes[colors::Configure];
    dialog.onOk = [this, code](const QStringList &result) {
        if (code <= 3)
            lists.setList(picklists::Kind(code - 1), result);
        SaveAllLists(BasePath);
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
    if (settings.showTips) MenuTipsClick();
}

void TMain::MenuTipsClick()
{
    TMyTips dialog(settings.showTips,
                   QRandomGenerator::global()->bounded(int(TMyTips::tips().size())), this);
    placeDialog(&dialog);
    const colors::Painter paint(settings.schemes[colors::Main]);
    paint.window(&dialog);
    paint.check(dialog.findChild<QWidget *>(QStringLiteral("ShowTipsBox")));
    modal::show(&dialog);
    settings.showTips = dialog.showAtStartup();
}

void TMain::DoExit()
{
    close();
}

void TMain::MenuSaveDefaultsClick()
{
    const auto answer = Prompts::instance().message(
        this,
        QStringLiteral("Your current Data Lists will become your default list values.  These values will be used "
                       "when new databases are created.  Previous default values will be lost.  Do you want to "
                       "proceed?"),
        QStringLiteral("Warning"), Prompts::Icon::Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No, true);
    if (answer == QMessageBox::Yes && SaveDefaultLists)
        SaveDefaultLists();
}

void TMain::MenuLoadDefaultsClick()
{
    const auto answer = Prompts::instance().message(
        this,
        QStringLiteral("Your current Data Lists will be overridden with your default list values. Previous  values "
                       "will be lost.  Do you want to proceed?"),
        QStringLiteral("Warning"), Prompts::Icon::Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No, true);
    if (answer == QMessageBox::Yes && LoadDefaultList)
        LoadDefaultList();
}

// ---- search state ---------------------------------------------------------------------------

void TMain::EnableEndSearch()
{
    SearchOn = true;
    SearchOnLabel->setVisible(true);
    updateButtonStates();
}

void TMain::DisableEndSearch()
{
    SearchOn = false;
    SearchOnLabel->setVisible(false);
    updateButtonStates();
}

void TMain::DoEndSearch()
{
    DisableEndSearch();
    MyTable.close();
    openMyTable();
    SetViewerOptions();
    DisplayCount();
}

// ---- the grid ---------------------------------------------------------------------------------

void TMain::SetViewerOptions()
{
    gridFont = fonts::toFont(settings.gridFont);
    gridTitleFont = fonts::toFont(settings.gridTitleFont);
    const bool editing = settings.fieldEditing && !BrowseMode;
    ViewerGrid->verticalHeader()->setVisible(settings.rowIndicator);
    ViewerGrid->setShowGrid(false); // the delegate draws row and column lines separately
    ViewerGrid->setProperty("rowLines", settings.rowLines);
    ViewerGrid->setProperty("columnLines", settings.columnLines);
    ViewerGrid->horizontalHeader()->setVisible(settings.showTitles);
    ViewerGrid->setSelectionBehavior(editing ? QAbstractItemView::SelectItems : QAbstractItemView::SelectRows);
    ViewerGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    ViewerGrid->setEditTriggers(editing ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                              QAbstractItemView::AnyKeyPressed
                                        : QAbstractItemView::NoEditTriggers);
    m_model->setEditable(editing);
    ViewerGrid->setFont(gridFont);
    for (QComboBox *c : {MyComboCountry, MyComboTopic, MyComboCondition})
        c->setFont(gridFont);
    QPalette p = ViewerGrid->palette();
    p.setColor(QPalette::Base, colors::toColor(settings.cellColor));
    p.setColor(QPalette::Text, colors::toColor(settings.gridFont.color));
    ViewerGrid->setPalette(p);
    const Qt::Alignment align = settings.titleAlignment == 1   ? Qt::AlignLeft
                                : settings.titleAlignment == 3 ? Qt::AlignRight
                                                               : Qt::AlignHCenter;
    m_model->setTitleAlignment(align);
    ViewerGrid->horizontalHeader()->setFont(gridTitleFont);
    ViewerGrid->horizontalHeader()->setStyleSheet(
        QStringLiteral("QHeaderView::section { background-color: %1; color: %2; }")
            .arg(colors::toColor(settings.titleBackground).name(), colors::toColor(settings.gridTitleFont.color).name()));

    // Columns by Field Order: position j takes the lowest field whose order is j (field 1
    // when none is), placed as the next visible column unless its display flag is off.
    MyTable.disableControls();
    std::vector<int> order(coin::kFieldCount);
    for (int i = 0; i < coin::kFieldCount; ++i)
        order[i] = i;
    std::vector<bool> shown(coin::kFieldCount, true);
    int next = 0;
    for (int j = 1; j <= coin::kFieldCount; ++j) {
        int k = 0;
        for (int f = 0; f < coin::kFieldCount; ++f)
            if (settings.fieldOrder[f] == j) {
                k = f;
                break;
            }
        if (!settings.displayFields[k]) {
            shown[k] = false;
            continue;
        }
        shown[k] = true;
        order.erase(std::find(order.begin(), order.end(), k));
        int at = 0, seen = 0;
        while (at < static_cast<int>(order.size()) && seen < next) {
            if (shown[order[at]])
                ++seen;
            ++at;
        }
        order.insert(order.begin() + at, k);
        ++next;
    }
    QVector<ViewerModel::Column> columns;
    for (int k : order)
        if (shown[k])
            columns << ViewerModel::Column{k, settings.fieldNames[k], settings.fieldWidth[k]};
    m_model->setColumns(columns);
    MyTable.enableControls();
    const int charWidth = QFontMetrics(gridFont).averageCharWidth();
    for (int c = 0; c < columns.size(); ++c)
        ViewerGrid->setColumnWidth(c, std::max(1, columns[c].widthChars) * charWidth + 8);
    ViewerGrid->setFrameShadow(QFrame::Sunken);
    syncGridToTable();
    ViewerGrid->viewport()->update();
}

void TMain::DisplayCount()
{
    CountLabel->setText(QString::number(MyTable.isOpen() ? MyTable.recordCount() : 0));
}

void TMain::SetColors()
{
    const colors::Painter paint(settings.schemes[colors::Main]);
    paint.window(this);
    paint.window(m_client);
    paint.majorTitle(ViewerLabel);
    paint.minorTitle(NavigatorLabel);
}

// ---- display formats and fonts --------------------------------------------------------------------

void TMain::applyDateStyle()
{
    dbase::DateStyle::setCurrent(formats::dateStyle(settings.dateFormat, settings.dateLeadingZeros));
    for (QAction *a : m_dateGroup->actions())
        a->setChecked(false);
    if (settings.dateFormat >= 1 && settings.dateFormat <= 12)
        action(QLatin1String(formats::kDateStyles[settings.dateFormat - 1].menuName))->setChecked(true);
    action(QStringLiteral("MenuDateLeadingZeros"))->setChecked(settings.dateLeadingZeros);
}

void TMain::chooseDateStyle(int code)
{
    if (code == settings.dateFormat) {
        action(QLatin1String(formats::kDateStyles[code - 1].menuName))->setChecked(true);
        return;
    }
    settings.dateFormat = code;
    applyDateStyle();
    if (MyTable.isOpen())
        MyTable.refresh();
}

void TMain::MenuDateLeadingZerosClick()
{
    settings.dateLeadingZeros = !settings.dateLeadingZeros;
    applyDateStyle();
    if (MyTable.isOpen())
        MyTable.refresh();
}

void TMain::MenuDateMDYSlashClick() { chooseDateStyle(1); }
void TMain::MenuDateMDYDashClick() { chooseDateStyle(2); }
void TMain::MenuDateMDYDotClick() { chooseDateStyle(3); }
void TMain::MenuDateDMYSlashClick() { chooseDateStyle(4); }
void TMain::MenuDateDMYDashClick() { chooseDateStyle(5); }
void TMain::MenuDateDMYDotClick() { chooseDateStyle(6); }
void TMain::MenuDateMDYSlashYrClick() { chooseDateStyle(7); }
void TMain::MenuDateMDYDashYrClick() { chooseDateStyle(8); }
void TMain::MenuDateMDYDotYrClick() { chooseDateStyle(9); }
void TMain::MenuDateDMYSlashYrClick() { chooseDateStyle(10); }
void TMain::MenuDateDMYDashYrClick() { chooseDateStyle(11); }
void TMain::MenuDateDMYDotYrClick() { chooseDateStyle(12); }
void TMain::MenuCurrencyUSClick() { chooseCurrencyFormat(1); }
void TMain::MenuCurrencyWinClick() { chooseCurrencyFormat(2); }
void TMain::MenuNumericUSClick() { chooseNumericFormat(1); }
void TMain::MenuNumericWinClick() { chooseNumericFormat(2); }
void TMain::N640x480Click() { chooseWindowSize(640); }
void TMain::N800x600Click() { chooseWindowSize(800); }
void TMain::N1024x768Click() { chooseWindowSize(1024); }
void TMain::N1280x1024Click() { chooseWindowSize(1280); }
void TMain::MenuMaintainCountryClick() { DoListMaintenance(1); }
void TMain::MenuMaintainTopicClick() { DoListMaintenance(2); }
void TMain::MenuMaintainConditionClick() { DoListMaintenance(3); }
void TMain::MenuMaintainMiscClick() { DoListMaintenance(4); }

void TMain::chooseCurrencyFormat(int format)
{
    settings.currencyFormat = format;
    action(QStringLiteral("MenuCurrencyUS"))->setChecked(format == 1);
    action(QStringLiteral("MenuCurrencyWin"))->setChecked(format == 2);
}

void TMain::chooseNumericFormat(int format)
{
    settings.numericFormat = format;
    action(QStringLiteral("MenuNumericUS"))->setChecked(format == 1);
    action(QStringLiteral("MenuNumericWin"))->setChecked(format == 2);
}

QString TMain::moneyText(int minWidth, double value) const
{
    return formats::MoneyText(minWidth, value, settings.currencyFormat, regional);
}

QString TMain::numberText(int minWidth, int decimals, double value) const
{
    return formats::NumberText(minWidth, decimals, value, settings.numericFormat, regional);
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
    if (size == settings.windowSize) {
        checkWindowSize(m_checkedSize); // nothing happens
        return;
    }
    if (!formats::screenHolds(size, screenSize)) {
        const QSize q = formats::sizeOfChoice(size);
        Prompts::error(this, QStringLiteral("Your current screen resolution does not support %1 x %2 pixels.")
                                 .arg(q.width())
                                 .arg(q.height()));
        checkWindowSize(m_checkedSize);
        return;
    }
    settings.windowSize = size;
    m_scaleFactor = formats::scaleFactor(size);
    checkWindowSize(size);
}

void TMain::readFonts()
{
    labelFont = fonts::toFont(settings.labelFont);
    editFont = fonts::toFont(settings.editFont);
    buttonFont = fonts::toFont(settings.buttonFont);
    gridFont = fonts::toFont(settings.gridFont);
    gridTitleFont = fonts::toFont(settings.gridTitleFont);
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
        fonts::store(settings.labelFont, *f, false);
        applyMainFonts();
    }
}

void TMain::MenuEditFontClick()
{
    if (const auto f = Prompts::instance().chooseFont(this, editFont)) {
        editFont = *f;
        fonts::store(settings.editFont, *f, false);
        applyMainFonts();
    }
}

void TMain::MenuButtonFontClick()
{
    if (const auto f = Prompts::instance().chooseFont(this, buttonFont)) {
        buttonFont = *f;
        fonts::store(settings.buttonFont, *f, false);
        applyMainFonts();
    }
}
