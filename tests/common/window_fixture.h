// A main window started on a MASTER.DBF of its own, in fresh program and settings
// directories, with scripted prompts. For tests that link the main window.
#pragma once

#include "db/database_files.h"
#include "main/main_window.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "test_files.h"

#include <QTemporaryDir>
#include <functional>
#include <memory>

struct WindowFixture {
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    std::unique_ptr<TMain> w;

    // `fill` adds the records of MASTER.DBF (none: the program creates it on start).
    explicit WindowFixture(const std::function<void(dbase::Table &)> &fill = {},
                           const QStringList &args = {})
    {
        useDirectories(dir.path());
        if (fill) {
            dbase::Table t;
            dbfiles::createCoinTable(t, paths::programFile(QStringLiteral("MASTER.DBF")));
            t.open();
            fill(t);
            t.close();
        }
        w = std::make_unique<TMain>();
        w->FormCreate(args);
        w->FormShow();
    }
    template <class T> T *find(const char *name) const
    {
        return w->findChild<T *>(QLatin1String(name));
    }
};
