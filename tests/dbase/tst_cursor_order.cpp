// The cursor's order and rows against a plain reference model: the chunked list against a
// vector, the cursor class alone, and a table with its index open through random appends,
// key-moving edits, deletes and filters, with index_dump walking the tag after each batch.
#include "dbase/cursor.h"
#include "dbase/error.h"
#include "helpers.h"

#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>

using namespace dbase;

namespace
{

// The reference order: (key, recno) ascending over the records that have a key.
struct Model {
    int keyLength = 0;
    std::map<uint32_t, std::string> keys;

    std::vector<uint32_t> order() const { return keyOrder(keys); }
};

std::string randomKey(std::mt19937 &rng, int length)
{
    // Few distinct letters, so that equal keys (ordered by record number) are common.
    std::string k(static_cast<std::size_t>(length), ' ');
    for (char &c : k)
        c = static_cast<char>('A' + rng() % 4);
    return k;
}

std::vector<uint32_t> rowsOf(const Cursor &c)
{
    std::vector<uint32_t> v;
    for (int i = 0; i < c.rowCount(); ++i)
        v.push_back(c.recnoAt(i));
    return v;
}

} // namespace

class CursorOrderTests : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void chunkedListMatchesVector()
    {
        std::mt19937 rng(7);
        ChunkedList list;
        std::vector<uint32_t> ref;
        std::vector<uint32_t> start(3000);
        for (uint32_t i = 0; i < start.size(); ++i)
            start[i] = i * 4;
        list.assign(start);
        ref = start;
        for (int step = 0; step < 20000; ++step) {
            const bool insert = ref.empty() || rng() % 3 != 0;
            if (insert) {
                // Kept sorted, so lowerBound can be checked as well.
                const uint32_t v = rng() % 20000;
                const std::size_t pos = list.lowerBound([v](uint32_t x) { return x < v; });
                QCOMPARE(pos, static_cast<std::size_t>(std::lower_bound(ref.begin(), ref.end(), v) -
                                                       ref.begin()));
                list.insert(pos, v);
                ref.insert(ref.begin() + static_cast<std::ptrdiff_t>(pos), v);
            } else {
                const std::size_t pos = rng() % ref.size();
                list.erase(pos);
                ref.erase(ref.begin() + static_cast<std::ptrdiff_t>(pos));
            }
            QCOMPARE(list.size(), ref.size());
            if (!ref.empty()) {
                const std::size_t probe = rng() % ref.size();
                QCOMPARE(list.at(probe), ref[probe]);
            }
        }
        QCOMPARE(list.toVector(), ref);
        // Emptied completely, then used again.
        while (!ref.empty()) {
            list.erase(0);
            ref.erase(ref.begin());
        }
        QVERIFY(list.empty());
        list.insert(0, 5);
        QCOMPARE(list.toVector(), std::vector<uint32_t>{5});
    }

    void cursorMatchesModel_data()
    {
        QTest::addColumn<bool>("keyed");
        QTest::addColumn<int>("filterModulus"); // 0: no filter
        QTest::newRow("key order") << true << 0;
        QTest::newRow("key order, filtered") << true << 3;
        QTest::newRow("natural order") << false << 0;
        QTest::newRow("natural order, filtered") << false << 4;
    }

    void cursorMatchesModel()
    {
        QFETCH(bool, keyed);
        QFETCH(int, filterModulus);
        std::mt19937 rng(keyed ? 11 : 13);
        const int kl = 3;
        Model model{kl, {}};
        uint32_t count = 2500;
        std::vector<char> keys(static_cast<std::size_t>(count) * kl);
        for (uint32_t r = 1; r <= count; ++r) {
            const std::string k = randomKey(rng, kl);
            std::memcpy(keys.data() + (r - 1) * kl, k.data(), kl);
            model.keys[r] = k;
        }
        Cursor c;
        if (keyed)
            c.setKeyed(kl, keys, model.order());
        else
            c.setNatural();
        // Deleted records (and, with a filter, every n-th record) are not delivered.
        std::vector<bool> deleted(count + 1, false);
        auto delivered = [&](uint32_t r) {
            return !deleted[r] && (filterModulus == 0 || r % filterModulus != 0);
        };
        auto expectedRows = [&] {
            std::vector<uint32_t> rows;
            if (keyed) {
                for (uint32_t r : model.order())
                    if (delivered(r)) rows.push_back(r);
            } else {
                for (uint32_t r = 1; r <= count; ++r)
                    if (delivered(r)) rows.push_back(r);
            }
            return rows;
        };
        auto rebuild = [&] {
            std::vector<bool> ok(count + 1, false);
            for (uint32_t r = 1; r <= count; ++r)
                ok[r] = delivered(r);
            c.buildRows(count, ok);
        };
        rebuild();
        QCOMPARE(rowsOf(c), expectedRows());

        for (int batch = 0; batch < 6; ++batch) {
            for (int step = 0; step < 1500; ++step) {
                const int what = static_cast<int>(rng() % 4);
                if (what == 0) { // append
                    const uint32_t r = ++count;
                    deleted.push_back(false);
                    const std::string k = randomKey(rng, kl);
                    model.keys[r] = k;
                    c.setKey(r, k.data());
                    if (delivered(r)) c.insertRow(r);
                    const std::vector<uint32_t> rows = rowsOf(c);
                    const auto at = std::find(rows.begin(), rows.end(), r);
                    QCOMPARE(at != rows.end(), delivered(r));
                    QCOMPARE(c.rowOf(r),
                             at == rows.end() ? -1 : static_cast<int>(at - rows.begin()));
                } else if (what == 1 || what == 2) { // edit that moves the key
                    const uint32_t r = 1 + rng() % count;
                    if (deleted[r]) continue;
                    const std::string k = randomKey(rng, kl);
                    c.removeRow(r);
                    model.keys[r] = k;
                    c.setKey(r, k.data());
                    if (delivered(r)) c.insertRow(r);
                } else { // delete: stays in the order, leaves the rows
                    const uint32_t r = 1 + rng() % count;
                    c.removeRow(r);
                    deleted[r] = true;
                }
            }
            const std::vector<uint32_t> want = expectedRows();
            QCOMPARE(c.rowCount(), static_cast<int>(want.size()));
            QCOMPARE(rowsOf(c), want);
            if (keyed) QCOMPARE(c.order(), model.order());
            // Positions: every delivered record is found at its row, the others nowhere.
            for (int i = 0; i < 50; ++i) {
                const uint32_t r = 1 + rng() % count;
                const auto it = std::find(want.begin(), want.end(), r);
                QCOMPARE(c.rowOf(r), it == want.end() ? -1 : static_cast<int>(it - want.begin()));
            }
            if (keyed) {
                const uint32_t r = 1 + rng() % count;
                QCOMPARE(std::string(c.keyOf(r), kl), model.keys[r]);
            }
            // A rebuild gives the same rows as the updates did.
            rebuild();
            QCOMPARE(rowsOf(c), want);
        }
    }

    // While every record of the order is delivered the rows are the order itself; each way
    // a record can leave the rows, or come back, must leave exactly the delivered records.
    void rowsThatAreTheWholeOrder_data()
    {
        // Each step: a letter (a: append, e: edit, d: delete, r: look the row up while the
        // record is out), then + when the record is delivered afterwards, - when not.
        QTest::addColumn<QString>("steps");
        QTest::newRow("append delivered") << QStringLiteral("a+");
        QTest::newRow("append not delivered") << QStringLiteral("a-");
        QTest::newRow("edit delivered") << QStringLiteral("e+");
        QTest::newRow("edit no longer delivered") << QStringLiteral("e-");
        QTest::newRow("delete") << QStringLiteral("d-");
        QTest::newRow("two deletes") << QStringLiteral("d-d-");
        QTest::newRow("looked up while apart") << QStringLiteral("r+");
        QTest::newRow("one not delivered among appends") << QStringLiteral("a+a+a+a+e-a+a+");
    }

    void rowsThatAreTheWholeOrder()
    {
        QFETCH(QString, steps);
        std::mt19937 rng(23);
        const int kl = 4;
        Model model{kl, {}};
        uint32_t count = 5000;
        std::vector<char> keys(static_cast<std::size_t>(count) * kl);
        for (uint32_t r = 1; r <= count; ++r) {
            model.keys[r] = randomKey(rng, kl);
            std::memcpy(keys.data() + (r - 1) * kl, model.keys[r].data(), kl);
        }
        Cursor c;
        c.setKeyed(kl, keys, model.order());
        c.buildRows(count, std::vector<bool>(count + 1, true));
        std::vector<bool> out(count + 1, false); // records that are not rows
        for (int i = 0; i + 1 < steps.size(); i += 2) {
            const char step = steps.at(i).toLatin1();
            const bool ok = steps.at(i + 1) == QLatin1Char('+');
            uint32_t r = 1 + rng() % count;
            if (step == 'a') {
                r = ++count;
                out.push_back(false);
                model.keys[r] = randomKey(rng, kl);
                c.setKey(r, model.keys[r].data());
            } else {
                c.removeRow(r);
                if (step == 'r') QCOMPARE(c.rowOf(r), -1);
                if (step == 'e') {
                    model.keys[r] = randomKey(rng, kl);
                    c.setKey(r, model.keys[r].data());
                }
            }
            if (ok) c.insertRow(r);
            out[r] = !ok;
            std::vector<uint32_t> want;
            for (uint32_t v : model.order())
                if (!out[v]) want.push_back(v);
            QCOMPARE(rowsOf(c), want);
            QCOMPARE(c.order(), model.order());
            const auto at = std::find(want.begin(), want.end(), r);
            QCOMPARE(c.rowOf(r), at == want.end() ? -1 : static_cast<int>(at - want.begin()));
        }
    }

    // Long keys whose chunks share long prefixes (a few countries, then a date and a
    // number), so many that chunks split and keys arrive at the ends of chunks whose
    // prefix they do not share: the searches that compare only the bytes after a chunk's
    // shared prefix must still find every place.
    void keyedSearchThroughSplitsAndPrefixes()
    {
        std::mt19937 rng(17);
        const int kl = 30;
        const char *countries[] = {"ANDORRA", "FRANCE", "FRANCE", "FRANCE", "JAPAN"};
        auto key = [&](bool first) {
            char k[64];
            std::snprintf(k, sizeof k, "%-10s%04u%02u%02u%12u",
                          first ? "FRANCE" : countries[rng() % 5],
                          first ? 1991u : 1990 + static_cast<unsigned>(rng() % 3),
                          1 + static_cast<unsigned>(rng() % 12),
                          1 + static_cast<unsigned>(rng() % 28), static_cast<unsigned>(rng() % 50));
            return std::string(k, kl);
        };
        Model model{kl, {}};
        uint32_t count = 3000;
        std::vector<char> keys(static_cast<std::size_t>(count) * kl);
        // First keys of one country and year: the chunks share long prefixes, which the
        // keys that come later (other countries and years) break at the chunks' ends.
        for (uint32_t r = 1; r <= count; ++r) {
            const std::string k = key(true);
            std::memcpy(keys.data() + (r - 1) * kl, k.data(), kl);
            model.keys[r] = k;
        }
        Cursor c;
        c.setKeyed(kl, keys, model.order());
        std::vector<bool> all(count + 1, true);
        c.buildRows(count, all);
        for (int step = 0; step < 12000; ++step) {
            if (rng() % 3 != 0) { // append
                const uint32_t r = ++count;
                model.keys[r] = key(false);
                c.setKey(r, model.keys[r].data());
                c.insertRow(r);
            } else { // an edit that moves the key
                const uint32_t r = 1 + rng() % count;
                c.removeRow(r);
                model.keys[r] = key(false);
                c.setKey(r, model.keys[r].data());
                c.insertRow(r);
            }
            if (step % 1000 == 999 || step < 20) {
                const std::vector<uint32_t> want = model.order();
                QCOMPARE(c.order(), want);
                QCOMPARE(rowsOf(c), want);
                for (int i = 0; i < 100; ++i) {
                    const std::size_t at = rng() % want.size();
                    QCOMPARE(c.rowOf(want[at]), static_cast<int>(at));
                }
            }
        }
    }

    // A table with its index open: the engine's rows and the index file (walked by
    // index_dump) against the model after each batch of random work.
    void tableMatchesModelAndIndexDump()
    {
        const std::string dir = m_dir.path().toStdString() + "/";
        Table t;
        t.setDatabaseName(dir);
        t.setTableName("RANDOM");
        t.createTable({FieldDef::text("Country", 20), FieldDef::integer("Quantity")});
        t.addIndex("NewIndex", "Upper(Country)+STR(Quantity,12,0)");
        t.setIndexName("NewIndex");
        t.open();

        std::mt19937 rng(5);
        const char *countries[] = {"france", "Peru", "japan", "Chile", "PERU"};
        std::map<uint32_t, std::pair<std::string, int>> records; // every record, deleted too
        std::vector<bool> deleted(1, false);
        auto keyOf = [](const std::pair<std::string, int> &rec) {
            std::string k = rec.first;
            for (char &ch : k)
                ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            k.resize(20, ' ');
            char num[16];
            std::snprintf(num, sizeof num, "%12d", rec.second);
            return k + num;
        };
        auto order = [&](bool withDeleted, int filterQuantity) {
            Model m;
            for (const auto &[r, rec] : records)
                if ((withDeleted || !deleted[r]) &&
                    (filterQuantity < 0 || rec.second % 5 != filterQuantity))
                    m.keys[r] = keyOf(rec);
            return m.order();
        };
        const QString mdx = QString::fromStdString(t.indexFilePath());
        for (int batch = 0; batch < 5; ++batch) {
            for (int step = 0; step < 300; ++step) {
                const int what = static_cast<int>(rng() % 5);
                if (what <= 1 || records.empty()) {
                    const std::pair<std::string, int> rec{countries[rng() % 5],
                                                          static_cast<int>(rng() % 50)};
                    t.append();
                    t.setAsString(0, rec.first);
                    t.setAsFloat(1, rec.second);
                    t.post();
                    records[t.recNo()] = rec;
                    deleted.push_back(false);
                    QCOMPARE(t.recNo(), static_cast<uint32_t>(records.size()));
                } else if (what <= 3) {
                    // An edit that moves the key.
                    t.moveToRow(static_cast<int>(rng() % t.recordCount()));
                    const uint32_t r = t.recNo();
                    auto &rec = records[r];
                    rec = {countries[rng() % 5], static_cast<int>(rng() % 50)};
                    t.edit();
                    t.setAsString(0, rec.first);
                    t.setAsFloat(1, rec.second);
                    t.post();
                    QCOMPARE(t.recNo(), r);
                } else {
                    t.moveToRow(static_cast<int>(rng() % t.recordCount()));
                    deleted[t.recNo()] = true;
                    t.deleteRecord();
                }
            }
            // The rows the grid reaches by position.
            const std::vector<uint32_t> live = order(false, -1);
            QCOMPARE(t.recordCount(), static_cast<int>(live.size()));
            for (int i = 0; i < 40; ++i) {
                const int row = static_cast<int>(rng() % live.size());
                t.moveToRow(row);
                QCOMPARE(t.currentRow(), row);
                QCOMPARE(t.recNo(), live[static_cast<std::size_t>(row)]);
            }
            QCOMPARE(deliveredOrder(t), live);
            // The index file holds every record, deleted ones included, in key order.
            QString error;
            QCOMPARE(indexDumpOrder(mdx, QStringLiteral("NewIndex"), &error), order(true, -1));
            QVERIFY2(error.isEmpty(), qPrintable(error));
            // A filter, then its removal.
            const int f = batch % 5;
            const int quantity = t.fieldByName("QUANTITY");
            t.setFilter([f, quantity](const Table &tab) {
                return static_cast<int>(tab.asFloat(quantity)) % 5 != f;
            });
            QCOMPARE(deliveredOrder(t), order(false, f));
            t.clearFilter();
        }
        // A fresh handle reads the same order from the file.
        t.close();
        t.open();
        QCOMPARE(deliveredOrder(t), order(false, -1));
    }
};

REGISTER_TEST(CursorOrderTests)
#include "tst_cursor_order.moc"
