// Taking over the single coin tables of the program's two earlier versions, C2LOG.DBF (2.X)
// and CLOG.DBF (1.X) in the program directory: each is recognised by its field list, its
// records are appended to the open database, and the old file is deleted once all of them
// are posted. A conversion that stops takes its records out again, so that converting the
// kept file later does not add them twice.
#pragma once

#include "dbase/table.h"

#include <QString>
#include <QStringList>

class CoinDatabase;
class LongWork;
class QWidget;

namespace conversion
{

enum class Version { V2, V1 };

// What converting one old table came to.
struct Outcome {
    bool completed = false; // every record appended and posted
    int converted = 0;      // records appended (taken out again when not completed)
    // Records whose purchase date does not read as a date, converted with an empty one:
    // "record N: the old date text".
    QStringList badDates;
    QString error;           // why the conversion stopped
    int failedRecord = 0;    // the old table's record it stopped at (0: the file itself)
    bool rolledBack = false; // the records appended before the stop were taken out again
};

// The old file's name in the program directory.
QString fileName(Version version);
// The question that offers the conversion, caption "Convert".
QString question(Version version);

// True when the table at `path` has the field list of the 2.X (17 fields) or the 1.X
// (22 fields) table; the first field is not examined. No message; engine errors (a file
// that is no dBase table) are thrown.
bool CheckDBaseFormatV2(dbase::Table &check, const QString &path);
bool CheckDBaseFormatV1(dbase::Table &check, const QString &path);

// Appends every record of the old table at `path`, in natural order, to `target` (open,
// in whatever order it has), mapped onto the coin fields. `work` is told how far it is.
Outcome ConvertV2(const QString &path, dbase::Table &target, LongWork *work = nullptr);
Outcome ConvertV1(const QString &path, dbase::Table &target, LongWork *work = nullptr);

} // namespace conversion

// The start-up step: each old table found in the program directory, the 2.X one first, is
// offered for conversion into the open database; on Yes it is converted and then deleted.
// Not in browse mode, which changes nothing.
void CheckForConversion(CoinDatabase &db, QWidget *owner);
