// One report definition: the 20622-byte record of NUMAROK.URP, held as raw bytes with named
// readers and writers at the record's offsets. Readers clamp what a damaged record holds, so
// nothing reads past a field. No widgets: generation, selection and the designer share it.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QtGlobal>

namespace reports
{

constexpr int kRecordSize = 20622;
constexpr int kBodyLines = 12; // body lines 1..12; line 0 is the totals line
constexpr int kItemsPerLine = 20;
constexpr int kLineSize = 1500;
constexpr int kItemSize = 75;
constexpr int kFontBlockSize = 61;
constexpr int kNameSize = 30;  // String[30]
constexpr int kTitleSize = 80; // String[80]
constexpr int kLabelSize = 40; // String[40]
constexpr int kFaceSize = 50;  // String[50]
constexpr int kMaxWidth = 150; // widest report and widest item, in characters
constexpr int kTotalsLine = 0; // the line number of the totals line in the accessors

// Record offsets.
namespace offset
{
constexpr int name = 0;
constexpr int width = 31;
constexpr int fonts = 33; // five blocks of 61 bytes: title, header, body, reserved, footnote
constexpr int columnHeaders = 338;
constexpr int pageNumbers = 339;
constexpr int landscape = 340;
constexpr int dateOnPages = 341;
constexpr int useTotals = 342;
constexpr int numberOfLines = 343;
constexpr int totalsLine = 345;
constexpr int topMargin = 1845;
constexpr int bottomMargin = 1853;
constexpr int leftMargin = 1861;
constexpr int rightMargin = 1869;
constexpr int verticalLines = 1877;
constexpr int horizontalLines = 1878;
constexpr int title1 = 1879;    // then title 2 at 1960 and title 3 at 2041
constexpr int bodyLines = 2122; // line n (1..12) at 622 + 1500 n
constexpr int groupLevel1 = 20122;
constexpr int groupLevel2 = 20123;
constexpr int reserved = 20124;
// Within a font block.
constexpr int fontFace = 0;
constexpr int fontSize = 51;
constexpr int fontBold = 53;
constexpr int fontItalic = 54;
constexpr int fontUnderline = 55;
constexpr int fontStrikeOut = 56;
constexpr int fontColour = 57;
// Within an item.
constexpr int itemKind = 0;
constexpr int itemField = 31;
constexpr int itemWidth = 32;
constexpr int itemLabel = 34;
} // namespace offset

enum class FontKind { Title = 0, ColumnHeader = 1, Body = 2, Reserved = 3, Footnote = 4 };
enum class ItemKind { Filler, Label, Field };

// The kind strings of the two constant kinds.
inline const QString kFillerKind = QStringLiteral("<FILLER>");
inline const QString kLabelKind = QStringLiteral("<LABEL>");

// A font block's colour is stored as the platform's font dialog gives it: 0x00BBGGRR.
inline QRgb rgbFromStored(quint32 colour)
{
    return qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}
inline quint32 storedFromRgb(QRgb rgb)
{
    return static_cast<quint32>(qRed(rgb)) | (static_cast<quint32>(qGreen(rgb)) << 8) |
           (static_cast<quint32>(qBlue(rgb)) << 16);
}

struct FontBlock {
    QString face;
    int size = 10;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    quint32 colour = 0;
    bool operator==(const FontBlock &) const = default;
};

struct Item {
    QString kind = kFillerKind; // "<FILLER>", "<LABEL>" or a field name
    int field = 0;              // field number; 0 when the record holds none in 1..20
    int width = 0;
    QString label;
    ItemKind kindOf() const;
    bool operator==(const Item &) const = default;
};

class ReportDefinition
{
public:
    // All bytes zero (an empty name, width 0: not a usable report until filled).
    ReportDefinition();

    // The program's one definition buffer, shared by selection, designer and generation.
    static ReportDefinition &shared();

    const QByteArray &bytes() const { return m_bytes; }
    // Takes exactly kRecordSize bytes; false (buffer unchanged) for any other size.
    bool setBytes(const QByteArray &bytes);

    // The defaults of a new definition ("&New Report").
    void setNewDefaults();

    QString name() const;
    void setName(const QString &name);
    // Characters per line; a stored value outside 1..150 reads as 90.
    int width() const;
    void setWidth(int width);
    // The designer's reading: 120 and 150 stay, anything else is 90.
    int designerWidth() const;

    FontBlock font(FontKind kind) const;
    void setFont(FontKind kind, const FontBlock &font);

    bool columnHeaders() const { return flag(offset::columnHeaders); }
    void setColumnHeaders(bool on) { setFlag(offset::columnHeaders, on); }
    bool pageNumbers() const { return flag(offset::pageNumbers); }
    void setPageNumbers(bool on) { setFlag(offset::pageNumbers, on); }
    bool landscape() const { return flag(offset::landscape); }
    void setLandscape(bool on) { setFlag(offset::landscape, on); }
    bool dateOnPages() const { return flag(offset::dateOnPages); }
    void setDateOnPages(bool on) { setFlag(offset::dateOnPages, on); }
    bool useTotals() const { return flag(offset::useTotals); }
    void setUseTotals(bool on) { setFlag(offset::useTotals, on); }
    bool verticalLines() const { return flag(offset::verticalLines); }
    void setVerticalLines(bool on) { setFlag(offset::verticalLines, on); }
    bool horizontalLines() const { return flag(offset::horizontalLines); }
    void setHorizontalLines(bool on) { setFlag(offset::horizontalLines, on); }
    bool groupLevel1() const { return flag(offset::groupLevel1); }
    // Turning level 1 off stores level 2 as off too.
    void setGroupLevel1(bool on);
    bool groupLevel2() const { return groupLevel1() && flag(offset::groupLevel2); }
    void setGroupLevel2(bool on) { setFlag(offset::groupLevel2, on && groupLevel1()); }

    // Printed lines per record, read as 0..12.
    int numberOfLines() const;
    void setNumberOfLines(int lines);

    // Margins in inches; a stored value that is not a number, or outside 0..20, reads 0.5.
    double topMargin() const { return margin(offset::topMargin); }
    double bottomMargin() const { return margin(offset::bottomMargin); }
    double leftMargin() const { return margin(offset::leftMargin); }
    double rightMargin() const { return margin(offset::rightMargin); }
    void setTopMargin(double inches) { setDouble(offset::topMargin, inches); }
    void setBottomMargin(double inches) { setDouble(offset::bottomMargin, inches); }
    void setLeftMargin(double inches) { setDouble(offset::leftMargin, inches); }
    void setRightMargin(double inches) { setDouble(offset::rightMargin, inches); }

    // Titles 1..3.
    QString title(int n) const;
    void setTitle(int n, const QString &text);

    // Items: line 0 is the totals line, lines 1..12 the body lines; items 1..20.
    Item item(int line, int i) const;
    void setItem(int line, int i, const Item &item);
    // Item widths read as 0..150 (0 or less ends the line); field numbers outside 1..20
    // read as 0.
    int itemWidth(int line, int i) const;
    void setItemWidth(int line, int i, int width);
    // The items before the first one whose width is 0 or less.
    int usedItems(int line) const;
    // Sets a line to one "<FILLER>" of `firstWidth` followed by width-0 fillers, labels empty.
    void clearLine(int line, int firstWidth);

    // Fits a line to `width` characters: the used items' widths then sum exactly to it.
    void fitLine(int line, int width);
    // Whether the line holds positive widths summing exactly to `width` before a width-0
    // item (or item 20).
    bool lineIsFitted(int line, int width) const;

    // Raw little-endian readers and writers, for the record's callers and its tests.
    static int lineOffset(int line);
    static int itemOffset(int line, int i);
    static int fontOffset(FontKind kind);
    // Decoders of the encodings (String[size] with its length byte clamped, Int16), shared
    // with the earlier report file's reader.
    static QString stringAt(const QByteArray &bytes, int at, int size);
    static qint16 int16At(const QByteArray &bytes, int at);

private:
    bool flag(int at) const { return m_bytes.at(at) != 0; }
    void setFlag(int at, bool on) { m_bytes[at] = on ? 1 : 0; }
    double margin(int at) const;
    qint16 int16(int at) const;
    void setInt16(int at, qint16 value);
    double readDouble(int at) const;
    void setDouble(int at, double value);
    QString string(int at, int size) const;
    void setString(int at, int size, const QString &text);

    QByteArray m_bytes;
};

} // namespace reports
