// Numarok: a coin collection catalogue. Until the main window lands this starts a
// placeholder window.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Numarok"));
    QApplication::setApplicationVersion(QStringLiteral(NUMAROK_VERSION));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Numarok"));
    auto *label = new QLabel(QStringLiteral("Numarok"), &window);
    label->setAlignment(Qt::AlignCenter);
    window.setCentralWidget(label);
    window.resize(640, 480);
    window.show();
    return QApplication::exec();
}
