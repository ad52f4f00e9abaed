// The settings record: every value of the program scope (NUMAROK.INI, sections Misc and
// Defaults) and of the database scope (the database's .INI), held while the program runs
// and read and written by LoadSettings and SaveSettings.
#pragma once

#include "config/color_scheme.h"

#include <QHash>
#include <QString>
#include <array>

enum class SettingsScope { Program, Database };

struct FontSetting {
    QString name = QStringLiteral("Arial");
    int size = 10;
    int color = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
};

// The record defaults of the editor (section Defaults).
struct SavedDefaults {
    bool loadWithAdd = false;
    bool loadWithClear = false;
    QString country, faceValue, year, mintMark, condition, topic, description, comments,
        miscellaneous, purchaseDate, quantity, purchasePrice, marketValue, premiumValue;
    std::array<QString, 4> userDefined;
    bool approximateYear = false;
    bool wanted = false;
};

// The saved default of a text field (field numbers 1..20); null for the two flags.
QString *savedDefaultText(SavedDefaults &defaults, int field);
const QString *savedDefaultText(const SavedDefaults &defaults, int field);

// The text of every key of one scope as the settings record last read or wrote it, and
// the file: saving leaves a key the record did not change since as the file has it, so
// that what another copy of the program saved there meanwhile stays.
struct SettingsSnapshot {
    QString path;
    QHash<QString, QString> texts; // by section and key, in lower case
};

struct Settings {
    // Program scope, section Misc.
    int buttonBar = 1;
    int mainLeft = 0, mainTop = 0, mainWidth = 640, mainHeight = 480;
    QString lastImportFile, lastExportFile; // default: the start-up directory
    QString lastDatabase;
    QString lastFiles[5];
    bool showTips = true;
    int windowSize = 640;
    int dateFormat = 1;
    bool dateLeadingZeros = false;
    int currencyFormat = 1;
    int numericFormat = 1;
    // Program scope, section Defaults.
    SavedDefaults defaults;

    // Database scope, per field (index 0 = field 1).
    std::array<QString, 20> fieldNames;
    std::array<bool, 20> displayFields{};
    std::array<int, 20> fieldWidth{};
    std::array<int, 20> fieldOrder{};
    std::array<bool, 20> exportFields{};
    std::array<int, 20> exportOrder{};
    // Database scope, other sections.
    bool exportFirstRow = true;
    int exportFileType = 1;
    bool importSkipFirst = true;
    int importFileType = 1;
    int sortLevels[4] = {12, 0, 0, 0};
    bool showTitles = true;
    int titleBackground = 8553090;
    int titleAlignment = 2;
    FontSetting gridTitleFont{QStringLiteral("Arial"), 12};
    FontSetting gridFont{QStringLiteral("Arial"), 10};
    int cellColor = 12632256;
    bool columnLines = true, rowLines = true, rowIndicator = true;
    bool fieldEditing = false;
    FontSetting editFont, labelFont, buttonFont; // face name, bold and italic only
    int lastReport = 0;
    bool defaultPrinter = true;
    int printerIndex = 0;
    int reportLeft = 0, reportTop = 0, reportWidth = 640, reportHeight = 480;
    std::array<ColorScheme, 5> schemes; // main, edit, search, report, configure
    ColorScheme &scheme(colors::Target target)
    {
        return schemes.at(static_cast<std::size_t>(target));
    }
    const ColorScheme &scheme(colors::Target target) const
    {
        return schemes.at(static_cast<std::size_t>(target));
    }

    mutable std::array<SettingsSnapshot, 2> snapshots; // by SettingsScope

    Settings();
};

// Program scope always uses NUMAROK.INI and ignores `path`. Database scope reads `path`
// when that file exists and NUMAROK.INI otherwise, and writes `path` only. Reading takes
// the default for every missing key. Saving returns false when the file cannot be written.
void LoadSettings(Settings &settings, SettingsScope scope, const QString &path = QString());
bool SaveSettings(const Settings &settings, SettingsScope scope, const QString &path = QString());

// What the user is told when a settings file could not be written.
QString settingsNotWritten(const QString &path);

// The section names of the five colour schemes, in scheme order.
extern const char *const kColorSchemeSections[5];
