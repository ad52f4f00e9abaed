#include "platform/prompts.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

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
    std::optional<QFont> chooseFont(QWidget *owner, const QFont &initial, QColor *color) override
    {
        FontDialog dialog(initial, color, owner);
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        if (color) *color = dialog.chosenColor();
        return dialog.chosenFont();
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

std::optional<QFont> ScriptedPrompts::chooseFont(QWidget *, const QFont &, QColor *color)
{
    const QVariant a =
        take(QStringLiteral("font"), QString(), color ? QStringLiteral("with color") : QString());
    if (!a.isValid()) return std::nullopt;
    if (color && !m_answers.isEmpty() && m_answers.first().typeId() == QMetaType::QColor)
        *color = m_answers.takeFirst().value<QColor>();
    return a.value<QFont>();
}

std::optional<QColor> ScriptedPrompts::chooseColor(QWidget *, const QColor &initial)
{
    // The text is the colour the chooser starts from.
    const QVariant a = take(QStringLiteral("color"), QString(), initial.name());
    return a.isValid() ? std::optional<QColor>(a.value<QColor>()) : std::nullopt;
}

bool ScriptedPrompts::choosePrinter(QWidget *, QPrinter *printer)
{
    const bool ok = take(QStringLiteral("print"), QString(), QString()).toBool();
    if (ok && printerChoice) printerChoice(printer);
    return ok;
}

// ---- the font dialog ----------------------------------------------------------------------

FontDialog::FontDialog(const QFont &initial, const QColor *color, QWidget *parent)
    : QDialog(parent), m_initial(initial)
{
    setObjectName(QStringLiteral("FontDialog"));
    setWindowTitle(QStringLiteral("Font"));
    m_chooser = new QFontDialog(this);
    m_chooser->setObjectName(QStringLiteral("FontChooser"));
    m_chooser->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    m_chooser->setWindowFlags(Qt::Widget); // a part of this dialog, not a window of its own
    // The chooser lists installed faces only: it is shown the face that stands in.
    QFont shown = initial;
    m_shownFamily = QFontInfo(initial).family();
    shown.setFamily(m_shownFamily);
    m_chooser->setCurrentFont(shown);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_chooser);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    if (color) {
        m_color = *color;
        m_colorButton = new QPushButton(QStringLiteral("&Color..."), this);
        m_colorButton->setObjectName(QStringLiteral("ColorButton"));
        m_colorButton->setAccessibleName(QStringLiteral("Color"));
        buttons->addButton(m_colorButton, QDialogButtonBox::ActionRole);
        setChosenColor(m_color);
        connect(m_colorButton, &QPushButton::clicked, this, [this] {
            const QColor c = QColorDialog::getColor(m_color, this);
            if (c.isValid()) setChosenColor(c);
        });
    }
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void FontDialog::setChosenColor(const QColor &color)
{
    m_color = color;
    if (!m_colorButton) return;
    QPixmap sample(16, 16);
    sample.fill(color);
    m_colorButton->setIcon(QIcon(sample));
}

QFont FontDialog::chosenFont() const
{
    QFont f = m_chooser->currentFont();
    if (f.family() == m_shownFamily)
        f.setFamily(m_initial.family()); // the face was not changed: keep its stored name
    return f;
}
