// Painting a window from its group's colour scheme: one helper per role of the
// convention (window background, major and minor titles, edit, combo and list boxes,
// radio buttons, check boxes) that every window's SetColors calls.
#pragma once

#include <QColor>
#include <array>

class QWidget;

// Colours by role, as platform colour values (0x00BBGGRR).
struct ColorScheme {
    enum Role {
        MainBackground,
        MajorTitle,
        MinorTitle,
        EditBackground,
        EditText,
        ComboBackground,
        ComboText,
        ListBoxBackground,
        ListBoxText,
        RadioBackground,
        RadioText,
        CheckBackground,
        CheckText,
        RoleCount
    };
    std::array<int, RoleCount> colors{12632256, 0, 0,        16777215, 0,        16777215, 0,
                                      16777215, 0, 12632256, 0,        12632256, 0};
};

namespace colors
{

// The window groups that each keep a colour scheme, in the order of the settings' five
// schemes; AllWindows is the colour dialog's choice of all of them, not a scheme itself.
enum class Target { Main = 0, Edit, Search, Report, Configure, AllWindows };

// A platform colour value (red + 256 x green + 65536 x blue) and back.
QColor toColor(int value);
int fromColor(const QColor &color);

// The twelve predefined colour sets of the colour dialog, "Monochrome" to "Camouflage".
constexpr int kPredefinedCount = 12;
extern const char *const kPredefinedNames[kPredefinedCount];
// Set 1..12: its six chosen roles, the rest derived from them (boxes like the edit box,
// radio and check backgrounds like the window, check text like the radio text).
ColorScheme predefined(int set);

// The contrast ratio of two colours (1 to 21), by their relative luminance.
double contrast(const QColor &a, const QColor &b);
// Text of a disabled control: greyed toward its background, but with a contrast of at
// least 3:1 against it, so that it stays readable on every scheme.
QColor disabledText(const QColor &text, const QColor &background);

class Painter
{
public:
    explicit Painter(const ColorScheme &scheme) : m_scheme(scheme) {}

    // The window itself and plain panels; the pages of its tabbed notebooks too. Its
    // unpainted labels show in the minor-title colour.
    void window(QWidget *w) const;
    void majorTitle(QWidget *label) const; // heading labels
    void minorTitle(QWidget *label) const; // ordinary labels
    void edit(QWidget *w) const;
    void combo(QWidget *w) const;
    void list(QWidget *w) const; // list boxes and string grids
    void radio(QWidget *w) const;
    void check(QWidget *w) const;

private:
    enum class Kind { Window, Label, Box, Button };
    void paint(QWidget *w, int textRole, int backgroundRole, Kind kind) const;
    const ColorScheme &m_scheme;
};

} // namespace colors
