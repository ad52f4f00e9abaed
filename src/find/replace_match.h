// Search and replace without its window: checking the typed values by the field's kind,
// testing a record for the whole-value match, and the walk over the table that counts,
// asks and changes.
#pragma once

#include "dbase/date_style.h"

#include <QString>
#include <functional>

namespace dbase
{
class Table;
}

namespace finding
{

struct ReplaceRequest {
    int fieldNo = 0;     // 1..20
    QString searchText;  // trimmed; upper case for text fields
    QString replaceText; // trimmed, as typed
    double searchNumber = 0;
    double replaceNumber = 0;
    dbase::Date searchDate, replaceDate;
};

struct ReplaceCheck {
    enum class Focus { None, FieldList, SearchBox, ReplaceBox };
    QString message; // empty when the input is good
    Focus focus = Focus::None;
    bool ok() const { return message.isEmpty(); }
};

// Checks the typed values for field `fieldNo` (0 = none chosen) and fills the request.
ReplaceCheck checkReplaceInput(int fieldNo, const QString &searchText, const QString &replaceText,
                               const dbase::DateStyle &style, ReplaceRequest &request);

// Whether the current record's field (by its index in the table) holds the searched value.
bool replaceMatches(const dbase::Table &table, int field, const ReplaceRequest &request);

struct ReplaceCounters {
    int processed = 0;
    int found = 0;
    int changed = 0;
};

// Walks the whole table from the first record (the table must be in natural order, so a
// change cannot move records), asking `confirm` (given the record's COUNTRY value) before
// each change when it is set, and telling `shown` after every counter change. Engine
// errors are thrown; the record being changed is cancelled first.
void replaceWalk(dbase::Table &table, const ReplaceRequest &request,
                 const std::function<bool(const QString &country)> &confirm,
                 const std::function<void(const ReplaceCounters &)> &shown,
                 ReplaceCounters &counters);

} // namespace finding
