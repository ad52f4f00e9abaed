// The controls the dialogs are built of, each made with its object name, so that every
// dialog makes its buttons, captions, text boxes and choices the same way.
#pragma once

#include <QPushButton>
#include <QString>
#include <initializer_list>
#include <type_traits>

class QCheckBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QWidget;

namespace controls
{

// Whether a button takes Enter. Off: Enter, even on the focused button, goes to the dialog's
// default button, and a dialog without one never makes this button its default.
enum class AutoDefault : bool { Off, On };

// A push button, with a theme icon when `icon` is given.
QPushButton *button(QWidget *parent, const char *name, const QString &caption,
                    const char *icon = nullptr, AutoDefault autoDefault = AutoDefault::Off);

// A push button of `owner` whose clicks call `onClick`, a handler of the owner.
template <class Owner, class Handler>
QPushButton *button(Owner *owner, const char *name, const QString &caption,
                    void (Handler::*onClick)(), const char *icon = nullptr,
                    AutoDefault autoDefault = AutoDefault::Off)
{
    static_assert(std::is_base_of_v<Handler, Owner>, "the handler must be the owner's");
    QPushButton *b = button(owner, name, caption, icon, autoDefault);
    QObject::connect(b, &QPushButton::clicked, owner, onClick);
    return b;
}

// A caption; `alignment` empty keeps the label's own.
QLabel *label(QWidget *parent, const char *name, const QString &caption,
              Qt::Alignment alignment = {});
// A bold caption over a group of controls.
QLabel *heading(QWidget *parent, const char *name, const char *text);
// A text box; `maxLength` 0 leaves its length free.
QLineEdit *lineEdit(QWidget *parent, const char *name, int maxLength);
QRadioButton *radio(QWidget *parent, const char *name, const QString &caption);
QCheckBox *checkBox(QWidget *parent, const char *name, const QString &caption);
QGroupBox *groupBox(QWidget *parent, const char *name, const QString &caption);

// A text box with its caption before it in a grid row: the caption is named after the box
// with "Label" added, is the box's buddy and its name for screen readers.
struct CaptionedEdit {
    QLineEdit **edit; // receives the box
    const char *name;
    const char *caption;
    int row;
    int column; // of the caption; the box takes the next column
};
void addCaptionedEdits(QGridLayout *grid, std::initializer_list<CaptionedEdit> edits,
                       int maxLength);

} // namespace controls
