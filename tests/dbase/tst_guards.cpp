// The guards of the paired table calls: controls held disabled, and a change in progress
// cancelled, whatever way their scope is left.
#include "dbase/error.h"
#include "helpers.h"

#include <QTemporaryDir>
#include <QTest>
#include <stdexcept>

class GuardTests : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    void make(dbase::Table &t)
    {
        t.setDatabaseName(m_dir.path().toStdString());
        t.setTableName("guards.dbf");
        t.createTable(coinFields());
        t.open();
        for (const char *country : {"Austria", "Belgium"}) {
            t.append();
            t.setAsString(0, country);
            t.post();
        }
        t.first();
    }

private slots:
    void controlsComeBackAfterAnException()
    {
        std::vector<dbase::Table::Event> told; // outlives the table, which tells its closing
        dbase::Table t;
        make(t);
        t.addListener([&told](dbase::Table::Event e) { told.push_back(e); });
        try {
            const dbase::ControlsDisabled quiet(t);
            QVERIFY(t.controlsDisabled());
            t.next();
            t.edit();
            t.setAsString(0, "Chile");
            t.post();
            throw std::runtime_error("stop");
        } catch (const std::runtime_error &) {
        }
        QVERIFY(!t.controlsDisabled());
        // The moves while held reached no one; the change arrived as one reset.
        QCOMPARE(told.size(), std::size_t(1));
        QVERIFY(told[0] == dbase::Table::Event::Reset);
    }

    void changeNotPostedIsCancelled_data()
    {
        QTest::addColumn<bool>("append");
        QTest::newRow("edit") << false;
        QTest::newRow("append") << true;
    }
    void changeNotPostedIsCancelled()
    {
        QFETCH(bool, append);
        dbase::Table t;
        make(t);
        try {
            dbase::PendingChange change(t, append ? dbase::PendingChange::Kind::Append
                                                  : dbase::PendingChange::Kind::Edit);
            t.setAsString(0, "Denmark");
            throw std::runtime_error("a value that cannot be written");
        } catch (const std::runtime_error &) {
        }
        QVERIFY(t.state() == dbase::Table::State::Browse);
        QCOMPARE(t.recordCount(), 2);
        t.first();
        QCOMPARE(t.asString(0), std::string("Austria"));
        // The record is not left locked: another handle can change it.
        dbase::Table other;
        other.setDatabaseName(m_dir.path().toStdString());
        other.setTableName("guards.dbf");
        other.open();
        other.first();
        other.edit();
        other.setAsString(0, "Austria");
        other.post();
    }

    void postedChangeStays()
    {
        dbase::Table t;
        make(t);
        {
            dbase::PendingChange change(t, dbase::PendingChange::Kind::Append);
            t.setAsString(0, "Chile");
            change.post();
        }
        QVERIFY(t.state() == dbase::Table::State::Browse);
        QCOMPARE(t.recordCount(), 3);
    }
};

REGISTER_TEST(GuardTests)
#include "tst_guards.moc"
