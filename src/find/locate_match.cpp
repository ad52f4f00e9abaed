#include "locate_match.h"

#include "search_criteria.h"
#include "table.h"

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
    return matchesText(fieldText(table, field));
}

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
    for (; !table.eof(); table.next())
        if (matcher.matches(table, field)) return FindResult::Found;
    if (remembered != 0)
        table.moveToRecNo(remembered);
    else
        table.first();
    return FindResult::NotFound;
}

} // namespace finding
