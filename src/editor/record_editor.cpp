#include "editor/record_editor.h"

#include "app/settings.h"
#include "config/color_scheme.h"
#include "db/coin_database.h"
#include "db/coin_schema.h"
#include "dbase/error.h"
#include "dbase/table.h"
#include "editor/list_dialogs.h"
#include "editor/pick_lists.h"
#include "editor/record_print.h"
#include "platform/help_window.h"
#include "platform/modal.h"
#include "platform/prompts.h"
#include "ui/formats.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QVBoxLayout>

namespace
{

constexpr int kApprox = coin::YearApprox;
constexpr int kWanted = coin::Wanted;
constexpr int kMoneyFields[3] = {coin::PurchasePr, coin::MarketValu, coin::PremiumVal};
// Stored as text, trimmed.
constexpr int kTextFields[] = {coin::Country,  coin::FaceValue, coin::Year,       coin::Condition,
                               coin::MintMark, coin::Topic,     coin::Descriptio, coin::Miscellane,
                               coin::Comment,  coin::UserDef1,  coin::UserDef2,   coin::UserDef3,
                               coin::UserDef4};
// The order of the printed lines.
constexpr int kPrintOrder[20] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10,
                                 11, 12, 13, 14, 17, 18, 19, 20, 15, 16};

bool isBlankDate(const QString &trimmed)
{
    return trimmed == QLatin1String("/  /") || trimmed == QLatin1String("-  -") ||
           trimmed == QLatin1String(".  .");
}

int fieldOf(const dbase::Table &t, int number)
{
    return t.fieldByName(coin::field(number).name);
}

} // namespace

TMyEdit::TMyEdit(const EditorContext &context, QWidget *parent) : QDialog(parent), m_ctx(context)
{
    setObjectName(QStringLiteral("TMyEdit"));
    setWindowTitle(QStringLiteral("Edit"));
    // A title bar without minimise and maximise buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    buildWindow();
    buildMenus();
}

// ---- building -------------------------------------------------------------------------

QPushButton *TMyEdit::makeButton(const char *name, const char *caption)
{
    auto *b = new QPushButton(QString::fromUtf8(caption), this);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

void TMyEdit::buildWindow()
{
    makeFieldControls();
    auto *blank = makeButton("BlankDate", "Blank Date");
    auto *select = makeButton("MiscSelect", "Select");
    makeTotals();
    QGridLayout *fields = layoutFields(blank, select);
    const CommandButtons b = makeCommandButtons();
    auto *buttons = new QHBoxLayout;
    for (QPushButton *button : {b.prev, b.next, b.clear, b.update, b.updateExit, b.cancel})
        buttons->addWidget(button);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addStretch();
    layout->addLayout(buttons);
    connectButtons(blank, select, b);
    setKeyOrder(blank, select, b);
    resize(600, 430);
}

// One control per field, by field number.
void TMyEdit::makeFieldControls()
{
    auto edit = [this](int field) {
        auto *e = new QLineEdit(this);
        e->setObjectName(QLatin1String(coin::editorField(field).controlName));
        m_controls[field] = e;
        return e;
    };
    auto combo = [this](int field) {
        auto *c = new QComboBox(this);
        c->setObjectName(QLatin1String(coin::editorField(field).controlName));
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert); // new values reach the list at Update
        // Completion matches the letter case too, so that leaving the box never swaps
        // "canada" for the list's "Canada": another letter case is another entry.
        c->completer()->setCaseSensitivity(Qt::CaseSensitive);
        // The box keeps its designed width whatever the list holds (an entry may be 255
        // characters long); the drop-down list widens to show it.
        c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        c->setMinimumContentsLength(8);
        m_controls[field] = c;
        return c;
    };
    Country = combo(coin::Country);
    FaceValue = edit(coin::FaceValue);
    Year = edit(coin::Year);
    Condition = combo(coin::Condition);
    MintMark = edit(coin::MintMark);
    PurchasePrice = edit(coin::PurchasePr);
    MarketValue = edit(coin::MarketValu);
    PremiumValue = edit(coin::PremiumVal);
    Topic = combo(coin::Topic);
    Description = edit(coin::Descriptio);
    PurchDate = edit(coin::PurchDate);
    Misc = edit(coin::Miscellane);
    Quantity = edit(coin::Quantity);
    Comments = edit(coin::Comment);
    for (int i = 0; i < 4; ++i)
        UserDef[i] = edit(coin::UserDef1 + i);
    Approx = new QCheckBox(this);
    Approx->setObjectName(QStringLiteral("Approx"));
    m_controls[kApprox] = Approx;
    Wanted = new QCheckBox(this);
    Wanted->setObjectName(QStringLiteral("Wanted"));
    m_controls[kWanted] = Wanted;
    for (QLineEdit *money : {PurchasePrice, MarketValue, PremiumValue, Quantity})
        money->setAlignment(Qt::AlignRight);
}

void TMyEdit::makeTotals()
{
    TotalsLabel = new QLabel(QStringLiteral("Totals"), this);
    TotalsLabel->setObjectName(QStringLiteral("TotalsLabel"));
    TotalsLabel->setAlignment(Qt::AlignCenter);
    auto total = [this](const char *name) {
        auto *l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->setMinimumWidth(110);
        return l;
    };
    TotalPPriceLabel = total("TotalPPriceLabel");
    TotalMValueLabel = total("TotalMValueLabel");
    TotalPValueLabel = total("TotalPValueLabel");
}

TMyEdit::CommandButtons TMyEdit::makeCommandButtons()
{
    auto *prev = makeButton("PrevButton", "&Previous");
    auto *next = makeButton("NextButton", "&Next");
    auto *clear = makeButton("ClearButton", "C&lear");
    auto *update = makeButton("UpdateButton", "Upd&ate");
    auto *updateExit = makeButton("UpdateExitButton", "&Update && Exit");
    auto *cancel = makeButton("CancelButton", "E&xit");
    return {prev, next, clear, update, updateExit, cancel};
}

QGridLayout *TMyEdit::layoutFields(QPushButton *blank, QPushButton *select)
{
    auto label = [this](int field) {
        auto *l = new QLabel(this);
        l->setObjectName(QLatin1String(coin::editorField(field).controlName) +
                         QStringLiteral("Label"));
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->setBuddy(m_controls[field]);
        return l;
    };
    // Two columns of label and box; the wide boxes span both.
    auto *grid = new QGridLayout;
    int row = 0;
    auto pair = [&](int field, int column, int span = 1) {
        grid->addWidget(label(field), row, column);
        grid->addWidget(m_controls[field], row, column + 1, 1, span);
    };
    auto withButton = [&](int field, QWidget *extra, int span) {
        grid->addWidget(label(field), row, 0);
        auto *box = new QHBoxLayout;
        box->addWidget(m_controls[field], 1);
        box->addWidget(extra);
        grid->addLayout(box, row, 1, 1, span);
    };
    pair(coin::Country, 0);
    pair(coin::FaceValue, 2);
    ++row;
    grid->addWidget(label(coin::Year), row, 0);
    {
        auto *box = new QHBoxLayout;
        box->addWidget(Year);
        box->addWidget(Approx);
        box->addStretch();
        grid->addLayout(box, row, 1);
    }
    pair(coin::MintMark, 2);
    ++row;
    pair(coin::Condition, 0);
    pair(coin::Topic, 2);
    ++row;
    pair(coin::Descriptio, 0, 3);
    ++row;
    pair(coin::Comment, 0, 3);
    ++row;
    withButton(coin::PurchDate, blank, 1);
    grid->addWidget(Wanted, row, 3);
    ++row;
    withButton(coin::Miscellane, select, 3);
    ++row;
    pair(coin::UserDef1, 0);
    pair(coin::UserDef2, 2);
    ++row;
    pair(coin::UserDef3, 0);
    pair(coin::UserDef4, 2);
    ++row;
    pair(coin::Quantity, 0);
    grid->addWidget(TotalsLabel, row, 2);
    ++row;
    const std::pair<int, QLabel *> totals[3] = {{coin::PurchasePr, TotalPPriceLabel},
                                                {coin::MarketValu, TotalMValueLabel},
                                                {coin::PremiumVal, TotalPValueLabel}};
    for (const auto &[field, value] : totals) {
        pair(field, 0);
        grid->addWidget(value, row, 2);
        ++row;
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    return grid;
}

void TMyEdit::connectButtons(QPushButton *blank, QPushButton *select, const CommandButtons &b)
{
    // An engine error ends a button's command with its message, as it does a menu item's.
    auto onClick = [this](QAbstractButton *button, void (TMyEdit::*handler)()) {
        connect(button, &QAbstractButton::clicked, this, [this, handler] { guarded(handler); });
    };
    onClick(blank, &TMyEdit::BlankDateClick);
    onClick(select, &TMyEdit::MiscSelectClick);
    onClick(Wanted, &TMyEdit::WantedClick);
    onClick(b.prev, &TMyEdit::PrevButtonClick);
    onClick(b.next, &TMyEdit::NextButtonClick);
    onClick(b.clear, &TMyEdit::ClearButtonClick);
    onClick(b.update, &TMyEdit::UpdateButtonClick);
    onClick(b.updateExit, &TMyEdit::UpdateExitButtonClick);
    onClick(b.cancel, &TMyEdit::CancelButtonClick);
}

void TMyEdit::setKeyOrder(QPushButton *blank, QPushButton *select, const CommandButtons &b)
{
    // Tab goes through the boxes row by row as they are laid out, then the buttons.
    const QList<QWidget *> tabChain = {
        Country,      FaceValue,  Year,       Approx,     MintMark, Condition,     Topic,
        Description,  Comments,   PurchDate,  blank,      Wanted,   Misc,          select,
        UserDef[0],   UserDef[1], UserDef[2], UserDef[3], Quantity, PurchasePrice, MarketValue,
        PremiumValue, b.prev,     b.next,     b.clear,    b.update, b.updateExit,  b.cancel};
    for (int i = 0; i + 1 < tabChain.size(); ++i)
        setTabOrder(tabChain[i], tabChain[i + 1]);
    m_ring = {Country,    FaceValue, Year,          Approx,      MintMark,
              Condition,  Topic,     Description,   Comments,    PurchDate,
              Wanted,     Misc,      UserDef[0],    UserDef[1],  UserDef[2],
              UserDef[3], Quantity,  PurchasePrice, MarketValue, PremiumValue};
    // The form sees keys (and leaving a number box) before its controls do.
    for (QWidget *w : findChildren<QWidget *>())
        w->installEventFilter(this);
}

void TMyEdit::buildMenus()
{
    auto *bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("MainMenu1"));
    layout()->setMenuBar(bar);
    auto item = [this](QMenu *menu, const char *name, const char *caption, const char *keys,
                       void (TMyEdit::*handler)(), bool checkable = false) {
        auto *a = menu->addAction(QString::fromUtf8(caption));
        a->setObjectName(QLatin1String(name));
        if (keys) a->setShortcut(QKeySequence(QLatin1String(keys)));
        a->setCheckable(checkable);
        connect(a, &QAction::triggered, this, [this, handler] { guarded(handler); });
        return a;
    };
    QMenu *file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("MenuFile"));
    item(file, "MenuNew", "N&ew Record", "Ctrl+E", &TMyEdit::MenuNewClick);
    item(file, "MenuCopyRecord", "Cop&y Record", "Ctrl+Y", &TMyEdit::MenuCopyRecordClick);
    item(file, "MenuClear", "&Clear Record", "Ctrl+L", &TMyEdit::MenuClearClick);
    item(file, "MenuUpdate", "Up&date Record", "Ctrl+R", &TMyEdit::MenuUpdateClick);
    item(file, "MenuUpdateExit", "&Update && Exit", "Ctrl+U", &TMyEdit::MenuUpdateExitClick);
    file->addSeparator();
    item(file, "MenuPrintRecord", "Prin&t Record", "Ctrl+T", &TMyEdit::MenuPrintRecordClick);
    file->addSeparator();
    item(file, "MenuPrevious", "&Previous Record", "Ctrl+P", &TMyEdit::MenuPreviousClick);
    item(file, "MenuNext", "&Next Record", "Ctrl+N", &TMyEdit::MenuNextClick);
    file->addSeparator();
    item(file, "MenuExit", "E&xit", nullptr, &TMyEdit::MenuExitClick);
    QMenu *editMenu = bar->addMenu(QStringLiteral("&Edit"));
    editMenu->setObjectName(QStringLiteral("MenuEdit"));
    item(editMenu, "MenuCut", "Cu&t", "Ctrl+X", &TMyEdit::MenuCutClick);
    item(editMenu, "MenuCopy", "&Copy", "Ctrl+C", &TMyEdit::MenuCopyClick);
    item(editMenu, "MenuPaste", "&Paste", "Ctrl+V", &TMyEdit::MenuPasteClick);
    item(editMenu, "MenuDelete", "&Delete", "Ctrl+D", &TMyEdit::MenuDeleteClick);
    QMenu *defaults = bar->addMenu(QStringLiteral("&Defaults"));
    defaults->setObjectName(QStringLiteral("MenuDefaults"));
    item(defaults, "MenuLoadDefaults", "&Load In Saved Defaults", "Ctrl+Q",
         &TMyEdit::MenuLoadDefaultsClick);
    item(defaults, "MenuSaveDefaults", "&Save Current Values As Defaults", "Ctrl+S",
         &TMyEdit::MenuSaveDefaultsClick);
    defaults->addSeparator();
    item(defaults, "MenuDefaultsClear", "Load Defaults With &Clear", "Ctrl+W",
         &TMyEdit::MenuDefaultsClearClick, true);
    item(defaults, "MenuDefaultsAdd", "Load Defaults With &Add", "Ctrl+A",
         &TMyEdit::MenuDefaultsAddClick, true);
    QMenu *helpMenu = bar->addMenu(QStringLiteral("&Help"));
    helpMenu->setObjectName(QStringLiteral("MenuHelp"));
    item(helpMenu, "MenuHelpItem", "&Help", "Ctrl+H", &TMyEdit::MenuHelpClick);
}

QAction *TMyEdit::action(const QString &objectName) const
{
    return findChild<QAction *>(objectName);
}

void TMyEdit::guarded(void (TMyEdit::*handler)())
{
    try {
        (this->*handler)();
    } catch (const dbase::Error &e) {
        Prompts::error(this, QString::fromStdString(e.what()));
    }
}

// ---- life cycle -----------------------------------------------------------------------

void TMyEdit::FormCreate()
{
    m_geometry.save(this);
    m_ctx.lists.setEditorCombos(Country, Topic, Condition);
    // Typing limits. They hold back typing only: a longer text the program puts in (an
    // amount shown with separators, a joined Miscellaneous list) is kept whole, and the
    // user may shorten it but not make it longer.
    for (int n = 1; n <= 20; ++n) {
        QLineEdit *e = lineEditOf(n);
        if (!e || e == PurchDate) continue;
        const int limit = coin::field(n).entrySize;
        e->setProperty("typingLimit", limit);
        e->setMaxLength(limit);
        connect(e, &QLineEdit::textEdited, e,
                [e, limit] { e->setMaxLength(std::max(limit, int(e->text().size()))); });
    }
    if (m_ctx.database.browseMode()) {
        for (const char *name : {"MenuNew", "MenuClear", "MenuUpdate", "MenuUpdateExit", "MenuCut",
                                 "MenuCopy", "MenuPaste", "MenuDelete"})
            action(QLatin1String(name))->setEnabled(false);
        findChild<QMenu *>(QStringLiteral("MenuDefaults"))->menuAction()->setEnabled(false);
        for (const char *name : {"UpdateExitButton", "UpdateButton", "ClearButton"})
            findChild<QPushButton *>(QLatin1String(name))->setEnabled(false);
    }
    action(QStringLiteral("MenuDefaultsClear"))
        ->setChecked(m_ctx.database.settings().defaults.loadWithClear);
    action(QStringLiteral("MenuDefaultsAdd"))
        ->setChecked(m_ctx.database.settings().defaults.loadWithAdd);
}

void TMyEdit::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) FormShow();
    QDialog::showEvent(event);
}

void TMyEdit::FormShow()
{
    m_leaving = false;
    m_geometry.restore(this);
    if (m_ctx.place) m_ctx.place(this);
    if (y() > 10) move(x(), y() - 10);
    for (int n = 1; n <= 20; ++n) {
        const QString name = m_ctx.database.settings().fieldNames[n - 1];
        if (auto *check = qobject_cast<QCheckBox *>(m_controls[n]))
            check->setText(name);
        else if (auto *l = findChild<QLabel *>(QLatin1String(coin::editorField(n).controlName) +
                                               QStringLiteral("Label")))
            l->setText(name);
        m_controls[n]->setAccessibleName(name); // what a screen reader says for the box
    }
    SetColors();
    // A drop-down list is as wide as its longest entry, within the screen; the box itself
    // keeps its width.
    const int screenWidth = screen() ? screen()->availableGeometry().width() : 1024;
    for (QComboBox *c : {Country, Topic, Condition}) {
        QAbstractItemView *view = c->view();
        const int wanted =
            view->sizeHintForColumn(0) + view->verticalScrollBar()->sizeHint().width() + 8;
        view->setMinimumWidth(std::min(wanted, screenWidth - 20));
    }
    applyDateMask();
    // The caption says what an Update will do.
    setWindowTitle(m_mode == EditorMode::New    ? QStringLiteral("Edit (New Record)")
                   : m_mode == EditorMode::Copy ? QStringLiteral("Edit (New Copied Record)")
                                                : QStringLiteral("Edit"));
    if (m_mode == EditorMode::Edit || m_mode == EditorMode::Copy)
        LoadInData();
    else
        DoClear(ClearKind::NewRecord);
    takeLoadedValues();
    Country->setFocus();
}

void TMyEdit::showModal(EditorMode mode)
{
    m_mode = mode;
    modal::show(this);
}

void TMyEdit::SetColors()
{
    const colors::Painter paint(m_ctx.database.settings().scheme(colors::Target::Edit));
    paint.window(this);
    paint.majorTitle(TotalsLabel);
    for (QLabel *l : findChildren<QLabel *>())
        if (l != TotalsLabel) paint.minorTitle(l);
    for (QComboBox *c : {Country, Condition, Topic})
        paint.combo(c);
    for (int n = 1; n <= 20; ++n)
        if (auto *e = qobject_cast<QLineEdit *>(m_controls[n])) paint.edit(e);
    paint.check(Approx);
    paint.check(Wanted);
}

void TMyEdit::done(int result)
{
    // Every way out (Exit, Update & Exit, Escape, the close box) passes here. Only Update
    // & Exit leaves without asking: the close box asks too, so that typed values are not
    // lost to a stray click.
    if (!m_leaving && !m_ctx.database.browseMode() && valuesChanged()) {
        const auto answer = Prompts::instance().message(
            this, QStringLiteral("Data has changed.  Do you want to exit without updating?"),
            QStringLiteral("Warning"), Prompts::Icon::Question, QMessageBox::Yes | QMessageBox::No,
            QMessageBox::No, true);
        if (answer != QMessageBox::Yes) return;
    }
    m_leaving = true;
    FormClose();
    QDialog::done(result);
}

void TMyEdit::FormClose()
{
    // The lists stay in memory; they are written again when the editor next closes or
    // another database is opened.
    m_ctx.lists.SaveAllLists(m_ctx.database.basePath(), this);
}

// ---- values ---------------------------------------------------------------------------

QString TMyEdit::controlText(int field) const
{
    QWidget *w = m_controls.at(field);
    if (auto *c = qobject_cast<QComboBox *>(w)) return c->currentText();
    if (auto *check = qobject_cast<QCheckBox *>(w))
        return check->isChecked() ? QStringLiteral("Yes") : QStringLiteral("No");
    if (w == PurchDate) return PurchDate->displayText().replace(QLatin1Char('_'), QLatin1Char(' '));
    return static_cast<QLineEdit *>(w)->text();
}

QLineEdit *TMyEdit::lineEditOf(int field) const
{
    QWidget *w = m_controls.at(field);
    if (auto *c = qobject_cast<QComboBox *>(w)) return c->lineEdit();
    return qobject_cast<QLineEdit *>(w);
}

void TMyEdit::setControlText(int field, const QString &text)
{
    if (auto *check = qobject_cast<QCheckBox *>(m_controls.at(field))) {
        check->setChecked(text == QLatin1String("Yes"));
        return;
    }
    QLineEdit *e = lineEditOf(field);
    if (const int limit = e->property("typingLimit").toInt())
        e->setMaxLength(std::max(limit, int(text.size())));
    if (auto *c = qobject_cast<QComboBox *>(m_controls.at(field)))
        c->setEditText(text);
    else
        e->setText(text);
}

void TMyEdit::takeLoadedValues()
{
    for (int n = 1; n <= 20; ++n)
        LoadedValues[n] = controlText(n);
}

bool TMyEdit::valuesChanged() const
{
    for (int n = 1; n <= 20; ++n)
        if (controlText(n) != LoadedValues[n]) return true;
    return false;
}

void TMyEdit::applyDateMask()
{
    // Day, month and year places in the order and with the separator of the date style;
    // the year always has four.
    const QChar sep = QLatin1Char(dbase::DateStyle::current().separator());
    const QString mask =
        QStringLiteral("99") + sep + QStringLiteral("99") + sep + QStringLiteral("9999;_");
    if (PurchDate->inputMask() != mask) {
        const QString shown = controlText(coin::PurchDate);
        PurchDate->setInputMask(mask);
        PurchDate->setText(shown);
    }
}

QString TMyEdit::dateBoxText(int year, int month, int day) const
{
    const dbase::DateStyle &style = dbase::DateStyle::current();
    const std::string &pattern = style.pattern();
    const QChar sep = QLatin1Char(style.separator());
    QStringList parts;
    char last = 0;
    for (char c : pattern) {
        if (c == last || (c != 'd' && c != 'm' && c != 'y')) continue;
        last = c;
        if (c == 'd')
            parts << QStringLiteral("%1").arg(day, 2, 10, QLatin1Char('0'));
        else if (c == 'm')
            parts << QStringLiteral("%1").arg(month, 2, 10, QLatin1Char('0'));
        else
            parts << QStringLiteral("%1").arg(year, 4, 10, QLatin1Char('0'));
    }
    return parts.join(sep);
}

void TMyEdit::applyWantedState()
{
    if (Wanted->isChecked()) {
        Quantity->setText(QStringLiteral("0"));
        Quantity->setEnabled(false);
    } else {
        Quantity->setEnabled(true);
    }
}

void TMyEdit::LoadInData()
{
    dbase::Table &t = m_ctx.database.table();
    const bool hasRecord = t.isOpen() && t.recNo() != 0;
    for (int n = 1; n <= 20; ++n) {
        if (n == kApprox || n == kWanted) continue;
        const int f = hasRecord ? t.fieldIndex(coin::field(n).name) : -1;
        QString text;
        if (f >= 0 && !t.isNull(f)) {
            switch (coin::field(n).kind) {
            case coin::Kind::Float:
                text = formats::MoneyText(1, t.asFloat(f), m_ctx.database.settings().currencyFormat,
                                          m_ctx.regional);
                break;
            case coin::Kind::Integer:
                text = formats::NumberText(1, 0, t.asFloat(f),
                                           m_ctx.database.settings().numericFormat, m_ctx.regional);
                break;
            case coin::Kind::Date: {
                const dbase::Date d = t.asDate(f);
                text = d.isNull() ? QString() : dateBoxText(d.year, d.month, d.day);
                break;
            }
            default:
                text = QString::fromStdString(t.asString(f));
            }
        }
        setControlText(n, text);
    }
    KeptQuantity = Quantity->text().left(10);
    auto flag = [&](int n) {
        const int f = hasRecord ? t.fieldIndex(coin::field(n).name) : -1;
        return f >= 0 && t.asString(f) == "Yes";
    };
    Approx->setChecked(flag(kApprox));
    Wanted->setChecked(flag(kWanted));
    applyWantedState();
    CalcTotals();
}

void TMyEdit::DoClear(ClearKind kind)
{
    SavedDefaults &d = m_ctx.database.settings().defaults;
    const bool useDefaults = kind == ClearKind::LoadDefaults ||
                             (kind == ClearKind::NewRecord && d.loadWithAdd) ||
                             (kind == ClearKind::Clear && d.loadWithClear);
    for (int n = 1; n <= 20; ++n) {
        if (n == kApprox || n == kWanted) continue;
        QString text;
        if (useDefaults)
            text = *savedDefaultText(d, n);
        else if (n == coin::Quantity)
            text = QStringLiteral("1");
        else if (coin::field(n).kind == coin::Kind::Float)
            text = QStringLiteral("0");
        setControlText(n, text);
    }
    Approx->setChecked(useDefaults && d.approximateYear);
    Wanted->setChecked(useDefaults && d.wanted);
    KeptQuantity = useDefaults ? d.quantity.left(10) : QStringLiteral("1");
    applyWantedState();
    CalcTotals();
}

void TMyEdit::CalcTotals()
{
    const auto &r = m_ctx.regional;
    const int currency = m_ctx.database.settings().currencyFormat;
    const double quantity =
        formats::leadingNumber(Quantity->text(), m_ctx.database.settings().numericFormat, r, true);
    QLabel *labels[3] = {TotalPPriceLabel, TotalMValueLabel, TotalPValueLabel};
    for (int i = 0; i < 3; ++i) {
        const double amount =
            formats::leadingNumber(controlText(kMoneyFields[i]), currency, r, false);
        labels[i]->setText(formats::MoneyText(1, amount * quantity, currency, r) +
                           QLatin1Char(' '));
    }
}

void TMyEdit::moneyExit(int field)
{
    auto *e = static_cast<QLineEdit *>(m_controls[field]);
    double v = 0;
    if (!e->text().trimmed().isEmpty() &&
        formats::readNumberText(e->text(), m_ctx.database.settings().currencyFormat, m_ctx.regional,
                                v))
        setControlText(field, formats::MoneyText(1, v, m_ctx.database.settings().currencyFormat,
                                                 m_ctx.regional));
    CalcTotals();
}

void TMyEdit::QuantityExit()
{
    double v = 0;
    // The quantity is shown and read in the numeric format, so that what is shown reads
    // back the same.
    if (!Quantity->text().trimmed().isEmpty() &&
        formats::readWholeNumber(Quantity->text(), m_ctx.database.settings().numericFormat,
                                 m_ctx.regional, v)) {
        setControlText(
            coin::Quantity,
            formats::NumberText(1, 0, v, m_ctx.database.settings().numericFormat, m_ctx.regional));
        KeptQuantity = Quantity->text().left(10);
    }
    CalcTotals();
}

void TMyEdit::WantedClick()
{
    if (Wanted->isChecked())
        KeptQuantity = Quantity->text().left(10);
    else
        setControlText(coin::Quantity, KeptQuantity);
    applyWantedState();
    CalcTotals();
}

// ---- update ---------------------------------------------------------------------------

bool TMyEdit::DoUpdate()
{
    const auto &r = m_ctx.regional;
    auto refuse = [this](QWidget *box, const QString &text) {
        Prompts::error(this, text);
        box->setFocus();
        return false;
    };
    const QString date = controlText(coin::PurchDate).trimmed();
    const bool blankDate = isBlankDate(date) || date.isEmpty();
    dbase::Date parsed;
    if (!blankDate && !dbase::DateStyle::current().parse(date.toStdString(), parsed))
        return refuse(PurchDate,
                      QStringLiteral("Invalid acquired date specified.  Please correct."));
    double money[3] = {0, 0, 0};
    const char *moneyErrors[3] = {"Invalid purchase price specified.  Please correct.",
                                  "Invalid market value specified.  Please correct.",
                                  "Invalid premium value specified.  Please correct."};
    for (int i = 0; i < 3; ++i) {
        auto *box = static_cast<QLineEdit *>(m_controls[kMoneyFields[i]]);
        if (!box->text().trimmed().isEmpty() &&
            !formats::readNumberText(box->text(), m_ctx.database.settings().currencyFormat, r,
                                     money[i]))
            return refuse(box, QString::fromUtf8(moneyErrors[i]));
    }
    double quantity = 0;
    if (!Quantity->text().trimmed().isEmpty() &&
        !formats::readWholeNumber(Quantity->text(), m_ctx.database.settings().numericFormat, r,
                                  quantity))
        return refuse(Quantity, QStringLiteral("Invalid quantity specified.  Please correct."));
    // A text longer than its field (a joined Miscellaneous list, a long list entry) would
    // be cut when stored; the user shortens it instead.
    for (int n : kTextFields) {
        const int width = coin::field(n).width;
        if (controlText(n).trimmed().size() > width)
            return refuse(
                m_controls[n],
                QStringLiteral("%1 is longer than the %2 characters the database can hold.  "
                               "Please shorten it.")
                    .arg(display(n))
                    .arg(width));
    }

    m_ctx.lists.addToList(picklists::Country, Country->currentText());
    m_ctx.lists.addToList(picklists::Topic, Topic->currentText());
    m_ctx.lists.addToList(picklists::Condition, Condition->currentText());

    dbase::Table &t = m_ctx.database.table();
    // Editing with no current record (an empty table) appends instead.
    const bool append = m_mode != EditorMode::Edit || t.recNo() == 0;
    {
        // Nothing half-written stays behind when a value cannot be written; the mode is
        // kept, so the next Update does the same thing again (appending does not turn into
        // overwriting).
        dbase::PendingChange change(t, append ? dbase::PendingChange::Kind::Append
                                              : dbase::PendingChange::Kind::Edit);
        for (int n : kTextFields)
            t.setAsString(fieldOf(t, n), controlText(n).trimmed().toStdString());
        t.setAsString(fieldOf(t, coin::PurchDate), blankDate ? std::string() : date.toStdString());
        for (int i = 0; i < 3; ++i)
            t.setAsFloat(fieldOf(t, kMoneyFields[i]), money[i]);
        t.setAsFloat(fieldOf(t, coin::Quantity), quantity);
        for (int n : {kWanted, kApprox})
            t.setAsString(fieldOf(t, n), controlText(n).toStdString()); // "Yes" or "No"
        change.post();
    }
    m_mode = EditorMode::Edit;
    return true;
}

void TMyEdit::DoAnUpdate()
{
    if (DoUpdate()) {
        takeLoadedValues();
        setWindowTitle(QStringLiteral("Edit")); // the coin now exists: the next Update edits it
    }
}

void TMyEdit::DoUpdateAndExit()
{
    if (!DoUpdate()) return;
    m_leaving = true;
    close();
}

void TMyEdit::DoExit()
{
    close(); // the question is asked on the way out
}

bool TMyEdit::askUpdate(const QString &question)
{
    const auto answer = Prompts::instance().message(
        this, question, QStringLiteral("Warning"), Prompts::Icon::Question,
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::No, true);
    if (answer == QMessageBox::Cancel) return false;
    if (answer == QMessageBox::Yes) return DoUpdate();
    return true;
}

void TMyEdit::moveRecord(bool forward)
{
    if (!m_ctx.database.browseMode()) {
        const QString where = forward ? QStringLiteral("next") : QStringLiteral("previous");
        if (m_mode == EditorMode::New || m_mode == EditorMode::Copy) {
            if (!askUpdate(
                    QStringLiteral(
                        "This record has not been updated yet.  Update this record before moving "
                        "to the %1 record?")
                        .arg(where)))
                return;
        } else if (valuesChanged()) {
            if (!askUpdate(
                    QStringLiteral(
                        "Data has changed.  Update this record before moving to the %1 record?")
                        .arg(where)))
                return;
        }
    }
    dbase::Table &t = m_ctx.database.table();
    if (t.isOpen()) {
        if (forward)
            t.next();
        else
            t.prior();
    }
    LoadInData();
    takeLoadedValues();
    m_mode = EditorMode::Edit;
    setWindowTitle(QStringLiteral("Edit"));
}

void TMyEdit::DoPreviousRecord()
{
    moveRecord(false);
}

void TMyEdit::DoNextRecord()
{
    moveRecord(true);
}

void TMyEdit::MenuNewClick()
{
    if (valuesChanged() && !askUpdate(QStringLiteral(
                               "Data has changed.  Update this record before creating new one?")))
        return;
    DoClear(ClearKind::NewRecord);
    m_mode = EditorMode::New;
    takeLoadedValues();
    setWindowTitle(QStringLiteral("Edit (New Record)"));
}

void TMyEdit::MenuCopyRecordClick()
{
    if (valuesChanged() && !askUpdate(QStringLiteral("Data has changed.  Update this record before "
                                                     "creating new one with the current data?")))
        return;
    m_mode = EditorMode::New;
    takeLoadedValues();
    setWindowTitle(QStringLiteral("Edit (New Copied Record)"));
}

// ---- defaults -------------------------------------------------------------------------

void TMyEdit::MenuSaveDefaultsClick()
{
    SavedDefaults &d = m_ctx.database.settings().defaults;
    for (int n = 1; n <= 20; ++n)
        if (QString *text = savedDefaultText(d, n))
            *text = controlText(n).left(coin::editorField(n).defaultWidth);
    d.approximateYear = Approx->isChecked();
    d.wanted = Wanted->isChecked();
    if (!SaveSettings(m_ctx.database.settings(), SettingsScope::Program))
        Prompts::error(this, QStringLiteral("The defaults could not be written to NUMAROK.INI."));
}

void TMyEdit::MenuDefaultsClearClick()
{
    bool &flag = m_ctx.database.settings().defaults.loadWithClear;
    flag = !flag;
    action(QStringLiteral("MenuDefaultsClear"))->setChecked(flag);
}

void TMyEdit::MenuDefaultsAddClick()
{
    bool &flag = m_ctx.database.settings().defaults.loadWithAdd;
    flag = !flag;
    action(QStringLiteral("MenuDefaultsAdd"))->setChecked(flag);
}

// ---- other commands -------------------------------------------------------------------

QLineEdit *TMyEdit::focusedEdit() const
{
    QWidget *w = QApplication::focusWidget();
    if (auto *c = qobject_cast<QComboBox *>(w)) return c->lineEdit();
    auto *e = qobject_cast<QLineEdit *>(w);
    if (!e || e == PurchDate || !isAncestorOf(e)) return nullptr;
    if (auto *c = qobject_cast<QComboBox *>(e->parentWidget())) return c->lineEdit();
    return e;
}

void TMyEdit::MenuCutClick()
{
    if (QLineEdit *e = focusedEdit()) e->cut();
}

void TMyEdit::MenuCopyClick()
{
    if (QLineEdit *e = focusedEdit()) e->copy();
}

void TMyEdit::MenuPasteClick()
{
    if (QLineEdit *e = focusedEdit()) e->paste();
}

void TMyEdit::MenuDeleteClick()
{
    if (QLineEdit *e = focusedEdit(); e && e->hasSelectedText())
        e->del(); // the selection only, never the character after the cursor
}

void TMyEdit::MenuHelpClick()
{
    help::show(this, QStringLiteral("Input Window"));
}

void TMyEdit::BlankDateClick()
{
    PurchDate->clear();
}

void TMyEdit::MiscSelectClick()
{
    TMyMiscellaneous dialog(picklists::readListFile(picklists::miscFile()), Misc->text(), this);
    dialog.place = m_ctx.place;
    if (modal::show(&dialog) == QDialog::Accepted)
        setControlText(coin::Miscellane, dialog.result());
}

QString TMyEdit::display(int field) const
{
    return m_ctx.database.settings().fieldNames[field - 1];
}

QStringList TMyEdit::printLines() const
{
    QStringList lines;
    for (int n : kPrintOrder)
        lines << recordprint::line(display(n), controlText(n));
    return lines;
}

void TMyEdit::MenuPrintRecordClick()
{
    recordprint::print(this, printLines());
}

// ---- keys -----------------------------------------------------------------------------

bool TMyEdit::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            QWidget *w = QApplication::focusWidget();
            if (w && qobject_cast<QComboBox *>(w->parentWidget())) w = w->parentWidget();
            const int at = static_cast<int>(m_ring.indexOf(w));
            // The next box along the ring that can take the focus: a disabled one (the
            // quantity of a wanted coin) is passed over.
            for (int step = 1; at >= 0 && step < m_ring.size(); ++step) {
                QWidget *next = m_ring[(at + step) % m_ring.size()];
                if (next->isEnabled() && next->isVisible()) {
                    next->setFocus(Qt::TabFocusReason);
                    break;
                }
            }
            return true; // Enter never reaches a control
        }
    } else if (event->type() == QEvent::ShortcutOverride) {
        // The window's Ctrl shortcuts win over the edit boxes' own (Ctrl+A, Ctrl+U ...),
        // except the clipboard keys, which do the same in either.
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() == Qt::ControlModifier && key->key() >= Qt::Key_A &&
            key->key() <= Qt::Key_Z && key->key() != Qt::Key_X && key->key() != Qt::Key_C &&
            key->key() != Qt::Key_V)
            return true;
    } else if (event->type() == QEvent::FocusOut) {
        if (watched == Quantity)
            QuantityExit();
        else if (watched == PurchasePrice)
            PurchasePriceExit();
        else if (watched == MarketValue)
            MarketValueExit();
        else if (watched == PremiumValue)
            PremiumValueExit();
    }
    return QDialog::eventFilter(watched, event);
}
