#include "reports/report_designer.h"

#include "app/settings.h"
#include "config/color_scheme.h"
#include "platform/help_window.h"
#include "platform/modal.h"
#include "platform/prompts.h"
#include "reports/engine/page_stream.h"
#include "reports/report_file.h"
#include "ui/controls.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <optional>

namespace reports
{

using namespace controls;

namespace
{

const QString kLinesRange =
    QStringLiteral("Number of lines must be in range of 0 to 12.  Please correct.");
const QString kTo90 = QStringLiteral(
    "Switching to 90 characters from 120 or 150 will truncate the current defined lines.  In "
    "addition, the font size will be reset to a 10 point as a default.  Are you sure you wish "
    "to do this?");
const QString kTo120 = QStringLiteral(
    "Switching to 120 characters from 150 will truncate the current defined lines.  In "
    "addition, the font size will be reset to a 8 point as a default.  Are you sure you wish to "
    "do this?");
const QString kNotice8 =
    QStringLiteral("The Report Body font size has been set to a 8 Point default size as.");
const QString kNotice6 =
    QStringLiteral("The Report Body font size has been set to a 6 Point default size as a result "
                   "of switching to 150 characters per line.");
const QString kNameChanged = QStringLiteral(
    "Report Title has changed!  Do you wish to save this as a new report?   (YES saves as new "
    "report.  NO overwrites old report.  CANCEL aborts.)");
const QString kDeleteReport = QStringLiteral("Are you sure you want to delete this report?");

void notice(QWidget *owner, const QString &text)
{
    Prompts::instance().message(owner, text, QStringLiteral("Notice"), Prompts::Icon::Warning,
                                QMessageBox::Ok, QMessageBox::Ok, true);
}

// A whole number from trimmed text; nullopt when it is not one.
std::optional<int> wholeNumber(const QString &text)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

// A margin in inches from its text: a number with "." or "," as decimal point; text that is
// not a number reads 0, and the value is kept within 0..20 inches.
double marginValue(const QString &text)
{
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v)) return 0.0;
    return std::clamp(v, 0.0, 20.0);
}

QString marginText(double inches)
{
    return QString::number(inches, 'f', 2);
}

// Makes a text box a read-only text showing a font, skipped by the focus.
void makeFontText(QLineEdit *edit)
{
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::NoFocus);
}

} // namespace

QString TUserReport::fontText(const FontBlock &font)
{
    return font.face + QLatin1Char(' ') + QString::number(font.size) + QStringLiteral("pt");
}

// ---- the definition ---------------------------------------------------------------------

TUserReport::TUserReport(const DesignerContext &context, bool isNew, int index, QWidget *parent)
    : QDialog(parent), m_ctx(context), m_def(ReportDefinition::shared()), m_new(isNew),
      m_index(index)
{
    setObjectName(QStringLiteral("TUserReport"));
    setWindowTitle(QStringLiteral("Report Definition"));
    auto *layout = new QVBoxLayout(this);

    auto *nameRow = new QHBoxLayout;
    auto *nameLabel = label(this, "ReportNameLabel", QStringLiteral("Report Name"));
    ReportName = lineEdit(this, "ReportName", kNameSize);
    nameLabel->setBuddy(ReportName);
    nameRow->addWidget(nameLabel);
    nameRow->addWidget(ReportName, 1);
    layout->addLayout(nameRow);

    auto *columns = new QHBoxLayout;
    layout->addLayout(columns);
    auto *left = new QVBoxLayout;
    auto *right = new QVBoxLayout;
    // The titles and margins take the room the fonts leave.
    columns->addLayout(left, 0);
    columns->addLayout(right, 1);

    auto *widthBox = groupBox(this, "WidthGroup", QStringLiteral("Report Width"));
    auto *widthLayout = new QHBoxLayout(widthBox);
    Chars90 = radio(widthBox, "Chars90", QStringLiteral("90 Chars"));
    Chars120 = radio(widthBox, "Chars120", QStringLiteral("120 Chars"));
    Chars150 = radio(widthBox, "Chars150", QStringLiteral("150 Chars"));
    for (QRadioButton *r : {Chars90, Chars120, Chars150})
        widthLayout->addWidget(r);
    left->addWidget(widthBox);

    auto *fontBox = groupBox(this, "FontGroup", QStringLiteral("Report Fonts"));
    auto *fontLayout = new QGridLayout(fontBox);
    addCaptionedEdits(fontLayout,
                      {{&TitleLineFont, "TitleLineFont", "Title Lines", 0, 0},
                       {&ColumnHeaderFont, "ColumnHeaderFont", "Column Headers", 1, 0},
                       {&RepBodyDataFont, "RepBodyDataFont", "Report Body", 2, 0},
                       {&FootnoteFont, "FootnoteFont", "Footnotes", 3, 0}},
                      0);
    for (QLineEdit *f : {TitleLineFont, ColumnHeaderFont, RepBodyDataFont, FootnoteFont})
        makeFontText(f);
    SetFonts =
        button(fontBox, "SetFonts", QStringLiteral("&Set Fonts"), "preferences-desktop-font");
    fontLayout->addWidget(SetFonts, 4, 1, Qt::AlignRight);
    left->addWidget(fontBox);

    auto *titleBox = groupBox(this, "TitleGroup", QStringLiteral("Report Titles"));
    auto *titleLayout = new QVBoxLayout(titleBox);
    Title1 = lineEdit(titleBox, "Title1", kTitleSize);
    Title2 = lineEdit(titleBox, "Title2", kTitleSize);
    Title3 = lineEdit(titleBox, "Title3", kTitleSize);
    int n = 1;
    for (QLineEdit *t : {Title1, Title2, Title3}) {
        t->setAccessibleName(QStringLiteral("Title %1").arg(n++));
        titleLayout->addWidget(t);
    }
    right->addWidget(titleBox);

    auto *marginBox = groupBox(this, "MarginGroup", QStringLiteral("Margins (in inches)"));
    auto *marginLayout = new QGridLayout(marginBox);
    addCaptionedEdits(marginLayout,
                      {{&TopMargin, "TopMargin", "Top", 0, 0},
                       {&BottomMargin, "BottomMargin", "Bottom", 1, 0},
                       {&LeftMargin, "LeftMargin", "Left", 0, 2},
                       {&RightMargin, "RightMargin", "Right", 1, 2}},
                      5);
    for (QLineEdit *edit : {TopMargin, BottomMargin, LeftMargin, RightMargin})
        connect(edit, &QLineEdit::editingFinished, this, [this, edit] {
            MarginExit(edit);
            NumLinesExit();
        });
    marginLayout->setColumnStretch(1, 1);
    marginLayout->setColumnStretch(3, 1);
    right->addWidget(marginBox);
    auto *linesRow = new QHBoxLayout;
    auto *linesLabel = label(this, "NumLinesLabel", QStringLiteral("Number of Lines"));
    NumLines = lineEdit(this, "NumLines", 2);
    linesLabel->setBuddy(NumLines);
    linesRow->addWidget(linesLabel);
    linesRow->addWidget(NumLines, 1);
    linesRow->addStretch(2);
    right->addLayout(linesRow);
    right->addStretch(1);
    left->addStretch(1);

    auto *miscBox = groupBox(this, "MiscGroup", QStringLiteral("Miscellaneous"));
    auto *miscLayout = new QGridLayout(miscBox);
    Level1Group = checkBox(miscBox, "Level1Group", QStringLiteral("Group by Level 1 Sort"));
    Level2Group = checkBox(miscBox, "Level2Group", QStringLiteral("Group by Level 2 Sort"));
    ColumnHeaders = checkBox(miscBox, "ColumnHeaders", QStringLiteral("Column Headers"));
    HorzLines = checkBox(miscBox, "HorzLines", QStringLiteral("Horizontal Lines"));
    VertLines = checkBox(miscBox, "VertLines", QStringLiteral("Vertical Lines"));
    DateOnPage = checkBox(miscBox, "DateOnPage", QStringLiteral("Date On Pages"));
    PageNumbers = checkBox(miscBox, "PageNumbers", QStringLiteral("Page Numbers"));
    LandOrient = checkBox(miscBox, "LandOrient", QStringLiteral("Print Landscape"));
    UseTotals = checkBox(miscBox, "UseTotals", QStringLiteral("Use Totals"));
    miscLayout->addWidget(Level1Group, 0, 0);
    miscLayout->addWidget(Level2Group, 1, 0);
    miscLayout->addWidget(UseTotals, 2, 0);
    miscLayout->addWidget(ColumnHeaders, 0, 1);
    miscLayout->addWidget(HorzLines, 1, 1);
    miscLayout->addWidget(VertLines, 2, 1);
    miscLayout->addWidget(DateOnPage, 0, 2);
    miscLayout->addWidget(PageNumbers, 1, 2);
    miscLayout->addWidget(LandOrient, 2, 2);
    layout->addWidget(miscBox);

    layout->addStretch(1); // a larger dialog size leaves its room above the buttons
    auto *buttons = new QHBoxLayout;
    SpecifyButton =
        button(this, "SpecifyButton", QStringLiteral("&Specify Report Content"), "document-edit");
    UpdateButton = button(this, "UpdateButton", QStringLiteral("&Update"), "document-save");
    CancelButton = button(this, "CancelButton", QStringLiteral("&Cancel"), "dialog-cancel");
    DeleteButton = button(this, "DeleteButton", QStringLiteral("&Delete"), "edit-delete");
    HelpButton = button(this, "HelpButton", QStringLiteral("&Help"), "help-contents");
    buttons->addWidget(SpecifyButton);
    buttons->addStretch(1);
    for (QPushButton *b : {UpdateButton, CancelButton, DeleteButton, HelpButton})
        buttons->addWidget(b);
    layout->addLayout(buttons);
    UpdateButton->setDefault(true);

    connect(ReportName, &QLineEdit::editingFinished, this, [this] { ReportNameExit(); });
    // Delete follows the name as it is typed, so that a renamed report cannot be deleted
    // by a click that also ends the typing.
    connect(ReportName, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (!m_new) DeleteButton->setEnabled(text.left(kNameSize) == m_openingName);
    });
    connect(NumLines, &QLineEdit::editingFinished, this, [this] { NumLinesExit(); });
    connect(Chars90, &QRadioButton::clicked, this, [this] { Chars90Click(); });
    connect(Chars120, &QRadioButton::clicked, this, [this] { Chars120Click(); });
    connect(Chars150, &QRadioButton::clicked, this, [this] { Chars150Click(); });
    connect(Level1Group, &QCheckBox::clicked, this, [this] { Level1GroupClick(); });
    connect(SetFonts, &QPushButton::clicked, this, [this] { SetFontsClick(); });
    connect(SpecifyButton, &QPushButton::clicked, this, [this] { SpecifyButtonClick(); });
    connect(UpdateButton, &QPushButton::clicked, this, [this] { UpdateButtonClick(); });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(DeleteButton, &QPushButton::clicked, this, [this] { DeleteButtonClick(); });
    connect(HelpButton, &QPushButton::clicked, this, [this] { HelpButtonClick(); });
    // The designed size, which the placement scales; it fits a 640 x 480 screen.
    resize(520, 380);
    FormShow();
}

void TUserReport::FormShow()
{
    ReportName->setText(m_def.name());
    Title1->setText(m_def.title(1));
    Title2->setText(m_def.title(2));
    Title3->setText(m_def.title(3));
    const int lines = m_def.numberOfLines();
    NumLines->setText(QString::number(lines));
    TopMargin->setText(marginText(m_def.topMargin()));
    BottomMargin->setText(marginText(m_def.bottomMargin()));
    LeftMargin->setText(marginText(m_def.leftMargin()));
    RightMargin->setText(marginText(m_def.rightMargin()));
    m_width = m_def.designerWidth();
    widthButton(m_width)->setChecked(true);
    ColumnHeaders->setChecked(m_def.columnHeaders());
    PageNumbers->setChecked(m_def.pageNumbers());
    LandOrient->setChecked(m_def.landscape());
    DateOnPage->setChecked(m_def.dateOnPages());
    UseTotals->setChecked(m_def.useTotals());
    VertLines->setChecked(m_def.verticalLines());
    HorzLines->setChecked(m_def.horizontalLines());
    Level1Group->setChecked(m_def.groupLevel1());
    Level2Group->setChecked(m_def.groupLevel2());
    Level2Group->setEnabled(m_def.groupLevel1());
    ShowFonts();
    enableLineOptions(lines);
    m_openingName = m_def.name();
    DeleteButton->setEnabled(!m_new);
    if (m_ctx.place) m_ctx.place(this);
    SetColors();
    ReportName->setFocus();
}

void TUserReport::SetColors()
{
    const colors::Painter paint(m_ctx.settings.scheme(colors::Target::Report));
    paint.window(this);
    for (QGroupBox *g : findChildren<QGroupBox *>())
        paint.minorTitle(g);
    for (QLineEdit *e : findChildren<QLineEdit *>())
        paint.edit(e);
    for (QRadioButton *r : {Chars90, Chars120, Chars150})
        paint.radio(r);
    for (QCheckBox *c : findChildren<QCheckBox *>())
        paint.check(c);
}

void TUserReport::ShowFonts()
{
    TitleLineFont->setText(fontText(m_def.font(FontKind::Title)));
    ColumnHeaderFont->setText(fontText(m_def.font(FontKind::ColumnHeader)));
    RepBodyDataFont->setText(fontText(m_def.font(FontKind::Body)));
    FootnoteFont->setText(fontText(m_def.font(FontKind::Footnote)));
}

void TUserReport::enableLineOptions(int lines)
{
    for (QCheckBox *c : {ColumnHeaders, HorzLines, VertLines})
        c->setEnabled(lines < 2);
}

QRadioButton *TUserReport::widthButton(int width) const
{
    return width == 150 ? Chars150 : width == 120 ? Chars120 : Chars90;
}

void TUserReport::ReportNameExit()
{
    if (m_new) return;
    m_def.setName(ReportName->text());
    DeleteButton->setEnabled(m_def.name() == m_openingName);
}

void TUserReport::NumLinesExit()
{
    // Text that is no number stays as typed: the check before Specify and Update names it.
    const auto lines = wholeNumber(NumLines->text());
    if (!lines) return;
    m_def.setNumberOfLines(*lines);
    NumLines->setText(QString::number(*lines));
    enableLineOptions(*lines);
}

bool TUserReport::NumLinesOk()
{
    const auto lines = wholeNumber(NumLines->text());
    if (!lines || *lines < 0 || *lines > kBodyLines) {
        notice(this, kLinesRange);
        NumLines->setFocus();
        NumLines->selectAll();
        return false;
    }
    m_def.setNumberOfLines(*lines);
    NumLines->setText(QString::number(*lines));
    enableLineOptions(*lines);
    return true;
}

void TUserReport::MarginExit(QLineEdit *margin)
{
    margin->setText(marginText(marginValue(margin->text())));
}

bool TUserReport::ask(const QString &text) const
{
    return Prompts::instance().message(const_cast<TUserReport *>(this), text,
                                       QStringLiteral("Warning"), Prompts::Icon::Error,
                                       QMessageBox::Yes | QMessageBox::No, QMessageBox::No,
                                       true) == QMessageBox::Yes;
}

void TUserReport::changeWidth(int width, int bodySize)
{
    m_width = width;
    m_def.setWidth(width);
    for (int line = 1; line <= m_def.numberOfLines(); ++line)
        m_def.fitLine(line, width);
    FontBlock body = m_def.font(FontKind::Body);
    body.size = bodySize;
    m_def.setFont(FontKind::Body, body);
    ShowFonts();
}

void TUserReport::Chars90Click()
{
    if (m_width == 90) return;
    if (!ask(kTo90)) {
        widthButton(m_width)->setChecked(true);
        return;
    }
    changeWidth(90, 10);
}

void TUserReport::Chars120Click()
{
    if (m_width == 120) return;
    if (m_width == 150 && !ask(kTo120)) {
        Chars150->setChecked(true);
        return;
    }
    changeWidth(120, 8);
    notice(this, kNotice8);
}

void TUserReport::Chars150Click()
{
    if (m_width == 150) return;
    changeWidth(150, 6);
    notice(this, kNotice6);
}

void TUserReport::Level1GroupClick()
{
    Level2Group->setEnabled(Level1Group->isChecked());
}

void TUserReport::SetFontsClick()
{
    TReportFonts fonts(m_ctx, m_def, this);
    modal::show(&fonts);
    ShowFonts();
}

void TUserReport::SpecifyButtonClick()
{
    if (!NumLinesOk()) return;
    TRepLayout layout(m_ctx, m_def, ReportName->text(), m_width, UseTotals->isChecked(), this);
    modal::show(&layout);
}

void TUserReport::SaveOutVars()
{
    if (const auto lines = wholeNumber(NumLines->text())) m_def.setNumberOfLines(*lines);
    m_def.setTopMargin(marginValue(TopMargin->text()));
    m_def.setBottomMargin(marginValue(BottomMargin->text()));
    m_def.setLeftMargin(marginValue(LeftMargin->text()));
    m_def.setRightMargin(marginValue(RightMargin->text()));
    m_def.setName(ReportName->text());
    m_def.setTitle(1, Title1->text());
    m_def.setTitle(2, Title2->text());
    m_def.setTitle(3, Title3->text());
    m_def.setWidth(m_width);
    m_def.setColumnHeaders(ColumnHeaders->isChecked());
    m_def.setGroupLevel1(Level1Group->isChecked());
    m_def.setGroupLevel2(Level1Group->isChecked() && Level2Group->isChecked());
    m_def.setPageNumbers(PageNumbers->isChecked());
    m_def.setLandscape(LandOrient->isChecked());
    m_def.setDateOnPages(DateOnPage->isChecked());
    m_def.setHorizontalLines(HorzLines->isChecked());
    m_def.setVerticalLines(VertLines->isChecked());
    m_def.setUseTotals(UseTotals->isChecked());
}

void TUserReport::UpdateButtonClick()
{
    if (!NumLinesOk()) return;
    SaveOutVars();
    if (!m_new && m_def.name() != m_openingName) {
        const auto answer = Prompts::instance().message(
            this, kNameChanged, QStringLiteral("Warning"), Prompts::Icon::Error,
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes, true);
        if (answer == QMessageBox::Yes)
            m_new = true;
        else if (answer != QMessageBox::No)
            return;
    }
    ReportFile file;
    int saved = -1;
    // A file changed meanwhile (another copy of the program removed a report) has another
    // report at the index: it is kept, and this one saved as a new one.
    const int at = !m_new && file.holds(m_index, m_openingName) ? m_index : -1;
    try {
        saved = file.save(m_def, at);
    } catch (const ReportFileError &e) {
        Prompts::error(this, QString::fromLocal8Bit(e.what()));
        return;
    }
    m_index = saved;
    if (QListWidget *list = m_ctx.reportList) {
        if (at < 0 && list->count() == saved)
            list->addItem(m_def.name());
        else if (m_ctx.reloadList)
            m_ctx.reloadList();
        list->setCurrentRow(saved);
    }
    accept();
}

void TUserReport::DeleteButtonClick()
{
    if (m_new) return;
    const auto answer = Prompts::instance().message(
        this, kDeleteReport, QStringLiteral("Warning"), Prompts::Icon::Question,
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No, true);
    if (answer != QMessageBox::Yes) return;
    bool removed = false;
    try {
        // Only the report opened: another one at its index (the file changed meanwhile) stays.
        ReportFile file;
        removed = file.holds(m_index, m_openingName) && file.remove(m_index);
    } catch (const ReportFileError &e) {
        Prompts::error(this, QString::fromLocal8Bit(e.what()));
        return;
    }
    // A record that is gone already (the file changed meanwhile) is said so; the list then
    // shows what the file holds.
    if (!removed)
        Prompts::instance().message(this, QStringLiteral("Report format could not be located."),
                                    QStringLiteral("Error"), Prompts::Icon::Warning,
                                    QMessageBox::Ok, QMessageBox::Ok, false);
    if (m_ctx.reloadList) m_ctx.reloadList();
    accept();
}

void TUserReport::HelpButtonClick()
{
    help::show(this, QStringLiteral("User Defined Reports"));
}

// ---- the fonts --------------------------------------------------------------------------

TReportFonts::TReportFonts(const DesignerContext &context, ReportDefinition &definition,
                           QWidget *parent)
    : QDialog(parent), m_ctx(context), m_def(definition)
{
    setObjectName(QStringLiteral("TReportFonts"));
    setWindowTitle(QStringLiteral("Report Fonts"));
    auto *layout = new QVBoxLayout(this);
    const struct {
        QLineEdit **edit;
        FontKind kind;
        const char *name;
        const char *caption;
    } boxes[] = {{&TitleFont, FontKind::Title, "TitleFont", "Titles Font"},
                 {&ColumnFont, FontKind::ColumnHeader, "ColumnFont", "Column Header Font"},
                 {&BodyFont, FontKind::Body, "BodyFont", "Report Body Font"},
                 {&FootnoteFont, FontKind::Footnote, "FootnoteFont", "Footnote Font"}};
    for (const auto &b : boxes) {
        auto *group = new QGroupBox(QLatin1String(b.caption), this);
        group->setObjectName(QLatin1String(b.name) + QStringLiteral("Group"));
        auto *row = new QHBoxLayout(group);
        *b.edit = lineEdit(group, b.name, 0);
        makeFontText(*b.edit);
        (*b.edit)->setAccessibleName(QLatin1String(b.caption));
        (*b.edit)->setText(TUserReport::fontText(m_def.font(b.kind)));
        auto *newFont =
            button(group, "NewFont", QStringLiteral("New Font"), "preferences-desktop-font");
        newFont->setObjectName(QLatin1String(b.name) + QStringLiteral("Button"));
        newFont->setAccessibleName(QStringLiteral("New ") + QLatin1String(b.caption));
        row->addWidget(*b.edit, 1);
        row->addWidget(newFont);
        const FontKind kind = b.kind;
        connect(newFont, &QPushButton::clicked, this, [this, kind] { NewFontClick(kind); });
        layout->addWidget(group);
    }
    OkButton = button(this, "OkButton", QStringLiteral("&Ok"), "dialog-ok");
    OkButton->setDefault(true);
    layout->addWidget(OkButton, 0, Qt::AlignHCenter);
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    resize(380, 300); // the designed size, which the placement scales
    if (m_ctx.place) m_ctx.place(this);
    const colors::Painter paint(m_ctx.settings.scheme(colors::Target::Report));
    paint.window(this);
    for (QGroupBox *g : findChildren<QGroupBox *>())
        paint.minorTitle(g);
    for (QLineEdit *e : findChildren<QLineEdit *>())
        paint.edit(e);
}

QLineEdit *TReportFonts::textOf(FontKind kind) const
{
    switch (kind) {
    case FontKind::Title:
        return TitleFont;
    case FontKind::ColumnHeader:
        return ColumnFont;
    case FontKind::Body:
        return BodyFont;
    default:
        return FootnoteFont;
    }
}

void TReportFonts::NewFontClick(FontKind kind)
{
    FontBlock block = m_def.font(kind);
    QColor colour = QColor::fromRgb(rgbFromStored(block.colour));
    const auto chosen =
        Prompts::instance().chooseFont(this, engine::styledFont(block, block.size), &colour);
    if (!chosen) return;
    block.face = chosen->family().left(kFaceSize);
    if (chosen->pointSize() > 0) block.size = chosen->pointSize();
    block.bold = chosen->bold();
    block.italic = chosen->italic();
    block.underline = chosen->underline();
    block.strikeOut = chosen->strikeOut();
    block.colour = storedFromRgb(colour.rgb());
    m_def.setFont(kind, block);
    textOf(kind)->setText(TUserReport::fontText(m_def.font(kind)));
}

} // namespace reports
