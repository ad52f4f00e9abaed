// TMyBackup and TMyRestore: one kind of file per run (the open database's table, its pick
// lists or its settings file, or the report definitions) copied whole to a directory the
// user picks, or copied back from one into the program directory.
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <functional>

class CoinDatabase;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeView;
class QVBoxLayout;
namespace colors
{
class Painter;
}

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

    // Fonts, scaling and centring, the colours, and the first kind checked.
    virtual void FormShow();
    virtual void SetColors() = 0;
    virtual void StartButtonClick() = 0;
    void CancelButtonClick();
    void HelpButtonClick();

protected:
    // The four kinds of file, in the order of their radio buttons.
    enum Kind { Table, Lists, Reports, Settings, KindCount };
    struct KindButton {
        const char *name;
        const char *text;
    };

    BackupDialog(const BackupContext &context, QWidget *parent);
    QPushButton *button(const char *name, const QString &text);
    // A framed panel `name` whose first line is the title `labelName`; `layout` receives
    // the panel's layout.
    QLabel *panel(const char *name, const char *labelName, const QString &title,
                  QVBoxLayout *&layout);
    // The panel "Panel1" titled `title` ("Label1") with the radio buttons of the four kinds,
    // the first one checked.
    QWidget *kindPanel(const QString &title, const std::array<KindButton, KindCount> &kinds);
    void addButtons(class QBoxLayout *layout);
    // The colours of the window, the kinds' panel, its title and its radio buttons.
    void paintKinds(const colors::Painter &paint);
    Kind checkedKind() const;
    // Runs the work of the checked kind; an engine error while the table is opened again
    // is shown.
    void runChecked(const std::array<std::function<void()>, KindCount> &work);

    // Whether `bytes` fit in `directory` (an unknown figure lets the copy try).
    bool room(qint64 bytes, const QString &directory) const;
    bool copy(const QString &source, const QString &destination);
    // The identical test: true, with `refusal` shown, when the two are one file.
    bool identical(const QString &source, const QString &destination, const QString &refusal);
    // The copy: false, with `failure` shown, when it failed.
    bool copied(const QString &source, const QString &destination, const QString &failure);
    void message(const QString &text, const QString &caption);
    void succeeded(const QString &text);

    BackupContext m_ctx;
    std::array<QRadioButton *, KindCount> m_kinds{};
};

class TMyBackup : public BackupDialog
{
    Q_OBJECT
public:
    explicit TMyBackup(const BackupContext &context, QWidget *parent = nullptr);

    // Also the chooser in the program directory.
    void FormShow() override;
    void SetColors() override;
    void StartButtonClick() override;

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

    void SetColors() override;
    void StartButtonClick() override;

    QRadioButton *RestoreDBF = nullptr, *RestoreLST = nullptr, *RestoreURP = nullptr,
                 *RestoreINI = nullptr;

private:
    void restoreTable(const QString &chosen);
    void restoreLists(const QString &sourceDir);
    void restoreSettings(const QString &chosen);
    void restoreReports(const QString &sourceDir);
    void warnMissing(const QString &name);
};
