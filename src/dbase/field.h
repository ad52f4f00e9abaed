// Field definitions of a dBase table.
#pragma once

#include <string>

namespace dbase
{

enum class FieldType : char {
    Character = 'C',
    Numeric = 'N',
    Float = 'F',
    Date = 'D',
    Logical = 'L', // read only
    Memo = 'M',    // read only: the value is the memo block number
};

struct FieldDef {
    std::string name; // at most 10 characters; stored in upper case
    FieldType type = FieldType::Character;
    int length = 0;
    int decimals = 0;

    static FieldDef text(std::string name, int width)
    {
        return {std::move(name), FieldType::Character, width, 0};
    }
    // Whole numbers: N 11,0.
    static FieldDef integer(std::string name)
    {
        return {std::move(name), FieldType::Numeric, 11, 0};
    }
    // Floating amounts: F 20,4.
    static FieldDef floating(std::string name)
    {
        return {std::move(name), FieldType::Float, 20, 4};
    }
    static FieldDef date(std::string name) { return {std::move(name), FieldType::Date, 8, 0}; }
    static FieldDef numeric(std::string name, int length, int decimals)
    {
        return {std::move(name), FieldType::Numeric, length, decimals};
    }
};

// A field of an open table: its definition and where it sits in the record.
struct FieldInfo : FieldDef {
    int offset = 0;         // from the start of the record (byte 0 is the deleted flag)
    bool hasMdxTag = false; // descriptor byte 31

    bool isNumeric() const { return type == FieldType::Numeric || type == FieldType::Float; }
};

} // namespace dbase
