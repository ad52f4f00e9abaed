#include "page_stream.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QLineF>
#include <QPaintDevice>
#include <QPainter>
#include <QRawFont>
#include <vector>

namespace engine
{

namespace
{
// Painter units while replaying: 1/1200 inch, so that integer font sizes are not needed.
constexpr double kUnits = 1200.0;

QFont makeFont(const FontSpec &spec, const QPaintDevice *device)
{
    QFont font(spec.face);
    // Qt sizes a font in points through the device's resolution; the painter is scaled to
    // 1/1200-inch units, so the size is given in those units' terms.
    const int dpi = device ? device->logicalDpiY() : 96;
    font.setPointSizeF(spec.size * kUnits / (dpi > 0 ? dpi : 96));
    font.setBold(spec.bold);
    font.setItalic(spec.italic);
    font.setUnderline(spec.underline);
    font.setStrikeOut(spec.strikeOut);
    return font;
}

// The face at the size the painter's 1/1200-inch units need. Text drawn through it skips
// shaping on every call, which is most of the cost of a long PDF replay.
QRawFont makeRawFont(const FontSpec &spec)
{
    QFont font(spec.face);
    font.setBold(spec.bold);
    font.setItalic(spec.italic);
    QRawFont raw = QRawFont::fromFont(font);
    if (raw.isValid()) raw.setPixelSize(spec.size * kUnits / 72.0);
    return raw;
}

// The glyphs of a text in a raw font, placed along the baseline; false when the face lacks
// one of the characters (the caller then lets the painter find a face that has it).
bool layOut(const QRawFont &raw, const FontSpec &spec, const QString &text, QGlyphRun &run,
            double &width)
{
    if (!raw.isValid()) return false;
    const QList<quint32> glyphs = raw.glyphIndexesForString(text);
    if (glyphs.contains(0u)) return false;
    const QList<QPointF> advances = raw.advancesForGlyphIndexes(glyphs);
    QList<QPointF> positions;
    positions.reserve(glyphs.size());
    double pen = 0;
    for (const QPointF &a : advances) {
        positions.append(QPointF(pen, 0));
        pen += a.x();
    }
    run.setRawFont(raw);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    run.setUnderline(spec.underline);
    run.setStrikeOut(spec.strikeOut);
    width = pen;
    return true;
}

QColor shown(QRgb colour, bool monochrome)
{
    if (!monochrome) return QColor::fromRgba(colour);
    return qGray(colour) >= 250 ? QColor(Qt::white) : QColor(Qt::black);
}
} // namespace

int StoredPage::fontIndex(const FontSpec &font)
{
    for (size_t k = 0; k < fonts.size(); ++k)
        if (fonts[k] == font) return static_cast<int>(k);
    fonts.push_back(font);
    return static_cast<int>(fonts.size()) - 1;
}

void PageStream::clear()
{
    title.clear();
    device.clear();
    resolution = 0;
    pages.clear();
}

void drawPage(QPainter &painter, const StoredPage &page, double dotsPerInchX, double dotsPerInchY,
              bool monochrome)
{
    painter.save();
    painter.scale(dotsPerInchX / kUnits, dotsPerInchY / kUnits);
    painter.setBrush(Qt::NoBrush);
    std::vector<QFont> fonts;
    std::vector<QRawFont> raws;
    fonts.reserve(page.fonts.size());
    raws.reserve(page.fonts.size());
    for (const FontSpec &spec : page.fonts) {
        fonts.push_back(makeFont(spec, painter.device()));
        raws.push_back(makeRawFont(spec));
    }
    int current = -1;
    QGlyphRun run;
    QPen textPen(Qt::black);
    QPen linePen(Qt::black, 0.01 * kUnits);
    QColor brush(Qt::black);
    bool haveMetrics = false;
    QFontMetricsF metrics(painter.font());
    // Runs of lines go to the device as one call: far fewer path operations in a PDF.
    std::vector<QLineF> lines;
    auto flushLines = [&] {
        if (lines.empty()) return;
        painter.setPen(linePen);
        painter.drawLines(lines.data(), static_cast<int>(lines.size()));
        lines.clear();
    };
    bool textPenSet = false;
    for (const Command &c : page.commands) {
        if (c.kind != Command::Line) flushLines();
        switch (c.kind) {
        case Command::Font: {
            if (c.index < 0 || c.index >= static_cast<int>(fonts.size())) break;
            painter.setFont(fonts[static_cast<size_t>(c.index)]);
            current = c.index;
            textPen = QPen(shown(page.fonts[static_cast<size_t>(c.index)].colour, monochrome));
            textPenSet = false;
            haveMetrics = false;
            break;
        }
        case Command::Pen:
            linePen = QPen(shown(c.colour, monochrome), c.w * kUnits);
            textPenSet = false;
            break;
        case Command::Brush:
            brush = QColor::fromRgba(c.colour);
            if (monochrome) brush = QColor(qGray(c.colour), qGray(c.colour), qGray(c.colour));
            break;
        case Command::Text: {
            if (c.index < 0 || c.index >= static_cast<int>(page.texts.size())) break;
            const QString &text = page.texts[static_cast<size_t>(c.index)];
            double x = c.x * kUnits;
            if (!textPenSet) {
                painter.setPen(textPen);
                textPenSet = true;
            }
            double width = 0;
            if (current >= 0 &&
                layOut(raws[static_cast<size_t>(current)], page.fonts[static_cast<size_t>(current)],
                       text, run, width)) {
                if (c.align == Align::Right) x -= width;
                if (c.align == Align::Centre) x -= width / 2;
                painter.drawGlyphRun(QPointF(x, c.y * kUnits), run);
                break;
            }
            if (c.align == Align::Right || c.align == Align::Centre) {
                if (!haveMetrics) {
                    metrics = QFontMetricsF(painter.font(), painter.device());
                    haveMetrics = true;
                }
                width = metrics.horizontalAdvance(text);
                x -= c.align == Align::Right ? width : width / 2;
            }
            painter.drawText(QPointF(x, c.y * kUnits), text);
            break;
        }
        case Command::Line:
            lines.emplace_back(QPointF(c.x * kUnits, c.y * kUnits),
                               QPointF(c.w * kUnits, c.h * kUnits));
            textPenSet = false;
            break;
        case Command::Rect:
            painter.fillRect(QRectF(c.x * kUnits, c.y * kUnits, c.w * kUnits, c.h * kUnits), brush);
            break;
        }
    }
    flushLines();
    painter.restore();
}

} // namespace engine
