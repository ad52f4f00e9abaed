// The criteria of the query-by-example search without its window: the per-field search
// table, reading one grid level into items with every check, and testing a record
// against the items (the levels OR-ed, the items of a level AND-ed).
#pragma once

#include "dbase/date_style.h"

#include <QString>
#include <array>
#include <string>
#include <vector>

namespace dbase
{
class Table;
}

namespace finding
{

// Kinds of a search row: "C" text, "N" number, "D" date.
enum class RowKind { Text, Number, Date };
// The value list a row offers in its pick dialog.
enum class ValueList { None, Country, Condition, Topic, YesNo };

struct SearchRow {
    const char *fieldName; // as stored in the coin table
    RowKind kind;
    ValueList list;
    int textWidth; // edit width of text rows; 0 for the others
};

constexpr int kSearchRows = 20;
constexpr int kMaxItems = 75;
constexpr int kMaxLevels = 10;

// By row 1..20 (the coin table's field order).
const SearchRow &searchRow(int row);

// Operator codes of number and date rows.
enum Operator { OpEqual = 1, OpGreater = 2, OpLess = 3, OpRange = 4 };
// Item kinds.
enum ItemKind { KindEqual = 1, KindGreater = 2, KindLess = 3, KindContains = 5 };

struct SearchItem {
    QString Text; // text criterion in upper case (at most 110 characters)
    double NumberValue = 0;
    double DateValue = 0;
    int FieldNo = 0;
    int Kind = 0;
    bool EndOfLevel = false;
    bool IsDate = false;
    std::string textUtf8; // Text as the engine's strings are compared
};

// The standard numeric conversion: optional sign, digits with "." as decimal point, an
// optional exponent; nothing else (no thousands separators, no currency signs).
bool readStandardNumber(const QString &text, double &value);
// An untouched date mask, or nothing at all: "", "/  /", "-  -", ".  .".
bool isEmptyDateText(const QString &trimmed);
// A whole date in the style's order and separator, with a four-digit year.
bool readFullDate(const QString &text, const dbase::DateStyle &style, dbase::Date &date);
// Days since 30 December 1899; an empty date is 0.
double dateSerial(const dbase::Date &date);

// The messages of reading a level.
inline const QString kInvalidCriteria =
    QStringLiteral("Invalid search criteria entered.  Please correct.");
inline const QString kNoCriteria = QStringLiteral("No search criteria entered.");
QString tooManyItemsMessage();
inline const QString kNoMatches =
    QStringLiteral("No valid matches found.  Search criteria will be cleared.");

class SearchCriteria
{
public:
    enum class Outcome { Stored, NoCriteria, Invalid, TooMany };
    struct LevelResult {
        Outcome outcome = Outcome::Stored;
        int row = 0;     // the offending row (Invalid)
        QString message; // what to tell the user; empty when stored
    };

    // Reads one level from the criteria cells and operator codes of rows 1..20 (index 0 =
    // row 1). Invalid discards this level's items and leaves the earlier levels; TooMany
    // clears everything, back to level 1.
    LevelResult readLevel(const std::array<QString, kSearchRows> &cells,
                          const std::array<int, kSearchRows> &operators,
                          const dbase::DateStyle &style);
    // Level bookkeeping of the dialog: the level being typed, 1..10.
    int level() const { return m_level; }
    void nextLevel() { ++m_level; }
    bool canFindMore() const { return m_level < kMaxLevels; }
    void clear();

    int itemCount() const { return static_cast<int>(m_items.size()); }
    const SearchItem &item(int i) const { return m_items.at(static_cast<std::size_t>(i - 1)); }

    // Whether the table's current (candidate) record passes.
    bool passes(const dbase::Table &table) const;

private:
    bool addItem(SearchItem item);

    std::vector<SearchItem> m_items;
    int m_level = 1;
    // Field positions in the table last tested, by row.
    mutable const dbase::Table *m_boundTable = nullptr;
    mutable int m_boundFields = -1;
    mutable std::array<int, kSearchRows> m_fieldIndex{};
};

// Upper case of an engine string (UTF-8) as the search compares it.
std::string upperUtf8(std::string text);

} // namespace finding
