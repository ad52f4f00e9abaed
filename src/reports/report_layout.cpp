#include "reports/report_layout.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace reports
{

const std::array<QString, 4> kTotalsNames{
    QStringLiteral("Market Value"), QStringLiteral("Purchase Price"),
    QStringLiteral("Premium Value"), QStringLiteral("Quantity")};

namespace
{
// The picture's design units.
constexpr int kLeft = 4, kRight = 629, kBodyTop = 75, kRow = 20, kTotalsTop = 355;

int scaled(double units, double factor)
{
    return static_cast<int>(units * factor);
}
} // namespace

LayoutPicture::LayoutPicture(double factor, int reportWidth)
    : m_width(reportWidth == 120 || reportWidth == 150 ? reportWidth : 90),
      m_x0(scaled(kLeft, factor)), m_x1(scaled(kRight, factor)), m_y0(scaled(kBodyTop, factor)),
      m_row(scaled(kRow, factor)), m_totalsTop(scaled(kTotalsTop, factor)),
      m_totalsBottom(m_totalsTop + m_row + 1), m_fontPoints(std::max(1, scaled(8, factor)))
{
}

QColor LayoutPicture::fieldColor()
{
    return Qt::black;
}
QColor LayoutPicture::labelColor()
{
    return QColor(255, 0, 0);
}
QColor LayoutPicture::fillerColor()
{
    return QColor(0, 128, 0);
}

QVector<LayoutPicture::Cell> LayoutPicture::cells(const ReportDefinition &d, int line) const
{
    QVector<Cell> out;
    const int used = d.usedItems(line);
    int sum = 0;
    int previous = m_x0;
    // Edges follow the grid's own width, so that a fitted line's last edge is the picture's
    // right edge and no cell reaches past it.
    const int span = m_x1 - m_x0;
    for (int i = 1; i <= used; ++i) {
        sum += d.itemWidth(line, i);
        int right = i == used ? m_x1 : m_x0 + static_cast<int>(qint64(span) * sum / m_width);
        right = std::clamp(right, previous, m_x1);
        out.push_back(Cell{i, previous, right});
        previous = right;
    }
    return out;
}

LayoutHit LayoutPicture::CalcPosition(const ReportDefinition &d, int x, int y) const
{
    if (x < m_x0 || x > m_x1) return {};
    const int lines = d.numberOfLines();
    int line = -1;
    int modelLine = -1;
    if (lines > 0 && y >= m_y0 && y <= bodyBottom(lines)) {
        // The bottom border belongs to the last line.
        line = std::min(lines, (y - m_y0) / m_row + 1);
        modelLine = line;
    } else if (y >= m_totalsTop && y <= m_totalsBottom) {
        line = kTotalsRow;
        modelLine = kTotalsLine;
    } else {
        return {};
    }
    const QVector<Cell> row = cells(d, modelLine);
    // A line without any used item is still one cell: its first item.
    if (row.isEmpty()) return {line, 1};
    for (const Cell &c : row)
        if (c.right >= x) return {line, c.item};
    return {line, row.last().item};
}

void LayoutPicture::paint(QPainter &p, const ReportDefinition &d, bool showTotals,
                          const std::array<QString, 20> &fieldNames) const
{
    p.save();
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(m_fontPoints);
    p.setFont(font);
    const int lines = d.numberOfLines();
    for (int line = 1; line <= lines; ++line)
        paintRow(p, d, line, m_y0 + (line - 1) * m_row, fieldNames);
    if (showTotals) paintRow(p, d, kTotalsLine, m_totalsTop, fieldNames);
    p.restore();
}

void LayoutPicture::paintRow(QPainter &p, const ReportDefinition &d, int line, int top,
                             const std::array<QString, 20> &fieldNames) const
{
    const QFontMetrics metrics(p.font(), p.device());
    for (const Cell &c : cells(d, line)) {
        const QRect cell(c.left, top, c.right - c.left, m_row);
        p.setPen(Qt::black);
        p.setBrush(Qt::white);
        p.drawRect(cell);
        const Item item = d.item(line, c.item);
        QString text;
        QColor colour;
        Qt::Alignment align = Qt::AlignLeft;
        switch (item.kindOf()) {
        case ItemKind::Field:
            if (line == kTotalsLine)
                text = item.kind;
            else if (item.field >= 1 && item.field <= 20)
                text = fieldNames[static_cast<size_t>(item.field - 1)];
            else
                text = item.kind;
            colour = fieldColor();
            break;
        case ItemKind::Label:
            text = item.label;
            colour = labelColor();
            align = Qt::AlignRight;
            break;
        case ItemKind::Filler:
            text = QStringLiteral("Filler");
            colour = fillerColor();
            align = Qt::AlignHCenter;
            break;
        }
        const int room = cell.width() - 1;
        if (metrics.horizontalAdvance(text) > room) {
            while (!text.isEmpty() && metrics.horizontalAdvance(text) > room)
                text.chop(1);
            align = Qt::AlignLeft;
        }
        if (text.isEmpty()) continue;
        const int textWidth = metrics.horizontalAdvance(text);
        int x = c.left + 1;
        if (align == Qt::AlignRight)
            x = c.right - 1 - textWidth;
        else if (align == Qt::AlignHCenter)
            x = c.left + (cell.width() - textWidth) / 2;
        const int baseline = top + (m_row - metrics.height()) / 2 + metrics.ascent();
        p.setPen(colour);
        p.setClipRect(cell.adjusted(1, 1, 0, 0));
        p.drawText(x, baseline, text);
        p.setClipping(false);
    }
}

} // namespace reports
