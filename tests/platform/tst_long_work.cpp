// Feedback on long work: the wait cursor at once, the progress dialog only past its delay,
// saying what the engine reports, and a cancel that reaches the engine.
#include "dbase/error.h"
#include "platform/long_work.h"
#include "test_registry.h"

#include <QApplication>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class LongWorkTests : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    // A table long enough for several progress reports.
    void makeTable(dbase::Table &t)
    {
        t.setDatabaseName(m_dir.path().toStdString());
        t.setTableName("WORK");
        std::vector<dbase::FieldDef> fields{dbase::FieldDef::text("Country", 250),
                                            dbase::FieldDef::text("Topic", 250)};
        t.createTable(fields);
        t.addIndex("NewIndex", "Upper(Left(Country,20))");
        t.setExclusive(true);
        t.open();
        for (int i = 0; i < 12000; ++i) {
            t.append();
            t.setAsString(0, std::to_string((i * 7919) % 12000));
            t.post();
        }
    }

    static QString label(QProgressDialog *d)
    {
        const auto *l = d->findChild<QLabel *>();
        return l ? l->text() : QString();
    }

private slots:
    void waitCursorAtOnceUntilDone()
    {
        QVERIFY(!QApplication::overrideCursor());
        {
            LongWork work(nullptr, QStringLiteral("Sort Order"));
            QVERIFY(QApplication::overrideCursor());
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        }
        QVERIFY(!QApplication::overrideCursor());
    }

    void noDialogBeforeItsDelay()
    {
        LongWork work(nullptr, QStringLiteral("Sort Order"));
        QVERIFY(work.report(QStringLiteral("Building the index"), 10, 100));
        QVERIFY(!work.dialog());
    }

    void dialogSaysWhatAndHowFar()
    {
        LongWork work(nullptr, QStringLiteral("Pack"));
        work.setShowDelay(0);
        QVERIFY(work.report(QStringLiteral("Packing the table"), 500000, 2000000));
        QProgressDialog *d = work.dialog();
        QVERIFY(d);
        QVERIFY(d->isVisible());
        QCOMPARE(d->windowTitle(), QStringLiteral("Pack"));
        QCOMPARE(label(d), QStringLiteral("Packing the table..."));
        QCOMPARE(d->value() * 4, d->maximum());
        QVERIFY(!d->findChild<QPushButton *>()); // nothing to cancel
    }

    void engineDrivesTheDialog()
    {
        dbase::Table t;
        makeTable(t);
        QStringList seen;
        {
            LongWork work(nullptr, QStringLiteral("Rebuild"));
            work.setShowDelay(0);
            work.attach(t);
            t.regenerateIndexes();
            QVERIFY(work.dialog());
            seen << label(work.dialog());
            QCOMPARE(work.dialog()->value(), work.dialog()->maximum());
        }
        QCOMPARE(seen, QStringList{QStringLiteral("Building the index...")});
        // Detached when the work is done: a later rebuild reports to no one.
        t.regenerateIndexes();
        QCOMPARE(t.recordCount(), 12000);
    }

    void cancelReachesTheEngine()
    {
        dbase::Table t;
        makeTable(t);
        t.moveToRow(0);
        t.deleteRecord();
        LongWork work(nullptr, QStringLiteral("Pack"), true);
        work.setShowDelay(0);
        work.attach(t);
        QVERIFY(work.report(QStringLiteral("Packing the table"), 0, 10));
        QVERIFY(work.dialog()->findChild<QPushButton *>());
        work.dialog()->cancel();
        QVERIFY_THROWS_EXCEPTION(dbase::Error, t.pack());
        QCOMPARE(t.recordCount(), 11999);
    }
};

REGISTER_TEST(LongWorkTests)
#include "tst_long_work.moc"
