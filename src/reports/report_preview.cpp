#include "reports/report_preview.h"

#include "app/settings.h"
#include "config/color_scheme.h"
#include "platform/modal.h"
#include "platform/prompts.h"
#include "platform/save_file.h"
#include "reports/engine/file_preview.h"

#include <QAction>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPdfWriter>
#include <QPushButton>
#include <QRegularExpression>
#include <QSaveFile>
#include <QScreen>
#include <QShortcut>
#include <QStandardPaths>
#include <QToolButton>
#include <QVBoxLayout>

namespace reports
{

namespace
{
// The report's name as a file name in the user's documents ("Statistic/Summary Report"
// becomes "Statistic-Summary Report.pdf").
QString suggestedPdfName(QString name)
{
    name.replace(QRegularExpression(QStringLiteral("[/\\\\:*?\"<>|]")), QStringLiteral("-"));
    name = name.trimmed();
    if (name.isEmpty()) name = QStringLiteral("Report");
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QLatin1Char('/') +
           name + QStringLiteral(".pdf");
}
} // namespace

// ---- the range dialog -------------------------------------------------------------------

TPrintRange::TPrintRange(int pageCount, QWidget *parent) : QDialog(parent), m_pageCount(pageCount)
{
    setObjectName(QStringLiteral("TPrintRange"));
    setWindowTitle(QStringLiteral("Page Printing"));
    auto *layout = new QVBoxLayout(this);
    auto field = [this, layout](const char *name, const QString &caption) {
        auto *row = new QHBoxLayout;
        auto *label = new QLabel(caption, this);
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        edit->setMaxLength(3);
        label->setBuddy(edit);
        row->addWidget(label);
        row->addWidget(edit);
        layout->addLayout(row);
        return edit;
    };
    StartPage = field("StartPage", QStringLiteral("Starting Page"));
    EndPage = field("EndPage", QStringLiteral("Ending Page"));
    auto *buttons = new QHBoxLayout;
    PrintButton = new QPushButton(QStringLiteral("&Print"), this);
    PrintButton->setObjectName(QStringLiteral("PrintButton"));
    PrintButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("&Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    buttons->addWidget(PrintButton);
    buttons->addWidget(CancelButton);
    layout->addLayout(buttons);
    connect(PrintButton, &QPushButton::clicked, this, [this] { PrintButtonClick(); });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    FormShow();
}

void TPrintRange::FormShow()
{
    StartPage->setText(QStringLiteral("1"));
    EndPage->setText(QString::number(m_pageCount));
}

void TPrintRange::PrintButtonClick()
{
    bool ok = false;
    const int start = StartPage->text().trimmed().toInt(&ok);
    if (!ok || start <= 0 || start > m_pageCount) {
        Prompts::error(this, QStringLiteral("Invalid Starting Page specified. Please correct."));
        StartPage->setFocus();
        return;
    }
    const int end = EndPage->text().trimmed().toInt(&ok);
    if (!ok || end < start || end > m_pageCount) {
        Prompts::error(this, QStringLiteral("Invalid Ending Page specified.  Please correct."));
        EndPage->setFocus();
        return;
    }
    m_first = start;
    m_last = end;
    accept();
}

// ---- the preview ------------------------------------------------------------------------

TMyPreview::TMyPreview(const engine::PageStream &stream, Settings &settings, int printerIndex,
                       const QString &reportName, QWidget *parent)
    : QDialog(parent), MyFilePrinter(this), m_stream(stream), m_settings(settings)
{
    setObjectName(QStringLiteral("TMyPreview"));
    setWindowTitle(reportName);
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    MyFilePrinter.setStream(&m_stream);
    MyFilePrinter.SelectPrinter(printerIndex);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *bar = new QMenuBar(this);
    layout->setMenuBar(bar);
    m_toolbar = new QWidget(this);
    auto *tools = new QHBoxLayout(m_toolbar);
    tools->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(m_toolbar);
    MyFilePreview = new engine::TFilePreview(this);
    MyFilePreview->setObjectName(QStringLiteral("MyFilePreview"));
    layout->addWidget(MyFilePreview, 1);
    connect(MyFilePreview, &engine::TFilePreview::OnZoomChange, this, [this] { zoomChanged(); });
    connect(MyFilePreview, &engine::TFilePreview::OnPageChange, this, [this] { pageChanged(); });

    QMenu *file = bar->addMenu(QStringLiteral("&File"));
    addAction(file, "MenuPrintPage", QStringLiteral("&Print Page"), QStringLiteral("Ctrl+P"),
              [this] { SBPrintClick(); });
    addAction(file, "MenuPrintReport", QStringLiteral("Print &Report"), QStringLiteral("Ctrl+R"),
              [this] { MenuPrintReportClick(); });
    addAction(file, "MenuPrintRange", QStringLiteral("Print Ran&ge"), QStringLiteral("Ctrl+G"),
              [this] { MenuPrintRangeClick(); });
    addAction(file, "MenuSavePdf", QStringLiteral("Save as &PDF..."), QStringLiteral("Ctrl+S"),
              [this] { MenuSavePdfClick(); });
    file->addSeparator();
    addAction(file, "MenuExit", QStringLiteral("E&xit"), QStringLiteral("Ctrl+X"),
              [this] { close(); });

    QMenu *view = bar->addMenu(QStringLiteral("&View"));
    addAction(view, "ZoomPageWidth", QStringLiteral("Zoom &Page Width"), QStringLiteral("Ctrl+Z"),
              [this] { MyFilePreview->ZoomToPageWidth(); });
    addAction(view, "ZoomWholePage", QStringLiteral("Zoom &Whole Page"), QStringLiteral("Ctrl+W"),
              [this] { MyFilePreview->ZoomToWholePage(); });
    QMenu *zoomIn = view->addMenu(QStringLiteral("Zoom &In"));
    zoomIn->setObjectName(QStringLiteral("MenuZoomIn"));
    addAction(zoomIn, "ZoomIn1", QStringLiteral("&1 : 1"), QString(),
              [this] { MyFilePreview->SetZoomFactor(100); });
    addAction(zoomIn, "ZoomIn2", QStringLiteral("&2 : 1"), QString(),
              [this] { MyFilePreview->SetZoomFactor(200); });
    QMenu *zoomOut = view->addMenu(QStringLiteral("Zoom &Out"));
    zoomOut->setObjectName(QStringLiteral("MenuZoomOut"));
    const double outs[] = {100, 50, 100.0 / 3, 25, 20};
    for (int k = 0; k < 5; ++k) {
        const QByteArray name = "ZoomOut" + QByteArray::number(k + 1);
        const double factor = outs[k];
        addAction(zoomOut, name.constData(), QStringLiteral("1 : &%1").arg(k + 1), QString(),
                  [this, factor] { MyFilePreview->SetZoomFactor(factor); });
    }
    // The two sub-menus' keys step the zoom.
    auto *inKey = new QShortcut(QKeySequence(QStringLiteral("Ctrl+I")), this);
    connect(inKey, &QShortcut::activated, this, [this] { MyFilePreview->ZoomIn(); });
    auto *outKey = new QShortcut(QKeySequence(QStringLiteral("Ctrl+O")), this);
    connect(outKey, &QShortcut::activated, this, [this] { MyFilePreview->ZoomOut(); });
    view->addSeparator();
    MenuColor = addAction(view, "MenuColor", QStringLiteral("Use Color"), QStringLiteral("Ctrl+C"),
                          [this] { MenuColorClick(); });
    MenuColor->setCheckable(true);
    MenuColor->setChecked(true);

    QMenu *page = bar->addMenu(QStringLiteral("&Page"));
    addAction(page, "MenuFirstPage", QStringLiteral("&First Page"), QStringLiteral("Ctrl+F"),
              [this] { MyFilePreview->ShowPage(1); });
    addAction(page, "MenuPrevPage", QStringLiteral("&Previous Page"), QStringLiteral("Ctrl+E"),
              [this] { MyFilePreview->PreviousPage(); });
    addAction(page, "MenuNextPage", QStringLiteral("&Next Page"), QStringLiteral("Ctrl+N"),
              [this] { MyFilePreview->NextPage(); });
    addAction(page, "MenuLastPage", QStringLiteral("&Last Page"), QStringLiteral("Ctrl+L"),
              [this] { MyFilePreview->ShowPage(MyFilePreview->PageCount()); });

    addButton("SBZoomIn", QStringLiteral("zoom-in"), QStringLiteral("Zoom In"),
              [this] { MyFilePreview->ZoomIn(); });
    addButton("SBZoomOut", QStringLiteral("zoom-out"), QStringLiteral("Zoom Out"),
              [this] { MyFilePreview->ZoomOut(); });
    addButton("SBZoomPageWidth", QStringLiteral("zoom-fit-width"),
              QStringLiteral("Zoom Page Width"), [this] { MyFilePreview->ZoomToPageWidth(); });
    addButton("SBZoomPage", QStringLiteral("zoom-fit-best"), QStringLiteral("Zoom Whole Page"),
              [this] { MyFilePreview->ZoomToWholePage(); });
    auto *zoomLabel = new QLabel(QStringLiteral("Zoom %"), m_toolbar);
    ZoomEdit = new QLineEdit(m_toolbar);
    ZoomEdit->setObjectName(QStringLiteral("ZoomEdit"));
    ZoomEdit->setMaximumWidth(60);
    zoomLabel->setBuddy(ZoomEdit);
    tools->addWidget(zoomLabel);
    tools->addWidget(ZoomEdit);
    connect(ZoomEdit, &QLineEdit::editingFinished, this, [this] { ZoomEditExit(); });
    addButton("SBPrevPage", QStringLiteral("go-previous"), QStringLiteral("Prev Page"),
              [this] { MyFilePreview->PreviousPage(); });
    addButton("SBNextPage", QStringLiteral("go-next"), QStringLiteral("Next Page"),
              [this] { MyFilePreview->NextPage(); });
    auto *pageTitle = new QLabel(QStringLiteral("Page #"), m_toolbar);
    PageEdit = new QLineEdit(m_toolbar);
    PageEdit->setObjectName(QStringLiteral("PageEdit"));
    PageEdit->setMaximumWidth(50);
    pageTitle->setBuddy(PageEdit);
    tools->addWidget(pageTitle);
    tools->addWidget(PageEdit);
    connect(PageEdit, &QLineEdit::editingFinished, this, [this] { PageEditExit(); });
    PageLabel = new QLabel(QStringLiteral("Page 1 of 1"), m_toolbar);
    PageLabel->setObjectName(QStringLiteral("PageLabel"));
    tools->addWidget(PageLabel);
    addButton("SBPrint", QStringLiteral("document-print"), QStringLiteral("Print Page"),
              [this] { SBPrintClick(); });
    addButton("SBDone", QStringLiteral("window-close"), QStringLiteral("Done"),
              [this] { close(); });
    tools->addStretch(1);

    // The remembered place, kept on the screen (a smaller screen, a lost second monitor).
    QRect rect(m_settings.reportLeft, m_settings.reportTop, std::max(200, m_settings.reportWidth),
               std::max(150, m_settings.reportHeight));
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        rect.setSize(rect.size().boundedTo(avail.size()));
        rect.moveLeft(std::clamp(rect.left(), avail.left(), avail.right() - rect.width() + 1));
        rect.moveTop(std::clamp(rect.top(), avail.top(), avail.bottom() - rect.height() + 1));
    }
    setGeometry(rect);
    zoomChanged();
}

TMyPreview::~TMyPreview() = default;

QAction *TMyPreview::addAction(QMenu *menu, const char *name, const QString &caption,
                               const QString &shortcut, const std::function<void()> &slot)
{
    QAction *a = menu->addAction(caption);
    a->setObjectName(QLatin1String(name));
    if (!shortcut.isEmpty()) a->setShortcut(QKeySequence(shortcut));
    connect(a, &QAction::triggered, this, slot);
    return a;
}

QToolButton *TMyPreview::addButton(const char *name, const QString &icon, const QString &hint,
                                   const std::function<void()> &slot)
{
    auto *b = new QToolButton(m_toolbar);
    b->setObjectName(QLatin1String(name));
    b->setIcon(QIcon::fromTheme(icon));
    b->setToolTip(hint);
    b->setAccessibleName(hint);
    b->setAutoRaise(true);
    m_toolbar->layout()->addWidget(b);
    connect(b, &QToolButton::clicked, this, slot);
    return b;
}

void TMyPreview::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TMyPreview::FormActivate()
{
    if (m_started) return;
    m_started = true;
    MyFilePreview->Start(&m_stream);
    pageChanged();
}

void TMyPreview::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TMyPreview::FormClose()
{
    MyFilePreview->Finish();
    m_started = false;
    const QRect r = geometry();
    m_settings.reportLeft = r.left();
    m_settings.reportTop = r.top();
    m_settings.reportWidth = r.width();
    m_settings.reportHeight = r.height();
}

int TMyPreview::currentPage() const
{
    return MyFilePreview->CurrentPage();
}

int TMyPreview::pageCount() const
{
    return m_stream.pageCount();
}

void TMyPreview::zoomChanged()
{
    ZoomEdit->setText(QString::number(MyFilePreview->ZoomFactor(), 'f', 1));
}

void TMyPreview::pageChanged()
{
    const int page = MyFilePreview->CurrentPage();
    PageEdit->setText(QString::number(page));
    PageLabel->setText(QStringLiteral("Page %1 of %2")
                           .arg(page - MyFilePreview->FirstPage() + 1)
                           .arg(pageCount()));
}

void TMyPreview::ZoomEditExit()
{
    bool ok = false;
    const double zoom = ZoomEdit->text().trimmed().toDouble(&ok);
    if (ok && zoom != MyFilePreview->ZoomFactor())
        MyFilePreview->SetZoomFactor(zoom);
    else
        zoomChanged();
}

void TMyPreview::PageEditExit()
{
    bool ok = false;
    const int page = PageEdit->text().trimmed().toInt(&ok);
    if (ok && page != MyFilePreview->CurrentPage()) MyFilePreview->ShowPage(page);
    pageChanged();
}

bool TMyPreview::printerReady()
{
    if (!MyFilePrinter.Busy()) return true;
    Prompts::error(this,
                   QStringLiteral("Previous print job has not yet finished.  Try again later."));
    return false;
}

void TMyPreview::SBPrintClick()
{
    if (!printerReady()) return;
    const int page = MyFilePreview->CurrentPage();
    MyFilePrinter.PrintPages(page, page, 1);
}

void TMyPreview::MenuPrintReportClick()
{
    if (!printerReady()) return;
    MyFilePrinter.PrintPages(1, pageCount(), 1);
}

void TMyPreview::MenuPrintRangeClick()
{
    if (!printerReady()) return;
    TPrintRange range(pageCount(), this);
    if (place) place(&range);
    const colors::Painter paint(m_settings.scheme(colors::Target::Report));
    paint.window(&range);
    paint.edit(range.StartPage);
    paint.edit(range.EndPage);
    if (modal::show(&range) != QDialog::Accepted) return;
    if (!printerReady()) return;
    MyFilePrinter.PrintPages(range.first(), range.last(), 1);
}

void TMyPreview::MenuColorClick()
{
    const int page = MyFilePreview->CurrentPage();
    MyFilePreview->Finish();
    MyFilePreview->SetMonochrome(!MyFilePreview->Monochrome());
    MyFilePreview->Start(&m_stream);
    if (page > 1) MyFilePreview->ShowPage(page);
    MenuColor->setChecked(!MyFilePreview->Monochrome());
}

void TMyPreview::MenuSavePdfClick()
{
    if (!printerReady()) return;
    const QString path = Prompts::instance().saveFile(
        this, QStringLiteral("Save Report As PDF"), suggestedPdfName(windowTitle()),
        QStringLiteral("PDF Files (*.pdf)"), QStringLiteral("pdf"));
    if (path.isEmpty()) return;
    // Written beside the old file and renamed over it, so a failed save leaves it whole.
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok) {
        QPdfWriter writer(&file);
        writer.setTitle(windowTitle());
        writer.setCreator(QStringLiteral("Numarok"));
        ok = MyFilePrinter.PrintPagesTo(writer, 1, pageCount(), 1);
    }
    if (!ok || !platform::commitWhole(file))
        Prompts::error(this, QStringLiteral("The report could not be saved as \"%1\": %2")
                                 .arg(QFileInfo(path).fileName(), platform::saveFailure(file)));
}

} // namespace reports
