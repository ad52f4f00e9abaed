// The one way windows ask the user something: message boxes, file and directory choosers,
// font, colour and print dialogs. The program installs the real dialogs; a test installs
// ScriptedPrompts, which answers from a queue and records every question.
#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <optional>

class QFontDialog;
class QPrinter;
class QPushButton;
class QWidget;

class Prompts
{
public:
    enum class Icon { None, Information, Warning, Error, Question };
    using Button = QMessageBox::StandardButton;
    using Buttons = QMessageBox::StandardButtons;

    virtual ~Prompts() = default;

    virtual Button message(QWidget *owner, const QString &text, const QString &caption, Icon icon,
                           Buttons buttons, Button defaultButton, bool beep) = 0;
    // Empty when cancelled.
    virtual QString openFile(QWidget *owner, const QString &title, const QString &directory,
                             const QString &filter) = 0;
    virtual QString saveFile(QWidget *owner, const QString &title, const QString &directory,
                             const QString &filter, const QString &defaultSuffix) = 0;
    virtual QString chooseDirectory(QWidget *owner, const QString &title,
                                    const QString &directory) = 0;
    // Preset with `initial`. With `color` given the dialog offers a colour too, starting
    // from *color; on OK the chosen one is written back.
    virtual std::optional<QFont> chooseFont(QWidget *owner, const QFont &initial,
                                            QColor *color = nullptr) = 0;
    virtual std::optional<QColor> chooseColor(QWidget *owner, const QColor &initial) = 0;
    virtual bool choosePrinter(QWidget *owner, QPrinter *printer) = 0;

    // The installed service (the real dialogs unless a test installed another).
    static Prompts &instance();
    // Takes no ownership; nullptr puts the real dialogs back.
    static void install(Prompts *prompts);

    // The program's one printer: its state tells whether a print job is running.
    static QPrinter &printer();

    // "Error" with an OK button, "Notice" for information.
    static void error(QWidget *owner, const QString &text);
    static void notice(QWidget *owner, const QString &text);
};

// Answers from a queue and records what was asked. The next answer goes to the next
// question of its type (a QMessageBox::StandardButton as int for message boxes, a QString
// for choosers, a QFont, a QColor, a bool for printing); a question without one gets the
// default button or a cancel, and is recorded as unanswered.
class ScriptedPrompts : public Prompts
{
public:
    struct Question {
        QString kind; // "message", "open", "save", "directory", "font", "color", "print"
        QString caption;
        QString text;
        Icon icon = Icon::None;
        Buttons buttons;
        Button defaultButton = QMessageBox::NoButton;
        bool beep = false;
        bool answered = false;
    };

    ScriptedPrompts() { Prompts::install(this); }
    ~ScriptedPrompts() override { Prompts::install(nullptr); }

    void answer(QVariant value) { m_answers << std::move(value); }
    // What the user chooses in a print dialog answered true (printer, copies).
    std::function<void(QPrinter *)> printerChoice;
    const QList<Question> &asked() const { return m_asked; }
    QStringList askedTexts() const;
    void clear() { m_asked.clear(); }
    int pending() const { return static_cast<int>(m_answers.size()); }

    Button message(QWidget *owner, const QString &text, const QString &caption, Icon icon,
                   Buttons buttons, Button defaultButton, bool beep) override;
    QString openFile(QWidget *owner, const QString &title, const QString &directory,
                     const QString &filter) override;
    QString saveFile(QWidget *owner, const QString &title, const QString &directory,
                     const QString &filter, const QString &defaultSuffix) override;
    QString chooseDirectory(QWidget *owner, const QString &title,
                            const QString &directory) override;
    // A font question that offers a colour takes a QColor answer queued right after its
    // QFont; its text reads "with color".
    std::optional<QFont> chooseFont(QWidget *owner, const QFont &initial,
                                    QColor *color = nullptr) override;
    std::optional<QColor> chooseColor(QWidget *owner, const QColor &initial) override;
    bool choosePrinter(QWidget *owner, QPrinter *printer) override;

private:
    QVariant take(const QString &kind, const QString &caption, const QString &text);

    QList<QVariant> m_answers;
    QList<Question> m_asked;
};

// The font dialog the program shows: Qt's font chooser, preset with the current font, and
// for the grid fonts a colour button beside it. A face that is not installed (Arial on a
// machine without it) is shown as the face that stands in for it, and OK without choosing
// another face keeps the stored name.
class FontDialog : public QDialog
{
public:
    FontDialog(const QFont &initial, const QColor *color, QWidget *parent = nullptr);

    QFont chosenFont() const;
    QColor chosenColor() const { return m_color; }
    void setChosenColor(const QColor &color);
    QFontDialog *chooser() const { return m_chooser; }

private:
    QFont m_initial;
    QString m_shownFamily;
    QFontDialog *m_chooser = nullptr;
    QPushButton *m_colorButton = nullptr;
    QColor m_color;
};
