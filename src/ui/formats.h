// Display formats: the twelve date styles, money and number text in U.S. or regional
// form and reading typed numbers back, and the dialog size choice with its scale factor.
#pragma once

#include "dbase/date_style.h"
#include "platform/regional.h"

#include <QSize>
#include <QString>

namespace formats
{

struct DateStyleEntry {
    int code;
    const char *menuName; // MenuDateMDYSlash ...
    const char *caption;  // "mm/dd/yy" ...
    char separator;
    const char *withZeros;
    const char *withoutZeros;
};
extern const DateStyleEntry kDateStyles[12];

// The style of a code 1..12 with or without leading zeros; another code gives the
// locale's short date format.
dbase::DateStyle dateStyle(int code, bool leadingZeros);
// The pattern of the locale's short date format in the program's notation ("d/m/yyyy").
QString localeDatePattern();

// Text with thousands groups and `decimals` decimals, padded on the left to minWidth.
QString groupedText(double value, int decimals, QChar decimalPoint, QChar thousands, int minWidth);
// Currency format 1: two decimals, "." and ","; 2: the regional separators and decimals.
QString MoneyText(int minWidth, double value, int currencyFormat, const RegionalSettings &regional);
// Numeric format 1: "." and ","; 2: the regional separators.
QString NumberText(int minWidth, int decimals, double value, int numericFormat,
                   const RegionalSettings &regional);
// Reading typed numbers back: trimmed; format 1 drops every ",", format 2 drops the
// regional thousands separator and turns the first regional decimal separator into ".".
bool readNumberText(const QString &text, int format, const RegionalSettings &regional,
                    double &value);
// The same rule for a whole number: false unless the text is one (sign and digits).
bool readWholeNumber(const QString &text, int format, const RegionalSettings &regional,
                     double &value);
// For running totals, which never fail: the leading numeric part of the text after the
// separator rule, 0 when there is none.
double leadingNumber(const QString &text, int format, const RegionalSettings &regional, bool whole);

// Dialog size choice (640, 800, 1024, 1280) and its scale factor.
double scaleFactor(int windowSize);
QSize sizeOfChoice(int windowSize);
bool screenHolds(int windowSize, const QSize &screen);

} // namespace formats
