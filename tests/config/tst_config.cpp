// The viewer configuration dialog driven through the main window: its closing rules,
// the order page, and what reaches the grid.
#include "config/viewer_config.h"
#include "db/coin_schema.h"
#include "db/database_files.h"
#include "main/main_window.h"
#include "main/viewer_model.h"
#include "platform/ini_file.h"
#include "platform/modal.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "test_files.h"
#include "test_registry.h"
#include "window_fixture.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionViewItem>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

namespace
{

struct Fixture : WindowFixture {
    ViewerModel *model() const
    {
        return qobject_cast<ViewerModel *>(
            w->findChild<QTableView *>(QStringLiteral("ViewerGrid"))->model());
    }
    // Runs the dialog; `act` works on it and may close it.
    void visit(const std::function<void(QDialog *)> &act)
    {
        modal::enqueue([act](QDialog *d) {
            act(d);
            if (d->isVisible()) d->close();
        });
        w->action(QStringLiteral("MenuViewer"))->trigger();
        QCOMPARE(modal::pending(), 0);
    }
};

QTableWidget *grid(QDialog *d, const char *name)
{
    return d->findChild<QTableWidget *>(QLatin1String(name));
}

QString iniOf(const Settings &s, const QString &path)
{
    SaveSettings(s, SettingsScope::Database, path);
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
}

} // namespace

class ViewerConfigTests : public QObject
{
    Q_OBJECT
private slots:
    void opensOnNamesAndChangesNothing()
    {
        Fixture f;
        const QString before =
            iniOf(f.w->database().settings(), f.dir.path() + QStringLiteral("/before.ini"));
        int page = -1;
        f.visit([&page](QDialog *d) {
            page = d->findChild<QTabWidget *>(QStringLiteral("MyTabbedPage"))->currentIndex();
        });
        QCOMPARE(page, 5);
        QCOMPARE(iniOf(f.w->database().settings(), f.dir.path() + QStringLiteral("/after.ini")),
                 before);
        QCOMPARE(f.model()->columnCount(), 20);
    }

    // The grid fonts come with a colour, chosen in the same dialog, stored and shown.
    void gridFontsTakeAColour_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("title") << "TitleFontButton";
        QTest::newRow("cell") << "NewFontButton";
    }
    void gridFontsTakeAColour()
    {
        QFETCH(QString, button);
        Fixture f;
        f.prompts.answer(QFont(QStringLiteral("Liberation Serif"), 13));
        f.prompts.answer(QColor(0, 0, 200));
        f.visit([&](QDialog *d) { d->findChild<QPushButton *>(button)->click(); });
        const FontSetting &font = button == QLatin1String("TitleFontButton")
                                      ? f.w->database().settings().gridTitleFont
                                      : f.w->database().settings().gridFont;
        QCOMPARE(font.color, 200 * 65536);
        QCOMPARE(font.name, QStringLiteral("Liberation Serif"));
        QCOMPARE(font.size, 13);
        QCOMPARE(f.prompts.asked().last().kind, QStringLiteral("font"));
        QCOMPARE(f.prompts.asked().last().text, QStringLiteral("with color"));
        QCOMPARE(f.prompts.pending(), 0);
        auto *grid = f.w->findChild<QTableView *>(QStringLiteral("ViewerGrid"));
        if (button == QLatin1String("NewFontButton"))
            QCOMPARE(grid->palette().color(QPalette::Text), QColor(0, 0, 200));
        else
            QVERIFY(grid->horizontalHeader()->styleSheet().contains(QLatin1String("#0000c8")));
    }

    void widths_data()
    {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<int>("width");
        QTest::newRow("0") << "0" << 10;
        QTest::newRow("256") << "256" << 10;
        QTest::newRow("empty") << "" << 10;
        QTest::newRow("letters") << "wide" << 10;
        QTest::newRow("12") << " 12 " << 12;
        QTest::newRow("leading digits") << "30px" << 30;
        QTest::newRow("255") << "255" << 255;
    }
    void widths()
    {
        QFETCH(QString, cell);
        QFETCH(int, width);
        Fixture f;
        QString shown;
        f.visit([&](QDialog *d) {
            grid(d, "FieldWidthGrid")->item(3, 1)->setText(cell);
            d->close();
            shown = grid(d, "FieldWidthGrid")->item(3, 1)->text();
        });
        QCOMPARE(f.w->database().settings().fieldWidth[3], width);
        if (width == 10) QCOMPARE(shown, QStringLiteral("10"));
    }

    void duplicateNamesBlockClosing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("blocked");
        QTest::newRow("same as Country") << "Country" << true;
        QTest::newRow("other letter case") << "country" << false;
    }
    void duplicateNamesBlockClosing()
    {
        QFETCH(QString, name);
        QFETCH(bool, blocked);
        Fixture f;
        bool stayed = false;
        f.visit([&](QDialog *d) {
            d->findChild<QTabWidget *>(QStringLiteral("MyTabbedPage"))->setCurrentIndex(0);
            grid(d, "FieldNameGrid")->item(coin::Topic - 1, 1)->setText(name);
            d->close();
            stayed = d->isVisible();
            if (stayed) {
                QCOMPARE(d->findChild<QTabWidget *>(QStringLiteral("MyTabbedPage"))->currentIndex(),
                         5);
                grid(d, "FieldNameGrid")
                    ->item(coin::Topic - 1, 1)
                    ->setText(QStringLiteral("Theme"));
                d->close();
            }
        });
        QCOMPARE(stayed, blocked);
        if (blocked) {
            QCOMPARE(f.prompts.askedTexts(),
                     QStringList{QStringLiteral(
                         "Two field names have the same name \"Country\".  Please change one.")});
            QCOMPARE(f.w->database().settings().fieldNames[coin::Topic - 1],
                     QStringLiteral("Theme"));
        } else {
            QVERIFY(f.prompts.asked().isEmpty());
            QCOMPARE(f.w->database().settings().fieldNames[coin::Topic - 1],
                     QStringLiteral("country"));
        }
    }

    // Names are typed into cells that stop at 20 characters, so two long names that differ
    // only after the 20th are seen as the same name before anything is stored.
    void longNamesAreCheckedAsStored()
    {
        Fixture f;
        int maxLength = 0;
        bool stayed = false;
        f.prompts.answer(int(QMessageBox::Ok));
        f.visit([&](QDialog *d) {
            QTableWidget *names = grid(d, "FieldNameGrid");
            for (int row : {coin::UserDef1 - 1, coin::UserDef2 - 1}) {
                const QModelIndex cell = names->model()->index(row, 1);
                QAbstractItemDelegate *delegate = names->itemDelegateForIndex(cell);
                QWidget *editor =
                    delegate->createEditor(names->viewport(), QStyleOptionViewItem(), cell);
                auto *line = qobject_cast<QLineEdit *>(editor);
                QVERIFY(line);
                maxLength = line->maxLength();
                line->clear();
                QTest::keyClicks(line, row == coin::UserDef1 - 1
                                           ? QStringLiteral("Provenance notes: A") +
                                                 QStringLiteral("uction 1")
                                           : QStringLiteral("Provenance notes: Auction 2"));
                delegate->setModelData(editor, names->model(), cell);
                delete editor;
            }
            d->close();
            stayed = d->isVisible();
            if (stayed) {
                names->item(coin::UserDef2 - 1, 1)->setText(QStringLiteral("Second provenance"));
                d->close();
            }
        });
        QCOMPARE(maxLength, 20);
        QVERIFY(stayed);
        QCOMPARE(f.prompts.askedTexts(),
                 QStringList{QStringLiteral(
                     "Two field names have the same name \"Provenance notes: Au\".  Please change "
                     "one.")});
        QCOMPARE(f.w->database().settings().fieldNames[coin::UserDef1 - 1],
                 QStringLiteral("Provenance notes: Au"));
        QCOMPARE(f.w->database().settings().fieldNames[coin::UserDef2 - 1],
                 QStringLiteral("Second provenance"));
        for (int i = 0; i < 20; ++i)
            QCOMPARE(f.w->database().settings().fieldOrder[i], i + 1);
    }

    // Duplicates are found wherever they are, in neighbouring rows at either end too.
    void neighbouringDuplicateNames_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("name");
        QTest::newRow("first two rows") << coin::FaceValue - 1 << "Country";
        QTest::newRow("last two rows") << coin::UserDef3 - 1 << "User Defined 4";
        QTest::newRow("two rows in the middle") << coin::Descriptio - 1 << "Topic";
    }
    void neighbouringDuplicateNames()
    {
        QFETCH(int, row);
        QFETCH(QString, name);
        Fixture f;
        bool stayed = false;
        f.visit([&](QDialog *d) {
            const QString before = grid(d, "FieldNameGrid")->item(row, 1)->text();
            grid(d, "FieldNameGrid")->item(row, 1)->setText(name);
            d->close();
            stayed = d->isVisible();
            grid(d, "FieldNameGrid")->item(row, 1)->setText(before);
            d->close();
        });
        QVERIFY(stayed);
        QCOMPARE(f.prompts.askedTexts(),
                 QStringList{QStringLiteral("Two field names have the same name \"") + name +
                             QStringLiteral("\".  Please change one.")});
    }

    void renameAndReorderInOneVisit()
    {
        Fixture f;
        f.visit([](QDialog *d) {
            grid(d, "FieldNameGrid")
                ->item(0, 1)
                ->setText(QStringLiteral("Land of issue, a very long name"));
            QTableWidget *order = grid(d, "FieldOrderGrid");
            order->setCurrentCell(0, 0);
            d->findChild<QPushButton *>(QStringLiteral("OrderDown"))->click();
            QCOMPARE(order->currentRow(), 1);
            order->setCurrentCell(0, 0);
            d->findChild<QPushButton *>(QStringLiteral("OrderUp"))->click(); // first row: nothing
            order->setCurrentCell(19, 0);
            d->findChild<QPushButton *>(QStringLiteral("OrderDown"))->click(); // last row: nothing
            QCOMPARE(order->item(19, 0)->text(), QStringLiteral("User Defined 4"));
        });
        QCOMPARE(f.w->database().settings().fieldNames[0],
                 QStringLiteral("Land of issue, a ver")); // cut to 20
        QCOMPARE(f.w->database().settings().fieldOrder[0], 2);
        QCOMPARE(f.w->database().settings().fieldOrder[1], 1);
        QCOMPARE(f.model()->columns()[0].field, 1);
        QCOMPARE(f.model()->headerData(1, Qt::Horizontal).toString(),
                 QStringLiteral("Land of issue, a ver"));
    }

    void defaultsRestoreFieldOrder()
    {
        Fixture f;
        std::swap(f.w->database().settings().fieldOrder[0],
                  f.w->database().settings().fieldOrder[5]);
        f.prompts.answer(int(QMessageBox::Yes));
        f.visit([](QDialog *d) {
            d->findChild<QPushButton *>(QStringLiteral("OrderDefaults"))->click();
        });
        QCOMPARE(f.prompts.asked()[0].caption, QStringLiteral("Re-Order"));
        QCOMPARE(f.prompts.asked()[0].text,
                 QStringLiteral(
                     "This will set the order of fields to the program defaults.  Continue?"));
        for (int i = 0; i < 20; ++i)
            QCOMPARE(f.w->database().settings().fieldOrder[i], i + 1);
        QCOMPARE(f.model()->columns()[0].field, 0);
    }

    void everyFieldHiddenAndRightTitles()
    {
        Fixture f;
        f.visit([](QDialog *d) {
            QTableWidget *show = grid(d, "FieldsToDisplay");
            for (int r = 0; r < 20; ++r)
                emit show->cellDoubleClicked(r, 1);
            emit show->cellDoubleClicked(0, 0); // the name column does not toggle
            d->findChild<QRadioButton *>(QStringLiteral("TitleRight"))->click();
        });
        QCOMPARE(f.model()->columnCount(), 0);
        QCOMPARE(f.w->database().settings().titleAlignment, 3);
        f.visit([](QDialog *d) { emit grid(d, "FieldsToDisplay")->cellDoubleClicked(4, 1); });
        QCOMPARE(f.model()->columnCount(), 1);
        QCOMPARE(f.model()->headerData(0, Qt::Horizontal, Qt::TextAlignmentRole).toInt() &
                     Qt::AlignRight,
                 int(Qt::AlignRight));
    }
};

REGISTER_TEST(ViewerConfigTests)
#include "tst_config.moc"
