// Coin tables for the find tests: created by the program's own schema in a temporary
// directory, with records given by field number.
#pragma once

#include "db/coin_schema.h"
#include "db/database_files.h"
#include "dbase/table.h"
#include "python_dbf.h"

#include <QByteArray>
#include <QHash>
#include <QStringList>
#include <QTemporaryDir>
#include <initializer_list>

using Values = QHash<int, QByteArray>; // field number -> text (UTF-8)

inline void addCoin(dbase::Table &t, const Values &values)
{
    t.append();
    for (auto it = values.begin(); it != values.end(); ++it)
        t.setAsString(t.fieldByName(coin::field(it.key()).name), it.value().toStdString());
    t.post();
}

struct CoinTable {
    QTemporaryDir dir;
    dbase::Table table;
    QString path;

    explicit CoinTable(const QList<Values> &coins)
    {
        path = dir.path() + QStringLiteral("/COINS.DBF");
        dbfiles::createCoinTable(table, path);
        table.open();
        for (const Values &v : coins)
            addCoin(table, v);
        table.first();
    }
    // The countries of the records the table delivers, in order.
    QStringList countries()
    {
        QStringList out;
        const int country = table.fieldByName("COUNTRY");
        for (table.first(); !table.eof(); table.next())
            out << QString::fromStdString(table.asString(country));
        return out;
    }
};

// A list of texts written as literals.
inline QStringList strings(std::initializer_list<const char *> texts)
{
    QStringList out;
    for (const char *t : texts)
        out << QString::fromUtf8(t);
    return out;
}
