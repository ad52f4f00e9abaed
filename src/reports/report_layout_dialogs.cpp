// TRepLayout and TReportPart: the layout picture of the designer and its part editor.
#include "app/settings.h"
#include "config/color_scheme.h"
#include "db/coin_schema.h"
#include "platform/modal.h"
#include "platform/prompts.h"
#include "reports/report_designer.h"
#include "ui/controls.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

namespace reports
{

using namespace controls;

namespace
{

void refuse(QWidget *owner, const QString &text)
{
    Prompts::instance().message(owner, text, QStringLiteral("Error"), Prompts::Icon::Warning,
                                QMessageBox::Ok, QMessageBox::Ok, true);
}

} // namespace

// ---- the layout picture -----------------------------------------------------------------

TRepLayout::TRepLayout(const DesignerContext &context, ReportDefinition &definition,
                       const QString &reportName, int width, bool showTotals, QWidget *parent)
    : QDialog(parent), m_ctx(context), m_def(definition), m_width(width), m_showTotals(showTotals)
{
    setObjectName(QStringLiteral("TRepLayout"));
    setWindowTitle(QStringLiteral("Specify Report Layout"));
    // Placed in the picture's design units; the placement scales them with the picture.
    setFixedSize(633, 428);
    CaptionPanel = label(this, "CaptionPanel", QStringLiteral("Report: ") + reportName);
    CaptionPanel->setFrameShape(QFrame::Panel);
    CaptionPanel->setFrameShadow(QFrame::Raised);
    CaptionPanel->setGeometry(4, 4, 625, 22);
    Note = label(this, "Note",
                 QStringLiteral("Using the left mouse button, click on the area where you "
                                "would like to add or change the report layout."));
    Note->setWordWrap(true);
    Note->setGeometry(4, 28, 625, 24);
    BodyHeading = label(this, "BodyHeading", QStringLiteral("Report Body"));
    BodyHeading->setGeometry(4, 54, 300, 19);
    TotalsHeading = label(this, "TotalsHeading", QStringLiteral("Report Totals"));
    TotalsHeading->setGeometry(4, 334, 300, 19);
    OkButton = button(this, "OkButton", QStringLiteral("&Ok"), "dialog-ok");
    OkButton->setGeometry(220, 388, 90, 30);
    OkButton->setDefault(true);
    CancelButton = button(this, "CancelButton", QStringLiteral("&Cancel"), "dialog-cancel");
    CancelButton->setGeometry(323, 388, 90, 30);
    connect(OkButton, &QPushButton::clicked, this, [this] { OkButtonClick(); });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    // The picture itself takes the focus first; Tab goes on to the buttons.
    setFocusPolicy(Qt::StrongFocus);
    setFocus();
    FormShow();
}

void TRepLayout::FormShow()
{
    m_copy = m_def;
    const QList<int> visited = rows();
    m_current = visited.isEmpty() ? LayoutHit() : LayoutHit{visited.first(), 1};
    BodyHeading->setVisible(m_copy.numberOfLines() > 0);
    TotalsHeading->setVisible(m_showTotals);
    if (m_ctx.place) m_ctx.place(this);
    const colors::Painter paint(m_ctx.settings.scheme(colors::Target::Report));
    paint.window(this);
    paint.majorTitle(CaptionPanel);
    for (QLabel *l : {Note, BodyHeading, TotalsHeading})
        paint.minorTitle(l);
}

LayoutPicture TRepLayout::picture() const
{
    return LayoutPicture(m_ctx.scaleFactor, m_width);
}

void TRepLayout::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    QPainter p(this);
    const LayoutPicture pic = picture();
    pic.paint(p, m_copy, m_showTotals, m_ctx.settings.fieldNames);
    if (!pictureHasFocus() || !m_current.valid()) return;
    // The marked cell, inside its borders.
    const bool totals = m_current.line == kTotalsRow;
    const int top =
        totals ? pic.totalsTop() : pic.bodyTop() + (m_current.line - 1) * pic.rowHeight();
    for (const LayoutPicture::Cell &c : pic.cells(m_copy, totals ? kTotalsLine : m_current.line))
        if (c.item == m_current.item) {
            p.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DashLine));
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRect(c.left + 2, top + 2, c.right - c.left - 4, pic.rowHeight() - 4));
        }
}

bool TRepLayout::pictureHasFocus() const
{
    const QWidget *focused = focusWidget();
    return !focused || focused == this;
}

QList<int> TRepLayout::rows() const
{
    QList<int> out;
    for (int line = 1; line <= m_copy.numberOfLines(); ++line)
        out << line;
    if (m_showTotals) out << kTotalsRow;
    return out;
}

void TRepLayout::moveCurrent(int rowStep, int itemStep)
{
    const QList<int> visited = rows();
    if (visited.isEmpty()) return;
    qsizetype row = std::max<qsizetype>(0, visited.indexOf(m_current.line));
    row = std::clamp<qsizetype>(row + rowStep, 0, visited.size() - 1);
    const int line = visited.at(row);
    const int items = std::max(1, m_copy.usedItems(line == kTotalsRow ? kTotalsLine : line));
    m_current = LayoutHit{line, std::clamp(m_current.item + itemStep, 1, items)};
    update();
}

void TRepLayout::keyPressEvent(QKeyEvent *event)
{
    if (!pictureHasFocus()) {
        QDialog::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Up:
        moveCurrent(-1, 0);
        break;
    case Qt::Key_Down:
        moveCurrent(1, 0);
        break;
    case Qt::Key_Left:
        moveCurrent(0, -1);
        break;
    case Qt::Key_Right:
        moveCurrent(0, 1);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        EditPart(m_current);
        break;
    default:
        QDialog::keyPressEvent(event);
        return;
    }
    event->accept();
}

void TRepLayout::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        const QPoint at = event->position().toPoint();
        m_pressed = picture().CalcPosition(m_copy, at.x(), at.y());
    }
    QDialog::mousePressEvent(event);
}

void TRepLayout::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        const QPoint at = event->position().toPoint();
        const LayoutHit hit = picture().CalcPosition(m_copy, at.x(), at.y());
        const LayoutHit pressed = m_pressed;
        m_pressed = LayoutHit();
        if (hit.valid() && hit == pressed) EditPart(hit);
    }
    QDialog::mouseReleaseEvent(event);
}

void TRepLayout::EditPart(const LayoutHit &hit)
{
    if (!hit.valid()) return;
    TReportPart part(m_ctx, m_copy, hit.line, hit.item, m_width, this);
    modal::show(&part);
    m_current = hit;
    moveCurrent(0, 0); // an edit can end the line before the marked item
    update();
}

void TRepLayout::OkButtonClick()
{
    m_def = m_copy;
    accept();
}

// ---- the part editor --------------------------------------------------------------------

TReportPart::TReportPart(const DesignerContext &context, ReportDefinition &layoutCopy, int line,
                         int item, int width, QWidget *parent)
    : QDialog(parent), m_ctx(context), m_target(layoutCopy), m_lineNumber(line), m_item(item),
      m_width(width)
{
    setObjectName(QStringLiteral("TReportPart"));
    setWindowTitle(QStringLiteral("Select Report Part"));
    auto *layout = new QVBoxLayout(this);
    auto *selected = groupBox(this, "SelPartPanel", QStringLiteral("Selected Part"));
    auto *selectedLayout = new QHBoxLayout(selected);
    SelPartLabel = label(selected, "SelPartLabel", QString());
    selectedLayout->addWidget(SelPartLabel);
    layout->addWidget(selected);

    auto *columns = new QHBoxLayout;
    layout->addLayout(columns, 1);
    auto *left = new QVBoxLayout;
    columns->addLayout(left);
    auto *type = groupBox(this, "TypeGroup", QStringLiteral("Type"));
    auto *typeLayout = new QVBoxLayout(type);
    RadioFiller = radio(type, "RadioFiller", QStringLiteral("Filler (empty space)"));
    RadioLabel = radio(type, "RadioLabel", QStringLiteral("Label (constant value)"));
    RadioField = radio(type, "RadioField", QStringLiteral("Field (database value)"));
    for (QRadioButton *r : {RadioFiller, RadioLabel, RadioField}) {
        typeLayout->addWidget(r);
        connect(r, &QRadioButton::clicked, this, [this] { RadioClick(); });
    }
    left->addWidget(type);
    auto *widthBox = groupBox(this, "WidthGroup", QStringLiteral("Width"));
    auto *widthLayout = new QHBoxLayout(widthBox);
    FieldWidth = lineEdit(widthBox, "FieldWidth", 3);
    FieldWidth->setAccessibleName(QStringLiteral("Width"));
    widthLayout->addWidget(FieldWidth, 1);
    widthLayout->addStretch(1);
    left->addWidget(widthBox);
    auto *labelBox = groupBox(this, "LabelGroup", QStringLiteral("Label Name"));
    auto *labelLayout = new QHBoxLayout(labelBox);
    LabelName = lineEdit(labelBox, "LabelName", kLabelSize);
    LabelName->setAccessibleName(QStringLiteral("Label Name"));
    labelLayout->addWidget(LabelName);
    left->addWidget(labelBox);
    left->addStretch(1);

    auto *fields = groupBox(this, "FieldGroup", QStringLiteral("Fields"));
    auto *fieldLayout = new QVBoxLayout(fields);
    FieldList = new QListWidget(fields);
    FieldList->setObjectName(QStringLiteral("FieldList"));
    FieldList->setAccessibleName(QStringLiteral("Fields"));
    fieldLayout->addWidget(FieldList);
    columns->addWidget(fields, 1);

    auto *buttons = new QHBoxLayout;
    OkButton = button(this, "OkButton", QStringLiteral("&Ok"), "dialog-ok");
    OkButton->setDefault(true);
    CancelButton = button(this, "CancelButton", QStringLiteral("&Cancel"), "dialog-cancel");
    buttons->addStretch(1);
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    connect(OkButton, &QPushButton::clicked, this, [this] { OkButtonClick(); });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(FieldList, &QListWidget::itemDoubleClicked, this, [this] { OkButtonClick(); });
    resize(480, 330);
    FormShow();
}

int TReportPart::modelLine() const
{
    return m_lineNumber == kTotalsRow ? kTotalsLine : m_lineNumber;
}

int TReportPart::GetField(const QString &name)
{
    for (int n = 1; n <= coin::kFieldCount; ++n)
        if (name.compare(QLatin1String(coin::field(n).name), Qt::CaseInsensitive) == 0)
            return n - 1;
    return -1;
}

int TReportPart::GetTotField(const QString &name)
{
    for (int k = 0; k < static_cast<int>(kTotalsNames.size()); ++k)
        if (name.compare(kTotalsNames[static_cast<size_t>(k)], Qt::CaseInsensitive) == 0) return k;
    return -1;
}

void TReportPart::FormShow()
{
    m_line = m_target;
    const bool totals = m_lineNumber == kTotalsRow;
    FieldList->clear();
    if (totals) {
        for (const QString &name : kTotalsNames)
            FieldList->addItem(name);
        SelPartLabel->setText(QStringLiteral("Totals Line, Item ") + QString::number(m_item));
    } else {
        for (const QString &name : m_ctx.settings.fieldNames)
            FieldList->addItem(name);
        SelPartLabel->setText(QStringLiteral("Line ") + QString::number(m_lineNumber) +
                              QStringLiteral(", Item ") + QString::number(m_item));
    }
    const Item item = m_line.item(modelLine(), m_item);
    LabelName->clear();
    FieldList->setCurrentRow(-1);
    FieldList->clearSelection();
    switch (item.kindOf()) {
    case ItemKind::Label:
        RadioLabel->setChecked(true);
        LabelName->setText(item.label);
        break;
    case ItemKind::Filler:
        RadioFiller->setChecked(true);
        break;
    case ItemKind::Field:
        RadioField->setChecked(true);
        FieldList->setCurrentRow(totals ? GetTotField(item.kind) : GetField(item.kind));
        break;
    }
    RadioClick();
    FieldWidth->setText(QString::number(item.width));
    if (m_ctx.place) m_ctx.place(this);
    const colors::Painter paint(m_ctx.settings.scheme(colors::Target::Report));
    paint.window(this);
    for (QGroupBox *g : findChildren<QGroupBox *>())
        paint.minorTitle(g);
    paint.edit(FieldWidth);
    paint.edit(LabelName);
    paint.list(FieldList);
    for (QRadioButton *r : {RadioFiller, RadioLabel, RadioField})
        paint.radio(r);
    FieldWidth->setFocus();
}

int TReportPart::chosenField() const
{
    const QList<QListWidgetItem *> selected = FieldList->selectedItems();
    return selected.isEmpty() ? -1 : FieldList->row(selected.first());
}

void TReportPart::RadioClick()
{
    LabelName->setEnabled(RadioLabel->isChecked());
    FieldList->setEnabled(RadioField->isChecked());
}

void TReportPart::OkButtonClick()
{
    bool ok = false;
    const int width = FieldWidth->text().trimmed().toInt(&ok);
    if (!ok) {
        refuse(this, QStringLiteral("Invalid width entered.  Please correct."));
        FieldWidth->setFocus();
        FieldWidth->selectAll();
        return;
    }
    // An item of the field kind must name a field the user chose: a row the list made
    // current on taking the focus, without selecting it, is no choice.
    const int chosen = chosenField();
    if (RadioField->isChecked() && chosen < 0) {
        refuse(this, QStringLiteral("No field has been selected.  Please choose one."));
        FieldList->setFocus();
        return;
    }
    const int line = modelLine();
    m_line.setItemWidth(line, m_item, width);
    m_line.fitLine(line, m_width);
    Item item = m_line.item(line, m_item);
    item.label.clear();
    if (RadioFiller->isChecked()) {
        item.kind = kFillerKind;
        item.field = 0;
    } else if (RadioLabel->isChecked()) {
        item.kind = kLabelKind;
        item.field = 0;
        item.label = LabelName->text().left(kLabelSize);
    } else {
        item.kind = line == kTotalsLine ? kTotalsNames[static_cast<size_t>(chosen)]
                                        : QLatin1String(coin::field(chosen + 1).name);
        item.field = chosen + 1;
    }
    m_line.setItem(line, m_item, item);
    // Only the edited line goes back into the layout's copy.
    QByteArray bytes = m_target.bytes();
    const int at = ReportDefinition::lineOffset(line);
    bytes.replace(at, kLineSize, m_line.bytes().mid(at, kLineSize));
    m_target.setBytes(bytes);
    accept();
}

} // namespace reports
