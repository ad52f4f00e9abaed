#include "app/settings.h"

#include "db/coin_schema.h"
#include "platform/ini_file.h"
#include "platform/paths.h"

#include <QFile>
#include <climits>

const char *const kColorSchemeSections[5] = {"Main Window Color", "Edit Window Color",
                                             "Search Window Color", "Report Window Color",
                                             "Configure Window Color"};

namespace
{

// Read buffer sizes of the settings reader.
constexpr int kNumber = 14;
constexpr int kFontText = 149;
constexpr int kPath = 249;
constexpr int kRecordDefault = 109;

// The order of the text defaults in section Defaults.
constexpr int kDefaultsOrder[] = {
    coin::Country,    coin::FaceValue,  coin::Year,      coin::MintMark,   coin::Condition,
    coin::Topic,      coin::Descriptio, coin::Comment,   coin::Miscellane, coin::PurchDate,
    coin::UserDef1,   coin::UserDef2,   coin::UserDef3,  coin::UserDef4,   coin::Quantity,
    coin::PurchasePr, coin::MarketValu, coin::PremiumVal};

const char *const kColorKeys[ColorScheme::RoleCount] = {
    "Main Background", "Major Title",      "Minor Title", "Edit Background",
    "Edit Text",       "Combo Background", "Combo Text",  "List Box Background",
    "List Box Text",   "Radio Background", "Radio Text",  "Check Background",
    "Check Text"};

QString s(const char *text)
{
    return QString::fromLatin1(text);
}

int leadingNumber(const QString &text)
{
    int i = 0;
    const bool negative = i < text.size() && text[i] == QLatin1Char('-');
    if (negative || (i < text.size() && text[i] == QLatin1Char('+'))) ++i;
    long long v = 0;
    for (; i < text.size() && text[i].isDigit() && v < 1000000000000LL; ++i)
        v = v * 10 + text[i].digitValue();
    v = std::min<long long>(v, INT_MAX);
    return static_cast<int>(negative ? -v : v);
}

// Every key goes through one of these visitors, so reading, writing and the defaults
// cannot disagree about a key.
class Reader
{
public:
    explicit Reader(const IniFile &ini) : m_ini(ini) {}
    void flag(const char *section, const QString &key, bool &value, bool def)
    {
        value =
            m_ini.value(s(section), key, def ? s("Yes") : s("No"), kNumber).toUpper() == s("YES");
    }
    void number(const char *section, const QString &key, int &value, int def)
    {
        // A missing key gives the default; a present one its leading digits (0 when none).
        const QString text = m_ini.value(s(section), key, QString(), kNumber);
        value = text.isNull() ? def : leadingNumber(text);
    }
    void text(const char *section, const QString &key, QString &value, const QString &def,
              int buffer, int length = 0)
    {
        value = m_ini.value(s(section), key, def, buffer);
        if (length > 0) value.truncate(length);
    }

private:
    const IniFile &m_ini;
};

class Defaulter
{
public:
    void flag(const char *, const QString &, bool &value, bool def) { value = def; }
    void number(const char *, const QString &, int &value, int def) { value = def; }
    void text(const char *, const QString &, QString &value, const QString &def, int, int = 0)
    {
        value = def;
    }
};

template <class S, class V> void visitFont(V &v, const char *section, S &font, bool full, int size)
{
    if (full) {
        v.number(section, s("Color"), font.color, 0);
        v.text(section, s("Font Name"), font.name, s("Arial"), kFontText);
        v.number(section, s("Size"), font.size, size);
    } else {
        v.text(section, s("Font Name"), font.name, s("Arial"), kFontText);
    }
    v.flag(section, s("Bold"), font.bold, false);
    v.flag(section, s("Italic"), font.italic, false);
    if (full) {
        v.flag(section, s("Underline"), font.underline, false);
        v.flag(section, s("Strikeout"), font.strikeout, false);
    }
}

template <class S, class V> void visitProgram(V &v, S &st)
{
    const char *misc = "Misc";
    v.number(misc, s("Button Bar"), st.buttonBar, 1);
    v.number(misc, s("Main Window Left"), st.mainLeft, 0);
    v.number(misc, s("Main Window Top"), st.mainTop, 0);
    v.number(misc, s("Main Window Width"), st.mainWidth, 640);
    v.number(misc, s("Main Window Height"), st.mainHeight, 480);
    v.text(misc, s("Last Import File"), st.lastImportFile, paths::startupDirectory(), kPath);
    v.text(misc, s("Last Export File"), st.lastExportFile, paths::startupDirectory(), kPath);
    v.text(misc, s("Last Database"), st.lastDatabase, QString(), kPath);
    for (int i = 0; i < 5; ++i)
        v.text(misc, QStringLiteral("Last File %1").arg(i + 1), st.lastFiles[i], QString(), kPath);
    v.flag(misc, s("Show Tips"), st.showTips, true);
    v.number(misc, s("Window Size"), st.windowSize, 640);
    v.number(misc, s("Date Format"), st.dateFormat, 1);
    v.flag(misc, s("Date Leading Zeros"), st.dateLeadingZeros, false);
    v.number(misc, s("Currency Format"), st.currencyFormat, 1);
    v.number(misc, s("Numeric Format"), st.numericFormat, 1);

    const char *d = "Defaults";
    auto &df = st.defaults;
    v.flag(d, s("Load Defaults With Add"), df.loadWithAdd, false);
    v.flag(d, s("Load Defaults With Clear"), df.loadWithClear, false);
    for (int field : kDefaultsOrder) {
        const coin::EditorField &e = coin::editorField(field);
        v.text(d, s(e.defaultKey), *savedDefaultText(df, field), QString(), kRecordDefault,
               e.defaultWidth);
    }
    v.flag(d, s(coin::editorField(coin::YearApprox).defaultKey), df.approximateYear, false);
    v.flag(d, s(coin::editorField(coin::Wanted).defaultKey), df.wanted, false);
}

template <class S, class V> void visitDatabase(V &v, S &st)
{
    for (int i = 0; i < coin::kFieldCount; ++i) {
        const coin::Field &f = coin::kFields[i];
        const QString key = s(f.name);
        v.text("Field Names", key, st.fieldNames[i], s(f.defaultLabel), kFontText, 20);
        v.flag("Display Fields", key, st.displayFields[i], true);
        v.number("Field Width", key, st.fieldWidth[i], 15);
        v.number("Field Order", key, st.fieldOrder[i], f.number);
        v.flag("Export Fields", key, st.exportFields[i], true);
        v.number("Export Order", key, st.exportOrder[i], f.number);
    }
    v.flag("Export", s("First Row"), st.exportFirstRow, true);
    v.number("Export", s("File Type"), st.exportFileType, 1);
    v.flag("Import", s("Skip First"), st.importSkipFirst, true);
    v.number("Import", s("File Type"), st.importFileType, 1);
    v.number("Sort Order", s("Primary Sort"), st.sortLevels[0], 12);
    v.number("Sort Order", s("Secondary Sort"), st.sortLevels[1], 0);
    v.number("Sort Order", s("Third Level Sort"), st.sortLevels[2], 0);
    v.number("Sort Order", s("Fourth Level Sort"), st.sortLevels[3], 0);
    v.flag("Grid Title", s("Show Titles"), st.showTitles, true);
    v.number("Grid Title", s("Background Color"), st.titleBackground, 8553090);
    v.number("Grid Title", s("Alignment"), st.titleAlignment, 2);
    visitFont(v, "Grid Title Font", st.gridTitleFont, true, 12);
    visitFont(v, "Grid Font", st.gridFont, true, 10);
    v.number("Grid Options", s("Cell Color"), st.cellColor, 12632256);
    v.flag("Grid Options", s("Column Lines"), st.columnLines, true);
    v.flag("Grid Options", s("Row Lines"), st.rowLines, true);
    v.flag("Grid Options", s("Row Indicator"), st.rowIndicator, true);
    v.flag("Grid Options", s("Field Editing"), st.fieldEditing, false);
    visitFont(v, "Edit Font", st.editFont, false, 10);
    visitFont(v, "Label Font", st.labelFont, false, 10);
    visitFont(v, "Button Font", st.buttonFont, false, 10);
    v.number("Reports", s("Last Report"), st.lastReport, 0);
    v.flag("Reports", s("Default Printer"), st.defaultPrinter, true);
    v.number("Reports", s("Printer Index"), st.printerIndex, 0);
    v.number("Reports", s("Report Viewing Window Left"), st.reportLeft, 0);
    v.number("Reports", s("Report Viewing Window Top"), st.reportTop, 0);
    v.number("Reports", s("Report Viewing Window Width"), st.reportWidth, 640);
    v.number("Reports", s("Report Viewing Window Height"), st.reportHeight, 480);
    const ColorScheme defaults;
    for (int k = 0; k < 5; ++k)
        for (int r = 0; r < ColorScheme::RoleCount; ++r)
            v.number(kColorSchemeSections[k], s(kColorKeys[r]), st.schemes[k].colors[r],
                     defaults.colors[r]);
}

using Snapshot = QHash<QString, QString>;

QString keyId(const char *section, const QString &key)
{
    return (s(section) + QLatin1Char('\n') + key).toLower();
}

// Turns each value into the text written for it and hands it on.
template <class Put> class Texts
{
public:
    explicit Texts(Put put) : m_put(std::move(put)) {}
    void flag(const char *section, const QString &key, const bool &value, bool)
    {
        m_put(section, key, value ? s("Yes") : s("No"));
    }
    void number(const char *section, const QString &key, const int &value, int)
    {
        m_put(section, key, QString::number(value));
    }
    void text(const char *section, const QString &key, const QString &value, const QString &, int,
              int = 0)
    {
        m_put(section, key, value);
    }

private:
    Put m_put;
};
template <class Put> Texts<Put> texts(Put put)
{
    return Texts<Put>(std::move(put));
}

SettingsSnapshot &snapshotOf(const Settings &settings, SettingsScope scope)
{
    return settings.snapshots.at(static_cast<std::size_t>(scope));
}

template <class Visit> Snapshot snapshot(const Settings &settings, Visit visit)
{
    Snapshot out;
    auto record = texts([&out](const char *section, const QString &key, const QString &text) {
        out.insert(keyId(section, key), text);
    });
    visit(record, settings);
    return out;
}

Snapshot programSnapshot(const Settings &settings)
{
    return snapshot(settings, [](auto &v, const Settings &st) { visitProgram(v, st); });
}

Snapshot databaseSnapshot(const Settings &settings)
{
    return snapshot(settings, [](auto &v, const Settings &st) { visitDatabase(v, st); });
}

} // namespace

QString *savedDefaultText(SavedDefaults &d, int field)
{
    switch (field) {
    case coin::Country:
        return &d.country;
    case coin::FaceValue:
        return &d.faceValue;
    case coin::Year:
        return &d.year;
    case coin::Condition:
        return &d.condition;
    case coin::MintMark:
        return &d.mintMark;
    case coin::PurchasePr:
        return &d.purchasePrice;
    case coin::MarketValu:
        return &d.marketValue;
    case coin::PremiumVal:
        return &d.premiumValue;
    case coin::Topic:
        return &d.topic;
    case coin::Descriptio:
        return &d.description;
    case coin::PurchDate:
        return &d.purchaseDate;
    case coin::Miscellane:
        return &d.miscellaneous;
    case coin::Quantity:
        return &d.quantity;
    case coin::Comment:
        return &d.comments;
    case coin::UserDef1:
    case coin::UserDef2:
    case coin::UserDef3:
    case coin::UserDef4:
        return &d.userDefined[field - coin::UserDef1];
    default:
        return nullptr;
    }
}

const QString *savedDefaultText(const SavedDefaults &d, int field)
{
    return savedDefaultText(const_cast<SavedDefaults &>(d), field);
}

Settings::Settings()
{
    Defaulter d;
    visitProgram(d, *this);
    visitDatabase(d, *this);
}

void LoadSettings(Settings &settings, SettingsScope scope, const QString &path)
{
    if (scope == SettingsScope::Program) {
        const IniFile ini(paths::programSettingsFile());
        Reader r(ini);
        visitProgram(r, settings);
        snapshotOf(settings, scope) = {ini.path(), programSnapshot(settings)};
        return;
    }
    const IniFile ini(!path.isEmpty() && QFile::exists(path) ? path : paths::programSettingsFile());
    Reader r(ini);
    visitDatabase(r, settings);
    snapshotOf(settings, scope) = {path, databaseSnapshot(settings)};
    // A column order with two fields at one place or a place left empty (an edited or
    // damaged file) would show a broken grid: the fields' own order takes its place.
    bool placed[coin::kFieldCount] = {};
    bool sound = true;
    for (int i = 0; sound && i < coin::kFieldCount; ++i) {
        const int at = settings.fieldOrder[i];
        sound = at >= 1 && at <= coin::kFieldCount && !placed[at - 1];
        if (sound) placed[at - 1] = true;
    }
    if (!sound)
        for (int i = 0; i < coin::kFieldCount; ++i)
            settings.fieldOrder[i] = i + 1;
}

QString settingsNotWritten(const QString &path)
{
    return QStringLiteral("The settings file \"") + path +
           QStringLiteral("\" could not be written.");
}

bool SaveSettings(const Settings &settings, SettingsScope scope, const QString &path)
{
    IniFile ini(scope == SettingsScope::Program ? paths::programSettingsFile() : path);
    if (ini.path().isEmpty()) return false;
    SettingsSnapshot &before = snapshotOf(settings, scope);
    const bool known = before.path == ini.path();
    auto put = [&](const char *section, const QString &key, const QString &text) {
        const auto was = before.texts.constFind(keyId(section, key));
        if (known && was != before.texts.cend() && *was == text && ini.contains(s(section), key))
            return; // unchanged here: the file's value stays
        ini.setValue(s(section), key, text);
    };
    auto w = texts(put);
    if (scope == SettingsScope::Program)
        visitProgram(w, settings);
    else
        visitDatabase(w, settings);
    if (!ini.save()) return false;
    before = {ini.path(), scope == SettingsScope::Program ? programSnapshot(settings)
                                                          : databaseSnapshot(settings)};
    return true;
}
