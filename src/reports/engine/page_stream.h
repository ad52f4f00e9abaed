// The page stream: pages recorded by the filer and replayed by the stored-page printer and
// the preview. It lives in memory for one run; each page carries its size, orientation,
// fonts and drawing commands, positions in inches from the page's top-left corner.
#pragma once

#include <QFont>
#include <QPageLayout>
#include <QRgb>
#include <QSizeF>
#include <QString>
#include <stdexcept>
#include <vector>

class QPainter;

namespace engine
{

// An engine failure; the message is the one the user sees.
class ReportError : public std::runtime_error
{
public:
    explicit ReportError(const QString &message) : std::runtime_error(message.toStdString()) {}
};

enum class Align : quint8 { Centre, Left, Right, Block };

struct FontStyle {
    QString face = QStringLiteral("Arial");
    double size = 10; // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    QRgb colour = 0xFF000000;
    bool operator==(const FontStyle &) const = default;
};

// The font of a style at `points`: its face and its four style flags. Takes a FontStyle or
// any style with the same members (a report definition's font block).
template <typename Style> QFont styledFont(const Style &style, double points)
{
    QFont font(style.face);
    font.setPointSizeF(points);
    font.setBold(style.bold);
    font.setItalic(style.italic);
    font.setUnderline(style.underline);
    font.setStrikeOut(style.strikeOut);
    return font;
}

struct Command {
    enum Kind : quint8 { Font, Pen, Brush, Text, Line, Rect };
    Kind kind;
    Align align = Align::Left;
    qint32 index = 0;                 // Font: font index; Text: text index
    float x = 0, y = 0, w = 0, h = 0; // Text: anchor x, baseline y, block width;
                                      // Line: from (x, y) to (w, h); Rect: x, y, width, height;
                                      // Pen: width in w
    QRgb colour = 0xFF000000;         // Pen and Brush
};

struct StoredPage {
    QSizeF size; // inches, as oriented
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    std::vector<FontStyle> fonts;
    std::vector<QString> texts;
    std::vector<Command> commands;
    int fontIndex(const FontStyle &font); // adds it when new
};

class PageStream
{
public:
    QString title;
    QString device;        // the device the pages were measured on
    double resolution = 0; // its dots per inch
    std::vector<StoredPage> pages;

    int pageCount() const { return static_cast<int>(pages.size()); }
    void clear();
};

// Draws a stored page with its top-left corner at the painter's origin, at `dotsPerInchX`
// by `dotsPerInchY` painter units per inch. Monochrome draws every colour black.
void drawPage(QPainter &painter, const StoredPage &page, double dotsPerInchX, double dotsPerInchY,
              bool monochrome = false);

} // namespace engine
