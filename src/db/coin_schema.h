// The coin table: its twenty fields by number (1 to 20), with the names as created and
// as stored, kinds, widths, typing limits and default display labels. Every part of the
// program takes field facts from here.
#pragma once

#include "dbase/field.h"

#include <array>
#include <vector>

namespace coin
{

enum class Kind { Text, Float, Integer, Date };

struct Field {
    int number;
    const char *name;       // as created; the settings key and the name in index expressions
    const char *storedName; // upper case, as in the file
    Kind kind;
    int width;     // text width; 0 for the other kinds
    int entrySize; // characters a user may type
    const char *defaultLabel;
};

constexpr int kFieldCount = 20;

// Field numbers the program refers to by name.
enum FieldNumber {
    Country = 1,
    FaceValue,
    Year,
    Condition,
    MintMark,
    PurchasePr,
    MarketValu,
    PremiumVal,
    Topic,
    Descriptio,
    PurchDate,
    Miscellane,
    Quantity,
    Comment,
    YearApprox,
    Wanted,
    UserDef1,
    UserDef2,
    UserDef3,
    UserDef4
};

extern const std::array<Field, kFieldCount> kFields;

// By field number 1..20.
inline const Field &field(int number)
{
    return kFields.at(number - 1);
}

// The record editor's facts by field: the object name of its control (its label is the
// same name with "Label"), the key of the field's saved default in section Defaults of
// NUMAROK.INI, and how many characters of the default are kept (0 for the two flags).
struct EditorField {
    int number;
    const char *controlName;
    const char *defaultKey;
    int defaultWidth;
};

extern const std::array<EditorField, kFieldCount> kEditorFields;

// By field number 1..20.
inline const EditorField &editorField(int number)
{
    return kEditorFields.at(number - 1);
}

// The definitions the table is created with: text as C of its width, integer N 11,0,
// float F 20,4, date D.
std::vector<dbase::FieldDef> tableDefinition();

} // namespace coin
