#include "exchange/ascii_format.h"

#include "dbase/codepage.h"
#include "platform/save_file.h"

namespace exchange
{

namespace
{

constexpr char CR = '\r';
constexpr char LF = '\n';

bool isLineEnd(char c)
{
    return c == CR || c == LF;
}

bool isControl(char c)
{
    return static_cast<unsigned char>(c) < 32;
}

// A UTF-8 continuation byte does not start a character.
bool startsCharacter(char c, bool utf8)
{
    return !utf8 || (static_cast<unsigned char>(c) & 0xC0) != 0x80;
}

// The first `count` characters.
std::string leftCharacters(const std::string &s, int count, bool utf8)
{
    int n = 0;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (startsCharacter(s[i], utf8) && ++n > count) return s.substr(0, i);
    return s;
}

} // namespace

AsciiReader::AsciiReader(std::string bytes) : m_data(std::move(bytes))
{
    if (m_data.size() >= 3 && m_data.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        m_utf8 = true;
        m_start = 3;
    }
    rewind();
}

void AsciiReader::rewind()
{
    m_pos = m_start;
    m_line = 1;
    m_recordLine = 0;
    m_cutValues = 0;
}

void AsciiReader::consumeLineEnd()
{
    // CR LF, CR alone and LF alone all end one line.
    if (m_pos < m_data.size() && m_data[m_pos] == CR) ++m_pos;
    if (m_pos < m_data.size() && m_data[m_pos] == LF) ++m_pos;
    ++m_line;
}

// One field by the reading rules: control characters are skipped; the first quote opens
// the value; a further quote closes it when a comma, the line end or the file end follows;
// two quotes in a row inside the value stand for one quote; every other character is
// part of the value. With `cut` a value stops growing at 255 characters, otherwise the
// 256th character reports the field as too long.
AsciiReader::FieldEnd AsciiReader::readField(std::string &value, bool cut)
{
    FieldEnd end;
    value.clear();
    int length = 0;
    bool quoteSeen = false;
    bool cutHere = false;
    const std::size_t size = m_data.size();
    auto append = [&](char c) {
        if (startsCharacter(c, m_utf8)) {
            if (length == kMaxValueLength) {
                if (!cut) {
                    end.tooLong = true;
                    return false;
                }
                cutHere = true;
            } else if (!cutHere) {
                ++length;
            }
        }
        if (!cutHere) value.push_back(c);
        return true;
    };
    while (true) {
        if (m_pos >= size) {
            end.lineEnded = true;
            break;
        }
        const char c = m_data[m_pos];
        if (isLineEnd(c)) {
            consumeLineEnd();
            end.lineEnded = true;
            break;
        }
        if (isControl(c)) {
            ++m_pos;
            continue;
        }
        end.started = true;
        if (c != '"') {
            if (!append(c)) return end;
            ++m_pos;
            continue;
        }
        if (!quoteSeen) {
            quoteSeen = true;
            ++m_pos;
            continue;
        }
        // A further quote: what follows it (control characters aside) decides.
        std::size_t next = m_pos + 1;
        while (next < size && isControl(m_data[next]) && !isLineEnd(m_data[next]))
            ++next;
        m_pos = next;
        if (next >= size) {
            end.lineEnded = end.closedByQuote = true;
            break;
        }
        if (isLineEnd(m_data[next])) {
            consumeLineEnd();
            end.lineEnded = end.closedByQuote = true;
            break;
        }
        if (m_data[next] == ',') {
            ++m_pos;
            end.closedByQuote = true;
            break;
        }
        if (m_data[next] == '"') {
            if (!append('"')) return end;
            ++m_pos;
        }
        // A lone quote inside the value is not stored.
    }
    if (cutHere) ++m_cutValues;
    return end;
}

std::string AsciiReader::decoded(const std::string &raw) const
{
    return m_utf8 ? raw : dbase::cp1252ToUtf8(raw);
}

AsciiReader::Problem AsciiReader::readFirstLine(std::vector<std::string> &names)
{
    rewind();
    names.clear();
    std::string value;
    Problem problem = Problem::None;
    while (true) {
        const FieldEnd end = readField(value, false);
        if (end.tooLong) {
            problem = Problem::FieldTooLong;
            break;
        }
        // A comma after the last value: the line is complete.
        if (end.lineEnded && !end.started && !names.empty()) break;
        if (static_cast<int>(names.size()) == kMaxImportFields) {
            problem = Problem::TooManyFields;
            break;
        }
        names.push_back(value.empty() ? std::string("<BLANK FIELD>")
                                      : decoded(leftCharacters(value, kImportNameLength, m_utf8)));
        if (end.lineEnded) {
            if (!end.closedByQuote) problem = Problem::UnexpectedEnd;
            break;
        }
    }
    rewind();
    return problem;
}

bool AsciiReader::readRecord(int fieldCount, std::vector<std::string> &values)
{
    values.clear();
    m_recordLine = m_line;
    std::string value;
    FieldEnd end;
    for (int q = 0; q < fieldCount; ++q) {
        end = readField(value, true);
        if (end.lineEnded && !end.started && q > 0) break; // a comma after the last value
        if (q == 0 && value.empty() && end.lineEnded) return false;
        values.push_back(decoded(value));
        if (end.lineEnded) break;
    }
    // Values beyond the import fields belong to no field; the next record starts on the
    // next line.
    while (!end.lineEnded)
        end = readField(value, true);
    return !values.empty();
}

QString AsciiReader::problemMessage(Problem problem)
{
    QString text =
        QStringLiteral("The file selected does not appear to be an ASCII delimited text file.  "
                       "An ASCII delimited file requires a unique format of each field being "
                       "surrounded by double quotes and separated by a comma.  ");
    switch (problem) {
    case Problem::FieldTooLong:
        text +=
            QStringLiteral("The selected file has a field that is greater than 255 characters.");
        break;
    case Problem::UnexpectedEnd:
        text += QStringLiteral("The selected file had an unexpected end of a line most likely due "
                               "to an unmatched quote.");
        break;
    case Problem::TooManyFields:
        text += QStringLiteral("The selected file has too many fields.  "
                               "There are at least 10 more fields than are required by Numarok.");
        break;
    case Problem::None:
        break;
    }
    return text;
}

std::string formatAsciiLine(const std::vector<std::string> &utf8Values)
{
    std::string line;
    std::string flat;
    for (std::size_t c = 0; c < utf8Values.size(); ++c) {
        // A record is one line: each run of line breaks in a value is written as a blank.
        flat.clear();
        bool inBreak = false;
        for (const char ch : utf8Values[c]) {
            const bool lineBreak = isLineEnd(ch);
            if (!lineBreak)
                flat.push_back(ch);
            else if (!inBreak)
                flat.push_back(' ');
            inBreak = lineBreak;
        }
        std::string_view v = flat;
        while (!v.empty() && v.front() == ' ')
            v.remove_prefix(1);
        while (!v.empty() && v.back() == ' ')
            v.remove_suffix(1);
        if (c > 0) line.push_back(',');
        line.push_back('"');
        bool plain = true;
        for (char ch : v)
            if (static_cast<unsigned char>(ch) >= 0x80) plain = false;
        const std::string bytes = plain ? std::string(v) : dbase::utf8ToCp1252(v);
        for (char ch : bytes) {
            if (ch == '"') line.push_back('"');
            line.push_back(ch);
        }
        line.push_back('"');
    }
    line += "\r\n";
    return line;
}

int unmappableCount(std::string_view utf8)
{
    bool plain = true;
    int questions = 0;
    for (char c : utf8) {
        if (static_cast<unsigned char>(c) >= 0x80) plain = false;
        if (c == '?') ++questions;
    }
    if (plain) return 0;
    int after = 0;
    for (char c : dbase::utf8ToCp1252(utf8))
        if (c == '?') ++after;
    return after - questions;
}

AsciiWriter::AsciiWriter(const QString &path) : m_file(path) {}

bool AsciiWriter::open(QString *error)
{
    if (m_file.open(QIODevice::WriteOnly)) return true;
    *error = QStringLiteral("Unable to create %1: %2").arg(m_file.fileName(), m_file.errorString());
    return false;
}

bool AsciiWriter::flushBuffer()
{
    if (!m_failed && !m_buffer.empty() &&
        m_file.write(m_buffer.data(), static_cast<qint64>(m_buffer.size())) !=
            static_cast<qint64>(m_buffer.size()))
        m_failed = true;
    m_buffer.clear();
    return !m_failed;
}

void AsciiWriter::writeLine(const std::vector<std::string> &utf8Values)
{
    m_buffer += formatAsciiLine(utf8Values);
    if (m_buffer.size() >= 1 << 16) flushBuffer();
}

bool AsciiWriter::commit(QString *error)
{
    if (flushBuffer() && platform::commitWhole(m_file)) return true;
    *error = QStringLiteral("Unable to write %1: %2.  No file was written.")
                 .arg(m_file.fileName(), platform::saveFailure(m_file));
    m_file.cancelWriting();
    return false;
}

} // namespace exchange
