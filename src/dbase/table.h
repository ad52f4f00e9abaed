// A dBase table reached by directory and table name: opening shared or exclusive with
// the dBase lock protocol, a cursor in natural or index order that skips deleted records
// and applies a per-record filter, field values as text, number or date, editing with
// record locks, the production index kept current, and the maintenance operations.
#pragma once

#include "dbase/cursor.h"
#include "dbase/date_style.h"
#include "dbase/expression.h"
#include "dbase/field.h"
#include "dbase/mdx.h"

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace dbase
{

class Table
{
public:
    enum class State { Inactive, Browse, Edit, Insert };
    // What attached views are told; nothing while controls are disabled, then one Reset.
    enum class Event { Opened, Closed, Reset, RecordChanged, Moved };
    using Listener = std::function<void(Event)>;
    using Filter = std::function<bool(const Table &)>;
    // Told now and then during long work (index builds, pack, the first reading of the
    // rows) what is being done and how far it is; returning false asks to cancel, which
    // the index builds and the pack honour (they throw and leave the files as they were).
    using Progress = std::function<bool(const std::string &what, uint64_t done, uint64_t total)>;

    Table();
    ~Table();
    Table(const Table &) = delete;
    Table &operator=(const Table &) = delete;

    // Location. The directory may end in "/"; the table name may carry ".DBF" (any case).
    // Without an extension the file is NAME.DBF or NAME.dbf, whichever exists.
    void setDatabaseName(const std::string &directory);
    void setTableName(const std::string &name);
    const std::string &databaseName() const { return m_directory; }
    const std::string &tableName() const { return m_tableName; }
    std::string filePath() const;      // the .DBF file as found (or as it would be created)
    std::string indexFilePath() const; // the .MDX beside it, in the extension's letter case
    bool exists() const;

    void setReadOnly(bool readOnly);
    bool readOnly() const { return m_readOnly; }
    void setExclusive(bool exclusive);
    bool exclusive() const { return m_exclusive; }

    // Throws IndexError, leaving the table closed, when the production index cannot be used.
    void open();
    void close();
    bool isOpen() const { return m_state != State::Inactive; }
    State state() const { return m_state; }

    // Creates the table from field definitions, replacing any file of that name (and its
    // .MDX). The table must be closed.
    void createTable(const std::vector<FieldDef> &fields);

    // Fields.
    int fieldCount() const { return static_cast<int>(m_fields.size()); }
    const FieldInfo &field(int index) const;
    int fieldIndex(const std::string &name) const;  // case-insensitive; -1 when absent
    int fieldByName(const std::string &name) const; // throws when absent

    // Values of the current record (or of the record being edited or appended).
    bool isNull(int field) const;
    std::string asString(int field) const;
    double asFloat(int field) const;
    Date asDate(int field) const;
    void setAsString(int field, const std::string &value);
    void setAsFloat(int field, double value);
    void setAsDate(int field, const Date &value);
    void clearField(int field);

    // Navigation over the delivered records: not deleted, in index order when an index
    // is selected, and accepted by the filter while one is set.
    void first();
    void last();
    void next();
    void prior();
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    bool isEmpty();
    int recordCount();
    int currentRow() const { return m_row; } // 0-based position among the delivered records
    void moveToRow(int row);
    // Physical record number (1-based) of the current record; 0 when there is none.
    uint32_t recNo() const;
    bool moveToRecNo(uint32_t recno); // false when that record is not delivered

    // Editing.
    void append();
    void edit();
    void post();
    void cancel();
    void deleteRecord();

    // Re-reads the header (records appended by others appear) and the selected index.
    void refresh();

    // Durability. With sync each post (the default) a post or delete returns only when its
    // table and index writes are on the disk. Bulk work turns it off and calls sync() once
    // at its end; close() flushes too.
    void setSyncEachPost(bool on) { m_syncEachPost = on; }
    bool syncEachPost() const { return m_syncEachPost; }
    void sync();

    void setFilter(Filter filter);
    void clearFilter() { setFilter({}); }
    // The filter's answers may have changed: deliver the records anew.
    void refilter();

    // Index selection by tag name; the empty name gives natural order.
    void setIndexName(const std::string &tag);
    const std::string &indexName() const { return m_indexName; }
    // When set, opening does not read the production index file at all (no tags, natural
    // order), so that a damaged one can be built afresh.
    void setIgnoreIndexFile(bool ignore) { m_ignoreIndexFile = ignore; }
    bool ignoreIndexFile() const { return m_ignoreIndexFile; }
    std::vector<std::string> indexTagNames();
    // Index maintenance. Work on a closed table (the file is taken exclusively for the
    // operation) or on one open for exclusive use.
    void addIndex(const std::string &tag, const std::string &expression);
    void deleteIndex(const std::string &tag);
    void regenerateIndexes();
    void pack();

    void setProgress(Progress progress) { m_progress = std::move(progress); }

    // Attached views.
    int addListener(Listener listener);
    void removeListener(int id);
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return m_disableCount > 0; }

private:
    struct TagState {
        std::optional<Expression> expression; // empty when the tag cannot be kept current
    };
    // A new index file written beside the old one, with what was built for it.
    struct BuiltIndex {
        std::vector<Expression> expressions;
        std::vector<std::vector<char>> keys;
        std::vector<std::vector<uint32_t>> orders;
        std::vector<int> taggedFields;
    };
    class RecordCache;

    void locate();
    void openFile(bool exclusive);
    void closeFile();
    void readHeader();
    void loadIndexFile();
    void removeLeftovers();
    uint32_t headerRecordCount(const char *h) const;
    std::string staleIndexReason();
    void ensureIndexCurrent();
    void markChange();
    std::string finishChange(bool indexFailed);
    void clearChangeMark();
    void endSession();
    void flushFiles();
    void requireOpen(const char *what) const;
    void requireWritable(const char *what) const;
    void requireBrowse(const char *what) const;
    const char *currentRecord() const;
    char *editBuffer(int field);
    const char *recordBytes(uint32_t recno) const;
    void invalidateRows();
    void ensureRows();
    void buildRows();
    bool accepts(const char *record);
    template <class Fn> void scanRecords(Fn &&fn, const char *what = nullptr) const;
    bool report(const std::string &what, uint64_t done, uint64_t total) const;
    void startAtFirst();
    void placeCursor();
    void loadOrder();
    void positionAt(int row);
    int rowOf(uint32_t recno);
    void notify(Event event);
    void writeHeaderCount(uint32_t count);
    uint64_t recordOffset(uint32_t recno) const;
    void updateIndexes(uint32_t recno, const char *before, const char *after);
    void reposition(uint32_t recno);
    void postEdit();
    void postAppend();
    void finishPost(uint32_t recno, const std::string &indexError);
    void setMdxFlag(bool on, const std::vector<int> &taggedFields);
    void buildSortedOrders(const std::vector<Expression> &exprs,
                           std::vector<std::vector<char>> &keys,
                           std::vector<std::vector<uint32_t>> &orders, uint32_t count,
                           std::vector<bool> *delivered, bool keysBuilt);
    void rewriteIndexFile(const std::vector<std::pair<std::string, std::string>> &tags,
                          std::vector<std::vector<char>> *builtKeys = nullptr);
    BuiltIndex buildIndexFile(const std::vector<std::pair<std::string, std::string>> &tags,
                              std::vector<std::vector<char>> *builtKeys,
                              std::vector<bool> *delivered);
    void installIndexFile(BuiltIndex &built,
                          const std::vector<std::pair<std::string, std::string>> &tags);
    std::vector<std::pair<std::string, std::string>> currentTagDefs() const;
    template <class Fn> void withMaintenance(const char *what, Fn &&fn);
    void unlockByte(uint64_t offset);

    std::string m_directory;
    std::string m_tableName;
    std::string m_extension; // as found: "DBF", "dbf", ...
    std::string m_path;
    bool m_readOnly = false;
    bool m_exclusive = false;
    bool m_openedExclusive = false;
    bool m_ignoreIndexFile = false;
    bool m_writableFile = false;
    State m_state = State::Inactive;
    int m_fd = -1;

    // Header.
    unsigned char m_version = 0x03;
    uint32_t m_recordCount = 0; // physical records, deleted ones included
    uint16_t m_headerLength = 0;
    uint16_t m_recordLength = 0;
    bool m_mdxFlag = false;
    std::vector<FieldInfo> m_fields;

    std::unique_ptr<RecordCache> m_cache;
    std::vector<char> m_buffer; // record being edited or appended
    uint32_t m_editRecno = 0;
    bool m_lockedRecord = false;

    // Durability: byte 14 of the header marks a change of table and index in progress, the
    // session flag of the index file a program that may change them (see markChange()).
    bool m_syncEachPost = true;
    bool m_session = false;      // this handle holds the session lock and set the flag
    bool m_changeMarked = false; // this handle set the mark and has not cleared it
    bool m_indexStale = false;   // the index is known not to match: the mark stays set
    bool m_unsynced = false;     // writes not yet flushed (sync each post off)

    // Index.
    MdxFile m_mdx;
    std::vector<TagState> m_tagStates;
    std::string m_indexName;
    int m_indexTag = -1;

    // Cursor: the selected tag's order and the delivered rows.
    Cursor m_cursor;
    Filter m_filter;
    Progress m_progress;
    // The order of a tag just built but not selected, until the records change: selecting
    // it right after the build does not read the index back.
    std::string m_builtTag;
    std::vector<char> m_builtKeys;
    std::vector<uint32_t> m_builtOrder;
    int m_row = -1;
    uint32_t m_currentRecno = 0;
    bool m_eof = true;
    bool m_bof = true;
    mutable const char *m_filterRecord = nullptr; // record the filter is looking at

    std::list<std::pair<int, Listener>> m_listeners;
    int m_nextListener = 1;
    int m_disableCount = 0;
    bool m_suppressed = false;
};

// Holds the table's controls disabled while it lives: moves reach no listener, and a change
// reaches them as one reset when it goes. An exception cannot leave the views frozen.
class ControlsDisabled
{
public:
    explicit ControlsDisabled(Table &table) : m_table(table) { m_table.disableControls(); }
    ~ControlsDisabled()
    {
        try {
            m_table.enableControls();
        } catch (...) {
            // The views are told in the listeners; a failure there has nowhere to go.
        }
    }
    ControlsDisabled(const ControlsDisabled &) = delete;
    ControlsDisabled &operator=(const ControlsDisabled &) = delete;

private:
    Table &m_table;
};

// A change of the current record (edit) or a new one (append) in progress: post() writes
// it, and leaving the scope without a post (an exception) cancels it, so no record stays
// locked or half-changed.
class PendingChange
{
public:
    enum class Kind { Edit, Append };
    PendingChange(Table &table, Kind kind) : m_table(table)
    {
        if (kind == Kind::Append)
            m_table.append();
        else
            m_table.edit();
    }
    ~PendingChange()
    {
        if (!m_posted &&
            (m_table.state() == Table::State::Edit || m_table.state() == Table::State::Insert))
            m_table.cancel();
    }
    void post()
    {
        m_table.post();
        m_posted = true;
    }
    PendingChange(const PendingChange &) = delete;
    PendingChange &operator=(const PendingChange &) = delete;

private:
    Table &m_table;
    bool m_posted = false;
};

} // namespace dbase
