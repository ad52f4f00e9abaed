// Numarok: a coin collection catalogue.
#include "main/main_window.h"

#include <QApplication>
#include <QIcon>
#include <QSocketNotifier>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <string_view>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

int signalPipe[2] = {-1, -1};

void onTerminate(int)
{
    const char c = 1;
    [[maybe_unused]] const auto n = ::write(signalPipe[1], &c, 1);
}

// SIGTERM and SIGINT (a logout, a kill, Ctrl+C in the terminal) close the main window the
// normal way, so the settings are saved as on Exit.
void closeOnTerminate(QMainWindow &window)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window, notifier] {
        char c;
        [[maybe_unused]] const auto n = ::read(signalPipe[0], &c, 1);
        notifier->setEnabled(false);
        QApplication::closeAllWindows();
        window.close();
        QApplication::quit();
    });
    struct sigaction sa {
    };
    sa.sa_handler = onTerminate;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
}

} // namespace

int main(int argc, char *argv[])
{
    // --help and --version answer before Qt starts, so they work in a terminal without a
    // display.
    if (argc > 1) {
        const std::string_view first = argv[1];
        if (first == "--help" || first == "-h") {
            std::printf("Usage: numarok [/BROWSE | --browse]\n\n"
                        "A coin collection catalogue.\n\n"
                        "  /BROWSE, --browse  open the database for viewing only\n"
                        "  --help             show this text\n"
                        "  --version          show the version\n\n"
                        "Files: NUMAROK_HOME (default ~/.local/share/numarok) holds the program's\n"
                        "files and MASTER.DBF; NUMAROK_CONFIG_DIR (default ~/.config/numarok)\n"
                        "holds NUMAROK.INI.\n");
            return 0;
        }
        if (first == "--version") {
            std::printf("numarok %s\n", NUMAROK_VERSION);
            return 0;
        }
    }

    QApplication app(argc, argv);
    // No display name: Qt would append it to every caption ("Error — Numarok").
    QApplication::setApplicationName(QStringLiteral("Numarok"));
    QApplication::setApplicationVersion(QStringLiteral(NUMAROK_VERSION));
    // The desktop ties the windows to numarok.desktop; the icon comes from the icon theme
    // when the program is installed, else from the program itself.
    QApplication::setDesktopFileName(QStringLiteral("numarok"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("numarok"),
                                                 QIcon(QStringLiteral(":/desktop/numarok.svg"))));
    std::setlocale(LC_NUMERIC, "C"); // numbers in files are written with "."

    const QStringList arguments = app.arguments().mid(1);

    TMain window;
    closeOnTerminate(window);
    if (!window.FormCreate(arguments)) return 1;
    window.show();
    return QApplication::exec();
}
