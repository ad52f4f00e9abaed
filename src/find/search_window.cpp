#include "find/search_window.h"

#include "app/settings.h"
#include "config/color_scheme.h"
#include "dbase/table.h"
#include "platform/help_window.h"
#include "platform/long_work.h"
#include "platform/modal.h"
#include "platform/prompts.h"
#include "ui/controls.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

using controls::button;
using namespace finding;

namespace
{

constexpr int kCriteriaColumn = 2;
constexpr int kOperatorColumn = 1;

bool hasOperatorButton(int row)
{
    const SearchRow &r = searchRow(row);
    return r.kind != RowKind::Text || r.list != ValueList::None;
}

} // namespace

// Draws the operator column's buttons and gives the criteria cells their masked editor;
// a cell keeps the text as shown, blanks of the mask included.
class SearchGridDelegate : public QStyledItemDelegate
{
public:
    SearchGridDelegate(TMySearch *form) : QStyledItemDelegate(form), m_form(form) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        if (index.column() != kOperatorColumn) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        if (!hasOperatorButton(index.row() + 1)) return;
        painter->fillRect(option.rect, QColor(128, 128, 128));
        painter->drawText(option.rect, Qt::AlignCenter, QStringLiteral("..."));
    }
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &,
                          const QModelIndex &index) const override
    {
        if (index.column() != kCriteriaColumn) return nullptr;
        auto *edit = new QLineEdit(parent);
        edit->setObjectName(QStringLiteral("CriteriaEditor"));
        edit->setFrame(false);
        return edit;
    }
    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        auto *edit = static_cast<QLineEdit *>(editor);
        const int row = index.row() + 1;
        const SearchRow &r = searchRow(row);
        edit->setInputMask(m_form->SearchGridGetEditMask(row));
        edit->setMaxLength(r.kind == RowKind::Text ? r.textWidth : 32767);
        edit->setText(index.data().toString());
    }
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override
    {
        auto *edit = static_cast<QLineEdit *>(editor);
        model->setData(index, edit->inputMask().isEmpty() ? edit->text() : edit->displayText());
    }
    // Stores what an open cell editor holds, or closes it without storing it.
    void commit(QWidget *editor) { emit commitData(editor); }
    void discard(QWidget *editor) { emit closeEditor(editor); }

private:
    TMySearch *m_form;
};

// The grid: Tab and Shift+Tab move between the criteria cells, past the fixed columns.
class SearchTable : public QTableWidget
{
public:
    using QTableWidget::QTableWidget;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override
    {
        const QModelIndex current = currentIndex();
        if ((action == MoveNext || action == MovePrevious) && current.isValid()) {
            const int row = current.row() + (action == MoveNext ? 1 : -1);
            if (row >= 0 && row < rowCount()) return model()->index(row, kCriteriaColumn);
            return current;
        }
        return QTableWidget::moveCursor(action, modifiers);
    }
};

// ---- TSearchOptions -----------------------------------------------------------------------

TSearchOptions::TSearchOptions(const FindContext &context, QWidget *parent)
    : QDialog(parent), m_ctx(context)
{
    setObjectName(QStringLiteral("TSearchOptions"));
    setWindowTitle(QStringLiteral("Search Options"));
    auto *layout = new QVBoxLayout(this);
    FieldNameLabel = new QLabel(this);
    FieldNameLabel->setObjectName(QStringLiteral("FieldNameLabel"));
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    OkButton = new QPushButton(QStringLiteral("&Ok"), this);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("&Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    layout->addWidget(FieldNameLabel);
    layout->addWidget(ListBox1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    layout->addLayout(buttons);
    connect(OkButton, &QPushButton::clicked, this, &TSearchOptions::OkButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &TSearchOptions::CancelButtonClick);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &TSearchOptions::OkButtonClick);
    resize(220, 260);
}

void TSearchOptions::FormShow()
{
    if (m_ctx.place) m_ctx.place(this);
    SetColors();
}

void TSearchOptions::LoadList(const QStringList &source)
{
    ListBox1->clear();
    ListBox1->addItems(source);
}

void TSearchOptions::SetColors()
{
    const colors::Painter paint(m_ctx.settings.scheme(colors::Target::Search));
    paint.window(this);
    paint.list(ListBox1);
    paint.minorTitle(FieldNameLabel);
}

// ---- TMySearch ------------------------------------------------------------------------------

TMySearch::TMySearch(const FindContext &context, QWidget *parent) : QDialog(parent), m_ctx(context)
{
    setObjectName(QStringLiteral("TMySearch"));
    setWindowTitle(QStringLiteral("Search"));
    buildWindow();
    FormCreate();
}

void TMySearch::buildWindow()
{
    auto *layout = new QVBoxLayout(this);
    SearchGrid = new SearchTable(kSearchRows, 3, this);
    SearchGrid->setObjectName(QStringLiteral("SearchGrid"));
    SearchGrid->verticalHeader()->setVisible(false);
    SearchGrid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    SearchGrid->setTabKeyNavigation(true);
    SearchGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    // The cell editor is always shown: it opens on every cell that becomes current.
    SearchGrid->setEditTriggers(QAbstractItemView::AllEditTriggers);
    m_delegate = new SearchGridDelegate(this);
    SearchGrid->setItemDelegate(m_delegate);
    m_rowHeight = SearchGrid->verticalHeader()->defaultSectionSize();
    layout->addWidget(SearchGrid);

    auto *buttons = new QHBoxLayout;
    OkButton = button(this, "OkButton", QStringLiteral("&Ok"), &TMySearch::OkButtonClick);
    MoreButton =
        button(this, "MoreButton", QStringLiteral("&Find More"), &TMySearch::MoreButtonClick);
    ClearButton =
        button(this, "ClearButton", QStringLiteral("&Clear Search"), &TMySearch::ClearButtonClick);
    ExitButton = button(this, "ExitButton", QStringLiteral("E&xit"), &TMySearch::ExitButtonClick);
    HelpButton = button(this, "HelpButton", QStringLiteral("&Help"), &TMySearch::HelpButtonClick);
    for (QPushButton *b : {OkButton, MoreButton, ClearButton, ExitButton, HelpButton})
        buttons->addWidget(b);
    layout->addLayout(buttons);

    connect(SearchGrid, &QTableWidget::cellClicked, this,
            [this](int row, int column) { SearchGridMouseUp(row + 1, column); });
}

void TMySearch::FormCreate()
{
    OperatorCodes.fill(OpEqual);
}

void TMySearch::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    SearchGrid->setFocus();
    reopenEditor();
}

void TMySearch::FormShow()
{
    const double f = m_ctx.scaleFactor;
    m_criteria.clear();
    SearchGrid->setHorizontalHeaderLabels(
        {QStringLiteral(" FIELD"), QString(), QStringLiteral(" SEARCH CRITERIA    (Level 1)")});
    SearchGrid->setColumnWidth(0, int(200 * f));
    SearchGrid->setColumnWidth(1, int(20 * f));
    SearchGrid->setColumnWidth(2, int(378 * f));
    SearchGrid->setMinimumWidth(int(600 * f) + 20);
    SearchGrid->verticalHeader()->setDefaultSectionSize(int(m_rowHeight * f));
    // Designed with room for all twenty rows; the placement scales the form, and a screen
    // too small for it shrinks it.
    resize(640, SearchGrid->horizontalHeader()->sizeHint().height() + kSearchRows * m_rowHeight +
                    OkButton->sizeHint().height() + 40);
    if (m_ctx.place) m_ctx.place(this);
    if (y() > 10) move(x(), y() - 10);
    for (int row = 1; row <= kSearchRows; ++row) {
        auto *label = new QTableWidgetItem(QLatin1Char(' ') + m_ctx.settings.fieldNames[row - 1]);
        label->setFlags(Qt::ItemIsEnabled);
        SearchGrid->setItem(row - 1, 0, label);
        auto *op = new QTableWidgetItem;
        op->setFlags(Qt::ItemIsEnabled);
        SearchGrid->setItem(row - 1, 1, op);
    }
    emptyCriteria();
    MoreButton->setEnabled(true);
    SetColors();
    SearchGrid->setCurrentCell(0, kCriteriaColumn);
}

QWidget *TMySearch::openEditor() const
{
    return SearchGrid->indexWidget(SearchGrid->currentIndex());
}

void TMySearch::emptyCriteria()
{
    if (QWidget *editor = openEditor()) m_delegate->discard(editor);
    for (int row = 0; row < kSearchRows; ++row) {
        QTableWidgetItem *item = SearchGrid->item(row, kCriteriaColumn);
        if (!item) {
            item = new QTableWidgetItem;
            SearchGrid->setItem(row, kCriteriaColumn, item);
        }
        item->setText(QString());
    }
    reopenEditor();
}

void TMySearch::reopenEditor()
{
    QTableWidgetItem *current = SearchGrid->currentItem();
    if (current && current->column() == kCriteriaColumn && !openEditor())
        SearchGrid->editItem(current);
}

QString TMySearch::criteriaText(int row) const
{
    if (QWidget *editor = openEditor()) m_delegate->commit(editor);
    return SearchGrid->item(row - 1, kCriteriaColumn)->text();
}

void TMySearch::setCriteriaText(int row, const QString &text)
{
    if (QWidget *editor =
            SearchGrid->indexWidget(SearchGrid->model()->index(row - 1, kCriteriaColumn)))
        m_delegate->discard(editor);
    SearchGrid->item(row - 1, kCriteriaColumn)->setText(text);
    reopenEditor();
}

void TMySearch::setLevelTitle()
{
    SearchGrid->horizontalHeaderItem(kCriteriaColumn)
        ->setText(QStringLiteral(" SEARCH CRITERIA    (Level ") +
                  QString::number(m_criteria.level()) + QLatin1Char(')'));
}

void TMySearch::commitEditor()
{
    if (QWidget *editor = openEditor()) m_delegate->commit(editor);
}

QString TMySearch::SearchGridGetEditMask(int row) const
{
    const SearchRow &r = searchRow(row);
    int op = OperatorCodes[static_cast<std::size_t>(row - 1)];
    if (op < OpEqual || op > OpRange) op = OpEqual;
    // Literal characters are escaped where the mask language gives them a meaning; "x"
    // is any character, "0" an optional digit; blanks show as spaces.
    static const char *const prefix[5] = {"", "= ", "\\> ", "\\< ", "\\> "};
    if (r.kind == RowKind::Text) return {};
    QString mask = QString::fromLatin1(prefix[op]);
    if (r.kind == RowKind::Number) {
        mask += QStringLiteral("xxxxxxxxx");
        if (op == OpRange) mask += QStringLiteral(" \\A\\N\\D \\< xxxxxxxx");
    } else {
        const QChar sep = QLatin1Char(dbase::DateStyle::current().separator());
        const QString date =
            QStringLiteral("00") + sep + QStringLiteral("00") + sep + QStringLiteral("0000");
        mask += date;
        if (op == OpRange) mask += QStringLiteral(" \\A\\N\\D \\< ") + date;
    }
    return mask + QStringLiteral("; ");
}

bool TMySearch::SaveFields()
{
    commitEditor();
    std::array<QString, kSearchRows> cells;
    for (int row = 0; row < kSearchRows; ++row)
        cells[static_cast<std::size_t>(row)] = SearchGrid->item(row, kCriteriaColumn)->text();
    const SearchCriteria::LevelResult result =
        m_criteria.readLevel(cells, OperatorCodes, dbase::DateStyle::current());
    switch (result.outcome) {
    case SearchCriteria::Outcome::Stored:
        return true;
    case SearchCriteria::Outcome::NoCriteria:
        Prompts::error(this, result.message);
        SearchGrid->setFocus();
        return false;
    case SearchCriteria::Outcome::Invalid:
        Prompts::error(this, result.message);
        SearchGrid->setCurrentCell(result.row - 1, kCriteriaColumn);
        return false;
    case SearchCriteria::Outcome::TooMany:
        Prompts::error(this, result.message);
        emptyCriteria();
        MoreButton->setEnabled(true);
        setLevelTitle();
        SearchGrid->setFocus();
        return false;
    }
    return false;
}

bool TMySearch::Doit()
{
    // The wait cursor, and progress when testing the records takes long.
    LongWork work(this, windowTitle());
    work.attach(m_ctx.table);
    if (m_ctx.searchOn()) {
        // The viewer starts again from the whole table.
        m_ctx.reopenTable();
        m_ctx.setViewerOptions();
    }
    m_applied = m_criteria;
    m_ctx.enableEndSearch();
    m_ctx.table.refilter();
    if (m_ctx.table.bof() && m_ctx.table.eof()) {
        m_ctx.doEndSearch();
        return false;
    }
    return true;
}

void TMySearch::ClearSearch()
{
    emptyCriteria();
    m_criteria.clear();
    MoreButton->setEnabled(true);
    setLevelTitle();
    SearchGrid->setFocus();
}

void TMySearch::OkButtonClick()
{
    MoreButton->setEnabled(true);
    if (!SaveFields()) return;
    if (Doit()) {
        accept();
        return;
    }
    Prompts::notice(this, kNoMatches);
    ClearSearch();
}

void TMySearch::MoreButtonClick()
{
    if (SaveFields()) {
        emptyCriteria();
        m_criteria.nextLevel();
        setLevelTitle();
        if (m_criteria.level() > 9) MoreButton->setEnabled(false);
    }
    SearchGrid->setFocus();
}

void TMySearch::ExitButtonClick()
{
    MoreButton->setEnabled(true);
    reject();
}

void TMySearch::HelpButtonClick()
{
    help::show(this, QStringLiteral("Search Window"));
}

void TMySearch::SetColors()
{
    const colors::Painter paint(m_ctx.settings.scheme(colors::Target::Search));
    paint.window(this);
    paint.list(SearchGrid);
}

void TMySearch::SearchGridMouseUp(int row, int column)
{
    if (column != kOperatorColumn || row < 1 || row > kSearchRows) return;
    const SearchRow &r = searchRow(row);
    if (!hasOperatorButton(row)) return;
    commitEditor();
    TSearchOptions options(m_ctx, this);
    options.row = row;
    options.FieldNameLabel->setText(m_ctx.settings.fieldNames[row - 1]);
    const bool isOperator = r.kind != RowKind::Text;
    if (isOperator) {
        options.LoadList({QStringLiteral(" = "), QStringLiteral(" > "), QStringLiteral(" < "),
                          QStringLiteral(" > X < ")});
        options.ListBox1->setCurrentRow(OperatorCodes[static_cast<std::size_t>(row - 1)] - 1);
    } else if (r.list == ValueList::YesNo) {
        options.LoadList({QStringLiteral("YES"), QStringLiteral("NO")});
    } else if (m_ctx.pickList) {
        options.LoadList(m_ctx.pickList(r.list));
    }
    options.FormShow();
    const bool ok = modal::show(&options) == QDialog::Accepted;
    if (isOperator) {
        if (!ok || options.ListBox1->currentRow() < 0) return;
        OperatorCodes[static_cast<std::size_t>(row - 1)] = options.ListBox1->currentRow() + 1;
        // The criteria cell's editor is made again with the new mask.
        if (SearchGrid->currentRow() == row - 1)
            SearchGrid->setCurrentCell(row == kSearchRows ? row - 2 : row, kCriteriaColumn);
        SearchGrid->setCurrentCell(row - 1, kCriteriaColumn);
        return;
    }
    if (ok && options.ListBox1->currentItem())
        SearchGrid->item(row - 1, kCriteriaColumn)
            ->setText(options.ListBox1->currentItem()->text());
    if (SearchGrid->currentRow() == row - 1) SearchGrid->setCurrentItem(nullptr);
    SearchGrid->setCurrentCell(row - 1, kCriteriaColumn);
}
