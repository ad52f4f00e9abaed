// Dates of the engine and the one program-wide date style that turns them into text and
// back. The grid, the editor and the engine's date field text all use the same style.
#pragma once

#include <string>
#include <string_view>

namespace dbase
{

struct Date {
    int year = 0; // 0 = empty date
    int month = 0;
    int day = 0;

    bool isNull() const { return year == 0; }
    bool isValid() const;
    // YYYYMMDD, or 8 blanks for an empty date.
    std::string toDtos() const;
    // Reads YYYYMMDD; blanks give an empty date, anything else that is not a real date
    // gives an empty date and sets ok to false.
    static Date fromDtos(std::string_view text, bool *ok = nullptr);
    static Date today();
    friend bool operator==(const Date &, const Date &) = default;
};

int daysInMonth(int year, int month);

class DateStyle
{
public:
    // pattern: three parts d/dd, m/mm, yy/yyyy in any order, joined by the separator,
    // e.g. "m/d/yy" or "dd.mm.yyyy". An unusable pattern falls back to "m/d/yy".
    explicit DateStyle(std::string_view pattern = "m/d/yy");

    const std::string &pattern() const { return m_pattern; }
    char separator() const { return m_separator; }
    std::string format(const Date &date) const;
    // Blank text gives an empty date. Returns false for text that is not a date in this
    // style. Two-digit years fall in the 100 years from 50 years before today.
    bool parse(std::string_view text, Date &date) const;

    static const DateStyle &current();
    static void setCurrent(const DateStyle &style);

private:
    struct Part {
        char kind = 'm'; // 'd', 'm' or 'y'
        int width = 1;   // 1 or 2 for d and m (2 = leading zero), 2 or 4 for y
    };
    std::string m_pattern;
    char m_separator = '/';
    Part m_parts[3];
};

int expandTwoDigitYear(int yy, int currentYear);

} // namespace dbase
