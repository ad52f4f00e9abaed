#include "exchange/backup_window.h"

#include "config/color_scheme.h"
#include "db/coin_database.h"
#include "db/database_files.h"
#include "dbase/error.h"
#include "dbase/table.h"
#include "exchange/file_copy.h"
#include "platform/help_window.h"
#include "platform/long_work.h"
#include "platform/paths.h"
#include "platform/prompts.h"

#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace
{

const QString kReports = QStringLiteral("NUMAROK.URP");
const QString kBackupIdentical = QStringLiteral(
    "Destination File and Source File are identical.  You cannot copy a file  over top of "
    "itself.  Please choose a different directory/folder to backup to.");
const QString kBackupReportsIdentical = QStringLiteral(
    "Destination File and Source File are identical.  You cannot copy a file  over top of "
    "itself.  Please choose a different directory to backup to.");
const QString kBackupExclusive = QStringLiteral(
    "Backing up the database requires exclusive use of the DBase File.  Make sure that the "
    "DBase File is not in use by another program  or that no other users are running the "
    "software or that no other copies of the software are in use.");
const QString kBackupNoRoom = QStringLiteral(
    "There is not enough room on the destination drive to perform a backup.  If you are "
    "already using blank empty media, then you will need to use the ASCII Delimited "
    "Import/Export functions for backup and restore purposes.");
const QString kBackupReportsNoRoom = QStringLiteral(
    "There is not enough room on the destination drive to backup this file.  You will need to "
    "free up space on the destination drive or use an alternative method to backup the "
    "\"NUMAROK.URP\" file.");
const QString kBackupFailed =
    QStringLiteral("An error occurred during backup.  Backup not completed.");
const QString kBackupDone = QStringLiteral("Backup completed successfully.");

const QString kRestoreIdentical = QStringLiteral(
    "Destination File and Source File are identical.  You cannot copy a file  over top of "
    "itself.  Please choose a different directory/folder to restore from.");
const QString kRestoreExclusive = QStringLiteral(
    "Unable to restore the database.  Make sure the database is not in use by any other users "
    "or by another copy of the software.");
const QString kRestoreNoRoom = QStringLiteral(
    "There is not enough room on the destination drive to perform a restore.  You will need to "
    "free up hard drive space before completing the restore.");
const QString kRestoreFailed =
    QStringLiteral("An error occurred during restore.  Restore not completed.");
const QString kRestoreDone = QStringLiteral("Restore completed successfully.");

const QString kError = QStringLiteral("Error");
const QString kWarning = QStringLiteral("Warning");
const QString kNotice = QStringLiteral("Notice");

const char *const kListExtensions[3] = {".001", ".002", ".003"};

// The file name up to its first ".".
QString tableNameOf(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    const int dot = name.indexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

// Where the restore dialog starts: the directory of the last backup or restore of the run.
QString &lastDirectory()
{
    static QString directory;
    return directory;
}

// The open table taken for exclusive use, without reading its index file (a copy needs the
// records only, and a damaged index is no reason to refuse), and let go again. Held while
// the table's bytes are copied, so that no one writes them meanwhile.
class ExclusiveHold
{
public:
    explicit ExclusiveHold(dbase::Table &table) : m_table(table) {}
    ~ExclusiveHold() { release(); }
    ExclusiveHold(const ExclusiveHold &) = delete;
    ExclusiveHold &operator=(const ExclusiveHold &) = delete;

    bool take()
    {
        m_index = m_table.indexName();
        m_table.close();
        m_taken = true;
        m_table.setIndexName("");
        m_table.setIgnoreIndexFile(true);
        m_table.setExclusive(true);
        try {
            m_table.open();
        } catch (const dbase::Error &) {
            release();
            return false;
        }
        return true;
    }
    // The table closed and set up as it was (shared, its index); it stays closed.
    void release()
    {
        if (!m_taken) return;
        m_taken = false;
        m_table.close();
        m_table.setIgnoreIndexFile(false);
        m_table.setExclusive(false);
        m_table.setIndexName(m_index);
    }

private:
    dbase::Table &m_table;
    std::string m_index;
    bool m_taken = false;
};

} // namespace

// ---- both windows ------------------------------------------------------------------------

BackupDialog::BackupDialog(const BackupContext &context, QWidget *parent)
    : QDialog(parent), m_ctx(context)
{
}

QPushButton *BackupDialog::button(const char *name, const QString &text)
{
    auto *b = new QPushButton(text, this);
    b->setObjectName(QLatin1String(name));
    return b;
}

QRadioButton *BackupDialog::radio(const char *name, const QString &text)
{
    auto *r = new QRadioButton(text, this);
    r->setObjectName(QLatin1String(name));
    return r;
}

void BackupDialog::addButtons(QBoxLayout *layout)
{
    StartButton->setDefault(true);
    CancelButton = button("CancelButton", QStringLiteral("&Cancel"));
    HelpButton = button("HelpButton", QStringLiteral("&Help"));
    connect(CancelButton, &QPushButton::clicked, this, &BackupDialog::CancelButtonClick);
    connect(HelpButton, &QPushButton::clicked, this, &BackupDialog::HelpButtonClick);
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(StartButton);
    row->addWidget(CancelButton);
    row->addWidget(HelpButton);
    layout->addLayout(row);
}

void BackupDialog::CancelButtonClick()
{
    reject();
}

void BackupDialog::HelpButtonClick()
{
    help::show(this, QStringLiteral("Backup and Restore"));
}

bool BackupDialog::room(qint64 bytes, const QString &directory) const
{
    // The copy is written beside the file it replaces, so the whole size must fit.
    const qint64 free =
        m_ctx.freeSpace ? m_ctx.freeSpace(directory) : filecopy::freeSpace(directory);
    return free < 0 || bytes <= free;
}

bool BackupDialog::copy(const QString &source, const QString &destination)
{
    LongWork work(this, windowTitle());
    const QString what = QStringLiteral("Copying ") + QFileInfo(source).fileName();
    return filecopy::copyFile(source, destination, nullptr,
                              [&](qint64 done, qint64 total) { work.report(what, done, total); });
}

void BackupDialog::message(const QString &text, const QString &caption)
{
    const Prompts::Icon icon = caption == kError     ? Prompts::Icon::Error
                               : caption == kWarning ? Prompts::Icon::Warning
                               : caption == kNotice  ? Prompts::Icon::Information
                                                     : Prompts::Icon::None;
    Prompts::instance().message(this, text, caption, icon, QMessageBox::Ok, QMessageBox::Ok, false);
}

void BackupDialog::succeeded(const QString &text)
{
    if (!text.isEmpty()) message(text, kNotice);
    CancelButton->setText(QStringLiteral("&Close"));
    CancelButton->setFocus();
}

// ---- backup ---------------------------------------------------------------------------------

TMyBackup::TMyBackup(const BackupContext &context, QWidget *parent) : BackupDialog(context, parent)
{
    setObjectName(QStringLiteral("TMyBackup"));
    setWindowTitle(QStringLiteral("Backup"));

    auto *Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::StyledPanel);
    auto *what = new QVBoxLayout(Panel1);
    auto *Label1 = new QLabel(QStringLiteral("What To Back Up"), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    what->addWidget(Label1);
    BackDBF = radio("BackDBF", QStringLiteral("Current &Database (*.DBF)"));
    BackLST = radio("BackLST", QStringLiteral("Data &Lists of Current Database (*.0xx)"));
    BackURP = radio("BackURP", QStringLiteral("Global &Report Definitions (*.URP)"));
    BackINI = radio("BackINI", QStringLiteral("Config &File of Current Database (*.INI)"));
    for (QRadioButton *r : {BackDBF, BackLST, BackURP, BackINI})
        what->addWidget(r);

    auto *Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameShape(QFrame::StyledPanel);
    auto *where = new QVBoxLayout(Panel2);
    auto *Label2 = new QLabel(QStringLiteral("Where To Back Up To"), Panel2);
    Label2->setObjectName(QStringLiteral("Label2"));
    where->addWidget(Label2);
    // One directory chooser stands for the drive and directory lists: the folder tree,
    // and the chosen folder's path, which can also be typed.
    DirEdit = new QLineEdit(Panel2);
    DirEdit->setObjectName(QStringLiteral("DirEdit"));
    Label2->setBuddy(DirEdit);
    m_dirs = new QFileSystemModel(this);
    m_dirs->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_dirs->setRootPath(QStringLiteral("/"));
    DirBox = new QTreeView(Panel2);
    DirBox->setObjectName(QStringLiteral("DirBox"));
    DirBox->setModel(m_dirs);
    for (int c = 1; c < m_dirs->columnCount(); ++c)
        DirBox->hideColumn(c);
    DirBox->header()->hide();
    DirBox->setMinimumHeight(120);
    where->addWidget(DirEdit);
    where->addWidget(DirBox, 1);
    connect(DirBox->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid()) DirEdit->setText(m_dirs->filePath(current));
            });
    connect(DirEdit, &QLineEdit::editingFinished, this, &TMyBackup::DirEditReturn);
    connect(m_dirs, &QFileSystemModel::directoryLoaded, this, [this] {
        DirBox->scrollTo(DirBox->currentIndex(), QAbstractItemView::PositionAtCenter);
    });

    StartButton = button("StartButton", QStringLiteral("&Start Back Up"));
    connect(StartButton, &QPushButton::clicked, this, &TMyBackup::StartButtonClick);

    auto *all = new QVBoxLayout(this);
    all->addWidget(Panel1);
    all->addWidget(Panel2, 1);
    addButtons(all);
    resize(440, 400);
}

void TMyBackup::FormShow()
{
    if (m_ctx.place) m_ctx.place(this);
    SetColors();
    BackDBF->setChecked(true);
    setDirectory(paths::programDirectory());
}

void TMyBackup::SetColors()
{
    const colors::Painter paint(m_ctx.database.settings().scheme(colors::Target::Configure));
    paint.window(this);
    for (const char *panel : {"Panel1", "Panel2"})
        paint.window(findChild<QWidget *>(QLatin1String(panel)));
    for (const char *label : {"Label1", "Label2"})
        paint.majorTitle(findChild<QWidget *>(QLatin1String(label)));
    for (QRadioButton *r : {BackDBF, BackLST, BackURP, BackINI})
        paint.radio(r);
    paint.list(DirBox);
    paint.edit(DirEdit);
}

QString TMyBackup::directory() const
{
    const QString typed = DirEdit->text().trimmed();
    return typed.isEmpty() ? paths::programDirectory() : QDir::cleanPath(typed);
}

void TMyBackup::setDirectory(const QString &path)
{
    const QString clean = QDir::cleanPath(path);
    const QModelIndex index = m_dirs->index(clean);
    DirEdit->setText(clean);
    if (!index.isValid()) return;
    // The folders above it opened, so that it shows; the tree fills in as the model reads
    // the folders, and is scrolled to it again then.
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        DirBox->expand(up);
    DirBox->setCurrentIndex(index);
    DirBox->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void TMyBackup::DirEditReturn()
{
    // A typed folder that exists is shown in the tree; the copy goes to what is typed.
    const QString typed = QDir::cleanPath(DirEdit->text().trimmed());
    if (QFileInfo(typed).isDir() && m_dirs->filePath(DirBox->currentIndex()) != typed)
        setDirectory(typed);
}

void TMyBackup::StartButtonClick()
{
    const QString dir = directory();
    lastDirectory() = dir;
    try {
        if (BackDBF->isChecked())
            backupTable(dir);
        else if (BackLST->isChecked())
            backupLists(dir);
        else if (BackINI->isChecked())
            backupSettings(dir);
        else
            backupReports(dir);
    } catch (const dbase::Error &e) {
        // The table could not be opened again: the engine says why.
        message(QString::fromStdString(e.what()), kError);
    }
}

void TMyBackup::backupTable(const QString &dir)
{
    CoinDatabase &db = m_ctx.database;
    const QString source = db.currentPath();
    const QString destination = filecopy::joinPath(dir, QFileInfo(source).fileName());
    if (filecopy::sameFile(source, destination)) {
        message(kBackupIdentical, kError);
        return;
    }
    const bool searching = db.searchOn();
    if (searching && m_ctx.endSearch) m_ctx.endSearch();
    QString refusal;
    {
        ExclusiveHold hold(db.table());
        if (!hold.take())
            refusal = kBackupExclusive;
        else if (!room(QFileInfo(source).size(), dir))
            refusal = kBackupNoRoom;
        else if (!copy(source, destination))
            refusal = kBackupFailed;
    }
    // Whatever happened, the table is open shared again and the search as it was.
    db.reopenShared();
    if (searching && m_ctx.resumeSearch) m_ctx.resumeSearch();
    if (!refusal.isEmpty())
        message(refusal, kError);
    else
        succeeded(kBackupDone);
}

void TMyBackup::backupLists(const QString &dir)
{
    CoinDatabase &db = m_ctx.database;
    if (db.saveLists) db.saveLists(db.basePath());
    for (const char *ext : kListExtensions) {
        const QString source = db.basePath() + QLatin1String(ext);
        if (!QFileInfo::exists(source)) continue;
        const QString destination = filecopy::joinPath(dir, db.tableName() + QLatin1String(ext));
        if (filecopy::sameFile(source, destination)) {
            message(kBackupIdentical, kError);
            return;
        }
        if (!copy(source, destination)) {
            message(kBackupFailed, kError);
            return;
        }
    }
    succeeded(kBackupDone);
}

void TMyBackup::backupSettings(const QString &dir)
{
    CoinDatabase &db = m_ctx.database;
    db.saveSettings(db.settingsFilePath());
    const QString source = db.settingsFilePath();
    if (!QFileInfo::exists(source)) {
        succeeded(kBackupDone);
        return;
    }
    const QString destination = filecopy::joinPath(dir, QFileInfo(source).fileName());
    if (filecopy::sameFile(source, destination)) {
        message(kBackupIdentical, kError);
        return;
    }
    if (!copy(source, destination)) {
        message(kBackupFailed, kError);
        return;
    }
    succeeded(kBackupDone);
}

void TMyBackup::backupReports(const QString &dir)
{
    const QString source = paths::programFile(kReports);
    const QString destination = filecopy::joinPath(dir, kReports);
    if (filecopy::sameFile(source, destination)) {
        message(kBackupReportsIdentical, kError);
        return;
    }
    if (!room(QFileInfo(source).size(), dir)) {
        message(kBackupReportsNoRoom, kError);
        return;
    }
    if (!copy(source, destination)) {
        message(kBackupFailed, kError);
        return;
    }
    succeeded(kBackupDone);
}

// ---- restore --------------------------------------------------------------------------------

TMyRestore::TMyRestore(const BackupContext &context, QWidget *parent)
    : BackupDialog(context, parent)
{
    setObjectName(QStringLiteral("TMyRestore"));
    setWindowTitle(QStringLiteral("Restore"));

    auto *Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::StyledPanel);
    auto *what = new QVBoxLayout(Panel1);
    auto *Label1 = new QLabel(QStringLiteral("What To Restore"), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    what->addWidget(Label1);
    RestoreDBF = radio("RestoreDBF", QStringLiteral("&Database File (*.DBF)"));
    RestoreLST = radio("RestoreLST", QStringLiteral("Data &Lists of a Database (*.0xx)"));
    RestoreURP = radio("RestoreURP", QStringLiteral("Global &Report Definitions (*.URP)"));
    RestoreINI = radio("RestoreINI", QStringLiteral("Config &File of a Database (*.INI)"));
    for (QRadioButton *r : {RestoreDBF, RestoreLST, RestoreURP, RestoreINI})
        what->addWidget(r);

    StartButton = button("StartButton", QStringLiteral("&Start Restore"));
    connect(StartButton, &QPushButton::clicked, this, &TMyRestore::StartButtonClick);

    auto *all = new QVBoxLayout(this);
    all->addWidget(Panel1);
    all->addStretch();
    addButtons(all);
    resize(std::max(360, sizeHint().width()), sizeHint().height());
}

void TMyRestore::FormShow()
{
    if (m_ctx.place) m_ctx.place(this);
    SetColors();
    RestoreDBF->setChecked(true);
}

void TMyRestore::SetColors()
{
    const colors::Painter paint(m_ctx.database.settings().scheme(colors::Target::Configure));
    paint.window(this);
    paint.window(findChild<QWidget *>(QStringLiteral("Panel1")));
    paint.majorTitle(findChild<QWidget *>(QStringLiteral("Label1")));
    for (QRadioButton *r : {RestoreDBF, RestoreLST, RestoreURP, RestoreINI})
        paint.radio(r);
}

void TMyRestore::StartButtonClick()
{
    const QString tables = QStringLiteral("DBase Files (*.DBF *.dbf)");
    QString title, filter = tables, name;
    if (RestoreDBF->isChecked()) {
        title = QStringLiteral("Restore Database File");
    } else if (RestoreLST->isChecked()) {
        title = QStringLiteral("Restore Data List Files");
    } else if (RestoreINI->isChecked()) {
        title = QStringLiteral("Restore Configuration File");
    } else {
        title = QStringLiteral("Restore URP File");
        filter = QStringLiteral("Reports Files (*.URP *.urp)");
        name = kReports;
    }
    const QString start = lastDirectory().isEmpty() ? paths::programDirectory() : lastDirectory();
    const QString chosen = Prompts::instance().openFile(
        this, title, name.isEmpty() ? start : filecopy::joinPath(start, name), filter);
    if (chosen.isEmpty()) return;
    const QString sourceDir = QFileInfo(chosen).absolutePath();
    lastDirectory() = sourceDir;
    try {
        if (RestoreDBF->isChecked())
            restoreTable(chosen);
        else if (RestoreLST->isChecked())
            restoreLists(sourceDir);
        else if (RestoreINI->isChecked())
            restoreSettings(chosen);
        else
            restoreReports(sourceDir);
    } catch (const dbase::Error &e) {
        // The table could not be opened again: the engine says why.
        message(QString::fromStdString(e.what()), kError);
    }
}

void TMyRestore::restoreTable(const QString &chosen)
{
    CoinDatabase &db = m_ctx.database;
    if (db.searchOn() && m_ctx.endSearch) m_ctx.endSearch();
    const QString source = chosen;
    const QString programDir = paths::programDirectory();
    // A table of that name already in the program directory is the one replaced, also when
    // the medium changed the letter case of the name.
    const QString destination = filecopy::findFile(programDir, QFileInfo(chosen).fileName());
    if (filecopy::sameFile(source, destination)) {
        message(kRestoreIdentical, kError);
        return;
    }
    try {
        if (!db.checkFormat(this, source)) return;
    } catch (const dbase::Error &e) {
        message(QString::fromStdString(e.what()), kError);
        return;
    }

    const bool replacesOpen = filecopy::sameFile(destination, db.currentPath());
    bool copied = false;
    {
        ExclusiveHold hold(db.table());
        auto putBack = [&] {
            if (!replacesOpen) return;
            hold.release();
            db.reopenShared();
        };
        // Another program must not have open the table that the copy replaces.
        if (replacesOpen ? !hold.take() : filecopy::openElsewhere(destination)) {
            putBack();
            message(kRestoreExclusive, QStringLiteral("Numarok"));
            return;
        }
        if (!room(QFileInfo(source).size(), programDir)) {
            putBack();
            message(kRestoreNoRoom, kError);
            return;
        }
        // The open table is replaced under its lock, so no one opens the old file meanwhile.
        copied = copy(source, destination);
    }
    if (!copied) {
        if (replacesOpen) db.reopenShared();
        message(kRestoreFailed, kError);
        return;
    }
    // The restored file gets its sort index afresh, from the settings that go with it.
    const QString index = dbfiles::companion(destination, QStringLiteral("MDX"));
    if (QFileInfo::exists(index)) QFile::remove(index);
    dbfiles::RemoveMDXByte(destination);
    if (m_ctx.openDatabase) m_ctx.openDatabase(destination);
    // Whatever the open sequence said, a table is open when the run ends.
    if (!db.table().isOpen()) db.reopenShared();
    succeeded(kRestoreDone);
}

void TMyRestore::warnMissing(const QString &name)
{
    message(QStringLiteral("The following file \"") + name + QStringLiteral("\" could not be") +
                QStringLiteral(" located on the specified source drive."),
            kWarning);
}

void TMyRestore::restoreLists(const QString &sourceDir)
{
    CoinDatabase &db = m_ctx.database;
    // The files first hold what the editor holds, so that the lists not restored stay as
    // they are when all three are read back (a database whose lists were never written
    // would otherwise get the program's default lists instead of the restored ones).
    if (db.saveLists) db.saveLists(db.basePath());
    bool missing = false;
    QString failure;
    for (const char *ext : kListExtensions) {
        const QString name = db.tableName() + QLatin1String(ext);
        const QString source = filecopy::findFile(sourceDir, name);
        // Beside the open database, where its lists are read.
        const QString destination = db.basePath() + QLatin1String(ext);
        if (filecopy::sameFile(source, destination)) {
            failure = kRestoreIdentical;
            break;
        }
        if (!QFileInfo::exists(source)) {
            warnMissing(name);
            missing = true;
            continue;
        }
        if (!copy(source, destination)) {
            failure = kRestoreFailed;
            break;
        }
    }
    if (!failure.isEmpty())
        message(failure, kError);
    else if (missing)
        message(QStringLiteral("One or more files were not restored.  Restore may not have "
                               "completed successfully."),
                kNotice);
    else
        succeeded(QStringLiteral("ALL proper \"Data List\" files restored successfully."));
    // Also after a stop: the lists restored before it are the editor's now, so that it does
    // not save its older ones over them.
    if (db.loadLists) db.loadLists(db.basePath());
}

void TMyRestore::restoreSettings(const QString &chosen)
{
    CoinDatabase &db = m_ctx.database;
    const QString name = tableNameOf(chosen);
    const QString source =
        filecopy::findFile(QFileInfo(chosen).absolutePath(), name + QStringLiteral(".INI"));
    // The open database's settings file is where it reads them; another database's goes
    // where a restored table of that name goes, over its file whatever the letter case.
    const bool open = name.compare(db.tableName(), Qt::CaseInsensitive) == 0;
    const QString destination =
        open ? db.settingsFilePath()
             : filecopy::findFile(paths::programDirectory(), name + QStringLiteral(".INI"));
    if (filecopy::sameFile(source, destination)) {
        message(kRestoreIdentical, kError);
        return;
    }
    if (!QFileInfo::exists(source)) {
        warnMissing(name + QStringLiteral(".INI"));
        succeeded(QString());
        return;
    }
    if (!copy(source, destination)) {
        message(kRestoreFailed, kError);
        return;
    }
    if (open) {
        // The restored settings take over, the sort order included.
        LongWork work(this, windowTitle());
        work.attach(db.table());
        db.table().close();
        db.loadSettings(db.settingsFilePath());
        db.buildSortString();
        db.applyIndexOnOpen(true);
        db.openShared();
        if (m_ctx.applySettings) m_ctx.applySettings();
    }
    succeeded(QStringLiteral("Configuration File restored successfully."));
}

void TMyRestore::restoreReports(const QString &sourceDir)
{
    const QString source = filecopy::findFile(sourceDir, kReports);
    const QString destination = paths::programFile(kReports);
    if (filecopy::sameFile(source, destination)) {
        message(kRestoreIdentical, kError);
        return;
    }
    if (!QFileInfo::exists(source)) {
        message(QStringLiteral("The Report Definitions file \"NUMAROK.URP\" could not be  located "
                               "on the specified source drive."),
                kError);
        return;
    }
    if (!room(QFileInfo(source).size(), paths::programDirectory())) {
        message(kRestoreNoRoom, kError);
        return;
    }
    if (!copy(source, destination)) {
        message(kRestoreFailed, kError);
        return;
    }
    if (m_ctx.reloadReports) m_ctx.reloadReports();
    succeeded(kRestoreDone);
}
