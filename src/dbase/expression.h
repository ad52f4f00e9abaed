// The dBase index expressions the program builds: field names, Upper(), Left(), STR(),
// DTOS() and "+" joining character terms. An expression is compiled once against a
// table's fields and then evaluated on raw record bytes.
#pragma once

#include "dbase/field.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace dbase
{

class Expression
{
public:
    static constexpr int kMaxKeyLength = 80;

    // Throws Error naming the expression when it is malformed, names an unknown field,
    // mixes kinds, does not give a character key or gives one longer than kMaxKeyLength.
    Expression(std::string_view text, const std::vector<FieldInfo> &fields);
    ~Expression();
    Expression(Expression &&) noexcept;
    Expression &operator=(Expression &&) noexcept;

    const std::string &text() const { return m_text; }
    int keyLength() const { return m_keyLength; }
    // Writes exactly keyLength() bytes of key for the record (deleted flag at byte 0).
    void evaluate(const char *record, char *key) const;
    std::string evaluate(const char *record) const;
    // The field index when the whole expression is one field name, else -1.
    int singleField() const { return m_singleField; }

    struct Node;

private:
    std::string m_text;
    std::unique_ptr<Node> m_root;
    int m_keyLength = 0;
    int m_singleField = -1;
};

} // namespace dbase
