#include "platform/paths.h"

#include <QDir>
#include <QStandardPaths>

namespace paths
{

namespace
{

QString fromEnvironment(const char *variable, const char *xdgVariable, const QString &fallback)
{
    QString dir = qEnvironmentVariable(variable);
    if (dir.isEmpty()) {
        const QString xdg = qEnvironmentVariable(xdgVariable);
        dir = (xdg.isEmpty() ? QDir::homePath() + fallback : xdg) + QStringLiteral("/numarok");
    }
    dir = QDir::cleanPath(QDir(dir).absolutePath());
    QDir().mkpath(dir);
    return dir;
}

QString &startup()
{
    static QString dir;
    return dir;
}

} // namespace

QString programDirectory()
{
    return fromEnvironment("NUMAROK_HOME", "XDG_DATA_HOME", QStringLiteral("/.local/share"));
}

QString settingsDirectory()
{
    return fromEnvironment("NUMAROK_CONFIG_DIR", "XDG_CONFIG_HOME", QStringLiteral("/.config"));
}

QString programSettingsFile()
{
    return settingsDirectory() + QStringLiteral("/NUMAROK.INI");
}

QString programFile(const QString &name)
{
    const QString dir = programDirectory();
    return (dir == QLatin1String("/") ? QString() : dir) + QLatin1Char('/') + name;
}

void rememberStartupDirectory()
{
    startup() = QDir::cleanPath(QDir::currentPath());
}

QString startupDirectory()
{
    if (startup().isEmpty()) rememberStartupDirectory();
    return startup();
}

} // namespace paths
