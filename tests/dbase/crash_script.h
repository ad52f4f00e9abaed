// The work of the crash test's child, shared by the child that does it and the test that
// checks what a kill at each of its writes leaves: appends, edits and deletes with the
// index open, then a pack and an append after it.
#pragma once

#include "dbase/table.h"

#include <string>
#include <vector>

namespace crash
{

enum class Kind { Append, Edit, Delete, Pack };

struct Step {
    Kind kind;
    const char *target; // the live record edited or deleted, by name
    const char *name;   // the name appended or written by an edit
};

// The table CRASH.DBF: one character field NAME, the tag NewIndex on Upper(NAME). It starts
// with 60 records b000, b002, ... b118, so that the first leaf of the index is full and
// the first appends split it.
inline constexpr const char *kTable = "CRASH";
inline constexpr const char *kTag = "NewIndex";
inline constexpr const char *kExpression = "Upper(NAME)";
inline constexpr int kInitialRecords = 60;

inline std::vector<dbase::FieldDef> fields()
{
    return {dbase::FieldDef::text("NAME", 20)};
}

inline std::string initialName(int i)
{
    const std::string n = std::to_string(2 * i);
    return "b" + std::string(3 - n.size(), '0') + n;
}

inline const std::vector<Step> &steps()
{
    static const std::vector<Step> s = {
        {Kind::Append, nullptr, "b001"}, {Kind::Append, nullptr, "b003"},
        {Kind::Append, nullptr, "z1"},   {Kind::Append, nullptr, "a1"},
        {Kind::Append, nullptr, "b051"}, {Kind::Edit, "b010", "y10"},
        {Kind::Edit, "b084", "a84"},     {Kind::Edit, "z1", "b005"},
        {Kind::Delete, "b020", nullptr}, {Kind::Delete, "b001", nullptr},
        {Kind::Pack, nullptr, nullptr},  {Kind::Append, nullptr, "b500"},
        {Kind::Edit, "b030", "c30"},
    };
    return s;
}

} // namespace crash
