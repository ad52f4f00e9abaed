#include "editor/list_dialogs.h"

#include "config/color_scheme.h"
#include "editor/pick_lists.h"
#include "platform/prompts.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace
{

QPushButton *button(const char *name, const char *caption, QWidget *parent)
{
    auto *b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

TMyEditBox::TMyEditBox(int kind, const QString &titleName, int limit, const QStringList &entries,
                       QWidget *parent)
    : QDialog(parent), m_kind(kind)
{
    setObjectName(QStringLiteral("TMyEditBox"));
    setProperty("kind", kind);
    setWindowTitle(QStringLiteral("Edit \"") + titleName + QStringLiteral("\" List"));
    TheList = new QListWidget(this);
    TheList->setObjectName(QStringLiteral("TheList"));
    TheList->addItems(entries);
    TheList->setAccessibleName(titleName + QStringLiteral(" List"));
    AddInfo = new QLineEdit(this);
    AddInfo->setObjectName(QStringLiteral("AddInfo"));
    AddInfo->setMaxLength(limit);
    AddInfo->setAccessibleName(QStringLiteral("New ") + titleName);
    auto *add = button("AddButton", "&Add", this);
    auto *del = button("DeleteButton", "&Delete", this);
    auto *sort = button("SortButton", "&Sort", this);
    auto *ok = button("OkButton", "&Ok", this);
    auto *cancel = button("CancelButton", "&Cancel", this);
    auto *side = new QVBoxLayout;
    side->addWidget(AddInfo);
    side->addWidget(add);
    side->addWidget(del);
    side->addWidget(sort);
    side->addStretch();
    side->addWidget(ok);
    side->addWidget(cancel);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(TheList, 1);
    layout->addLayout(side);
    resize(380, 300);
    connect(add, &QPushButton::clicked, this, &TMyEditBox::AddButtonClick);
    connect(del, &QPushButton::clicked, this, &TMyEditBox::DeleteButtonClick);
    connect(sort, &QPushButton::clicked, this, &TMyEditBox::SortButtonClick);
    connect(ok, &QPushButton::clicked, this, &TMyEditBox::OkButtonClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(AddInfo, &QLineEdit::returnPressed, this, &TMyEditBox::AddButtonClick);
}

void TMyEditBox::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TMyEditBox::FormShow()
{
    if (place) place(this);
    if (scheme) {
        const colors::Painter paint(*scheme);
        paint.window(this);
        paint.edit(AddInfo);
        paint.list(TheList);
    }
    TheList->setFocus();
    TheList->setCurrentRow(TheList->count() > 0 ? 0 : -1);
}

QStringList TMyEditBox::entries() const
{
    QStringList out;
    for (int i = 0; i < TheList->count(); ++i)
        out << TheList->item(i)->text();
    return out;
}

void TMyEditBox::AddButtonClick()
{
    const QString t = AddInfo->text().trimmed();
    if (!t.isEmpty()) TheList->addItem(t); // a duplicate is accepted here
    AddInfo->clear();
    AddInfo->setFocus();
}

void TMyEditBox::DeleteButtonClick()
{
    const int row = TheList->currentRow();
    if (row < 0 || !TheList->currentItem() || !TheList->currentItem()->isSelected()) return;
    delete TheList->takeItem(row);
    if (TheList->count() == 0) {
        TheList->setCurrentRow(-1);
        return;
    }
    TheList->setCurrentRow(std::min(row, TheList->count() - 1));
}

void TMyEditBox::SortButtonClick()
{
    if (Prompts::instance().message(
            this,
            QStringLiteral("Are you sure you want to sort the data?  Sorting cannot be undone."),
            QStringLiteral("Confirm"), Prompts::Icon::None, QMessageBox::Yes | QMessageBox::No,
            QMessageBox::Yes, false) != QMessageBox::Yes)
        return;
    QStringList all = entries();
    std::stable_sort(all.begin(), all.end(), [](const QString &a, const QString &b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    TheList->clear();
    TheList->addItems(all);
}

void TMyEditBox::OkButtonClick()
{
    // MISC.LST is the only copy of its list: the dialog stays open with the entries when the
    // file cannot be written.
    if (m_kind == 4 && !picklists::writeListFile(picklists::miscFile(), entries())) {
        Prompts::error(this, picklists::notWritten(picklists::miscFile()));
        return;
    }
    if (onOk) onOk(entries());
    accept();
}

// ---- Miscellaneous choice ------------------------------------------------------------------

TMyMiscellaneous::TMyMiscellaneous(const QStringList &entries, const QString &current,
                                   QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TMyMiscellaneous"));
    setWindowTitle(QStringLiteral("Miscellaneous"));
    MiscList = new QListWidget(this);
    MiscList->setObjectName(QStringLiteral("MiscList"));
    MiscList->setSelectionMode(QAbstractItemView::MultiSelection); // each click toggles an entry
    MiscList->setAccessibleName(QStringLiteral("Miscellaneous"));
    for (const QString &e : entries)
        addSorted(e);
    // Preselection from the current text.
    for (const QString &token : picklists::splitMiscellaneous(current)) {
        int at = FindMisc(token);
        if (at < 0) {
            addSorted(token);
            for (int i = 0; i < MiscList->count() && at < 0; ++i)
                if (MiscList->item(i)->text().compare(token, Qt::CaseInsensitive) == 0) at = i;
        }
        if (at >= 0) MiscList->item(at)->setSelected(true);
    }
    auto *ok = button("OkButton", "&Ok", this);
    auto *cancel = button("CancelButton", "&Cancel", this);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(MiscList);
    layout->addLayout(buttons);
    resize(300, 320);
    connect(ok, &QPushButton::clicked, this, &TMyMiscellaneous::OkButtonClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TMyMiscellaneous::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (place) place(this);
}

int TMyMiscellaneous::FindMisc(const QString &entry) const
{
    for (int i = 0; i < MiscList->count(); ++i)
        if (MiscList->item(i)->text() == entry) return i;
    return -1;
}

// A sorted list box: entries in order without regard to letter case, a new one after its
// equals.
void TMyMiscellaneous::addSorted(const QString &entry)
{
    int at = 0;
    while (at < MiscList->count() &&
           MiscList->item(at)->text().compare(entry, Qt::CaseInsensitive) <= 0)
        ++at;
    MiscList->insertItem(at, entry);
}

QStringList TMyMiscellaneous::chosen() const
{
    QStringList out;
    for (int i = 0; i < MiscList->count(); ++i)
        if (MiscList->item(i)->isSelected()) out << MiscList->item(i)->text();
    return out;
}

void TMyMiscellaneous::OkButtonClick()
{
    m_result = picklists::joinMiscellaneous(chosen());
    accept();
}
