// Import and export figures on a coin table with the index "NewIndex" open: exporting
// every coin to a text file and to a dBase file, and importing both files into a table
// of the same shape, with the longest wait between two progress reports of each run.
//
//   numarok-exchange-bench [--records N] [--dir D]
#include "bench_common.h"
#include "db/coin_schema.h"
#include "dbase/error.h"
#include "dbase/table.h"
#include "exchange/ascii_format.h"
#include "exchange/exchange_run.h"

#include <QFile>
#include <QString>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <string>

using bench::Clock;
using bench::cpuMs;
using bench::msSince;

namespace
{

const char *const kExpression = "Upper(Left(Country,26))+DTOS(PurchDate)+STR(PurchasePr,12,2)";

// The time of a run and the longest stretch without a progress report in it.
struct Timing {
    Clock::time_point start = Clock::now(), last = start;
    double cpuStart = cpuMs();
    double longestGap = 0;
    exchange::Progress progress()
    {
        return [this](int) {
            const auto now = Clock::now();
            longestGap =
                std::max(longestGap, std::chrono::duration<double, std::milli>(now - last).count());
            last = now;
        };
    }
    void print(const char *name)
    {
        const auto now = Clock::now();
        longestGap =
            std::max(longestGap, std::chrono::duration<double, std::milli>(now - last).count());
        std::cout << name << "_ms: " << msSince(start) << "\n";
        std::cout << name << "_cpu_ms: " << cpuMs() - cpuStart << "\n";
        std::cout << name << "_longest_progress_gap_ms: " << longestGap << "\n";
    }
};

void fill(dbase::Table &t, int i)
{
    static const char *const countries[] = {"France", "Germany",       "United States",
                                            "Canada", "Côte d'Ivoire", "Italy",
                                            "Spain",  "Österreich"};
    t.setAsString(0, countries[i % 8]);
    t.setAsString(1, std::to_string(1 + i % 100) + " Cents");
    t.setAsString(2, std::to_string(1800 + i % 225));
    t.setAsString(3, i % 3 ? "Fine" : "Very Fine");
    t.setAsString(4, i % 2 ? "D" : "S");
    t.setAsFloat(5, (i % 100000) / 100.0);
    t.setAsFloat(6, (i * 7 % 100000) / 100.0);
    t.setAsString(8, i % 5 ? "Commemorative" : "Circulation");
    t.setAsString(9, "Coin number " + std::to_string(i) + ", \"nice\"");
    t.setAsDate(10, dbase::Date{1990 + i % 35, 1 + i % 12, 1 + i % 28});
    t.setAsFloat(12, 1 + i % 5);
    t.setAsString(13, "A comment of some length for coin " + std::to_string(i));
    t.setAsString(14, "No");
    t.setAsString(15, "No");
}

// An empty coin table with NewIndex, open shared with the index selected.
void openIndexed(dbase::Table &t, const std::string &dir, const char *name)
{
    t.setDatabaseName(dir);
    t.setTableName(name);
    t.createTable(coin::tableDefinition());
    t.addIndex("NewIndex", kExpression);
    t.setIndexName("NewIndex");
    t.open();
}

std::array<QString, 20> labels()
{
    std::array<QString, 20> l;
    for (int n = 1; n <= 20; ++n)
        l[n - 1] = QString::fromLatin1(coin::field(n).defaultLabel);
    return l;
}

} // namespace

int main(int argc, char **argv)
{
    int records = 100000;
    std::string dir = "/tmp/numarok-exchange-bench";
    if (!bench::readArguments(argc, argv, "numarok-exchange-bench", records, dir)) return 2;
    try {
        std::filesystem::create_directories(dir);
        dbase::Table coins;
        coins.setDatabaseName(dir);
        coins.setTableName("COINS");
        coins.createTable(coin::tableDefinition());
        coins.open();
        coins.setSyncEachPost(false);
        for (int i = 0; i < records; ++i) {
            coins.append();
            fill(coins, i);
            coins.post();
        }
        coins.close();
        coins.addIndex("NewIndex", kExpression);
        coins.setIndexName("NewIndex");
        coins.open();
        std::cout << "records: " << records << "\n";

        std::vector<exchange::ExportColumn> columns;
        std::vector<std::string> header;
        for (int n = 1; n <= 20; ++n) {
            columns.push_back({n - 1, n});
            header.push_back(coin::field(n).defaultLabel);
        }
        const QString text = QString::fromStdString(dir + "/EXPORT.TXT");
        const QString table = QString::fromStdString(dir + "/EXPORT.DBF");
        {
            exchange::Exporter ex(coins, columns);
            Timing t;
            ex.setProgress(t.progress());
            ex.writeAscii(text, header);
            t.print("export_text");
        }
        {
            exchange::Exporter ex(coins, columns);
            Timing t;
            ex.setProgress(t.progress());
            ex.writeDbase(table);
            t.print("export_dbase");
        }
        std::vector<int> map;
        for (int n = 1; n <= 20; ++n)
            map.push_back(n);
        {
            dbase::Table target;
            openIndexed(target, dir, "FROMTEXT");
            Timing t;
            QFile f(text);
            f.open(QIODevice::ReadOnly);
            const QByteArray bytes = f.readAll();
            exchange::AsciiReader reader(
                std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
            std::vector<std::string> names;
            reader.readFirstLine(names);
            exchange::Importer importer(target, map, labels());
            importer.setProgress(t.progress());
            importer.setChecking(t.progress());
            const auto r = importer.importAscii(reader, true);
            t.print("import_text");
            if (r.imported != records)
                std::cerr << "imported " << r.imported << " of " << records << "\n";
        }
        {
            dbase::Table target;
            openIndexed(target, dir, "FROMDBF");
            Timing t;
            dbase::Table source;
            source.setDatabaseName(dir);
            source.setTableName("EXPORT.DBF");
            source.setReadOnly(true);
            source.setIgnoreIndexFile(true);
            source.open();
            exchange::Importer importer(target, map, labels());
            importer.setProgress(t.progress());
            importer.setChecking(t.progress());
            const auto r = importer.importDbase(source);
            t.print("import_dbase");
            if (r.imported != records)
                std::cerr << "imported " << r.imported << " of " << records << "\n";
        }
    } catch (const std::exception &e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    return 0;
}
