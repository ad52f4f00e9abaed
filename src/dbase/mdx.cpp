#include "dbase/mdx.h"

#include "dbase/error.h"
#include "dbase/fileio.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <unistd.h>

namespace dbase
{

namespace
{

constexpr int kHeaderPages = 4; // file header and tag table fill the first block pair
constexpr int kTagTableOffset = 544;
constexpr int kTagEntryLength = 32;
constexpr int kMaxDepth = 24;
constexpr int kSessionFlagOffset = 48; // in the zeroed part of the file header
constexpr int kChangeCountOffset = 52; // likewise: 4 bytes, counted up by each change of keys

int itemLengthFor(int keyLength)
{
    return (keyLength + 4 + 3) / 4 * 4;
}

// A block of a file of `pages` pages: the pair at `page` lies after the header pages and
// inside the file. Written so that no sum can wrap around.
bool blockInFile(uint32_t page, uint32_t pages)
{
    return page >= kHeaderPages && pages >= 2 && page <= pages - 2;
}

std::string upper(const std::string &s)
{
    std::string out = s;
    for (char &c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// Binary tree of tag names in the tag table: left, right and parent, 1-based.
void linkTagTree(std::vector<char> &file, int tagCount, const std::vector<std::string> &names)
{
    std::vector<int> left(tagCount, 0), right(tagCount, 0), parent(tagCount, 0);
    for (int i = 1; i < tagCount; ++i) {
        int at = 0;
        while (true) {
            if (upper(names[i]) < upper(names[at])) {
                if (!left[at]) {
                    left[at] = i + 1;
                    break;
                }
                at = left[at] - 1;
            } else {
                if (!right[at]) {
                    right[at] = i + 1;
                    break;
                }
                at = right[at] - 1;
            }
        }
        parent[i] = at + 1;
    }
    for (int i = 0; i < tagCount; ++i) {
        char *e = file.data() + kTagTableOffset + i * kTagEntryLength;
        e[16] = static_cast<char>(left[i]);
        e[17] = static_cast<char>(right[i]);
        e[18] = static_cast<char>(parent[i]);
    }
}

} // namespace

MdxFile::~MdxFile()
{
    close();
}

void MdxFile::create(const std::string &path, const std::string &tableName,
                     const std::vector<TagSource> &tags, bool install)
{
    if (tags.size() > static_cast<std::size_t>(kMaxTags))
        throw Error(fileLabel(path) + " cannot hold more than " + std::to_string(kMaxTags) +
                    " index tags");
    std::vector<char> file(kHeaderPages * 512, '\0');
    auto block = [&file]() {
        const std::size_t at = file.size();
        file.resize(at + kBlockSize, '\0');
        return static_cast<uint32_t>(at / 512);
    };
    auto at = [&file](uint32_t page) { return file.data() + static_cast<std::size_t>(page) * 512; };

    // The whole file is built in memory: room for it at once, not by repeated growth.
    std::size_t blocks = 0;
    for (const TagSource &src : tags) {
        const std::size_t perLeaf =
            std::max(1, ((kBlockSize - 12) / itemLengthFor(src.keyLength)) * 7 / 8);
        const std::size_t leaves = src.order ? src.order->size() / perLeaf + 1 : 1;
        blocks += 2 + leaves + leaves / 8 + 8;
    }
    file.reserve(file.size() + blocks * kBlockSize);

    std::vector<std::string> names;
    for (std::size_t t = 0; t < tags.size(); ++t) {
        const TagSource &src = tags[t];
        if (src.name.empty() || src.name.size() > 10)
            throw Error("Index tag name '" + src.name + "' must have 1 to 10 characters");
        if (src.expression.size() > 220)
            throw Error("Index expression '" + src.expression + "' is too long");
        names.push_back(src.name);
        const int keyLen = src.keyLength;
        const int itemLen = itemLengthFor(keyLen);
        const int maxKeys = (kBlockSize - 12) / itemLen;
        const uint32_t headerPage = block();

        // Leaves, filled in key order. Each keeps room for a few more keys, so that records
        // added later with keys all over the order do not split a leaf at every insert.
        const std::size_t leafFill = static_cast<std::size_t>(maxKeys - std::max(1, maxKeys / 8));
        struct Built {
            uint32_t page;
            uint32_t lastRecno;
        };
        std::vector<Built> level;
        const std::vector<uint32_t> &order = *src.order;
        std::size_t i = 0;
        do {
            const uint32_t page = block();
            char *b = at(page);
            const std::size_t n = std::min<std::size_t>(leafFill, order.size() - i);
            putLe32(b, static_cast<uint32_t>(n));
            for (std::size_t k = 0; k < n; ++k) {
                char *item = b + 8 + k * itemLen;
                putLe32(item, order[i + k]);
                std::memcpy(item + 4, src.keyOf(order[i + k]), keyLen);
            }
            level.push_back({page, n ? order[i + n - 1] : 0});
            i += n;
        } while (i < order.size());
        const uint32_t leftLeaf = level.front().page;
        const uint32_t rightLeaf = level.back().page;

        // Interior levels until one node is left; each node has up to maxKeys + 1 children,
        // spread evenly so that no node has a single child.
        while (level.size() > 1) {
            const std::size_t perNode = maxKeys + 1;
            const std::size_t nodes = (level.size() + perNode - 1) / perNode;
            std::vector<Built> up;
            std::size_t next = 0;
            for (std::size_t nd = 0; nd < nodes; ++nd) {
                const std::size_t take = (level.size() - next) / (nodes - nd);
                const uint32_t page = block();
                char *b = at(page);
                putLe32(b, static_cast<uint32_t>(take - 1));
                for (std::size_t k = 0; k + 1 < take; ++k) {
                    const Built &child = level[next + k];
                    char *item = b + 8 + k * itemLen;
                    putLe32(item, child.page);
                    std::memcpy(item + 4, src.keyOf(child.lastRecno), keyLen);
                }
                putLe32(b + 8 + (take - 1) * itemLen, level[next + take - 1].page);
                up.push_back({page, level[next + take - 1].lastRecno});
                next += take;
            }
            level.swap(up);
        }

        char *h = at(headerPage);
        putLe32(h, level.front().page);
        putLe32(h + 4, static_cast<uint32_t>(file.size() / 512 - headerPage));
        h[8] = 0x10;
        h[9] = 'C';
        h[11] = 0x1B;
        putLe16(h + 12, static_cast<uint16_t>(keyLen));
        putLe16(h + 14, static_cast<uint16_t>(maxKeys));
        putLe16(h + 18, static_cast<uint16_t>(itemLen));
        std::memcpy(h + 24, src.expression.data(), src.expression.size());
        h[246] = 1;
        putLe32(h + 248, leftLeaf);
        putLe32(h + 252, rightLeaf);

        char *e = file.data() + kTagTableOffset + t * kTagEntryLength;
        putLe32(e, headerPage);
        std::memcpy(e + 4, src.name.data(), src.name.size());
        e[15] = 0x10;
        e[19] = 0x02;
        e[20] = 'C';
    }
    linkTagTree(file, static_cast<int>(tags.size()), names);

    char *f = file.data();
    f[0] = 0x02;
    putHeaderDate(f + 1);
    const std::string dbfName = upper(tableName).substr(0, 16);
    std::memcpy(f + 4, dbfName.data(), dbfName.size());
    putLe16(f + 20, 2);
    putLe16(f + 22, kBlockSize);
    f[24] = 1;
    f[25] = 48;
    f[26] = kTagEntryLength;
    putLe16(f + 28, static_cast<uint16_t>(tags.size()));
    f[31] = 0x1B;
    putLe32(f + 32, static_cast<uint32_t>(file.size() / 512));
    putLe32(f + 36, static_cast<uint32_t>(file.size() / 512));
    putHeaderDate(f + 44);

    replaceFile(
        path,
        [&file](int fd, const std::string &tmp) {
            writeAtOrThrow(fd, file.data(), file.size(), 0, tmp);
        },
        "mdx:before-rename", {}, false, install);
}

void MdxFile::open(const std::string &path, bool writable)
{
    close();
    m_path = path;
    m_writable = writable;
    // A table that is written needs an index file that can be written too.
    m_fd = ::open(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    if (m_fd < 0) {
        const std::string why = errno == ENOENT ? "the file is missing" : errnoText();
        throw IndexError("Cannot open the index file " + fileLabel(path) + ": " + why);
    }
    try {
        reload();
    } catch (...) {
        close();
        throw;
    }
}

void MdxFile::close()
{
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    m_tags.clear();
    forgetBlocks();
    m_held.clear();
}

void MdxFile::forgetBlocks()
{
    // Interior blocks keep their memory for the next reading; leaves give theirs back.
    for (uint32_t page : m_heldLeaves)
        if (page < m_held.size() && m_held[page].leaf) m_held[page].data.reset();
    m_heldLeaves.clear();
    m_nextLeaf = 0;
    if (++m_generation == 0) {
        m_held.clear();
        m_generation = 1;
    }
    m_mustReload = true;
}

void MdxFile::damaged(const std::string &why) const
{
    throw IndexError("The index file " + fileLabel(m_path) + " is damaged (" + why +
                     ").  Rebuild the indexes.");
}

void MdxFile::reload()
{
    forgetBlocks();
    m_changeCounted = false;
    const uint64_t size = fileSize(m_fd, m_path);
    char head[kHeaderPages * 512];
    if (size < sizeof head || !readAt(m_fd, head, sizeof head, 0))
        damaged("the header is incomplete");
    if (head[0] != 0x02) damaged("it is not a dBase IV index file");
    if (getLe16(head + 20) != 2 || getLe16(head + 22) != kBlockSize)
        damaged("unsupported block size");
    const int tagCount = getLe16(head + 28);
    if (tagCount > kMaxTags || (head[26] != kTagEntryLength && tagCount > 0))
        damaged("bad tag table");
    m_pagesInFile = getLe32(head + 32);
    // 64-bit products: a page count near 2^32 must not wrap to a small size. Room for the
    // blocks an insert may add is kept below the 32-bit page limit.
    if (m_pagesInFile < kHeaderPages || static_cast<uint64_t>(m_pagesInFile) * 512 > size ||
        m_pagesInFile > UINT32_MAX - 2 * (kMaxDepth + 2))
        damaged("the page count does not match the file size");
    m_tags.clear();
    for (int t = 0; t < tagCount; ++t) {
        const char *e = head + kTagTableOffset + t * kTagEntryLength;
        Tag tag;
        tag.headerPage = getLe32(e);
        tag.name.assign(e + 4, strnlen(e + 4, 11));
        while (!tag.name.empty() && tag.name.back() == ' ')
            tag.name.pop_back();
        if (!blockInFile(tag.headerPage, m_pagesInFile))
            damaged("tag " + tag.name + " points outside the file");
        char h[kBlockSize];
        readBlock(tag.headerPage, h);
        tag.root = getLe32(h);
        tag.pagesUsed = getLe32(h + 4);
        tag.descending = (h[8] & 0x08) != 0;
        tag.unique = (h[8] & 0x40) != 0 || h[23] != 0;
        tag.keyType = h[9];
        tag.keyLength = getLe16(h + 12);
        tag.maxKeys = getLe16(h + 14);
        tag.itemLength = getLe16(h + 18);
        tag.expression.assign(h + 24, strnlen(h + 24, 220));
        tag.hasFilter = h[245] != 0;
        // The sizes are 16-bit values from the file: their product is taken in 64 bits, so
        // that 65,535 keys of 65,535 bytes cannot wrap round to a small block.
        if (tag.keyLength < 1 || tag.keyLength > 255 || tag.itemLength < tag.keyLength + 4 ||
            tag.maxKeys < 1 ||
            8 + static_cast<int64_t>(tag.maxKeys) * tag.itemLength + 4 > kBlockSize)
            damaged("tag " + tag.name + " has an impossible key layout");
        if (!blockInFile(tag.root, m_pagesInFile))
            damaged("tag " + tag.name + " has no root block");
        m_tags.push_back(std::move(tag));
    }
    m_changeCount = getLe32(head + kChangeCountOffset);
    m_mustReload = false;
}

bool MdxFile::reloadIfChanged()
{
    m_changeCounted = false;
    if (!m_mustReload) {
        char h[kChangeCountOffset + 4];
        if (readAt(m_fd, h, sizeof h, 0) && getLe32(h + 32) == m_pagesInFile &&
            getLe32(h + kChangeCountOffset) == m_changeCount)
            return false;
    }
    reload();
    return true;
}

// Before the first write of a change of keys: the count tells other handles that the
// blocks they hold are no longer what the file holds.
void MdxFile::countChange()
{
    if (m_changeCounted) return;
    char c[4];
    putLe32(c, m_changeCount + 1);
    writeAtOrThrow(m_fd, c, sizeof c, kChangeCountOffset, m_path);
    ++m_changeCount;
    m_changeCounted = true;
}

// Runs a change of keys. A change that fails half-way leaves blocks and tags in memory
// that may not match the file: they are read again before the next change.
template <class Fn> auto MdxFile::changing(Fn &&fn)
{
    try {
        countChange();
        return fn();
    } catch (...) {
        forgetBlocks();
        throw;
    }
}

void MdxFile::sync()
{
    if (m_fd >= 0) syncFile(m_fd, m_path);
}

bool MdxFile::sessionFlag() const
{
    char b = 0;
    if (!readAt(m_fd, &b, 1, kSessionFlagOffset)) damaged("the header is incomplete");
    return b != 0;
}

void MdxFile::setSessionFlag(bool on)
{
    const char b = on ? 1 : 0;
    writeAtOrThrow(m_fd, &b, 1, kSessionFlagOffset, m_path);
}

// Like walk(), with the same checks, but reading only the counts and child pages.
uint64_t MdxFile::countKeys(int t) const
{
    const Tag &tag = m_tags.at(t);
    const std::size_t itemLength = static_cast<std::size_t>(tag.itemLength);
    uint64_t keys = 0;
    uint32_t visits = 0;
    std::vector<char> block(kBlockSize);
    std::function<void(uint32_t, int)> rec = [&](uint32_t page, int depth) {
        if (depth > kMaxDepth || ++visits > m_pagesInFile / 2)
            damaged("the tree of tag " + tag.name + " loops or is too deep");
        readBlock(page, block.data());
        const uint32_t count = getLe32(block.data());
        if (count > static_cast<uint32_t>(tag.maxKeys))
            damaged("block " + std::to_string(page) + " holds too many keys");
        const uint32_t right = getLe32(block.data() + 8 + count * itemLength);
        if (right == 0) {
            keys += count;
            return;
        }
        std::vector<uint32_t> children(count + 1);
        for (uint32_t i = 0; i < count; ++i)
            children[i] = getLe32(block.data() + 8 + i * itemLength);
        children[count] = right;
        for (uint32_t child : children)
            rec(child, depth + 1);
    };
    rec(tag.root, 0);
    return keys;
}

int MdxFile::findTag(const std::string &name) const
{
    const std::string want = upper(name);
    for (std::size_t i = 0; i < m_tags.size(); ++i)
        if (upper(m_tags[i].name) == want) return static_cast<int>(i);
    return -1;
}

void MdxFile::readBlock(uint32_t page, char *buf) const
{
    if (!blockInFile(page, m_pagesInFile))
        damaged("block " + std::to_string(page) + " lies outside the file");
    const uint64_t at = static_cast<uint64_t>(page) * 512;
    if (m_useImage) {
        if (at + kBlockSize > m_image.size())
            damaged("block " + std::to_string(page) + " cannot be read");
        std::memcpy(buf, m_image.data() + at, kBlockSize);
        return;
    }
    if (!readAt(m_fd, buf, kBlockSize, at))
        damaged("block " + std::to_string(page) + " cannot be read");
}

void MdxFile::writeBlock(uint32_t page, const char *buf)
{
    if (page < m_held.size()) m_held[page].generation = 0;
    writeAtOrThrow(m_fd, buf, kBlockSize, static_cast<uint64_t>(page) * 512, m_path);
}

const char *MdxFile::heldBlock(uint32_t page) const
{
    if (page >= m_held.size()) return nullptr;
    const Held &h = m_held[page];
    return h.generation == m_generation && h.data ? h.data.get() : nullptr;
}

void MdxFile::remember(uint32_t page, const char *buf, bool leaf) const
{
    if (page >= m_held.size()) m_held.resize(std::max<std::size_t>(page + 1, m_pagesInFile));
    Held &h = m_held[page];
    const bool heldLeaf = h.generation == m_generation && h.data && h.leaf;
    if (!h.data) h.data.reset(new char[kBlockSize]);
    std::memcpy(h.data.get(), buf, kBlockSize);
    h.generation = m_generation;
    h.leaf = leaf;
    if (!leaf || heldLeaf) return;
    // Of the leaves only the last few stay: the oldest one goes.
    if (m_heldLeaves.size() < kLeavesKept) {
        m_heldLeaves.push_back(page);
        return;
    }
    const uint32_t old = m_heldLeaves[m_nextLeaf];
    if (old != page && old < m_held.size() && m_held[old].leaf) m_held[old].data.reset();
    m_heldLeaves[m_nextLeaf] = page;
    m_nextLeaf = (m_nextLeaf + 1) % kLeavesKept;
}

// The block of a node, from memory when this handle holds it, else read from the file
// into `buf` (and held from then on); its key count is checked against the tag's layout.
const char *MdxFile::nodeBlock(const Tag &tag, uint32_t page, char *buf, uint32_t &count,
                               bool &leaf) const
{
    const char *b = heldBlock(page);
    const bool fresh = !b;
    if (fresh) {
        readBlock(page, buf);
        b = buf;
    } else {
        // A held block of a large tree is seldom in the processor's cache: asking for all
        // of it at once costs one wait instead of one for each step of the search in it.
        for (int at = 0; at < kBlockSize; at += 64)
            __builtin_prefetch(b + at);
    }
    count = getLe32(b);
    if (count > static_cast<uint32_t>(tag.maxKeys))
        damaged("block " + std::to_string(page) + " holds too many keys");
    // count <= maxKeys and the layout check of reload() keep every item inside the block.
    if (8 + static_cast<std::size_t>(count) * static_cast<std::size_t>(tag.itemLength) + 4 >
        kBlockSize)
        damaged("block " + std::to_string(page) + " overflows its tag's layout");
    leaf = getLe32(b + 8 + static_cast<std::size_t>(count) * tag.itemLength) == 0;
    if (fresh) remember(page, buf, leaf);
    return b;
}

MdxFile::Node MdxFile::readNode(const Tag &tag, uint32_t page) const
{
    char buf[kBlockSize];
    uint32_t count = 0;
    bool leaf = true;
    const char *b = nodeBlock(tag, page, buf, count, leaf);
    Node node;
    node.page = page;
    const std::size_t itemLength = static_cast<std::size_t>(tag.itemLength);
    node.ptrs.resize(count);
    node.keys.resize(static_cast<std::size_t>(count) * tag.keyLength);
    for (uint32_t i = 0; i < count; ++i) {
        const char *item = b + 8 + i * itemLength;
        node.ptrs[i] = getLe32(item);
        std::memcpy(node.keys.data() + i * tag.keyLength, item + 4, tag.keyLength);
    }
    node.right = getLe32(b + 8 + count * itemLength);
    node.leaf = leaf;
    return node;
}

void MdxFile::writeNode(const Tag &tag, const Node &node)
{
    char b[kBlockSize] = {};
    putLe32(b, static_cast<uint32_t>(node.count()));
    for (int i = 0; i < node.count(); ++i) {
        char *item = b + 8 + i * tag.itemLength;
        putLe32(item, node.ptrs[i]);
        std::memcpy(item + 4, node.keys.data() + static_cast<std::size_t>(i) * tag.keyLength,
                    tag.keyLength);
    }
    if (!node.leaf) putLe32(b + 8 + node.count() * tag.itemLength, node.right);
    writeBlock(node.page, b);
    remember(node.page, b, node.leaf);
}

uint32_t MdxFile::allocateBlock(Tag &tag)
{
    const uint32_t page = m_pagesInFile;
    m_pagesInFile += 2;
    tag.pagesUsed += 2;
    return page;
}

void MdxFile::writeTagHeader(const Tag &tag)
{
    char h[kBlockSize];
    readBlock(tag.headerPage, h);
    putLe32(h, tag.root);
    putLe32(h + 4, tag.pagesUsed);
    putLe32(h + 248, edgeLeaf(tag, false));
    putLe32(h + 252, edgeLeaf(tag, true));
    writeBlock(tag.headerPage, h);
}

void MdxFile::writeFileCounters()
{
    char c[8];
    putLe32(c, m_pagesInFile);
    putLe32(c + 4, m_pagesInFile);
    writeAtOrThrow(m_fd, c, sizeof c, 32, m_path);
    char d[3];
    putHeaderDate(d);
    writeAtOrThrow(m_fd, d, sizeof d, 44, m_path);
}

uint32_t MdxFile::edgeLeaf(const Tag &tag, bool rightmost) const
{
    uint32_t page = tag.root;
    for (int depth = 0; depth < kMaxDepth; ++depth) {
        char buf[kBlockSize];
        uint32_t count = 0;
        bool leaf = true;
        const char *b = nodeBlock(tag, page, buf, count, leaf);
        if (leaf) return page;
        page = getLe32(b + 8 + static_cast<std::size_t>(rightmost ? count : 0) * tag.itemLength);
    }
    damaged("the tree of tag " + tag.name + " is too deep");
}

uint32_t MdxFile::lastRecno(const Tag &tag, uint32_t page) const
{
    for (int depth = 0; depth < kMaxDepth; ++depth) {
        char buf[kBlockSize];
        uint32_t count = 0;
        bool leaf = true;
        const char *b = nodeBlock(tag, page, buf, count, leaf);
        const std::size_t itemLength = static_cast<std::size_t>(tag.itemLength);
        if (leaf) return count ? getLe32(b + 8 + (count - 1) * itemLength) : 0;
        page = getLe32(b + 8 + count * itemLength);
    }
    damaged("the tree of tag " + tag.name + " is too deep");
}

void MdxFile::walk(int t, const std::function<void(const char *, uint32_t)> &visit) const
{
    const Tag &tag = m_tags.at(t);
    // The blocks are read from memory: the file comes in with large sequential reads
    // rather than one small read per block.
    struct Image {
        const MdxFile &f;
        ~Image()
        {
            f.m_useImage = false;
            f.m_image = {};
        }
    } image{*this};
    const uint64_t bytes =
        std::min<uint64_t>(static_cast<uint64_t>(m_pagesInFile) * 512, fileSize(m_fd, m_path));
    m_image.resize(static_cast<std::size_t>(bytes));
    std::size_t have = 0;
    constexpr std::size_t kRead = 1 << 20;
    while (have < m_image.size()) {
        const std::size_t n = std::min(kRead, m_image.size() - have);
        if (!readAt(m_fd, m_image.data() + have, n, have)) {
            // A short file: what can be read is used, the rest reports as unreadable.
            while (have < m_image.size() && readAt(m_fd, m_image.data() + have, 512, have))
                have += 512;
            break;
        }
        have += n;
    }
    m_image.resize(have);
    m_useImage = true;
    // A sound tree visits each block once: more visits than blocks means a damaged file.
    uint32_t visits = 0;
    std::function<void(uint32_t, int)> rec = [&](uint32_t page, int depth) {
        if (depth > kMaxDepth || ++visits > m_pagesInFile / 2)
            damaged("the tree of tag " + tag.name + " loops or is too deep");
        // Leaves are visited straight from the block, without a node of their own.
        char b[kBlockSize];
        readBlock(page, b);
        const uint32_t count = getLe32(b);
        if (count > static_cast<uint32_t>(tag.maxKeys))
            damaged("block " + std::to_string(page) + " holds too many keys");
        if (getLe32(b + 8 + count * tag.itemLength) == 0) {
            for (uint32_t i = 0; i < count; ++i) {
                const char *item = b + 8 + i * tag.itemLength;
                visit(item + 4, getLe32(item));
            }
            return;
        }
        const Node n = readNode(tag, page);
        for (int i = 0; i < n.count(); ++i)
            rec(n.ptrs[i], depth + 1);
        rec(n.right, depth + 1);
    };
    rec(tag.root, 0);
}

// The path from the root to the leaf where (key, recno) belongs. Equal keys are kept in
// ascending record number, so where a separator equals the key the record number of the
// child's last entry decides.
std::vector<MdxFile::Step> MdxFile::descend(const Tag &tag, const char *key, uint32_t recno,
                                            Node &leaf) const
{
    std::vector<Step> path;
    const std::size_t itemLength = static_cast<std::size_t>(tag.itemLength);
    const std::size_t kl = static_cast<std::size_t>(tag.keyLength);
    uint32_t page = tag.root;
    while (true) {
        char buf[kBlockSize];
        uint32_t count = 0;
        bool isLeaf = true;
        const char *b = nodeBlock(tag, page, buf, count, isLeaf);
        if (isLeaf) break;
        if (static_cast<int>(path.size()) >= kMaxDepth)
            damaged("the tree of tag " + tag.name + " is too deep");
        // The separators are compared in the block itself: no copy of the node is made
        // on the way down.
        int lo = 0, hi = static_cast<int>(count);
        while (lo < hi) {
            const int mid = (lo + hi) / 2;
            const char *item = b + 8 + static_cast<std::size_t>(mid) * itemLength;
            const int c = std::memcmp(key, item + 4, kl);
            const bool fits = c < 0 || (c == 0 && recno <= lastRecno(tag, getLe32(item)));
            if (fits)
                hi = mid;
            else
                lo = mid + 1;
        }
        path.push_back({page, lo});
        page = getLe32(b + 8 + static_cast<std::size_t>(lo) * itemLength);
    }
    leaf = readNode(tag, page);
    return path;
}

namespace
{
int leafPosition(const std::string &keys, const std::vector<uint32_t> &ptrs, int keyLength,
                 const char *key, uint32_t recno)
{
    int lo = 0, hi = static_cast<int>(ptrs.size());
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        const int c =
            std::memcmp(keys.data() + static_cast<std::size_t>(mid) * keyLength, key, keyLength);
        if (c < 0 || (c == 0 && ptrs[mid] < recno))
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}
} // namespace

void MdxFile::insert(int t, const char *key, uint32_t recno)
{
    changing([&] { insertKey(t, key, recno); });
}

bool MdxFile::remove(int t, const char *key, uint32_t recno)
{
    return changing([&] { return removeKey(t, key, recno); });
}

void MdxFile::insertKey(int t, const char *key, uint32_t recno)
{
    Tag &tag = m_tags.at(t);
    const std::size_t kl = tag.keyLength;
    Node leaf;
    std::vector<Step> path = descend(tag, key, recno, leaf);
    const int pos = leafPosition(leaf.keys, leaf.ptrs, tag.keyLength, key, recno);
    leaf.ptrs.insert(leaf.ptrs.begin() + pos, recno);
    leaf.keys.insert(pos * kl, key, kl);
    if (leaf.count() <= tag.maxKeys) {
        writeNode(tag, leaf);
        return;
    }
    // Split: the old block keeps the lower half, a new block takes the upper half.
    const int half = (leaf.count() + 1) / 2;
    Node upperHalf;
    upperHalf.page = allocateBlock(tag);
    upperHalf.ptrs.assign(leaf.ptrs.begin() + half, leaf.ptrs.end());
    upperHalf.keys = leaf.keys.substr(half * kl);
    leaf.ptrs.resize(half);
    leaf.keys.resize(half * kl);
    writeNode(tag, upperHalf);
    writeNode(tag, leaf);
    insertIntoParent(tag, path, leaf.page, leaf.keys.substr((half - 1) * kl), upperHalf.page);
    writeFileCounters();
    writeTagHeader(tag);
}

// A child at path.back().child was split into leftPage (keeping its block, highest key
// leftMax) and rightPage.
void MdxFile::insertIntoParent(Tag &tag, std::vector<Step> &path, uint32_t leftPage,
                               const std::string &leftMax, uint32_t rightPage)
{
    const std::size_t kl = tag.keyLength;
    if (path.empty()) {
        Node root;
        root.page = allocateBlock(tag);
        root.leaf = false;
        root.ptrs = {leftPage};
        root.keys = leftMax;
        root.right = rightPage;
        writeNode(tag, root);
        tag.root = root.page;
        return;
    }
    const Step step = path.back();
    path.pop_back();
    Node n = readNode(tag, step.page);
    const int ci = step.child;
    n.ptrs.insert(n.ptrs.begin() + ci, leftPage);
    n.keys.insert(ci * kl, leftMax);
    if (ci + 1 < n.count())
        n.ptrs[ci + 1] = rightPage;
    else
        n.right = rightPage;
    if (n.count() <= tag.maxKeys) {
        writeNode(tag, n);
        return;
    }
    const int h = n.count() / 2;
    Node upperHalf;
    upperHalf.page = allocateBlock(tag);
    upperHalf.leaf = false;
    upperHalf.ptrs.assign(n.ptrs.begin() + h + 1, n.ptrs.end());
    upperHalf.keys = n.keys.substr((h + 1) * kl);
    upperHalf.right = n.right;
    const std::string middle = n.keys.substr(h * kl, kl);
    n.right = n.ptrs[h];
    n.ptrs.resize(h);
    n.keys.resize(h * kl);
    writeNode(tag, upperHalf);
    writeNode(tag, n);
    insertIntoParent(tag, path, n.page, middle, upperHalf.page);
}

// The highest key below path's last step changed: fix the first separator that holds it.
void MdxFile::updateMax(const Tag &tag, std::vector<Step> &path, const std::string &newMax)
{
    for (auto it = path.rbegin(); it != path.rend(); ++it) {
        Node n = readNode(tag, it->page);
        if (it->child < n.count()) {
            n.keys.replace(static_cast<std::size_t>(it->child) * tag.keyLength, tag.keyLength,
                           newMax);
            writeNode(tag, n);
            return;
        }
    }
}

// The child at path.back().child became empty: take it out of its parent.
void MdxFile::removeChild(Tag &tag, std::vector<Step> &path)
{
    const std::size_t kl = tag.keyLength;
    const Step step = path.back();
    path.pop_back();
    Node n = readNode(tag, step.page);
    const int ci = step.child;
    if (ci < n.count()) {
        n.ptrs.erase(n.ptrs.begin() + ci);
        n.keys.erase(ci * kl, kl);
    } else if (n.count() > 0) {
        // The rightmost child went: the last keyed child takes its place, and this node's
        // highest key is now that child's.
        n.right = n.ptrs.back();
        const std::string newMax = n.keys.substr(n.keys.size() - kl);
        n.ptrs.pop_back();
        n.keys.resize(n.keys.size() - kl);
        updateMax(tag, path, newMax);
    } else {
        // This node had the one child only.
        if (path.empty()) {
            Node empty;
            empty.page = n.page;
            writeNode(tag, empty);
            return;
        }
        removeChild(tag, path);
        return;
    }
    if (path.empty() && n.count() == 0) {
        tag.root = n.right; // a root with one child gives way to it
        return;
    }
    writeNode(tag, n);
}

bool MdxFile::removeKey(int t, const char *key, uint32_t recno)
{
    Tag &tag = m_tags.at(t);
    const std::size_t kl = tag.keyLength;
    Node leaf;
    std::vector<Step> path = descend(tag, key, recno, leaf);
    const int pos = leafPosition(leaf.keys, leaf.ptrs, tag.keyLength, key, recno);
    if (pos >= leaf.count() || leaf.ptrs[pos] != recno ||
        std::memcmp(leaf.keys.data() + pos * kl, key, kl) != 0)
        return false;
    const bool wasLast = pos == leaf.count() - 1;
    leaf.ptrs.erase(leaf.ptrs.begin() + pos);
    leaf.keys.erase(pos * kl, kl);
    if (leaf.count() > 0 || path.empty()) {
        writeNode(tag, leaf);
        if (wasLast && leaf.count() > 0)
            updateMax(tag, path, leaf.keys.substr(leaf.keys.size() - kl));
        return true;
    }
    removeChild(tag, path);
    writeFileCounters();
    writeTagHeader(tag);
    return true;
}

} // namespace dbase
