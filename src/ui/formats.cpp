#include "ui/formats.h"

#include <QLocale>
#include <cmath>

namespace formats
{

const DateStyleEntry kDateStyles[12] = {
    {1, "MenuDateMDYSlash", "mm/dd/yy", '/', "mm/dd/yy", "m/d/yy"},
    {2, "MenuDateMDYDash", "mm-dd-yy", '-', "mm/dd/yy", "m/d/yy"},
    {3, "MenuDateMDYDot", "mm.dd.yy", '.', "mm/dd/yy", "m/d/yy"},
    {4, "MenuDateDMYSlash", "dd/mm/yy", '/', "dd/mm/yy", "d/m/yy"},
    {5, "MenuDateDMYDash", "dd-mm-yy", '-', "dd/mm/yy", "d/m/yy"},
    {6, "MenuDateDMYDot", "dd.mm.yy", '.', "dd/mm/yy", "d/m/yy"},
    {7, "MenuDateMDYSlashYr", "mm/dd/yyyy", '/', "mm/dd/yyyy", "m/d/yyyy"},
    {8, "MenuDateMDYDashYr", "mm-dd-yyyy", '-', "mm/dd/yyyy", "m/d/yyyy"},
    {9, "MenuDateMDYDotYr", "mm.dd.yyyy", '.', "mm/dd/yyyy", "m/d/yyyy"},
    {10, "MenuDateDMYSlashYr", "dd/mm/yyyy", '/', "dd/mm/yyyy", "d/m/yyyy"},
    {11, "MenuDateDMYDashYr", "dd-mm-yyyy", '-', "dd/mm/yyyy", "d/m/yyyy"},
    {12, "MenuDateDMYDotYr", "dd.mm.yyyy", '.', "dd/mm/yyyy", "d/m/yyyy"},
};

QString localeDatePattern()
{
    // Qt's "M/d/yy" style: keep the day, month and year letters and the first separator.
    const QString f = QLocale::system().dateFormat(QLocale::ShortFormat);
    QString out;
    QChar sep;
    for (const QChar c : f) {
        const QChar l = c.toLower();
        if (l == QLatin1Char('d') || l == QLatin1Char('m') || l == QLatin1Char('y'))
            out += l;
        else if (sep.isNull() && !out.isEmpty() && !c.isSpace())
            sep = c;
        if (!sep.isNull() && c == sep && !out.endsWith(sep)) out += sep;
    }
    return out;
}

dbase::DateStyle dateStyle(int code, bool leadingZeros)
{
    if (code < 1 || code > 12) return dbase::DateStyle(localeDatePattern().toStdString());
    const DateStyleEntry &e = kDateStyles[code - 1];
    std::string pattern = leadingZeros ? e.withZeros : e.withoutZeros;
    for (char &c : pattern)
        if (c == '/') c = e.separator;
    return dbase::DateStyle(pattern);
}

QString groupedText(double value, int decimals, QChar decimalPoint, QChar thousands, int minWidth)
{
    // Written with its decimals and no padding; a separator before every third integer
    // digit counted from the decimal point, the minus sign counting as a digit, and none
    // directly after the minus sign.
    QString text = QString::number(value, 'f', std::max(0, decimals));
    if (text.startsWith(QLatin1Char('-')) && text.mid(1).toDouble() == 0)
        text.remove(0, 1); // no "-0.00"
    int point = text.indexOf(QLatin1Char('.'));
    if (point >= 0)
        text[point] = decimalPoint;
    else
        point = text.size();
    for (int i = point - 3; i > 0; i -= 3)
        text.insert(i, thousands);
    if (text.size() > 1 && text.at(0) == QLatin1Char('-') && text.at(1) == thousands)
        text.remove(1, 1);
    return text.rightJustified(minWidth, QLatin1Char(' '));
}

QString MoneyText(int minWidth, double value, int currencyFormat, const RegionalSettings &regional)
{
    if (currencyFormat == 2)
        return groupedText(value, regional.currencyDigits, regional.decimal, regional.thousand,
                           minWidth);
    return groupedText(value, 2, QLatin1Char('.'), QLatin1Char(','), minWidth);
}

QString NumberText(int minWidth, int decimals, double value, int numericFormat,
                   const RegionalSettings &regional)
{
    if (numericFormat == 2)
        return groupedText(value, decimals, regional.decimal, regional.thousand, minWidth);
    return groupedText(value, decimals, QLatin1Char('.'), QLatin1Char(','), minWidth);
}

namespace
{
QString separatorRule(const QString &text, int format, const RegionalSettings &regional)
{
    QString t = text.trimmed();
    if (format == 1) {
        t.remove(QLatin1Char(','));
    } else {
        t.remove(regional.thousand);
        const int at = t.indexOf(regional.decimal);
        if (at >= 0) t[at] = QLatin1Char('.');
    }
    return t;
}
} // namespace

bool readNumberText(const QString &text, int format, const RegionalSettings &regional,
                    double &value)
{
    bool ok = false;
    value = QLocale::c().toDouble(separatorRule(text, format, regional), &ok);
    return ok && std::isfinite(value);
}

bool readWholeNumber(const QString &text, int format, const RegionalSettings &regional,
                     double &value)
{
    bool ok = false;
    const qlonglong n = QLocale::c().toLongLong(separatorRule(text, format, regional), &ok);
    value = ok ? double(n) : 0;
    return ok;
}

double leadingNumber(const QString &text, int format, const RegionalSettings &regional, bool whole)
{
    const QString t = separatorRule(text, format, regional);
    // Sign, digits and (unless whole) one decimal point with more digits.
    int end = 0;
    if (end < t.size() && (t[end] == QLatin1Char('-') || t[end] == QLatin1Char('+'))) ++end;
    while (end < t.size() && t[end].isDigit())
        ++end;
    if (!whole && end < t.size() && t[end] == QLatin1Char('.')) {
        ++end;
        while (end < t.size() && t[end].isDigit())
            ++end;
    }
    bool ok = false;
    const double v = QLocale::c().toDouble(t.left(end), &ok);
    return ok && std::isfinite(v) ? v : 0;
}

double scaleFactor(int windowSize)
{
    switch (windowSize) {
    case 800:
        return 1.25;
    case 1024:
        return 1.6;
    case 1280:
        return 2.0;
    default:
        return 1.0;
    }
}

QSize sizeOfChoice(int windowSize)
{
    switch (windowSize) {
    case 800:
        return {800, 600};
    case 1024:
        return {1024, 768};
    case 1280:
        return {1280, 1024};
    default:
        return {640, 480};
    }
}

bool screenHolds(int windowSize, const QSize &screen)
{
    const QSize need = sizeOfChoice(windowSize);
    return screen.width() >= need.width() && screen.height() >= need.height();
}

} // namespace formats
