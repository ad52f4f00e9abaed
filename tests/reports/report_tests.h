// Helpers the report tests share: the ready-made reports, coin tables written by
// make_coins.py, the default field display names, and the PDFs that the NumarokPDF print
// queue writes into the user's ~/PDF.
#pragma once

#include "db/coin_schema.h"
#include "dbase/table.h"
#include "reports/ready_made.h"
#include "reports/report_definition.h"

#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTest>

#include <array>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace reporttest
{

// What a program writes to its standard output; empty when it does not finish in time.
inline QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000)) return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

inline int pdfPages(const QString &pdf)
{
    for (const QString &line : run(QStringLiteral("pdfinfo"), {pdf}).split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("Pages:"))) return line.mid(6).trimmed().toInt();
    return -1;
}

inline QString pdfText(const QString &pdf)
{
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
}

// Where the queue writes: the submitting user's ~/PDF.
inline QString pdfDirectory()
{
    const passwd *pw = getpwuid(getuid());
    return QString::fromLocal8Bit(pw ? pw->pw_dir : "") + QStringLiteral("/PDF");
}

inline QStringList pdfsNow()
{
    return QDir(pdfDirectory()).entryList({QStringLiteral("*.pdf")}, QDir::Files);
}

// The PDF of the next job of the queue, once written; empty after 90 seconds without one.
inline QString awaitPdf(const QStringList &before)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 90000) {
        for (const QString &name : pdfsNow())
            if (!before.contains(name)) {
                QTest::qWait(500); // complete once the backend has closed it
                return pdfDirectory() + QLatin1Char('/') + name;
            }
        QTest::qWait(250);
    }
    return {};
}

inline std::vector<reports::ReportDefinition> readyMadeReports()
{
    std::vector<reports::ReportDefinition> defs;
    for (int k = 0; k < reports::kReadyMadeCount; ++k)
        defs.push_back(reports::readyMadeReport(k));
    return defs;
}

// Writes COINS.DBF of one of the sets of make_coins.py into `dir` and opens it in `table`,
// in natural order; false (the table left closed) when the script fails.
inline bool makeCoins(const QString &dir, const QString &set, dbase::Table &table)
{
    QProcess py;
    py.start(QStringLiteral("/usr/bin/python3"),
             {QStringLiteral(NUMAROK_TEST_DATA "/../reports/scripts/make_coins.py"),
              dir + QStringLiteral("/COINS.DBF"), set});
    if (!py.waitForFinished(30000) || py.exitCode() != 0) {
        qWarning() << py.readAllStandardError();
        return false;
    }
    table.setDatabaseName(dir.toStdString());
    table.setTableName("COINS");
    table.open();
    return true;
}

// The twenty field display names as a new configuration has them.
inline void useDefaultFieldNames(std::array<QString, coin::kFieldCount> &names)
{
    for (int n = 1; n <= coin::kFieldCount; ++n)
        names[static_cast<size_t>(n - 1)] = QString::fromLatin1(coin::field(n).defaultLabel);
}

} // namespace reporttest
