#include "dbase/expression.h"

#include "dbase/codepage.h"
#include "dbase/error.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace dbase
{

namespace
{

enum class Kind { Character, Number, Date };

std::string upperAscii(std::string_view s)
{
    std::string out(s);
    for (char &c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

} // namespace

// One node of a compiled expression. Character nodes write their fixed-length result at
// `out`; they may use up to `capacity` bytes there while working.
struct Expression::Node {
    enum class Op { Field, Literal, Upper, Left, Str, Dtos, Concat } op = Op::Field;
    Kind kind = Kind::Character;
    int length = 0;   // result length of a character node
    int capacity = 0; // scratch bytes needed at the node's output position
    int offset = 0;   // field offset in the record
    int width = 0;    // STR width / Left count
    int decimals = 0; // STR decimals
    std::string literal;
    std::vector<std::unique_ptr<Node>> children;

    double number(const char *record) const
    {
        // Only numeric fields give numbers; a blank or unreadable field counts as 0.
        const char *p = record + offset;
        const char *end = p + width;
        while (p < end && (*p == ' ' || *p == '\0'))
            ++p;
        while (end > p && (end[-1] == ' ' || end[-1] == '\0'))
            --end;
        double value = 0;
        if (p < end && *p == '+') ++p;
        if (std::from_chars(p, end, value).ec != std::errc()) return 0;
        return value;
    }

    void write(const char *record, char *out) const
    {
        switch (op) {
        case Op::Field:
            std::memcpy(out, record + offset, length);
            for (int i = 0; i < length; ++i)
                if (out[i] == '\0') out[i] = ' ';
            break;
        case Op::Literal:
            std::memcpy(out, literal.data(), length);
            break;
        case Op::Upper:
            children[0]->write(record, out);
            for (int i = 0; i < length; ++i)
                out[i] = static_cast<char>(upperCp1252(static_cast<unsigned char>(out[i])));
            break;
        case Op::Left:
            children[0]->write(record, out);
            break;
        case Op::Str: {
            const double v = children[0]->number(record);
            char buf[400];
            double rounded = v;
            const double scale = std::pow(10.0, decimals);
            if (std::fabs(v) < 1e15) rounded = std::round(v * scale) / scale;
            if (rounded == 0) rounded = 0; // no "-0.00"
            // to_chars: a "." whatever the C locale says.
            const auto r =
                std::to_chars(buf, buf + sizeof buf, rounded, std::chars_format::fixed, decimals);
            const int n = r.ec == std::errc() ? static_cast<int>(r.ptr - buf) : width + 1;
            if (n > width) {
                std::memset(out, '*', width);
            } else {
                std::memset(out, ' ', width - n);
                std::memcpy(out + width - n, buf, n);
            }
            break;
        }
        case Op::Dtos:
            std::memcpy(out, record + children[0]->offset, 8);
            break;
        case Op::Concat: {
            int at = 0;
            for (const auto &child : children) {
                child->write(record, out + at);
                at += child->length;
            }
            break;
        }
        }
    }
};

namespace
{

class Parser
{
public:
    Parser(std::string_view text, const std::vector<FieldInfo> &fields)
        : m_text(text), m_fields(fields)
    {
    }

    std::unique_ptr<Expression::Node> parse()
    {
        auto node = parseSum();
        skipSpace();
        if (m_pos < m_text.size()) fail("unexpected '" + std::string(1, m_text[m_pos]) + "'");
        return node;
    }

    [[noreturn]] void fail(const std::string &why) const
    {
        throw Error("Index expression '" + std::string(m_text) + "' is not valid: " + why);
    }

private:
    using NodePtr = std::unique_ptr<Expression::Node>;
    using Op = Expression::Node::Op;

    void skipSpace()
    {
        while (m_pos < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_pos])))
            ++m_pos;
    }

    bool accept(char c)
    {
        skipSpace();
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }

    void expect(char c)
    {
        if (!accept(c)) fail(std::string("'") + c + "' expected");
    }

    NodePtr parseSum()
    {
        NodePtr first = parseTerm();
        if (!accept('+')) return first;
        auto concat = std::make_unique<Expression::Node>();
        concat->op = Op::Concat;
        concat->children.push_back(std::move(first));
        do {
            concat->children.push_back(parseTerm());
        } while (accept('+'));
        int at = 0;
        for (const auto &child : concat->children) {
            if (child->kind != Kind::Character) fail("'+' joins character terms only");
            concat->capacity = std::max(concat->capacity, at + child->capacity);
            at += child->length;
        }
        concat->length = at;
        concat->capacity = std::max(concat->capacity, at);
        return concat;
    }

    int parseInteger()
    {
        skipSpace();
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && std::isdigit(static_cast<unsigned char>(m_text[m_pos])))
            ++m_pos;
        if (start == m_pos) fail("a whole number expected");
        if (m_pos - start > 4) fail("number too large");
        return std::stoi(std::string(m_text.substr(start, m_pos - start)));
    }

    NodePtr parseTerm()
    {
        skipSpace();
        if (m_pos >= m_text.size()) fail("the expression ends too soon");
        const char c = m_text[m_pos];
        if (c == '(') {
            ++m_pos;
            NodePtr inner = parseSum();
            expect(')');
            return inner;
        }
        if (c == '"' || c == '\'') {
            const std::size_t end = m_text.find(c, m_pos + 1);
            if (end == std::string_view::npos) fail("unterminated text constant");
            auto node = std::make_unique<Expression::Node>();
            node->op = Op::Literal;
            node->literal = utf8ToCp1252(m_text.substr(m_pos + 1, end - m_pos - 1));
            node->length = node->capacity = static_cast<int>(node->literal.size());
            m_pos = end + 1;
            return node;
        }
        if (!std::isalpha(static_cast<unsigned char>(c)) && c != '_')
            fail("unexpected '" + std::string(1, c) + "'");
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() &&
               (std::isalnum(static_cast<unsigned char>(m_text[m_pos])) || m_text[m_pos] == '_'))
            ++m_pos;
        const std::string name = upperAscii(m_text.substr(start, m_pos - start));
        if (accept('(')) return parseFunction(name);
        return fieldNode(name);
    }

    NodePtr fieldNode(const std::string &name)
    {
        for (std::size_t i = 0; i < m_fields.size(); ++i) {
            const FieldInfo &f = m_fields[i];
            if (upperAscii(f.name) != name) continue;
            auto node = std::make_unique<Expression::Node>();
            node->op = Op::Field;
            node->offset = f.offset;
            node->width = f.length;
            switch (f.type) {
            case FieldType::Character:
                node->kind = Kind::Character;
                node->length = node->capacity = f.length;
                break;
            case FieldType::Numeric:
            case FieldType::Float:
                node->kind = Kind::Number;
                break;
            case FieldType::Date:
                node->kind = Kind::Date;
                break;
            default:
                fail("the field '" + name + "' cannot be used in an index");
            }
            m_lastField = static_cast<int>(i);
            return node;
        }
        throw Error("Field '" + name + "' not found (index expression '" + std::string(m_text) +
                    "')");
    }

    NodePtr parseFunction(const std::string &name)
    {
        auto node = std::make_unique<Expression::Node>();
        node->children.push_back(parseSum());
        Expression::Node &arg = *node->children[0];
        if (name == "UPPER") {
            if (arg.kind != Kind::Character) fail("Upper() needs a character argument");
            node->op = Op::Upper;
            node->length = arg.length;
            node->capacity = arg.capacity;
        } else if (name == "LEFT") {
            if (arg.kind != Kind::Character) fail("Left() needs a character argument");
            expect(',');
            const int n = parseInteger();
            node->op = Op::Left;
            node->length = std::min(n, arg.length);
            node->capacity = arg.capacity;
        } else if (name == "STR") {
            if (arg.kind != Kind::Number || arg.op != Op::Field)
                fail("STR() needs a numeric field");
            int width = 10, decimals = 0;
            if (accept(',')) {
                width = parseInteger();
                if (accept(',')) decimals = parseInteger();
            }
            if (width < 1 || width > 20 || decimals < 0 || decimals > 18 ||
                (decimals > 0 && decimals > width - 2))
                fail("STR() width or decimals out of range");
            node->op = Op::Str;
            node->width = width;
            node->decimals = decimals;
            node->length = node->capacity = width;
        } else if (name == "DTOS") {
            if (arg.kind != Kind::Date || arg.op != Op::Field) fail("DTOS() needs a date field");
            node->op = Op::Dtos;
            node->length = node->capacity = 8;
        } else {
            fail("unknown function " + name + "()");
        }
        expect(')');
        node->kind = Kind::Character;
        return node;
    }

public:
    int m_lastField = -1;

private:
    std::string_view m_text;
    const std::vector<FieldInfo> &m_fields;
    std::size_t m_pos = 0;
};

} // namespace

Expression::Expression(std::string_view text, const std::vector<FieldInfo> &fields) : m_text(text)
{
    Parser parser(text, fields);
    m_root = parser.parse();
    if (m_root->kind != Kind::Character)
        parser.fail("the key must be character text (use STR() or DTOS())");
    if (m_root->length < 1) parser.fail("the key is empty");
    if (m_root->length > kMaxKeyLength)
        parser.fail("the key is " + std::to_string(m_root->length) + " characters long; at most " +
                    std::to_string(kMaxKeyLength) + " are allowed");
    m_keyLength = m_root->length;
    if (m_root->op == Node::Op::Field) m_singleField = parser.m_lastField;
}

Expression::~Expression() = default;
Expression::Expression(Expression &&) noexcept = default;
Expression &Expression::operator=(Expression &&) noexcept = default;

void Expression::evaluate(const char *record, char *key) const
{
    if (m_root->capacity <= m_keyLength) {
        m_root->write(record, key);
        return;
    }
    thread_local std::string scratch;
    if (static_cast<int>(scratch.size()) < m_root->capacity) scratch.resize(m_root->capacity);
    m_root->write(record, scratch.data());
    std::memcpy(key, scratch.data(), m_keyLength);
}

std::string Expression::evaluate(const char *record) const
{
    std::string key(m_keyLength, ' ');
    evaluate(record, key.data());
    return key;
}

} // namespace dbase
