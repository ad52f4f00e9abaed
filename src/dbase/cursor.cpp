#include "dbase/cursor.h"

#include <algorithm>
#include <cstring>

namespace dbase
{

// ---- chunked list ---------------------------------------------------------------------

void ChunkedList::keepBackKeys(int keyLength, KeyOf keyOf, const void *owner)
{
    m_keyLength = keyOf ? keyLength : 0;
    m_keyOf = keyOf;
    m_owner = owner;
    m_backKeys.clear();
    for (std::size_t c = 0; c < m_backs.size() && m_keyLength > 0; ++c)
        m_backKeys.insert(m_backKeys.end(), m_keyOf(m_owner, m_backs[c]),
                          m_keyOf(m_owner, m_backs[c]) + m_keyLength);
}

void ChunkedList::setBack(std::size_t c)
{
    m_backs[c] = m_chunks[c].back();
    if (m_keyLength > 0)
        std::memcpy(m_backKeys.data() + c * static_cast<std::size_t>(m_keyLength),
                    m_keyOf(m_owner, m_backs[c]), static_cast<std::size_t>(m_keyLength));
}

void ChunkedList::insertBack(std::size_t c)
{
    m_backs.insert(m_backs.begin() + static_cast<std::ptrdiff_t>(c), m_chunks[c].back());
    if (m_keyLength > 0) {
        const char *key = m_keyOf(m_owner, m_backs[c]);
        m_backKeys.insert(m_backKeys.begin() + static_cast<std::ptrdiff_t>(
                                                   c * static_cast<std::size_t>(m_keyLength)),
                          key, key + m_keyLength);
    }
}

void ChunkedList::eraseBack(std::size_t c)
{
    m_backs.erase(m_backs.begin() + static_cast<std::ptrdiff_t>(c));
    if (m_keyLength > 0) {
        const auto at = m_backKeys.begin() +
                        static_cast<std::ptrdiff_t>(c * static_cast<std::size_t>(m_keyLength));
        m_backKeys.erase(at, at + m_keyLength);
    }
}

void ChunkedList::clear()
{
    m_chunks.clear();
    m_backs.clear();
    m_backKeys.clear();
    m_starts.clear();
    m_startsValid = true;
    m_size = 0;
}

void ChunkedList::assign(const std::vector<uint32_t> &values)
{
    clear();
    // Half-full chunks leave room for inserts before the first split.
    const std::size_t fill = kChunk / 2;
    m_chunks.reserve(values.size() / fill + 1);
    for (std::size_t at = 0; at < values.size(); at += fill) {
        const std::size_t n = std::min(fill, values.size() - at);
        // With some room to grow, so that the first inserts after a load do not each
        // move a whole chunk to new memory.
        m_chunks.emplace_back();
        m_chunks.back().reserve(n + kRoom);
        m_chunks.back().assign(values.begin() + static_cast<std::ptrdiff_t>(at),
                               values.begin() + static_cast<std::ptrdiff_t>(at + n));
        insertBack(m_chunks.size() - 1);
    }
    m_size = values.size();
    m_startsValid = false;
}

void ChunkedList::updateStarts() const
{
    if (m_startsValid) return;
    m_starts.resize(m_chunks.size());
    std::size_t at = 0;
    for (std::size_t c = 0; c < m_chunks.size(); ++c) {
        m_starts[c] = at;
        at += m_chunks[c].size();
    }
    m_startsValid = true;
}

// The chunk holding `pos` (or the end of the last chunk when pos == size()).
void ChunkedList::locate(std::size_t pos, std::size_t &chunk, std::size_t &offset) const
{
    updateStarts();
    const auto it = std::upper_bound(m_starts.begin(), m_starts.end(), pos);
    chunk = static_cast<std::size_t>(it - m_starts.begin()) - 1;
    offset = pos - m_starts[chunk];
}

uint32_t ChunkedList::at(std::size_t pos) const
{
    std::size_t c, o;
    locate(pos, c, o);
    return m_chunks[c][o];
}

void ChunkedList::insert(std::size_t pos, uint32_t value)
{
    if (m_chunks.empty()) {
        m_chunks.emplace_back(1, value);
        insertBack(0);
        m_size = 1;
        m_startsValid = false;
        return;
    }
    std::size_t c, o;
    locate(pos, c, o);
    auto &chunk = m_chunks[c];
    chunk.insert(chunk.begin() + static_cast<std::ptrdiff_t>(o), value);
    ++m_size;
    if (chunk.size() > kChunk) {
        std::vector<uint32_t> tail(chunk.begin() + kChunk / 2, chunk.end());
        chunk.resize(kChunk / 2);
        m_chunks.insert(m_chunks.begin() + static_cast<std::ptrdiff_t>(c + 1), std::move(tail));
        setBack(c);
        insertBack(c + 1);
        m_startsValid = false;
        return;
    }
    setBack(c);
    for (std::size_t i = c + 1; i < m_starts.size(); ++i)
        ++m_starts[i];
}

void ChunkedList::erase(std::size_t pos)
{
    std::size_t c, o;
    locate(pos, c, o);
    auto &chunk = m_chunks[c];
    chunk.erase(chunk.begin() + static_cast<std::ptrdiff_t>(o));
    --m_size;
    if (chunk.empty()) {
        m_chunks.erase(m_chunks.begin() + static_cast<std::ptrdiff_t>(c));
        eraseBack(c);
        m_startsValid = false;
        return;
    }
    setBack(c);
    for (std::size_t i = c + 1; i < m_starts.size(); ++i)
        --m_starts[i];
}

std::vector<uint32_t> ChunkedList::toVector() const
{
    std::vector<uint32_t> v;
    v.reserve(m_size);
    forEach([&v](uint32_t x) { v.push_back(x); });
    return v;
}

// ---- cursor ---------------------------------------------------------------------------

Cursor::Cursor() = default;

void Cursor::setNatural()
{
    m_keyLength = 0;
    m_keys = {};
    m_baseCount = 0;
    m_pages.clear();
    m_hasKey = {};
    m_order.clear();
    m_rows.clear();
    m_order.keepBackKeys(0, nullptr, nullptr);
    m_rows.keepBackKeys(0, nullptr, nullptr);
    invalidateRows();
    m_orderHintRecno = 0;
}

void Cursor::setKeyed(int keyLength, std::vector<char> keys, const std::vector<uint32_t> &order)
{
    m_keyLength = keyLength;
    m_keys = std::move(keys);
    m_baseCount = static_cast<uint32_t>(m_keys.size() / static_cast<std::size_t>(keyLength));
    m_pages.clear();
    m_hasKey.assign(m_baseCount + 1, false);
    for (uint32_t r : order)
        m_hasKey[r] = true;
    m_order.clear();
    m_rows.clear();
    m_order.keepBackKeys(keyLength, &Cursor::keyAt, this);
    m_rows.keepBackKeys(keyLength, &Cursor::keyAt, this);
    m_order.assign(order);
    invalidateRows();
    m_orderHintRecno = 0;
}

void Cursor::reserveSlot(uint32_t recno)
{
    if (recno > m_baseCount) {
        const uint32_t page = (recno - m_baseCount - 1) / kPageKeys;
        while (m_pages.size() <= page) {
            const std::size_t bytes = static_cast<std::size_t>(kPageKeys) * m_keyLength;
            m_pages.emplace_back(new char[bytes]);
            std::memset(m_pages.back().get(), ' ', bytes);
        }
    }
    if (m_hasKey.size() <= recno) m_hasKey.resize(recno + 1, false);
}

const char *Cursor::keyOf(uint32_t recno) const
{
    if (!keyed() || recno < 1 || recno >= m_hasKey.size() || !m_hasKey[recno]) return nullptr;
    return slot(recno);
}

void Cursor::setKey(uint32_t recno, const char *key)
{
    if (!keyed() || recno < 1) return;
    reserveSlot(recno);
    if (m_rowsAreOrder) {
        // The record leaves the rows with its old place: it is back once insertRow says so.
        if (m_apart != recno) separateRowsIfApart();
        if (m_rowsAreOrder) m_apart = recno;
    }
    char *stored = slot(recno);
    if (m_hasKey[recno]) {
        const std::size_t pos = m_order.lowerBound(stored, recno, before(recno, stored));
        if (pos < m_order.size() && m_order.at(pos) == recno) m_order.erase(pos);
    }
    std::memcpy(stored, key, static_cast<std::size_t>(m_keyLength));
    const std::size_t pos = m_order.lowerBound(stored, recno, before(recno, stored));
    m_order.insert(pos, recno);
    m_hasKey[recno] = true;
    m_orderHintRecno = recno;
    m_orderHintPos = pos;
}

void Cursor::separateRows() const
{
    std::vector<uint32_t> rows;
    rows.reserve(m_order.size());
    m_order.forEach([&](uint32_t r) {
        if (r != m_apart) rows.push_back(r);
    });
    m_rows.assign(rows);
    m_rowsAreOrder = false;
    m_apart = 0;
}

void Cursor::separateRowsIfApart()
{
    if (m_apart) separateRows();
}

void Cursor::buildRows(uint32_t count, const std::vector<bool> &delivered)
{
    std::vector<uint32_t> rows;
    m_rowsAreOrder = false;
    m_apart = 0;
    if (keyed()) {
        rows.reserve(m_order.size());
        m_order.forEach([&](uint32_t r) {
            if (r <= count && r < delivered.size() && delivered[r]) rows.push_back(r);
        });
        if (rows.size() == m_order.size()) {
            m_rows.clear();
            m_rowsAreOrder = true;
            m_rowsValid = true;
            return;
        }
    } else {
        rows.reserve(count);
        for (uint32_t r = 1; r <= count && r < delivered.size(); ++r)
            if (delivered[r]) rows.push_back(r);
    }
    m_rows.assign(rows);
    m_rowsValid = true;
}

std::vector<bool> Cursor::deliveredFlags(uint32_t count) const
{
    std::vector<bool> flags(static_cast<std::size_t>(count) + 1, false);
    rows().forEach([&](uint32_t r) {
        if (r <= count) flags[r] = true;
    });
    return flags;
}

void Cursor::clearRows()
{
    m_rows.clear();
    m_rowsAreOrder = false;
    m_apart = 0;
    m_rowsValid = true;
}

int Cursor::rowOf(uint32_t recno) const
{
    if (!m_rowsValid || recno < 1) return -1;
    const ChunkedList &list = rows();
    if (recno == m_hintRecno && m_hintRow < list.size() && list.at(m_hintRow) == recno)
        return static_cast<int>(m_hintRow);
    const char *key = nullptr;
    if (keyed() && !(key = keyOf(recno))) return -1;
    const std::size_t pos = list.lowerBound(key, recno, before(recno, key));
    return pos < list.size() && list.at(pos) == recno ? static_cast<int>(pos) : -1;
}

void Cursor::insertRow(uint32_t recno)
{
    if (!m_rowsValid || recno < 1) return;
    if (m_rowsAreOrder && m_apart == recno) {
        // Back in the rows, which are the order again; its row is where setKey put it.
        m_apart = 0;
        if (recno == m_orderHintRecno) {
            m_hintRecno = recno;
            m_hintRow = m_orderHintPos;
        }
        return;
    }
    separateRowsIfApart();
    const char *key = nullptr;
    if (keyed() && !(key = keyOf(recno))) return; // not in the tag: not in its order either
    if (m_rowsAreOrder) return;                   // every record of the order is a row
    // The rows are a part of the order. When they hold all of it but this record, its row
    // is its place in the order, just found by setKey().
    const bool onlyThisMissing =
        keyed() && recno == m_orderHintRecno && m_rows.size() + 1 == m_order.size() &&
        m_orderHintPos < m_order.size() && m_order.at(m_orderHintPos) == recno;
    const std::size_t pos =
        onlyThisMissing ? m_orderHintPos : m_rows.lowerBound(key, recno, before(recno, key));
    if (pos < m_rows.size() && m_rows.at(pos) == recno) return;
    m_rows.insert(pos, recno);
    m_hintRecno = recno;
    m_hintRow = pos;
}

void Cursor::removeRow(uint32_t recno)
{
    if (m_rowsValid && m_rowsAreOrder && keyOf(recno)) {
        separateRowsIfApart();
        if (m_rowsAreOrder) {
            m_apart = recno;
            return;
        }
    }
    const int row = rowOf(recno);
    if (row >= 0) m_rows.erase(static_cast<std::size_t>(row));
}

} // namespace dbase
