// Child of the crash test. Does the work of crash_script.h on the table in the directory
// given, printing "done N" after each step, and kills itself (SIGKILL) just before its
// Nth write to a table or index file when N is given; at the end it prints the number of
// writes made.
#include "crash_script.h"
#include "dbase/error.h"
#include "dbase/fileio.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace
{

void say(const std::string &line)
{
    const std::string out = line + "\n";
    if (::write(1, out.data(), out.size()) < 0) std::_Exit(3);
}

bool moveToName(dbase::Table &t, const std::string &name)
{
    for (t.first(); !t.eof(); t.next())
        if (t.asString(0) == name) return true;
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: crash_child DIRECTORY KILL-AT-WRITE\n");
        return 2;
    }
    const long killAt = std::atol(argv[2]);
    long writes = 0;
    dbase::setWriteHook([&] {
        if (++writes == killAt) ::raise(SIGKILL);
    });
    try {
        dbase::Table t;
        t.setDatabaseName(argv[1]);
        t.setTableName(crash::kTable);
        t.setIndexName(crash::kTag);
        t.open();
        int done = 0;
        for (const crash::Step &s : crash::steps()) {
            switch (s.kind) {
            case crash::Kind::Append:
                t.append();
                t.setAsString(0, s.name);
                t.post();
                break;
            case crash::Kind::Edit:
                if (!moveToName(t, s.target))
                    throw dbase::Error("no record " + std::string(s.target));
                t.edit();
                t.setAsString(0, s.name);
                t.post();
                break;
            case crash::Kind::Delete:
                if (!moveToName(t, s.target))
                    throw dbase::Error("no record " + std::string(s.target));
                t.deleteRecord();
                break;
            case crash::Kind::Pack:
                // Packing needs exclusive use.
                t.close();
                t.setExclusive(true);
                t.open();
                t.pack();
                break;
            }
            say("done " + std::to_string(++done));
        }
        t.close();
    } catch (const dbase::Error &e) {
        std::fprintf(stderr, "crash_child: %s\n", e.what());
        return 1;
    }
    say("writes " + std::to_string(writes));
    return 0;
}
