// TBaseReport: the line-and-column page model that report generation draws with. Positions
// are inches from the page's top-left corner; the cursor's Y is the baseline of the current
// line. A producer records each page's drawing and hands the finished page to its output
// (the printer, or the page stream).
#pragma once

#include "reports/engine/page_stream.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QPaintDevice;

namespace engine
{

// Column stop rules.
enum Rules { RuleLeft = 1, RuleRight = 2, RuleTop = 4, RuleBottom = 8, RulesAll = 15 };

struct ColumnStop {
    double position = 0; // inches from the page's left edge
    Align align = Align::Left;
    double width = 0;  // inches
    double margin = 0; // inner margin, inches
    int rules = 0;
    int shade = 0; // per cent
};

class TBaseReport
{
public:
    using Event = std::function<void(TBaseReport &)>;
    using PageEvent = std::function<bool(TBaseReport &)>;

    TBaseReport();
    virtual ~TBaseReport();
    TBaseReport(const TBaseReport &) = delete;
    TBaseReport &operator=(const TBaseReport &) = delete;

    // Configuration.
    double MarginLeft = 0.5, MarginRight = 0.5, MarginTop = 0.5, MarginBottom = 0.5;
    double ScaleX = 100, ScaleY = 100;
    QString Title = QStringLiteral("Test Report");
    QPointer<QLabel> StatusLabel;
    QString StatusFormat;
    QStringList StatusText;
    int FirstPage = 1, LastPage = 9999;

    // Page events; OnPrintPage returns whether another page is wanted.
    Event OnBeforePrint, OnNewPage, OnPrintHeader, OnPrintFooter, OnAfterPrint;
    PageEvent OnPrintPage;
    // Called with the expanded status after each refresh (beside the label, if any).
    std::function<void(const QString &)> OnStatus;

    // Runs the whole job; false when it was refused, could not start or was cancelled.
    // An error thrown by an event still runs the finish step, then propagates.
    bool Execute();
    // The job ends at its next drawing or positioning call.
    void Cancel() { m_cancelled = true; }
    bool Cancelled() const { return m_cancelled; }
    bool Printing() const { return m_printing; }

    virtual void SelectPrinter(int index) = 0; // -1: the default printer
    void SetOrientation(QPageLayout::Orientation orientation) { m_orientation = orientation; }
    QPageLayout::Orientation Orientation() const { return m_orientation; }
    // The physical page for the current printer and orientation, in inches.
    double PageWidth() const;
    double PageHeight() const;

    void SetBandTop(double y);
    void SetBandBottom(double y);
    double BandTop() const { return m_bandTop; }
    double BandBottom() const { return m_bandBottom; }
    double BandLeft() const { return MarginLeft; }
    double BandRight() const { return PageWidth() - MarginRight; }
    void Home();
    double CursorX() const { return m_cursorX; }
    double CursorY() const { return m_cursorY; }

    void SetFont(const QString &face, double size);
    void SetBold(bool on);
    void SetItalic(bool on);
    void SetUnderline(bool on);
    void SetStrikeOut(bool on);
    void SetFontColor(QRgb colour);
    const FontStyle &Font() const { return m_font; }
    // Current font size in points / 60 inches (1.2 x the size).
    double LineHeight() const { return m_font.size / 60.0; }

    void PrintCentredAt(const QString &text, double x);
    void PrintInBand(const QString &text, Align align);
    void EndLine();
    void PrintColumns(const QString &text);
    void ClearColumns();
    // A negative position places the stop where the previous one ends (the first at the
    // band's left edge). The margin is in hundredths of an inch.
    void AddColumn(Align align, int rules, int shade, double marginHundredths, double width,
                   double position = -1);
    const std::vector<ColumnStop> &Columns() const { return m_columns; }
    // Width of stop i (1-based) less twice its inner margin; 0 when there is no such stop.
    double ColumnTextWidth(int i) const;
    // Printed width in the current font, in inches.
    double MeasureText(const QString &text) const;
    // 0 below the band bottom, else floor((bottom - cursor Y) / line height) + 1.
    int LinesRemaining() const;
    int PageNumber() const { return m_page; }

    void RefreshStatus();
    // The status format expanded: %p page, %0..%9 status lines, %F %L first and last page,
    // %D device, %R driver, %T port, %% percent; any other code "<ERROR-%x>". A carriage
    // return breaks the line.
    QString ExpandStatus(const QString &format) const;

    virtual QString DeviceName() const = 0;
    virtual QString DriverName() const { return QString(); }
    virtual QString PortName() const { return QString(); }

protected:
    // The device text is measured on, and the page size of the current printer (portrait).
    virtual const QPaintDevice *metricsDevice() const = 0;
    virtual QSizeF portraitPageSize() const = 0;
    // Output: opened before the first page (false ends the job before any page event, the
    // producer having said why), one call per finished page in FirstPage..LastPage, closed
    // at the end.
    virtual bool openOutput() = 0;
    virtual void outputPage(StoredPage &&page) = 0;
    virtual void closeOutput() = 0;
    // Lets pending input through (a cancel button); the filer calls it while recording.
    void processInput();
    // After each recorded command: the filer lets input through now and then.
    virtual void afterCommand() {}

private:
    struct JobCancelled {
    };
    void requireRunning() const;
    void checkCancelled() const;
    void startPage();
    void finishPage();
    const QFontMetricsF &metrics() const;
    void fontChanged();
    void emitFont();
    void emitText(const QString &text, double x, double baseline, Align align, double width = 0);
    void emitLine(double x1, double y1, double x2, double y2);
    void emitRect(double x, double y, double w, double h, int shade);
    double baseline() const;

    bool m_printing = false;
    bool m_cancelled = false;
    int m_page = 0;
    QPageLayout::Orientation m_orientation = QPageLayout::Portrait;
    double m_cursorX = 0, m_cursorY = 0;
    double m_bandTop = 0, m_bandBottom = 0;
    FontStyle m_font;
    std::vector<ColumnStop> m_columns;
    int m_column = 0; // stops used on the current line
    StoredPage m_current;
    int m_currentFont = -1;
    int m_currentShade = -1;
    mutable std::unique_ptr<QFontMetricsF> m_metrics;
};

} // namespace engine
