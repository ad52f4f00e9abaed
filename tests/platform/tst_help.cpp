// The help window through its real controls: the contents list shows the page chosen,
// the search box lists the pages that hold the words typed, links between pages and a
// window's keyword open their page, and the document in the program directory is brought
// up to the program's edition without losing a later one.
#include "platform/help_window.h"
#include "platform/paths.h"
#include "test_registry.h"

#include <QCryptographicHash>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QWidget>

namespace
{

// A document of three pages and an introduction, changed by hand (its first line does not
// match its text), so the program leaves it alone.
const char kSmallDocument[] = R"(<!-- numarok-help 0123 -->
<html><head><meta charset="utf-8"><title>Small</title></head><body>
<h1><a name="Contents"></a>Small Help</h1><p>Welcome. See <a href="#Beta">Beta</a>.</p>
<h2><a name="Alpha"></a>Alpha page</h2><p>A Spanish doubloon of gold.</p>
<h2><a name="Beta"></a>Beta page</h2><p>Two DOUBLOONS and a thaler.</p>
<h3><a name="Beta_More"></a>More</h3><p>Silver.</p>
<h2><a name="Gamma"></a>Gamma page</h2><p>A penny of copper.</p>
</body></html>
)";

QStringList itemTexts(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

} // namespace

class HelpWindowTests : public QObject
{
    Q_OBJECT
    QTemporaryDir m_home;

    QString helpPath() const { return paths::programFile(QStringLiteral("NUMAROK.HLP")); }
    void writeHelp(const QByteArray &html)
    {
        QFile f(helpPath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(html);
    }
    template <class T> T *find(const char *name)
    {
        QWidget *w = help::browser() ? help::browser()->window() : nullptr;
        return w ? w->findChild<T *>(QLatin1String(name)) : nullptr;
    }
    QString shown() const { return help::browser()->toPlainText(); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("NUMAROK_HOME", m_home.path().toUtf8());
    }

    void cleanup()
    {
        if (help::browser()) delete help::browser()->window();
        QFile::remove(helpPath());
        QFile::remove(helpPath() + QStringLiteral(".old"));
    }

    // The program's own document: one contents entry per page, and choosing an entry shows
    // that page alone.
    void contentsEntryShowsItsPage()
    {
        help::show(nullptr, QString());
        auto *contents = find<QListWidget>("HelpContents");
        QVERIFY(contents);
        QFile doc(helpPath());
        QVERIFY(doc.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(doc.readAll());
        // The introduction and every second-level heading.
        QCOMPARE(contents->count(), static_cast<int>(html.count(QStringLiteral("<h2"))) + 1);
        QCOMPARE(contents->currentRow(), 0);
        QVERIFY(shown().contains(QStringLiteral("Numarok Help")));

        const QStringList titles = itemTexts(contents);
        const auto backup = titles.indexOf(QStringLiteral("Backing up and restoring"));
        QVERIFY2(backup > 0, qPrintable(titles.join(QLatin1String(" | "))));
        contents->setCurrentRow(static_cast<int>(backup));
        QCOMPARE(help::browser()->property("anchor").toString(),
                 QStringLiteral("Backup_and_Restore"));
        QVERIFY(shown().startsWith(QStringLiteral("Backing up and restoring")));
        QVERIFY(shown().contains(QStringLiteral("Start Back Up")));
        // Only that page: not the import page's text, nor the introduction.
        QVERIFY(!shown().contains(QStringLiteral("Start Import")));
        QVERIFY(!shown().contains(QStringLiteral("Numarok Help")));

        // Back returns to the introduction, Forward to the page.
        auto *back = find<QPushButton>("HelpBack");
        QVERIFY(back && back->isEnabled());
        back->click();
        QCOMPARE(contents->currentRow(), 0);
        QVERIFY(shown().contains(QStringLiteral("Numarok Help")));
        find<QPushButton>("HelpForward")->click();
        QCOMPARE(contents->currentRow(), static_cast<int>(backup));
    }

    // Every link of the program's document leads to a page, and every page has a title and
    // an anchor of its own, so nothing in the contents or a link is a dead end.
    void everyLinkLeadsToAPage()
    {
        QFile doc(QStringLiteral(":/help/NUMAROK.HLP"));
        QVERIFY(doc.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(doc.readAll());
        const std::vector<help::Page> pages = help::pagesOf(html);
        QVERIFY(pages.size() > 20);
        QSet<QString> anchors;
        for (const help::Page &p : pages) {
            QVERIFY2(!p.title.isEmpty() && !p.anchors.isEmpty(), qPrintable(p.html.left(80)));
            for (const QString &a : p.anchors) {
                QVERIFY2(!anchors.contains(a), qPrintable(a)); // one anchor, one place
                anchors.insert(a);
            }
        }
        const QRegularExpression link(QStringLiteral("href=\"#([^\"]+)\""));
        int links = 0;
        for (auto it = link.globalMatch(html); it.hasNext(); ++links) {
            const QString target = it.next().captured(1);
            QVERIFY2(anchors.contains(target), qPrintable(target));
        }
        QVERIFY(links > 20);
    }

    // A window's keyword opens its page, with its own text and no other page's.
    void keywordOpensItsPage_data()
    {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QString>("holds");
        QTest::newRow("import") << "Import Window"
                                << "Start Import";
        QTest::newRow("export") << "Export Window"
                                << "Start Export";
        QTest::newRow("editor") << "Input Window"
                                << "Update & Exit";
        QTest::newRow("names") << "Viewer Configuration Names"
                               << "NAME TO USE";
        QTest::newRow("designer") << "User Defined Reports"
                                  << "Specify Report Content";
    }
    void keywordOpensItsPage()
    {
        QFETCH(QString, keyword);
        QFETCH(QString, holds);
        help::show(nullptr, keyword);
        QCOMPARE(help::browser()->property("anchor").toString(), help::anchorFor(keyword));
        QVERIFY2(shown().contains(holds), qPrintable(shown().left(200)));
        QVERIFY(!shown().contains(QStringLiteral("Numarok Help")));
        auto *contents = find<QListWidget>("HelpContents");
        QVERIFY(contents->currentRow() > 0);
        QCOMPARE(contents->currentItem()->text(), shown().section(QLatin1Char('\n'), 0, 0));
    }

    // The search box lists the pages holding every word typed, in any letter case, and
    // choosing one shows it with the word marked.
    void searchFindsPagesWithTheWords()
    {
        writeHelp(kSmallDocument);
        help::show(nullptr, QString());
        auto *contents = find<QListWidget>("HelpContents");
        QCOMPARE(itemTexts(contents),
                 QStringList({QStringLiteral("Small Help"), QStringLiteral("Alpha page"),
                              QStringLiteral("Beta page"), QStringLiteral("Gamma page")}));
        auto *box = find<QLineEdit>("HelpSearchBox");
        auto *results = find<QListWidget>("HelpResults");
        auto *count = find<QLabel>("HelpSearchCount");
        QVERIFY(box && results && count);

        QTest::keyClicks(box, QStringLiteral("Doubloon"));
        QCOMPARE(itemTexts(results),
                 QStringList({QStringLiteral("Alpha page"), QStringLiteral("Beta page")}));
        QCOMPARE(count->text(), QStringLiteral("2 pages found."));

        box->clear();
        QTest::keyClicks(box, QStringLiteral("doubloon thaler"));
        QCOMPARE(itemTexts(results), QStringList({QStringLiteral("Beta page")}));
        results->setCurrentRow(0);
        QVERIFY(shown().startsWith(QStringLiteral("Beta page")));
        QVERIFY(!help::browser()->extraSelections().isEmpty());
        QCOMPARE(help::browser()->extraSelections().first().cursor.selectedText().toLower(),
                 QStringLiteral("doubloon"));
        QCOMPARE(contents->currentRow(), 2);

        box->clear();
        QTest::keyClicks(box, QStringLiteral("platinum"));
        QCOMPARE(results->count(), 0);
        QCOMPARE(count->text(), QStringLiteral("No page holds \"platinum\"."));

        // Ctrl+F brings the search box forward.
        find<QTabWidget>("HelpTabs")->setCurrentIndex(0);
        QVERIFY(QTest::qWaitForWindowActive(help::browser()->window()));
        QTest::keySequence(help::browser()->window(), QKeySequence::Find);
        QCOMPARE(find<QTabWidget>("HelpTabs")->currentIndex(), 1);
    }

    // A link to another page's anchor shows that page; a subsection's anchor opens the
    // page it belongs to.
    void linksOpenTheirPage()
    {
        writeHelp(kSmallDocument);
        help::show(nullptr, QString());
        emit help::browser()->anchorClicked(QUrl(QStringLiteral("#Beta")));
        QVERIFY(shown().startsWith(QStringLiteral("Beta page")));
        QCOMPARE(help::browser()->property("anchor").toString(), QStringLiteral("Beta"));
        help::show(nullptr, QStringLiteral("Beta More"));
        QVERIFY(shown().startsWith(QStringLiteral("Beta page")));
        QVERIFY(shown().contains(QStringLiteral("Silver")));
        // A keyword without a page shows the introduction.
        help::show(nullptr, QStringLiteral("Nowhere"));
        QVERIFY(shown().startsWith(QStringLiteral("Small Help")));
    }

    // F1 in any window: a window with a Help button of its own gets it pressed; another
    // opens its page by its name; one the help does not know opens the contents.
    void f1OpensTheWindowsPage()
    {
        QDialog sortOrder;
        sortOrder.setObjectName(QStringLiteral("TMySortOrder"));
        auto *box = new QLineEdit(&sortOrder);
        sortOrder.show();
        QTest::keyClick(box, Qt::Key_F1);
        QVERIFY(help::browser());
        QCOMPARE(help::browser()->property("anchor").toString(), QStringLiteral("Sort_Order"));
        QVERIFY(shown().startsWith(QStringLiteral("Sort order, pack and rebuild")));
        // The help window is the sort order dialog's, so a modal dialog does not block it.
        QCOMPARE(help::browser()->window()->parentWidget(), &sortOrder);
        delete help::browser()->window();

        QDialog withButton;
        withButton.setObjectName(QStringLiteral("TMyExport"));
        auto *helpButton = new QPushButton(QStringLiteral("&Help"), &withButton);
        helpButton->setObjectName(QStringLiteral("HelpButton"));
        auto *field = new QLineEdit(&withButton);
        int pressed = 0;
        connect(helpButton, &QPushButton::clicked, this, [&pressed] { ++pressed; });
        withButton.show();
        QTest::keyClick(field, Qt::Key_F1);
        QCOMPARE(pressed, 1);
        QVERIFY(!help::browser());
        // A Help button the window does not show is passed over.
        helpButton->hide();
        QTest::keyClick(field, Qt::Key_F1);
        QCOMPARE(pressed, 1);
        QVERIFY(help::browser());
        QCOMPARE(help::browser()->property("anchor").toString(), QStringLiteral("Contents"));
        // F1 inside the help window leaves it where it is.
        QTest::keyClick(help::browser(), Qt::Key_F1);
        QCOMPARE(help::browser()->property("anchor").toString(), QStringLiteral("Contents"));
    }

    // The document in the program directory follows the program's edition: one written by
    // an earlier program (no checksum line) is replaced and kept beside, an untouched copy of
    // another edition is replaced, one changed by hand stays.
    void documentFollowsTheProgram()
    {
        QFile builtIn(QStringLiteral(":/help/NUMAROK.HLP"));
        QVERIFY(builtIn.open(QIODevice::ReadOnly));
        const QByteArray own = builtIn.readAll();
        auto onDisk = [this] {
            QFile f(helpPath());
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        auto isOwn = [&own](const QByteArray &file) {
            const QByteArray sum = QCryptographicHash::hash(own, QCryptographicHash::Sha1).toHex();
            return file == "<!-- numarok-help " + sum + " -->\n" + own;
        };

        help::ensureHelpFile(); // missing: written
        QVERIFY(isOwn(onDisk()));

        const QByteArray earlier = "<html><body><h1><a name=\"Contents\"></a>Old</h1>"
                                   "<h2><a name=\"Input_Window\"></a>Editing</h2><p>Short."
                                   "</p></body></html>";
        writeHelp(earlier);
        help::ensureHelpFile();
        QVERIFY(isOwn(onDisk()));
        QFile old(helpPath() + QStringLiteral(".old"));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), earlier);
        QFile::remove(helpPath() + QStringLiteral(".old"));

        // The program's own document of another edition.
        const QByteArray other = "<html><body><h1>Other edition</h1></body></html>";
        writeHelp("<!-- numarok-help " +
                  QCryptographicHash::hash(other, QCryptographicHash::Sha1).toHex() + " -->\n" +
                  other);
        help::ensureHelpFile();
        QVERIFY(isOwn(onDisk()));
        QVERIFY(!QFile::exists(helpPath() + QStringLiteral(".old")));

        // Changed by hand after the program wrote it: kept.
        QByteArray edited = onDisk();
        edited.replace("Numarok Help</h1>", "Numarok Help</h1><p>My own notes.</p>");
        writeHelp(edited);
        help::ensureHelpFile();
        QCOMPARE(onDisk(), edited);
        help::show(nullptr, QString());
        QVERIFY(shown().contains(QStringLiteral("My own notes.")));
    }

    // An earlier document that cannot be kept beside (here a directory holds the name of the
    // copy) may be someone's own: it stays in place rather than be lost.
    void earlierDocumentThatCannotBeKeptBeside()
    {
        const QByteArray earlier = "<html><body><h1><a name=\"Contents\"></a>Mine</h1>"
                                   "<p>My own notes.</p></body></html>";
        writeHelp(earlier);
        const QString beside = helpPath() + QStringLiteral(".old");
        QVERIFY(QDir().mkpath(beside));
        help::ensureHelpFile();
        QVERIFY(QDir().rmdir(beside));
        QFile f(helpPath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), earlier);
    }
};

REGISTER_TEST(HelpWindowTests)
#include "tst_help.moc"
