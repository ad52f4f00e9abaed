// Fuzz target: the input is a .DBF file. Opens it (read-only, as a table) and reads every
// field of every record as text, number and date, forwards and backwards.
#include "dbase/error.h"
#include "dbase/table.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size)
{
    const std::string &dir = fuzz::scratchDirectory();
    fuzz::writeWholeFile(dir + "/FUZZ.DBF", data, size);
    try {
        dbase::Table t;
        t.setDatabaseName(dir);
        t.setTableName("FUZZ");
        t.setReadOnly(true);
        t.open();
        for (t.first(); !t.eof(); t.next()) {
            for (int f = 0; f < t.fieldCount(); ++f) {
                (void)t.isNull(f);
                (void)t.asString(f);
                (void)t.asFloat(f);
                (void)t.asDate(f);
            }
        }
        for (t.last(); !t.bof(); t.prior())
            (void)t.recNo();
        (void)t.recordCount();
        t.refresh();
        t.close();
    } catch (const dbase::Error &) {
        // Refusing a bad file with a clear error is the expected outcome.
    }
    return 0;
}
