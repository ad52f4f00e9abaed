#include "reports/engine/page_stream.h"

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

QFont makeFont(const FontStyle &style, const QPaintDevice *device)
{
    // Qt sizes a font in points through the device's resolution; the painter is scaled to
    // 1/1200-inch units, so the size is given in those units' terms.
    const int dpi = device ? device->logicalDpiY() : 96;
    return styledFont(style, style.size * kUnits / (dpi > 0 ? dpi : 96));
}

// The face at the size the painter's 1/1200-inch units need. Text drawn through it skips
// shaping on every call, which is most of the cost of a long PDF replay.
QRawFont makeRawFont(const FontStyle &style)
{
    QFont font(style.face);
    font.setBold(style.bold);
    font.setItalic(style.italic);
    QRawFont raw = QRawFont::fromFont(font);
    if (raw.isValid()) raw.setPixelSize(style.size * kUnits / 72.0);
    return raw;
}

// Appends the glyphs of a text in a raw font to a batch, placed along the baseline from
// `origin` less the alignment's share of the width; false when the face lacks one of the
// characters (the caller then lets the painter find a face that has it).
bool layOut(const QRawFont &raw, const QString &text, Align align, QPointF origin,
            QList<quint32> &glyphs, QList<QPointF> &positions)
{
    if (!raw.isValid()) return false;
    const QList<quint32> own = raw.glyphIndexesForString(text);
    if (own.contains(0u)) return false;
    const QList<QPointF> advances = raw.advancesForGlyphIndexes(own);
    double width = 0;
    for (const QPointF &a : advances)
        width += a.x();
    if (align == Align::Right) origin.rx() -= width;
    if (align == Align::Centre) origin.rx() -= width / 2;
    for (qsizetype k = 0; k < own.size(); ++k) {
        glyphs.append(own[k]);
        positions.append(origin);
        origin.rx() += advances[k].x();
    }
    return true;
}

QColor shown(QRgb colour, bool monochrome)
{
    if (!monochrome) return QColor::fromRgba(colour);
    return qGray(colour) >= 250 ? QColor(Qt::white) : QColor(Qt::black);
}
} // namespace

int StoredPage::fontIndex(const FontStyle &font)
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
    for (const FontStyle &style : page.fonts) {
        fonts.push_back(makeFont(style, painter.device()));
        raws.push_back(makeRawFont(style));
    }
    int current = -1;
    QPen textPen(Qt::black);
    QPen linePen(Qt::black, 0.01 * kUnits);
    QColor brush(Qt::black);
    bool haveMetrics = false;
    QFontMetricsF metrics(painter.font());
    // Texts in one font and the rules between them go to the device in batches: a page of
    // columns becomes a few calls instead of thousands, which is most of a PDF replay's
    // cost. Nothing in a batch covers anything else; fills and font changes end it.
    QList<quint32> glyphs;
    QList<QPointF> positions;
    std::vector<QLineF> lines;
    auto flush = [&] {
        if (!lines.empty()) {
            painter.setPen(linePen);
            painter.drawLines(lines.data(), static_cast<int>(lines.size()));
            lines.clear();
        }
        if (!glyphs.isEmpty()) {
            QGlyphRun run;
            run.setRawFont(raws[static_cast<size_t>(current)]);
            run.setGlyphIndexes(glyphs);
            run.setPositions(positions);
            painter.setPen(textPen);
            painter.drawGlyphRun(QPointF(0, 0), run);
            glyphs.clear();
            positions.clear();
        }
    };
    for (const Command &c : page.commands) {
        if (c.kind != Command::Line && c.kind != Command::Text) flush();
        switch (c.kind) {
        case Command::Font: {
            if (c.index < 0 || c.index >= static_cast<int>(fonts.size())) break;
            painter.setFont(fonts[static_cast<size_t>(c.index)]);
            current = c.index;
            textPen = QPen(shown(page.fonts[static_cast<size_t>(c.index)].colour, monochrome));
            haveMetrics = false;
            break;
        }
        case Command::Pen:
            linePen = QPen(shown(c.colour, monochrome), c.w * kUnits);
            break;
        case Command::Brush:
            brush = QColor::fromRgba(c.colour);
            if (monochrome) brush = QColor(qGray(c.colour), qGray(c.colour), qGray(c.colour));
            break;
        case Command::Text: {
            if (c.index < 0 || c.index >= static_cast<int>(page.texts.size())) break;
            const QString &text = page.texts[static_cast<size_t>(c.index)];
            const QPointF origin(c.x * kUnits, c.y * kUnits);
            // Underlined and struck-out texts go through the painter's text path, which
            // draws the decoration under each text.
            const bool decorated =
                current >= 0 && (page.fonts[static_cast<size_t>(current)].underline ||
                                 page.fonts[static_cast<size_t>(current)].strikeOut);
            if (current >= 0 && !decorated &&
                layOut(raws[static_cast<size_t>(current)], text, c.align, origin, glyphs,
                       positions))
                break;
            flush();
            double x = origin.x();
            if (c.align == Align::Right || c.align == Align::Centre) {
                if (!haveMetrics) {
                    metrics = QFontMetricsF(painter.font(), painter.device());
                    haveMetrics = true;
                }
                const double width = metrics.horizontalAdvance(text);
                x -= c.align == Align::Right ? width : width / 2;
            }
            painter.setPen(textPen);
            painter.drawText(QPointF(x, origin.y()), text);
            break;
        }
        case Command::Line:
            lines.emplace_back(QPointF(c.x * kUnits, c.y * kUnits),
                               QPointF(c.w * kUnits, c.h * kUnits));
            break;
        case Command::Rect:
            painter.fillRect(QRectF(c.x * kUnits, c.y * kUnits, c.w * kUnits, c.h * kUnits), brush);
            break;
        }
    }
    flush();
    painter.restore();
}

} // namespace engine
