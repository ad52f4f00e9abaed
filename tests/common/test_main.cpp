// Runs the test classes of one test executable: all of them, or the one named by the
// first argument (the rest go to QtTest), e.g. `tst_dbase IndexTests -v2`.
#include "test_registry.h"

#include <QApplication>
#include <QTest>
#include <memory>

std::vector<std::pair<const char *, TestFactory>> &testRegistry()
{
    static std::vector<std::pair<const char *, TestFactory>> registry;
    return registry;
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QStringList args = app.arguments();
    QString only;
    if (args.size() > 1 && !args[1].startsWith(QLatin1Char('-'))) {
        only = args[1];
        args.removeAt(1);
    }
    int failures = 0;
    bool ran = false;
    for (const auto &entry : testRegistry()) {
        if (!only.isEmpty() && only != QLatin1String(entry.first)) continue;
        ran = true;
        std::unique_ptr<QObject> test(entry.second());
        failures += QTest::qExec(test.get(), args);
    }
    if (!ran) {
        qWarning("No test class named %s", qPrintable(only));
        return 2;
    }
    return failures;
}
