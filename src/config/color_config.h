// TColorConfig: the colour configuration dialog. It changes one window group's colour
// scheme, or all five at once, role by role through the colour chooser or by one of the
// twelve predefined sets. It works on a copy of the scheme, painted on the dialog itself
// as a live sample, and copies it back only on OK.
#pragma once

#include "config/color_scheme.h"

#include <QDialog>
#include <array>
#include <functional>

class CoinDatabase;
class QComboBox;
class QLabel;
class QPushButton;

// What the dialog needs of the open database and the main window.
struct ColorConfigContext {
    // The five schemes, in the order of colors::Target.
    std::array<ColorScheme, 5> &schemes;
    // Writes the schemes with the database's settings; false when they could not be written.
    std::function<bool()> save;
    // Fonts, scaling and centring (the main window's placement).
    std::function<void(QWidget *)> place;
    // Repaints the main window from its scheme.
    std::function<void()> repaintMain;
};

// The schemes of the open database, saved to its settings file (when a database is open).
ColorConfigContext colorConfigContext(CoinDatabase &db);

class TColorConfig : public QDialog
{
    Q_OBJECT
public:
    // `target` names the scheme the working copy starts from (all windows: the main one's)
    // and the schemes OK changes.
    TColorConfig(ColorConfigContext context, colors::Target target, QWidget *parent = nullptr);

    const ColorScheme &working() const { return m_working; }

    void FormShow();
    // A role button: the colour chooser preset to the role's colour.
    void chooseRole(ColorScheme::Role role);
    // An entry of the predefined list; 0 is the empty entry.
    void ColorSetsChange(int index);
    void OkClick();
    void CancelClick() { reject(); }

private:
    void build();
    void SetColors();

    ColorConfigContext m_context;
    const colors::Target m_target;
    ColorScheme m_working;
    const colors::Painter m_paint{m_working};
    std::array<QLabel *, 6> m_headings{};
    QLabel *Label3 = nullptr;
    QWidget *RadioButton = nullptr, *CheckBox = nullptr, *EditBox = nullptr;
    QComboBox *ComboBox = nullptr, *ColorSets = nullptr;
    QWidget *ListBox = nullptr;
};
