// Engine benchmark on a coin-shaped table: a plain read of the file, index build, opening
// with the index, a filtered scan, appends with the index open, the engine steps of a sort
// order change and a pack, against a baseline at the physical limit of an index build
// (read the file, keys in one buffer, record numbers sorted by memcmp, output written).
//
//   numarok-bench --records N --dir D
#include "bench_common.h"
#include "db/coin_schema.h"
#include "db/database_files.h"
#include "dbase/error.h"
#include "dbase/table.h"
#include "find/locate_match.h"
#include "find/replace_match.h"
#include "find/search_criteria.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using bench::Clock;
using bench::cpuMs;
using bench::msSince;

namespace
{

std::string cpuSince(double c0)
{
    return " (cpu " + std::to_string(static_cast<long>(cpuMs() - c0 + 0.5)) + ")";
}

const char *const kCountries[] = {
    "France",  "germany", "United States", "Canada", "Mexico", "Italy", "spain",  "Switzerland",
    "Austria", "Belgium", "Netherlands",   "Japan",  "China",  "India", "Brazil", "Peru"};

struct Rng {
    uint64_t s = 88172645463325252ULL;
    uint32_t next()
    {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return static_cast<uint32_t>(s);
    }
};

void fillRecord(dbase::Table &t, Rng &rng, int i)
{
    t.setAsString(0, kCountries[rng.next() % std::size(kCountries)]);
    t.setAsString(1, std::to_string(1 + rng.next() % 100) + " Cents");
    t.setAsString(2, std::to_string(1800 + rng.next() % 225));
    t.setAsString(3, i % 3 ? "Fine" : "Very Fine");
    t.setAsString(4, i % 2 ? "D" : "S");
    t.setAsFloat(5, (rng.next() % 100000) / 100.0);
    t.setAsFloat(6, (rng.next() % 100000) / 100.0);
    t.setAsFloat(7, 0);
    t.setAsString(8, i % 5 ? "Commemorative" : "Circulation");
    t.setAsString(9, "Coin number " + std::to_string(i));
    t.setAsDate(10, dbase::Date{1990 + static_cast<int>(rng.next() % 35),
                                1 + static_cast<int>(rng.next() % 12),
                                1 + static_cast<int>(rng.next() % 28)});
    t.setAsString(11, i % 7 ? "" : "Proof, Toned");
    t.setAsFloat(12, 1 + rng.next() % 5);
    t.setAsString(14, "No");
    t.setAsString(15, "No");
}

// A plain read of the whole file into memory, the floor of anything that reads it all.
std::vector<char> readWholeFile(const std::string &path)
{
    std::vector<char> data;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return data;
    struct stat st {
    };
    ::fstat(fd, &st);
    data.resize(static_cast<std::size_t>(st.st_size));
    std::size_t at = 0;
    while (at < data.size()) {
        const ssize_t n = ::read(fd, data.data() + at, data.size() - at);
        if (n <= 0) break;
        at += static_cast<std::size_t>(n);
    }
    data.resize(at);
    ::close(fd);
    return data;
}

// The physical limit of an index build: read the file into memory, build the keys of
// Upper(Left(Country,26))+DTOS(PurchDate)+STR(PurchasePr,12,2) into one contiguous
// buffer, sort record numbers by memcmp of their keys and write index-sized output.
double baseline(const std::string &path, const std::string &outPath)
{
    const auto t0 = Clock::now();
    const std::vector<char> data = readWholeFile(path);
    uint32_t count = 0;
    std::memcpy(&count, data.data() + 4, 4);
    uint16_t headerLen = 0, recordLen = 0;
    std::memcpy(&headerLen, data.data() + 8, 2);
    std::memcpy(&recordLen, data.data() + 10, 2);
    // Offsets of COUNTRY (1), PURCHASEPR (6) and PURCHDATE (11) in the coin record.
    const int country = 1, price = 1 + 20 + 20 + 7 + 30 + 3, date = price + 60 + 20 + 40;
    constexpr int kl = 20 + 8 + 12;
    std::vector<char> keys(static_cast<std::size_t>(count) * kl);
    for (uint32_t r = 0; r < count; ++r) {
        const char *rec = data.data() + headerLen + static_cast<std::size_t>(r) * recordLen;
        char *key = keys.data() + static_cast<std::size_t>(r) * kl;
        for (int i = 0; i < 20; ++i)
            key[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(rec[country + i])));
        std::memcpy(key + 20, rec + date, 8);
        const char *p = rec + price, *e = p + 20;
        while (p < e && *p == ' ')
            ++p;
        double v = 0;
        std::from_chars(p, e, v);
        char buf[32];
        const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 2);
        const int len = static_cast<int>(res.ptr - buf);
        std::memset(key + 28, ' ', 12);
        if (len <= 12) std::memcpy(key + 28 + 12 - len, buf, static_cast<std::size_t>(len));
    }
    std::vector<uint32_t> order(count);
    for (uint32_t r = 0; r < count; ++r)
        order[r] = r;
    const char *k = keys.data();
    std::sort(order.begin(), order.end(), [k](uint32_t a, uint32_t b) {
        const int c = std::memcmp(k + static_cast<std::size_t>(a) * kl,
                                  k + static_cast<std::size_t>(b) * kl, kl);
        return c < 0 || (c == 0 && a < b);
    });
    // Leaf items as the index holds them: record number and key, padded to 4 bytes.
    constexpr int item = (kl + 4 + 3) / 4 * 4;
    std::vector<char> out(static_cast<std::size_t>(count) * item);
    for (uint32_t i = 0; i < count; ++i) {
        char *o = out.data() + static_cast<std::size_t>(i) * item;
        const uint32_t recno = order[i] + 1;
        std::memcpy(o, &recno, 4);
        std::memcpy(o + 4, k + static_cast<std::size_t>(order[i]) * kl, kl);
    }
    std::ofstream(outPath, std::ios::binary)
        .write(out.data(), static_cast<std::streamsize>(out.size()));
    const double ms = msSince(t0);
    std::filesystem::remove(outPath);
    return ms;
}

// Search, locate and search and replace on a fresh table of `records` coins with the sort
// tag selected, as the main window has it: a two-level search of four items counted, a
// locate of the value only the last record in index order holds, and a search and replace
// that changes one record in ten with the tag dropped during the walk and built again.
void findBench(const std::string &dir, int records, const char *expr)
{
    dbase::Table t;
    t.setDatabaseName(dir);
    t.setTableName("FINDS");
    t.createTable(coin::tableDefinition());
    t.setExclusive(true);
    t.open();
    Rng rng;
    t.setSyncEachPost(false);
    const int userDef1 = t.fieldByName("USERDEF1");
    for (int i = 0; i < records; ++i) {
        t.append();
        fillRecord(t, rng, i);
        t.setAsString(userDef1, i % 10 ? "Kept" : "Batch");
        t.post();
    }
    t.sync();
    t.close();
    t.addIndex("NewIndex", expr);
    t.setExclusive(false);
    t.setIndexName("NewIndex");
    t.open();
    t.recordCount();

    // Level 1: country contains "an" and 100 < purchase price < 500; level 2: bought
    // after 1 January 2015.
    finding::SearchCriteria criteria;
    std::array<QString, finding::kSearchRows> cells;
    std::array<int, finding::kSearchRows> ops;
    ops.fill(finding::OpEqual);
    cells[0] = QStringLiteral("an");
    cells[5] = QStringLiteral("> 100 AND < 500");
    ops[5] = finding::OpRange;
    const dbase::DateStyle style("m/d/yy");
    criteria.readLevel(cells, ops, style);
    criteria.nextLevel();
    cells.fill(QString());
    ops.fill(finding::OpEqual);
    cells[10] = QStringLiteral("> 01/01/2015");
    ops[10] = finding::OpGreater;
    criteria.readLevel(cells, ops, style);
    auto t0 = Clock::now();
    double c0 = cpuMs();
    t.setFilter([&criteria](const dbase::Table &tab) { return criteria.passes(tab); });
    t.refilter();
    const int matches = t.recordCount();
    std::cout << "search_4_items_apply_count: " << msSince(t0) << cpuSince(c0) << " "
              << criteria.itemCount() << " items " << matches << " matches\n";
    t.clearFilter();

    t.last();
    const QString lastValue = QString::fromStdString(t.asString(t.fieldByName("DESCRIPTIO")));
    t.first();
    t0 = Clock::now();
    c0 = cpuMs();
    const auto found =
        finding::findMatch(false, t, QStringLiteral("DESCRIPTIO"), false, mtExactMatch, lastValue);
    std::cout << "locate_last_in_index_order: " << msSince(t0) << cpuSince(c0) << " "
              << (found == finding::FindResult::Found && t.currentRow() == t.recordCount() - 1
                      ? "found"
                      : "NOT FOUND")
              << "\n";
    t.close();

    // The engine steps of Search and Replace: exclusive open, natural order, the tag
    // dropped, the walk, the tag built again and selected.
    t0 = Clock::now();
    c0 = cpuMs();
    t.setExclusive(true);
    t.open();
    t.setIndexName("");
    t.deleteIndex("NewIndex");
    finding::ReplaceRequest request;
    finding::checkReplaceInput(coin::UserDef1, QStringLiteral("batch"), QStringLiteral("Done"),
                               style, request);
    finding::ReplaceCounters counters;
    finding::replaceWalk(t, request, {}, {}, counters);
    t.addIndex("NewIndex", expr);
    t.setIndexName("NewIndex");
    t.close();
    std::cout << "search_replace_10_percent: " << msSince(t0) << cpuSince(c0) << " "
              << counters.changed << " of " << counters.processed << " changed\n";
}

} // namespace

int main(int argc, char **argv)
{
    int records = 100000;
    std::string dir = ".";
    if (!bench::readArguments(argc, argv, "numarok-bench", records, dir)) return 2;
    const char *expr = "Upper(Left(Country,26))+DTOS(PurchDate)+STR(PurchasePr,12,2)";
    const char *otherExpr = "DTOS(PurchDate)+Upper(Left(Country,26))";
    try {
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        dbase::Table t;
        t.setDatabaseName(dir);
        t.setTableName("BENCH");
        auto t0 = Clock::now();
        t.createTable(coin::tableDefinition());
        t.setExclusive(true);
        t.open();
        Rng rng;
        t.setSyncEachPost(false); // bulk work: one flush at the end
        for (int i = 0; i < records; ++i) {
            t.append();
            fillRecord(t, rng, i);
            t.post();
        }
        t.sync();
        t.close();
        std::cout << "create_table: " << msSince(t0) << "\n";
        const std::string path = t.filePath();

        t0 = Clock::now();
        double c0 = cpuMs();
        const std::size_t fileBytes = readWholeFile(path).size();
        const double readFile = msSince(t0);
        std::cout << "read_file: " << readFile << cpuSince(c0) << " " << fileBytes << " bytes\n";

        t0 = Clock::now();
        c0 = cpuMs();
        t.addIndex("NewIndex", expr);
        const double build = msSince(t0);
        std::cout << "index_build: " << build << cpuSince(c0) << "\n";

        // Open as the main window does: shared, the sort tag selected, the record count
        // asked for by the grid.
        t.setExclusive(false);
        t.setIndexName("NewIndex");
        t0 = Clock::now();
        c0 = cpuMs();
        t.open();
        const int count = t.recordCount();
        const double open = msSince(t0);
        std::cout << "open_with_index: " << open << cpuSince(c0) << " " << count << " records\n";

        const int country = t.fieldByName("COUNTRY");
        t0 = Clock::now();
        t.setFilter(
            [country](const dbase::Table &tab) { return tab.asString(country) == "France"; });
        int seen = 0;
        for (t.first(); !t.eof(); t.next())
            ++seen;
        std::cout << "filtered_scan: " << msSince(t0) << "\n";
        std::cout << "filtered_records: " << seen << "\n";
        t.clearFilter();

        // The machine is shared: the best of three batches of 1,000 appends, as bulk work
        // does them (one flush at the end of the batch).
        double appends = 0, appendsCpu = 0;
        t.setSyncEachPost(false);
        for (int batch = 0; batch < 3; ++batch) {
            t0 = Clock::now();
            c0 = cpuMs();
            for (int i = 0; i < 1000; ++i) {
                t.append();
                fillRecord(t, rng, records + batch * 1000 + i);
                t.post();
            }
            t.sync();
            const double ms = msSince(t0), cpu = cpuMs() - c0;
            appends = batch == 0 ? ms : std::min(appends, ms);
            appendsCpu = batch == 0 ? cpu : std::min(appendsCpu, cpu);
        }
        std::cout << "append_1000_at_N: " << appends << " (cpu "
                  << static_cast<long>(appendsCpu + 0.5) << ")\n";
        std::cout << "append_avg: " << appends / 1000 << "\n";
        // What the record editor's Update waits for: one append, flushed to the disk.
        t.setSyncEachPost(true);
        std::vector<double> synced;
        for (int i = 0; i < 100; ++i) {
            t0 = Clock::now();
            t.append();
            fillRecord(t, rng, records + 3000 + i);
            t.post();
            synced.push_back(msSince(t0));
        }
        std::sort(synced.begin(), synced.end());
        std::cout << "append_synced_median: " << synced[50] << "\n";
        std::cout << "append_synced_p95: " << synced[95] << "\n";
        t.close();

        // The engine steps of the Sort Order dialog's Ok: the in-use test, the exclusive
        // open, the tag rebuilt from the new expression, the shared reopen with the grid's
        // record count.
        dbase::Table check;
        t0 = Clock::now();
        c0 = cpuMs();
        for (int i = 0; i < 2; ++i) {
            if (dbfiles::inUse(check, QString::fromStdString(path)))
                throw dbase::Error("the bench table is in use");
            t.setIndexName(""); // as the dialog does: the old order is not read
            t.setExclusive(true);
            t.open();
            dbfiles::applySortIndex(t, QString::fromLatin1(i == 0 ? otherExpr : expr), true);
            t.close();
            t.setExclusive(false);
            t.open();
            t.recordCount();
            t.close();
        }
        std::cout << "sort_order_change: " << msSince(t0) / 2 << " (cpu "
                  << static_cast<long>((cpuMs() - c0) / 2 + 0.5) << ")\n";

        // Pack with one record in a hundred deleted: exclusive open, pack, index rebuilt.
        t.setExclusive(true);
        t.open();
        for (int row = 0; row < t.recordCount(); row += 99) {
            t.moveToRow(row);
            t.deleteRecord();
        }
        const int before = t.recordCount();
        t0 = Clock::now();
        c0 = cpuMs();
        t.pack();
        const double pack = msSince(t0);
        std::cout << "pack: " << pack << cpuSince(c0) << " " << before << " records kept\n";
        t.close();

        c0 = cpuMs();
        const double base = baseline(path, dir + "/BASELINE.OUT");
        std::cout << "baseline: " << base << cpuSince(c0) << "\n";
        std::cout << "ratio index_build/baseline: " << build / base << "\n";
        std::cout << "ratio open_with_index/read_file: " << open / readFile << "\n";

        // An import's worth: 100,000 appends to the full table with the index open.
        t.setExclusive(false);
        t.setIndexName("NewIndex");
        t.open();
        t.recordCount();
        t0 = Clock::now();
        c0 = cpuMs();
        t.setSyncEachPost(false);
        for (int i = 0; i < 100000; ++i) {
            t.append();
            fillRecord(t, rng, i);
            t.post();
        }
        t.sync();
        std::cout << "append_100000_at_N: " << msSince(t0) << cpuSince(c0) << "\n";
        t.close();

        findBench(dir, records, expr);
    } catch (const dbase::Error &e) {
        std::cerr << "numarok-bench: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
