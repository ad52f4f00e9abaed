#include "prompts.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QPrintDialog>
#include <QPrinter>

namespace
{

QMessageBox::Icon boxIcon(Prompts::Icon icon)
{
    switch (icon) {
    case Prompts::Icon::Information:
        return QMessageBox::Information;
    case Prompts::Icon::Warning:
        return QMessageBox::Warning;
    case Prompts::Icon::Error:
        return QMessageBox::Critical;
    case Prompts::Icon::Question:
        return QMessageBox::Question;
    default:
        return QMessageBox::NoIcon;
    }
}

// Qt's file dialogs take "Name (*.EXT)" filters; the program's are written the same way.
class RealPrompts : public Prompts
{
public:
    Button message(QWidget *owner, const QString &text, const QString &caption, Icon icon,
                   Buttons buttons, Button defaultButton, bool beep) override
    {
        if (beep) QApplication::beep();
        QMessageBox box(boxIcon(icon), caption, text, buttons, owner);
        if (defaultButton != QMessageBox::NoButton) box.setDefaultButton(defaultButton);
        return static_cast<Button>(box.exec());
    }
    QString openFile(QWidget *owner, const QString &title, const QString &directory,
                     const QString &filter) override
    {
        return QFileDialog::getOpenFileName(owner, title, directory, filter);
    }
    QString saveFile(QWidget *owner, const QString &title, const QString &directory,
                     const QString &filter, const QString &defaultSuffix) override
    {
        QFileDialog dialog(owner, title, directory, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(defaultSuffix);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().constFirst();
    }
    QString chooseDirectory(QWidget *owner, const QString &title, const QString &directory) override
    {
        return QFileDialog::getExistingDirectory(owner, title, directory);
    }
    std::optional<QFont> chooseFont(QWidget *owner, const QFont &initial) override
    {
        bool ok = false;
        const QFont f = QFontDialog::getFont(&ok, initial, owner);
        return ok ? std::optional<QFont>(f) : std::nullopt;
    }
    std::optional<QColor> chooseColor(QWidget *owner, const QColor &initial) override
    {
        const QColor c = QColorDialog::getColor(initial, owner);
        return c.isValid() ? std::optional<QColor>(c) : std::nullopt;
    }
    bool choosePrinter(QWidget *owner, QPrinter *printer) override
    {
        QPrintDialog dialog(printer, owner);
        return dialog.exec() == QDialog::Accepted;
    }
};

RealPrompts &realPrompts()
{
    static RealPrompts prompts;
    return prompts;
}

Prompts *&installed()
{
    static Prompts *p = nullptr;
    return p;
}

} // namespace

Prompts &Prompts::instance()
{
    return installed() ? *installed() : realPrompts();
}

void Prompts::install(Prompts *prompts)
{
    installed() = prompts;
}

QPrinter &Prompts::printer()
{
    // Kept to the end of the process: the print system may be gone before static objects.
    static QPrinter *p = new QPrinter(QPrinter::HighResolution);
    return *p;
}

void Prompts::error(QWidget *owner, const QString &text)
{
    instance().message(owner, text, QStringLiteral("Error"), Icon::Error, QMessageBox::Ok,
                       QMessageBox::Ok, false);
}

void Prompts::notice(QWidget *owner, const QString &text)
{
    instance().message(owner, text, QStringLiteral("Notice"), Icon::Information, QMessageBox::Ok,
                       QMessageBox::Ok, false);
}

// ---- scripted ---------------------------------------------------------------------------

QStringList ScriptedPrompts::askedTexts() const
{
    QStringList out;
    for (const Question &q : m_asked)
        out << q.text;
    return out;
}

QVariant ScriptedPrompts::take(const QString &kind, const QString &caption, const QString &text)
{
    Question q;
    q.kind = kind;
    q.caption = caption;
    q.text = text;
    // The next queued answer is taken only by a question of its type: a button (int) for a
    // message box, text for a chooser, a font, a colour, or a bool for the print dialog.
    QMetaType::Type want = QMetaType::QString;
    if (kind == QLatin1String("message"))
        want = QMetaType::Int;
    else if (kind == QLatin1String("font"))
        want = QMetaType::QFont;
    else if (kind == QLatin1String("color"))
        want = QMetaType::QColor;
    else if (kind == QLatin1String("print"))
        want = QMetaType::Bool;
    QVariant answer;
    if (!m_answers.isEmpty() && m_answers.first().typeId() == want) {
        answer = m_answers.takeFirst();
        q.answered = true;
    }
    m_asked << q;
    return answer;
}

Prompts::Button ScriptedPrompts::message(QWidget *, const QString &text, const QString &caption,
                                         Icon icon, Buttons buttons, Button defaultButton,
                                         bool beep)
{
    const QVariant a = take(QStringLiteral("message"), caption, text);
    Question &q = m_asked.last();
    q.icon = icon;
    q.buttons = buttons;
    q.defaultButton = defaultButton;
    q.beep = beep;
    if (a.isValid()) return static_cast<Button>(a.toInt());
    return defaultButton != QMessageBox::NoButton ? defaultButton : QMessageBox::Ok;
}

QString ScriptedPrompts::openFile(QWidget *, const QString &title, const QString &,
                                  const QString &filter)
{
    return take(QStringLiteral("open"), title, filter).toString();
}

QString ScriptedPrompts::saveFile(QWidget *, const QString &title, const QString &,
                                  const QString &filter, const QString &)
{
    return take(QStringLiteral("save"), title, filter).toString();
}

QString ScriptedPrompts::chooseDirectory(QWidget *, const QString &title, const QString &)
{
    return take(QStringLiteral("directory"), title, QString()).toString();
}

std::optional<QFont> ScriptedPrompts::chooseFont(QWidget *, const QFont &)
{
    const QVariant a = take(QStringLiteral("font"), QString(), QString());
    return a.isValid() ? std::optional<QFont>(a.value<QFont>()) : std::nullopt;
}

std::optional<QColor> ScriptedPrompts::chooseColor(QWidget *, const QColor &)
{
    const QVariant a = take(QStringLiteral("color"), QString(), QString());
    return a.isValid() ? std::optional<QColor>(a.value<QColor>()) : std::nullopt;
}

bool ScriptedPrompts::choosePrinter(QWidget *, QPrinter *printer)
{
    const bool ok = take(QStringLiteral("print"), QString(), QString()).toBool();
    if (ok && printerChoice)
        printerChoice(printer);
    return ok;
}
