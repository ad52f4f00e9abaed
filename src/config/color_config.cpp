#include "config/color_config.h"

#include "db/coin_database.h"
#include "platform/prompts.h"
#include "ui/controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

ColorConfigContext colorConfigContext(CoinDatabase &db)
{
    return {db.settings().schemes,
            [&db] { return !db.isOpen() || db.saveSettings(db.settingsFilePath()); }, nullptr,
            nullptr};
}

using controls::heading;

namespace
{

QPushButton *roleButton(QWidget *parent, const char *name, const char *text)
{
    auto *b = new QPushButton(QLatin1String(text), parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

TColorConfig::TColorConfig(ColorConfigContext context, colors::Target target, QWidget *parent)
    : QDialog(parent), m_context(std::move(context)), m_target(target),
      m_working(m_context.schemes.at(static_cast<std::size_t>(
          target == colors::Target::AllWindows ? colors::Target::Main : target)))
{
    setObjectName(QStringLiteral("ColorConfig"));
    setWindowTitle(QStringLiteral("Color Configuration"));
    build();
}

void TColorConfig::build()
{
    auto *grid = new QGridLayout(this);
    // One framed group: its heading, its two role buttons (or three for the window) and
    // the sample control that shows the roles.
    auto frame = [this,
                  grid](int row, int column, QLabel *title,
                        std::initializer_list<std::pair<QPushButton *, ColorScheme::Role>> buttons,
                        QWidget *sample) {
        auto *box = new QFrame(this);
        box->setFrameShape(QFrame::StyledPanel);
        auto *v = new QVBoxLayout(box);
        v->addWidget(title);
        auto *h = new QHBoxLayout;
        for (const auto &[button, role] : buttons) {
            button->setParent(box);
            h->addWidget(button);
            const ColorScheme::Role r = role;
            connect(button, &QPushButton::clicked, this, [this, r] { chooseRole(r); });
        }
        v->addLayout(h);
        if (sample) {
            sample->setParent(box);
            v->addWidget(sample);
        }
        grid->addWidget(box, row, column);
    };

    m_headings = {heading(this, "Label1", "Window"),       heading(this, "Label2", "List Box"),
                  heading(this, "Label4", "Radio Button"), heading(this, "Label5", "Check Box"),
                  heading(this, "Label6", "Edit Box"),     heading(this, "Label7", "Combo Box")};

    frame(0, 0, m_headings[0],
          {{roleButton(this, "MainBack", "Background"), ColorScheme::MainBackground},
           {roleButton(this, "MajorTitles", "Major Titles"), ColorScheme::MajorTitle},
           {roleButton(this, "MinorTitles", "Minor Titles"), ColorScheme::MinorTitle}},
          nullptr);

    RadioButton = new QRadioButton(QStringLiteral("Radio Button"), this);
    RadioButton->setObjectName(QStringLiteral("RadioButton"));
    frame(1, 0, m_headings[2],
          {{roleButton(this, "RadioText", "Text"), ColorScheme::RadioText},
           {roleButton(this, "RadioBack", "Background"), ColorScheme::RadioBackground}},
          RadioButton);

    CheckBox = new QCheckBox(QStringLiteral("Check Box"), this);
    CheckBox->setObjectName(QStringLiteral("CheckBox"));
    frame(2, 0, m_headings[3],
          {{roleButton(this, "CheckText", "Text"), ColorScheme::CheckText},
           {roleButton(this, "CheckBack", "Background"), ColorScheme::CheckBackground}},
          CheckBox);

    auto *edit = new QLineEdit(QStringLiteral("Sample Text"), this);
    edit->setObjectName(QStringLiteral("EditBox"));
    EditBox = edit;
    frame(0, 1, m_headings[4],
          {{roleButton(this, "EditBoxText", "Text"), ColorScheme::EditText},
           {roleButton(this, "EditBoxBack", "Background"), ColorScheme::EditBackground}},
          EditBox);

    ComboBox = new QComboBox(this);
    ComboBox->setObjectName(QStringLiteral("ComboBox"));
    ComboBox->setEditable(true);
    ComboBox->addItem(QStringLiteral("Sample Text"));
    frame(1, 1, m_headings[5],
          {{roleButton(this, "ComboText", "Text"), ColorScheme::ComboText},
           {roleButton(this, "ComboBack", "Background"), ColorScheme::ComboBackground}},
          ComboBox);

    auto *list = new QListWidget(this);
    list->setObjectName(QStringLiteral("ListBox"));
    list->addItems({QStringLiteral("Sample Text"), QStringLiteral("Sample Text")});
    list->setMaximumHeight(list->sizeHintForRow(0) * 3 + 2 * list->frameWidth());
    ListBox = list;
    frame(2, 1, m_headings[1],
          {{roleButton(this, "ListText", "Text"), ColorScheme::ListBoxText},
           {roleButton(this, "ListBack", "Background"), ColorScheme::ListBoxBackground}},
          ListBox);

    Label3 = new QLabel(QStringLiteral("Predefined Color Combinations"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    ColorSets = new QComboBox(this);
    ColorSets->setObjectName(QStringLiteral("ColorSets"));
    ColorSets->addItem(QString());
    for (const char *name : colors::kPredefinedNames)
        ColorSets->addItem(QLatin1String(name));
    Label3->setBuddy(ColorSets);
    connect(ColorSets, &QComboBox::activated, this, &TColorConfig::ColorSetsChange);
    auto *sets = new QHBoxLayout;
    sets->addWidget(Label3);
    sets->addWidget(ColorSets, 1);
    grid->addLayout(sets, 3, 0, 1, 2);

    auto *ok = new QPushButton(QStringLiteral("&Ok"), this);
    ok->setObjectName(QStringLiteral("Ok"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("Cancel"));
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &TColorConfig::OkClick);
    connect(cancel, &QPushButton::clicked, this, &TColorConfig::CancelClick);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 4, 0, 1, 2);
}

void TColorConfig::FormShow()
{
    if (m_context.place) m_context.place(this);
    if (y() > 10) move(x(), y() - 10);
    SetColors();
}

// The dialog is a live sample of the working copy.
void TColorConfig::SetColors()
{
    m_paint.window(this);
    for (QWidget *frame : findChildren<QFrame *>(Qt::FindDirectChildrenOnly))
        m_paint.window(frame);
    for (QLabel *label : m_headings)
        m_paint.majorTitle(label);
    m_paint.minorTitle(Label3);
    m_paint.radio(RadioButton);
    m_paint.check(CheckBox);
    m_paint.edit(EditBox);
    m_paint.combo(ComboBox);
    m_paint.combo(ColorSets);
    m_paint.list(ListBox);
}

void TColorConfig::chooseRole(ColorScheme::Role role)
{
    const std::optional<QColor> chosen =
        Prompts::instance().chooseColor(this, colors::toColor(m_working.colors[role]));
    if (!chosen) return;
    m_working.colors[role] = colors::fromColor(*chosen);
    SetColors();
}

void TColorConfig::ColorSetsChange(int index)
{
    if (index < 1 || index > colors::kPredefinedCount) return;
    m_working = colors::predefined(index);
    SetColors();
}

void TColorConfig::OkClick()
{
    if (m_target == colors::Target::AllWindows)
        m_context.schemes.fill(m_working);
    else
        m_context.schemes.at(static_cast<std::size_t>(m_target)) = m_working;
    if (m_target == colors::Target::Main || m_target == colors::Target::AllWindows)
        if (m_context.repaintMain) m_context.repaintMain();
    if (m_context.save && !m_context.save())
        Prompts::error(this, QStringLiteral("The colors could not be written to the settings "
                                            "file.  They stay in use until the program ends."));
    accept();
}
