#include "main/sort_order.h"

#include "config/color_scheme.h"
#include "db/coin_database.h"
#include "dbase/error.h"
#include "platform/long_work.h"
#include "platform/prompts.h"

#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <optional>

TMySortOrder::TMySortOrder(CoinDatabase &database, std::function<void(QWidget *)> place,
                           QWidget *parent)
    : QDialog(parent), m_db(database), m_place(std::move(place))
{
    setObjectName(QStringLiteral("TMySortOrder"));
    setWindowTitle(QStringLiteral("Sort Order"));
    setFixedSize(255, 380);
    const char *titles[4] = {"Primary Sort", "Secondary Sort", "Third Level Sort",
                             "Fourth Level Sort"};
    auto *layout = new QVBoxLayout(this);
    for (int i = 0; i < 4; ++i) {
        auto *group = new QGroupBox(QLatin1String(titles[i]), this);
        group->setObjectName(QStringLiteral("LabelSort%1").arg(i + 1));
        auto *inner = new QVBoxLayout(group);
        m_combos[i] = new QComboBox(group);
        m_combos[i]->setAccessibleName(group->title().remove(QLatin1Char('&')));
        m_combos[i]->setObjectName(QStringLiteral("ComboBox%1").arg(i + 1));
        m_combos[i]->addItem(QStringLiteral("<NONE>"));
        for (const QString &name : m_db.settings().fieldNames)
            m_combos[i]->addItem(name);
        inner->addWidget(m_combos[i]);
        layout->addWidget(group);
    }
    auto *buttons = new QHBoxLayout;
    auto *ok = new QPushButton(QStringLiteral("&Ok"), this);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, [this] {
        try {
            OkButtonClick();
        } catch (const dbase::Error &e) {
            Prompts::error(this, QString::fromStdString(e.what()));
        }
        m_db.checkRecordCount();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    FormShow();
}

void TMySortOrder::FormShow()
{
    if (m_place) m_place(this);
    for (int i = 0; i < 4; ++i) {
        const int level = m_db.settings().sortLevels[i];
        m_combos[i]->setCurrentIndex(level >= 0 && level <= 20 ? level : 0);
    }
    SetColors();
}

void TMySortOrder::SetColors()
{
    const colors::Painter paint(m_db.settings().scheme(colors::Target::Configure));
    paint.window(this);
    for (int i = 0; i < 4; ++i)
        paint.minorTitle(findChild<QGroupBox *>(QStringLiteral("LabelSort%1").arg(i + 1)));
}

void TMySortOrder::OkButtonClick()
{
    dbase::Table &table = m_db.table();
    // The tag is rebuilt: a wait cursor at once and progress on a large table.
    std::optional<LongWork> work(std::in_place, this, windowTitle());
    work->attach(table);
    table.close();
    if (m_db.inUse(m_db.currentPath())) {
        work.reset();
        Prompts::error(
            this,
            QStringLiteral("Creating a new sort order requires exclusive use of the DBase File.  "
                           "Make sure that the DBase File is not in use by another program  or "
                           "that no other users are running the software or that no other "
                           "copies of the software are in use."));
        m_db.reopenShared();
        return;
    }
    int remembered[4];
    std::copy(std::begin(m_db.settings().sortLevels), std::end(m_db.settings().sortLevels),
              remembered);
    // The tag is rebuilt from the new expression: the exclusive open need not read its old order.
    const std::string previousIndex = table.indexName();
    table.setIndexName("");
    try {
        table.setExclusive(true);
        table.open();
        for (int i = 0; i < 4; ++i)
            m_db.settings().sortLevels[i] = m_combos[i]->currentIndex();
        m_db.buildSortString();
        dbfiles::applySortIndex(table, m_db.sortString(), QFile::exists(m_db.indexFilePath()));
        if (!m_db.saveSettings(m_db.settingsFilePath()))
            throw dbase::Error("The settings file " + m_db.settingsFilePath().toStdString() +
                               " cannot be written");
    } catch (const dbase::Error &) {
        if (!table.isOpen()) table.setIndexName(previousIndex);
        work.reset();
        Prompts::error(
            this,
            QStringLiteral("Error in implementing sort order.  New sort order not implemented."));
        std::copy(std::begin(remembered), std::end(remembered), m_db.settings().sortLevels);
        m_db.buildSortString();
        // The index may hold the new order already: it goes back to the old one, so that
        // the stored levels, the index and the grid agree.
        try {
            dbfiles::applySortIndex(table, m_db.sortString(), QFile::exists(m_db.indexFilePath()));
        } catch (const dbase::Error &) {
            table.setIndexName(""); // opening the database again rebuilds it
        }
        m_db.reopenShared();
        return;
    }
    m_db.reopenShared();
    accept();
}
