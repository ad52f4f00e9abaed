// Engine benchmark on a coin-shaped table: index build, opening with the index, a
// filtered scan and appends with the index open, against a baseline of reading the file
// into memory and sorting the same keys with std::sort.
//
//   numarok-bench --records N --dir D
#include "db/coin_schema.h"
#include "dbase/error.h"
#include "dbase/table.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace
{

double msSince(Clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
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

// The baseline: read the file into memory and sort the same keys with std::sort.
double baseline(const std::string &path)
{
    const auto t0 = Clock::now();
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::string data(static_cast<std::size_t>(in.tellg()), '\0');
    in.seekg(0);
    in.read(data.data(), static_cast<std::streamsize>(data.size()));
    uint32_t count = 0;
    std::memcpy(&count, data.data() + 4, 4);
    uint16_t headerLen = 0, recordLen = 0;
    std::memcpy(&headerLen, data.data() + 8, 2);
    std::memcpy(&recordLen, data.data() + 10, 2);
    // Offsets of COUNTRY (1), PURCHASEPR (6) and PURCHDATE (11) in the coin record.
    const int country = 1, price = 1 + 20 + 20 + 7 + 30 + 3, date = price + 60 + 20 + 40;
    std::vector<std::pair<std::string, uint32_t>> keys;
    keys.reserve(count);
    for (uint32_t r = 0; r < count; ++r) {
        const char *rec = data.data() + headerLen + static_cast<std::size_t>(r) * recordLen;
        std::string key(rec + country, 20);
        for (char &c : key)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        key.append(rec + date, 8);
        char buf[32];
        std::snprintf(buf, sizeof buf, "%12.2f",
                      std::strtod(std::string(rec + price, 20).c_str(), nullptr));
        key.append(buf, 12);
        keys.emplace_back(std::move(key), r + 1);
    }
    std::sort(keys.begin(), keys.end());
    return msSince(t0);
}

} // namespace

int main(int argc, char **argv)
{
    int records = 100000;
    std::string dir = ".";
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--records" && i + 1 < argc)
            records = std::stoi(argv[++i]);
        else if (a == "--dir" && i + 1 < argc)
            dir = argv[++i];
        else {
            std::cerr << "usage: numarok-bench --records N --dir D\n";
            return 2;
        }
    }
    const char *expr = "Upper(Left(Country,26))+DTOS(PurchDate)+STR(PurchasePr,12,2)";
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
        for (int i = 0; i < records; ++i) {
            t.append();
            fillRecord(t, rng, i);
            t.post();
        }
        t.close();
        std::cout << "create_table: " << msSince(t0) << "\n";

        t0 = Clock::now();
        t.addIndex("NewIndex", expr);
        std::cout << "index_build: " << msSince(t0) << "\n";
        const double build = msSince(t0);

        t.setExclusive(false);
        t.setIndexName("NewIndex");
        t0 = Clock::now();
        t.open();
        std::cout << "open_with_index: " << msSince(t0) << "\n";

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

        t0 = Clock::now();
        for (int i = 0; i < 1000; ++i) {
            t.append();
            fillRecord(t, rng, records + i);
            t.post();
        }
        const double appends = msSince(t0);
        std::cout << "append_1000: " << appends << "\n";
        std::cout << "append_avg: " << appends / 1000 << "\n";
        const std::string path = t.filePath();
        t.close();

        const double base = baseline(path);
        std::cout << "baseline: " << base << "\n";
        std::cout << "ratio index_build/baseline: " << build / base << "\n";
    } catch (const dbase::Error &e) {
        std::cerr << "numarok-bench: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
