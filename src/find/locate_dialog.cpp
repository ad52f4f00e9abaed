#include "find/locate_dialog.h"

#include "app/settings.h"
#include "config/color_scheme.h"
#include "db/coin_schema.h"
#include "dbase/table.h"
#include "platform/modal.h"
#include "platform/prompts.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace
{

void inform(QWidget *owner, const QString &text)
{
    Prompts::instance().message(owner, text, QStringLiteral("Information"),
                                Prompts::Icon::Information, QMessageBox::Ok, QMessageBox::Ok,
                                false);
}

// The display labels of the table's fields in field order (the coin table's fields by
// the user's names, any other field by its own name).
QStringList fieldLabels(const FindContext &ctx)
{
    QStringList labels;
    for (int i = 0; i < ctx.table.fieldCount(); ++i) {
        const QString name = QString::fromStdString(ctx.table.field(i).name);
        QString label = name;
        for (int n = 1; n <= coin::kFieldCount; ++n)
            if (name.compare(QLatin1String(coin::field(n).storedName), Qt::CaseInsensitive) == 0)
                label = ctx.settings.fieldNames[n - 1];
        labels << label;
    }
    return labels;
}

// Memo fields hold no value to compare; with the field selection on, only the fields
// the viewer shows are offered.
bool listable(const FindContext &ctx, int field, bool onlyShown)
{
    const dbase::FieldInfo &f = ctx.table.field(field);
    if (f.type == dbase::FieldType::Memo) return false;
    if (!onlyShown) return true;
    for (int n = 1; n <= coin::kFieldCount; ++n)
        if (QString::fromStdString(f.name).compare(QLatin1String(coin::field(n).storedName),
                                                   Qt::CaseInsensitive) == 0)
            return ctx.settings.displayFields[n - 1];
    return true;
}

} // namespace

// ---- TMyLocateDlg --------------------------------------------------------------------------

TMyLocateDlg::TMyLocateDlg(const FindContext &context, QWidget *parent)
    : QDialog(parent), m_ctx(context)
{
    setObjectName(QStringLiteral("TMyLocateDlg"));
    setWindowTitle(QStringLiteral("Locate Value"));
    auto *layout = new QVBoxLayout(this);

    FieldGroup = new QGroupBox(QStringLiteral("&Field To Search On"), this);
    FieldGroup->setObjectName(QStringLiteral("FieldGroup"));
    FieldNameComboBox = new QComboBox(FieldGroup);
    FieldNameComboBox->setObjectName(QStringLiteral("FieldNameComboBox"));
    FieldNameComboBox->setEditable(false);
    (new QVBoxLayout(FieldGroup))->addWidget(FieldNameComboBox);
    layout->addWidget(FieldGroup);

    TypeGroup = new QGroupBox(QStringLiteral("&Search Type"), this);
    TypeGroup->setObjectName(QStringLiteral("TypeGroup"));
    auto *types = new QVBoxLayout(TypeGroup);
    CaseSensitiveCheckBox = new QCheckBox(QStringLiteral("&Case-sensitive"), TypeGroup);
    CaseSensitiveCheckBox->setObjectName(QStringLiteral("CaseSensitiveCheckBox"));
    ExactMatchBtn = new QRadioButton(QStringLiteral("&Exact Match"), TypeGroup);
    ExactMatchBtn->setObjectName(QStringLiteral("ExactMatchBtn"));
    PartialMatchStartBtn =
        new QRadioButton(QStringLiteral("&Partial Match at Beginning"), TypeGroup);
    PartialMatchStartBtn->setObjectName(QStringLiteral("PartialMatchStartBtn"));
    PartialMatchStartBtn->setChecked(true);
    PartialMatchAnyBtn = new QRadioButton(QStringLiteral("Partial Match &Anywhere"), TypeGroup);
    PartialMatchAnyBtn->setObjectName(QStringLiteral("PartialMatchAnyBtn"));
    types->addWidget(CaseSensitiveCheckBox);
    types->addWidget(ExactMatchBtn);
    types->addWidget(PartialMatchStartBtn);
    types->addWidget(PartialMatchAnyBtn);
    layout->addWidget(TypeGroup);

    ValueGroup = new QGroupBox(QStringLiteral("Search &Value"), this);
    ValueGroup->setObjectName(QStringLiteral("ValueGroup"));
    SearchValue = new QLineEdit(ValueGroup);
    SearchValue->setObjectName(QStringLiteral("SearchValue"));
    SearchValue->setMaxLength(255);
    (new QVBoxLayout(ValueGroup))->addWidget(SearchValue);
    layout->addWidget(ValueGroup);

    auto *buttons = new QHBoxLayout;
    FirstButton = new QPushButton(QStringLiteral("Fi&rst"), this);
    FirstButton->setObjectName(QStringLiteral("FirstButton"));
    NextButton = new QPushButton(QStringLiteral("&Next"), this);
    NextButton->setObjectName(QStringLiteral("NextButton"));
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    buttons->addWidget(FirstButton);
    buttons->addWidget(NextButton);
    buttons->addWidget(CancelButton);
    layout->addLayout(buttons);

    connect(FirstButton, &QPushButton::clicked, this, &TMyLocateDlg::FindFirst);
    connect(NextButton, &QPushButton::clicked, this, &TMyLocateDlg::FindNextBtnClick);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(FieldNameComboBox, &QComboBox::activated, this, [this](int index) {
        if (index != m_lastIndex) FieldNameComboBoxChange();
        m_lastIndex = index;
    });
    FieldNameComboBox->installEventFilter(this);
    FieldNameComboBox->view()->installEventFilter(this);
}

void TMyLocateDlg::FormShow()
{
    if (m_ctx.place) m_ctx.place(this);
    SetColors();
    m_lastIndex = FieldNameComboBox->currentIndex();
}

void TMyLocateDlg::SetColors()
{
    const colors::Painter paint(m_ctx.settings.scheme(colors::Target::Search));
    paint.window(this);
    for (QGroupBox *g : {FieldGroup, TypeGroup, ValueGroup})
        paint.minorTitle(g);
    paint.check(CaseSensitiveCheckBox);
    for (QRadioButton *r : {ExactMatchBtn, PartialMatchStartBtn, PartialMatchAnyBtn})
        paint.radio(r);
    paint.edit(SearchValue);
    paint.combo(FieldNameComboBox);
}

TMyLocateMatchType TMyLocateDlg::matchType() const
{
    if (ExactMatchBtn->isChecked()) return mtExactMatch;
    if (PartialMatchAnyBtn->isChecked()) return mtPartialMatchAny;
    return mtPartialMatchStart;
}

void TMyLocateDlg::setMatchType(TMyLocateMatchType type)
{
    (type == mtExactMatch        ? ExactMatchBtn
     : type == mtPartialMatchAny ? PartialMatchAnyBtn
                                 : PartialMatchStartBtn)
        ->setChecked(true);
}

QString TMyLocateDlg::chosenField() const
{
    if (FieldNameComboBox->currentIndex() < 0) return {};
    const QString chosen = FieldNameComboBox->currentText();
    const QStringList labels = fieldLabels(m_ctx);
    for (int i = 0; i < labels.size(); ++i)
        if (TMyLocateDialog::shownLabel(labels.at(i)) == chosen)
            return QString::fromStdString(m_ctx.table.field(i).name);
    return {};
}

void TMyLocateDlg::find(bool fromBeginning)
{
    const QString field = chosenField();
    if (field.isEmpty()) return;
    if (!component) return;
    if (component->FindMatch(fromBeginning, field, CaseSensitiveCheckBox->isChecked(), matchType(),
                             SearchValue->text())) {
        accept();
        return;
    }
    inform(this, fromBeginning ? QStringLiteral("No matches found")
                               : QStringLiteral("No more matches found"));
}

void TMyLocateDlg::FindFirst()
{
    find(true);
}

void TMyLocateDlg::FindNextBtnClick()
{
    find(false);
}

void TMyLocateDlg::FieldNameComboBoxChange()
{
    SearchValue->clear();
    if (!FieldNameComboBox->view()->isVisible()) SearchValue->setFocus();
}

// While the field list has the focus, Enter does not start a search.
void TMyLocateDlg::FieldNameComboBoxEnter()
{
    NextButton->setDefault(false);
    FirstButton->setDefault(false);
}

void TMyLocateDlg::FieldNameComboBoxExit()
{
    (nextIsDefault ? NextButton : FirstButton)->setDefault(true);
}

bool TMyLocateDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == FieldNameComboBox) {
        if (event->type() == QEvent::FocusIn) FieldNameComboBoxEnter();
        if (event->type() == QEvent::FocusOut && !FieldNameComboBox->view()->isVisible())
            FieldNameComboBoxExit();
    } else if (watched == FieldNameComboBox->view() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            const int row = FieldNameComboBox->view()->currentIndex().row();
            FieldNameComboBox->hidePopup();
            if (row >= 0 && row != FieldNameComboBox->currentIndex()) {
                FieldNameComboBox->setCurrentIndex(row);
                m_lastIndex = row;
                SearchValue->clear();
            }
            SearchValue->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// ---- TMyLocateDialog -------------------------------------------------------------------------

TMyLocateDialog::TMyLocateDialog(const FindContext &context, QWidget *owner)
    : QObject(owner), m_ctx(context), m_owner(owner)
{
    setObjectName(QStringLiteral("TMyLocateDialog"));
}

QString TMyLocateDialog::shownLabel(const QString &label)
{
    QString shown = label;
    return shown.replace(QLatin1Char('~'), QLatin1Char(' '));
}

bool TMyLocateDialog::Execute()
{
    TMyLocateDlg form(m_ctx, m_owner);
    form.component = this;
    if (!m_ctx.table.isOpen()) {
        Prompts::error(m_owner, QStringLiteral("DataSource does not reference an active DataSet"));
        return false;
    }
    const int found =
        SearchField.isEmpty() ? -1 : m_ctx.table.fieldIndex(SearchField.toStdString());
    form.FieldNameComboBox->clear();
    form.sorted = SortFields == fsSortByFieldName;
    form.nextIsDefault = DefaultButton == dbFindNext;
    (form.nextIsDefault ? form.NextButton : form.FirstButton)->setDefault(true);
    const QStringList labels = fieldLabels(m_ctx);
    QStringList shown;
    for (int i = 0; i < labels.size(); ++i)
        if (listable(m_ctx, i, FieldSelection)) shown << shownLabel(labels.at(i));
    if (form.sorted) shown.sort(Qt::CaseInsensitive);
    form.FieldNameComboBox->addItems(shown);
    if (found >= 0) {
        form.SearchValue->setText(FieldValue);
        form.FieldNameComboBox->setCurrentIndex(shown.indexOf(shownLabel(labels.at(found))));
    } else {
        form.SearchValue->clear();
        form.FieldNameComboBox->setCurrentIndex(-1);
    }
    form.CaseSensitiveCheckBox->setChecked(CaseSensitive);
    form.setMatchType(MatchType);
    form.setWindowTitle(Caption);
    form.FormShow();
    const bool result = modal::show(&form) == QDialog::Accepted;
    MatchType = form.matchType();
    CaseSensitive = form.CaseSensitiveCheckBox->isChecked();
    FieldValue = form.SearchValue->text();
    SearchField = form.chosenField();
    return result;
}

bool TMyLocateDialog::FindNext()
{
    if (!m_ctx.table.isOpen()) {
        Prompts::instance().message(m_owner,
                                    QStringLiteral("DataSource does not refer to an active table!"),
                                    QStringLiteral("Warning"), Prompts::Icon::Warning,
                                    QMessageBox::Ok, QMessageBox::Ok, false);
        return false;
    }
    if (!FieldValue.isEmpty() && !SearchField.isEmpty()) {
        const bool found = FindMatch(false, SearchField, CaseSensitive, MatchType, FieldValue);
        if (!found && ShowMessages) inform(m_owner, QStringLiteral("No more matches found"));
        return found;
    }
    DefaultButton = dbFindNext;
    return Execute();
}

bool TMyLocateDialog::FindMatch(bool FromBeginning, const QString &fieldName, bool caseSensitive,
                                TMyLocateMatchType matchType, const QString &value)
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    finding::FindResult result;
    try {
        result = finding::findMatch(FromBeginning, m_ctx.table, fieldName, caseSensitive, matchType,
                                    value);
    } catch (...) {
        QGuiApplication::restoreOverrideCursor();
        throw;
    }
    QGuiApplication::restoreOverrideCursor();
    if (result == finding::FindResult::NoField) {
        Prompts::error(m_owner,
                       QStringLiteral("Field ") + fieldName + QStringLiteral(" not found."));
        return false;
    }
    return result == finding::FindResult::Found;
}
