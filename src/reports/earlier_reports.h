// Takes over QUILM.URP, the report file of earlier versions (19831-byte records): its reports
// that are not ready-made ones are appended to NUMAROK.URP, then the earlier file is deleted.
#pragma once

#include "reports/report_definition.h"

#include <QByteArray>
#include <QString>

namespace reports
{

inline const QString kEarlierFileName = QStringLiteral("QUILM.URP");
constexpr int kEarlierRecordSize = 19831;

struct ConversionResult {
    bool found = false;   // the earlier file was there
    bool removed = false; // and is gone now
    int appended = 0;
    int skipped = 0; // ready-made names
};

// Silent. An earlier file that cannot be opened, is locked by another program, cannot be
// read, or whose reports cannot be appended stays where it is for the next start-up.
ConversionResult convertEarlierReports(const QString &earlierPath, const QString &currentPath);

// One earlier record (kEarlierRecordSize bytes) in the current layout.
ReportDefinition convertEarlierRecord(const QByteArray &earlier);

// The field number (1..20) a stored field name stands for, in any letter case; 0 if none.
int fieldNumberForName(const QString &name);
// The totals number (1..4) of a totals line's stored name; 0 if none.
int totalNumberForName(const QString &name);

} // namespace reports
