// TMain's start-up, shutdown and database files: opening, creating and switching
// databases, the recent-files list and the settings around them.
#include "main/main_window.h"

#include "db/conversion.h"
#include "dbase/error.h"
#include "editor/record_editor.h"
#include "platform/long_work.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "reports/ready_made.h"
#include "ui/formats.h"
#include "ui/window_options.h"

#include <QAction>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTableView>
#include <QTimer>

namespace
{
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

    LoadSettings(m_db.settings(), SettingsScope::Program);
    move(m_db.settings().mainLeft, m_db.settings().mainTop);
    resize(m_db.settings().mainWidth, m_db.settings().mainHeight);
    applyDateStyle();
    action(m_db.settings().currencyFormat == 2 ? QStringLiteral("MenuCurrencyWin")
                                               : QStringLiteral("MenuCurrencyUS"))
        ->setChecked(true);
    action(m_db.settings().numericFormat == 2 ? QStringLiteral("MenuNumericWin")
                                              : QStringLiteral("MenuNumericUS"))
        ->setChecked(true);

    // The start database: the last one, else MASTER.DBF in the program directory, made
    // when it is missing.
    QString start = m_db.settings().lastDatabase;
    if (start.isEmpty() || !QFileInfo(start).isFile()) {
        start = paths::programFile(QStringLiteral("MASTER.DBF"));
        if (!QFileInfo(start).isFile()) {
            bool made = false;
            try {
                made = m_db.makeNew(start);
            } catch (const dbase::Error &e) {
                Prompts::error(this, QString::fromStdString(e.what()));
            }
            if (!made) return false;
        }
    }

    m_db.setPromptOwner(this);
    const bool valid = m_db.openAtStart(start);
    if (!valid) {
        Prompts::error(
            this,
            QStringLiteral("The last database used as recorded in the INI file is not a valid "
                           "Numarok file.  You will need to choose a new file."));
        // Until a valid database is open. Cancelling the choice ends the program: without
        // a database there is nothing it can do.
        while (!m_db.isOpen()) {
            const QString chosen =
                Prompts::instance().openFile(this, QStringLiteral("Open Database File"),
                                             paths::programDirectory(), kDatabaseFilter);
            if (chosen.isEmpty()) return false;
            runCommand([this, &chosen] { openFromPath(chosen, true); });
        }
    }

    lists.LoadAllList(m_db.basePath()); // the lists of the database opened at start-up
    SetButtonBar();
    // The dialog size applies when the screen holds it; the stored choice stays either way.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        screenSize = screen->geometry().size();
    const bool holds = formats::screenHolds(m_db.settings().windowSize, screenSize);
    m_scaleFactor = holds ? formats::scaleFactor(m_db.settings().windowSize) : 1.0;
    checkWindowSize(holds ? m_db.settings().windowSize : 640);
    regional = RegionalSettings::system();
    SetMenuLastFiles();

    if (!arguments.isEmpty()) {
        const QString first = arguments.first().toUpper();
        if (first == QLatin1String("/BROWSE") || first == QLatin1String("--BROWSE")) {
            m_db.enterBrowseMode();
            applyBrowseMode();
        }
    }
    // The earlier versions' tables, offered once the start database is open (a browse-mode
    // run changes nothing, so it leaves them for the next ordinary start).
    CheckForConversion(m_db, this);

    EditorContext editor{m_db, regional, lists, [this](QWidget *d) { placeDialog(d); }};
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
        // The remembered size and place, kept on the screen once the window manager has
        // given the window its frame (it tells its size a moment after the window shows).
        QTimer::singleShot(300, this, [this] {
            if (const QScreen *s = screen()) windowopts::keepOnScreen(this, s->availableGeometry());
        });
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

void TMain::commitGridEdit()
{
    const QModelIndex cell = ViewerGrid ? ViewerGrid->currentIndex() : QModelIndex();
    if (QWidget *editor = cell.isValid() ? ViewerGrid->indexWidget(cell) : nullptr)
        emit ViewerGrid->itemDelegate()->commitData(editor);
}

void TMain::FormClose()
{
    // Closing does not take the focus from a cell editor, so nothing else would store it.
    commitGridEdit();
    DisableEndSearch();
    // Saved as it is restored: the frame's position (move) and the window's size (resize).
    m_db.settings().mainLeft = pos().x();
    m_db.settings().mainTop = pos().y();
    m_db.settings().mainWidth = width();
    m_db.settings().mainHeight = height();
    m_db.settings().lastDatabase = m_db.currentPath();
    if (!SaveSettings(m_db.settings(), SettingsScope::Program))
        Prompts::error(this, settingsNotWritten(paths::programSettingsFile()));
    m_db.close();
}

// ---- database files ------------------------------------------------------------------

void TMain::DoOpen()
{
    const QString chosen =
        Prompts::instance().openFile(this, QStringLiteral("Open Database File"),
                                     QFileInfo(m_db.currentPath()).absolutePath(), kDatabaseFilter);
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
    if (!m_db.checkFormat(this, path)) return;
    if (m_db.searchOn()) DoEndSearch();
    const bool hadDatabase = m_db.isOpen();
    {
        // The index is rebuilt on open: a large table takes a while.
        LongWork work(this, windowTitle());
        work.attach(m_db.table());
        m_db.switchTo(path, false);
        m_db.applyIndexOnOpen(true);
        openTable();
    }
    if (hadDatabase) DoLastFiles(m_db.previousPath(), m_db.currentPath());
}

void TMain::reopenShared()
{
    m_db.reopenShared(); // the grid follows through reopened()
}

void TMain::openTable()
{
    m_db.openShared();
    DoFileSpecific();
}

void TMain::DoNew()
{
    const QString chosen = Prompts::instance().saveFile(
        this, QStringLiteral("New Database File"), QFileInfo(m_db.currentPath()).absolutePath(),
        kDatabaseFilter, QStringLiteral("DBF"));
    if (chosen.isEmpty()) {
        DisplayCount();
        return;
    }
    if (m_db.searchOn()) DoEndSearch();
    if (!chosen.right(4).toUpper().endsWith(QLatin1String(".DBF"))) {
        Prompts::error(this, QStringLiteral("Invalid file type selected."));
        DisplayCount();
        return;
    }
    if (!m_db.makeNew(chosen)) {
        DisplayCount();
        return;
    }
    m_db.switchTo(chosen, true);
    m_db.applyIndexOnOpen(false);
    openTable();
    DoLastFiles(m_db.previousPath(), m_db.currentPath());
    DisplayCount();
}

void TMain::DoLastFiles(const QString &previous, const QString &current)
{
    dbfiles::updateRecentFiles(m_db.settings().lastFiles, previous, current);
    SetMenuLastFiles();
}

void TMain::SetMenuLastFiles()
{
    bool any = false;
    for (const QString &f : m_db.settings().lastFiles)
        any = any || !f.isEmpty();
    MenuExitSep->setVisible(any);
    for (int n = 1; n <= 5; ++n) {
        QAction *item = lastFileAction(n);
        const QString &path = m_db.settings().lastFiles[n - 1];
        item->setText(QStringLiteral("&%1   ").arg(n) + path);
        item->setVisible(any && !path.isEmpty());
    }
}

void TMain::MenuUpdateDatabaseClick()
{
    LongWork work(this, windowTitle());
    work.attach(m_db.table());
    const bool searching = m_db.searchOn();
    if (searching) DoEndSearch();
    m_db.storeSettings(m_db.settingsFilePath());
    m_db.table().close();
    if (searching) EnableEndSearch();
    m_db.openTable();
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
