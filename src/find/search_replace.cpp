#include "find/search_replace.h"

#include "app/settings.h"
#include "config/color_scheme.h"
#include "db/database_files.h"
#include "dbase/error.h"
#include "dbase/table.h"
#include "platform/long_work.h"
#include "platform/prompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace finding;

namespace
{

const QString kExclusive = QStringLiteral(
    "Search and Replace requires exclusive use of the DBase File.  Make sure that the DBase File "
    "is not in use by another program  or that no other users are running the software or that "
    "no other copies of the software are in use.");
const QString kAborted =
    QStringLiteral("Error in running search and replace.  Search and replace will be aborted.");

struct WaitCursor {
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
};

} // namespace

TSearchAndReplace::TSearchAndReplace(const FindContext &context, QWidget *parent)
    : QDialog(parent), m_ctx(context)
{
    setObjectName(QStringLiteral("TSearchAndReplace"));
    setWindowTitle(QStringLiteral("Search and Replace"));
    auto *layout = new QVBoxLayout(this);
    auto *form = new QGridLayout;
    auto label = [&](const char *text, int row) {
        auto *l = new QLabel(QString::fromLatin1(text), this);
        m_labels << l;
        form->addWidget(l, row, 0);
        return l;
    };
    label("Field ", 0);
    FieldBox = new QComboBox(this);
    FieldBox->setObjectName(QStringLiteral("FieldBox"));
    FieldBox->setMaxVisibleItems(15);
    form->addWidget(FieldBox, 0, 1);
    label("Text To Search For", 1);
    SearchText = new QLineEdit(this);
    SearchText->setObjectName(QStringLiteral("SearchText"));
    form->addWidget(SearchText, 1, 1);
    label("Replacement Text", 2);
    ReplaceText = new QLineEdit(this);
    ReplaceText->setObjectName(QStringLiteral("ReplaceText"));
    form->addWidget(ReplaceText, 2, 1);
    ConfirmBox = new QCheckBox(QStringLiteral("Confirm Before Replacing"), this);
    ConfirmBox->setObjectName(QStringLiteral("ConfirmBox"));
    form->addWidget(ConfirmBox, 3, 1);
    layout->addLayout(form);

    auto *counters = new QGridLayout;
    const char *titles[3] = {"Processed", "Found", "Changed"};
    QLabel **values[3] = {&ProcessedCount, &FoundCount, &ChangedCount};
    const char *names[3] = {"ProcessedCount", "FoundCount", "ChangedCount"};
    for (int i = 0; i < 3; ++i) {
        auto *title = new QLabel(QString::fromLatin1(titles[i]), this);
        m_labels << title;
        counters->addWidget(title, 0, i, Qt::AlignCenter);
        *values[i] = new QLabel(QStringLiteral("0"), this);
        (*values[i])->setObjectName(QLatin1String(names[i]));
        m_labels << *values[i];
        counters->addWidget(*values[i], 1, i, Qt::AlignCenter);
    }
    layout->addLayout(counters);

    auto *buttons = new QHBoxLayout;
    StartButton = new QPushButton(QStringLiteral("&Start Search"), this);
    StartButton->setObjectName(QStringLiteral("StartButton"));
    CancelButton = new QPushButton(QStringLiteral("&Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    buttons->addWidget(StartButton);
    buttons->addWidget(CancelButton);
    layout->addLayout(buttons);

    connect(FieldBox, &QComboBox::currentIndexChanged, this, &TSearchAndReplace::FieldBoxChange);
    connect(StartButton, &QPushButton::clicked, this, &TSearchAndReplace::StartButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &TSearchAndReplace::CancelButtonClick);
}

void TSearchAndReplace::FormShow()
{
    if (m_ctx.place) m_ctx.place(this);
    SetColors();
    const QSignalBlocker block(FieldBox);
    FieldBox->clear();
    for (const QString &name : m_ctx.settings.fieldNames)
        FieldBox->addItem(name);
    FieldBox->setCurrentIndex(-1);
    FieldNo = 0;
}

void TSearchAndReplace::SetColors()
{
    const colors::Painter paint(m_ctx.settings.scheme(colors::Target::Search));
    paint.window(this);
    for (QLabel *l : m_labels)
        paint.minorTitle(l);
    paint.check(ConfirmBox);
    paint.edit(SearchText);
    paint.edit(ReplaceText);
    paint.combo(FieldBox);
}

void TSearchAndReplace::FieldBoxChange()
{
    FieldNo = FieldBox->currentIndex() + 1;
    for (QLineEdit *box : {SearchText, ReplaceText}) {
        box->clear();
        box->setInputMask(QString());
        box->setMaxLength(32767);
        if (FieldNo < 1) continue;
        const SearchRow &r = searchRow(FieldNo);
        if (r.kind == RowKind::Text) {
            box->setMaxLength(r.textWidth);
        } else if (r.kind == RowKind::Date) {
            const QChar sep = QLatin1Char(dbase::DateStyle::current().separator());
            box->setInputMask(QStringLiteral("00") + sep + QStringLiteral("00") + sep +
                              QStringLiteral("0000; "));
        } else {
            box->setInputMask(QStringLiteral("xxxxxxxxx; "));
        }
    }
}

QString TSearchAndReplace::boxText(QLineEdit *box) const
{
    return box->inputMask().isEmpty() ? box->text() : box->displayText();
}

QString TSearchAndReplace::groupedCount(int value)
{
    QString digits = QString::number(value < 0 ? -value : value);
    for (int at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, QLatin1Char(','));
    return value < 0 ? QLatin1Char('-') + digits : digits;
}

void TSearchAndReplace::showCounters(bool repaint)
{
    ProcessedCount->setText(groupedCount(Processed));
    FoundCount->setText(groupedCount(Found));
    ChangedCount->setText(groupedCount(Changed));
    if (repaint) {
        ProcessedCount->repaint();
        FoundCount->repaint();
        ChangedCount->repaint();
    }
}

void TSearchAndReplace::restoreTable()
{
    dbase::Table &t = m_ctx.table;
    LongWork work(this, windowTitle());
    work.attach(t);
    try {
        if (t.isOpen()) {
            if (!m_ctx.sortString().isEmpty()) {
                if (!dbfiles::hasIndexTag(t, dbfiles::kIndexTag))
                    t.addIndex(dbfiles::kIndexTag.toStdString(), m_ctx.sortString().toStdString());
                t.setIndexName(dbfiles::kIndexTag.toStdString());
            } else {
                t.setIndexName(std::string());
            }
        }
    } catch (const dbase::Error &) {
        // Opening shared again builds a missing index from the sort expression.
    }
    t.close();
    t.setExclusive(false);
    m_ctx.reopenShared();
}

void TSearchAndReplace::StartButtonClick()
{
    ReplaceRequest request;
    const ReplaceCheck check = checkReplaceInput(FieldNo, boxText(SearchText), boxText(ReplaceText),
                                                 dbase::DateStyle::current(), request);
    if (!check.ok()) {
        Prompts::error(this, check.message);
        switch (check.focus) {
        case ReplaceCheck::Focus::FieldList:
            FieldBox->setFocus();
            break;
        case ReplaceCheck::Focus::SearchBox:
            SearchText->setFocus();
            break;
        case ReplaceCheck::Focus::ReplaceBox:
            ReplaceText->setFocus();
            break;
        case ReplaceCheck::Focus::None:
            break;
        }
        return;
    }

    dbase::Table &t = m_ctx.table;
    t.close();
    if (m_ctx.inUse && m_ctx.inUse()) {
        Prompts::error(this, kExclusive);
        m_ctx.reopenShared();
        return;
    }
    Processed = Found = Changed = 0;
    showCounters(true);
    // The walk covers every record, the search's or not; the search comes back afterwards.
    const bool searching = m_ctx.searchOn();
    if (searching) m_ctx.disableEndSearch();
    {
        WaitCursor wait;
        try {
            t.setExclusive(true);
            dbfiles::openRepairingIndex(t, m_ctx.sortString());
            // Natural order and no sort tag: a changed value cannot move records during the walk.
            if (QFile::exists(QString::fromStdString(t.indexFilePath()))) {
                t.setIndexName(std::string());
                if (dbfiles::hasIndexTag(t, dbfiles::kIndexTag))
                    t.deleteIndex(dbfiles::kIndexTag.toStdString());
            }
        } catch (const dbase::Error &) {
            if (searching) m_ctx.enableEndSearch();
            Prompts::error(this, kAborted);
            restoreTable();
            return;
        }
        m_ctx.setViewerOptions();
        ReplaceCounters counters;
        bool failed = false;
        try {
            replaceWalk(
                t, request,
                ConfirmBox->isChecked()
                    ? std::function<bool(const QString &)>([this](const QString &country) {
                          QGuiApplication::restoreOverrideCursor();
                          const auto answer = Prompts::instance().message(
                              this,
                              QStringLiteral("Item = \"") + country +
                                  QStringLiteral("\".  Change this record?"),
                              QStringLiteral("Confirm"), Prompts::Icon::None,
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, false);
                          QGuiApplication::setOverrideCursor(Qt::WaitCursor);
                          return answer == QMessageBox::Yes;
                      })
                    : std::function<bool(const QString &)>(),
                [this](const ReplaceCounters &c) {
                    const bool foundChanged = c.found != Found;
                    Processed = c.processed;
                    Found = c.found;
                    Changed = c.changed;
                    if (foundChanged || Processed % 1000 == 0) showCounters(true);
                },
                counters);
        } catch (const dbase::Error &) {
            failed = true;
        }
        showCounters(true);
        if (searching) m_ctx.enableEndSearch();
        if (failed) {
            Prompts::error(this, kAborted);
            restoreTable();
            return;
        }
        restoreTable();
    }
    Prompts::instance().message(this, QStringLiteral("Global Search and Replace Complete."),
                                QStringLiteral("Finished"), Prompts::Icon::Information,
                                QMessageBox::Ok, QMessageBox::Ok, false);
    accept();
}
