// Report generation: turns a report definition and the records of the open coin table into
// pages through the page-output engine's five events, and in the print-to-file mode also
// into a plain text file (one text line per engine line, CR LF, a form feed ending each
// page's footer). No widgets: the status window runs it, tests drive it directly.
#pragma once

#include "reports/report_definition.h"

#include <QSaveFile>
#include <QString>
#include <array>
#include <functional>
#include <memory>

namespace dbase
{
class Table;
class ControlsDisabled;
} // namespace dbase
namespace engine
{
class TBaseReport;
}

namespace reports
{

enum class RunMode { Print = 1, View = 2, File = 3 };

// What generation reads besides the definition; everything belongs to the caller.
struct GenerationContext {
    dbase::Table &table;                      // in its current order, its filter applied
    std::array<int, 4> sortLevels{};          // field numbers of the sort order, 0 = unused level
    std::array<QString, 20> fieldNames;       // display names of fields 1..20
    std::function<QString(double)> moneyText; // currency format, minimum width 1
    std::function<QString(double)> wholeText; // numeric format, no decimals, minimum width 1
    std::function<QString()> todayText;       // today in the date format
};

// One accumulator set, in the order of the totals list: market, purchase, premium, quantity.
struct Totals {
    double market = 0, purchase = 0, premium = 0, quantity = 0;
    // By totals field number 1..4.
    double value(int number) const;
};

class ReportGenerator
{
public:
    // `outputPath` is the text file of the print-to-file mode.
    ReportGenerator(const ReportDefinition &definition, const GenerationContext &context,
                    RunMode mode, const QString &outputPath = QString());
    ~ReportGenerator();
    ReportGenerator(const ReportGenerator &) = delete;
    ReportGenerator &operator=(const ReportGenerator &) = delete;

    // Wires the five page events of `engine` to this run and sets its orientation.
    void attach(engine::TBaseReport &engine);

    void MyBeforePrintReport(engine::TBaseReport &r);
    void MyPrintHeaderReport(engine::TBaseReport &r);
    bool MyPrintPageReport(engine::TBaseReport &r);
    void MyPrintFooterReport(engine::TBaseReport &r);
    void MyAfterPrintReport(engine::TBaseReport &r);

    // Set when the run was ended because a page cannot take one record (or a group
    // heading, or the totals) of this report: the sentence to show the user.
    const QString &failure() const { return m_failure; }
    static QString noRoomMessage();

    int groupField1() const { return m_g1; }
    int groupField2() const { return m_g2; }
    const Totals &grandTotals() const { return m_grand; }

private:
    enum class Layout { Header, Data, MultiLine, Totals };

    void SetMyFont(engine::TBaseReport &r, int kind);
    void LineToFile(engine::TBaseReport &r, const QString &text);
    void endLine(engine::TBaseReport &r);
    void layoutColumns(engine::TBaseReport &r, int line, Layout layout);
    void printRecordLine(engine::TBaseReport &r, int line);
    // One line of items: labels as they stand, fields as `fieldText` gives them, fillers
    // blank; laid out in columns, or as fixed-width text when printing to a file.
    void printItems(engine::TBaseReport &r, int line,
                    const std::function<QString(const Item &)> &fieldText);
    void printColumnHeaderLine(engine::TBaseReport &r);
    QString fieldValue(int number) const;
    QString fieldText(int number) const;
    // Group handling; each returns whether the page is full (a new page is wanted).
    bool detectGroupBreak(engine::TBaseReport &r);
    bool printGroupHeading(engine::TBaseReport &r);
    bool printGroupSubtotal(engine::TBaseReport &r);
    void printTitleLine(engine::TBaseReport &r, const QString &text);
    void printTotalsRow(engine::TBaseReport &r, const Totals &totals);
    void printFinalTotals(engine::TBaseReport &r);
    void accumulate();
    // A centred ruled cell holding `text` on its own line (headings and title lines).
    void printCentredCell(engine::TBaseReport &r, const QString &text, int rules);
    QString cut(const engine::TBaseReport &r, QString text, double limit) const;
    QString indent(const QString &text) const;

    ReportDefinition m_def;
    GenerationContext m_ctx;
    RunMode m_mode;
    QString m_outputPath;
    QSaveFile m_file; // written beside the old file, renamed over it when complete
    bool m_fileOpen = false;
    // The table's views stay suspended from the first page event to the last.
    std::unique_ptr<dbase::ControlsDisabled> m_controls;

    int m_lines = 1;        // N
    int m_width = 90;       // W
    double m_printable = 0; // P
    int m_rules = 0;        // R
    int m_g1 = 0, m_g2 = 0;
    QString m_v1, m_v2;
    bool m_headingPending = false, m_subtotalPending = false, m_firstGroup = true,
         m_finalPending = false;
    Totals m_group, m_grand;
    int m_bodyOutput = 0; // lines the page body has put out
    QString m_failure;
};

} // namespace reports
