#include "dbase/date_style.h"

#include <cctype>
#include <ctime>

namespace dbase
{

namespace
{

DateStyle &currentStyle()
{
    static DateStyle style;
    return style;
}

bool allBlank(std::string_view s)
{
    for (char c : s)
        if (c != ' ' && c != '\0') return false;
    return true;
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

bool readNumber(std::string_view s, int &value)
{
    if (s.empty() || s.size() > 4) return false;
    value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

void appendNumber(std::string &out, int value, int width)
{
    std::string digits = std::to_string(value);
    while (static_cast<int>(digits.size()) < width)
        digits.insert(digits.begin(), '0');
    out += digits;
}

} // namespace

int daysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) return 29;
    return days[month - 1];
}

bool Date::isValid() const
{
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= daysInMonth(year, month);
}

std::string Date::toDtos() const
{
    if (isNull()) return std::string(8, ' ');
    std::string out;
    appendNumber(out, year, 4);
    appendNumber(out, month, 2);
    appendNumber(out, day, 2);
    return out;
}

Date Date::fromDtos(std::string_view text, bool *ok)
{
    if (ok) *ok = true;
    if (allBlank(text)) return {};
    int y = 0, m = 0, d = 0;
    if (text.size() == 8 && readNumber(text.substr(0, 4), y) && readNumber(text.substr(4, 2), m) &&
        readNumber(text.substr(6, 2), d)) {
        Date date{y, m, d};
        if (date.isValid()) return date;
    }
    if (ok) *ok = false;
    return {};
}

Date Date::today()
{
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

int expandTwoDigitYear(int yy, int currentYear)
{
    int year = (currentYear / 100) * 100 + yy;
    if (year > currentYear + 49)
        year -= 100;
    else if (year < currentYear - 50)
        year += 100;
    return year;
}

DateStyle::DateStyle(std::string_view pattern)
{
    // Find the separator: the first character that is not a pattern letter.
    char sep = 0;
    for (char c : pattern) {
        const char l = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (l != 'd' && l != 'm' && l != 'y') {
            sep = c;
            break;
        }
    }
    bool ok = sep != 0;
    bool seen[3] = {false, false, false};
    if (ok) {
        std::size_t start = 0;
        for (int i = 0; i < 3 && ok; ++i) {
            std::size_t end = pattern.find(sep, start);
            if (i < 2 && end == std::string_view::npos) {
                ok = false;
                break;
            }
            if (i == 2) {
                if (end != std::string_view::npos) {
                    ok = false;
                    break;
                }
                end = pattern.size();
            }
            const std::string_view part = pattern.substr(start, end - start);
            start = end + 1;
            if (part.empty()) {
                ok = false;
                break;
            }
            const char kind = static_cast<char>(std::tolower(static_cast<unsigned char>(part[0])));
            for (char c : part)
                if (std::tolower(static_cast<unsigned char>(c)) != kind) ok = false;
            const int width = static_cast<int>(part.size());
            const int slot = kind == 'd' ? 0 : kind == 'm' ? 1 : 2;
            if (!ok || seen[slot])
                ok = false;
            else if (kind == 'y' && width != 2 && width != 4)
                ok = false;
            else if (kind != 'y' && width > 2)
                ok = false;
            if (!ok) break;
            seen[slot] = true;
            m_parts[i] = Part{kind, kind == 'y' ? width : width};
        }
    }
    if (ok) {
        m_separator = sep;
        m_pattern = std::string(pattern);
        // Normalise the letters to lower case so patterns compare equal.
        for (char &c : m_pattern)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    } else {
        m_separator = '/';
        m_pattern = "m/d/yy";
        m_parts[0] = Part{'m', 1};
        m_parts[1] = Part{'d', 1};
        m_parts[2] = Part{'y', 2};
    }
}

std::string DateStyle::format(const Date &date) const
{
    if (date.isNull()) return {};
    std::string out;
    for (int i = 0; i < 3; ++i) {
        if (i) out.push_back(m_separator);
        const Part &p = m_parts[i];
        if (p.kind == 'd')
            appendNumber(out, date.day, p.width);
        else if (p.kind == 'm')
            appendNumber(out, date.month, p.width);
        else if (p.width == 2)
            appendNumber(out, date.year % 100, 2);
        else
            appendNumber(out, date.year, 4);
    }
    return out;
}

bool DateStyle::parse(std::string_view text, Date &date) const
{
    text = trim(text);
    if (text.empty()) {
        date = {};
        return true;
    }
    int values[3] = {0, 0, 0};
    int widths[3] = {0, 0, 0};
    std::size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        std::size_t end = text.find(m_separator, start);
        if (i == 2) {
            if (end != std::string_view::npos) return false;
            end = text.size();
        } else if (end == std::string_view::npos) {
            return false;
        }
        const std::string_view part = trim(text.substr(start, end - start));
        if (!readNumber(part, values[i])) return false;
        widths[i] = static_cast<int>(part.size());
        start = end + 1;
    }
    Date d;
    for (int i = 0; i < 3; ++i) {
        switch (m_parts[i].kind) {
        case 'd':
            d.day = values[i];
            break;
        case 'm':
            d.month = values[i];
            break;
        default:
            d.year = widths[i] <= 2 ? expandTwoDigitYear(values[i], Date::today().year) : values[i];
            break;
        }
    }
    if (!d.isValid()) return false;
    date = d;
    return true;
}

const DateStyle &DateStyle::current()
{
    return currentStyle();
}

void DateStyle::setCurrent(const DateStyle &style)
{
    currentStyle() = style;
}

} // namespace dbase
