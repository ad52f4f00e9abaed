#include "reports/report_windows.h"

#include "app/settings.h"
#include "config/color_scheme.h"
#include "db/coin_database.h"
#include "db/coin_schema.h"
#include "dbase/table.h"
#include "platform/help_window.h"
#include "platform/modal.h"
#include "platform/prompts.h"
#include "reports/engine/base_report.h"
#include "reports/engine/printers.h"
#include "reports/engine/producers.h"
#include "reports/report_designer.h"
#include "reports/report_file.h"
#include "reports/report_preview.h"
#include "ui/controls.h"
#include "ui/formats.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

namespace reports
{

using controls::button;

namespace
{

const QString kNoReport = QStringLiteral("No Report has been selected.  Please choose one.");
const QString kNoFile = QStringLiteral("Report format could not be located.");

void warn(QWidget *owner, const QString &text)
{
    Prompts::instance().message(owner, text, QStringLiteral("Error"), Prompts::Icon::Warning,
                                QMessageBox::Ok, QMessageBox::Ok, false);
}

// Runs `fn` when the scope ends (the search comes back on after a run, also after an error).
template <class Fn> struct AtExit {
    Fn fn;
    ~AtExit() { fn(); }
};
template <class Fn> AtExit(Fn) -> AtExit<Fn>;

} // namespace

GenerationContext generationContext(const ReportContext &c)
{
    const Settings *settings = &c.database.settings();
    GenerationContext g{c.database.table(), {}, {}, {}, {}, {}};
    for (int k = 0; k < 4; ++k)
        g.sortLevels[static_cast<size_t>(k)] = settings->sortLevels[k];
    g.fieldNames = settings->fieldNames;
    const RegionalSettings *regional = &c.regional;
    g.moneyText = [settings, regional](double v) {
        return formats::MoneyText(1, v, settings->currencyFormat, *regional);
    };
    g.wholeText = [settings, regional](double v) {
        return formats::NumberText(1, 0, v, settings->numericFormat, *regional);
    };
    g.todayText = [] {
        return QString::fromStdString(dbase::DateStyle::current().format(dbase::Date::today()));
    };
    return g;
}

// ---- the status window ------------------------------------------------------------------

TReportForm::TReportForm(engine::TBaseReport &engine, ReportGenerator &generator, QWidget *parent)
    : QDialog(parent), m_engine(engine), m_generator(generator)
{
    setObjectName(QStringLiteral("TReportForm"));
    setWindowTitle(QStringLiteral("Report Status Screen"));
    auto *layout = new QVBoxLayout(this);
    StatusLabel = new QLabel(QStringLiteral("Printing Status"), this);
    StatusLabel->setObjectName(QStringLiteral("StatusLabel"));
    StatusLabel->setAlignment(Qt::AlignCenter);
    StatusLabel->setMinimumSize(260, 70);
    layout->addWidget(StatusLabel);
    BitBtn1 = new QPushButton(QStringLiteral("&Cancel"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setIcon(QIcon::fromTheme(QStringLiteral("process-stop")));
    layout->addWidget(BitBtn1, 0, Qt::AlignHCenter);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    m_engine.StatusLabel = StatusLabel;
}

void TReportForm::FormShow()
{
    // Placement is the caller's (it owns the fonts and the scale factor).
}

void TReportForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    QTimer::singleShot(0, this, [this] { FormActivate(); });
}

void TReportForm::FormActivate()
{
    if (m_started) return;
    m_started = true;
    QApplication::setOverrideCursor(Qt::BusyCursor);
    try {
        // False also when the job could not start (no printer): the engine said why.
        if (!m_engine.Execute()) m_failed = true;
    } catch (const std::exception &e) {
        m_failed = true;
        QApplication::restoreOverrideCursor();
        Prompts::error(this, QString::fromLocal8Bit(e.what()));
        QApplication::setOverrideCursor(Qt::BusyCursor);
    }
    QApplication::restoreOverrideCursor();
    if (!m_generator.failure().isEmpty()) Prompts::error(this, m_generator.failure());
    m_finished = true;
    BitBtn1->setText(QStringLiteral("&OK"));
    BitBtn1->setIcon(QIcon::fromTheme(QStringLiteral("dialog-ok")));
    m_engine.StatusFormat =
        Cancelled() ? QStringLiteral("\rReport Canceled!") : QStringLiteral("\rReport Completed!");
    m_engine.RefreshStatus();
}

bool TReportForm::Cancelled() const
{
    return m_failed || m_engine.Cancelled() || !m_generator.failure().isEmpty();
}

void TReportForm::BitBtn1Click()
{
    if (m_finished)
        accept();
    else if (m_engine.Printing())
        m_engine.Cancel();
}

void TReportForm::reject()
{
    // Escape or the close box during the run cancel it; the window stays until it ends.
    if (m_finished || !m_started)
        QDialog::reject();
    else
        m_engine.Cancel();
}

// ---- the printer choice -----------------------------------------------------------------

TPrintSelect::TPrintSelect(Settings &settings, QWidget *parent)
    : QDialog(parent), m_settings(settings)
{
    setObjectName(QStringLiteral("TPrintSelect"));
    setWindowTitle(QStringLiteral("Printer Selection"));
    auto *layout = new QVBoxLayout(this);
    DefaultPrinter = new QRadioButton(QStringLiteral("Default Printer"), this);
    DefaultPrinter->setObjectName(QStringLiteral("DefaultPrinter"));
    OtherPrinter = new QRadioButton(QStringLiteral("Other Printer"), this);
    OtherPrinter->setObjectName(QStringLiteral("OtherPrinter"));
    PrinterList = new QComboBox(this);
    PrinterList->setObjectName(QStringLiteral("PrinterList"));
    layout->addWidget(DefaultPrinter);
    layout->addWidget(OtherPrinter);
    layout->addWidget(PrinterList);
    auto *buttons = new QHBoxLayout;
    OkButton = new QPushButton(QStringLiteral("&Ok"), this);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("&Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    layout->addLayout(buttons);
    connect(OkButton, &QPushButton::clicked, this, [this] { OkButtonClick(); });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    // Choosing a queue means another printer than the default.
    connect(PrinterList, &QComboBox::activated, this, [this] { OtherPrinter->setChecked(true); });
    FormShow();
}

void TPrintSelect::FormShow()
{
    (m_settings.defaultPrinter ? DefaultPrinter : OtherPrinter)->setChecked(true);
    PrinterList->clear();
    PrinterList->addItems(engine::installedPrinters().names);
    if (m_settings.printerIndex >= 0 && m_settings.printerIndex < PrinterList->count())
        PrinterList->setCurrentIndex(m_settings.printerIndex);
    const colors::Painter paint(m_settings.scheme(colors::Target::Report));
    paint.window(this);
    paint.radio(DefaultPrinter);
    paint.radio(OtherPrinter);
    paint.combo(PrinterList);
}

void TPrintSelect::OkButtonClick()
{
    m_settings.defaultPrinter = DefaultPrinter->isChecked();
    m_settings.printerIndex = PrinterList->currentIndex();
    accept();
}

// ---- the selection window ---------------------------------------------------------------

TMyReport::TMyReport(const ReportContext &context, QWidget *parent)
    : QDialog(parent), m_ctx(context)
{
    setObjectName(QStringLiteral("TMyReport"));
    setWindowTitle(QStringLiteral("Reports"));
    auto *layout = new QVBoxLayout(this);
    auto *bar = new QMenuBar(this);
    layout->setMenuBar(bar);
    QMenu *file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("MenuFile"));
    auto item = [this](QMenu *menu, const char *name, const QString &caption, const QString &keys,
                       const std::function<void()> &slot) {
        QAction *a = menu->addAction(caption);
        a->setObjectName(QLatin1String(name));
        if (!keys.isEmpty()) a->setShortcut(QKeySequence(keys));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    item(file, "MenuView", QStringLiteral("&View"), QStringLiteral("Ctrl+V"), [this] { DoView(); });
    item(file, "MenuPrint", QStringLiteral("&Print"), QStringLiteral("Ctrl+P"),
         [this] { DoPrint(); });
    item(file, "MenuPrintToFile", QStringLiteral("Print To &File"), QStringLiteral("Ctrl+F"),
         [this] { DoPrintToFile(); });
    file->addSeparator();
    item(file, "MenuModify", QStringLiteral("&Modify Report"), QStringLiteral("Ctrl+M"),
         [this] { DoModify(); });
    item(file, "MenuNew", QStringLiteral("&New Report"), QStringLiteral("Ctrl+N"),
         [this] { DoNew(); });
    file->addSeparator();
    item(file, "MenuExit", QStringLiteral("E&xit"), QStringLiteral("Ctrl+X"), [this] { close(); });
    QMenu *helpMenu = bar->addMenu(QStringLiteral("&Help"));
    item(helpMenu, "MenuHelp", QStringLiteral("&Help"), QString(), [this] { HelpButtonClick(); });

    auto *body = new QHBoxLayout;
    layout->addLayout(body);
    auto *left = new QVBoxLayout;
    body->addLayout(left, 1);
    auto *scope = new QGroupBox(this);
    auto *scopeLayout = new QVBoxLayout(scope);
    ExportEntire = new QRadioButton(QStringLiteral("Print Entire Database"), scope);
    ExportEntire->setObjectName(QStringLiteral("ExportEntire"));
    ExportSearch = new QRadioButton(QStringLiteral("Print Search Criteria"), scope);
    ExportSearch->setObjectName(QStringLiteral("ExportSearch"));
    scopeLayout->addWidget(ExportEntire);
    scopeLayout->addWidget(ExportSearch);
    left->addWidget(scope);
    auto *listLabel = new QLabel(QStringLiteral("Report Selection"), this);
    listLabel->setObjectName(QStringLiteral("ReportBoxLabel"));
    left->addWidget(listLabel);
    ReportBox = new QListWidget(this);
    ReportBox->setObjectName(QStringLiteral("ReportBox"));
    listLabel->setBuddy(ReportBox);
    left->addWidget(ReportBox, 1);
    auto *sortTitle = new QLabel(QStringLiteral("Current Sort Order"), this);
    sortTitle->setObjectName(QStringLiteral("SortOrderTitle"));
    left->addWidget(sortTitle);
    SortOrderLabel = new QLabel(this);
    SortOrderLabel->setObjectName(QStringLiteral("SortOrderLabel"));
    SortOrderLabel->setWordWrap(true);
    left->addWidget(SortOrderLabel);

    auto *buttons = new QVBoxLayout;
    body->addLayout(buttons);
    ViewButton = button(this, "ViewButton", QStringLiteral("&View"), &TMyReport::DoView,
                        "document-print-preview");
    PrintButton = button(this, "PrintButton", QStringLiteral("&Print"), &TMyReport::DoPrint,
                         "document-print");
    FileButton = button(this, "FileButton", QStringLiteral("Print To &File"),
                        &TMyReport::DoPrintToFile, "document-save-as");
    ModifyButton = button(this, "ModifyButton", QStringLiteral("&Modify Report"),
                          &TMyReport::DoModify, "document-properties");
    NewButton =
        button(this, "NewButton", QStringLiteral("&New Report"), &TMyReport::DoNew, "document-new");
    PrinterSetup = button(this, "PrinterSetup", QStringLiteral("Printer &Setup"),
                          &TMyReport::PrinterSetupClick, "printer");
    auto *setupKey = new QShortcut(QKeySequence(QStringLiteral("Ctrl+S")), this);
    connect(setupKey, &QShortcut::activated, this, [this] { PrinterSetupClick(); });
    HelpButton = button(this, "HelpButton", QStringLiteral("&Help"), &TMyReport::HelpButtonClick,
                        "help-contents");
    ExitButton = button(this, "ExitButton", QStringLiteral("E&xit"), "application-exit");
    connect(ExitButton, &QPushButton::clicked, this, [this] { close(); });
    for (QPushButton *b :
         {ViewButton, PrintButton, FileButton, ModifyButton, NewButton, PrinterSetup, HelpButton})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(ExitButton);
    ViewButton->setDefault(true);
    connect(ReportBox, &QListWidget::itemDoubleClicked, this, [this] { DoView(); });

    OpenDesigner = [this](bool isNew, int index) { openDesigner(isNew, index); };
    LoadReportBox();
}

TMyReport::~TMyReport() = default;

void TMyReport::LoadReportBox()
{
    const int row = ReportBox->currentRow();
    ReportBox->clear();
    ReportBox->addItems(ReportFile().names());
    if (row >= 0 && row < ReportBox->count()) ReportBox->setCurrentRow(row);
}

QString TMyReport::sortOrderText(const Settings &settings)
{
    QString text;
    for (int level : settings.sortLevels)
        if (level >= 1 && level <= coin::kFieldCount)
            text += settings.fieldNames[static_cast<size_t>(level - 1)] + QStringLiteral(", ");
    if (text.isEmpty()) return QStringLiteral("No Sort Order Selected");
    text.chop(2);
    return text;
}

void TMyReport::FormShow()
{
    if (m_ctx.place) m_ctx.place(this);
    SetColors();
    if (y() > 10) move(x(), y() - 10);
    if (m_ctx.database.searchOn()) {
        ExportSearch->setEnabled(true);
        ExportSearch->setChecked(true);
    } else {
        ExportEntire->setChecked(true);
        ExportSearch->setEnabled(false);
    }
    const int last = m_ctx.database.settings().lastReport;
    if (last >= 0 && last < ReportBox->count()) ReportBox->setCurrentRow(last);
    ReportBox->setFocus();
    SortOrderLabel->setText(sortOrderText(m_ctx.database.settings()));
}

void TMyReport::SetColors()
{
    const colors::Painter paint(m_ctx.database.settings().scheme(colors::Target::Report));
    paint.window(this);
    for (QLabel *l : findChildren<QLabel *>())
        paint.minorTitle(l);
    paint.list(ReportBox);
    paint.radio(ExportEntire);
    paint.radio(ExportSearch);
}

void TMyReport::done(int result)
{
    m_ctx.database.settings().lastReport = std::max(0, ReportBox->currentRow());
    QDialog::done(result);
}

void TMyReport::DoIt(RunMode mode, const QString &outputFile)
{
    const bool onlySearch = !ExportEntire->isChecked();
    const int row = ReportBox->currentRow();
    if (row < 0) {
        warn(this, kNoReport);
        ReportBox->setFocus();
        return;
    }
    ReportDefinition &definition = ReportDefinition::shared();
    if (!ReportFile().read(row, definition)) {
        warn(this, kNoFile);
        ReportBox->setFocus();
        return;
    }
    const bool suspend = !onlySearch && m_ctx.database.searchOn();
    if (suspend && m_ctx.suspendSearch) m_ctx.suspendSearch();
    AtExit resume{[&] {
        if (suspend && m_ctx.resumeSearch) m_ctx.resumeSearch();
    }};

    Settings &settings = m_ctx.database.settings();
    const int printer = settings.defaultPrinter ? -1 : settings.printerIndex;
    ReportGenerator generator(definition, generationContext(m_ctx), mode, outputFile);
    engine::PageStream stream;
    std::unique_ptr<engine::TBaseReport> producer;
    if (mode == RunMode::Print) {
        producer = std::make_unique<engine::TReportPrinter>(this);
    } else {
        auto filer = std::make_unique<engine::TReportFiler>(this);
        filer->setStream(&stream);
        producer = std::move(filer);
    }
    producer->SelectPrinter(printer);
    producer->Title = definition.name();
    generator.attach(*producer);

    bool cancelled = true;
    {
        TReportForm status(*producer, generator, this);
        if (m_ctx.place) m_ctx.place(&status);
        modal::show(&status);
        cancelled = status.Cancelled() || !status.Finished();
    }
    if (mode == RunMode::View && !cancelled) {
        TMyPreview preview(stream, settings, printer, definition.name(), this);
        preview.place = m_ctx.place;
        modal::show(&preview);
    }
}

void TMyReport::DoPrintToFile()
{
    const QString path =
        Prompts::instance().saveFile(this, QStringLiteral("Save Report As a Text File"), QString(),
                                     QStringLiteral("Text Files (*.TXT)"), QStringLiteral("TXT"));
    if (path.isEmpty()) return;
    DoIt(RunMode::File, path);
}

void TMyReport::DoModify()
{
    const int row = ReportBox->currentRow();
    if (row < 0) {
        warn(this, kNoReport);
        ReportBox->setFocus();
        return;
    }
    // The designer never starts from a record it could not read: its Update would write
    // whatever the buffer held before over the report at that position.
    if (!ReportFile().read(row, ReportDefinition::shared())) {
        warn(this, kNoFile);
        ReportBox->setFocus();
        return;
    }
    if (OpenDesigner) OpenDesigner(false, row);
}

void TMyReport::DoNew()
{
    ReportDefinition::shared().setNewDefaults();
    if (OpenDesigner) OpenDesigner(true, -1);
}

void TMyReport::PrinterSetupClick()
{
    TPrintSelect dialog(m_ctx.database.settings(), this);
    if (m_ctx.place) m_ctx.place(&dialog);
    modal::show(&dialog);
}

void TMyReport::HelpButtonClick()
{
    help::show(this, QStringLiteral("Report Window"));
}

void TMyReport::openDesigner(bool isNew, int index)
{
    const DesignerContext context{m_ctx.database.settings(), m_ctx.place,
                                  m_ctx.scaleFactor ? m_ctx.scaleFactor() : 1.0, ReportBox,
                                  [this] { LoadReportBox(); }};
    TUserReport designer(context, isNew, index, this);
    modal::show(&designer);
}

} // namespace reports
