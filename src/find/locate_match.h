// The locate operation without its window: matching one field's value exactly, at the
// beginning or anywhere, with or without regard to case (float fields compare by number
// on an exact match), and the record-by-record search of the table from the current
// record or from the first.
#pragma once

#include "dbase/field.h"

#include <QString>
#include <string>

namespace dbase
{
class Table;
}

enum TMyLocateMatchType { mtExactMatch = 0, mtPartialMatchStart = 1, mtPartialMatchAny = 2 };

namespace finding
{

class LocateMatcher
{
public:
    LocateMatcher(const dbase::FieldInfo &field, const QString &value, TMyLocateMatchType matchType,
                  bool caseSensitive);
    // The field's value as locate compares it.
    static QString fieldText(const dbase::Table &table, int field);
    bool matchesText(const QString &fieldText) const;
    bool matches(const dbase::Table &table, int field) const;

private:
    QString m_value;
    std::string m_valueUtf8; // the value as the engine's text is compared
    TMyLocateMatchType m_matchType;
    bool m_caseSensitive;
    bool m_numeric = false; // exact match of a float field by a valid number
    bool m_text = false;    // a character field
    double m_number = 0;
};

enum class FindResult { Found, NotFound, NoField };

// Moves `table` to the next record (or, from the beginning, the first) whose field
// matches. Without a match the current record stays where it was.
FindResult findMatch(bool fromBeginning, dbase::Table &table, const QString &fieldName,
                     bool caseSensitive, TMyLocateMatchType matchType, const QString &value);

} // namespace finding
