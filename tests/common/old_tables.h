// The coin tables of the program's earlier versions, written by python3-dbf with their
// field lists, and any table read back by python3-dbf.
#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>

// The 2.X table C2LOG.DBF: 17 fields, the long names cut to 10 characters.
inline const QString kOldV2Fields = QStringLiteral(
    "ID N(6,0); COUNTRY C(20); FACEVALUE C(20); YEAR C(5); CONDITION C(30); MINTMARK C(3); "
    "PURCHASEPR N(12,2); MARKETVALU N(12,2); PREMIUMVAL N(12,2); TOPIC C(20); "
    "DESCRIPTIO C(40); PURCHDATE D; MISCELLANE C(110); QUANTITY N(5,0); COMMENT C(80); "
    "YEARBC C(3); YEARAPPROX C(5)");

// The 1.X table CLOG.DBF: 22 fields, the purchase date in three texts and four flags.
inline const QString kOldV1Fields = QStringLiteral(
    "ID N(6,0); COUNTRY C(20); FACEVALUE C(20); YEAR C(5); CONDITION C(30); MINTMARK C(3); "
    "PURCHASEPR N(12,2); MARKETVALU N(12,2); PREMIUMVAL N(12,2); TOPIC C(20); "
    "DESCRIPTIO C(40); PURCHDAY C(2); PURCHMONTH C(3); PURCHYEAR C(4); COMMEMORAT C(3); "
    "CONTROLLER C(3); GOLD C(3); SILVER C(3); QUANTITY N(5,0); COMMENT C(80); YEARBC C(3); "
    "YEARAPPROX C(5)");

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
