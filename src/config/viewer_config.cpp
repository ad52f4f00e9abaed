#include "config/viewer_config.h"

#include "config/color_scheme.h"
#include "config/font_setting.h"
#include "db/coin_schema.h"
#include "platform/help_window.h"
#include "platform/prompts.h"
#include "ui/controls.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace viewerrules
{

int widthFromCell(const QString &cell, bool *replaced)
{
    const QString t = cell.trimmed();
    long long v = 0;
    int i = 0;
    for (; i < t.size() && t[i].isDigit() && v < 100000; ++i)
        v = v * 10 + t[i].digitValue();
    const bool ok = i > 0 && v >= 1 && v <= 255;
    if (replaced) *replaced = !ok;
    return ok ? static_cast<int>(v) : 10;
}

QString duplicateName(const QStringList &names)
{
    for (int i = 0; i + 1 < names.size(); ++i)
        for (int j = i + 1; j < names.size(); ++j)
            if (names[i] == names[j]) return names[i];
    return QString();
}

} // namespace viewerrules

using controls::heading;

namespace
{

// A display name holds up to 20 characters; the name cells stop typing there, so that the
// duplicate check sees the names as they are stored.
constexpr int kNameLength = 20;

class NameDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto *line = qobject_cast<QLineEdit *>(editor)) line->setMaxLength(kNameLength);
        return editor;
    }
};

const char *const kHelpKeywords[6] = {"Viewer Configuration Title", "Viewer Configuration Look",
                                      "Viewer Configuration Show",  "Viewer Configuration Widths",
                                      "Viewer Configuration Order", "Viewer Configuration Names"};

QString fontText(const FontSetting &f)
{
    return QStringLiteral("%1pt %2").arg(f.size).arg(f.name);
}

QTableWidget *makeGrid(double factor, const char *name, int rows, const QStringList &titles,
                       const QList<int> &widths, bool editable)
{
    auto *grid = new QTableWidget(rows, static_cast<int>(widths.size()));
    grid->setObjectName(QLatin1String(name));
    if (titles.isEmpty())
        grid->horizontalHeader()->setVisible(false);
    else
        grid->setHorizontalHeaderLabels(titles);
    grid->verticalHeader()->setVisible(false);
    grid->setTabKeyNavigation(true);
    grid->setEditTriggers(editable ? QAbstractItemView::AllEditTriggers
                                   : QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    int total = 20;
    for (int c = 0; c < widths.size(); ++c) {
        grid->setColumnWidth(c, int(widths[c] * factor));
        total += int(widths[c] * factor);
    }
    grid->setMinimumWidth(total);
    grid->verticalHeader()->setDefaultSectionSize(int(22 * factor));
    return grid;
}

// The Title page: column titles shown, their font, background and alignment.
class TitlePage : public QWidget
{
public:
    TitlePage()
    {
        auto *tg = new QGridLayout(this);
        ShowGridTitle = new QCheckBox(QStringLiteral("Show Column Titles"), this);
        ShowGridTitle->setObjectName(QStringLiteral("ShowGridTitle"));
        tg->addWidget(ShowGridTitle, 0, 0, 1, 2);
        QLabel *titleFontLabel = heading(this, "TitleFontLabel", "Title Font");
        tg->addWidget(titleFontLabel, 1, 0, 1, 2);
        TitleFont = new QLineEdit(this);
        TitleFont->setAccessibleName(titleFontLabel->text());
        TitleFont->setObjectName(QStringLiteral("TitleFont"));
        TitleFont->setReadOnly(true);
        titleFontButton = new QPushButton(QStringLiteral("New &Font"), this);
        titleFontButton->setObjectName(QStringLiteral("TitleFontButton"));
        titleFontLabel->setBuddy(TitleFont);
        tg->addWidget(TitleFont, 2, 0);
        tg->addWidget(titleFontButton, 2, 1);
        tg->addWidget(heading(this, "BackgroundLabel", "Background"), 3, 0, 1, 2);
        TitleShape = new QFrame(this);
        TitleShape->setObjectName(QStringLiteral("TitleShape"));
        TitleShape->setFrameShape(QFrame::Box);
        TitleShape->setMinimumSize(60, 24);
        TitleShape->setAccessibleName(QStringLiteral("Background"));
        titleColorButton = new QPushButton(QStringLiteral("New &Color"), this);
        titleColorButton->setObjectName(QStringLiteral("Button1"));
        tg->addWidget(TitleShape, 4, 0);
        tg->addWidget(titleColorButton, 4, 1);
        tg->addWidget(heading(this, "AlignmentLabel", "Alignment"), 5, 0, 1, 2);
        TitleLeft = new QRadioButton(QStringLiteral("Left Justify"), this);
        TitleLeft->setObjectName(QStringLiteral("TitleLeft"));
        TitleCenter = new QRadioButton(QStringLiteral("Center"), this);
        TitleCenter->setObjectName(QStringLiteral("TitleCenter"));
        TitleRight = new QRadioButton(QStringLiteral("Right Justify"), this);
        TitleRight->setObjectName(QStringLiteral("TitleRight"));
        tg->addWidget(TitleLeft, 6, 0);
        tg->addWidget(TitleCenter, 7, 0);
        tg->addWidget(TitleRight, 8, 0);
        tg->setRowStretch(9, 1);
    }
    QCheckBox *ShowGridTitle;
    QLineEdit *TitleFont;
    QPushButton *titleFontButton;
    QFrame *TitleShape;
    QPushButton *titleColorButton;
    QRadioButton *TitleLeft, *TitleCenter, *TitleRight;
};

// The Look and Feel page: grid lines, row indicator, field editing, cell colour and font.
class LookPage : public QWidget
{
public:
    LookPage()
    {
        auto *lg = new QGridLayout(this);
        lg->addWidget(heading(this, "GridOptionLabel", "Grid Options"), 0, 0, 1, 2);
        ColumnLines = new QCheckBox(QStringLiteral("Show lines between columns"), this);
        ColumnLines->setObjectName(QStringLiteral("ColumnLines"));
        RowLines = new QCheckBox(QStringLiteral("Show lines between rows"), this);
        RowLines->setObjectName(QStringLiteral("RowLines"));
        RowIndicator = new QCheckBox(QStringLiteral("Show current row indicator"), this);
        RowIndicator->setObjectName(QStringLiteral("RowIndicator"));
        FieldEditing = new QCheckBox(QStringLiteral("Allow field editing"), this);
        FieldEditing->setObjectName(QStringLiteral("FieldEditing"));
        lg->addWidget(ColumnLines, 1, 0, 1, 2);
        lg->addWidget(RowLines, 2, 0, 1, 2);
        lg->addWidget(RowIndicator, 3, 0, 1, 2);
        lg->addWidget(FieldEditing, 4, 0, 1, 2);
        lg->addWidget(heading(this, "CellColorLabel", "Cell Color"), 5, 0, 1, 2);
        CellColorShape = new QFrame(this);
        CellColorShape->setObjectName(QStringLiteral("CellColorShape"));
        CellColorShape->setFrameShape(QFrame::Box);
        CellColorShape->setMinimumSize(60, 24);
        CellColorShape->setAccessibleName(QStringLiteral("Cell Color"));
        cellColorButton = new QPushButton(QStringLiteral("New &Color"), this);
        cellColorButton->setObjectName(QStringLiteral("NewColorBUtton"));
        lg->addWidget(CellColorShape, 6, 0);
        lg->addWidget(cellColorButton, 6, 1);
        lg->addWidget(heading(this, "CellFontLabel", "Cell Font"), 7, 0, 1, 2);
        GridFont = new QLineEdit(this);
        GridFont->setObjectName(QStringLiteral("GridFont"));
        GridFont->setReadOnly(true);
        GridFont->setAccessibleName(QStringLiteral("Cell Font"));
        cellFontButton = new QPushButton(QStringLiteral("New &Font"), this);
        cellFontButton->setObjectName(QStringLiteral("NewFontButton"));
        lg->addWidget(GridFont, 8, 0);
        lg->addWidget(cellFontButton, 8, 1);
        lg->setRowStretch(9, 1);
    }
    QCheckBox *ColumnLines, *RowLines, *RowIndicator, *FieldEditing;
    QFrame *CellColorShape;
    QPushButton *cellColorButton;
    QLineEdit *GridFont;
    QPushButton *cellFontButton;
};

// The Fields to Show page: Yes or No for each field.
class ShowPage : public QWidget
{
public:
    explicit ShowPage(double factor)
    {
        auto *sl = new QVBoxLayout(this);
        auto *instructions =
            new QLabel(QStringLiteral("For each field that you would like displayed in the Viewer, "
                                      "select 'Yes'.  If you do not wish "
                                      "a field to appear in the Viewer, then select 'No' for that "
                                      "field.  Double Click on the field "
                                      "to change between 'Yes' and 'No'."),
                       this);
        instructions->setObjectName(QStringLiteral("Label4"));
        instructions->setWordWrap(true);
        FieldsToDisplay =
            makeGrid(factor, "FieldsToDisplay", 20,
                     {QStringLiteral("FIELD"), QStringLiteral("DISPLAY IT")}, {200, 100}, false);
        FieldsToDisplay->setAccessibleName(QStringLiteral("Fields to Show"));
        sl->addWidget(instructions);
        sl->addWidget(FieldsToDisplay);
    }
    QTableWidget *FieldsToDisplay;
};

// The Field Widths page.
class WidthsPage : public QWidget
{
public:
    explicit WidthsPage(double factor)
    {
        auto *wl = new QVBoxLayout(this);
        FieldWidthGrid =
            makeGrid(factor, "FieldWidthGrid", 20,
                     {QStringLiteral("FIELD"), QStringLiteral("WIDTH")}, {200, 100}, true);
        FieldWidthGrid->setAccessibleName(QStringLiteral("Field Widths"));
        wl->addWidget(FieldWidthGrid);
    }
    QTableWidget *FieldWidthGrid;
};

// The Field Order page: the fields in column order, moved up and down.
class OrderPage : public QWidget
{
public:
    explicit OrderPage(double factor)
    {
        auto *og = new QGridLayout(this);
        auto *o1 = new QLabel(QStringLiteral("Field"), this);
        o1->setObjectName(QStringLiteral("FieldOrder1Label"));
        auto *o2 = new QLabel(QStringLiteral("Ordering"), this);
        o2->setObjectName(QStringLiteral("FieldOrder2Label"));
        FieldOrderGrid = makeGrid(factor, "FieldOrderGrid", 20, {}, {200}, false);
        FieldOrderGrid->setAccessibleName(QStringLiteral("Field Order"));
        up = new QPushButton(QStringLiteral("&Up"), this);
        up->setObjectName(QStringLiteral("OrderUp"));
        down = new QPushButton(QStringLiteral("&Down"), this);
        down->setObjectName(QStringLiteral("OrderDown"));
        defaults = new QPushButton(QStringLiteral("D&efaults"), this);
        defaults->setObjectName(QStringLiteral("OrderDefaults"));
        og->addWidget(FieldOrderGrid, 0, 0, 6, 1);
        og->addWidget(o1, 0, 1);
        og->addWidget(o2, 1, 1);
        og->addWidget(up, 2, 1);
        og->addWidget(down, 3, 1);
        og->addWidget(defaults, 4, 1);
        og->setRowStretch(5, 1);
    }
    QTableWidget *FieldOrderGrid;
    QPushButton *up, *down, *defaults;
};

// The Field Names page: the name each field shows under.
class NamesPage : public QWidget
{
public:
    explicit NamesPage(double factor)
    {
        auto *nl = new QVBoxLayout(this);
        FieldNameGrid =
            makeGrid(factor, "FieldNameGrid", 20,
                     {QStringLiteral("FIELD"), QStringLiteral("NAME TO USE")}, {200, 200}, true);
        FieldNameGrid->setItemDelegateForColumn(1, new NameDelegate(FieldNameGrid));
        FieldNameGrid->setAccessibleName(QStringLiteral("Field Names"));
        nl->addWidget(FieldNameGrid);
    }
    QTableWidget *FieldNameGrid;
};

} // namespace

TViewConfig::TViewConfig(Settings &settings, double scale, QWidget *parent)
    : QDialog(parent), factor(scale), m_settings(settings)
{
    setObjectName(QStringLiteral("TViewConfig"));
    setWindowTitle(QStringLiteral("Viewer Configuration"));
    for (const QString &n : m_settings.fieldNames)
        m_namesAtOpen << n;
    buildPages();
    resize(620, 470); // room for all six page tabs
}

void TViewConfig::buildPages()
{
    auto *layout = new QVBoxLayout(this);
    MyTabbedPage = new QTabWidget(this);
    MyTabbedPage->setObjectName(QStringLiteral("MyTabbedPage"));
    layout->addWidget(MyTabbedPage);

    auto *titlePage = new TitlePage;
    MyTabbedPage->addTab(titlePage, QStringLiteral("&Title"));
    auto *lookPage = new LookPage;
    MyTabbedPage->addTab(lookPage, QStringLiteral("&Look and Feel"));
    auto *showPage = new ShowPage(factor);
    MyTabbedPage->addTab(showPage, QStringLiteral("Fields to &Show"));
    auto *widthsPage = new WidthsPage(factor);
    MyTabbedPage->addTab(widthsPage, QStringLiteral("Field &Widths"));
    auto *orderPage = new OrderPage(factor);
    MyTabbedPage->addTab(orderPage, QStringLiteral("Field &Order"));
    auto *namesPage = new NamesPage(factor);
    MyTabbedPage->addTab(namesPage, QStringLiteral("Field &Names"));
    ShowGridTitle = titlePage->ShowGridTitle;
    TitleFont = titlePage->TitleFont;
    TitleShape = titlePage->TitleShape;
    TitleLeft = titlePage->TitleLeft;
    TitleCenter = titlePage->TitleCenter;
    TitleRight = titlePage->TitleRight;
    ColumnLines = lookPage->ColumnLines;
    RowLines = lookPage->RowLines;
    RowIndicator = lookPage->RowIndicator;
    FieldEditing = lookPage->FieldEditing;
    CellColorShape = lookPage->CellColorShape;
    GridFont = lookPage->GridFont;
    FieldsToDisplay = showPage->FieldsToDisplay;
    FieldWidthGrid = widthsPage->FieldWidthGrid;
    FieldOrderGrid = orderPage->FieldOrderGrid;
    FieldNameGrid = namesPage->FieldNameGrid;

    auto *buttons = new QHBoxLayout;
    auto *exit = new QPushButton(QStringLiteral("E&xit"), this);
    exit->setObjectName(QStringLiteral("ExitButton"));
    auto *help = new QPushButton(QStringLiteral("&Help"), this);
    help->setObjectName(QStringLiteral("HelpButton"));
    buttons->addStretch();
    buttons->addWidget(exit);
    buttons->addWidget(help);
    layout->addLayout(buttons);

    // Immediate changes.
    connect(ShowGridTitle, &QCheckBox::toggled, this,
            [this](bool on) { m_settings.showTitles = on; });
    connect(ColumnLines, &QCheckBox::toggled, this,
            [this](bool on) { m_settings.columnLines = on; });
    connect(RowLines, &QCheckBox::toggled, this, [this](bool on) { m_settings.rowLines = on; });
    connect(RowIndicator, &QCheckBox::toggled, this,
            [this](bool on) { m_settings.rowIndicator = on; });
    connect(FieldEditing, &QCheckBox::toggled, this,
            [this](bool on) { m_settings.fieldEditing = on; });
    connect(TitleLeft, &QRadioButton::toggled, this, [this](bool on) {
        if (on) m_settings.titleAlignment = 1;
    });
    connect(TitleCenter, &QRadioButton::toggled, this, [this](bool on) {
        if (on) m_settings.titleAlignment = 2;
    });
    connect(TitleRight, &QRadioButton::toggled, this, [this](bool on) {
        if (on) m_settings.titleAlignment = 3;
    });
    auto chooseFont = [this](FontSetting &setting) {
        // The grid fonts have a colour of their own: the dialog offers it.
        QColor color = colors::toColor(setting.color);
        if (const auto f = Prompts::instance().chooseFont(this, fonts::toFont(setting), &color)) {
            fonts::store(setting, *f, true);
            setting.color = colors::fromColor(color);
            showFontTexts();
        }
    };
    connect(titlePage->titleFontButton, &QPushButton::clicked, this,
            [this, chooseFont] { chooseFont(m_settings.gridTitleFont); });
    connect(lookPage->cellFontButton, &QPushButton::clicked, this,
            [this, chooseFont] { chooseFont(m_settings.gridFont); });
    auto chooseColor = [this](int &setting) {
        if (const auto c = Prompts::instance().chooseColor(this, colors::toColor(setting))) {
            setting = colors::fromColor(*c);
            paintSamples();
        }
    };
    connect(titlePage->titleColorButton, &QPushButton::clicked, this,
            [this, chooseColor] { chooseColor(m_settings.titleBackground); });
    connect(lookPage->cellColorButton, &QPushButton::clicked, this,
            [this, chooseColor] { chooseColor(m_settings.cellColor); });
    connect(FieldsToDisplay, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
        if (column != 1) return;
        QTableWidgetItem *item = FieldsToDisplay->item(row, 1);
        item->setText(item->text() == QLatin1String("Yes") ? QStringLiteral("No")
                                                           : QStringLiteral("Yes"));
    });
    connect(orderPage->up, &QPushButton::clicked, this, &TViewConfig::OrderUpClick);
    connect(orderPage->down, &QPushButton::clicked, this, &TViewConfig::OrderDownClick);
    connect(orderPage->defaults, &QPushButton::clicked, this, &TViewConfig::OrderDefaultsClick);
    connect(exit, &QPushButton::clicked, this, &TViewConfig::ExitButtonClick);
    connect(help, &QPushButton::clicked, this, &TViewConfig::HelpButtonClick);
}

void TViewConfig::FormShow()
{
    ShowGridTitle->setChecked(m_settings.showTitles);
    ColumnLines->setChecked(m_settings.columnLines);
    RowLines->setChecked(m_settings.rowLines);
    RowIndicator->setChecked(m_settings.rowIndicator);
    FieldEditing->setChecked(m_settings.fieldEditing);
    if (place) place(this);
    if (y() > 10) move(x(), y() - 10);
    showFontTexts();
    paintSamples();
    (m_settings.titleAlignment == 1   ? TitleLeft
     : m_settings.titleAlignment == 3 ? TitleRight
                                      : TitleCenter)
        ->setChecked(true);
    for (int i = 0; i < coin::kFieldCount; ++i) {
        auto cell = [](const QString &text) { return new QTableWidgetItem(text); };
        FieldsToDisplay->setItem(i, 0, cell(m_settings.fieldNames[i]));
        FieldsToDisplay->setItem(
            i, 1, cell(m_settings.displayFields[i] ? QStringLiteral("Yes") : QStringLiteral("No")));
        FieldWidthGrid->setItem(i, 0, cell(m_settings.fieldNames[i]));
        FieldWidthGrid->setItem(i, 1, cell(QString::number(m_settings.fieldWidth[i])));
        QTableWidgetItem *key = cell(QString::fromLatin1(coin::kFields[i].name));
        key->setFlags(key->flags() & ~Qt::ItemIsEditable);
        FieldNameGrid->setItem(i, 0, key);
        FieldNameGrid->setItem(i, 1, cell(m_settings.fieldNames[i].left(kNameLength)));
        QTableWidgetItem *fixedName = FieldWidthGrid->item(i, 0);
        fixedName->setFlags(fixedName->flags() & ~Qt::ItemIsEditable);
    }
    for (int r = 0; r < coin::kFieldCount; ++r)
        FieldOrderGrid->setItem(r, 0, new QTableWidgetItem(QString()));
    for (int i = 0; i < coin::kFieldCount; ++i) {
        const int position = m_settings.fieldOrder[i];
        if (position >= 1 && position <= coin::kFieldCount)
            FieldOrderGrid->item(position - 1, 0)->setText(m_settings.fieldNames[i]);
    }
    MyTabbedPage->setCurrentIndex(5); // opens on "Field &Names"
    SetColors();
}

void TViewConfig::showFontTexts()
{
    TitleFont->setText(fontText(m_settings.gridTitleFont));
    GridFont->setText(fontText(m_settings.gridFont));
}

void TViewConfig::paintSamples()
{
    for (auto [shape, value] : {std::pair{TitleShape, m_settings.titleBackground},
                                std::pair{CellColorShape, m_settings.cellColor}}) {
        QPalette p = shape->palette();
        p.setColor(QPalette::Window, colors::toColor(value));
        shape->setAutoFillBackground(true);
        shape->setPalette(p);
    }
}

void TViewConfig::SetColors()
{
    const colors::Painter paint(m_settings.scheme(colors::Target::Configure));
    paint.window(this);
    for (const char *name : {"TitleFontLabel", "BackgroundLabel", "AlignmentLabel",
                             "GridOptionLabel", "CellColorLabel", "CellFontLabel"})
        paint.majorTitle(findChild<QWidget *>(QLatin1String(name)));
    for (const char *name : {"FieldOrder1Label", "FieldOrder2Label"})
        paint.minorTitle(findChild<QWidget *>(QLatin1String(name)));
    for (QCheckBox *c : {ShowGridTitle, ColumnLines, RowLines, RowIndicator, FieldEditing})
        paint.check(c);
    for (QRadioButton *r : {TitleLeft, TitleCenter, TitleRight})
        paint.radio(r);
    paint.edit(TitleFont);
    paint.edit(GridFont);
    for (QTableWidget *g : {FieldsToDisplay, FieldWidthGrid, FieldOrderGrid, FieldNameGrid})
        paint.list(g);
}

void TViewConfig::OrderUpClick()
{
    const int row = FieldOrderGrid->currentRow();
    if (row <= 0) return;
    const QString above = FieldOrderGrid->item(row - 1, 0)->text();
    FieldOrderGrid->item(row - 1, 0)->setText(FieldOrderGrid->item(row, 0)->text());
    FieldOrderGrid->item(row, 0)->setText(above);
    FieldOrderGrid->setCurrentCell(row - 1, 0);
}

void TViewConfig::OrderDownClick()
{
    const int row = FieldOrderGrid->currentRow();
    if (row < 0 || row >= coin::kFieldCount - 1) return;
    const QString below = FieldOrderGrid->item(row + 1, 0)->text();
    FieldOrderGrid->item(row + 1, 0)->setText(FieldOrderGrid->item(row, 0)->text());
    FieldOrderGrid->item(row, 0)->setText(below);
    FieldOrderGrid->setCurrentCell(row + 1, 0);
}

void TViewConfig::OrderDefaultsClick()
{
    if (Prompts::instance().message(
            this,
            QStringLiteral("This will set the order of fields to the program defaults.  Continue?"),
            QStringLiteral("Re-Order"), Prompts::Icon::None, QMessageBox::Yes | QMessageBox::No,
            QMessageBox::Yes, false) != QMessageBox::Yes)
        return;
    for (int i = 0; i < coin::kFieldCount; ++i)
        FieldOrderGrid->item(i, 0)->setText(m_namesAtOpen[i]);
}

void TViewConfig::HelpButtonClick()
{
    help::show(this, QLatin1String(kHelpKeywords[MyTabbedPage->currentIndex()]));
}

bool TViewConfig::FormCloseQuery()
{
    // A cell being typed in is committed when the current cell goes.
    FieldNameGrid->setCurrentIndex(QModelIndex());
    FieldWidthGrid->setCurrentIndex(QModelIndex());
    QStringList names;
    for (int i = 0; i < coin::kFieldCount; ++i)
        names << FieldNameGrid->item(i, 1)->text().left(kNameLength); // as they will be stored
    const QString dup = viewerrules::duplicateName(names);
    if (dup.isNull()) return true;
    Prompts::error(this, QStringLiteral("Two field names have the same name \"") + dup +
                             QStringLiteral("\".  Please change one."));
    MyTabbedPage->setCurrentIndex(5);
    FieldNameGrid->setFocus();
    return false;
}

void TViewConfig::FormClose()
{
    for (int i = 0; i < coin::kFieldCount; ++i) {
        bool replaced = false;
        m_settings.fieldWidth[i] =
            viewerrules::widthFromCell(FieldWidthGrid->item(i, 1)->text(), &replaced);
        if (replaced) FieldWidthGrid->item(i, 1)->setText(QStringLiteral("10"));
        m_settings.displayFields[i] = FieldsToDisplay->item(i, 1)->text() == QLatin1String("Yes");
    }
    // Positions by the names as they were on opening, then the new names.
    for (int i = 0; i < coin::kFieldCount; ++i)
        for (int r = 0; r < coin::kFieldCount; ++r)
            if (FieldOrderGrid->item(r, 0)->text() == m_namesAtOpen[i]) {
                m_settings.fieldOrder[i] = r + 1;
                break;
            }
    for (int i = 0; i < coin::kFieldCount; ++i)
        m_settings.fieldNames[i] = FieldNameGrid->item(i, 1)->text().left(kNameLength);
}

void TViewConfig::closeEvent(QCloseEvent *event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    m_closing = true;
    QDialog::closeEvent(event); // hides the dialog through reject()
    m_closing = false;
}

void TViewConfig::reject()
{
    if (m_closing)
        QDialog::reject();
    else
        close(); // Escape closes like Exit: through the checks
}
