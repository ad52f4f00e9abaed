// Small file and directory helpers shared by the tests.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

inline QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
}

// The program directory and the settings directory below `root`.
inline void useDirectories(const QString &root)
{
    qputenv("NUMAROK_HOME", (root + QStringLiteral("/home")).toUtf8());
    qputenv("NUMAROK_CONFIG_DIR", (root + QStringLiteral("/conf")).toUtf8());
}
