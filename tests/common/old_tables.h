// The field lists of the coin tables of the program's earlier versions, for python3-dbf
// to write them.
#pragma once

#include "python_dbf.h"

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

// A record of a table with the field list `fields`, given by field name; the fields not
// named are empty: blank text, or no value for the other kinds.
inline QJsonArray oldRecord(const QString &fields, const QJsonObject &values)
{
    QJsonArray record;
    for (const QString &field : fields.split(QLatin1Char(';'))) {
        const QString name = field.trimmed().section(QLatin1Char(' '), 0, 0);
        const bool text = field.trimmed().section(QLatin1Char(' '), 1).startsWith(QLatin1Char('C'));
        record.append(values.contains(name) ? values[name]
                      : text                ? QJsonValue(QString())
                                            : QJsonValue(QJsonValue::Null));
    }
    return record;
}
