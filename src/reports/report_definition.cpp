#include "reports/report_definition.h"

#include "dbase/codepage.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace reports
{

ItemKind Item::kindOf() const
{
    if (kind == kFillerKind) return ItemKind::Filler;
    if (kind == kLabelKind) return ItemKind::Label;
    return ItemKind::Field;
}

ReportDefinition::ReportDefinition() : m_bytes(kRecordSize, '\0') {}

ReportDefinition &ReportDefinition::shared()
{
    static ReportDefinition buffer;
    return buffer;
}

bool ReportDefinition::setBytes(const QByteArray &bytes)
{
    if (bytes.size() != kRecordSize) return false;
    m_bytes = bytes;
    return true;
}

void ReportDefinition::setNewDefaults()
{
    m_bytes.fill('\0');
    setName(QString());
    setWidth(90);
    for (int k = 0; k < 5; ++k) {
        const auto kind = static_cast<FontKind>(k);
        FontBlock f;
        f.face = QStringLiteral("Courier New");
        f.size = 10;
        f.bold =
            kind == FontKind::Title || kind == FontKind::ColumnHeader || kind == FontKind::Footnote;
        setFont(kind, f);
    }
    setColumnHeaders(true);
    setPageNumbers(true);
    setLandscape(false);
    setDateOnPages(true);
    setUseTotals(true);
    setNumberOfLines(1);
    setTopMargin(0.5);
    setBottomMargin(0.5);
    setLeftMargin(0.5);
    setRightMargin(0.5);
    setVerticalLines(true);
    setHorizontalLines(true);
    for (int n = 1; n <= 3; ++n)
        setTitle(n, QString());
    for (int line = 0; line <= kBodyLines; ++line)
        clearLine(line, kMaxWidth);
    setGroupLevel1(true);
    setGroupLevel2(false);
}

// ---- fields -----------------------------------------------------------------------------

QString ReportDefinition::name() const
{
    return string(offset::name, kNameSize);
}

void ReportDefinition::setName(const QString &name)
{
    setString(offset::name, kNameSize, name);
}

int ReportDefinition::width() const
{
    const int w = int16(offset::width);
    return w >= 1 && w <= kMaxWidth ? w : 90;
}

void ReportDefinition::setWidth(int width)
{
    setInt16(offset::width, static_cast<qint16>(std::clamp(width, 1, kMaxWidth)));
}

int ReportDefinition::designerWidth() const
{
    const int w = int16(offset::width);
    return w == 120 || w == 150 ? w : 90;
}

int ReportDefinition::fontOffset(FontKind kind)
{
    return offset::fonts + kFontBlockSize * static_cast<int>(kind);
}

FontBlock ReportDefinition::font(FontKind kind) const
{
    const int at = fontOffset(kind);
    FontBlock f;
    f.face = string(at + offset::fontFace, kFaceSize);
    const int size = int16(at + offset::fontSize);
    f.size = size >= 1 && size <= 200 ? size : 10;
    f.bold = flag(at + offset::fontBold);
    f.italic = flag(at + offset::fontItalic);
    f.underline = flag(at + offset::fontUnderline);
    f.strikeOut = flag(at + offset::fontStrikeOut);
    quint32 colour = 0;
    for (int b = 3; b >= 0; --b)
        colour =
            (colour << 8) | static_cast<unsigned char>(m_bytes.at(at + offset::fontColour + b));
    f.colour = colour;
    return f;
}

void ReportDefinition::setFont(FontKind kind, const FontBlock &f)
{
    const int at = fontOffset(kind);
    setString(at + offset::fontFace, kFaceSize, f.face);
    setInt16(at + offset::fontSize, static_cast<qint16>(std::clamp(f.size, 1, 200)));
    setFlag(at + offset::fontBold, f.bold);
    setFlag(at + offset::fontItalic, f.italic);
    setFlag(at + offset::fontUnderline, f.underline);
    setFlag(at + offset::fontStrikeOut, f.strikeOut);
    for (int b = 0; b < 4; ++b)
        m_bytes[at + offset::fontColour + b] = static_cast<char>((f.colour >> (8 * b)) & 0xFF);
}

void ReportDefinition::setGroupLevel1(bool on)
{
    setFlag(offset::groupLevel1, on);
    if (!on) setFlag(offset::groupLevel2, false);
}

int ReportDefinition::numberOfLines() const
{
    return std::clamp<int>(int16(offset::numberOfLines), 0, kBodyLines);
}

void ReportDefinition::setNumberOfLines(int lines)
{
    setInt16(offset::numberOfLines, static_cast<qint16>(std::clamp(lines, 0, kBodyLines)));
}

double ReportDefinition::margin(int at) const
{
    const double v = readDouble(at);
    return std::isfinite(v) && v >= 0.0 && v <= 20.0 ? v : 0.5;
}

QString ReportDefinition::title(int n) const
{
    if (n < 1 || n > 3) return {};
    return string(offset::title1 + (kTitleSize + 1) * (n - 1), kTitleSize);
}

void ReportDefinition::setTitle(int n, const QString &text)
{
    if (n < 1 || n > 3) return;
    setString(offset::title1 + (kTitleSize + 1) * (n - 1), kTitleSize, text);
}

// ---- lines and items --------------------------------------------------------------------

int ReportDefinition::lineOffset(int line)
{
    return line == kTotalsLine ? offset::totalsLine : 622 + kLineSize * line;
}

int ReportDefinition::itemOffset(int line, int i)
{
    return lineOffset(line) + kItemSize * (i - 1);
}

static bool validItem(int line, int i)
{
    return line >= 0 && line <= kBodyLines && i >= 1 && i <= kItemsPerLine;
}

Item ReportDefinition::item(int line, int i) const
{
    Item it;
    if (!validItem(line, i)) return it;
    const int at = itemOffset(line, i);
    it.kind = string(at + offset::itemKind, kNameSize);
    const int field = static_cast<unsigned char>(m_bytes.at(at + offset::itemField));
    it.field = field >= 1 && field <= 20 ? field : 0;
    it.width = itemWidth(line, i);
    it.label = string(at + offset::itemLabel, kLabelSize);
    return it;
}

void ReportDefinition::setItem(int line, int i, const Item &it)
{
    if (!validItem(line, i)) return;
    const int at = itemOffset(line, i);
    setString(at + offset::itemKind, kNameSize, it.kind);
    m_bytes[at + offset::itemField] = static_cast<char>(std::clamp(it.field, 0, 255));
    setItemWidth(line, i, it.width);
    setString(at + offset::itemLabel, kLabelSize, it.label);
}

int ReportDefinition::itemWidth(int line, int i) const
{
    if (!validItem(line, i)) return 0;
    return std::clamp<int>(int16(itemOffset(line, i) + offset::itemWidth), 0, kMaxWidth);
}

void ReportDefinition::setItemWidth(int line, int i, int width)
{
    if (!validItem(line, i)) return;
    setInt16(itemOffset(line, i) + offset::itemWidth,
             static_cast<qint16>(std::clamp(width, 0, kMaxWidth)));
}

int ReportDefinition::usedItems(int line) const
{
    int n = 0;
    while (n < kItemsPerLine && itemWidth(line, n + 1) > 0)
        ++n;
    return n;
}

void ReportDefinition::clearLine(int line, int firstWidth)
{
    for (int i = 1; i <= kItemsPerLine; ++i)
        setItem(line, i, Item{kFillerKind, 0, i == 1 ? firstWidth : 0, QString()});
}

void ReportDefinition::fitLine(int line, int width)
{
    if (line < 0 || line > kBodyLines) return;
    const int w = std::clamp(width, 1, kMaxWidth);
    int sum = 0;
    int stop = 1;
    for (int i = 1; i <= kItemsPerLine; ++i) {
        stop = i;
        if (itemWidth(line, i) == 0) setItemWidth(line, i, w);
        sum += itemWidth(line, i);
        if (sum >= w) break;
    }
    if (sum > w)
        setItemWidth(line, stop, itemWidth(line, stop) - (sum - w));
    else if (sum < w) // all twenty items used
        setItemWidth(line, kItemsPerLine, itemWidth(line, kItemsPerLine) + (w - sum));
    for (int i = stop + 1; i <= kItemsPerLine; ++i)
        setItemWidth(line, i, 0);
}

bool ReportDefinition::lineIsFitted(int line, int width) const
{
    int sum = 0;
    const int used = usedItems(line);
    for (int i = 1; i <= used; ++i)
        sum += itemWidth(line, i);
    return used > 0 && sum == width;
}

// ---- encodings --------------------------------------------------------------------------

qint16 ReportDefinition::int16At(const QByteArray &bytes, int at)
{
    const auto lo = static_cast<unsigned char>(bytes.at(at));
    const auto hi = static_cast<unsigned char>(bytes.at(at + 1));
    return static_cast<qint16>(static_cast<quint16>(lo | (hi << 8)));
}

qint16 ReportDefinition::int16(int at) const
{
    return int16At(m_bytes, at);
}

void ReportDefinition::setInt16(int at, qint16 value)
{
    const auto u = static_cast<quint16>(value);
    m_bytes[at] = static_cast<char>(u & 0xFF);
    m_bytes[at + 1] = static_cast<char>(u >> 8);
}

double ReportDefinition::readDouble(int at) const
{
    quint64 bits = 0;
    for (int b = 7; b >= 0; --b)
        bits = (bits << 8) | static_cast<unsigned char>(m_bytes.at(at + b));
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

void ReportDefinition::setDouble(int at, double value)
{
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int b = 0; b < 8; ++b)
        m_bytes[at + b] = static_cast<char>((bits >> (8 * b)) & 0xFF);
}

QString ReportDefinition::stringAt(const QByteArray &bytes, int at, int size)
{
    const int length = std::min<int>(static_cast<unsigned char>(bytes.at(at)), size);
    const std::string utf8 = dbase::cp1252ToUtf8(
        std::string_view(bytes.constData() + at + 1, static_cast<size_t>(length)));
    return QString::fromStdString(utf8);
}

QString ReportDefinition::string(int at, int size) const
{
    return stringAt(m_bytes, at, size);
}

void ReportDefinition::setString(int at, int size, const QString &text)
{
    std::string bytes = dbase::utf8ToCp1252(text.toStdString());
    if (bytes.size() > static_cast<size_t>(size)) bytes.resize(static_cast<size_t>(size));
    m_bytes[at] = static_cast<char>(bytes.size());
    for (int k = 0; k < size; ++k)
        m_bytes[at + 1 + k] =
            k < static_cast<int>(bytes.size()) ? bytes[static_cast<size_t>(k)] : '\0';
}

} // namespace reports
