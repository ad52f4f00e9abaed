// The five ready-made reports a first installation starts with, and the start-up step that
// writes them when NUMAROK.URP is missing and then takes over the earlier report file.
#pragma once

#include "reports/report_definition.h"

#include <QString>
#include <QStringList>

namespace reports
{

constexpr int kReadyMadeCount = 5;

// "Simple List Report", "Simple List Plus Values Report", "Three Line Report",
// "Complete Report", "Statistic/Summary Report".
const QStringList &readyMadeNames();
// Ready-made report 0..4.
ReportDefinition readyMadeReport(int index);
// Writes the five as a new file at `path` (beside, then renamed into place); false, with
// nothing written, when that fails.
bool writeReadyMadeReports(const QString &path);

// The start-up step: NUMAROK.URP in the program directory gets the ready-made reports when
// missing, then QUILM.URP (when there) is converted into it. Silent.
void prepareReportFiles();

} // namespace reports
