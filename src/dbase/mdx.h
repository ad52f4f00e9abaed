// The production index file (.MDX) in the dBase IV layout: blocks of 1024 bytes (two
// 512-byte pages), a tag table after the file header, one B-tree per tag. Whole-file
// writes go through a new file renamed over the old; single keys are inserted and
// removed in place, touching only the blocks on the path.
//
// The interior blocks of the trees (and the leaves used last) are kept in memory
// between inserts, so that a key inserted into a large tree does not read its whole path
// from the file. Every change of keys counts up a change count in the reserved part of
// the file header (a field other dBase programs leave alone, like the session flag); a
// handle that finds the count or the page count not as it left them reads the file again.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace dbase
{

class MdxFile
{
public:
    static constexpr int kBlockSize = 1024;
    static constexpr int kMaxTags = 47;

    struct Tag {
        std::string name;
        std::string expression;
        char keyType = 'C';
        uint32_t headerPage = 0;
        uint32_t root = 0;
        uint32_t pagesUsed = 0;
        int keyLength = 0;
        int itemLength = 0;
        int maxKeys = 0;
        bool unique = false;
        bool descending = false;
        bool hasFilter = false; // a FOR clause
    };

    // What a new file is built from: the tag's definition and its entries in key order.
    struct TagSource {
        std::string name;
        std::string expression;
        int keyLength = 0;
        const std::vector<uint32_t> *order = nullptr; // record numbers, sorted by (key, recno)
        std::function<const char *(uint32_t)> keyOf;  // keyLength bytes for a record number
    };

    MdxFile() = default;
    ~MdxFile();
    MdxFile(const MdxFile &) = delete;
    MdxFile &operator=(const MdxFile &) = delete;

    // Writes a complete file (to a new file, then renamed over `path`). Without `install`
    // the new file is left beside `path` (see newFilePath()) for installNewFile().
    static void create(const std::string &path, const std::string &tableName,
                       const std::vector<TagSource> &tags, bool install = true);

    // Reads the header and tag table; a missing or damaged file throws Error.
    void open(const std::string &path, bool writable);
    void close();
    bool isOpen() const { return m_fd >= 0; }
    bool writable() const { return m_fd >= 0 && m_writable; }
    const std::string &path() const { return m_path; }
    // Re-reads the header and tag table (another user may have changed the file) and
    // forgets the blocks held in memory.
    void reload();
    // Re-reads as reload() does, but only when the file changed since this handle last read
    // or wrote it: another handle changed keys (the change count differs) or added blocks
    // (the page count differs). Cheap when nothing changed: one small read. Call it under
    // the lock that writers of the index hold. Returns true when it re-read.
    bool reloadIfChanged();
    // The next reloadIfChanged() reads the file again in any case (a program that does
    // not keep the change count may have changed it).
    void forgetBlocks();
    // The change count of the file as this handle last read or wrote it.
    uint32_t changeCount() const { return m_changeCount; }
    // Flushes the file's data to the disk.
    void sync();
    // A byte of the reserved part of the file header, set while programs that may change
    // the table have it open (see Table::markChange).
    bool sessionFlag() const;
    void setSessionFlag(bool on);

    const std::vector<Tag> &tags() const { return m_tags; }
    int findTag(const std::string &name) const; // case-insensitive; -1 when absent

    // Visits the entries of a tag in order; throws Error when the tree is damaged.
    void walk(int tag, const std::function<void(const char *key, uint32_t recno)> &visit) const;
    // The number of entries of a tag; throws Error when the tree is damaged.
    uint64_t countKeys(int tag) const;
    void insert(int tag, const char *key, uint32_t recno);
    // Returns false when the entry was not in the tag.
    bool remove(int tag, const char *key, uint32_t recno);

private:
    struct Node {
        uint32_t page = 0;
        bool leaf = true;
        std::vector<uint32_t> ptrs; // record numbers (leaf) or child pages (interior)
        std::string keys;           // ptrs.size() keys of keyLength bytes
        uint32_t right = 0;         // rightmost child of an interior node
        int count() const { return static_cast<int>(ptrs.size()); }
    };
    struct Step {
        uint32_t page; // an interior node on the path
        int child;     // index of the child taken; its key count = the rightmost
    };

    [[noreturn]] void damaged(const std::string &why) const;
    void countChange();
    template <class Fn> auto changing(Fn &&fn);
    void readBlock(uint32_t page, char *buf) const;
    const char *heldBlock(uint32_t page) const;
    void remember(uint32_t page, const char *buf, bool leaf) const;
    const char *nodeBlock(const Tag &tag, uint32_t page, char *buf, uint32_t &count,
                          bool &leaf) const;
    void writeBlock(uint32_t page, const char *buf);
    Node readNode(const Tag &tag, uint32_t page) const;
    void writeNode(const Tag &tag, const Node &node);
    uint32_t allocateBlock(Tag &tag);
    void writeTagHeader(const Tag &tag);
    void writeFileCounters();
    uint32_t lastRecno(const Tag &tag, uint32_t page) const;
    std::vector<Step> descend(const Tag &tag, const char *key, uint32_t recno, Node &leaf) const;
    void insertIntoParent(Tag &tag, std::vector<Step> &path, uint32_t leftPage,
                          const std::string &leftMax, uint32_t rightPage);
    void updateMax(const Tag &tag, std::vector<Step> &path, const std::string &newMax);
    void removeChild(Tag &tag, std::vector<Step> &path);
    uint32_t edgeLeaf(const Tag &tag, bool rightmost) const;
    void insertKey(int tag, const char *key, uint32_t recno);
    bool removeKey(int tag, const char *key, uint32_t recno);

    std::string m_path;
    int m_fd = -1;
    bool m_writable = false;
    uint32_t m_pagesInFile = 0;
    std::vector<Tag> m_tags;
    // The whole file read in large sequential reads while a walk runs.
    mutable std::vector<char> m_image;
    mutable bool m_useImage = false;

    // Blocks as this handle last read or wrote them, valid while the change count and the
    // page count of the file are as this handle knows them. Interior blocks are few (about
    // one in twenty); of the leaves only the ones used last are kept.
    static constexpr std::size_t kLeavesKept = 64;
    struct Held {
        std::unique_ptr<char[]> data;
        uint32_t generation = 0; // held while it equals m_generation
        bool leaf = false;
    };
    mutable std::vector<Held> m_held; // by page number
    mutable std::vector<uint32_t> m_heldLeaves;
    mutable std::size_t m_nextLeaf = 0; // the leaf to let go next once kLeavesKept are held
    uint32_t m_generation = 1;
    uint32_t m_changeCount = 0;
    bool m_changeCounted = false; // counted for the change under way
    bool m_mustReload = true;     // the blocks or tags in memory may not match the file
};

} // namespace dbase
