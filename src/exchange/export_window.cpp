#include "exchange/export_window.h"

#include "app/settings.h"
#include "config/color_scheme.h"
#include "db/coin_schema.h"
#include "dbase/error.h"
#include "dbase/table.h"
#include "exchange/exchange_run.h"
#include "platform/help_window.h"
#include "platform/long_work.h"
#include "platform/prompts.h"
#include "ui/controls.h"
#include "ui/grid_rows.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <set>

using namespace controls;

namespace
{

const QString kYes = QStringLiteral("Yes");
const QString kNo = QStringLiteral("No");

// An export of everything while a search is on ends the search for the run and turns it
// on again afterwards, however the run ends.
class SearchPause
{
public:
    SearchPause(const ExchangeContext &ctx, bool pause)
        : m_ctx(ctx), m_paused(pause && ctx.searchOn)
    {
        if (m_paused && m_ctx.endSearch) m_ctx.endSearch();
    }
    ~SearchPause()
    {
        if (m_paused && m_ctx.resumeSearch) m_ctx.resumeSearch();
    }

private:
    const ExchangeContext &m_ctx;
    bool m_paused;
};

} // namespace

TMyExport::TMyExport(const ExchangeContext &context, QWidget *parent)
    : QDialog(parent), m_ctx(context)
{
    setObjectName(QStringLiteral("TMyExport"));
    setWindowTitle(QStringLiteral("Export"));

    ExportGrid = new QTableWidget(this);
    ExportGrid->setObjectName(QStringLiteral("ExportGrid"));
    ExportGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ExportGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    ExportGrid->verticalHeader()->hide();
    connect(ExportGrid, &QTableWidget::cellDoubleClicked, this, &TMyExport::ExportGridDblClick);

    FirstRow = checkBox(this, "FirstRow", QStringLiteral("&First Record Contains Field Names"));
    // FormCreate: the check box from the setting.
    FirstRow->setChecked(m_ctx.settings.exportFirstRow);
    connect(FirstRow, &QCheckBox::clicked, this, &TMyExport::FirstRowClick);

    ExportEntire = radio(this, "ExportEntire", QStringLiteral("Export Entire Database"));
    ExportSearch = radio(this, "ExportSearch", QStringLiteral("Export Search Criteria"));
    AsciiFile = radio(this, "AsciiFile", QStringLiteral("Ascii Delimited Text File"));
    DBaseFile = radio(this, "DBaseFile", QStringLiteral("DBase File (DBF)"));
    connect(AsciiFile, &QRadioButton::clicked, this, &TMyExport::AsciiFileClick);
    connect(DBaseFile, &QRadioButton::clicked, this, &TMyExport::DBaseFileClick);
    auto *what = new QFrame(this);
    auto *whatLayout = new QVBoxLayout(what);
    // The frames add no margins of their own, so that the form fits a 640 x 480 screen.
    whatLayout->setContentsMargins(0, 0, 0, 0);
    whatLayout->addWidget(label(this, "WhatLabel", QStringLiteral("What to Export")));
    whatLayout->addWidget(ExportEntire);
    whatLayout->addWidget(ExportSearch);
    auto *how = new QFrame(this);
    auto *howLayout = new QVBoxLayout(how);
    howLayout->setContentsMargins(0, 0, 0, 0);
    howLayout->addWidget(label(this, "HowLabel", QStringLiteral("How To Export")));
    howLayout->addWidget(AsciiFile);
    howLayout->addWidget(DBaseFile);
    howLayout->addWidget(FirstRow);
    MyGauge = new QProgressBar(this);
    MyGauge->setObjectName(QStringLiteral("MyGauge"));
    MyGauge->setTextVisible(false);
    MyGauge->setStyleSheet(QStringLiteral("QProgressBar::chunk { background-color: red; }"));

    auto *Label1 =
        label(this, "Label1",
              QStringLiteral("\"Yes\" includes a field in the export, \"No\" excludes it.  "
                             "Double click a cell under EXPORT IT to switch it between "
                             "Yes and No."));
    Label1->setWordWrap(true);

    auto *side = new QVBoxLayout;
    side->addWidget(label(this, "FieldOrder1Label", QStringLiteral("Field")));
    side->addWidget(label(this, "FieldOrder2Label", QStringLiteral("Ordering")));
    side->addWidget(button(this, "UpButton", QStringLiteral("&Up"), &TMyExport::UpButtonClick));
    side->addWidget(
        button(this, "DownButton", QStringLiteral("&Down"), &TMyExport::DownButtonClick));
    side->addWidget(button(this, "DefaultsButton", QStringLiteral("D&efaults"),
                           &TMyExport::DefaultsButtonClick));
    side->addStretch();
    side->addWidget(button(this, "StartExportButton", QStringLiteral("&Start Export"),
                           &TMyExport::StartExportButtonClick));
    side->addWidget(button(this, "ExitButton", QStringLiteral("E&xit"), &QDialog::reject));
    side->addWidget(
        button(this, "HelpButton", QStringLiteral("&Help"), &TMyExport::HelpButtonClick));

    auto *right = new QVBoxLayout;
    right->addWidget(what);
    right->addWidget(how);
    right->addWidget(label(this, "NotesLabel", QStringLiteral("NOTES")));
    right->addWidget(Label1);
    right->addWidget(label(this, "GaugeLabel", QStringLiteral("Export Progress")));
    right->addWidget(MyGauge);
    right->addStretch();

    auto *all = new QHBoxLayout(this);
    all->setContentsMargins(6, 6, 6, 6);
    all->addWidget(ExportGrid);
    all->addLayout(side);
    all->addLayout(right);
}

void TMyExport::FormShow()
{
    if (m_ctx.place) m_ctx.place(this);
    if (y() > 10) move(x(), y() - 10);
    const double f = m_ctx.scaleFactor;
    ExportGrid->setColumnCount(2);
    ExportGrid->setRowCount(20);
    ExportGrid->setHorizontalHeaderLabels({QStringLiteral("FIELD"), QStringLiteral("EXPORT IT")});
    ExportGrid->setColumnWidth(0, int(200 * f));
    ExportGrid->setColumnWidth(1, int(100 * f));
    ExportGrid->setMinimumWidth(int(300 * f) + 20);
    // Stored rows that are not the numbers 1 to 20 once each cannot place every field:
    // the default order then.
    std::set<int> rows(m_ctx.settings.exportOrder.begin(), m_ctx.settings.exportOrder.end());
    const bool usable = rows.size() == 20 && *rows.begin() == 1 && *rows.rbegin() == 20;
    for (int i = 0; i < 20; ++i) {
        const int row = usable ? m_ctx.settings.exportOrder[i] - 1 : i;
        ExportGrid->setItem(row, 0, new QTableWidgetItem(m_ctx.settings.fieldNames[i]));
        ExportGrid->setItem(row, 1,
                            new QTableWidgetItem(m_ctx.settings.exportFields[i] ? kYes : kNo));
    }
    ExportGrid->setCurrentCell(0, 0);
    SetColors();
    ExportSearch->setEnabled(m_ctx.searchOn);
    (m_ctx.searchOn ? ExportSearch : ExportEntire)->setChecked(true);
    if (m_ctx.settings.exportFileType == 2) {
        DBaseFile->setChecked(true);
        DBaseFileClick();
    } else {
        AsciiFile->setChecked(true);
        AsciiFileClick();
    }
}

void TMyExport::FirstRowClick()
{
    m_ctx.settings.exportFirstRow = FirstRow->isChecked();
}

void TMyExport::ExportGridDblClick(int row, int column)
{
    if (column != 1 || row < 0 || row >= 20) return;
    QTableWidgetItem *item = ExportGrid->item(row, 1);
    item->setText(item->text() == kYes ? kNo : kYes);
}

void TMyExport::UpButtonClick()
{
    gridrows::moveCurrentRow(ExportGrid, -1, 0, 1);
}

void TMyExport::DownButtonClick()
{
    gridrows::moveCurrentRow(ExportGrid, 1, 0, 1);
}

void TMyExport::DefaultsButtonClick()
{
    const auto answer = Prompts::instance().message(
        this,
        QStringLiteral("This will set the order of fields to the program defaults.  Continue?"),
        QStringLiteral("Re-Order"), Prompts::Icon::Question, QMessageBox::Yes | QMessageBox::No,
        QMessageBox::No, false);
    if (answer != QMessageBox::Yes) return;
    for (int i = 0; i < 20; ++i) {
        ExportGrid->item(i, 0)->setText(m_ctx.settings.fieldNames[i]);
        ExportGrid->item(i, 1)->setText(kYes);
    }
}

void TMyExport::AsciiFileClick()
{
    FirstRow->setVisible(true);
    FirstRow->setEnabled(true);
}

void TMyExport::DBaseFileClick()
{
    FirstRow->setVisible(false);
    FirstRow->setEnabled(false);
}

void TMyExport::UpdateConfigs()
{
    for (int k = 0; k < 20; ++k)
        for (int r = 0; r < 20; ++r)
            if (ExportGrid->item(r, 0)->text() == m_ctx.settings.fieldNames[k]) {
                m_ctx.settings.exportOrder[k] = r + 1;
                m_ctx.settings.exportFields[k] = ExportGrid->item(r, 1)->text() == kYes;
                break;
            }
}

void TMyExport::done(int result)
{
    m_ctx.settings.exportFileType = AsciiFile->isChecked() ? 1 : 2;
    UpdateConfigs();
    QDialog::done(result);
}

void TMyExport::StartExportButtonClick()
{
    UpdateConfigs();
    SearchOnly = !ExportEntire->isChecked();
    bool any = false;
    for (bool f : m_ctx.settings.exportFields)
        any = any || f;
    if (!any) {
        Prompts::error(this, QStringLiteral("No fields selected for export."));
        return;
    }
    if (AsciiFile->isChecked())
        DoAscii();
    else
        DoDBase();
}

// The record loop around one writer: the search as chosen, the wait cursor, the gauge.
template <class Fn> bool TMyExport::run(Fn &&write)
{
    MyGauge->setMinimum(0);
    try {
        // The wait cursor, and the engine's own long work (the records delivered anew when
        // the search is lifted and put back) shown.
        LongWork work(this, windowTitle());
        work.attach(m_ctx.table);
        const SearchPause pause(m_ctx, !SearchOnly);
        exchange::Exporter exporter(
            m_ctx.table, exchange::exportColumns(m_ctx.settings.exportOrder,
                                                 m_ctx.settings.exportFields, m_ctx.table));
        MyGauge->setMaximum(std::max(1, exporter.total()));
        exporter.setProgress([this](int done) {
            MyGauge->setValue(std::min(done, MyGauge->maximum()));
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
        write(exporter);
    } catch (const exchange::Error &e) {
        MyGauge->setValue(0);
        Prompts::error(this, e.message());
        return false;
    } catch (const dbase::Error &e) {
        MyGauge->setValue(0);
        Prompts::error(
            this, QStringLiteral("The export stopped: %1").arg(QString::fromStdString(e.what())));
        return false;
    }
    Prompts::instance().message(this, QStringLiteral("Export Complete."), QStringLiteral("Ok"),
                                Prompts::Icon::Information, QMessageBox::Ok, QMessageBox::Ok,
                                false);
    MyGauge->setValue(0);
    accept();
    return true;
}

void TMyExport::DoAscii()
{
    const QString path = Prompts::instance().saveFile(
        this, QStringLiteral("Export Data"), QFileInfo(m_ctx.settings.lastExportFile).path(),
        QStringLiteral("Ascii Delimited Text (*.TXT *.txt)"), QStringLiteral("TXT"));
    if (path.isEmpty()) return;
    m_ctx.settings.lastExportFile = path;
    std::vector<std::string> header;
    if (m_ctx.settings.exportFirstRow)
        for (const exchange::ExportColumn &c : exchange::exportColumns(
                 m_ctx.settings.exportOrder, m_ctx.settings.exportFields, m_ctx.table))
            header.push_back(m_ctx.settings.fieldNames[c.number - 1].toStdString());
    run([&](exchange::Exporter &e) { e.writeAscii(path, header); });
}

void TMyExport::DoDBase()
{
    const QString path = Prompts::instance().saveFile(
        this, QStringLiteral("Export Data"), QFileInfo(m_ctx.settings.lastExportFile).path(),
        QStringLiteral("DBase (*.DBF *.dbf)"), QStringLiteral("DBF"));
    if (path.isEmpty()) return;
    if (path.right(4).toUpper() != QStringLiteral(".DBF")) {
        Prompts::error(this, QStringLiteral("Invalid file type selected."));
        return;
    }
    m_ctx.settings.lastExportFile = path;
    run([&](exchange::Exporter &e) { e.writeDbase(path); });
}

void TMyExport::HelpButtonClick()
{
    help::show(this, QStringLiteral("Export Window"));
}

void TMyExport::SetColors()
{
    const colors::Painter paint(m_ctx.settings.scheme(colors::Target::Configure));
    paint.window(this);
    for (const char *name : {"FieldOrder1Label", "FieldOrder2Label", "NotesLabel", "WhatLabel",
                             "HowLabel", "GaugeLabel"})
        paint.minorTitle(findChild<QWidget *>(QLatin1String(name)));
    paint.list(ExportGrid);
    paint.check(FirstRow);
    for (QRadioButton *r : {ExportEntire, ExportSearch, AsciiFile, DBaseFile})
        paint.radio(r);
}
