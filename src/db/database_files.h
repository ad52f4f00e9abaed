// The coin database's files without the windows: the paths of a database and its
// companions, the validity and in-use tests, creation, header byte 28, the sort
// expression and its index, and the recent-files list.
#pragma once

#include "dbase/error.h"
#include "dbase/table.h"

#include <QString>
#include <QStringList>

namespace dbfiles
{

inline const QString kIndexTag = QStringLiteral("NewIndex");

struct DatabasePaths {
    QString directory;    // expanded, with a trailing "/"
    QString tableName;    // the file name up to its first "."
    QString indexFile;    // directory + table name + ".MDX"
    QString settingsFile; // + ".INI"
    QString basePath;     // directory + table name
};

// Companion files take the letter case of the table's extension: coins.dbf has
// coins.mdx and coins.ini, COINS.DBF has COINS.MDX and COINS.INI.
DatabasePaths databasePaths(const QString &path);
QString companion(const QString &path, const QString &upperExtension);

// Points `table` at the file (directory and table name) without opening it.
void locate(dbase::Table &table, const QString &path);

// Header byte 28 to 0, written straight into the file; skipped silently when the file
// cannot be opened for writing. Returns whether the byte was written.
bool RemoveMDXByte(const QString &path);

// True when the table has exactly the 20 coin fields by name, in order (kinds and widths
// are not compared). Engine errors (not a dBase table, ...) are thrown, and such a file is
// not written. On a valid table whose index file is missing, header byte 28 is cleared.
bool hasCoinFields(dbase::Table &check, const QString &path);

// The same test for any field list: exactly names.size() fields, whose names from position
// `firstCompared` on match the given ones upper-cased on their first 10 characters.
bool hasFieldList(dbase::Table &check, const QString &path, const QStringList &names,
                  int firstCompared = 0);

// True when the table cannot be opened for exclusive use (also when it is missing or
// damaged).
bool inUse(dbase::Table &check, const QString &path);

// Creates an empty coin table at `path`; true when the file exists afterwards.
bool createCoinTable(dbase::Table &create, const QString &path);

// The index expression of up to four sort levels (field numbers, 0 = none).
QString buildSortString(const int levels[4]);

// Whether the table's index file has the tag (names compare without regard to case).
bool hasIndexTag(dbase::Table &table, const QString &tag);

// Whether the index file holds the tag "NewIndex" built from exactly this sort expression
// (letter case and blanks aside). Throws dbase::IndexError when the file cannot be read.
bool indexMatchesSortString(const QString &indexFile, const QString &sortExpression);

// Makes the sort expression the table's index "NewIndex": the old tag is removed when the
// index file exists, the new one added and selected; an empty expression selects natural
// order. An index file that cannot be read is built afresh (rebuildIndexFile). The table
// must be closed or open for exclusive use. Returns true when a damaged index file was
// replaced.
bool applySortIndex(dbase::Table &table, const QString &sortExpression, bool indexFileExists);

// Builds the index file afresh without reading the old one (damaged or unreadable): the
// tag "NewIndex" from the sort expression, written beside the old file and renamed over
// it, and selected. An empty expression leaves the table without an index file. The table
// must be closed; it stays closed.
void rebuildIndexFile(dbase::Table &table, const QString &sortExpression);

// Opens the table. When its index file cannot be used, the index file is rebuilt
// (rebuildIndexFile) and the table opened with it; returns true in that case.
bool openRepairingIndex(dbase::Table &table, const QString &sortExpression);

// As openRepairingIndex, but an index file that can be neither used nor rebuilt now
// (another user has the table open, a read-only medium) does not keep the table shut: it
// opens without the index, in natural order, and `why` says what stopped the rebuild.
enum class IndexOutcome { Used, Rebuilt, Ignored };
IndexOutcome openWithIndexFallback(dbase::Table &table, const QString &sortExpression,
                                   QString *why);

// The recent-files list after opening `current` while `previous` was open.
void updateRecentFiles(QString (&files)[5], const QString &previous, const QString &current);

} // namespace dbfiles
