// The controls the designer's dialogs are built of, each named for its object name, so that
// every dialog makes its buttons, text boxes and captions the same way.
#pragma once

#include <QString>
#include <initializer_list>

class QCheckBox;
class QGridLayout;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace reports::parts
{

// A push button with a theme icon that does not take Enter from the text boxes.
QPushButton *button(QWidget *parent, const char *name, const QString &caption, const char *icon);
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

// Makes a text box a read-only text showing a font, skipped by the focus.
void makeFontText(QLineEdit *edit);

} // namespace reports::parts
