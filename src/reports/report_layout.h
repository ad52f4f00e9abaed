// The designer's picture of a report's layout: the body lines and the totals row as rows of
// cells, one per item, sized by the items' running width. Geometry, hit test and painting
// in one plain class, so the layout dialog and its tests share them.
#pragma once

#include "reports/report_definition.h"

#include <QString>
#include <QVector>
#include <array>

class QPainter;

namespace reports
{

// The line number of the totals row in the picture and the part editor.
constexpr int kTotalsRow = 100;

// The four totals a totals item can print, in the order of their stored numbers 1..4.
extern const std::array<QString, 4> kTotalsNames;

struct LayoutHit {
    int line = -1; // 1..12, kTotalsRow, or -1
    int item = -1; // 1..20, or -1
    bool valid() const { return line > 0 && item > 0; }
    bool operator==(const LayoutHit &) const = default;
};

class LayoutPicture
{
public:
    // `factor`: the dialog size factor; `reportWidth`: characters per line (90, 120, 150).
    LayoutPicture(double factor, int reportWidth);

    // The picture's measures in pixels: design units times the factor, truncated.
    int left() const { return m_x0; }
    int right() const { return m_x1; }
    int bodyTop() const { return m_y0; }
    int rowHeight() const { return m_row; }
    int bodyBottom(int lines) const { return m_y0 + lines * m_row + 1; }
    int totalsTop() const { return m_totalsTop; }
    int totalsBottom() const { return m_totalsBottom; }
    int fontPoints() const { return m_fontPoints; }

    struct Cell {
        int item;  // 1..20
        int left;  // x of the cell's left edge
        int right; // x of its right edge
    };
    // The cells of a line of `d` (kTotalsLine for the totals line): its items up to the
    // first one of width 0 or less, each from the previous cell's right edge to the edge of
    // its running width; the last cell ends at the picture's right edge.
    QVector<Cell> cells(const ReportDefinition &d, int line) const;

    // Which line and item a point of the picture hits; the totals row is hit even when it
    // is not shown.
    LayoutHit CalcPosition(const ReportDefinition &d, int x, int y) const;

    // Paints the body lines (d's number of lines) and, with `showTotals`, the totals row:
    // fields by display name in black, labels in red right-aligned, fillers as "Filler" in
    // green centred, any text too wide for its cell cut at its end.
    void paint(QPainter &p, const ReportDefinition &d, bool showTotals,
               const std::array<QString, 20> &fieldNames) const;

    static QColor fieldColor();
    static QColor labelColor();
    static QColor fillerColor();

private:
    void paintRow(QPainter &p, const ReportDefinition &d, int line, int top,
                  const std::array<QString, 20> &fieldNames) const;

    int m_width;
    int m_x0, m_x1, m_y0, m_row, m_totalsTop, m_totalsBottom, m_fontPoints;
};

} // namespace reports
