#include "exchange/import_window.h"

#include "app/settings.h"
#include "config/color_scheme.h"
#include "dbase/error.h"
#include "dbase/table.h"
#include "exchange/ascii_format.h"
#include "exchange/exchange_run.h"
#include "platform/help_window.h"
#include "platform/long_work.h"
#include "platform/modal.h"
#include "platform/prompts.h"
#include "ui/controls.h"
#include "ui/grid_rows.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

using namespace controls;

namespace
{

const QString kYes = QStringLiteral("Yes");
const QString kNo = QStringLiteral("No");

QString fromUtf8(const std::string &s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

std::array<QString, 20> displayLabels(const Settings &settings)
{
    std::array<QString, 20> labels;
    for (int i = 0; i < 20; ++i)
        labels[i] = settings.fieldNames[i];
    return labels;
}

void notice(QWidget *owner, const QString &text)
{
    Prompts::instance().message(owner, text, QStringLiteral("Ok"), Prompts::Icon::Information,
                                QMessageBox::Ok, QMessageBox::Ok, false);
}

// Opens a dBase source for reading only; its index file is not read at all.
void openSource(dbase::Table &source, const QString &path)
{
    const QFileInfo info(path);
    source.setDatabaseName(info.absolutePath().toStdString());
    source.setTableName(info.fileName().toStdString());
    source.setReadOnly(true);
    source.setIgnoreIndexFile(true);
    source.open();
}

} // namespace

// ---- TMyImport --------------------------------------------------------------------------

TMyImport::TMyImport(const ExchangeContext &context, int format, const QString &path,
                     std::string bytes, std::vector<std::string> names, QWidget *parent)
    : QDialog(parent), ImportNames(std::move(names)), m_ctx(context), m_format(format),
      m_path(path), m_bytes(std::move(bytes))
{
    setObjectName(QStringLiteral("TMyImport"));
    ImportCount = static_cast<int>(ImportNames.size());

    ImportGrid = new QTableWidget(this);
    ImportGrid->setObjectName(QStringLiteral("ImportGrid"));
    ImportGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ImportGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    ImportGrid->setTabKeyNavigation(true);
    ImportGrid->verticalHeader()->hide();
    connect(ImportGrid, &QTableWidget::cellDoubleClicked, this, &TMyImport::ImportGridDblClick);

    SkipFirst = checkBox(this, "SkipFirst", QStringLiteral("Skip First Record"));
    // FormCreate: the check box from the setting.
    SkipFirst->setChecked(m_ctx.settings.importSkipFirst);
    connect(SkipFirst, &QCheckBox::clicked, this, &TMyImport::SkipFirstClick);

    m_count = label(this, "ImportCountBox", QStringLiteral("0"), Qt::AlignRight | Qt::AlignVCenter);
    m_count->setFrameShape(QFrame::Panel);
    m_count->setFrameShadow(QFrame::Sunken);
    m_count->setMinimumWidth(90);

    auto *Label1 = label(
        this, "Label1",
        QStringLiteral(
            "Use the Up and Down buttons to match the Numarok fields with the import fields.  "
            "\"Yes\" includes a field in the import.  Double click a USE cell to switch it "
            "between Yes and No."));
    Label1->setWordWrap(true);

    auto *side = new QVBoxLayout;
    side->addWidget(label(this, "FieldOrder1Label", QStringLiteral("Field"), Qt::AlignCenter));
    side->addWidget(label(this, "FieldOrder2Label", QStringLiteral("Alignment"), Qt::AlignCenter));
    side->addWidget(button(this, "UpButton", QStringLiteral("&Up"), &TMyImport::UpButtonClick));
    side->addWidget(
        button(this, "DownButton", QStringLiteral("&Down"), &TMyImport::DownButtonClick));
    side->addSpacing(12);
    side->addWidget(label(this, "ImportCount1Label", QStringLiteral("Import"), Qt::AlignCenter));
    side->addWidget(label(this, "ImportCount2Label", QStringLiteral("Count"), Qt::AlignCenter));
    side->addWidget(m_count);
    side->addSpacing(12);
    side->addWidget(SkipFirst);
    side->addStretch();
    side->addWidget(
        button(this, "StartButton", QStringLiteral("&Start Import"), &TMyImport::StartButtonClick));
    side->addWidget(button(this, "ExitButton", QStringLiteral("E&xit"), &QDialog::reject));
    side->addWidget(
        button(this, "HelpButton", QStringLiteral("&Help"), &TMyImport::HelpButtonClick));

    auto *top = new QHBoxLayout;
    top->addWidget(ImportGrid);
    top->addLayout(side);
    auto *all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addWidget(Label1);
}

void TMyImport::FormShow()
{
    if (m_ctx.place) m_ctx.place(this);
    if (y() > 10) move(x(), y() - 10);
    const bool ascii = m_format != 2;
    setWindowTitle(ascii ? QStringLiteral("Ascii Delimited Text Import")
                         : QStringLiteral("DBase File Import"));
    SkipFirst->setVisible(ascii);
    SkipFirst->setEnabled(ascii);

    const double f = m_ctx.scaleFactor;
    ImportGrid->setColumnCount(3);
    ImportGrid->setRowCount(std::max(ImportCount, 20));
    ImportGrid->setHorizontalHeaderLabels(
        {QStringLiteral("NUMAROK FIELDS"), QStringLiteral("IMPORT FIELDS"), QStringLiteral("USE")});
    ImportGrid->setColumnWidth(0, int(179 * f));
    ImportGrid->setColumnWidth(1, int(179 * f));
    ImportGrid->setColumnWidth(2, int(38 * f));
    ImportGrid->setMinimumWidth(int(400 * f) + 20);
    for (int r = 0; r < ImportGrid->rowCount(); ++r) {
        const bool named = r < ImportCount;
        ImportGrid->setItem(
            r, 0, new QTableWidgetItem(r < 20 ? m_ctx.settings.fieldNames[r] : QString()));
        ImportGrid->setItem(
            r, 1,
            new QTableWidgetItem(named ? fromUtf8(ImportNames[r]) : QStringLiteral("<EMPTY>")));
        ImportGrid->setItem(r, 2, new QTableWidgetItem(named ? kYes : QString()));
    }
    ImportGrid->setCurrentCell(0, 1);
    SetColors();
}

void TMyImport::UpButtonClick()
{
    gridrows::moveCurrentRow(ImportGrid, -1, 1, 2);
}

void TMyImport::DownButtonClick()
{
    gridrows::moveCurrentRow(ImportGrid, 1, 1, 2);
}

void TMyImport::ImportGridDblClick(int row, int column)
{
    if (column != 2 || row < 0) return;
    QTableWidgetItem *item = ImportGrid->item(row, 2);
    if (!item) return;
    if (item->text() == kYes)
        item->setText(kNo);
    else if (item->text() == kNo)
        item->setText(kYes);
}

void TMyImport::SkipFirstClick()
{
    m_ctx.settings.importSkipFirst = SkipFirst->isChecked();
}

QString TMyImport::countText(int count) const
{
    QString digits = QString::number(count);
    for (int i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, QLatin1Char(','));
    return digits;
}

void TMyImport::StartButtonClick()
{
    // The first of the top twenty rows that shows the name receives the field.
    ImportMap.assign(ImportCount, -1);
    for (int i = 0; i < ImportCount; ++i) {
        const QString name = fromUtf8(ImportNames[i]);
        for (int r = 0; r < 20; ++r)
            if (ImportGrid->item(r, 1)->text() == name) {
                if (ImportGrid->item(r, 2)->text() == kYes) ImportMap[i] = r + 1;
                break;
            }
    }

    // Coins with nothing in them are no import.
    if (std::none_of(ImportMap.begin(), ImportMap.end(), [](int n) { return n > 0; })) {
        Prompts::error(this, QStringLiteral("No fields selected for import."));
        return;
    }
    exchange::Importer importer(m_ctx.table, ImportMap, displayLabels(m_ctx.settings));
    // The values are checked first: the box counts the records checked, then those imported.
    auto *countTitle = findChild<QLabel *>(QStringLiteral("ImportCount1Label"));
    auto show = [this, countTitle](const QString &title, int done) {
        countTitle->setText(title);
        m_count->setText(countText(done));
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    importer.setChecking([show](int done) { show(QStringLiteral("Check"), done); });
    importer.setProgress([show](int done) { show(QStringLiteral("Import"), done); });
    struct TitleBack {
        QLabel *label;
        ~TitleBack() { label->setText(QStringLiteral("Import")); }
    } titleBack{countTitle};
    exchange::ImportResult result;
    try {
        // The wait cursor, and the engine's own long work (reading a large source) shown.
        dbase::Table source;
        LongWork work(this, windowTitle());
        work.attach(m_ctx.table);
        if (m_format == 2) {
            work.attach(source);
            openSource(source, m_path);
            result = importer.importDbase(source);
        } else {
            exchange::AsciiReader reader(m_bytes);
            result = importer.importAscii(reader, SkipFirst->isChecked());
        }
    } catch (const exchange::Error &e) {
        Prompts::error(this, e.message());
        return;
    } catch (const dbase::Error &e) {
        Prompts::error(
            this, QStringLiteral("The import stopped: %1").arg(QString::fromStdString(e.what())));
        return;
    }
    m_count->setText(countText(result.imported));
    QString text = QStringLiteral("Import Complete.");
    if (result.cutValues > 0)
        text += QStringLiteral("  %1 values longer than 255 characters were cut to 255 characters.")
                    .arg(result.cutValues);
    if (result.replacedCharacters > 0)
        text +=
            QStringLiteral("  %1 characters that the database cannot hold were stored as \"?\".")
                .arg(result.replacedCharacters);
    notice(this, text);
    accept();
}

void TMyImport::HelpButtonClick()
{
    help::show(this, QStringLiteral("Import Window"));
}

void TMyImport::SetColors()
{
    const colors::Painter paint(m_ctx.settings.scheme(colors::Target::Configure));
    paint.window(this);
    for (const char *name :
         {"FieldOrder1Label", "FieldOrder2Label", "ImportCount1Label", "ImportCount2Label"})
        paint.minorTitle(findChild<QWidget *>(QLatin1String(name)));
    paint.list(ImportGrid);
    paint.check(SkipFirst);
}

// ---- TImportFormat ----------------------------------------------------------------------

TImportFormat::TImportFormat(const ExchangeContext &context, QWidget *parent)
    : QDialog(parent), m_ctx(context)
{
    setObjectName(QStringLiteral("TImportFormat"));
    setWindowTitle(QStringLiteral("Import Format"));
    auto *MyPanel = new QFrame(this);
    MyPanel->setObjectName(QStringLiteral("MyPanel"));
    MyPanel->setFrameShape(QFrame::StyledPanel);
    AsciiDelimited = radio(MyPanel, "AsciiDelimited", QStringLiteral("Ascii Delimited File"));
    DBFFormat = radio(MyPanel, "DBFFormat", QStringLiteral("DBase File (DBF)"));
    auto *panel = new QVBoxLayout(MyPanel);
    panel->addWidget(AsciiDelimited);
    panel->addWidget(DBFFormat);

    // Enter on a focused button presses it; elsewhere Enter selects the file.
    auto *FileButton = button(this, "FileButton", QStringLiteral("Select &File"),
                              &TImportFormat::FileButtonClick, nullptr, AutoDefault::On);
    FileButton->setDefault(true);
    auto *CancelButton = button(this, "CancelButton", QStringLiteral("&Cancel"), &QDialog::reject,
                                nullptr, AutoDefault::On);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(FileButton);
    buttons->addWidget(CancelButton);
    auto *all = new QVBoxLayout(this);
    all->addWidget(MyPanel);
    all->addLayout(buttons);
}

void TImportFormat::FormShow()
{
    if (m_ctx.place) m_ctx.place(this);
    (m_ctx.settings.importFileType == 2 ? DBFFormat : AsciiDelimited)->setChecked(true);
    SetColors();
}

void TImportFormat::SetColors()
{
    const colors::Painter paint(m_ctx.settings.scheme(colors::Target::Configure));
    paint.window(this);
    paint.window(findChild<QWidget *>(QStringLiteral("MyPanel")));
    paint.radio(AsciiDelimited);
    paint.radio(DBFFormat);
}

void TImportFormat::done(int result)
{
    m_ctx.settings.importFileType = DBFFormat->isChecked() && !AsciiDelimited->isChecked() ? 2 : 1;
    QDialog::done(result);
}

void TImportFormat::FileButtonClick()
{
    if (DBFFormat->isChecked())
        DoDBF();
    else
        DoAscii();
}

void TImportFormat::DoAscii()
{
    const QString path = Prompts::instance().openFile(
        this, QStringLiteral("Import Data"), QFileInfo(m_ctx.settings.lastImportFile).path(),
        QStringLiteral("Ascii Delimited Text (*.TXT *.txt)"));
    if (path.isEmpty()) return;
    const QFileInfo info(path);
    QFile file(path);
    if (info.isDir() || !file.open(QIODevice::ReadOnly)) {
        Prompts::error(this, QStringLiteral("Unable to read %1: %2.")
                                 .arg(path, info.isDir() ? QStringLiteral("it is a directory")
                                                         : file.errorString()));
        return;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        Prompts::error(this,
                       QStringLiteral("Unable to read %1: %2.").arg(path, file.errorString()));
        return;
    }
    if (bytes.contains('\0')) {
        Prompts::error(this, QStringLiteral("%1 is not a text file.").arg(path));
        return;
    }
    m_ctx.settings.lastImportFile = path;
    std::string content(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    exchange::AsciiReader reader(content);
    std::vector<std::string> names;
    const auto problem = reader.readFirstLine(names);
    if (problem != exchange::AsciiReader::Problem::None) {
        Prompts::error(this, exchange::AsciiReader::problemMessage(problem));
        return;
    }
    showImport(1, path, std::move(content), std::move(names));
}

void TImportFormat::DoDBF()
{
    const QString path = Prompts::instance().openFile(
        this, QStringLiteral("Import Data"), QFileInfo(m_ctx.settings.lastImportFile).path(),
        QStringLiteral("DBase  (*.DBF *.dbf)"));
    if (path.isEmpty()) return;
    if (!path.right(4).toUpper().endsWith(QStringLiteral(".DBF"))) {
        Prompts::error(this, QStringLiteral("Invalid file type selected."));
        return;
    }
    std::vector<std::string> names;
    try {
        dbase::Table source;
        openSource(source, path);
        const int count = std::min(source.fieldCount(), exchange::kMaxImportFields);
        for (int i = 0; i < count; ++i)
            names.push_back(source.field(i).name.substr(0, exchange::kImportNameLength));
    } catch (const dbase::Error &e) {
        Prompts::error(
            this,
            QStringLiteral("Unable to read %1: %2").arg(path, QString::fromStdString(e.what())));
        return;
    }
    m_ctx.settings.lastImportFile = path;
    showImport(2, path, {}, std::move(names));
}

void TImportFormat::showImport(int format, const QString &path, std::string bytes,
                               std::vector<std::string> names)
{
    TMyImport form(m_ctx, format, path, std::move(bytes), std::move(names), this);
    form.FormShow();
    modal::show(&form);
    // The import form closing takes this one with it.
    accept();
}
