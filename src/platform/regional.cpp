#include "platform/regional.h"

#include <QLocale>
#include <climits>
#include <clocale>

RegionalSettings RegionalSettings::system()
{
    RegionalSettings r;
    const QLocale locale = QLocale::system();
    r.decimal = locale.decimalPoint().isEmpty() ? QLatin1Char('.') : locale.decimalPoint().at(0);
    r.thousand =
        locale.groupSeparator().isEmpty() ? QLatin1Char(',') : locale.groupSeparator().at(0);
    // Currency decimals from the C library's monetary locale; 2 when it does not say.
    const lconv *lc = std::localeconv();
    if (lc && lc->frac_digits != CHAR_MAX) r.currencyDigits = lc->frac_digits;
    return r;
}
