#include "find/replace_match.h"

#include "dbase/table.h"
#include "find/search_criteria.h"

namespace finding
{

ReplaceCheck checkReplaceInput(int fieldNo, const QString &searchText, const QString &replaceText,
                               const dbase::DateStyle &style, ReplaceRequest &request)
{
    using Focus = ReplaceCheck::Focus;
    if (fieldNo < 1 || fieldNo > kSearchRows)
        return {QStringLiteral("No field has been selected."), Focus::FieldList};
    request = ReplaceRequest{};
    request.fieldNo = fieldNo;
    const QString search = searchText.trimmed();
    const QString replace = replaceText.trimmed();
    switch (searchRow(fieldNo).kind) {
    case RowKind::Text:
        request.searchText = search.toUpper();
        request.replaceText = replace;
        break;
    case RowKind::Number:
        if (search.isEmpty() || !readStandardNumber(search, request.searchNumber))
            return {QStringLiteral("Invalid search value entered.  Please correct."),
                    Focus::SearchBox};
        if (replace.isEmpty() || !readStandardNumber(replace, request.replaceNumber))
            return {QStringLiteral("Invalid replacement value entered.  Please correct."),
                    Focus::ReplaceBox};
        request.searchText = search;
        request.replaceText = replace;
        break;
    case RowKind::Date:
        if (isEmptyDateText(search) || !readFullDate(search, style, request.searchDate))
            return {QStringLiteral("Invalid search date entered.  Please correct."),
                    Focus::SearchBox};
        if (isEmptyDateText(replace) || !readFullDate(replace, style, request.replaceDate))
            return {QStringLiteral("Invalid replacement date entered.  Please correct."),
                    Focus::ReplaceBox};
        request.searchText = search;
        request.replaceText = replace;
        break;
    }
    return {};
}

bool replaceMatches(const dbase::Table &table, int field, const ReplaceRequest &request)
{
    switch (searchRow(request.fieldNo).kind) {
    case RowKind::Text:
        return QString::fromStdString(table.asString(field)).trimmed().toUpper() ==
               request.searchText;
    case RowKind::Number:
        return table.asFloat(field) == request.searchNumber;
    case RowKind::Date:
        return table.asDate(field) == request.searchDate;
    }
    return false;
}

void replaceWalk(dbase::Table &table, const ReplaceRequest &request,
                 const std::function<bool(const QString &)> &confirm,
                 const std::function<void(const ReplaceCounters &)> &shown,
                 ReplaceCounters &counters)
{
    const int field = table.fieldByName(searchRow(request.fieldNo).fieldName);
    const int country = table.fieldIndex("COUNTRY");
    const RowKind kind = searchRow(request.fieldNo).kind;
    auto show = [&] {
        if (shown) shown(counters);
    };
    // One flush at the end instead of one per changed record.
    const bool syncEach = table.syncEachPost();
    table.setSyncEachPost(false);
    struct Restore {
        dbase::Table &t;
        bool on;
        ~Restore() { t.setSyncEachPost(on); }
    } restore{table, syncEach};
    for (table.first(); !table.eof(); table.next()) {
        if (replaceMatches(table, field, request)) {
            const QString item =
                country >= 0 ? QString::fromStdString(table.asString(country)) : QString();
            if (confirm && !confirm(item)) {
                ++counters.found;
                show();
            } else {
                table.edit();
                try {
                    if (kind == RowKind::Date)
                        table.setAsDate(field, request.replaceDate);
                    else if (kind == RowKind::Number)
                        table.setAsFloat(field, request.replaceNumber);
                    else
                        table.setAsString(field, request.replaceText.toStdString());
                    table.post();
                } catch (...) {
                    if (table.state() == dbase::Table::State::Edit) table.cancel();
                    throw;
                }
                ++counters.found;
                ++counters.changed;
                show();
            }
        }
        ++counters.processed;
        show();
    }
    table.sync();
}

} // namespace finding
