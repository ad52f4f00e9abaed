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

QLabel *BackupDialog::panel(const char *name, const char *labelName, const QString &title,
                            QVBoxLayout *&layout)
{
    auto *frame = new QFrame(this);
    frame->setObjectName(QLatin1String(name));
    frame->setFrameShape(QFrame::StyledPanel);
    layout = new QVBoxLayout(frame);
    auto *label = new QLabel(title, frame);
    label->setObjectName(QLatin1String(labelName));
    layout->addWidget(label);
    return label;
}

QWidget *BackupDialog::kindPanel(const QString &title,
                                 const std::array<KindButton, KindCount> &kinds)
{
    QVBoxLayout *layout = nullptr;
    panel("Panel1", "Label1", title, layout);
    for (int k = 0; k < KindCount; ++k) {
        m_kinds[k] = new QRadioButton(QString::fromUtf8(kinds[k].text), layout->parentWidget());
        m_kinds[k]->setObjectName(QLatin1String(kinds[k].name));
        layout->addWidget(m_kinds[k]);
    }
    m_kinds[Table]->setChecked(true);
    return layout->parentWidget();
}

void BackupDialog::paintKinds(const colors::Painter &paint)
{
    paint.window(this);
    paint.window(findChild<QWidget *>(QStringLiteral("Panel1")));
    paint.majorTitle(findChild<QWidget *>(QStringLiteral("Label1")));
    for (QRadioButton *r : m_kinds)
        paint.radio(r);
}

BackupDialog::Kind BackupDialog::checkedKind() const
{
    for (int k = 0; k < KindCount; ++k)
        if (m_kinds[k]->isChecked()) return Kind(k);
    return Table;
}

void BackupDialog::runChecked(const std::array<std::function<void()>, KindCount> &work)
{
    try {
        work[checkedKind()]();
    } catch (const dbase::Error &e) {
        // The table could not be opened again: the engine says why.
        message(QString::fromStdString(e.what()), kError);
    }
}

void BackupDialog::addButtons(QBoxLayout *layout)
{
    StartButton->setDefault(true);
    connect(StartButton, &QPushButton::clicked, this, [this] { StartButtonClick(); });
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

void BackupDialog::FormShow()
{
    if (m_ctx.place) m_ctx.place(this);
    SetColors();
    m_kinds[Table]->setChecked(true);
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

bool BackupDialog::identical(const QString &source, const QString &destination,
                             const QString &refusal)
{
    if (!filecopy::sameFile(source, destination)) return false;
    message(refusal, kError);
    return true;
}

bool BackupDialog::copied(const QString &source, const QString &destination, const QString &failure)
{
    if (copy(source, destination)) return true;
    message(failure, kError);
    return false;
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

    QWidget *Panel1 = kindPanel(QStringLiteral("What To Back Up"),
                                {{{"BackDBF", "Current &Database (*.DBF)"},
                                  {"BackLST", "Data &Lists of Current Database (*.0xx)"},
                                  {"BackURP", "Global &Report Definitions (*.URP)"},
                                  {"BackINI", "Config &File of Current Database (*.INI)"}}});
    BackDBF = m_kinds[Table];
    BackLST = m_kinds[Lists];
    BackURP = m_kinds[Reports];
    BackINI = m_kinds[Settings];

    QVBoxLayout *where = nullptr;
    QLabel *Label2 = panel("Panel2", "Label2", QStringLiteral("Where To Back Up To"), where);
    QWidget *Panel2 = where->parentWidget();
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

    auto *all = new QVBoxLayout(this);
    all->addWidget(Panel1);
    all->addWidget(Panel2, 1);
    addButtons(all);
    resize(440, 400);
}

void TMyBackup::FormShow()
{
    BackupDialog::FormShow();
    setDirectory(paths::programDirectory());
}

void TMyBackup::SetColors()
{
    const colors::Painter paint(m_ctx.database.settings().scheme(colors::Target::Configure));
    paintKinds(paint);
    paint.window(findChild<QWidget *>(QStringLiteral("Panel2")));
    paint.majorTitle(findChild<QWidget *>(QStringLiteral("Label2")));
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
    runChecked({[&] { backupTable(dir); }, [&] { backupLists(dir); }, [&] { backupReports(dir); },
                [&] { backupSettings(dir); }});
}

void TMyBackup::backupTable(const QString &dir)
{
    CoinDatabase &db = m_ctx.database;
    const QString source = db.currentPath();
    const QString destination = filecopy::joinPath(dir, QFileInfo(source).fileName());
    if (identical(source, destination, kBackupIdentical)) return;
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
    // As for the settings: files that could not be written hold older lists, and a copy of
    // them is not the backup asked for.
    if (db.saveLists && !db.saveLists(db.basePath())) {
        message(kBackupFailed, kError);
        return;
    }
    for (const char *ext : kListExtensions) {
        const QString source = db.basePath() + QLatin1String(ext);
        if (!QFileInfo::exists(source)) continue;
        const QString destination = filecopy::joinPath(dir, db.tableName() + QLatin1String(ext));
        if (identical(source, destination, kBackupIdentical) ||
            !copied(source, destination, kBackupFailed))
            return;
    }
    succeeded(kBackupDone);
}

void TMyBackup::backupSettings(const QString &dir)
{
    CoinDatabase &db = m_ctx.database;
    // The settings as the windows hold them go to the file first; a file that could not be
    // written holds older ones, and a copy of it is not the backup asked for.
    if (!db.saveSettings(db.settingsFilePath())) {
        message(kBackupFailed, kError);
        return;
    }
    const QString source = db.settingsFilePath();
    if (!QFileInfo::exists(source)) {
        succeeded(kBackupDone);
        return;
    }
    const QString destination = filecopy::joinPath(dir, QFileInfo(source).fileName());
    if (identical(source, destination, kBackupIdentical) ||
        !copied(source, destination, kBackupFailed))
        return;
    succeeded(kBackupDone);
}

void TMyBackup::backupReports(const QString &dir)
{
    const QString source = paths::programFile(kReports);
    const QString destination = filecopy::joinPath(dir, kReports);
    if (identical(source, destination, kBackupReportsIdentical)) return;
    if (!room(QFileInfo(source).size(), dir)) {
        message(kBackupReportsNoRoom, kError);
        return;
    }
    if (!copied(source, destination, kBackupFailed)) return;
    succeeded(kBackupDone);
}

// ---- restore --------------------------------------------------------------------------------

TMyRestore::TMyRestore(const BackupContext &context, QWidget *parent)
    : BackupDialog(context, parent)
{
    setObjectName(QStringLiteral("TMyRestore"));
    setWindowTitle(QStringLiteral("Restore"));

    QWidget *Panel1 = kindPanel(QStringLiteral("What To Restore"),
                                {{{"RestoreDBF", "&Database File (*.DBF)"},
                                  {"RestoreLST", "Data &Lists of a Database (*.0xx)"},
                                  {"RestoreURP", "Global &Report Definitions (*.URP)"},
                                  {"RestoreINI", "Config &File of a Database (*.INI)"}}});
    RestoreDBF = m_kinds[Table];
    RestoreLST = m_kinds[Lists];
    RestoreURP = m_kinds[Reports];
    RestoreINI = m_kinds[Settings];

    StartButton = button("StartButton", QStringLiteral("&Start Restore"));

    auto *all = new QVBoxLayout(this);
    all->addWidget(Panel1);
    all->addStretch();
    addButtons(all);
    resize(std::max(360, sizeHint().width()), sizeHint().height());
}

void TMyRestore::SetColors()
{
    paintKinds(colors::Painter(m_ctx.database.settings().scheme(colors::Target::Configure)));
}

void TMyRestore::StartButtonClick()
{
    // The file dialog by kind: for the lists and the settings the user points at the
    // backed-up table whose companion files are restored.
    struct Choice {
        const char *title;
        const char *filter;
        QString name;
    };
    const char *tables = "DBase Files (*.DBF *.dbf)";
    const std::array<Choice, KindCount> choices = {
        {{"Restore Database File", tables, QString()},
         {"Restore Data List Files", tables, QString()},
         {"Restore URP File", "Reports Files (*.URP *.urp)", kReports},
         {"Restore Configuration File", tables, QString()}}};
    const Choice &choice = choices[checkedKind()];
    const QString title = QLatin1String(choice.title), filter = QLatin1String(choice.filter),
                  name = choice.name;
    const QString start = lastDirectory().isEmpty() ? paths::programDirectory() : lastDirectory();
    const QString chosen = Prompts::instance().openFile(
        this, title, name.isEmpty() ? start : filecopy::joinPath(start, name), filter);
    if (chosen.isEmpty()) return;
    const QString sourceDir = QFileInfo(chosen).absolutePath();
    lastDirectory() = sourceDir;
    runChecked({[&] { restoreTable(chosen); }, [&] { restoreLists(sourceDir); },
                [&] { restoreReports(sourceDir); }, [&] { restoreSettings(chosen); }});
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
    if (identical(source, destination, kRestoreIdentical)) return;
    // The engine finds a table by its name and the extension .DBF: any other file would
    // be checked and opened as the table of that name beside it, not as itself.
    if (!source.right(4).toUpper().endsWith(QLatin1String(".DBF"))) {
        message(QStringLiteral("Invalid file type selected."), kError);
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
    // Lists that could not be written would be read back older: nothing is restored then.
    if (db.saveLists && !db.saveLists(db.basePath())) {
        message(kRestoreFailed, kError);
        return;
    }
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
    if (identical(source, destination, kRestoreIdentical)) return;
    if (!QFileInfo::exists(source)) {
        warnMissing(name + QStringLiteral(".INI"));
        succeeded(QString());
        return;
    }
    if (!copied(source, destination, kRestoreFailed)) return;
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
    if (identical(source, destination, kRestoreIdentical)) return;
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
    if (!copied(source, destination, kRestoreFailed)) return;
    if (m_ctx.reloadReports) m_ctx.reloadReports();
    succeeded(kRestoreDone);
}
