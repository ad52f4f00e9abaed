#include "reports/ready_made.h"

#include "db/coin_schema.h"
#include "platform/paths.h"
#include "platform/save_file.h"
#include "reports/earlier_reports.h"
#include "reports/report_file.h"

#include <QFileInfo>
#include <QSaveFile>
#include <initializer_list>

namespace reports
{

namespace
{

Item field(int number, int width)
{
    return Item{QString::fromLatin1(coin::field(number).name), number, width, QString()};
}

Item label(const char *text, int width)
{
    return Item{kLabelKind, 0, width, QString::fromLatin1(text)};
}

Item filler(int width)
{
    return Item{kFillerKind, 0, width, QString()};
}

Item total(int number, int width)
{
    static const char *const names[] = {"Market Value", "Purchase Price", "Premium Value",
                                        "Quantity"};
    return Item{QString::fromLatin1(names[number - 1]), number, width, QString()};
}

// The items in order, then the end item of width 0 (a "<FILLER>" as the template left it).
void setLine(ReportDefinition &d, int line, std::initializer_list<Item> items)
{
    int i = 1;
    for (const Item &it : items)
        d.setItem(line, i++, it);
    if (i <= kItemsPerLine) d.setItem(line, i, filler(0));
}

void setTemplate(ReportDefinition &d)
{
    d.setBytes(QByteArray(kRecordSize, '\0'));
    d.setName(QString());
    d.setWidth(120);
    for (int k = 0; k < 5; ++k)
        d.setFont(static_cast<FontKind>(k), FontBlock{QStringLiteral("Arial"), 8});
    d.setColumnHeaders(true);
    d.setPageNumbers(true);
    d.setLandscape(false);
    d.setDateOnPages(true);
    d.setUseTotals(true);
    d.setNumberOfLines(1);
    d.setTopMargin(0.5);
    d.setBottomMargin(0.5);
    d.setLeftMargin(0.5);
    d.setRightMargin(0.5);
    d.setVerticalLines(false);
    d.setHorizontalLines(false);
    for (int n = 1; n <= 3; ++n)
        d.setTitle(n, QString());
    for (int line = 0; line <= kBodyLines; ++line)
        d.clearLine(line, kMaxWidth);
    d.setGroupLevel1(true);
    d.setGroupLevel2(false);
}

void setSettings(ReportDefinition &d, const QString &name, int width, int lines, int fontSize,
                 bool headers, bool rules)
{
    d.setName(name);
    d.setWidth(width);
    d.setNumberOfLines(lines);
    for (int k = 0; k < 5; ++k) {
        FontBlock f = d.font(static_cast<FontKind>(k));
        f.size = fontSize;
        d.setFont(static_cast<FontKind>(k), f);
    }
    d.setColumnHeaders(headers);
    d.setVerticalLines(rules);
    d.setHorizontalLines(rules);
}

void setWideTotals(ReportDefinition &d)
{
    setLine(d, kTotalsLine,
            {label("Quantity:", 15), filler(1), total(4, 12), label("Purchase Price:", 18),
             filler(1), total(2, 12), label("Market Value:", 16), filler(1), total(1, 12),
             label("Premium Value:", 17), filler(1), total(3, 12)});
}

// Lines 2 and 3 of the multi-line reports share their first two lines' shape.
void setPriceLine(ReportDefinition &d, int line)
{
    setLine(d, line,
            {label("Purchase Price:", 15), filler(1), field(coin::PurchasePr, 12),
             label("Market Value:", 15), filler(1), field(coin::MarketValu, 12), label("Topic:", 8),
             filler(1), field(coin::Topic, 20)});
}

} // namespace

const QStringList &readyMadeNames()
{
    static const QStringList names = {
        QStringLiteral("Simple List Report"), QStringLiteral("Simple List Plus Values Report"),
        QStringLiteral("Three Line Report"), QStringLiteral("Complete Report"),
        QStringLiteral("Statistic/Summary Report")};
    return names;
}

ReportDefinition readyMadeReport(int index)
{
    using namespace coin;
    ReportDefinition d;
    setTemplate(d);
    const QString name = readyMadeNames().value(index);
    switch (index) {
    case 0:
        setSettings(d, name, 90, 1, 10, true, true);
        setLine(d, kTotalsLine,
                {label("Quantity:", 10), filler(1), total(4, 6), label("Purch Price:", 15),
                 filler(1), total(2, 8), label("Market Val:", 14), filler(1), total(1, 8),
                 label("Premium Val:", 15), filler(1), total(3, 8)});
        setLine(d, 1,
                {field(Country, 20), field(Year, 7), field(MintMark, 2), field(YearApprox, 7),
                 field(FaceValue, 20), field(Condition, 29), field(Quantity, 4)});
        break;
    case 1:
        setSettings(d, name, 120, 1, 10, true, true);
        setWideTotals(d);
        setLine(d, 1,
                {field(Country, 20), field(Year, 7), field(MintMark, 3), field(YearApprox, 7),
                 field(FaceValue, 22), field(Condition, 30), field(PurchasePr, 14),
                 field(MarketValu, 14), field(Quantity, 4)});
        break;
    case 2:
        setSettings(d, name, 120, 4, 8, false, true);
        setWideTotals(d);
        setLine(d, 1,
                {label("Country:", 8), filler(1), field(Country, 20), label("Year:", 7), filler(1),
                 field(Year, 7), field(MintMark, 4), filler(1), label("Approx Year:", 12),
                 field(YearApprox, 5), label("Quantity:", 11), filler(1), field(Quantity, 7)});
        setPriceLine(d, 2);
        setLine(d, 3,
                {label("Purchase Date:", 14), filler(1), field(PurchDate, 11),
                 label("Description:", 14), filler(1), field(Descriptio, 40),
                 label("Condition:", 12), filler(1), field(Condition, 30)});
        setLine(d, 4, {filler(150)});
        break;
    case 3:
        setSettings(d, name, 120, 8, 8, false, true);
        setWideTotals(d);
        setLine(d, 1,
                {label("Country:", 8), filler(1), field(Country, 20), label("Year:", 7), filler(1),
                 field(Year, 4), field(MintMark, 4), filler(1), field(YearApprox, 5),
                 label("Condition:", 12), filler(1), field(Condition, 30), label("Quantity:", 11),
                 filler(1), field(Quantity, 7)});
        setPriceLine(d, 2);
        setLine(d, 3,
                {label("Purchase Date:", 14), filler(1), field(PurchDate, 11),
                 label("Description:", 14), filler(1), field(Descriptio, 40), label("Wanted:", 7),
                 filler(1), field(Wanted, 4)});
        setLine(d, 4, {label("Comment:", 8), filler(1), field(Comment, 80)});
        setLine(d, 5, {label("Misc:", 5), filler(1), field(Miscellane, 110)});
        setLine(d, 6,
                {label("User Def #1:", 12), filler(1), field(UserDef1, 40),
                 label("User Def #2:", 12), filler(1), field(UserDef2, 40)});
        setLine(d, 7,
                {label("User Def #3:", 12), filler(1), field(UserDef3, 40),
                 label("User Def #4:", 12), filler(1), field(UserDef4, 40)});
        setLine(d, 8, {filler(150)});
        break;
    case 4:
        setSettings(d, name, 120, 0, 8, false, false);
        setWideTotals(d);
        break;
    default:
        break;
    }
    return d;
}

bool writeReadyMadeReports(const QString &path)
{
    QByteArray bytes;
    for (int k = 0; k < kReadyMadeCount; ++k)
        bytes += readyMadeReport(k).bytes();
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() &&
           platform::commitWhole(file);
}

void prepareReportFiles()
{
    const QString current = ReportFile::defaultPath();
    if (!QFileInfo::exists(current)) writeReadyMadeReports(current);
    convertEarlierReports(paths::programFile(kEarlierFileName), current);
}

} // namespace reports
