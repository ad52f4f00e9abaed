// The records a table delivers and their order: the selected tag's keys and key order (or
// natural order), and the delivered rows by position. Both sequences live in chunked
// lists, so an append or a key change costs time independent of the table's size while
// the grid's access by row position stays a short search.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace dbase
{

// A sequence of record numbers in chunks of bounded size, with the chunk start positions
// kept for access by position. Inserting or erasing touches one chunk.
class ChunkedList
{
public:
    static constexpr std::size_t kChunk = 2048;
    static constexpr std::size_t kRoom = 64; // free places a loaded chunk starts with

    // A list ordered by keys keeps a copy of each chunk's last key (keyLength bytes that
    // keyOf gives for a value), so that finding the chunk of a key reads one small array
    // rather than keys spread over the whole key store. keyLength 0: no keys kept.
    using KeyOf = const char *(*)(const void *owner, uint32_t value);
    void keepBackKeys(int keyLength, KeyOf keyOf, const void *owner);

    void clear();
    void assign(const std::vector<uint32_t> &values);
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    uint32_t at(std::size_t pos) const;
    void insert(std::size_t pos, uint32_t value);
    void erase(std::size_t pos);
    // The first position whose value is not `less` than the sought one (the list must be
    // ordered by `less`).
    template <class Less> std::size_t lowerBound(Less less) const
    {
        // The first chunk whose last value is not less; every chunk holds at least one.
        const auto back = std::partition_point(m_backs.begin(), m_backs.end(), less);
        return inChunk(static_cast<std::size_t>(back - m_backs.begin()), less);
    }
    // The same for a list that keeps back keys, ordered by (key, value): `less` must say
    // whether a value comes before (key, value).
    template <class Less> std::size_t lowerBound(const char *key, uint32_t value, Less less) const
    {
        if (m_keyLength == 0) return lowerBound(less);
        const std::size_t kl = static_cast<std::size_t>(m_keyLength);
        std::size_t lo = 0, hi = m_backs.size();
        while (lo < hi) {
            const std::size_t mid = (lo + hi) / 2;
            const int c = std::memcmp(m_backKeys.data() + mid * kl, key, kl);
            if (c < 0 || (c == 0 && m_backs[mid] < value))
                lo = mid + 1;
            else
                hi = mid;
        }
        return inChunk(lo, less);
    }
    template <class Fn> void forEach(Fn &&fn) const
    {
        for (const auto &c : m_chunks)
            for (uint32_t v : c)
                fn(v);
    }
    std::vector<uint32_t> toVector() const;

private:
    template <class Less> std::size_t inChunk(std::size_t c, Less less) const
    {
        if (c == m_chunks.size()) return m_size;
        const auto &chunk = m_chunks[c];
        // An eight-way search: it asks for the keys of seven evenly spaced values at once,
        // then compares them. In a large table the keys lie far apart in memory, and a
        // binary search that waits for one key at a time spends its time waiting; here the
        // waits overlap, four rounds for a full chunk instead of eleven.
        const uint32_t *first = chunk.data();
        std::size_t len = chunk.size();
        while (len > 8) {
            const std::size_t step = len / 8;
            if (m_keyLength > 0)
                for (std::size_t j = 1; j < 8; ++j)
                    prefetchKey(first[j * step]);
            std::size_t j = 1;
            while (j < 8 && less(first[j * step]))
                ++j;
            // The sought position lies in [first, first + len] throughout.
            if (j == 8) {
                first += 7 * step;
                len -= 7 * step;
            } else {
                first += (j - 1) * step;
                len = step;
            }
        }
        if (m_keyLength > 0)
            for (std::size_t j = 0; j < len; ++j)
                prefetchKey(first[j]);
        std::size_t in = static_cast<std::size_t>(first - chunk.data());
        for (std::size_t j = 0; j < len && less(first[j]); ++j)
            ++in;
        updateStarts();
        return m_starts[c] + in;
    }
    // Asks for both ends of a value's key (a key may straddle two cache lines).
    void prefetchKey(uint32_t value) const
    {
        const char *key = m_keyOf(m_owner, value);
        __builtin_prefetch(key);
        __builtin_prefetch(key + m_keyLength - 1);
    }
    void locate(std::size_t pos, std::size_t &chunk, std::size_t &offset) const;
    void updateStarts() const;
    void setBack(std::size_t c);
    void insertBack(std::size_t c);
    void eraseBack(std::size_t c);

    std::vector<std::vector<uint32_t>> m_chunks;
    std::vector<uint32_t> m_backs; // the last value of each chunk, for searches
    int m_keyLength = 0;
    KeyOf m_keyOf = nullptr;
    const void *m_owner = nullptr;
    std::vector<char> m_backKeys;              // the key of each chunk's last value
    mutable std::vector<std::size_t> m_starts; // position of each chunk's first value
    mutable bool m_startsValid = true;
    std::size_t m_size = 0;
};

class Cursor
{
public:
    Cursor();
    Cursor(const Cursor &) = delete;
    Cursor &operator=(const Cursor &) = delete;

    // Natural order: no keys, rows by record number.
    void setNatural();
    // The selected tag: keys of record r at (r - 1) * keyLength, and every record number
    // that has a key, sorted by (key, record number).
    void setKeyed(int keyLength, std::vector<char> keys, const std::vector<uint32_t> &order);
    bool keyed() const { return m_keyLength > 0; }
    int keyLength() const { return m_keyLength; }
    // The key the cursor holds for a record; nullptr when it holds none.
    const char *keyOf(uint32_t recno) const;
    // The record's key is new or changed: the tag's order follows. Rows are left alone
    // (take the record out of the rows before and put it back after).
    void setKey(uint32_t recno, const char *key);
    std::vector<uint32_t> order() const { return m_order.toVector(); }
    std::size_t orderSize() const { return m_order.size(); }
    uint32_t orderAt(std::size_t pos) const { return m_order.at(pos); }

    // Delivered rows. Invalid rows are rebuilt by the owner through buildRows().
    bool rowsValid() const { return m_rowsValid; }
    void invalidateRows()
    {
        m_rowsValid = false;
        m_rowsAreOrder = false;
        m_apart = 0;
    }
    // The rows from the records 1..count that `delivered` accepts (indexed by record
    // number), in the cursor's order.
    void buildRows(uint32_t count, const std::vector<bool> &delivered);
    void clearRows();
    // Which of the records 1..count the valid rows hold, indexed by record number: the
    // rows of another order are built from it without reading the table again.
    std::vector<bool> deliveredFlags(uint32_t count) const;
    int rowCount() const { return static_cast<int>(rows().size()); }
    uint32_t recnoAt(int row) const { return rows().at(static_cast<std::size_t>(row)); }
    int rowOf(uint32_t recno) const; // -1 when the record is not delivered
    void insertRow(uint32_t recno);  // no-op while rows are invalid or it is there already
    void removeRow(uint32_t recno);  // no-op while rows are invalid or it is absent

private:
    // "Comes before (key, recno)" in the cursor's order.
    struct Before {
        const Cursor *c;
        uint32_t recno;
        const char *key;
        bool operator()(uint32_t v) const
        {
            if (!c->keyed()) return v < recno;
            const int r = std::memcmp(c->slot(v), key, static_cast<std::size_t>(c->m_keyLength));
            return r < 0 || (r == 0 && v < recno);
        }
    };
    Before before(uint32_t recno, const char *key) const { return {this, recno, key}; }
    static constexpr uint32_t kPageKeys = 4096;
    static const char *keyAt(const void *cursor, uint32_t recno)
    {
        return static_cast<const Cursor *>(cursor)->slot(recno);
    }
    char *slot(uint32_t recno) const
    {
        if (recno <= m_baseCount)
            return const_cast<char *>(m_keys.data()) +
                   static_cast<std::size_t>(recno - 1) * m_keyLength;
        const uint32_t i = recno - m_baseCount - 1;
        return m_pages[i / kPageKeys].get() + static_cast<std::size_t>(i % kPageKeys) * m_keyLength;
    }
    void reserveSlot(uint32_t recno);
    // The list that holds the rows: the order itself while the two are the same.
    const ChunkedList &rows() const
    {
        if (m_apart) separateRows();
        return m_rowsAreOrder ? m_order : m_rows;
    }
    void separateRows() const;
    void separateRowsIfApart();

    int m_keyLength = 0;
    // Keys of the records read with the order in one block; keys of records appended
    // since in pages of their own, so that no append copies the whole block.
    std::vector<char> m_keys;
    uint32_t m_baseCount = 0;
    std::vector<std::unique_ptr<char[]>> m_pages;
    std::vector<bool> m_hasKey;
    ChunkedList m_order;
    // While every record of the order is delivered (no filter, no hidden deleted record),
    // the rows are the order itself and m_rows stays empty: an append then puts the record
    // into one list, not two. A record taken out of the rows (removeRow) or given a new
    // place in the order (setKey) is "apart" until insertRow puts it back; when anything
    // else comes first, the rows become a list of their own, without it.
    mutable ChunkedList m_rows;
    mutable bool m_rowsAreOrder = false;
    mutable uint32_t m_apart = 0;
    bool m_rowsValid = false;
    // The row of the record inserted last (the cursor moves to it next).
    mutable uint32_t m_hintRecno = 0;
    mutable std::size_t m_hintRow = 0;
    // Where setKey() put the record last.
    uint32_t m_orderHintRecno = 0;
    std::size_t m_orderHintPos = 0;
};

} // namespace dbase
