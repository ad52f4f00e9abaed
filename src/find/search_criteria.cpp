#include "find/search_criteria.h"

#include "dbase/table.h"

#include <QDate>
#include <QRegularExpression>

namespace finding
{

namespace
{

const std::array<SearchRow, kSearchRows> kRows = {{
    {"COUNTRY", RowKind::Text, ValueList::Country, 20},
    {"FACEVALUE", RowKind::Text, ValueList::None, 20},
    {"YEAR", RowKind::Text, ValueList::None, 7},
    {"CONDITION", RowKind::Text, ValueList::Condition, 30},
    {"MINTMARK", RowKind::Text, ValueList::None, 3},
    {"PURCHASEPR", RowKind::Number, ValueList::None, 0},
    {"MARKETVALU", RowKind::Number, ValueList::None, 0},
    {"PREMIUMVAL", RowKind::Number, ValueList::None, 0},
    {"TOPIC", RowKind::Text, ValueList::Topic, 20},
    {"DESCRIPTIO", RowKind::Text, ValueList::None, 40},
    {"PURCHDATE", RowKind::Date, ValueList::None, 0},
    {"MISCELLANE", RowKind::Text, ValueList::None, 110},
    {"QUANTITY", RowKind::Number, ValueList::None, 0},
    {"COMMENT", RowKind::Text, ValueList::None, 80},
    {"YEARAPPROX", RowKind::Text, ValueList::YesNo, 5},
    {"WANTED", RowKind::Text, ValueList::YesNo, 3},
    {"USERDEF1", RowKind::Text, ValueList::None, 40},
    {"USERDEF2", RowKind::Text, ValueList::None, 40},
    {"USERDEF3", RowKind::Text, ValueList::None, 40},
    {"USERDEF4", RowKind::Text, ValueList::None, 40},
}};

constexpr int kMaxText = 110;

QString removeFirst(QString text, QChar c)
{
    const int at = text.indexOf(c);
    if (at >= 0) text.remove(at, 1);
    return text;
}

} // namespace

const SearchRow &searchRow(int row)
{
    return kRows.at(static_cast<std::size_t>(row - 1));
}

bool readStandardNumber(const QString &text, double &value)
{
    static const QRegularExpression number(
        QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    if (!number.match(text).hasMatch()) return false;
    bool ok = false;
    value = text.toDouble(&ok);
    return ok;
}

bool isEmptyDateText(const QString &trimmed)
{
    return trimmed.isEmpty() || trimmed == QLatin1String("/  /") ||
           trimmed == QLatin1String("-  -") || trimmed == QLatin1String(".  .");
}

bool readFullDate(const QString &text, const dbase::DateStyle &style, dbase::Date &date)
{
    const QString t = text.trimmed();
    const QStringList parts = t.split(QLatin1Char(style.separator()));
    if (parts.size() != 3) return false;
    // The year's place in the style's order must hold four digits.
    int yearPart = 0;
    int part = 0;
    char last = 0;
    for (char c : style.pattern()) {
        if (c != 'd' && c != 'm' && c != 'y') {
            last = 0;
            continue;
        }
        if (c == last) continue;
        if (c == 'y') yearPart = part;
        ++part;
        last = c;
    }
    if (parts.at(yearPart).trimmed().size() != 4) return false;
    dbase::Date d;
    if (!style.parse(t.toStdString(), d) || d.isNull()) return false;
    date = d;
    return true;
}

double dateSerial(const dbase::Date &date)
{
    if (date.isNull()) return 0;
    static const qint64 base = QDate(1899, 12, 30).toJulianDay();
    return static_cast<double>(QDate(date.year, date.month, date.day).toJulianDay() - base);
}

QString tooManyItemsMessage()
{
    return QStringLiteral("More than ") + QString::number(kMaxItems) +
           QStringLiteral(" search items have been entered.  ") +
           QStringLiteral("This exceeds the maximum allowable.  Search criteria will be cleared.");
}

std::string upperUtf8(std::string text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return QString::fromStdString(text).toUpper().toStdString();
    for (char &c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

void SearchCriteria::clear()
{
    m_items.clear();
    m_level = 1;
}

bool SearchCriteria::addItem(SearchItem item)
{
    if (itemCount() + 1 > kMaxItems) {
        clear();
        return false;
    }
    m_items.push_back(std::move(item));
    return true;
}

SearchCriteria::LevelResult SearchCriteria::readLevel(const std::array<QString, kSearchRows> &cells,
                                                      const std::array<int, kSearchRows> &operators,
                                                      const dbase::DateStyle &style)
{
    const std::size_t onEntry = m_items.size();
    bool criteria = false;
    auto invalid = [&](int row) {
        m_items.resize(onEntry);
        return LevelResult{Outcome::Invalid, row, kInvalidCriteria};
    };
    const LevelResult tooMany{Outcome::TooMany, 0, tooManyItemsMessage()};

    for (int row = 1; row <= kSearchRows; ++row) {
        const SearchRow &r = searchRow(row);
        const QString cell = cells[static_cast<std::size_t>(row - 1)].trimmed();
        if (r.kind == RowKind::Text) {
            if (cell.isEmpty()) continue;
            criteria = true;
            SearchItem item;
            item.Text = cell.toUpper().left(kMaxText);
            item.textUtf8 = upperUtf8(item.Text.toStdString());
            item.FieldNo = row;
            item.Kind = KindContains;
            if (!addItem(std::move(item))) return tooMany;
            continue;
        }
        const bool isDate = r.kind == RowKind::Date;
        auto isEmpty = [&](const QString &t) { return isDate ? isEmptyDateText(t) : t.isEmpty(); };
        // The value of a bound: false when it does not convert.
        auto convert = [&](const QString &t, SearchItem &item) {
            if (isDate) {
                dbase::Date d;
                if (!readFullDate(t, style, d)) return false;
                item.DateValue = dateSerial(d);
                item.Text = QString::number(item.DateValue, 'f', 0);
            } else {
                if (!readStandardNumber(t, item.NumberValue)) return false;
                item.Text = t;
            }
            item.IsDate = isDate;
            item.FieldNo = row;
            return true;
        };
        int op = operators[static_cast<std::size_t>(row - 1)];
        if (op < OpEqual || op > OpRange) op = OpEqual;
        if (op != OpRange) {
            const QChar sign = op == OpEqual     ? QLatin1Char('=')
                               : op == OpGreater ? QLatin1Char('>')
                                                 : QLatin1Char('<');
            const QString value = removeFirst(cell, sign).trimmed();
            if (isEmpty(value)) continue;
            SearchItem item;
            if (!convert(value, item)) return invalid(row);
            criteria = true;
            item.Kind = op;
            if (!addItem(std::move(item))) return tooMany;
            continue;
        }
        const QString both =
            removeFirst(removeFirst(cell, QLatin1Char('<')), QLatin1Char('>')).trimmed();
        const int at = both.indexOf(QLatin1String("AND"));
        const QString lower = (at < 0 ? both : both.left(at)).trimmed();
        const QString upper = (at < 0 ? QString() : both.mid(at + 3)).trimmed();
        const bool noLower = isEmpty(lower), noUpper = isEmpty(upper);
        if (noLower && noUpper) continue;
        if (noLower != noUpper) return invalid(row);
        SearchItem low, high;
        if (!convert(lower, low) || !convert(upper, high)) return invalid(row);
        criteria = true;
        low.Kind = KindGreater;
        high.Kind = KindLess;
        if (!addItem(std::move(low))) return tooMany;
        if (!addItem(std::move(high))) return tooMany;
    }
    if (!criteria) return {Outcome::NoCriteria, 0, kNoCriteria};
    m_items.back().EndOfLevel = true;
    return {};
}

bool SearchCriteria::passes(const dbase::Table &table) const
{
    if (m_boundTable != &table || m_boundFields != table.fieldCount()) {
        for (int row = 1; row <= kSearchRows; ++row)
            m_fieldIndex[static_cast<std::size_t>(row - 1)] =
                table.fieldIndex(searchRow(row).fieldName);
        m_boundTable = &table;
        m_boundFields = table.fieldCount();
    }
    bool passing = true;
    for (const SearchItem &item : m_items) {
        if (passing) {
            const int field = m_fieldIndex[static_cast<std::size_t>(item.FieldNo - 1)];
            if (field < 0) {
                passing = false;
            } else if (item.Kind == KindContains) {
                passing = upperUtf8(table.asString(field)).find(item.textUtf8) != std::string::npos;
            } else {
                const double value =
                    item.IsDate ? dateSerial(table.asDate(field)) : table.asFloat(field);
                const double wanted = item.IsDate ? item.DateValue : item.NumberValue;
                passing = item.Kind == KindEqual     ? value == wanted
                          : item.Kind == KindGreater ? value > wanted
                                                     : value < wanted;
            }
        }
        if (item.EndOfLevel) {
            if (passing) return true;
            passing = true;
        }
    }
    return false;
}

} // namespace finding
