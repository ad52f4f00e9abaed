#include "platform/help_window.h"

#include "platform/paths.h"
#include "platform/save_file.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCryptographicHash>
#include <QDialog>
#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSaveFile>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

static void initHelpResources()
{
    Q_INIT_RESOURCE(numarok);
}

namespace help
{

namespace
{

const QString kResource = QStringLiteral(":/help/NUMAROK.HLP");

// The program writes its document with a first line naming the checksum of what follows,
// "<!-- numarok-help SHA1 -->". A document whose line matches its text is the program's
// own, untouched; one whose line does not was changed by hand; one without the line was
// written by an earlier edition of the program (or by someone else).
const QByteArray kMark = "<!-- numarok-help ";

QByteArray checksum(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
}

QByteArray marked(const QByteArray &document)
{
    return kMark + checksum(document) + " -->\n" + document;
}

enum class Origin { Earlier, Untouched, ChangedByHand };

Origin originOf(const QByteArray &file, QByteArray *sum)
{
    if (!file.startsWith(kMark)) return Origin::Earlier;
    const qsizetype lineEnd = file.indexOf('\n');
    const qsizetype close = file.indexOf(" -->");
    if (lineEnd < 0 || close < 0 || close > lineEnd) return Origin::ChangedByHand;
    *sum = file.mid(kMark.size(), close - kMark.size());
    return checksum(file.mid(lineEnd + 1)) == *sum ? Origin::Untouched : Origin::ChangedByHand;
}

QByteArray builtInDocument()
{
    initHelpResources();
    QFile f(kResource);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString plainText(const QString &html)
{
    return QTextDocumentFragment::fromHtml(html).toPlainText().simplified();
}

class HelpWindow : public QDialog
{
public:
    explicit HelpWindow(QWidget *parent);
    void load(const QString &path);
    void showAnchor(const QString &anchor);
    QTextBrowser *browser() const { return m_browser; }

private:
    QWidget *buildLists();
    QWidget *buildPageView();
    void connectControls();
    void placeOnScreen();
    void showPage(int page, const QString &anchor = QString(), bool remember = true);
    void followLink(const QUrl &url);
    void runSearch(const QString &words);
    void markWords(const QString &words);
    void step(int by);
    int pageOf(const QString &anchor) const;

    std::vector<Page> m_pages;
    QString m_loaded;
    QString m_style;
    QSplitter *m_splitter;
    QTabWidget *m_tabs;
    QListWidget *m_contents;
    QLineEdit *m_searchBox;
    QLabel *m_found;
    QListWidget *m_results;
    QTextBrowser *m_browser;
    QPushButton *m_back;
    QPushButton *m_forward;
    QPushButton *m_close;
    std::vector<int> m_history;
    int m_at = -1;
    int m_current = -1;
};

HelpWindow::HelpWindow(QWidget *parent) : QDialog(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Numarok Help"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_splitter = new QSplitter;
    m_splitter->setObjectName(QStringLiteral("HelpSplitter"));
    m_splitter->addWidget(buildLists());
    m_splitter->addWidget(buildPageView());
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setChildrenCollapsible(false);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_splitter);
    connectControls();
    placeOnScreen();
}

// The contents list and the search, as two tabs.
QWidget *HelpWindow::buildLists()
{
    m_contents = new QListWidget;
    m_contents->setObjectName(QStringLiteral("HelpContents"));
    m_contents->setAccessibleName(QStringLiteral("Contents"));
    m_searchBox = new QLineEdit;
    m_searchBox->setObjectName(QStringLiteral("HelpSearchBox"));
    m_searchBox->setPlaceholderText(QStringLiteral("Words to find"));
    m_searchBox->setAccessibleName(QStringLiteral("Words to find"));
    m_searchBox->setClearButtonEnabled(true);
    m_found = new QLabel;
    m_found->setObjectName(QStringLiteral("HelpSearchCount"));
    m_found->setWordWrap(true);
    m_results = new QListWidget;
    m_results->setObjectName(QStringLiteral("HelpResults"));
    m_results->setAccessibleName(QStringLiteral("Pages found"));
    auto *searchPage = new QWidget;
    auto *searchLayout = new QVBoxLayout(searchPage);
    searchLayout->addWidget(m_searchBox);
    searchLayout->addWidget(m_found);
    searchLayout->addWidget(m_results, 1);
    m_tabs = new QTabWidget;
    m_tabs->setObjectName(QStringLiteral("HelpTabs"));
    m_tabs->addTab(m_contents, QStringLiteral("&Contents"));
    m_tabs->addTab(searchPage, QStringLiteral("&Search"));
    return m_tabs;
}

// The page shown, under Back, Forward and Close.
QWidget *HelpWindow::buildPageView()
{
    m_browser = new QTextBrowser;
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setOpenLinks(false); // links between pages are followed here
    auto button = [](const char *name, const char *icon, const char *caption, const char *tip) {
        auto *b = new QPushButton(QIcon::fromTheme(QLatin1String(icon)), QLatin1String(caption));
        b->setObjectName(QLatin1String(name));
        b->setToolTip(QLatin1String(tip));
        b->setAutoDefault(false);
        return b;
    };
    m_back = button("HelpBack", "go-previous", "&Back", "The page shown before (Alt+Left)");
    m_forward = button("HelpForward", "go-next", "&Forward", "The page shown after (Alt+Right)");
    m_close = button("HelpClose", "window-close", "C&lose", "Closes the help (Esc)");
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_back);
    buttons->addWidget(m_forward);
    buttons->addStretch();
    buttons->addWidget(m_close);
    auto *view = new QWidget;
    auto *layout = new QVBoxLayout(view);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(buttons);
    layout->addWidget(m_browser, 1);
    return view;
}

void HelpWindow::connectControls()
{
    connect(m_contents, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) showPage(row);
    });
    connect(m_searchBox, &QLineEdit::textChanged, this, &HelpWindow::runSearch);
    connect(m_searchBox, &QLineEdit::returnPressed, this, [this] {
        if (m_results->count() > 0) {
            m_results->setCurrentRow(0);
            m_results->setFocus();
        }
    });
    connect(m_results, &QListWidget::currentItemChanged, this, [this](QListWidgetItem *item) {
        if (!item) return;
        showPage(item->data(Qt::UserRole).toInt());
        markWords(m_searchBox->text());
    });
    connect(m_browser, &QTextBrowser::anchorClicked, this, &HelpWindow::followLink);
    connect(m_back, &QPushButton::clicked, this, [this] { step(-1); });
    connect(m_forward, &QPushButton::clicked, this, [this] { step(1); });
    connect(m_close, &QPushButton::clicked, this, &QDialog::close);
    auto *backKey = new QShortcut(QKeySequence(QKeySequence::Back), this);
    connect(backKey, &QShortcut::activated, this, [this] { step(-1); });
    auto *forwardKey = new QShortcut(QKeySequence(QKeySequence::Forward), this);
    connect(forwardKey, &QShortcut::activated, this, [this] { step(1); });
    auto *findKey = new QShortcut(QKeySequence(QKeySequence::Find), this);
    connect(findKey, &QShortcut::activated, this, [this] {
        m_tabs->setCurrentIndex(1);
        m_searchBox->setFocus();
        m_searchBox->selectAll();
    });
}

// Room for the pages on a small screen, not more than a comfortable reading width on a
// large one; centred.
void HelpWindow::placeOnScreen()
{
    QSize size(820, 600);
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen) {
        resize(size);
        return;
    }
    const QRect room = screen->availableGeometry();
    resize(size.boundedTo(QSize(room.width() * 95 / 100, room.height() * 90 / 100)));
    move(room.center() - rect().center());
}

void HelpWindow::load(const QString &path)
{
    QFile f(path);
    QString html;
    if (f.open(QIODevice::ReadOnly)) html = QString::fromUtf8(f.readAll());
    if (!m_pages.empty() && html == m_loaded) return; // the pages and their history stay
    m_loaded = html;
    static const QRegularExpression style(QStringLiteral("<style[^>]*>.*?</style>"),
                                          QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::DotMatchesEverythingOption);
    m_style = style.match(html).captured(0);
    m_pages = pagesOf(html);
    m_contents->blockSignals(true);
    m_contents->clear();
    for (const Page &p : m_pages) {
        m_contents->addItem(p.title);
        m_contents->item(m_contents->count() - 1)->setToolTip(p.title);
    }
    m_contents->blockSignals(false);
    // The contents list as wide as its longest title, within a third or so of the window.
    const int wanted = m_contents->sizeHintForColumn(0) + 2 * m_contents->frameWidth() +
                       m_contents->verticalScrollBar()->sizeHint().width() + 24;
    const int total = width() - 8; // the splitter, inside the window's margins
    const int left = std::clamp(wanted, total * 25 / 100, total * 36 / 100);
    m_splitter->setSizes({left, total - left});
    m_history.clear();
    m_at = -1;
    m_current = -1;
    runSearch(m_searchBox->text());
}

int HelpWindow::pageOf(const QString &anchor) const
{
    for (size_t i = 0; i < m_pages.size(); ++i)
        if (m_pages[i].anchors.contains(anchor)) return static_cast<int>(i);
    return -1;
}

void HelpWindow::showAnchor(const QString &anchor)
{
    const int page = pageOf(anchor);
    showPage(page < 0 ? 0 : page, page < 0 ? QString() : anchor);
}

void HelpWindow::showPage(int page, const QString &anchor, bool remember)
{
    if (page < 0 || page >= static_cast<int>(m_pages.size())) return;
    const Page &p = m_pages[static_cast<size_t>(page)];
    if (page != m_current) {
        m_browser->setHtml(QStringLiteral("<html><head><meta charset=\"utf-8\">") + m_style +
                           QStringLiteral("</head><body>") + p.html +
                           QStringLiteral("</body></html>"));
        m_current = page;
    }
    if (!anchor.isEmpty() && anchor != p.anchors.value(0))
        m_browser->scrollToAnchor(anchor);
    else
        m_browser->moveCursor(QTextCursor::Start);
    m_browser->setProperty("anchor", anchor.isEmpty() ? p.anchors.value(0) : anchor);
    m_browser->setProperty("page", p.title);
    m_contents->blockSignals(true);
    m_contents->setCurrentRow(page);
    m_contents->blockSignals(false);
    if (remember && (m_at < 0 || m_history[static_cast<size_t>(m_at)] != page)) {
        m_history.resize(static_cast<size_t>(m_at + 1));
        m_history.push_back(page);
        m_at = static_cast<int>(m_history.size()) - 1;
    }
    m_back->setEnabled(m_at > 0);
    m_forward->setEnabled(m_at + 1 < static_cast<int>(m_history.size()));
}

void HelpWindow::step(int by)
{
    const int to = m_at + by;
    if (to < 0 || to >= static_cast<int>(m_history.size())) return;
    m_at = to;
    showPage(m_history[static_cast<size_t>(to)], QString(), false);
}

void HelpWindow::followLink(const QUrl &url)
{
    if (!url.fragment().isEmpty() && (url.path().isEmpty() || url.isRelative())) {
        const int page = pageOf(url.fragment());
        if (page >= 0) showPage(page, url.fragment());
    }
}

void HelpWindow::runSearch(const QString &words)
{
    m_results->blockSignals(true);
    m_results->clear();
    m_results->blockSignals(false);
    if (words.trimmed().isEmpty()) {
        m_found->setText(QStringLiteral("Type one or more words: the pages holding all of them "
                                        "are listed."));
        return;
    }
    const std::vector<int> found = searchPages(m_pages, words);
    for (int page : found) {
        auto *item = new QListWidgetItem(m_pages[static_cast<size_t>(page)].title);
        item->setData(Qt::UserRole, page);
        m_results->blockSignals(true);
        m_results->addItem(item);
        m_results->blockSignals(false);
    }
    if (found.empty())
        m_found->setText(QStringLiteral("No page holds \"%1\".").arg(words.simplified()));
    else if (found.size() == 1)
        m_found->setText(QStringLiteral("1 page found."));
    else
        m_found->setText(QStringLiteral("%1 pages found.").arg(found.size()));
}

// Marks every place of the searched words on the page shown and moves to the first one.
void HelpWindow::markWords(const QString &words)
{
    QList<QTextEdit::ExtraSelection> marks;
    QTextCursor first;
    for (const QString &word : words.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        QTextCursor at(m_browser->document());
        while (!(at = m_browser->document()->find(word, at)).isNull()) {
            QTextEdit::ExtraSelection mark;
            mark.cursor = at;
            mark.format.setBackground(QColor(255, 230, 120));
            marks << mark;
            if (first.isNull() || at.position() < first.position()) first = at;
        }
    }
    m_browser->setExtraSelections(marks);
    if (!first.isNull()) {
        QTextCursor caret = first;
        caret.clearSelection();
        m_browser->setTextCursor(caret);
        m_browser->ensureCursorVisible();
    }
}

QPointer<HelpWindow> &window()
{
    static QPointer<HelpWindow> w;
    return w;
}

} // namespace

QString ensureHelpFile()
{
    const QString path = paths::programFile(QStringLiteral("NUMAROK.HLP"));
    QFile existing(path);
    const bool present = existing.exists();
    QByteArray old;
    if (present && existing.open(QIODevice::ReadOnly)) old = existing.readAll();
    existing.close();
    const QByteArray own = builtInDocument();
    if (present) {
        QByteArray sum;
        switch (originOf(old, &sum)) {
        case Origin::ChangedByHand:
            return path; // the user's own words stay
        case Origin::Untouched:
            if (sum == checksum(own)) return path;
            break; // the program's document of another edition: replaced
        case Origin::Earlier:
            // Kept beside, in case it was someone's own; when it cannot be, it stays.
            QFile::remove(path + QStringLiteral(".old"));
            if (!QFile::copy(path, path + QStringLiteral(".old"))) return path;
            break;
        }
    }
    QSaveFile out(path);
    if (out.open(QIODevice::WriteOnly)) {
        const QByteArray bytes = marked(own);
        if (out.write(bytes) == bytes.size()) platform::commitWhole(out);
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

std::vector<Page> pagesOf(const QString &html)
{
    static const QRegularExpression bodyStart(QStringLiteral("<body[^>]*>"),
                                              QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression bodyEnd(QStringLiteral("</body>"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression heading(QStringLiteral("<h2[\\s>]"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression headingText(QStringLiteral("<h([12])[^>]*>(.*?)</h\\1>"),
                                                QRegularExpression::CaseInsensitiveOption |
                                                    QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression anchor(QStringLiteral("\\b(?:name|id)=\"([^\"]+)\""),
                                           QRegularExpression::CaseInsensitiveOption);
    QString body = html;
    const auto start = bodyStart.match(body);
    if (start.hasMatch()) body = body.mid(start.capturedEnd());
    const qsizetype end = body.indexOf(bodyEnd);
    if (end >= 0) body.truncate(end);

    std::vector<Page> pages;
    auto add = [&pages](const QString &part) {
        if (part.trimmed().isEmpty()) return;
        Page p;
        p.html = part;
        p.text = plainText(part);
        p.title = plainText(headingText.match(part).captured(2));
        for (auto it = anchor.globalMatch(part); it.hasNext();)
            p.anchors << it.next().captured(1);
        if (pages.empty() && !p.anchors.contains(QStringLiteral("Contents")))
            p.anchors.prepend(QStringLiteral("Contents"));
        if (p.title.isEmpty()) p.title = QStringLiteral("Contents");
        pages.push_back(p);
    };
    // The introduction, then one page from each second-level heading to the next.
    qsizetype from = 0;
    for (auto it = heading.globalMatch(body); it.hasNext();) {
        const qsizetype at = it.next().capturedStart();
        add(body.mid(from, at - from));
        from = at;
    }
    add(body.mid(from));
    return pages;
}

std::vector<int> searchPages(const std::vector<Page> &pages, const QString &words)
{
    const QStringList wanted = words.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    std::vector<int> found;
    if (wanted.isEmpty()) return found;
    for (size_t i = 0; i < pages.size(); ++i) {
        const QString &text = pages[i].text;
        if (std::all_of(wanted.begin(), wanted.end(), [&text](const QString &w) {
                return text.contains(w, Qt::CaseInsensitive);
            }))
            found.push_back(static_cast<int>(i));
    }
    return found;
}

void show(QWidget *parent, const QString &keyword)
{
    const QString path = ensureHelpFile();
    if (!window()) {
        window() = new HelpWindow(parent ? parent->window() : nullptr);
    } else if (parent && window()->parentWidget() != parent->window()) {
        // Owned by the asking window, so a modal dialog's help is not blocked by it.
        const QRect at = window()->geometry();
        window()->setParent(parent->window(), Qt::Window);
        window()->setGeometry(at);
    }
    // The document is read again each time, so an edited one shows at once.
    window()->load(path);
    window()->showAnchor(keyword.isEmpty() ? QStringLiteral("Contents") : anchorFor(keyword));
    window()->browser()->setProperty("anchor", keyword.isEmpty() ? QStringLiteral("Contents")
                                                                 : anchorFor(keyword));
    window()->show();
    window()->raise();
    window()->activateWindow();
}

QTextBrowser *browser()
{
    return window() ? window()->browser() : nullptr;
}

namespace
{

// The help pages of the windows without a Help button of their own, by the window's object
// name; F1 in one of them opens its page.
const char *const kWindowHelpKeywords[][2] = {
    {"TMyEdit", "Input Window"},
    {"TMyEditBox", "List Maintenance"},
    {"TMyMiscellaneous", "List Maintenance"},
    {"ColorConfig", "Color Configuration"},
    {"TMySortOrder", "Sort Order"},
    {"TMyLocateDlg", "Locate"},
    {"TSearchAndReplace", "Search and Replace"},
    {"TSearchOptions", "Search Window"},
    {"TImportFormat", "Import Window"},
    {"TPrintSelect", "Report Window"},
    {"TReportForm", "Report Window"},
    {"TMyPreview", "Report Preview"},
    {"TPrintRange", "Report Preview"},
    {"TReportFonts", "User Defined Reports"},
    {"TRepLayout", "User Defined Reports"},
    {"TReportPart", "User Defined Reports"},
    {"TMyTips", "Main Window"},
};

// F1 anywhere: the window's own Help button when it shows one (so a window with pages opens
// the page shown), else the window's page, else the contents.
void helpFor(QWidget *top)
{
    for (QAbstractButton *b : top->findChildren<QAbstractButton *>(QStringLiteral("HelpButton")))
        if (b->window() == top && b->isVisible() && b->isEnabled()) {
            b->click();
            return;
        }
    for (const auto &entry : kWindowHelpKeywords)
        if (top->objectName() == QLatin1String(entry[0])) {
            show(top, QLatin1String(entry[1]));
            return;
        }
    show(top, QString());
}

class HelpKey : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress) return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier) return false;
        auto *widget = qobject_cast<QWidget *>(watched);
        if (!widget || !widget->isVisible()) return false;
        QWidget *top = widget->window();
        if (top->objectName() == QLatin1String("HelpWindow")) return true;
        helpFor(top);
        return true;
    }
};

// Installed when the application object is made, so every window of the program, modal
// ones included, answers F1 without code of its own.
void installHelpKey()
{
    if (auto *app = qobject_cast<QApplication *>(QCoreApplication::instance()))
        app->installEventFilter(new HelpKey(app));
}
Q_COREAPP_STARTUP_FUNCTION(installHelpKey)

} // namespace

} // namespace help
