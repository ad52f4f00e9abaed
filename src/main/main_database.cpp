// TMain's start-up, shutdown and database files: opening, creating and switching
// databases, the recent-files list and the settings around them.
#include "main_window.h"

#include "formats.h"
#include "long_work.h"
#include "paths.h"
#include "prompts.h"
#include "ready_made.h"
#include "record_editor.h"

#include <QAction>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace {
const QString kDatabaseFilter = QStringLiteral("Database Files (*.DBF *.dbf)");
}

// ---- start-up and shutdown --------------------------------------------------------------

bool TMain::FormCreate(const QStringList &arguments)
{
    DisableEndSearch();
    setWindowTitle(QStringLiteral("Numarok"));
    ViewerLabel->setText(QStringLiteral("Coin Viewer"));
    paths::programDirectory();
    paths::startupDirectory();
    // The report definitions: the ready-made ones when the file is missing, then the
    // earlier versions' reports taken over.
    reports::prepareReportFiles();
    picklists::installDefaults();

    LoadSettings(settings, SettingsScope::Program);
    move(settings.mainLeft, settings.mainTop);
    resize(settings.mainWidth, settings.mainHeight);
    applyDateStyle();
    action(settings.currencyFormat == 2 ? QStringLiteral("MenuCurrencyWin") : QStringLiteral("MenuCurrencyUS"))
        ->setChecked(true);
    action(settings.numericFormat == 2 ? QStringLiteral("MenuNumericWin") : QStringLiteral("MenuNumericUS"))
        ->setChecked(true);

    // The start database: the last one, else MASTER.DBF in the program directory, made
    // when it is missing.
    QString start = settings.lastDatabase;
    if (start.isEmpty() || !QFileInfo(start).isFile()) {
        start = paths::programFile(QStringLiteral("MASTER.DBF"));
        if (!QFileInfo(start).isFile()) {
            bool made = false;
            try {
                made = MakeNewDB(start);
            } catch (const dbase::Error &e) {
                Prompts::error(this, QString::fromStdString(e.what()));
            }
            if (!made) return false;
        }
    }

    bool valid = false;
    try {
        valid = CheckDBaseFormat(this, start);
    } catch (const dbase::Error &e) {
        Prompts::error(this, QString::fromStdString(e.what()));
    }
    if (valid) {
        CurrentDatabasePath = start;
        setDatabasePaths(start);
        loadDatabaseSettings(DatabaseSettingsPath);
        BuildSortString();
        if (!SortString.isEmpty()) {
            try {
                // The tag is used as it stands when it holds the stored sort order; one
                // built from other levels (a restored or copied settings file) is rebuilt.
                if (QFile::exists(IndexFilePath) &&
                    dbfiles::hasIndexTag(MyTable, dbfiles::kIndexTag) &&
                    dbfiles::indexMatchesSortString(IndexFilePath, SortString))
                    MyTable.setIndexName(dbfiles::kIndexTag.toStdString());
                else if (dbfiles::applySortIndex(MyTable, SortString, QFile::exists(IndexFilePath)))
                    noticeIndexRebuilt();
            } catch (const dbase::IndexError &) {
                // The index file cannot be read: the open below builds it afresh.
                MyTable.setIndexName(dbfiles::kIndexTag.toStdString());
            } catch (const dbase::Error &e) {
                // Another user holds the table: show it unsorted rather than not at all.
                MyTable.setIndexName("");
                Prompts::error(this, QString::fromStdString(e.what()));
            }
        } else {
            MyTable.setIndexName("");
        }
        MyTable.setExclusive(false);
        try {
            openMyTable();
        } catch (const dbase::Error &e) {
            Prompts::error(this, QString::fromStdString(e.what()));
            valid = false;
        }
    }
    if (valid) {
        m_databaseOpen = true;
    } else {
        CurrentDatabasePath = start;
        Prompts::error(
            this,
            QStringLiteral("The last database used as recorded in the INI file is not a valid "
                           "Numarok file.  You will need to choose a new file."));
        // Until a valid database is open. Cancelling the choice ends the program: without
        // a database there is nothing it can do.
        while (!m_databaseOpen) {
            const QString chosen =
                Prompts::instance().openFile(this, QStringLiteral("Open Database File"),
                                             paths::programDirectory(), kDatabaseFilter);
            if (chosen.isEmpty()) return false;
            runCommand([this, &chosen] { openFromPath(chosen, true); });
        }
    }

    lists.LoadAllList(BasePath); // the lists of the database opened at start-up
    SetButtonBar();
    // The dialog size applies when the screen holds it; the stored choice stays either way.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        screenSize = screen->geometry().size();
    const bool holds = formats::screenHolds(settings.windowSize, screenSize);
    m_scaleFactor = holds ? formats::scaleFactor(settings.windowSize) : 1.0;
    checkWindowSize(holds ? settings.windowSize : 640);
    regional = RegionalSettings::system();
    SetMenuLastFiles();

    if (!arguments.isEmpty()) {
        const QString first = arguments.first().toUpper();
        if (first == QLatin1String("/BROWSE") || first == QLatin1String("--BROWSE")) {
            BrowseMode = true;
            m_savedFieldEditing = settings.fieldEditing;
            settings.fieldEditing = false;
            applyBrowseMode();
        }
    }

    EditorContext editor{MyTable, settings, regional, lists, BasePath, EditorMode, BrowseMode,
                         [this](QWidget *d) { placeDialog(d); }};
    MyEdit = new TMyEdit(editor, this);
    MyEdit->FormCreate();
    return true;
}

void TMain::FormShow()
{
    DoFileSpecific();
}

void TMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TMain::closeEvent(QCloseEvent *event)
{
    if (!m_closed) { // a second close (say, after a signal) must not save again
        m_closed = true;
        FormClose();
    }
    event->accept();
}

void TMain::FormClose()
{
    DisableEndSearch();
    // Saved as it is restored: the frame's position (move) and the window's size (resize).
    settings.mainLeft = pos().x();
    settings.mainTop = pos().y();
    settings.mainWidth = width();
    settings.mainHeight = height();
    settings.lastDatabase = CurrentDatabasePath;
    SaveSettings(settings, SettingsScope::Program);
    if (m_databaseOpen) saveDatabaseSettings(DatabaseSettingsPath);
    MyTable.close();
}

// ---- database files ------------------------------------------------------------------

bool TMain::CheckDBaseFormat(QWidget *owner, const QString &path)
{
    if (dbfiles::hasCoinFields(MyCheckTable, path)) return true;
    Prompts::instance().message(
        owner,
        QStringLiteral("This DBase file was not created with Numarok.  It cannot be "
                       "opened.  You may, however, import data from this file using "
                       "the import function."),
        QStringLiteral("Error"), Prompts::Icon::Error, QMessageBox::Ok, QMessageBox::Ok, false);
    return false;
}

bool TMain::DBaseInUse(const QString &path)
{
    return dbfiles::inUse(MyCheckTable, path);
}

void TMain::RemoveMDXByte(const QString &path)
{
    dbfiles::RemoveMDXByte(path);
}

bool TMain::MyTableFilter(const dbase::Table &table) const
{
    return !SearchOn || !SearchTest || SearchTest(table);
}

bool TMain::MakeNewDB(const QString &path)
{
    if (QFile::exists(path) && DBaseInUse(path)) {
        Prompts::error(this, QStringLiteral("The table \"") + path +
                                 QStringLiteral("\" is currently in use by another program.") +
                                 QStringLiteral("  New table creation will be aborted."));
        return false;
    }
    return dbfiles::createCoinTable(MyCreateTable, path);
}

void TMain::setDatabasePaths(const QString &path)
{
    const dbfiles::DatabasePaths p = dbfiles::databasePaths(path);
    dbfiles::locate(MyTable, path);
    TableName = p.tableName;
    setWindowTitle(QStringLiteral("Numarok (") + TableName + QLatin1Char(')'));
    IndexFilePath = p.indexFile;
    DatabaseSettingsPath = p.settingsFile;
    BasePath = p.basePath;
}

void TMain::BuildSortString()
{
    SortString = dbfiles::buildSortString(settings.sortLevels);
}

void TMain::DoOpen()
{
    const QString chosen = Prompts::instance().openFile(
        this, QStringLiteral("Open Database File"), QFileInfo(CurrentDatabasePath).absolutePath(),
        kDatabaseFilter);
    if (!chosen.isEmpty()) openFromPath(chosen, true);
    DisplayCount();
}

void TMain::OpenSaveFile(const QString &path)
{
    openFromPath(path, false);
}

void TMain::openFromPath(const QString &path, bool fromDialog)
{
    if (fromDialog && !path.right(4).toUpper().endsWith(QLatin1String(".DBF"))) {
        Prompts::error(this, QStringLiteral("Invalid file type selected."));
        return;
    }
    if (!CheckDBaseFormat(this, path)) return;
    if (SearchOn) DoEndSearch();
    const bool hadDatabase = m_databaseOpen;
    {
        // The index is rebuilt on open: a large table takes a while.
        LongWork work(this, windowTitle());
        work.attach(MyTable);
        switchDatabase(path, false);
        applyIndexOnOpen(true);
        openTable();
    }
    if (hadDatabase) DoLastFiles(PreviousDatabasePath, CurrentDatabasePath);
}

// Moves from the open database to `path`: the old one's settings and pick lists are
// saved, the new one's read (a new database starts from the program-wide values and the
// default lists), and the sort expression rebuilt. The table is left closed.
void TMain::switchDatabase(const QString &path, bool newDatabase)
{
    PreviousDatabasePath = CurrentDatabasePath;
    CurrentDatabasePath = path;
    const QString oldSettings = DatabaseSettingsPath;
    const QString oldBase = BasePath;
    MyTable.close();
    setDatabasePaths(path);
    if (m_databaseOpen) {
        saveDatabaseSettings(oldSettings);
        if (SaveAllLists) SaveAllLists(oldBase);
    }
    if (newDatabase) {
        if (LoadDefaultList) LoadDefaultList();
    } else if (LoadAllList) {
        LoadAllList(BasePath);
    }
    loadDatabaseSettings(newDatabase ? QString() : DatabaseSettingsPath);
    BuildSortString();
}

// Browse mode keeps grid editing off for the run without changing the stored option.
void TMain::loadDatabaseSettings(const QString &path)
{
    LoadSettings(settings, SettingsScope::Database, path);
    if (BrowseMode) {
        m_savedFieldEditing = settings.fieldEditing;
        settings.fieldEditing = false;
    }
}

void TMain::reopenShared()
{
    MyTable.close();
    MyTable.setExclusive(false);
    openMyTable();
    SetViewerOptions();
}

void TMain::openMyTable()
{
    QString why;
    switch (dbfiles::openWithIndexFallback(MyTable, SortString, &why)) {
    case dbfiles::IndexOutcome::Used:
        break;
    case dbfiles::IndexOutcome::Rebuilt:
        noticeIndexRebuilt();
        break;
    case dbfiles::IndexOutcome::Ignored:
        Prompts::notice(
            this, QStringLiteral("The index file ") + QFileInfo(IndexFilePath).fileName() +
                      QStringLiteral(" could not be read, and it cannot be rebuilt now: ") + why +
                      QStringLiteral("  The records are shown in file order until it is "
                                     "rebuilt."));
        break;
    }
}

void TMain::noticeIndexRebuilt()
{
    Prompts::notice(this, QStringLiteral("The index file ") + QFileInfo(IndexFilePath).fileName() +
                              QStringLiteral(" could not be read.  It has been rebuilt from the "
                                             "sort order; the records are unchanged."));
}

bool TMain::saveDatabaseSettings(const QString &path)
{
    if (BrowseMode)
        settings.fieldEditing = m_savedFieldEditing;
    const bool saved = SaveSettings(settings, SettingsScope::Database, path);
    if (BrowseMode)
        settings.fieldEditing = false;
    return saved;
}

// The sort index "NewIndex" rebuilt from the sort expression, when no one else has the
// table open. A failure leaves the records unsorted rather than the database unopened.
void TMain::applyIndexOnOpen(bool checkInUse)
{
    try {
        // On a read-only medium the index cannot be rebuilt: it is used as it stands.
        const bool readOnly = !QFileInfo(CurrentDatabasePath).isWritable();
        if ((checkInUse && DBaseInUse(CurrentDatabasePath)) || readOnly) {
            // In use elsewhere: the index stays; only a tag the file lacks is let go.
            const QString wanted = readOnly && !SortString.isEmpty()
                                       ? dbfiles::kIndexTag
                                       : QString::fromStdString(MyTable.indexName());
            MyTable.setIndexName(dbfiles::hasIndexTag(MyTable, wanted) ? wanted.toStdString() : std::string());
            return;
        }
        if (dbfiles::applySortIndex(MyTable, SortString, QFile::exists(IndexFilePath)))
            noticeIndexRebuilt();
    } catch (const dbase::IndexError &) {
        // Opening the table deals with the unreadable index file and tells the user.
        MyTable.setIndexName(SortString.isEmpty() ? std::string()
                                                  : dbfiles::kIndexTag.toStdString());
    } catch (const dbase::Error &e) {
        MyTable.setIndexName("");
        Prompts::error(this, QString::fromStdString(e.what()));
    }
}

void TMain::openTable()
{
    MyTable.setExclusive(false);
    openMyTable();
    m_databaseOpen = true;
    DoFileSpecific();
}

void TMain::DoNew()
{
    const QString chosen = Prompts::instance().saveFile(
        this, QStringLiteral("New Database File"), QFileInfo(CurrentDatabasePath).absolutePath(),
        kDatabaseFilter, QStringLiteral("DBF"));
    if (chosen.isEmpty()) {
        DisplayCount();
        return;
    }
    if (SearchOn) DoEndSearch();
    if (!chosen.right(4).toUpper().endsWith(QLatin1String(".DBF"))) {
        Prompts::error(this, QStringLiteral("Invalid file type selected."));
        DisplayCount();
        return;
    }
    if (!MakeNewDB(chosen)) {
        DisplayCount();
        return;
    }
    switchDatabase(chosen, true);
    applyIndexOnOpen(false);
    openTable();
    DoLastFiles(PreviousDatabasePath, CurrentDatabasePath);
    DisplayCount();
}

void TMain::DoLastFiles(const QString &previous, const QString &current)
{
    dbfiles::updateRecentFiles(settings.lastFiles, previous, current);
    SetMenuLastFiles();
}

void TMain::SetMenuLastFiles()
{
    bool any = false;
    for (const QString &f : settings.lastFiles)
        any = any || !f.isEmpty();
    MenuExitSep->setVisible(any);
    for (int n = 1; n <= 5; ++n) {
        QAction *item = lastFileAction(n);
        const QString &path = settings.lastFiles[n - 1];
        item->setText(QStringLiteral("&%1   ").arg(n) + path);
        item->setVisible(any && !path.isEmpty());
    }
}

void TMain::MenuUpdateDatabaseClick()
{
    LongWork work(this, windowTitle());
    work.attach(MyTable);
    const bool searching = SearchOn;
    if (searching) DoEndSearch();
    saveDatabaseSettings(DatabaseSettingsPath);
    MyTable.close();
    if (searching) EnableEndSearch();
    openMyTable();
    SetViewerOptions();
}

void TMain::DoFileSpecific()
{
    readFonts();
    applyMainFonts();
    SetViewerOptions();
    SetColors();
    DisplayCount();
}

