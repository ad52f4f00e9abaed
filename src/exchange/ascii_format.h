// The ASCII delimited text format of import and export: every value in double quotes,
// values separated by one comma, a doubled quote for a quote inside a value, at most 30
// values of at most 255 characters a line, lines ended by CR LF, Windows-1252 bytes on
// disk. A file that starts with a UTF-8 byte-order mark is read as UTF-8.
#pragma once

#include <QSaveFile>
#include <QString>
#include <string>
#include <string_view>
#include <vector>

namespace exchange
{

constexpr int kMaxImportFields = 30;
constexpr int kMaxValueLength = 255;
constexpr int kImportNameLength = 20;

// Reads a whole file held in memory. Values come out as UTF-8.
class AsciiReader
{
public:
    enum class Problem { None, FieldTooLong, UnexpectedEnd, TooManyFields };

    explicit AsciiReader(std::string bytes);

    bool isUtf8() const { return m_utf8; }
    // Back to the first line.
    void rewind();
    bool atEnd() const { return m_pos >= m_data.size(); }

    // Checks the first line and gives the import names: the first 20 characters of each
    // value, "<BLANK FIELD>" for an empty one. Leaves the reader at the first line.
    Problem readFirstLine(std::vector<std::string> &names);

    // Reads the next line's first `fieldCount` values into `values` (fewer when the line
    // has fewer; the rest of a longer line is passed over). False when the line held no
    // record: an empty line, or one holding only an empty value. Values over 255
    // characters are cut to 255 and counted.
    bool readRecord(int fieldCount, std::vector<std::string> &values);
    // The line (1-based) where the last record read started.
    int recordLine() const { return m_recordLine; }
    int cutValues() const { return m_cutValues; }

    // The composed sentence shown for a refused first line.
    static QString problemMessage(Problem problem);

private:
    struct FieldEnd {
        bool lineEnded = false;
        bool closedByQuote = false;
        bool started = false; // a quote or a value character was met
        bool tooLong = false;
    };
    FieldEnd readField(std::string &value, bool cut);
    void consumeLineEnd();
    std::string decoded(const std::string &raw) const;

    std::string m_data;
    std::size_t m_start = 0; // after a byte-order mark
    std::size_t m_pos = 0;
    bool m_utf8 = false;
    int m_line = 1;
    int m_recordLine = 0;
    int m_cutValues = 0;
};

// One line of the format: each value without leading and trailing blanks, its quotes
// doubled, in quotes, separated by commas, ended by CR LF, in Windows-1252.
std::string formatAsciiLine(const std::vector<std::string> &utf8Values);

// Characters of a UTF-8 text that Windows-1252 cannot hold (they become "?").
int unmappableCount(std::string_view utf8);

// Writes beside the chosen name and renames the file in at commit(), so a failed write
// leaves no half file under that name (and an existing file unchanged).
class AsciiWriter
{
public:
    explicit AsciiWriter(const QString &path);
    // False with a sentence in *error when the file cannot be created.
    bool open(QString *error);
    void writeLine(const std::vector<std::string> &utf8Values);
    // False with a sentence in *error when a write failed; nothing is left then.
    bool commit(QString *error);

private:
    bool flushBuffer();

    QSaveFile m_file;
    std::string m_buffer;
    bool m_failed = false;
};

} // namespace exchange
