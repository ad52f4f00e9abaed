// Figures for report generation, one "name: value" line each (milliseconds and MB): the
// "Simple List Report" grouped by country with totals over a coin table sorted by country,
// generated into stored pages (view) and printed to a text file, with the peak resident
// memory after the view and the longest stretch in which the run let no input through (how
// long a cancel click can wait).
//
//     numarok-report-run-bench [--records N ...]    (default: 10000 and 100000)
//
// The view and its memory are measured for the first size only; the text file for each.
#include "db/coin_schema.h"
#include "db/database_files.h"
#include "dbase/table.h"
#include "reports/engine/producers.h"
#include "reports/ready_made.h"
#include "reports/report_generator.h"
#include "ui/formats.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace
{

double residentMb(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(static_cast<int>(qstrlen(key)))
                       .trimmed()
                       .split(' ')
                       .first()
                       .toDouble() /
                   1024.0;
    return -1;
}

// A coin table of `records` coins of 150 countries, indexed by country.
void makeTable(const QString &dir, int records)
{
    dbase::Table t;
    const QString path = dir + QStringLiteral("/BENCH.DBF");
    dbfiles::createCoinTable(t, path);
    t.open();
    t.setSyncEachPost(false);
    for (int i = 0; i < records; ++i) {
        t.append();
        const int c = (i * 7919) % 150;
        t.setAsString(coin::Country - 1, "Country " + std::to_string(c));
        t.setAsString(coin::FaceValue - 1, std::to_string(i % 100 + 1) + " Cents");
        t.setAsString(coin::Year - 1, std::to_string(1800 + i % 220));
        t.setAsString(coin::Condition - 1, "Very Fine");
        t.setAsFloat(coin::PurchasePr - 1, (i % 500) / 4.0);
        t.setAsFloat(coin::MarketValu - 1, (i % 700) / 4.0);
        t.setAsFloat(coin::PremiumVal - 1, (i % 50) / 4.0);
        t.setAsString(coin::Quantity - 1, std::to_string(i % 5 + 1));
        t.setAsString(coin::YearApprox - 1, "No");
        t.setAsString(coin::Wanted - 1, "No");
        t.post();
    }
    t.sync();
    t.close();
    dbfiles::applySortIndex(t, QStringLiteral("Upper(Left(Country,20))"), false);
}

struct Run {
    double ms = 0;
    int pages = 0;
    double longestGapMs = 0;
};

Run runReport(dbase::Table &table, reports::RunMode mode, const QString &out)
{
    static const RegionalSettings regional;
    reports::GenerationContext ctx{table, {coin::Country, 0, 0, 0}, {}, {}, {}, {}};
    for (int n = 1; n <= coin::kFieldCount; ++n)
        ctx.fieldNames[static_cast<size_t>(n - 1)] =
            QString::fromLatin1(coin::field(n).defaultLabel);
    ctx.moneyText = [](double v) { return formats::MoneyText(1, v, 1, regional); };
    ctx.wholeText = [](double v) { return formats::NumberText(1, 0, v, 1, regional); };
    ctx.todayText = [] { return QStringLiteral("12/8/26"); };
    reports::ReportGenerator gen(reports::readyMadeReport(0), ctx, mode, out);
    engine::PageStream stream;
    engine::TReportFiler filer;
    filer.setStream(&stream);
    gen.attach(filer);

    // A timer that fires whenever input gets through: the longest wait between two firings
    // is the longest a cancel click waits.
    QElapsedTimer clock, sinceLast;
    QTimer tick;
    tick.setInterval(0);
    double longest = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, static_cast<double>(sinceLast.nsecsElapsed()) / 1e6);
        sinceLast.restart();
    });
    clock.start();
    sinceLast.start();
    tick.start();
    filer.Execute();
    tick.stop();
    longest = std::max(longest, static_cast<double>(sinceLast.nsecsElapsed()) / 1e6);
    return Run{static_cast<double>(clock.nsecsElapsed()) / 1e6, stream.pageCount(), longest};
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QList<int> sizes;
    const QStringList args = app.arguments();
    for (int k = 1; k + 1 < args.size(); ++k)
        if (args[k] == QLatin1String("--records")) sizes << args[k + 1].toInt();
    if (sizes.isEmpty()) sizes = {10000, 100000};

    bool first = true;
    for (int records : sizes) {
        QTemporaryDir dir(QStringLiteral("/tmp/numarok-report-run-bench-XXXXXX"));
        makeTable(dir.path(), records);
        dbase::Table table;
        table.setDatabaseName(dir.path().toStdString());
        table.setTableName("BENCH");
        table.open();
        table.setIndexName("NewIndex");
        if (first) {
            const double before = residentMb("VmRSS:");
            const Run view = runReport(table, reports::RunMode::View, QString());
            std::printf("report_view_%d: %.0f\n", records, view.ms);
            std::printf("report_view_%d_pages: %d\n", records, view.pages);
            std::printf("report_view_%d_mb: %.1f\n", records, residentMb("VmHWM:") - before);
            std::printf("report_view_%d_input_gap_max: %.1f\n", records, view.longestGapMs);
        }
        const Run file =
            runReport(table, reports::RunMode::File, dir.filePath(QStringLiteral("report.txt")));
        std::printf("report_file_%d: %.0f\n", records, file.ms);
        std::printf("report_file_%d_input_gap_max: %.1f\n", records, file.longestGapMs);
        std::fflush(stdout);
        first = false;
    }
    return 0;
}
