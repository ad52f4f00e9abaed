// Tables written and read back by python3-dbf, outside the program's own engine.
#pragma once

#include "db/coin_schema.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>

// Writes the table at `path` (see make_table.py for the rows). Empty when written, else
// what python3-dbf said.
inline QString writeTable(const QString &path, const QString &fields, const QJsonArray &rows)
{
    QProcess py;
    py.start(QStringLiteral("/usr/bin/python3"),
             {QStringLiteral(NUMAROK_TEST_SCRIPTS "/make_table.py"), path, fields,
              QString::fromUtf8(QJsonDocument(rows).toJson(QJsonDocument::Compact))});
    if (!py.waitForFinished(60000)) return QStringLiteral("python3 did not finish");
    if (py.exitStatus() != QProcess::NormalExit || py.exitCode() != 0)
        return QString::fromUtf8(py.readAllStandardError());
    return QString();
}

// The table as python3-dbf reads it: {"count", "fields", "records": [{"deleted", "values"}]}.
inline QJsonObject dumpTable(const QString &path)
{
    QProcess py;
    py.start(QStringLiteral("/usr/bin/python3"),
             {QStringLiteral(NUMAROK_TEST_SCRIPTS "/dump_dbf.py"), path});
    py.waitForFinished(60000);
    return QJsonDocument::fromJson(py.readAllStandardOutput()).object();
}

// The live records' values, in file order.
inline QList<QJsonArray> liveRecords(const QString &path)
{
    QList<QJsonArray> out;
    for (const auto &r : dumpTable(path)[QStringLiteral("records")].toArray())
        if (!r.toObject()[QStringLiteral("deleted")].toBool())
            out << r.toObject()[QStringLiteral("values")].toArray();
    return out;
}

// The value of a coin record read back, by field number.
inline QJsonValue coinValue(const QJsonArray &record, coin::FieldNumber field)
{
    return record[field - 1];
}
