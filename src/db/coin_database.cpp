#include "db/coin_database.h"

#include "dbase/error.h"
#include "platform/prompts.h"

#include <QFile>
#include <QFileInfo>

CoinDatabase::CoinDatabase(QObject *parent) : QObject(parent)
{
    // The table asks for every record while a search is on.
    m_table.setFilter([this](const dbase::Table &t) { return passesFilter(t); });
}

CoinDatabase::~CoinDatabase() = default;

int CoinDatabase::recordCount()
{
    return m_table.isOpen() ? static_cast<int>(m_table.recordCount()) : 0;
}

void CoinDatabase::checkRecordCount()
{
    const int count = recordCount();
    if (count == m_lastCount) return;
    m_lastCount = count;
    emit recordCountChanged(count);
}

void CoinDatabase::setSearchOn(bool on)
{
    m_searchOn = on;
    emit searchStateChanged(on);
}

bool CoinDatabase::passesFilter(const dbase::Table &table) const
{
    return !m_searchOn || !searchTest || searchTest(table);
}

void CoinDatabase::enterBrowseMode()
{
    m_browseMode = true;
    m_savedFieldEditing = m_settings.fieldEditing;
    m_settings.fieldEditing = false;
}

// ---- database files ------------------------------------------------------------------

bool CoinDatabase::checkFormat(QWidget *owner, const QString &path)
{
    if (dbfiles::hasCoinFields(m_checkTable, path)) return true;
    Prompts::instance().message(
        owner,
        QStringLiteral("This DBase file was not created with Numarok.  It cannot be "
                       "opened.  You may, however, import data from this file using "
                       "the import function."),
        QStringLiteral("Error"), Prompts::Icon::Error, QMessageBox::Ok, QMessageBox::Ok, false);
    return false;
}

bool CoinDatabase::inUse(const QString &path)
{
    return dbfiles::inUse(m_checkTable, path);
}

bool CoinDatabase::makeNew(const QString &path)
{
    if (QFile::exists(path) && inUse(path)) {
        Prompts::error(m_owner, QStringLiteral("The table \"") + path +
                                    QStringLiteral("\" is currently in use by another program.") +
                                    QStringLiteral("  New table creation will be aborted."));
        return false;
    }
    return dbfiles::createCoinTable(m_createTable, path);
}

// ---- the open sequence ------------------------------------------------------------------

void CoinDatabase::setPaths(const QString &path)
{
    const dbfiles::DatabasePaths p = dbfiles::databasePaths(path);
    dbfiles::locate(m_table, path);
    m_tableName = p.tableName;
    m_indexFilePath = p.indexFile;
    m_settingsFilePath = p.settingsFile;
    m_basePath = p.basePath;
    emit switched(m_tableName);
}

void CoinDatabase::buildSortString()
{
    m_sortString = dbfiles::buildSortString(m_settings.sortLevels);
}

bool CoinDatabase::openAtStart(const QString &path)
{
    m_currentPath = path;
    bool valid = false;
    try {
        valid = checkFormat(m_owner, path);
    } catch (const dbase::Error &e) {
        Prompts::error(m_owner, QString::fromStdString(e.what()));
    }
    if (!valid) return false;
    setPaths(path);
    loadSettings(m_settingsFilePath);
    buildSortString();
    if (!m_sortString.isEmpty()) {
        try {
            // The tag is used as it stands when it holds the stored sort order; one built
            // from other levels (a restored or copied settings file) is rebuilt.
            if (QFile::exists(m_indexFilePath) &&
                dbfiles::hasIndexTag(m_table, dbfiles::kIndexTag) &&
                dbfiles::indexMatchesSortString(m_indexFilePath, m_sortString))
                m_table.setIndexName(dbfiles::kIndexTag.toStdString());
            else if (dbfiles::applySortIndex(m_table, m_sortString, QFile::exists(m_indexFilePath)))
                noticeIndexRebuilt();
        } catch (const dbase::IndexError &) {
            // The index file cannot be read: the open below builds it afresh.
            m_table.setIndexName(dbfiles::kIndexTag.toStdString());
        } catch (const dbase::Error &e) {
            // Another user holds the table: show it unsorted rather than not at all.
            m_table.setIndexName("");
            Prompts::error(m_owner, QString::fromStdString(e.what()));
        }
    } else {
        m_table.setIndexName("");
    }
    m_table.setExclusive(false);
    try {
        openTable();
    } catch (const dbase::Error &e) {
        Prompts::error(m_owner, QString::fromStdString(e.what()));
        return false;
    }
    m_open = true;
    return true;
}

void CoinDatabase::switchTo(const QString &path, bool newDatabase)
{
    m_previousPath = m_currentPath;
    m_currentPath = path;
    const QString oldSettings = m_settingsFilePath;
    const QString oldBase = m_basePath;
    m_table.close();
    setPaths(path);
    if (m_open) {
        storeSettings(oldSettings);
        // The lists were saved, and a failure told, when they last changed (the editor's
        // close, a list dialog's Ok); this is one more try.
        if (saveLists) saveLists(oldBase);
    }
    if (newDatabase) {
        if (loadDefaultLists) loadDefaultLists();
    } else if (loadLists) {
        loadLists(m_basePath);
    }
    loadSettings(newDatabase ? QString() : m_settingsFilePath);
    buildSortString();
}

void CoinDatabase::loadSettings(const QString &path)
{
    LoadSettings(m_settings, SettingsScope::Database, path);
    if (m_browseMode) {
        m_savedFieldEditing = m_settings.fieldEditing;
        m_settings.fieldEditing = false;
    }
}

bool CoinDatabase::saveSettings(const QString &path)
{
    if (m_browseMode) m_settings.fieldEditing = m_savedFieldEditing;
    const bool saved = SaveSettings(m_settings, SettingsScope::Database, path);
    if (m_browseMode) m_settings.fieldEditing = false;
    return saved;
}

bool CoinDatabase::storeSettings(const QString &path)
{
    if (saveSettings(path)) return true;
    Prompts::error(m_owner, settingsNotWritten(path));
    return false;
}

void CoinDatabase::applyIndexOnOpen(bool checkInUse)
{
    try {
        // On a read-only medium the index cannot be rebuilt: it is used as it stands.
        const bool readOnly = !QFileInfo(m_currentPath).isWritable();
        if ((checkInUse && inUse(m_currentPath)) || readOnly) {
            // In use elsewhere: the index stays; only a tag the file lacks is let go.
            const QString wanted = readOnly && !m_sortString.isEmpty()
                                       ? dbfiles::kIndexTag
                                       : QString::fromStdString(m_table.indexName());
            m_table.setIndexName(dbfiles::hasIndexTag(m_table, wanted) ? wanted.toStdString()
                                                                       : std::string());
            return;
        }
        if (dbfiles::applySortIndex(m_table, m_sortString, QFile::exists(m_indexFilePath)))
            noticeIndexRebuilt();
    } catch (const dbase::IndexError &) {
        // Opening the table deals with the unreadable index file and tells the user.
        m_table.setIndexName(m_sortString.isEmpty() ? std::string()
                                                    : dbfiles::kIndexTag.toStdString());
    } catch (const dbase::Error &e) {
        m_table.setIndexName("");
        Prompts::error(m_owner, QString::fromStdString(e.what()));
    }
}

void CoinDatabase::openShared()
{
    m_table.setExclusive(false);
    openTable();
    m_open = true;
}

void CoinDatabase::openTable()
{
    QString why;
    switch (dbfiles::openWithIndexFallback(m_table, m_sortString, &why)) {
    case dbfiles::IndexOutcome::Used:
        break;
    case dbfiles::IndexOutcome::Rebuilt:
        noticeIndexRebuilt();
        break;
    case dbfiles::IndexOutcome::Ignored:
        Prompts::notice(m_owner,
                        QStringLiteral("The index file ") + QFileInfo(m_indexFilePath).fileName() +
                            QStringLiteral(" could not be read, and it cannot be rebuilt now: ") +
                            why +
                            QStringLiteral("  The records are shown in file order until it is "
                                           "rebuilt."));
        break;
    }
}

void CoinDatabase::reopenShared()
{
    m_table.close();
    m_table.setExclusive(false);
    openTable();
    emit reopened();
}

void CoinDatabase::noticeIndexRebuilt()
{
    Prompts::notice(m_owner, QStringLiteral("The index file ") +
                                 QFileInfo(m_indexFilePath).fileName() +
                                 QStringLiteral(" could not be read.  It has been rebuilt from the "
                                                "sort order; the records are unchanged."));
}

void CoinDatabase::close()
{
    if (m_open) storeSettings(m_settingsFilePath);
    m_table.close();
}
