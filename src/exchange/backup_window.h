// TMyBackup and TMyRestore: one kind of file per run (the open database's table, its pick
// lists or its settings file, or the report definitions) copied whole to a directory the
// user picks, or copied back from one into the program directory.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>

class CoinDatabase;
class QFileSystemModel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeView;

// What the backup and restore windows use besides the open database; everything belongs
// to the main window.
struct BackupContext {
    CoinDatabase &database;
    std::function<void(QWidget *)> place; // fonts, scaling and centring
    // "End Search" (the search off, every record shown) and the search on again.
    std::function<void()> endSearch;
    std::function<void()> resumeSearch;
    // The full open sequence on a database file: the old one's settings and lists saved,
    // the new one's read, its sort index built, the table opened, the recent files updated.
    std::function<void(const QString &path)> openDatabase;
    // Fonts, viewer options, colours and record count after the settings were read anew.
    std::function<void()> applySettings;
    // The report selection window's list read anew from the report definitions.
    std::function<void()> reloadReports;
    // Free bytes in a directory; empty: what the file system says.
    std::function<qint64(const QString &directory)> freeSpace;
};

// Shared by both windows: the copy with the wait cursor, the room test, messages.
class BackupDialog : public QDialog
{
    Q_OBJECT
public:
    QPushButton *StartButton = nullptr, *CancelButton = nullptr, *HelpButton = nullptr;

    void CancelButtonClick();
    void HelpButtonClick();

protected:
    BackupDialog(const BackupContext &context, QWidget *parent);
    QPushButton *button(const char *name, const QString &text);
    QRadioButton *radio(const char *name, const QString &text);
    void addButtons(class QBoxLayout *layout);

    // Whether `bytes` fit in `directory` (an unknown figure lets the copy try).
    bool room(qint64 bytes, const QString &directory) const;
    bool copy(const QString &source, const QString &destination);
    void message(const QString &text, const QString &caption);
    void succeeded(const QString &text);

    BackupContext m_ctx;
};

class TMyBackup : public BackupDialog
{
    Q_OBJECT
public:
    explicit TMyBackup(const BackupContext &context, QWidget *parent = nullptr);

    void FormShow();
    void SetColors();
    void StartButtonClick();

    // The directory the copy goes to (the chooser's current one), and choosing it.
    QString directory() const;
    void setDirectory(const QString &path);

    QRadioButton *BackDBF = nullptr, *BackLST = nullptr, *BackURP = nullptr, *BackINI = nullptr;
    QTreeView *DirBox = nullptr;
    QLineEdit *DirEdit = nullptr;

private:
    void backupTable(const QString &dir);
    void backupLists(const QString &dir);
    void backupSettings(const QString &dir);
    void backupReports(const QString &dir);
    void DirEditReturn();

    QFileSystemModel *m_dirs = nullptr;
};

class TMyRestore : public BackupDialog
{
    Q_OBJECT
public:
    explicit TMyRestore(const BackupContext &context, QWidget *parent = nullptr);

    void FormShow();
    void SetColors();
    void StartButtonClick();

    QRadioButton *RestoreDBF = nullptr, *RestoreLST = nullptr, *RestoreURP = nullptr,
                 *RestoreINI = nullptr;

private:
    void restoreTable(const QString &chosen);
    void restoreLists(const QString &sourceDir);
    void restoreSettings(const QString &chosen);
    void restoreReports(const QString &sourceDir);
    void warnMissing(const QString &name);
};
