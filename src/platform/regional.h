// The regional number settings of the system locale: decimal point, group separator,
// number decimals and currency decimals.
#pragma once

#include <QChar>

struct RegionalSettings {
    QChar decimal = QLatin1Char('.');
    QChar thousand = QLatin1Char(',');
    int digits = 2;
    int currencyDigits = 2;

    static RegionalSettings system();
};
