// The report designer: TUserReport (the definition's name, width, fonts, titles, options,
// margins; saves or deletes it), TReportFonts (its four fonts), TRepLayout (the picture of
// its lines, clicked to edit a cell) and TReportPart (one item of a line). They edit the
// shared definition buffer; only TRepLayout works on a copy, put back on "&Ok".
#pragma once

#include "reports/report_definition.h"
#include "reports/report_layout.h"

#include <QDialog>
#include <functional>

struct Settings;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace reports
{

// What the designer's windows use; everything belongs to the report selection window.
struct DesignerContext {
    Settings &settings;                   // field display names, the report window colours
    std::function<void(QWidget *)> place; // fonts, scaling and centring
    double scaleFactor = 1.0;             // the dialog size factor, for the layout picture
    QListWidget *reportList = nullptr;    // the selection window's list of reports
    std::function<void()> reloadList;     // refills it from the file
};

// "Report Definition": opened by New Report (isNew) or Modify Report (the record's index).
class TUserReport : public QDialog
{
    Q_OBJECT
public:
    TUserReport(const DesignerContext &context, bool isNew, int index, QWidget *parent = nullptr);

    void FormShow();
    void ReportNameExit();
    void NumLinesExit();
    // The number of lines read and checked (0..12); false after telling the user.
    bool NumLinesOk();
    void MarginExit(QLineEdit *margin);
    void Chars90Click();
    void Chars120Click();
    void Chars150Click();
    void Level1GroupClick();
    void SetFontsClick();
    void SpecifyButtonClick();
    void UpdateButtonClick();
    void DeleteButtonClick();
    void HelpButtonClick();
    void SaveOutVars();
    // Refreshes the four font texts from the buffer.
    void ShowFonts();

    bool isNew() const { return m_new; }
    int recordIndex() const { return m_index; }
    const QString &openingName() const { return m_openingName; }
    // The width the radio buttons stand for.
    int chosenWidth() const { return m_width; }

    // The text a font is shown by: "Courier New 10pt".
    static QString fontText(const FontBlock &font);

    QLineEdit *ReportName = nullptr;
    QRadioButton *Chars90 = nullptr, *Chars120 = nullptr, *Chars150 = nullptr;
    QLineEdit *TitleLineFont = nullptr, *ColumnHeaderFont = nullptr, *RepBodyDataFont = nullptr,
              *FootnoteFont = nullptr;
    QPushButton *SetFonts = nullptr;
    QLineEdit *Title1 = nullptr, *Title2 = nullptr, *Title3 = nullptr;
    QCheckBox *Level1Group = nullptr, *Level2Group = nullptr, *ColumnHeaders = nullptr,
              *HorzLines = nullptr, *VertLines = nullptr, *DateOnPage = nullptr,
              *PageNumbers = nullptr, *LandOrient = nullptr, *UseTotals = nullptr;
    QLineEdit *NumLines = nullptr;
    QPushButton *SpecifyButton = nullptr;
    QLineEdit *TopMargin = nullptr, *BottomMargin = nullptr, *LeftMargin = nullptr,
              *RightMargin = nullptr;
    QPushButton *UpdateButton = nullptr, *CancelButton = nullptr, *DeleteButton = nullptr,
                *HelpButton = nullptr;

private:
    void SetColors();
    void enableLineOptions(int lines);
    QRadioButton *widthButton(int width) const;
    // Sets the width, fits lines 1..N to it and gives the body font `bodySize` points.
    void changeWidth(int width, int bodySize);
    bool ask(const QString &text) const;

    DesignerContext m_ctx;
    ReportDefinition &m_def;
    bool m_new;
    int m_index;
    QString m_openingName;
    int m_width = 90;
};

// "Report Fonts": the title, column header, body and footnote fonts of the buffer.
class TReportFonts : public QDialog
{
    Q_OBJECT
public:
    TReportFonts(const DesignerContext &context, ReportDefinition &definition,
                 QWidget *parent = nullptr);

    // Asks for a new font for one block, preset with the block's font and colour.
    void NewFontClick(FontKind kind);

    QLineEdit *TitleFont = nullptr, *ColumnFont = nullptr, *BodyFont = nullptr,
              *FootnoteFont = nullptr;
    QPushButton *OkButton = nullptr;

private:
    QLineEdit *textOf(FontKind kind) const;

    DesignerContext m_ctx;
    ReportDefinition &m_def;
};

// "Specify Report Layout": the picture of the body lines and the totals row of a private
// copy of the definition; a press and a release on the same cell open TReportPart. From the
// keyboard, the arrow keys move a marked cell and Enter or Space opens it.
class TRepLayout : public QDialog
{
    Q_OBJECT
public:
    // `width`: the width chosen in TUserReport; `showTotals`: its "Use Totals" box.
    TRepLayout(const DesignerContext &context, ReportDefinition &definition,
               const QString &reportName, int width, bool showTotals, QWidget *parent = nullptr);

    void FormShow();
    // Opens the part editor for a cell of the copy.
    void EditPart(const LayoutHit &hit);
    void OkButtonClick();

    const ReportDefinition &copy() const { return m_copy; }
    LayoutPicture picture() const;
    // The cell the keyboard works on.
    const LayoutHit &current() const { return m_current; }

    QLabel *CaptionPanel = nullptr, *BodyHeading = nullptr, *TotalsHeading = nullptr,
           *Note = nullptr;
    QPushButton *OkButton = nullptr, *CancelButton = nullptr;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // Whether the keys go to the picture (no button has the focus).
    bool pictureHasFocus() const;
    // The rows the keyboard visits: the body lines, then the totals row when it is shown.
    QList<int> rows() const;
    // Moves the marked cell by rows and items, staying on the picture.
    void moveCurrent(int rowStep, int itemStep);

    DesignerContext m_ctx;
    ReportDefinition &m_def;
    ReportDefinition m_copy;
    int m_width;
    bool m_showTotals;
    LayoutHit m_pressed;
    LayoutHit m_current;
};

// "Select Report Part": one item of a line of the layout's copy.
class TReportPart : public QDialog
{
    Q_OBJECT
public:
    // `line`: 1..12 or kTotalsRow; `item`: 1..20.
    TReportPart(const DesignerContext &context, ReportDefinition &layoutCopy, int line, int item,
                int width, QWidget *parent = nullptr);

    void FormShow();
    void RadioClick();
    void OkButtonClick();

    // Positions (0-based) in the twenty field names and the four totals names; -1 if absent.
    static int GetField(const QString &name);
    static int GetTotField(const QString &name);

    QRadioButton *RadioFiller = nullptr, *RadioLabel = nullptr, *RadioField = nullptr;
    QListWidget *FieldList = nullptr;
    QLineEdit *FieldWidth = nullptr, *LabelName = nullptr;
    QLabel *SelPartLabel = nullptr;
    QPushButton *OkButton = nullptr, *CancelButton = nullptr;

private:
    int modelLine() const;
    // The selected entry of the field list; -1 when none is selected.
    int chosenField() const;

    DesignerContext m_ctx;
    ReportDefinition &m_target;
    ReportDefinition m_line; // the layout's copy when shown; only the edited line matters
    int m_lineNumber;
    int m_item;
    int m_width;
};

} // namespace reports
