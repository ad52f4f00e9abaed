// The main window's four report commands open the report selection window, and a report
// of the entire database printed while a search is on leaves the search on.
#include "db/coin_schema.h"
#include "platform/modal.h"
#include "reports/report_windows.h"
#include "test_registry.h"
#include "window_fixture.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

namespace
{

void threeCoins(dbase::Table &t)
{
    for (const char *country : {"Peru", "Chile", "Peru"}) {
        t.append();
        t.setAsString(coin::Country - 1, country);
        t.setAsString(coin::Quantity - 1, "1");
        t.post();
    }
}

} // namespace

class ReportCommandTests : public QObject
{
    Q_OBJECT

private slots:
    void init() { modal::clear(); }

    void fourCommandsOpenTheWindow_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("File Print") << "MenuPrint";
        QTest::newRow("Tools Reports") << "MenuReports";
        QTest::newRow("lettered button") << "ReportButton";
        QTest::newRow("speed button") << "ReportSpeed";
    }
    void fourCommandsOpenTheWindow()
    {
        QFETCH(QString, command);
        WindowFixture f(threeCoins);
        QString caption;
        int reports = 0;
        QDialog *seen = nullptr;
        modal::enqueue([&](QDialog *d) {
            caption = d->windowTitle();
            reports = d->findChild<QListWidget *>(QStringLiteral("ReportBox"))->count();
            seen = d;
            d->close();
        });
        if (QAction *a = f.w->action(command))
            a->trigger();
        else if (auto *b = f.w->findChild<QPushButton *>(command)) {
            f.w->action(QStringLiteral("MenuButtons"))->trigger();
            QVERIFY(b->isEnabled());
            b->click();
        } else
            f.w->findChild<QToolButton *>(command)->click();
        QCOMPARE(modal::pending(), 0);
        QCOMPARE(caption, QStringLiteral("Reports"));
        QCOMPARE(reports, 5);
        // Created once: the second time is the same window.
        QDialog *again = nullptr;
        modal::enqueue([&](QDialog *d) {
            again = d;
            d->close();
        });
        f.w->DoReports();
        QCOMPARE(again, seen);
    }

    void entireDatabaseDuringASearch()
    {
        WindowFixture f(threeCoins);
        f.w->database().searchTest = [](const dbase::Table &t) {
            return t.asString(coin::Country - 1) == "Chile";
        };
        f.w->EnableEndSearch();
        f.w->database().table().refilter();
        QCOMPARE(f.w->database().table().recordCount(), 1);
        const QString out = f.dir.filePath(QStringLiteral("all.txt"));
        modal::enqueue([&](QDialog *d) {
            auto *w = qobject_cast<reports::TMyReport *>(d);
            QVERIFY(w->ExportSearch->isChecked());
            w->ExportEntire->setChecked(true);
            w->ReportBox->setCurrentRow(0);
            f.prompts.answer(out);
            modal::enqueue([](QDialog *s) {
                auto *status = qobject_cast<reports::TReportForm *>(s);
                status->FormActivate();
                status->BitBtn1Click();
            });
            w->DoPrintToFile();
            w->close();
        });
        f.w->DoReports();
        const QByteArray text = readBytes(out);
        QCOMPARE(text.count("\r\nPeru "), 2);
        QCOMPARE(text.count("\r\nChile "), 1);
        QVERIFY(f.w->database().searchOn());
        QVERIFY(!f.find<QLabel>("SearchOnLabel")->isHidden());
        QCOMPARE(f.w->database().table().recordCount(), 1);
        QCOMPARE(f.find<QLabel>("CountLabel")->text(), QStringLiteral("1"));
    }
};

REGISTER_TEST(ReportCommandTests)
#include "tst_report_command.moc"
