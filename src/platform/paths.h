// Where the program keeps its files: the program directory (NUMAROK_HOME, else the XDG
// data directory) and the settings directory (NUMAROK_CONFIG_DIR, else the XDG config
// directory) that holds NUMAROK.INI.
#pragma once

#include <QString>

namespace paths
{

// Without a trailing "/"; created when missing.
QString programDirectory();
QString settingsDirectory();
// The program settings file NUMAROK.INI.
QString programSettingsFile();
// program directory + "/" + name
QString programFile(const QString &name);
// The current directory when the program started, without a trailing "/" (the root
// stays "/").
QString startupDirectory();
void rememberStartupDirectory();

} // namespace paths
