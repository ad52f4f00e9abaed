#include "dbase/table.h"

#include "dbase/codepage.h"
#include "dbase/error.h"
#include "dbase/fileio.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <numeric>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace dbase
{

namespace
{

// dBase lock offsets (open file description locks, so that two handles conflict even
// inside one process).
constexpr uint64_t kOpenLock = 0x7FFFFFFF;
constexpr uint64_t kHeaderLock = 0xEFFFFFFE;
constexpr uint64_t kAppendLock = 0xEFFFFFFF;
constexpr uint64_t kExclusiveStart = 0xEFFFFFFEULL - 1000000000ULL;
constexpr uint64_t kExclusiveLength = 1000000002ULL;
// Record numbers stay clear of the record lock offsets and of 32-bit overflow.
constexpr uint32_t kMaxRecords = 1000000000u;
// Header byte 14, dBase's "incomplete transaction" flag: set while a change of the table
// and its index is under way, so that an open after a crash knows the index is stale.
constexpr uint64_t kChangeMark = 14;
// Read-locked by every handle that has changed the table since it opened it, so that an
// open can tell a live writer's session flag from one that a crash left behind.
constexpr uint64_t kSessionLock = 0x7FFFFFFE;

bool ofdLock(int fd, short type, uint64_t start, uint64_t length, bool wait)
{
    struct flock fl {
    };
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(start);
    fl.l_len = static_cast<off_t>(length);
    int r;
    do {
        r = ::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &fl);
    } while (r < 0 && errno == EINTR);
    return r == 0;
}

// True when another handle holds a lock that conflicts with `type` on the range.
bool ofdConflict(int fd, short type, uint64_t start, uint64_t length)
{
    struct flock fl {
    };
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(start);
    fl.l_len = static_cast<off_t>(length);
    if (::fcntl(fd, F_OFD_GETLK, &fl) != 0) return false;
    return fl.l_type != F_UNLCK;
}

bool isKnownVersion(unsigned char v)
{
    switch (v) {
    case 0x03:
    case 0x04:
    case 0x05:
    case 0x30:
    case 0x31:
    case 0x32:
    case 0x43:
    case 0x63:
    case 0x83:
    case 0x8B:
    case 0x8E:
    case 0xCB:
    case 0xF5:
    case 0xFB:
        return true;
    default:
        return false;
    }
}

bool isFoxPro(unsigned char v)
{
    return v == 0x30 || v == 0x31 || v == 0x32 || v == 0xF5 || v == 0xFB;
}

std::string upper(std::string s)
{
    for (char &c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0'))
        s.remove_suffix(1);
    while (!s.empty() && (s.front() == ' ' || s.front() == '\0'))
        s.remove_prefix(1);
    return s;
}

std::string_view trimRight(std::string_view s)
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0'))
        s.remove_suffix(1);
    return s;
}

bool parseDouble(std::string_view text, double &value)
{
    text = trimBlanks(text);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    if (text.empty()) return false;
    if (text.front() == '+') text.remove_prefix(1);
    const auto r =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    return r.ec == std::errc() && r.ptr == text.data() + text.size() && std::isfinite(value);
}

// Fixed-point text with a "." whatever the C locale says.
std::string fixedText(double v, int decimals)
{
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    return r.ec == std::errc() ? std::string(buf, r.ptr) : std::string("*");
}

std::string numberText(double v, int decimals)
{
    std::string s = fixedText(v, decimals);
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0')
            s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    if (s == "-0") s = "0";
    return s;
}

bool validFieldName(const std::string &name)
{
    if (name.empty() || name.size() > 10 || !std::isalpha(static_cast<unsigned char>(name[0])))
        return false;
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    return true;
}

bool fileExists(const std::string &path)
{
    struct stat st {
    };
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Record numbers 1..count sorted by (key, record number). The key sits beside its record
// number as big-endian words (up to W of them), so the comparisons touch only that array;
// the rest of a longer key is compared where the words are equal.
template <int W> std::vector<uint32_t> sortedByKeyWords(const char *keys, int kl, uint32_t count)
{
    struct Item {
        uint64_t w[W];
        uint32_t recno;
    };
    std::vector<Item> items(count);
    const int head = std::min(kl, 8 * W);
    for (uint32_t r = 1; r <= count; ++r) {
        const auto *k =
            reinterpret_cast<const unsigned char *>(keys) + static_cast<std::size_t>(r - 1) * kl;
        Item &it = items[r - 1];
        for (int i = 0; i < W; ++i)
            it.w[i] = 0;
        for (int i = 0; i < head; ++i)
            it.w[i / 8] |= static_cast<uint64_t>(k[i]) << (56 - 8 * (i % 8));
        it.recno = r;
    }
    const std::size_t rest = static_cast<std::size_t>(kl - head);
    std::sort(items.begin(), items.end(), [keys, kl, head, rest](const Item &a, const Item &b) {
        for (int i = 0; i < W; ++i)
            if (a.w[i] != b.w[i]) return a.w[i] < b.w[i];
        if (rest) {
            const int c =
                std::memcmp(keys + static_cast<std::size_t>(a.recno - 1) * kl + head,
                            keys + static_cast<std::size_t>(b.recno - 1) * kl + head, rest);
            if (c != 0) return c < 0;
        }
        return a.recno < b.recno;
    });
    std::vector<uint32_t> order(count);
    for (uint32_t i = 0; i < count; ++i)
        order[i] = items[i].recno;
    return order;
}

std::vector<uint32_t> sortedByKey(const char *keys, int kl, uint32_t count)
{
    if (kl <= 16) return sortedByKeyWords<2>(keys, kl, count);
    if (kl <= 32) return sortedByKeyWords<4>(keys, kl, count);
    if (kl <= 48) return sortedByKeyWords<6>(keys, kl, count);
    return sortedByKeyWords<10>(keys, kl, count);
}

// A waiting lock on one lock byte, released when it goes out of scope. Not taken on a
// table opened for exclusive use: that handle holds the whole range already, and an
// unlock would open a hole in it. A write lock unless told otherwise.
class ByteLock
{
public:
    ByteLock(int fd, uint64_t offset, bool take, const std::string &path)
        : ByteLock(fd, offset, take, F_WRLCK, [&path] {
              return "Table " + fileLabel(path) + " is busy: it cannot be locked (" + errnoText() +
                     ")";
          })
    {
    }
    template <class Busy>
    ByteLock(int fd, uint64_t offset, bool take, short type, Busy &&busy)
        : m_fd(fd), m_offset(offset)
    {
        if (!take) return;
        if (!ofdLock(fd, type, offset, 1, true)) throw Error(busy());
        m_held = true;
    }
    ~ByteLock() { release(); }
    ByteLock(const ByteLock &) = delete;
    ByteLock &operator=(const ByteLock &) = delete;
    void release()
    {
        if (m_held) ofdLock(m_fd, F_UNLCK, m_offset, 1, false);
        m_held = false;
    }

private:
    int m_fd;
    uint64_t m_offset;
    bool m_held = false;
};

// The header byte read-locked while the index is read, so that no other handle is
// half-way through a change of it.
ByteLock indexReadLock(int fd, bool take, const std::string &path)
{
    return ByteLock(fd, kHeaderLock, take, F_RDLCK, [&path] {
        return "Table " + fileLabel(path) + " is busy: its index cannot be read";
    });
}

} // namespace

// A small cache of record blocks read from the table file.
class Table::RecordCache
{
public:
    RecordCache(int fd, const std::string &path, uint64_t start, int recordLength)
        : m_fd(fd), m_path(path), m_start(start), m_recordLength(recordLength),
          m_perChunk(std::max(1, 8192 / recordLength))
    {
    }

    const char *get(uint32_t recno, uint32_t count)
    {
        if (recno < 1 || recno > count)
            throw Error("Record " + std::to_string(recno) + " does not exist in " +
                        fileLabel(m_path));
        const uint32_t chunk = (recno - 1) / m_perChunk;
        Slot *slot = nullptr;
        Slot *oldest = &m_slots[0];
        for (Slot &s : m_slots) {
            if (s.valid && s.chunk == chunk) {
                slot = &s;
                break;
            }
            if (!s.valid || s.used < oldest->used) oldest = &s;
        }
        if (!slot) {
            slot = oldest;
            const uint32_t first = chunk * m_perChunk + 1;
            const uint32_t n = std::min<uint32_t>(m_perChunk, count - first + 1);
            slot->data.resize(static_cast<std::size_t>(n) * m_recordLength);
            slot->valid = false;
            if (!readAt(m_fd, slot->data.data(), slot->data.size(),
                        m_start + static_cast<uint64_t>(first - 1) * m_recordLength))
                throw Error(fileLabel(m_path) + " is shorter than its header says.  Records " +
                            std::to_string(first) + " and on cannot be read.");
            slot->chunk = chunk;
            slot->records = n;
            slot->valid = true;
        }
        slot->used = ++m_clock;
        const uint32_t index = (recno - 1) % m_perChunk;
        if (index >= slot->records) {
            // The chunk was read while the table was shorter: read it again.
            slot->valid = false;
            return get(recno, count);
        }
        return slot->data.data() + static_cast<std::size_t>(index) * m_recordLength;
    }

    void update(uint32_t recno, const char *bytes)
    {
        const uint32_t chunk = (recno - 1) / m_perChunk;
        const uint32_t index = (recno - 1) % m_perChunk;
        for (Slot &s : m_slots)
            if (s.valid && s.chunk == chunk && index < s.records)
                std::memcpy(s.data.data() + static_cast<std::size_t>(index) * m_recordLength, bytes,
                            m_recordLength);
            else if (s.valid && s.chunk == chunk)
                s.valid = false;
    }

    void clear()
    {
        for (Slot &s : m_slots)
            s.valid = false;
    }

private:
    struct Slot {
        bool valid = false;
        uint32_t chunk = 0;
        uint32_t records = 0;
        uint64_t used = 0;
        std::vector<char> data;
    };
    int m_fd;
    std::string m_path;
    uint64_t m_start;
    int m_recordLength;
    uint32_t m_perChunk;
    uint64_t m_clock = 0;
    Slot m_slots[128];
};

Table::Table() = default;

Table::~Table()
{
    try {
        close();
    } catch (...) {
    }
}

// ---- location -------------------------------------------------------------------------

void Table::setDatabaseName(const std::string &directory)
{
    if (isOpen()) throw Error("Cannot change the directory of an open table");
    m_directory = directory;
}

void Table::setTableName(const std::string &name)
{
    if (isOpen()) throw Error("Cannot change the name of an open table");
    m_tableName = name;
}

void Table::locate()
{
    std::string dir = m_directory.empty() ? std::string(".") : m_directory;
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    std::string base = m_tableName;
    std::string ext;
    const auto dot = base.rfind('.');
    if (dot != std::string::npos && upper(base.substr(dot + 1)) == "DBF") {
        ext = base.substr(dot + 1);
        base = base.substr(0, dot);
    }
    const std::string prefix = (dir == "/" ? std::string() : dir) + "/";
    if (ext.empty()) {
        ext = "DBF";
        if (!fileExists(prefix + base + ".DBF")) {
            if (fileExists(prefix + base + ".dbf")) {
                ext = "dbf";
            } else if (DIR *d = ::opendir(dir.c_str())) {
                // Any other letter case of the extension.
                const std::string want = upper(base + ".DBF");
                while (dirent *e = ::readdir(d)) {
                    const std::string n = e->d_name;
                    if (upper(n) == want && n.substr(0, base.size()) == base) {
                        ext = n.substr(base.size() + 1);
                        break;
                    }
                }
                ::closedir(d);
            }
        }
    }
    m_extension = ext;
    m_path = prefix + base + "." + ext;
}

std::string Table::filePath() const
{
    const_cast<Table *>(this)->locate();
    return m_path;
}

std::string Table::indexFilePath() const
{
    const std::string path = filePath();
    const bool lowerExt =
        !m_extension.empty() && std::islower(static_cast<unsigned char>(m_extension[0]));
    return path.substr(0, path.size() - m_extension.size()) + (lowerExt ? "mdx" : "MDX");
}

bool Table::exists() const
{
    return fileExists(filePath());
}

void Table::setReadOnly(bool readOnly)
{
    if (isOpen()) throw Error("Cannot change the read-only setting of an open table");
    m_readOnly = readOnly;
}

void Table::setExclusive(bool exclusive)
{
    if (isOpen()) throw Error("Cannot change exclusive use of an open table");
    m_exclusive = exclusive;
}

// ---- open and close -------------------------------------------------------------------

void Table::openFile(bool exclusive)
{
    locate();
    const std::string label = fileLabel(m_path);
    if (m_tableName.empty()) throw Error("No table name given");
    bool writable = !m_readOnly;
    int fd = ::open(m_path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    if (fd < 0 && writable && (errno == EACCES || errno == EROFS || errno == EPERM)) {
        writable = false; // a write-protected file or medium is still readable
        fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
    }
    if (fd < 0) {
        if (errno == ENOENT) throw Error("Table " + label + " does not exist in " + m_directory);
        if (errno == EISDIR) throw Error(label + " is not a dBase table");
        throw Error("Cannot open " + label + ": " + errnoText());
    }
    struct stat st {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw Error(label + " is not a dBase table");
    }
    // Every open holds a read lock on the open byte; exclusive use needs the write lock on
    // it and on the record lock range.
    bool locked;
    if (exclusive && writable) {
        locked = ofdLock(fd, F_WRLCK, kOpenLock, 1, false) &&
                 ofdLock(fd, F_WRLCK, kExclusiveStart, kExclusiveLength, false);
    } else {
        locked = ofdLock(fd, F_RDLCK, kOpenLock, 1, false);
        if (locked && exclusive)
            locked = !ofdConflict(fd, F_WRLCK, kOpenLock, 1) &&
                     !ofdConflict(fd, F_WRLCK, kExclusiveStart, kExclusiveLength);
    }
    if (!locked) {
        ::close(fd);
        throw Error(exclusive
                        ? "Table " + label +
                              " is in use by another user or program.  It cannot be opened for "
                              "exclusive use."
                        : "Table " + label + " is busy: exclusive use is held by another user.");
    }
    m_fd = fd;
    m_openedExclusive = exclusive;
    m_writableFile = writable;
    if (exclusive && writable) removeLeftovers();
    try {
        readHeader();
        loadIndexFile();
    } catch (...) {
        closeFile();
        throw;
    }
}

void Table::closeFile()
{
    m_mdx.close();
    m_tagStates.clear();
    if (m_fd >= 0) ::close(m_fd); // releases every lock of this handle
    m_fd = -1;
    m_cache.reset();
    m_fields.clear();
    m_cursor.setNatural();
    m_builtTag.clear();
    m_builtKeys = {};
    m_builtOrder = {};
    m_indexTag = -1;
    m_lockedRecord = false;
    m_session = false;
    m_changeMarked = false;
    m_indexStale = false;
    m_unsynced = false;
}

void Table::readHeader()
{
    const std::string label = fileLabel(m_path);
    const uint64_t size = fileSize(m_fd, m_path);
    char h[32];
    if (size < 32 || !readAt(m_fd, h, 32, 0))
        throw Error(label + " is not a dBase table (the header is incomplete)");
    const auto version = static_cast<unsigned char>(h[0]);
    if (!isKnownVersion(version)) throw Error(label + " is not a dBase table");
    const uint32_t count = getLe32(h + 4);
    const uint16_t headerLength = getLe16(h + 8);
    const uint16_t recordLength = getLe16(h + 10);
    if (headerLength < 33 || recordLength < 1)
        throw Error(label + " is not a dBase table (impossible header or record length)");
    if (headerLength > size) throw Error(label + " is damaged: the header is longer than the file");
    std::vector<char> header(headerLength);
    readAtOrThrow(m_fd, header.data(), header.size(), 0, m_path);

    std::vector<FieldInfo> fields;
    int offset = 1;
    std::size_t pos = 32;
    while (true) {
        if (pos >= header.size())
            throw Error(label +
                        " is damaged: the field descriptors run past the end of the header");
        if (header[pos] == 0x0D) break;
        if (pos + 32 > header.size())
            throw Error(label +
                        " is damaged: the field descriptors run past the end of the header");
        const char *d = header.data() + pos;
        FieldInfo f;
        f.name.assign(d, strnlen(d, 11));
        f.type = static_cast<FieldType>(d[11]);
        f.length = static_cast<unsigned char>(d[16]);
        f.decimals = static_cast<unsigned char>(d[17]);
        if (f.type == FieldType::Character && isFoxPro(version)) {
            f.length += f.decimals * 256; // long character fields
            f.decimals = 0;
        }
        f.hasMdxTag = d[31] == 1;
        f.offset = offset;
        if (f.name.empty())
            throw Error(label + " is damaged: field " + std::to_string(fields.size() + 1) +
                        " has no name");
        switch (f.type) {
        case FieldType::Character:
        case FieldType::Numeric:
        case FieldType::Float:
        case FieldType::Date:
        case FieldType::Logical:
        case FieldType::Memo:
            break;
        default:
            throw Error("Field '" + f.name + "' of " + label + " has the type '" +
                        std::string(1, d[11]) + "', which this program cannot read");
        }
        if (f.length < 1) throw Error(label + " is damaged: field '" + f.name + "' has no width");
        if (f.type == FieldType::Date && f.length != 8)
            throw Error(label + " is damaged: the date field '" + f.name +
                        "' is not 8 characters wide");
        offset += f.length;
        fields.push_back(std::move(f));
        pos += 32;
    }
    if (fields.empty()) throw Error(label + " is damaged: it has no fields");
    if (offset != recordLength)
        throw Error(label + " is damaged: its record length does not match its fields");
    if (count > kMaxRecords)
        throw Error(label + " is damaged: its header counts " + std::to_string(count) + " records");
    const uint64_t need = headerLength + static_cast<uint64_t>(count) * recordLength;
    if (need > size)
        throw Error(label + " is damaged: its header counts " + std::to_string(count) +
                    " records but the file holds only " +
                    std::to_string((size - headerLength) / recordLength));
    m_version = version;
    m_recordCount = count;
    m_headerLength = headerLength;
    m_recordLength = recordLength;
    m_mdxFlag = h[28] == 1 && !isFoxPro(version);
    m_fields = std::move(fields);
    m_cache = std::make_unique<RecordCache>(m_fd, m_path, headerLength, recordLength);
}

void Table::loadIndexFile()
{
    m_mdx.close();
    m_tagStates.clear();
    if (!m_mdxFlag || m_ignoreIndexFile) return;
    m_mdx.open(indexFilePath(), m_writableFile && !m_readOnly);
    for (const MdxFile::Tag &tag : m_mdx.tags()) {
        TagState state;
        std::string why;
        if (tag.keyType != 'C') {
            why = "its keys are not character keys";
        } else if (tag.descending || tag.unique || tag.hasFilter) {
            why = "it is a descending, unique or filtered tag";
        } else {
            try {
                Expression e(tag.expression, m_fields);
                if (e.keyLength() != tag.keyLength)
                    why = "its key length does not match its expression";
                else
                    state.expression.emplace(std::move(e));
            } catch (const Error &err) {
                why = err.what();
            }
        }
        if (!why.empty() && m_mdx.writable())
            throw Error("The index tag '" + tag.name + "' of " + fileLabel(m_mdx.path()) +
                        " cannot be kept current by this program: " + why);
        m_tagStates.push_back(std::move(state));
    }
}

// ---- a stale index and durability -------------------------------------------------------

// New files of a pack or index rebuild that a crash left behind. Only a handle with
// exclusive use can be sure that nobody is still writing them.
void Table::removeLeftovers()
{
    ::unlink(newFilePath(m_path).c_str());
    ::unlink(newFilePath(indexFilePath()).c_str());
}

// The record count of the header bytes h (at least 8), refused when the file cannot hold
// that many records.
uint32_t Table::headerRecordCount(const char *h) const
{
    const uint32_t count = getLe32(h + 4);
    if (count > kMaxRecords ||
        m_headerLength + static_cast<uint64_t>(count) * m_recordLength > fileSize(m_fd, m_path))
        throw Error(fileLabel(m_path) +
                    " is damaged: its header counts more records than the file holds");
    return count;
}

// Why the open index does not match the table, or "" when it does: the change mark that
// an interrupted append, edit, delete or pack leaves, or a tag whose key count differs
// from the record count (records appended by a program that does not keep the index;
// deleted records stay indexed). Read under the header lock, so that no other handle is
// half-way through a change.
std::string Table::staleIndexReason()
{
    const ByteLock lock = indexReadLock(m_fd, !m_openedExclusive, m_path);
    char h[32];
    readAtOrThrow(m_fd, h, sizeof h, 0, m_path);
    const uint32_t count = headerRecordCount(h);
    m_recordCount = count;
    if (h[kChangeMark] != 0) return "a change to the table was interrupted";
    m_mdx.reload();
    if (m_mdx.sessionFlag() && !ofdConflict(m_fd, F_WRLCK, kSessionLock, 1))
        return "the program that last changed the table ended without closing it";
    const auto &tags = m_mdx.tags();
    for (std::size_t t = 0; t < tags.size() && t < m_tagStates.size(); ++t) {
        if (!m_tagStates[t].expression) continue; // not kept by this program (read-only use)
        const uint64_t keys = m_mdx.countKeys(static_cast<int>(t));
        if (keys != count)
            return "its tag " + tags[t].name + " holds " + std::to_string(keys) + " keys for " +
                   std::to_string(count) + " records";
    }
    return {};
}

// A production index that does not match its table is rebuilt before the table is
// shown, when this handle can have the table to itself for the moment it takes;
// otherwise the open fails with a message that says what to do.
void Table::ensureIndexCurrent()
{
    if (!m_mdx.isOpen()) return;
    const std::string why = staleIndexReason();
    if (why.empty()) return;
    const std::string what = "The index file " + fileLabel(m_mdx.path()) +
                             " does not match the table " + fileLabel(m_path) + " (" + why + ")";
    if (!m_mdx.writable())
        throw IndexError(what +
                         ".  Open the table once with write access, so that the index is rebuilt.");
    const bool upgrade = !m_openedExclusive;
    if (upgrade && !(ofdLock(m_fd, F_WRLCK, kOpenLock, 1, false) &&
                     ofdLock(m_fd, F_WRLCK, kExclusiveStart, kExclusiveLength, false))) {
        ofdLock(m_fd, F_RDLCK, kOpenLock, 1, false);
        throw IndexError(what +
                         ", and another user or program has the table open.  Close it there and "
                         "open it again, so that the index is rebuilt.");
    }
    // Back to shared use afterwards: the read lock on the open byte only.
    struct Downgrade {
        int fd;
        bool on;
        ~Downgrade()
        {
            if (!on) return;
            ofdLock(fd, F_UNLCK, kExclusiveStart, kExclusiveLength, false);
            ofdLock(fd, F_RDLCK, kOpenLock, 1, false);
        }
    } downgrade{m_fd, upgrade};
    if (upgrade) {
        removeLeftovers();
        // Nobody else has the table open now; records may have come in since the check.
        char h[8];
        readAtOrThrow(m_fd, h, sizeof h, 0, m_path);
        m_recordCount = headerRecordCount(h);
    }
    const std::string selected = m_indexName;
    rewriteIndexFile(currentTagDefs());
    m_indexName = selected; // open() selects it and reads its order
    m_indexTag = -1;
    m_builtTag.clear();
    m_cursor.setNatural();
    m_cursor.invalidateRows();
    syncFile(m_fd, m_path);
}

// Before the first write of a change of table and index. The first change of a session
// sets the session flag of the index file and flushes it, and the handle read-locks the
// session byte until it closes the table: from then on the disk says "an index that may
// be half-written" until the last writer closes the table, and an open that finds the flag
// with nobody holding the byte (a crash, a power failure) rebuilds the index. Each change
// also sets byte 14 of the table header until it is complete, so that a process killed
// in the middle of one is caught while other writers still have the table open. Paying
// the flush of the flag once per session, a post waits for one flush only.
void Table::markChange()
{
    m_unsynced = true;
    if (!m_mdx.isOpen()) return;
    if (!m_session) {
        if (!ofdLock(m_fd, F_RDLCK, kSessionLock, 1, true))
            throw Error("Table " + fileLabel(m_path) + " is busy: it cannot be locked (" +
                        errnoText() + ")");
        m_mdx.setSessionFlag(true);
        m_mdx.sync();
        m_session = true;
    }
    if (m_changeMarked) return;
    char current = 0;
    readAtOrThrow(m_fd, &current, 1, kChangeMark, m_path);
    // A mark this handle did not set was left by an interrupted change: the index stays
    // marked stale for the next open to rebuild.
    if (current != 0) m_indexStale = true;
    const char one = 1;
    writeAtOrThrow(m_fd, &one, 1, kChangeMark, m_path);
    m_changeMarked = true;
}

// After the last write of a change: flushes table and index, then clears the mark.
// Returns a message when the disk refused the flush (the change was written, but may not
// be on the disk).
std::string Table::finishChange(bool indexFailed)
{
    if (indexFailed) m_indexStale = true;
    try {
        if (m_syncEachPost) flushFiles();
        if (m_changeMarked && !m_indexStale) {
            const char zero = 0;
            writeAtOrThrow(m_fd, &zero, 1, kChangeMark, m_path);
            m_changeMarked = false;
        }
    } catch (const Error &e) {
        return std::string("The change was written, but it may not be on the disk yet: ") +
               e.what();
    }
    return {};
}

// On closing: the last writer to close clears the session flag (a sound index).
void Table::endSession()
{
    if (!m_session || m_indexStale || m_changeMarked || m_unsynced || !m_mdx.isOpen()) return;
    if (!ofdLock(m_fd, F_WRLCK, kSessionLock, 1, false)) return; // others still write
    // The index blocks of every writer of the session reach the disk before the flag that
    // says they are sound: a flush of the file flushes all of them.
    m_mdx.sync();
    m_mdx.setSessionFlag(false);
    m_session = false;
}

// The index was rebuilt: it matches the table. A new index file has no session flag; the
// next change sets it again.
void Table::clearChangeMark()
{
    const char zero = 0;
    writeAtOrThrow(m_fd, &zero, 1, kChangeMark, m_path);
    m_changeMarked = false;
    m_indexStale = false;
    m_session = false;
}

// Flushes what a crash must not lose. While this handle holds an index session that is
// the table only: the session flag is on the disk, so an index that a power failure leaves
// half-written is rebuilt from the table on the next open, and the index is flushed once,
// by the last writer, before the flag is cleared (endSession). Flushing the index with
// every batch would make each batch wait for as many scattered blocks as it touched.
void Table::flushFiles()
{
    syncFile(m_fd, m_path);
    if (!m_session && m_mdx.isOpen() && m_mdx.writable()) m_mdx.sync();
    m_unsynced = false;
}

void Table::sync()
{
    requireOpen("flush the table to the disk");
    if (!m_writableFile) return;
    flushFiles();
}

void Table::open()
{
    if (isOpen()) return;
    openFile(m_exclusive);
    m_state = State::Browse;
    try {
        ensureIndexCurrent();
        if (!m_indexName.empty()) {
            m_indexTag = m_mdx.isOpen() ? m_mdx.findTag(m_indexName) : -1;
            if (m_indexTag < 0 || !m_tagStates[m_indexTag].expression)
                throw Error("Index tag '" + m_indexName + "' not found for " + fileLabel(m_path));
            loadOrder();
        }
    } catch (...) {
        m_state = State::Inactive;
        closeFile();
        throw;
    }
    startAtFirst();
    notify(Event::Moved);
    notify(Event::Opened);
}

void Table::close()
{
    if (!isOpen()) return;
    if (m_state == State::Edit || m_state == State::Insert) cancel();
    try {
        if (m_unsynced) sync();
        endSession();
    } catch (const Error &) {
        // Closing goes on: a flag that stays set has the index rebuilt next time.
    }
    m_state = State::Inactive;
    closeFile();
    m_currentRecno = 0;
    m_row = -1;
    m_eof = m_bof = true;
    notify(Event::Closed);
}

void Table::requireOpen(const char *what) const
{
    if (!isOpen())
        throw Error(std::string("Cannot ") + what + ": the table " + m_tableName + " is not open");
}

void Table::requireWritable(const char *what) const
{
    requireOpen(what);
    if (m_readOnly || !m_writableFile)
        throw Error(std::string("Cannot ") + what + ": " + fileLabel(m_path) + " is read-only");
}

void Table::requireBrowse(const char *what) const
{
    requireOpen(what);
    if (m_state != State::Browse)
        throw Error(std::string("Cannot ") + what + " while a record of " + fileLabel(m_path) +
                    " is being edited");
}

// ---- create ---------------------------------------------------------------------------

void Table::createTable(const std::vector<FieldDef> &defs)
{
    if (isOpen()) throw Error("Cannot create " + m_tableName + " while it is open");
    locate();
    const std::string label = fileLabel(m_path);
    if (defs.empty() || defs.size() > 255)
        throw Error("A table needs 1 to 255 fields (" + label + ")");
    std::vector<std::string> seen;
    int recordLength = 1;
    std::vector<char> header(32 + 32 * defs.size() + 1, '\0');
    for (std::size_t i = 0; i < defs.size(); ++i) {
        FieldDef f = defs[i];
        const std::string name = upper(f.name);
        if (!validFieldName(name))
            throw Error("'" + f.name + "' is not a valid field name (" + label + ")");
        if (std::find(seen.begin(), seen.end(), name) != seen.end())
            throw Error("The field name '" + name + "' appears twice (" + label + ")");
        seen.push_back(name);
        bool ok = true;
        switch (f.type) {
        case FieldType::Character:
            ok = f.length >= 1 && f.length <= 254;
            f.decimals = 0;
            break;
        case FieldType::Numeric:
        case FieldType::Float:
            ok = f.length >= 1 && f.length <= 20 && f.decimals >= 0 &&
                 (f.decimals == 0 || f.decimals <= f.length - 2);
            break;
        case FieldType::Date:
            f.length = 8;
            f.decimals = 0;
            break;
        case FieldType::Logical:
            f.length = 1;
            f.decimals = 0;
            break;
        default:
            ok = false;
        }
        if (!ok)
            throw Error("Field '" + name + "' has an impossible type or width (" + label + ")");
        char *d = header.data() + 32 + 32 * i;
        std::memcpy(d, name.data(), name.size());
        d[11] = static_cast<char>(f.type);
        d[16] = static_cast<char>(f.length);
        d[17] = static_cast<char>(f.decimals);
        recordLength += f.length;
    }
    if (recordLength > 65535) throw Error("The records of " + label + " would be too long");
    header[0] = 0x03;
    putHeaderDate(header.data() + 1);
    putLe16(header.data() + 8, static_cast<uint16_t>(header.size()));
    putLe16(header.data() + 10, static_cast<uint16_t>(recordLength));
    header[29] = 0x57; // Windows-1252
    header.back() = 0x0D;
    header.push_back(0x1A);

    // A table that another user has open is not replaced under them.
    const int existing = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
    if (existing >= 0) {
        const bool busy = ofdConflict(existing, F_WRLCK, kOpenLock, 1) ||
                          ofdConflict(existing, F_WRLCK, kExclusiveStart, kExclusiveLength);
        ::close(existing);
        if (busy)
            throw Error("Table " + label +
                        " is in use by another user or program and cannot be replaced");
    }
    replaceFile(
        m_path,
        [&header](int fd, const std::string &tmp) {
            writeAtOrThrow(fd, header.data(), header.size(), 0, tmp);
        },
        "create:before-rename");
    // An index file left from an earlier table of that name does not belong to this one.
    ::unlink(indexFilePath().c_str());
}

// ---- fields ---------------------------------------------------------------------------

const FieldInfo &Table::field(int index) const
{
    if (index < 0 || index >= fieldCount())
        throw Error("Field number " + std::to_string(index + 1) + " does not exist in " +
                    fileLabel(m_path));
    return m_fields[index];
}

int Table::fieldIndex(const std::string &name) const
{
    const std::string want = upper(name);
    for (int i = 0; i < fieldCount(); ++i)
        if (upper(m_fields[i].name) == want) return i;
    return -1;
}

int Table::fieldByName(const std::string &name) const
{
    const int i = fieldIndex(name);
    if (i < 0) throw Error("Field '" + upper(name) + "' not found in " + fileLabel(m_path));
    return i;
}

const char *Table::recordBytes(uint32_t recno) const
{
    return m_cache->get(recno, m_recordCount);
}

const char *Table::currentRecord() const
{
    if (m_filterRecord) return m_filterRecord;
    if (m_state == State::Edit || m_state == State::Insert) return m_buffer.data();
    if (m_currentRecno && m_state == State::Browse) return recordBytes(m_currentRecno);
    return nullptr;
}

bool Table::isNull(int index) const
{
    const FieldInfo &f = field(index);
    const char *rec = currentRecord();
    if (!rec) return true;
    return trimBlanks(std::string_view(rec + f.offset, f.length)).empty();
}

std::string Table::asString(int index) const
{
    const FieldInfo &f = field(index);
    const char *rec = currentRecord();
    if (!rec) return {};
    const std::string_view raw(rec + f.offset, f.length);
    switch (f.type) {
    case FieldType::Character: {
        const std::string_view v = trimRight(raw);
        for (char c : v)
            if (static_cast<unsigned char>(c) >= 0x80) return cp1252ToUtf8(v);
        return std::string(v);
    }
    case FieldType::Numeric:
    case FieldType::Float: {
        double v = 0;
        if (trimBlanks(raw).empty()) return {};
        if (!parseDouble(raw, v)) return cp1252ToUtf8(trimBlanks(raw));
        return numberText(v, f.decimals);
    }
    case FieldType::Date: {
        bool ok = true;
        const Date d = Date::fromDtos(raw, &ok);
        if (!ok) return cp1252ToUtf8(trimBlanks(raw));
        return DateStyle::current().format(d);
    }
    case FieldType::Logical:
        switch (raw[0]) {
        case 'T':
        case 't':
        case 'Y':
        case 'y':
            return "T";
        case 'F':
        case 'f':
        case 'N':
        case 'n':
            return "F";
        default:
            return {};
        }
    default:
        return cp1252ToUtf8(trimBlanks(raw));
    }
}

double Table::asFloat(int index) const
{
    const FieldInfo &f = field(index);
    const char *rec = currentRecord();
    if (!rec || f.type == FieldType::Date || f.type == FieldType::Logical) return 0;
    double v = 0;
    return parseDouble(std::string_view(rec + f.offset, f.length), v) ? v : 0;
}

Date Table::asDate(int index) const
{
    const FieldInfo &f = field(index);
    const char *rec = currentRecord();
    if (!rec) return {};
    if (f.type == FieldType::Date)
        return Date::fromDtos(std::string_view(rec + f.offset, f.length));
    Date d;
    DateStyle::current().parse(asString(index), d);
    return d;
}

char *Table::editBuffer(int index)
{
    const FieldInfo &f = field(index);
    if (m_state != State::Edit && m_state != State::Insert)
        throw Error("Cannot change field '" + f.name + "': " + fileLabel(m_path) +
                    " is not in edit or append mode");
    if (f.type == FieldType::Logical || f.type == FieldType::Memo)
        throw Error("Field '" + f.name + "' of " + fileLabel(m_path) + " cannot be changed");
    return m_buffer.data() + f.offset;
}

void Table::clearField(int index)
{
    char *p = editBuffer(index);
    std::memset(p, ' ', m_fields[index].length);
}

void Table::setAsString(int index, const std::string &value)
{
    char *p = editBuffer(index);
    const FieldInfo &f = m_fields[index];
    switch (f.type) {
    case FieldType::Character: {
        const std::string bytes = utf8ToCp1252(value);
        std::memset(p, ' ', f.length);
        std::memcpy(p, bytes.data(), std::min<std::size_t>(bytes.size(), f.length));
        return;
    }
    case FieldType::Numeric:
    case FieldType::Float: {
        if (trimBlanks(value).empty() || std::all_of(value.begin(), value.end(), [](char c) {
                return std::isspace(static_cast<unsigned char>(c));
            })) {
            clearField(index);
            return;
        }
        double v = 0;
        if (!parseDouble(value, v))
            throw Error("'" + value + "' is not a valid number for field '" + f.name + "'");
        setAsFloat(index, v);
        return;
    }
    case FieldType::Date: {
        Date d;
        if (!DateStyle::current().parse(value, d))
            throw Error("'" + value + "' is not a valid date");
        setAsDate(index, d);
        return;
    }
    default:
        return;
    }
}

void Table::setAsFloat(int index, double value)
{
    char *p = editBuffer(index);
    const FieldInfo &f = m_fields[index];
    if (f.type == FieldType::Character) {
        setAsString(index, numberText(value, 6));
        return;
    }
    if (!f.isNumeric()) throw Error("Field '" + f.name + "' does not hold numbers");
    if (!std::isfinite(value)) throw Error("Field '" + f.name + "' cannot hold that value");
    if (value == 0) value = 0; // no "-0.00"
    const std::string text = fixedText(value, f.decimals);
    if (static_cast<int>(text.size()) > f.length)
        throw Error("The value " + numberText(value, f.decimals) + " does not fit field '" +
                    f.name + "' (" + std::to_string(f.length) + " characters)");
    std::memset(p, ' ', f.length - text.size());
    std::memcpy(p + f.length - text.size(), text.data(), text.size());
}

void Table::setAsDate(int index, const Date &value)
{
    char *p = editBuffer(index);
    const FieldInfo &f = m_fields[index];
    if (f.type == FieldType::Character) {
        setAsString(index, DateStyle::current().format(value));
        return;
    }
    if (f.type != FieldType::Date) throw Error("Field '" + f.name + "' does not hold dates");
    if (!value.isNull() && !value.isValid())
        throw Error("'" + std::to_string(value.year) + "-" + std::to_string(value.month) + "-" +
                    std::to_string(value.day) + "' is not a valid date");
    const std::string text = value.toDtos();
    std::memcpy(p, text.data(), 8);
}

// ---- cursor ---------------------------------------------------------------------------

bool Table::accepts(const char *record)
{
    if (record[0] == '*') return false;
    if (!m_filter) return true;
    struct Reset {
        const char *&r;
        ~Reset() { r = nullptr; }
    } reset{m_filterRecord};
    m_filterRecord = record;
    return m_filter(*this);
}

// Visits every record in file order, reading large blocks past the cache.
template <class Fn> void Table::scanRecords(Fn &&fn, const char *what) const
{
    const uint32_t perBlock = std::max<uint32_t>(1, (1u << 20) / m_recordLength);
    std::vector<char> block(static_cast<std::size_t>(perBlock) * m_recordLength);
    for (uint32_t first = 1; first <= m_recordCount; first += perBlock) {
        const uint32_t n = std::min(perBlock, m_recordCount - first + 1);
        if (what && !report(what, first - 1, m_recordCount))
            throw Error(std::string(what) + " was cancelled.  " + fileLabel(m_path) +
                        " is unchanged.");
        readAtOrThrow(m_fd, block.data(), static_cast<std::size_t>(n) * m_recordLength,
                      m_headerLength + static_cast<uint64_t>(first - 1) * m_recordLength, m_path);
        for (uint32_t i = 0; i < n; ++i)
            fn(first + i, block.data() + static_cast<std::size_t>(i) * m_recordLength);
    }
}

void Table::invalidateRows()
{
    m_cursor.invalidateRows();
}

void Table::buildRows()
{
    // Decide in file order (sequential reads), then deliver in the cursor's order.
    std::vector<bool> ok(static_cast<std::size_t>(m_recordCount) + 1, false);
    // Not to be cancelled: the progress says what is going on, its answer is not asked.
    const Progress &progress = m_progress;
    uint32_t reported = 0;
    scanRecords([&](uint32_t r, const char *rec) {
        ok[r] = accepts(rec);
        if (progress && r - reported >= 1024) {
            progress("Reading the records", r, m_recordCount);
            reported = r;
        }
    });
    m_cursor.buildRows(m_recordCount, ok);
}

bool Table::report(const std::string &what, uint64_t done, uint64_t total) const
{
    return !m_progress || m_progress(what, done, total);
}

// The cursor on its current record when it is still delivered, else on the row at its
// place.
void Table::placeCursor()
{
    const int rows = m_cursor.rowCount();
    int row = m_currentRecno ? m_cursor.rowOf(m_currentRecno) : -1;
    if (row < 0) row = std::min<int>(std::max(m_row, 0), rows - 1);
    m_row = row;
    m_currentRecno = row >= 0 ? m_cursor.recnoAt(row) : 0;
    m_eof = m_bof = rows == 0;
}

// The cursor on the first delivered record. While the rows are not built only the first
// few candidates are looked at, so that opening a table does not read all of it: the
// rows are built when a count, a position or a move needs them.
void Table::startAtFirst()
{
    m_row = -1;
    m_currentRecno = 0;
    if (!m_cursor.rowsValid()) {
        const std::size_t candidates = m_cursor.keyed() ? m_cursor.orderSize() : m_recordCount;
        const std::size_t tries = std::min<std::size_t>(candidates, 256);
        for (std::size_t i = 0; i < tries; ++i) {
            const uint32_t r =
                m_cursor.keyed() ? m_cursor.orderAt(i) : static_cast<uint32_t>(i + 1);
            if (r < 1 || r > m_recordCount || !accepts(recordBytes(r))) continue;
            m_row = 0;
            m_currentRecno = r;
            m_bof = true;
            m_eof = false;
            return;
        }
        if (tries == candidates) {
            m_eof = m_bof = true; // nothing is delivered
            return;
        }
    }
    positionAt(0);
    m_bof = true;
    m_eof = m_cursor.rowCount() == 0;
}

void Table::ensureRows()
{
    if (m_cursor.rowsValid() || !isOpen()) return;
    buildRows();
    // Keep the current record when it is still delivered, else the row at its place.
    const bool eof = m_eof, bof = m_bof;
    placeCursor();
    if (m_cursor.rowCount() > 0) {
        m_eof = eof;
        m_bof = bof;
    }
}

int Table::rowOf(uint32_t recno)
{
    ensureRows();
    return m_cursor.rowOf(recno);
}

void Table::positionAt(int row)
{
    ensureRows();
    if (m_cursor.rowCount() == 0) {
        m_row = -1;
        m_currentRecno = 0;
        m_eof = m_bof = true;
        return;
    }
    m_row = std::clamp(row, 0, m_cursor.rowCount() - 1);
    m_currentRecno = m_cursor.recnoAt(m_row);
}

void Table::first()
{
    requireOpen("move to the first record");
    if (m_state != State::Browse) post();
    positionAt(0);
    m_bof = true;
    m_eof = m_cursor.rowCount() == 0;
    notify(Event::Moved);
}

void Table::last()
{
    requireOpen("move to the last record");
    if (m_state != State::Browse) post();
    ensureRows();
    positionAt(m_cursor.rowCount() - 1);
    m_eof = true;
    m_bof = m_cursor.rowCount() == 0;
    notify(Event::Moved);
}

void Table::next()
{
    requireOpen("move to the next record");
    if (m_state != State::Browse) post();
    ensureRows();
    if (m_row + 1 < m_cursor.rowCount()) {
        positionAt(m_row + 1);
        m_bof = false;
        m_eof = false;
    } else {
        m_eof = true;
    }
    notify(Event::Moved);
}

void Table::prior()
{
    requireOpen("move to the previous record");
    if (m_state != State::Browse) post();
    ensureRows();
    if (m_row > 0) {
        positionAt(m_row - 1);
        m_eof = false;
        m_bof = false;
    } else {
        m_bof = true;
    }
    notify(Event::Moved);
}

bool Table::isEmpty()
{
    return recordCount() == 0;
}

int Table::recordCount()
{
    if (!isOpen()) return 0;
    ensureRows();
    return m_cursor.rowCount();
}

void Table::moveToRow(int row)
{
    requireOpen("move to a record");
    if (m_state != State::Browse) post();
    positionAt(row);
    m_eof = m_bof = m_cursor.rowCount() == 0;
    notify(Event::Moved);
}

uint32_t Table::recNo() const
{
    if (m_state == State::Insert) return 0;
    return m_currentRecno;
}

bool Table::moveToRecNo(uint32_t recno)
{
    requireOpen("move to a record");
    const int row = rowOf(recno);
    if (row < 0) return false;
    moveToRow(row);
    return true;
}

void Table::setFilter(Filter filter)
{
    m_filter = std::move(filter);
    refilter();
}

void Table::refilter()
{
    if (!isOpen()) return;
    invalidateRows();
    ensureRows();
    m_eof = m_bof = m_cursor.rowCount() == 0;
    notify(Event::Reset);
}

void Table::refresh()
{
    requireBrowse("refresh");
    char h[12];
    readAtOrThrow(m_fd, h, sizeof h, 0, m_path);
    const uint32_t count = getLe32(h + 4);
    if (getLe16(h + 8) != m_headerLength || getLe16(h + 10) != m_recordLength)
        throw Error("The structure of " + fileLabel(m_path) +
                    " was changed by another program.  Open it again.");
    if (count > kMaxRecords)
        throw Error(fileLabel(m_path) + " is damaged: its header counts " + std::to_string(count) +
                    " records");
    const uint64_t size = fileSize(m_fd, m_path);
    if (m_headerLength + static_cast<uint64_t>(count) * m_recordLength > size)
        throw Error(fileLabel(m_path) +
                    " is damaged: its header counts more records than the file holds");
    m_recordCount = count;
    m_cache->clear();
    if (m_mdx.isOpen()) {
        if (m_indexTag >= 0) {
            m_indexTag = m_mdx.findTag(m_indexName);
            if (m_indexTag < 0) {
                m_indexName.clear();
                m_cursor.setNatural();
            } else {
                loadOrder();
            }
        }
    }
    invalidateRows();
    ensureRows();
    m_eof = m_bof = m_cursor.rowCount() == 0;
    notify(Event::Reset);
}

// ---- index selection ------------------------------------------------------------------

void Table::loadOrder()
{
    // Read the tree while no other handle is changing it (writers hold the header byte).
    const ByteLock lock = indexReadLock(m_fd, !m_openedExclusive, m_path);
    m_mdx.reload();
    const MdxFile::Tag &tag = m_mdx.tags().at(m_indexTag);
    const int kl = tag.keyLength;
    std::vector<uint32_t> order;
    order.reserve(m_recordCount);
    std::vector<char> keys(static_cast<std::size_t>(m_recordCount) * kl, ' ');
    std::vector<bool> seen(static_cast<std::size_t>(m_recordCount) + 1, false);
    bool sorted = true;
    std::vector<char> lastKey(static_cast<std::size_t>(kl));
    uint64_t visited = 0;
    m_mdx.walk(m_indexTag, [&](const char *key, uint32_t recno) {
        if (m_progress && (++visited & 0xFFFF) == 0)
            m_progress("Reading the index", visited, m_recordCount);
        if (recno < 1 || recno > m_recordCount || seen[recno])
            return; // entries of records this handle cannot see yet
        seen[recno] = true;
        std::memcpy(keys.data() + static_cast<std::size_t>(recno - 1) * kl, key, kl);
        if (!order.empty()) {
            // Against a copy of the previous key: the key array is in record number order.
            const uint32_t prev = order.back();
            const int c = std::memcmp(lastKey.data(), key, kl);
            if (c > 0 || (c == 0 && prev > recno)) sorted = false;
        }
        std::memcpy(lastKey.data(), key, kl);
        order.push_back(recno);
    });
    if (!sorted) {
        // Written by a program that orders keys otherwise: keep our own order in memory.
        std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
            const int c = std::memcmp(keys.data() + static_cast<std::size_t>(a - 1) * kl,
                                      keys.data() + static_cast<std::size_t>(b - 1) * kl, kl);
            return c < 0 || (c == 0 && a < b);
        });
    }
    m_cursor.setKeyed(kl, std::move(keys), order);
}

void Table::setIndexName(const std::string &tag)
{
    if (!isOpen()) {
        m_indexName = tag;
        return;
    }
    requireBrowse("change the index");
    // The records delivered stay the same: only their order changes.
    const bool hadRows = m_cursor.rowsValid();
    const std::vector<bool> delivered =
        hadRows ? m_cursor.deliveredFlags(m_recordCount) : std::vector<bool>();
    if (tag.empty()) {
        m_indexName.clear();
        m_indexTag = -1;
        m_cursor.setNatural();
    } else {
        const int t = m_mdx.isOpen() ? m_mdx.findTag(tag) : -1;
        if (t < 0 || !m_tagStates[t].expression)
            throw Error("Index tag '" + tag + "' not found for " + fileLabel(m_path));
        m_indexName = tag;
        m_indexTag = t;
        if (!m_builtTag.empty() && upper(m_builtTag) == upper(tag)) {
            m_cursor.setKeyed(m_mdx.tags()[t].keyLength, std::move(m_builtKeys), m_builtOrder);
            m_builtTag.clear();
            m_builtOrder = {};
        } else {
            loadOrder();
        }
    }
    if (hadRows) {
        m_cursor.buildRows(m_recordCount, delivered);
        placeCursor();
    } else {
        startAtFirst();
    }
    notify(Event::Reset);
}

std::vector<std::string> Table::indexTagNames()
{
    std::vector<std::string> names;
    if (isOpen()) {
        for (const auto &t : m_mdx.tags())
            names.push_back(t.name);
        return names;
    }
    openFile(false);
    for (const auto &t : m_mdx.tags())
        names.push_back(t.name);
    closeFile();
    return names;
}

// ---- editing --------------------------------------------------------------------------

namespace
{

std::string savedButNotIndexed(const std::string &path, const std::string &why)
{
    return "The record was saved in " + fileLabel(path) + ", but its index could not be updated (" +
           why + ").  Rebuild the indexes.";
}

} // namespace

void Table::unlockByte(uint64_t offset)
{
    ofdLock(m_fd, F_UNLCK, offset, 1, false);
}

void Table::append()
{
    requireWritable("append a record");
    if (m_state != State::Browse) post();
    m_buffer.assign(m_recordLength, ' ');
    m_state = State::Insert;
    notify(Event::Moved);
}

void Table::edit()
{
    requireWritable("edit a record");
    if (m_state == State::Edit || m_state == State::Insert) return;
    ensureRows();
    if (!m_currentRecno) throw Error("There is no record to edit in " + fileLabel(m_path));
    const uint32_t recno = m_currentRecno;
    if (!m_openedExclusive && !ofdLock(m_fd, F_WRLCK, kHeaderLock - recno, 1, false))
        throw Error("Record " + std::to_string(recno) + " is locked by another user");
    m_lockedRecord = !m_openedExclusive;
    try {
        // Edit what is on disk now, not what this handle read earlier.
        m_buffer.resize(m_recordLength);
        readAtOrThrow(m_fd, m_buffer.data(), m_recordLength, recordOffset(recno), m_path);
        m_cache->update(recno, m_buffer.data());
        if (m_buffer[0] == '*')
            throw Error("Record " + std::to_string(recno) + " was deleted by another user");
    } catch (...) {
        if (m_lockedRecord) unlockByte(kHeaderLock - recno);
        m_lockedRecord = false;
        throw;
    }
    m_editRecno = recno;
    m_state = State::Edit;
}

uint64_t Table::recordOffset(uint32_t recno) const
{
    return m_headerLength + static_cast<uint64_t>(recno - 1) * m_recordLength;
}

void Table::writeHeaderCount(uint32_t count)
{
    char h[7];
    putHeaderDate(h);
    putLe32(h + 3, count);
    writeAtOrThrow(m_fd, h, sizeof h, 1, m_path);
}

// Every tag of the index file learns the record's new key (and forgets the old one).
// The selected tag's order in memory changes first, so the cursor is right even when the
// file cannot be written.
void Table::updateIndexes(uint32_t recno, const char *before, const char *after)
{
    if (!m_mdx.isOpen()) return;
    m_builtTag.clear();
    std::vector<std::pair<std::string, std::string>> changes(m_tagStates.size());
    for (std::size_t t = 0; t < m_tagStates.size(); ++t) {
        const auto &e = m_tagStates[t].expression;
        if (!e) continue;
        std::string oldKey = before ? e->evaluate(before) : std::string();
        std::string newKey = e->evaluate(after);
        if (before && oldKey == newKey) continue;
        if (static_cast<int>(t) == m_indexTag) m_cursor.setKey(recno, newKey.data());
        changes[t] = {std::move(oldKey), std::move(newKey)};
    }
    // Another user may have changed the file since this handle read or wrote it.
    m_mdx.reloadIfChanged();
    for (std::size_t t = 0; t < changes.size(); ++t) {
        if (changes[t].second.empty()) continue;
        if (before)
            m_mdx.remove(static_cast<int>(t), changes[t].first.data(),
                         recno); // absent: nothing to undo
        m_mdx.insert(static_cast<int>(t), changes[t].second.data(), recno);
    }
}

// Puts the cursor on the record when it is delivered, else keeps the row.
void Table::reposition(uint32_t recno)
{
    m_currentRecno = recno;
    ensureRows();
    const int row = rowOf(recno);
    if (row >= 0) {
        m_row = row;
        m_currentRecno = recno;
    } else {
        positionAt(m_row);
    }
    m_eof = m_bof = m_cursor.rowCount() == 0;
}

void Table::post()
{
    requireOpen("save the record");
    if (m_state == State::Edit)
        postEdit();
    else if (m_state == State::Insert)
        postAppend();
}

void Table::postEdit()
{
    const uint32_t recno = m_editRecno;
    const uint64_t at = recordOffset(recno);
    ByteLock header(m_fd, kHeaderLock, !m_openedExclusive, m_path);
    std::vector<char> before(m_recordLength);
    readAtOrThrow(m_fd, before.data(), before.size(), at, m_path);
    markChange();
    writeAtOrThrow(m_fd, m_buffer.data(), m_recordLength, at, m_path);
    // The record is saved: from here on the edit is over whatever else fails.
    m_cache->update(recno, m_buffer.data());
    if (m_lockedRecord) unlockByte(kHeaderLock - recno);
    m_lockedRecord = false;
    m_state = State::Browse;
    m_cursor.removeRow(recno); // before its key changes
    std::string indexError;
    try {
        char d[3];
        putHeaderDate(d);
        writeAtOrThrow(m_fd, d, sizeof d, 1, m_path);
        updateIndexes(recno, before.data(), m_buffer.data());
    } catch (const Error &e) {
        indexError = e.what();
    }
    const std::string flushError = finishChange(!indexError.empty());
    header.release();
    finishPost(recno, indexError);
    if (!flushError.empty()) throw Error(flushError);
}

// After a post: the record joins the cursor, and an index that could not follow is said.
void Table::finishPost(uint32_t recno, const std::string &indexError)
{
    if (m_cursor.rowsValid() && accepts(recordBytes(recno))) m_cursor.insertRow(recno);
    reposition(recno);
    notify(Event::RecordChanged);
    if (!indexError.empty()) throw Error(savedButNotIndexed(m_path, indexError));
}

// The record and the end marker first, then the header count, then the index: a failure
// before the count is written leaves the table as it was.
void Table::postAppend()
{
    ByteLock appendLock(m_fd, kAppendLock, !m_openedExclusive, m_path);
    ByteLock header(m_fd, kHeaderLock, !m_openedExclusive, m_path);
    char h[8];
    readAtOrThrow(m_fd, h, sizeof h, 0, m_path);
    const uint32_t diskCount = getLe32(h + 4);
    if (diskCount >= kMaxRecords) throw Error(fileLabel(m_path) + " cannot hold more records");
    const uint32_t recno = diskCount + 1;
    const uint64_t at = recordOffset(recno);
    // Records appended by another program that may not count its index changes: the index
    // blocks this handle holds are read again.
    if (diskCount != m_recordCount && m_mdx.isOpen()) m_mdx.forgetBlocks();
    std::vector<char> bytes(m_buffer);
    bytes.push_back(0x1A);
    markChange();
    try {
        writeAtOrThrow(m_fd, bytes.data(), bytes.size(), at, m_path);
        faultPoint("append:before-count");
        writeHeaderCount(recno);
    } catch (...) {
        // Put the end marker back where it was.
        const char eof = 0x1A;
        writePoint();
        if (::ftruncate(m_fd, static_cast<off_t>(at)) == 0)
            ::pwrite(m_fd, &eof, 1, static_cast<off_t>(at));
        finishChange(false); // the index was not touched: the mark goes as well
        throw;
    }
    // The record is saved. Records others appended meanwhile come in at the next refresh.
    m_recordCount = recno;
    m_cache->update(recno, m_buffer.data());
    m_state = State::Browse;
    std::string indexError;
    try {
        updateIndexes(recno, nullptr, m_buffer.data());
    } catch (const Error &e) {
        indexError = e.what();
    }
    const std::string flushError = finishChange(!indexError.empty());
    header.release();
    appendLock.release();
    finishPost(recno, indexError);
    if (!flushError.empty()) throw Error(flushError);
}

void Table::cancel()
{
    if (m_state == State::Edit && m_lockedRecord) unlockByte(kHeaderLock - m_editRecno);
    m_lockedRecord = false;
    if (m_state == State::Edit || m_state == State::Insert) {
        m_state = State::Browse;
        notify(Event::Moved);
    }
}

void Table::deleteRecord()
{
    requireWritable("delete a record");
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    ensureRows();
    const uint32_t recno = m_state == State::Edit ? m_editRecno : m_currentRecno;
    if (!recno) throw Error("There is no record to delete in " + fileLabel(m_path));
    bool locked = m_state == State::Edit && m_lockedRecord;
    if (!locked && !m_openedExclusive) {
        if (!ofdLock(m_fd, F_WRLCK, kHeaderLock - recno, 1, false))
            throw Error("Record " + std::to_string(recno) + " is locked by another user");
        locked = true;
    }
    std::string flushError;
    try {
        ByteLock header(m_fd, kHeaderLock, !m_openedExclusive, m_path);
        markChange();
        const char mark = '*';
        writeAtOrThrow(m_fd, &mark, 1, recordOffset(recno), m_path);
        flushError = finishChange(false);
    } catch (...) {
        if (locked && m_state != State::Edit) unlockByte(kHeaderLock - recno);
        throw;
    }
    if (locked) unlockByte(kHeaderLock - recno);
    m_lockedRecord = false;
    m_state = State::Browse;
    std::vector<char> rec(recordBytes(recno), recordBytes(recno) + m_recordLength);
    rec[0] = '*';
    m_cache->update(recno, rec.data());
    const int row = rowOf(recno);
    m_cursor.removeRow(recno);
    m_currentRecno = 0;
    positionAt(row >= 0 ? row : m_row);
    m_eof = m_bof = m_cursor.rowCount() == 0;
    notify(Event::RecordChanged);
    if (!flushError.empty()) throw Error(flushError);
}

// ---- index maintenance ----------------------------------------------------------------

template <class Fn> void Table::withMaintenance(const char *what, Fn &&fn)
{
    if (!isOpen()) {
        openFile(true);
        try {
            fn();
        } catch (...) {
            closeFile();
            throw;
        }
        closeFile();
        return;
    }
    requireBrowse(what);
    if (!m_openedExclusive)
        throw Error(std::string("Cannot ") + what + ": it needs exclusive use of " +
                    fileLabel(m_path));
    fn();
    // The work keeps the rows current when it can (it reads the table once at most).
    if (m_cursor.rowsValid())
        placeCursor();
    else
        startAtFirst();
    notify(Event::Reset);
}

std::vector<std::pair<std::string, std::string>> Table::currentTagDefs() const
{
    std::vector<std::pair<std::string, std::string>> defs;
    if (m_mdx.isOpen())
        for (const auto &t : m_mdx.tags())
            defs.emplace_back(t.name, t.expression);
    return defs;
}

// The keys of every tag from one pass over the table (unless they are built already),
// with the records the cursor delivers when asked for, then each tag's sorted order.
void Table::buildSortedOrders(const std::vector<Expression> &exprs,
                              std::vector<std::vector<char>> &keys,
                              std::vector<std::vector<uint32_t>> &orders, uint32_t count,
                              std::vector<bool> *delivered, bool keysBuilt)
{
    keys.resize(exprs.size());
    orders.resize(exprs.size());
    if (delivered) delivered->assign(static_cast<std::size_t>(count) + 1, false);
    if (!keysBuilt) {
        for (std::size_t t = 0; t < exprs.size(); ++t)
            keys[t].resize(static_cast<std::size_t>(count) * exprs[t].keyLength());
        // Deleted records stay in the index until a pack.
        scanRecords(
            [&](uint32_t r, const char *rec) {
                if (r > count) return;
                for (std::size_t t = 0; t < exprs.size(); ++t) {
                    const int kl = exprs[t].keyLength();
                    exprs[t].evaluate(rec, keys[t].data() + static_cast<std::size_t>(r - 1) * kl);
                }
                if (delivered) (*delivered)[r] = accepts(rec);
            },
            "Building the index");
    }
    for (std::size_t t = 0; t < exprs.size(); ++t) {
        const int kl = exprs[t].keyLength();
        orders[t] = sortedByKey(keys[t].data(), kl, count);
        if (!report("Building the index", count, count))
            throw Error(std::string("Building the index was cancelled.  ") + fileLabel(m_path) +
                        " is unchanged.");
    }
}

void Table::setMdxFlag(bool on, const std::vector<int> &taggedFields)
{
    const char flag = on ? 1 : 0;
    writeAtOrThrow(m_fd, &flag, 1, 28, m_path);
    for (int i = 0; i < fieldCount(); ++i) {
        const bool tagged =
            on && std::find(taggedFields.begin(), taggedFields.end(), i) != taggedFields.end();
        if (tagged == m_fields[i].hasMdxTag) continue;
        const char b = tagged ? 1 : 0;
        writeAtOrThrow(m_fd, &b, 1, 32 + 32 * static_cast<uint64_t>(i) + 31, m_path);
        m_fields[i].hasMdxTag = tagged;
    }
    m_mdxFlag = on;
}

void Table::rewriteIndexFile(const std::vector<std::pair<std::string, std::string>> &defs,
                             std::vector<std::vector<char>> *builtKeys)
{
    // The records stay the same: the rows are kept, in the new order, or built in the
    // same pass as the keys.
    m_builtTag.clear();
    const bool hadRows = m_cursor.rowsValid();
    std::vector<bool> delivered =
        hadRows ? m_cursor.deliveredFlags(m_recordCount) : std::vector<bool>();
    if (m_readOnly || !m_writableFile)
        throw Error("Cannot change the indexes: " + fileLabel(m_path) + " is read-only");
    if (defs.empty()) {
        setMdxFlag(false, {});
        m_mdx.close();
        m_tagStates.clear();
        writePoint();
        ::unlink(indexFilePath().c_str());
        m_indexTag = -1;
        m_indexName.clear();
        m_cursor.setNatural();
        if (hadRows) m_cursor.buildRows(m_recordCount, delivered);
        clearChangeMark();
        return;
    }
    BuiltIndex built = buildIndexFile(defs, builtKeys, hadRows || !isOpen() ? nullptr : &delivered);
    installIndexFile(built, defs);
    if (isOpen() && (hadRows || !builtKeys)) m_cursor.buildRows(m_recordCount, delivered);
}

// Writes the new index file beside the old one (newFilePath of the .MDX), from the
// records of the table file this handle reads now, or from keys built already; decides
// the delivered records in the same pass when asked for.
Table::BuiltIndex
Table::buildIndexFile(const std::vector<std::pair<std::string, std::string>> &defs,
                      std::vector<std::vector<char>> *builtKeys, std::vector<bool> *delivered)
{
    BuiltIndex built;
    for (const auto &d : defs)
        built.expressions.emplace_back(d.second, m_fields);
    if (builtKeys) built.keys = std::move(*builtKeys);
    buildSortedOrders(built.expressions, built.keys, built.orders, m_recordCount, delivered,
                      builtKeys != nullptr);
    std::vector<MdxFile::TagSource> sources;
    for (std::size_t i = 0; i < defs.size(); ++i) {
        const Expression &e = built.expressions[i];
        const int kl = e.keyLength();
        const char *k = built.keys[i].data();
        sources.push_back(
            {defs[i].first, defs[i].second, kl, &built.orders[i],
             [k, kl](uint32_t r) { return k + static_cast<std::size_t>(r - 1) * kl; }});
        if (e.singleField() >= 0) built.taggedFields.push_back(e.singleField());
    }
    const std::string mdxPath = indexFilePath();
    const bool newIndexFile = ::access(mdxPath.c_str(), F_OK) != 0;
    MdxFile::create(mdxPath, m_tableName.substr(0, m_tableName.find('.')), sources, false);
    if (newIndexFile) {
        // A new index file may be written by whoever may write the table.
        const int mdxFd = ::open(newFilePath(mdxPath).c_str(), O_RDONLY | O_CLOEXEC);
        if (mdxFd >= 0) {
            keepModeOf(m_path, mdxFd);
            ::close(mdxFd);
        }
    }
    return built;
}

// Renames the new index file over the old one and opens it; the index matches the table
// again, so the change mark is cleared.
void Table::installIndexFile(BuiltIndex &built,
                             const std::vector<std::pair<std::string, std::string>> &defs)
{
    const std::string mdxPath = indexFilePath();
    installNewFile(mdxPath);
    m_mdx.close();
    setMdxFlag(true, built.taggedFields);
    m_mdx.open(mdxPath, true);
    m_tagStates.clear();
    for (auto &e : built.expressions)
        m_tagStates.push_back(TagState{std::move(e)});
    // The selected tag's order is the one just built.
    m_indexTag = m_indexName.empty() ? -1 : m_mdx.findTag(m_indexName);
    if (m_indexTag < 0) {
        m_indexName.clear();
        m_cursor.setNatural();
        // Kept for selecting the tag that was just added.
        if (isOpen()) {
            m_builtTag = defs.back().first;
            m_builtKeys = std::move(built.keys.back());
            m_builtOrder = std::move(built.orders.back());
        }
    } else {
        m_cursor.setKeyed(m_mdx.tags()[m_indexTag].keyLength, std::move(built.keys[m_indexTag]),
                          built.orders[m_indexTag]);
    }
    clearChangeMark();
}

void Table::addIndex(const std::string &tag, const std::string &expression)
{
    if (!validFieldName(tag)) throw Error("'" + tag + "' is not a valid index tag name");
    withMaintenance("add an index", [&] {
        Expression check(expression, m_fields); // a bad expression fails before anything is written
        if (m_mdx.isOpen() && m_mdx.findTag(tag) >= 0)
            throw Error("Index tag '" + tag + "' already exists in " + fileLabel(indexFilePath()));
        auto defs = currentTagDefs();
        if (defs.size() >= static_cast<std::size_t>(MdxFile::kMaxTags))
            throw Error(fileLabel(indexFilePath()) + " cannot hold more index tags");
        defs.emplace_back(tag, expression);
        rewriteIndexFile(defs);
    });
}

void Table::deleteIndex(const std::string &tag)
{
    withMaintenance("delete an index", [&] {
        const int t = m_mdx.isOpen() ? m_mdx.findTag(tag) : -1;
        if (t < 0) throw Error("Index tag '" + tag + "' not found for " + fileLabel(m_path));
        auto defs = currentTagDefs();
        defs.erase(defs.begin() + t);
        if (upper(m_indexName) == upper(tag)) m_indexName.clear();
        rewriteIndexFile(defs);
    });
}

void Table::regenerateIndexes()
{
    withMaintenance("rebuild the indexes", [&] {
        if (m_mdxFlag) rewriteIndexFile(currentTagDefs());
    });
}

void Table::pack()
{
    withMaintenance("pack the table", [&] {
        if (m_readOnly || !m_writableFile)
            throw Error("Cannot pack " + fileLabel(m_path) + ": it is read-only");
        std::vector<char> header(m_headerLength);
        readAtOrThrow(m_fd, header.data(), header.size(), 0, m_path);
        // Crash-safe order: the packed table and its new index are both written beside the
        // old ones before the table is renamed in, then the index. The packed table carries
        // the change mark until its index is in place, so an open between the two renames
        // rebuilds the index.
        header[kChangeMark] = m_mdxFlag ? 1 : 0;
        // One pass: the live records are copied, their keys built under their new numbers
        // and the cursor's rows decided, so the index and the rows need no pass of their own.
        const auto defs = m_mdxFlag ? currentTagDefs() : decltype(currentTagDefs())();
        std::vector<Expression> exprs;
        try {
            for (const auto &d : defs)
                exprs.emplace_back(d.second, m_fields);
        } catch (const Error &) {
            exprs.clear(); // the rebuild below says what is wrong
        }
        std::vector<std::vector<char>> keys(exprs.size());
        for (std::size_t t = 0; t < exprs.size(); ++t)
            keys[t].reserve(static_cast<std::size_t>(m_recordCount) * exprs[t].keyLength());
        std::vector<bool> delivered(1, false);
        delivered.reserve(static_cast<std::size_t>(m_recordCount) + 1);
        BuiltIndex built;
        bool indexBuilt = false;
        uint32_t live = 0;
        int newFd = -1;
        try {
            newFd = replaceFile(
                m_path,
                [&](int fd, const std::string &tmp) {
                    writeAtOrThrow(fd, header.data(), header.size(), 0, tmp);
                    std::vector<char> out;
                    out.reserve(1 << 20);
                    uint64_t at = header.size();
                    scanRecords(
                        [&](uint32_t, const char *rec) {
                            if (rec[0] == '*') return;
                            out.insert(out.end(), rec, rec + m_recordLength);
                            ++live;
                            for (std::size_t t = 0; t < exprs.size(); ++t) {
                                const std::size_t kl =
                                    static_cast<std::size_t>(exprs[t].keyLength());
                                keys[t].resize(keys[t].size() + kl);
                                exprs[t].evaluate(rec, keys[t].data() + keys[t].size() - kl);
                            }
                            delivered.push_back(accepts(rec));
                            if (out.size() >= (1u << 20)) {
                                writeAtOrThrow(fd, out.data(), out.size(), at, tmp);
                                at += out.size();
                                out.clear();
                            }
                        },
                        "Packing the table");
                    out.push_back(0x1A);
                    writeAtOrThrow(fd, out.data(), out.size(), at, tmp);
                    char h[7];
                    putHeaderDate(h);
                    putLe32(h + 3, live);
                    writeAtOrThrow(fd, h, sizeof h, 1, tmp);
                },
                "pack:before-rename",
                [&](int fd) {
                    // The new file is ours alone before anyone can see it.
                    if (!ofdLock(fd, F_WRLCK, kOpenLock, 1, false) ||
                        !ofdLock(fd, F_WRLCK, kExclusiveStart, kExclusiveLength, false))
                        throw Error("Cannot lock the packed copy of " + fileLabel(m_path));
                    if (defs.empty()) return;
                    // The new index, from the packed records (their keys, when they could
                    // all be built during the copy).
                    struct Swap {
                        Table *t;
                        int fd;
                        uint32_t count;
                        ~Swap()
                        {
                            t->m_fd = fd;
                            t->m_recordCount = count;
                        }
                    } restore{this, m_fd, m_recordCount};
                    m_fd = fd;
                    m_recordCount = live;
                    built = buildIndexFile(defs, exprs.size() == defs.size() ? &keys : nullptr,
                                           nullptr);
                    indexBuilt = true;
                },
                true);
        } catch (...) {
            ::unlink(newFilePath(indexFilePath()).c_str());
            throw;
        }
        ::close(m_fd);
        m_fd = newFd;
        m_recordCount = live;
        m_cache = std::make_unique<RecordCache>(m_fd, m_path, m_headerLength, m_recordLength);
        m_currentRecno = 0;
        m_row = 0;
        m_changeMarked = m_mdxFlag;
        m_session = false; // its lock went with the old file
        m_builtTag.clear();
        m_cursor.setNatural();
        m_cursor.buildRows(live, delivered);
        if (!m_mdxFlag) return;
        try {
            faultPoint("pack:before-index-rename");
            if (indexBuilt) {
                installIndexFile(built, defs);
                m_cursor.buildRows(live, delivered); // in the new order
            } else {
                rewriteIndexFile(defs);
            }
        } catch (const Error &e) {
            // The old index points at the old record numbers: drop it rather than keep it.
            m_mdx.close();
            m_tagStates.clear();
            m_indexTag = -1;
            m_indexName.clear();
            m_cursor.setNatural();
            ::unlink(indexFilePath().c_str());
            ::unlink(newFilePath(indexFilePath()).c_str());
            try {
                setMdxFlag(false, {});
                clearChangeMark();
            } catch (const Error &) {
            }
            throw Error("The table " + fileLabel(m_path) +
                        " was packed, but its index could not be rebuilt (" + e.what() +
                        ").  Open it again to build the index.");
        }
    });
}

// ---- attached views -------------------------------------------------------------------

int Table::addListener(Listener listener)
{
    const int id = m_nextListener++;
    m_listeners.emplace_back(id, std::move(listener));
    return id;
}

void Table::removeListener(int id)
{
    m_listeners.remove_if([id](const auto &p) { return p.first == id; });
}

void Table::disableControls()
{
    ++m_disableCount;
}

void Table::enableControls()
{
    if (m_disableCount == 0) return;
    if (--m_disableCount == 0 && m_suppressed) {
        m_suppressed = false;
        notify(Event::Reset);
    }
}

void Table::notify(Event event)
{
    if (m_disableCount > 0) {
        // A move alone needs no reset of the views afterwards.
        if (event != Event::Moved) m_suppressed = true;
        return;
    }
    const auto listeners = m_listeners; // a listener may remove itself
    for (const auto &l : listeners)
        l.second(event);
}

} // namespace dbase
