#include "find/locate_match.h"

#include "dbase/error.h"
#include "dbase/table.h"
#include "find/search_criteria.h"

#include <vector>

namespace finding
{

namespace
{
bool isFloatField(const dbase::FieldInfo &f)
{
    return f.type == dbase::FieldType::Float ||
           (f.type == dbase::FieldType::Numeric && f.decimals > 0);
}
} // namespace

LocateMatcher::LocateMatcher(const dbase::FieldInfo &field, const QString &value,
                             TMyLocateMatchType matchType, bool caseSensitive)
    : m_value(caseSensitive ? value : value.toUpper()), m_matchType(matchType),
      m_caseSensitive(caseSensitive)
{
    if (matchType == mtExactMatch && isFloatField(field))
        m_numeric = readStandardNumber(value.trimmed(), m_number);
    m_text = field.type == dbase::FieldType::Character;
    m_valueUtf8 = m_value.toStdString();
}

QString LocateMatcher::fieldText(const dbase::Table &table, int field)
{
    const dbase::FieldInfo &f = table.field(field);
    if (f.isNumeric()) {
        if (table.isNull(field)) return {};
        return QString::number(table.asFloat(field), 'g', 15);
    }
    return QString::fromStdString(table.asString(field));
}

bool LocateMatcher::matchesText(const QString &fieldText) const
{
    const QString text = m_caseSensitive ? fieldText : fieldText.toUpper();
    switch (m_matchType) {
    case mtExactMatch:
        return text == m_value;
    case mtPartialMatchStart:
        return text.startsWith(m_value);
    case mtPartialMatchAny:
        return text.contains(m_value);
    }
    return false;
}

bool LocateMatcher::matches(const dbase::Table &table, int field) const
{
    if (m_numeric) return !table.isNull(field) && table.asFloat(field) == m_number;
    if (!m_text) return matchesText(fieldText(table, field));
    // Text fields compare as the engine gives them, without a conversion per record.
    std::string text = table.asString(field);
    if (!m_caseSensitive) text = upperUtf8(std::move(text));
    switch (m_matchType) {
    case mtExactMatch:
        return text == m_valueUtf8;
    case mtPartialMatchStart:
        return text.compare(0, m_valueUtf8.size(), m_valueUtf8) == 0;
    case mtPartialMatchAny:
        return text.find(m_valueUtf8) != std::string::npos;
    }
    return false;
}

namespace
{

// Which records hold a match, by record number, read in file order through a second,
// read-only handle: reading records in index order costs a random read each, so a long
// locate tests them in file order and then walks the cursor's own order. False when the
// table cannot be read that way (the table is then tested record by record).
bool matchesInFileOrder(const dbase::Table &table, int field, const LocateMatcher &matcher,
                        std::vector<bool> &matching)
{
    try {
        dbase::Table copy;
        copy.setDatabaseName(table.databaseName());
        copy.setTableName(table.tableName());
        copy.setReadOnly(true);
        copy.setIgnoreIndexFile(true);
        copy.open();
        matching.assign(static_cast<std::size_t>(copy.recordCount()) + 1, false);
        for (copy.first(); !copy.eof(); copy.next()) {
            const uint32_t recno = copy.recNo();
            if (recno >= matching.size()) matching.resize(recno + 1, false);
            matching[recno] = matcher.matches(copy, field);
        }
        return true;
    } catch (const dbase::Error &) {
        return false;
    }
}

// Records tested through the cursor before a locate turns to reading in file order.
constexpr int kDirectTests = 1000;

} // namespace

FindResult findMatch(bool fromBeginning, dbase::Table &table, const QString &fieldName,
                     bool caseSensitive, TMyLocateMatchType matchType, const QString &value)
{
    if (table.state() == dbase::Table::State::Edit || table.state() == dbase::Table::State::Insert)
        table.post();
    const int field = table.fieldIndex(fieldName.toStdString());
    if (field < 0) return FindResult::NoField;
    const LocateMatcher matcher(table.field(field), value, matchType, caseSensitive);
    const uint32_t remembered = table.recNo();
    if (fromBeginning)
        table.first();
    else if (!table.eof())
        table.next();
    // The order of the records tested is always the cursor's.
    int tested = 0;
    bool inFileOrder = false;
    std::vector<bool> matching;
    for (; !table.eof(); table.next()) {
        if (++tested == kDirectTests && !table.indexName().empty())
            inFileOrder = matchesInFileOrder(table, field, matcher, matching);
        if (inFileOrder) {
            const uint32_t recno = table.recNo();
            if (recno < matching.size() && matching[recno]) return FindResult::Found;
        } else if (matcher.matches(table, field)) {
            return FindResult::Found;
        }
    }
    if (remembered != 0)
        table.moveToRecNo(remembered);
    else
        table.first();
    return FindResult::NotFound;
}

} // namespace finding
