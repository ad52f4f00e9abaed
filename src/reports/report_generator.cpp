#include "reports/report_generator.h"

#include "db/coin_schema.h"
#include "dbase/codepage.h"
#include "dbase/table.h"
#include "platform/save_file.h"
#include "reports/engine/base_report.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace reports
{

using engine::Align;
using engine::TBaseReport;

namespace
{

const QString kSentinel = QStringLiteral("zzxkytrweq");
constexpr double kCellMargin = 2; // hundredths of an inch on each side of a column

bool isNumericField(int number)
{
    if (number < 1 || number > coin::kFieldCount) return false;
    const coin::Kind kind = coin::field(number).kind;
    return kind == coin::Kind::Float || kind == coin::Kind::Integer;
}

QString spaces(int n)
{
    return QString(std::max(0, n), QLatin1Char(' '));
}

} // namespace

double Totals::value(int number) const
{
    switch (number) {
    case 1:
        return market;
    case 2:
        return purchase;
    case 3:
        return premium;
    case 4:
        return quantity;
    default:
        return 0;
    }
}

ReportGenerator::ReportGenerator(const ReportDefinition &definition,
                                 const GenerationContext &context, RunMode mode,
                                 const QString &outputPath)
    : m_def(definition), m_ctx(context), m_mode(mode), m_outputPath(outputPath)
{
}

ReportGenerator::~ReportGenerator() = default;

QString ReportGenerator::noRoomMessage()
{
    return QStringLiteral("A page of this report has no room for one record.  Make its "
                          "margins or its fonts smaller, or give it fewer lines per record.");
}

void ReportGenerator::attach(TBaseReport &engine)
{
    engine.OnBeforePrint = [this](TBaseReport &r) { MyBeforePrintReport(r); };
    engine.OnPrintHeader = [this](TBaseReport &r) { MyPrintHeaderReport(r); };
    engine.OnPrintPage = [this](TBaseReport &r) { return MyPrintPageReport(r); };
    engine.OnPrintFooter = [this](TBaseReport &r) { MyPrintFooterReport(r); };
    engine.OnAfterPrint = [this](TBaseReport &r) { MyAfterPrintReport(r); };
    engine.SetOrientation(m_def.landscape() ? QPageLayout::Landscape : QPageLayout::Portrait);
}

// ---- events -----------------------------------------------------------------------------

void ReportGenerator::MyBeforePrintReport(TBaseReport &r)
{
    r.StatusFormat = QStringLiteral("Printing Page %p\r%0\r%1");
    r.StatusText = QStringList{QString(), QString()};
    r.MarginTop = m_def.topMargin();
    r.MarginBottom = m_def.bottomMargin();
    r.MarginLeft = m_def.leftMargin();
    r.MarginRight = m_def.rightMargin();
    m_lines = m_def.numberOfLines();
    m_width = m_def.width();
    m_printable = r.PageWidth() - r.MarginLeft - r.MarginRight;

    m_g1 = m_g2 = 0;
    if (m_def.groupLevel1()) {
        int found = 0;
        for (int level : m_ctx.sortLevels) {
            if (level < 1 || level > coin::kFieldCount) continue;
            if (found == 0)
                m_g1 = level;
            else if (found == 1)
                m_g2 = level;
            ++found;
        }
        if (!m_def.groupLevel2()) m_g2 = 0;
    }
    m_v1 = m_v2 = kSentinel;
    m_headingPending = m_subtotalPending = m_finalPending = false;
    m_firstGroup = true;
    m_group = m_grand = Totals();
    m_failure.clear();

    if (m_mode == RunMode::File) {
        m_file.setFileName(m_outputPath);
        if (!m_file.open(QIODevice::WriteOnly))
            throw engine::ReportError(QStringLiteral("The report file \"%1\" could not be "
                                                     "written: %2")
                                          .arg(m_outputPath, m_file.errorString()));
        m_fileOpen = true;
    }
    m_controls = std::make_unique<dbase::ControlsDisabled>(m_ctx.table);
    m_ctx.table.first();
}

void ReportGenerator::MyPrintHeaderReport(TBaseReport &r)
{
    if (m_mode == RunMode::File) {
        for (int n = 1; n <= 3; ++n)
            if (!m_def.title(n).isEmpty()) LineToFile(r, m_def.title(n));
        return;
    }
    r.SetBandTop(0.5);
    r.SetBandBottom(1.25);
    r.Home();
    SetMyFont(r, 1);
    for (int n = 1; n <= 3; ++n) {
        const QString title = m_def.title(n);
        if (title.isEmpty()) continue;
        r.PrintCentredAt(title, r.PageWidth() / 2);
        r.EndLine();
    }
}

bool ReportGenerator::MyPrintPageReport(TBaseReport &r)
{
    dbase::Table &table = m_ctx.table;
    const int n = m_lines;
    r.Home();
    r.SetBandTop(1.25);
    r.SetBandBottom(r.PageHeight() - m_def.bottomMargin() - 0.75);

    m_rules = 0;
    if (n == 1) {
        if (m_def.verticalLines() && m_def.horizontalLines())
            m_rules = engine::RulesAll;
        else if (m_def.verticalLines())
            m_rules = engine::RuleLeft | engine::RuleRight;
        else if (m_def.horizontalLines())
            m_rules = engine::RuleTop | engine::RuleBottom;
    }

    if (n == 1 && m_def.columnHeaders()) {
        SetMyFont(r, 2);
        layoutColumns(r, 1, Layout::Header);
        printColumnHeaderLine(r);
        SetMyFont(r, 3);
        if (m_mode != RunMode::File) r.EndLine();
    } else {
        SetMyFont(r, 3);
    }
    if (n == 1) layoutColumns(r, 1, Layout::Data);

    m_bodyOutput = 0;
    bool newPage = false;
    QElapsedTimer sinceInput;
    sinceInput.start();
    int records = 0;
    for (;;) {
        if (r.LinesRemaining() < n || table.eof() || newPage) break;
        if (m_subtotalPending) newPage = printGroupSubtotal(r);
        // A heading never goes before the subtotal of the group it follows.
        if (m_headingPending && !m_subtotalPending) newPage = printGroupHeading(r);
        if (m_g1 > 0 && detectGroupBreak(r)) newPage = true;
        if (newPage) continue;

        if (n == 1) {
            printRecordLine(r, 1);
        } else {
            for (int line = 1; line <= n; ++line) {
                layoutColumns(r, line, Layout::MultiLine);
                printRecordLine(r, line);
            }
        }
        if (m_def.useTotals()) accumulate();
        table.next();
        // A report that prints nothing per record runs through the table on one page;
        // the cancel button is still answered.
        if (++records % 256 == 0 && sinceInput.elapsed() >= 50) {
            QCoreApplication::processEvents();
            sinceInput.restart();
            if (r.Cancelled()) return false;
        }
    }
    if (table.eof()) printFinalTotals(r);
    const bool another = !(table.eof() && !m_finalPending);
    if (another && m_bodyOutput == 0) {
        // The next page would start exactly as this one did: end the run instead of
        // asking for pages forever.
        m_failure = noRoomMessage();
        r.Cancel();
        return false;
    }
    return another;
}

void ReportGenerator::MyPrintFooterReport(TBaseReport &r)
{
    const QString page = QStringLiteral("Page ") + QString::number(r.PageNumber());
    if (m_mode == RunMode::File) {
        LineToFile(r, QString());
        QString line = page + spaces(5);
        if (m_def.dateOnPages()) line += spaces(5) + m_ctx.todayText();
        LineToFile(r, line + QLatin1Char('\f'));
        return;
    }
    const double bottom = r.PageHeight() - m_def.bottomMargin();
    r.SetBandTop(bottom - 0.5);
    r.SetBandBottom(bottom);
    SetMyFont(r, 5);
    r.PrintInBand(page, Align::Left);
    r.PrintInBand(QString(), Align::Centre);
    if (m_def.dateOnPages()) r.PrintInBand(m_ctx.todayText(), Align::Right);
}

void ReportGenerator::MyAfterPrintReport(TBaseReport &r)
{
    m_controls.reset();
    if (m_fileOpen) {
        m_fileOpen = false;
        // A run that did not complete leaves an earlier file of that name as it was.
        if (r.Cancelled()) {
            m_file.cancelWriting();
            m_file.commit();
        } else if (!platform::commitWhole(m_file)) {
            throw engine::ReportError(
                QStringLiteral("The report file \"%1\" could not be written: %2")
                    .arg(m_outputPath, platform::saveFailure(m_file)));
        }
    }
}

// ---- lines and fonts --------------------------------------------------------------------

void ReportGenerator::SetMyFont(TBaseReport &r, int kind)
{
    FontKind which;
    switch (kind) {
    case 1:
        which = FontKind::Title;
        break;
    case 2:
        which = FontKind::ColumnHeader;
        break;
    case 3:
        which = FontKind::Body;
        break;
    case 5:
        which = FontKind::Footnote;
        break;
    default:
        return;
    }
    const FontBlock f = m_def.font(which);
    r.SetFont(f.face, f.size);
    r.SetBold(f.bold);
    r.SetItalic(f.italic);
    r.SetUnderline(f.underline);
    r.SetStrikeOut(f.strikeOut);
    r.SetFontColor(rgbFromStored(f.colour));
}

void ReportGenerator::LineToFile(TBaseReport &r, const QString &text)
{
    const std::string bytes = dbase::utf8ToCp1252(text.toStdString()) + "\r\n";
    if (m_file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
        static_cast<qint64>(bytes.size()))
        throw engine::ReportError(QStringLiteral("The report file \"%1\" could not be "
                                                 "written: %2")
                                      .arg(m_outputPath, m_file.errorString()));
    endLine(r);
}

void ReportGenerator::endLine(TBaseReport &r)
{
    r.EndLine();
    ++m_bodyOutput;
}

void ReportGenerator::layoutColumns(TBaseReport &r, int line, Layout layout)
{
    r.ClearColumns();
    const int used = m_def.usedItems(line);
    for (int i = 1; i <= used; ++i) {
        const Item item = m_def.item(line, i);
        const ItemKind kind = item.kindOf();
        Align align = Align::Left;
        int rules = m_rules;
        switch (layout) {
        case Layout::Header:
            align = Align::Centre;
            break;
        case Layout::Data:
            align =
                kind == ItemKind::Field && isNumericField(item.field) ? Align::Right : Align::Left;
            break;
        case Layout::MultiLine:
            align = kind == ItemKind::Label ? Align::Right : Align::Left;
            break;
        case Layout::Totals:
            align = kind == ItemKind::Label ? Align::Right : Align::Left;
            rules = 0;
            break;
        }
        r.AddColumn(align, rules, 0, kCellMargin,
                    static_cast<double>(item.width) / m_width * m_printable);
    }
}

QString ReportGenerator::fieldText(int number) const
{
    if (number < 1 || number > coin::kFieldCount) return QString();
    return QString::fromStdString(m_ctx.table.asString(number - 1));
}

QString ReportGenerator::fieldValue(int number) const
{
    if (number < 1 || number > coin::kFieldCount) return QString();
    const coin::Field &f = coin::field(number);
    if (f.kind == coin::Kind::Float) return m_ctx.moneyText(m_ctx.table.asFloat(number - 1));
    if (f.kind == coin::Kind::Integer) return m_ctx.wholeText(m_ctx.table.asFloat(number - 1));
    return fieldText(number);
}

void ReportGenerator::printRecordLine(TBaseReport &r, int line)
{
    printItems(r, line, [this](const Item &item) { return fieldValue(item.field); });
}

void ReportGenerator::printItems(TBaseReport &r, int line,
                                 const std::function<QString(const Item &)> &fieldText)
{
    const int used = m_def.usedItems(line);
    if (m_mode == RunMode::File) {
        QString text;
        for (int i = 1; i <= used; ++i) {
            const Item item = m_def.item(line, i);
            switch (item.kindOf()) {
            case ItemKind::Filler:
                text += spaces(item.width);
                break;
            case ItemKind::Label:
                text += item.label.left(item.width).rightJustified(item.width);
                break;
            case ItemKind::Field:
                text += fieldText(item).left(item.width).leftJustified(item.width);
                break;
            }
        }
        LineToFile(r, text);
        return;
    }
    for (int i = 1; i <= used; ++i) {
        const Item item = m_def.item(line, i);
        QString value;
        if (item.kindOf() == ItemKind::Label)
            value = item.label;
        else if (item.kindOf() == ItemKind::Field)
            value = fieldText(item);
        r.PrintColumns(QLatin1Char('\t') + cut(r, value, r.ColumnTextWidth(i)));
    }
    endLine(r);
}

void ReportGenerator::printColumnHeaderLine(TBaseReport &r)
{
    const int used = m_def.usedItems(1);
    auto name = [this](const Item &item) {
        return item.field >= 1 && item.field <= 20 ? m_ctx.fieldNames[item.field - 1] : QString();
    };
    if (m_mode == RunMode::File) {
        QString text;
        for (int i = 1; i <= used; ++i) {
            const Item item = m_def.item(1, i);
            text += item.kindOf() == ItemKind::Field
                        ? name(item).left(item.width).leftJustified(item.width)
                        : spaces(item.width);
        }
        LineToFile(r, text);
        return;
    }
    for (int i = 1; i <= used; ++i) {
        const Item item = m_def.item(1, i);
        if (item.kindOf() == ItemKind::Field)
            r.PrintColumns(QLatin1Char('\t') + cut(r, name(item), r.ColumnTextWidth(i)));
        else
            r.PrintColumns(QStringLiteral("\t"));
    }
}

QString ReportGenerator::cut(const TBaseReport &r, QString text, double limit) const
{
    while (!text.isEmpty() && r.MeasureText(text) > limit)
        text.chop(1);
    return text;
}

QString ReportGenerator::indent(const QString &text) const
{
    return spaces((m_width - static_cast<int>(text.size())) / 2) + text;
}

// ---- groups and totals ------------------------------------------------------------------

bool ReportGenerator::detectGroupBreak(TBaseReport &r)
{
    const QString t1 = fieldText(m_g1).left(120);
    bool brk = false;
    if (m_g2 < 1) {
        brk = t1 != m_v1;
    } else {
        const QString t2 = fieldText(m_g2).left(120);
        if (t2 != m_v2) {
            m_v2 = t2;
            brk = true;
        } else {
            brk = t1 != m_v1;
        }
    }
    if (!brk) return false;
    m_v1 = t1;
    if (printGroupSubtotal(r)) {
        m_headingPending = true;
        return true;
    }
    return printGroupHeading(r);
}

bool ReportGenerator::printGroupHeading(TBaseReport &r)
{
    if (r.LinesRemaining() < m_lines + 2) {
        m_headingPending = true;
        return true;
    }
    const QString text = m_g2 > 0 ? m_v1 + QStringLiteral(", ") + m_v2 : m_v1;
    if (m_mode == RunMode::File) {
        const QString row(text.size(), QLatin1Char('-'));
        LineToFile(r, QString());
        LineToFile(r, indent(row));
        LineToFile(r, indent(text));
        LineToFile(r, indent(row));
    } else {
        endLine(r);
        printCentredCell(r, text, engine::RulesAll);
        if (m_lines == 1) layoutColumns(r, 1, Layout::Data);
    }
    m_headingPending = false;
    return false;
}

bool ReportGenerator::printGroupSubtotal(TBaseReport &r)
{
    if (m_firstGroup) {
        m_firstGroup = false;
        m_subtotalPending = false;
        return false;
    }
    if (!m_def.useTotals()) {
        m_subtotalPending = false;
        return false;
    }
    if (r.LinesRemaining() < m_lines + 3) {
        m_subtotalPending = true;
        return true;
    }
    printTitleLine(r, QStringLiteral("TOTALS"));
    layoutColumns(r, kTotalsLine, Layout::Totals);
    printTotalsRow(r, m_group);
    m_group = Totals();
    if (m_lines == 1) layoutColumns(r, 1, Layout::Data);
    m_subtotalPending = false;
    return false;
}

void ReportGenerator::printCentredCell(TBaseReport &r, const QString &text, int rules)
{
    QString shown = text;
    double width = r.MeasureText(shown);
    if (width > m_printable - 0.2) {
        shown = cut(r, shown, m_printable - 0.2);
        width = m_printable;
    }
    r.ClearColumns();
    r.AddColumn(Align::Centre, rules, 0, 0, width + 0.2,
                m_def.leftMargin() + (m_printable - width) / 2);
    r.PrintColumns(QLatin1Char('\t') + shown);
    endLine(r);
}

void ReportGenerator::printTitleLine(TBaseReport &r, const QString &text)
{
    if (m_mode == RunMode::File)
        LineToFile(r, indent(text));
    else
        printCentredCell(r, text, engine::RuleBottom);
}

void ReportGenerator::printTotalsRow(TBaseReport &r, const Totals &totals)
{
    printItems(r, kTotalsLine, [&](const Item &item) {
        if (item.field == 4) return m_ctx.wholeText(totals.quantity);
        if (item.field >= 1 && item.field <= 3) return m_ctx.moneyText(totals.value(item.field));
        return QString();
    });
}

void ReportGenerator::printFinalTotals(TBaseReport &r)
{
    if (!m_def.useTotals()) return;
    if (r.LinesRemaining() < 5) {
        m_finalPending = true;
        return;
    }
    printTitleLine(r, QStringLiteral("TOTALS"));
    layoutColumns(r, kTotalsLine, Layout::Totals);
    printTotalsRow(r, m_group);
    if (m_mode == RunMode::File)
        LineToFile(r, QString());
    else
        endLine(r);
    printTitleLine(r, QStringLiteral("GRAND TOTALS"));
    layoutColumns(r, kTotalsLine, Layout::Totals);
    printTotalsRow(r, m_grand);
    m_finalPending = false;
}

void ReportGenerator::accumulate()
{
    const dbase::Table &t = m_ctx.table;
    auto number = [&t](int field) {
        bool ok = false;
        const double v = QString::fromStdString(t.asString(field - 1)).trimmed().toDouble(&ok);
        return ok ? v : 0.0;
    };
    bool ok = false;
    const qint64 whole =
        QString::fromStdString(t.asString(coin::Quantity - 1)).trimmed().toLongLong(&ok);
    const double quantity = ok ? static_cast<double>(whole) : 0.0;
    const double purchase = number(coin::PurchasePr), market = number(coin::MarketValu),
                 premium = number(coin::PremiumVal);
    for (Totals *set : {&m_group, &m_grand}) {
        set->market += quantity * market;
        set->purchase += quantity * purchase;
        set->premium += quantity * premium;
        set->quantity += quantity;
    }
}

} // namespace reports
