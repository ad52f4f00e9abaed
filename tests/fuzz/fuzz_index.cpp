// Fuzz target: the input is a .MDX file. The index reader opens it, walks every tag,
// inserts and removes keys; then the table beside it (a fixed sample with the fields
// NAME C 10 and QTY N 5) is opened with it, in index order, and a record is appended.
#include "dbase/error.h"
#include "dbase/mdx.h"
#include "dbase/table.h"
#include "fuzz_common.h"

#include <fstream>
#include <iterator>
#include <vector>

namespace
{

const std::vector<char> &sampleTable()
{
    static const std::vector<char> bytes = [] {
        std::ifstream in(NUMAROK_FUZZ_TABLE, std::ios::binary);
        std::vector<char> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (b.empty()) std::abort();
        return b;
    }();
    return bytes;
}

void exerciseReader(const std::string &path)
{
    dbase::MdxFile m;
    try {
        m.open(path, true);
    } catch (const dbase::Error &) {
        return;
    }
    for (int t = 0; t < static_cast<int>(m.tags().size()); ++t) {
        try {
            uint32_t last = 0;
            m.walk(t, [&last](const char *, uint32_t recno) { last = recno; });
            (void)m.countKeys(t);
            const std::string key(static_cast<std::size_t>(m.tags()[t].keyLength), 'M');
            for (uint32_t r = 1; r <= 40; ++r)
                m.insert(t, key.data(), r);
            m.remove(t, key.data(), 7);
            m.walk(t, [](const char *, uint32_t) {});
        } catch (const dbase::Error &) {
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size)
{
    const std::string &dir = fuzz::scratchDirectory();
    const std::string mdx = dir + "/FUZZ.MDX";
    fuzz::writeWholeFile(mdx, data, size);
    exerciseReader(mdx);

    const std::vector<char> &table = sampleTable();
    fuzz::writeWholeFile(dir + "/FUZZ.DBF", reinterpret_cast<const uint8_t *>(table.data()),
                         table.size());
    fuzz::writeWholeFile(mdx, data, size);
    try {
        dbase::Table t;
        t.setDatabaseName(dir);
        t.setTableName("FUZZ");
        t.setIndexName("NewIndex");
        t.open();
        t.setSyncEachPost(false);
        for (t.first(); !t.eof(); t.next())
            (void)t.asString(0);
        t.append();
        t.setAsString(0, "fuzz");
        t.post();
        t.close();
    } catch (const dbase::Error &) {
    }
    return 0;
}
