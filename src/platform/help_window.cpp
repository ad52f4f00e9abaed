#include "platform/help_window.h"

#include "platform/paths.h"

#include <QDialog>
#include <QFile>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

static void initHelpResources()
{
    Q_INIT_RESOURCE(numarok);
}

namespace help
{

namespace
{
QPointer<QDialog> &window()
{
    static QPointer<QDialog> w;
    return w;
}
QPointer<QTextBrowser> &view()
{
    static QPointer<QTextBrowser> b;
    return b;
}
} // namespace

QString ensureHelpFile()
{
    const QString path = paths::programFile(QStringLiteral("NUMAROK.HLP"));
    if (!QFile::exists(path)) {
        initHelpResources();
        QFile::copy(QStringLiteral(":/help/NUMAROK.HLP"), path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                        QFile::ReadOther);
    }
    return path;
}

QString anchorFor(const QString &keyword)
{
    QString out;
    for (const QChar c : keyword)
        out += c.isLetterOrNumber() ? c : QLatin1Char('_');
    return out;
}

void show(QWidget *parent, const QString &keyword)
{
    const QString path = ensureHelpFile();
    if (!window()) {
        auto *w = new QDialog(parent ? parent->window() : nullptr, Qt::Window);
        w->setObjectName(QStringLiteral("HelpWindow"));
        w->setWindowTitle(QStringLiteral("Numarok Help"));
        w->setAttribute(Qt::WA_DeleteOnClose);
        auto *b = new QTextBrowser(w);
        b->setObjectName(QStringLiteral("HelpBrowser"));
        b->setOpenExternalLinks(false);
        auto *layout = new QVBoxLayout(w);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(b);
        w->resize(560, 480);
        window() = w;
        view() = b;
    } else if (parent && window()->parentWidget() != parent->window()) {
        // Owned by the asking window, so a modal dialog's help is not blocked by it.
        const QRect at = window()->geometry();
        window()->setParent(parent->window(), Qt::Window);
        window()->setGeometry(at);
    }
    // The document is HTML whatever its extension says.
    QFile f(path);
    if (f.open(QIODevice::ReadOnly)) view()->setHtml(QString::fromUtf8(f.readAll()));
    if (keyword.isEmpty())
        view()->scrollToAnchor(QStringLiteral("Contents"));
    else
        view()->scrollToAnchor(anchorFor(keyword));
    view()->setProperty("anchor",
                        keyword.isEmpty() ? QStringLiteral("Contents") : anchorFor(keyword));
    window()->show();
    window()->raise();
}

QTextBrowser *browser()
{
    return view();
}

} // namespace help
