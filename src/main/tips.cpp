#include "main/tips.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

const QStringList &TMyTips::tips()
{
    static const QStringList list = {
        QStringLiteral("Press Ctrl+A to add a coin.  In the editor, Enter moves to the next box "
                       "and Update & Exit "
                       "(Ctrl+U) stores the coin and closes the window."),
        QStringLiteral("Double-click a coin in the viewer to edit it."),
        QStringLiteral("Copy Record (Ctrl+C) opens the editor with the current coin's values: "
                       "change what differs "
                       "and Update to add the new coin."),
        QStringLiteral("In the editor, Previous and Next move through the coins without closing "
                       "the window; you are "
                       "asked before unsaved changes are lost."),
        QStringLiteral("Check Wanted for a coin you are looking for: its quantity becomes 0 and "
                       "your totals leave it "
                       "out."),
        QStringLiteral("Save Current Values As Defaults (Ctrl+S in the editor) and check Load "
                       "Defaults With Add, and "
                       "every new coin starts with those values."),
        QStringLiteral("A country, topic or condition you type in the editor is added to its pick "
                       "list when you "
                       "Update, ready for the next coin."),
        QStringLiteral("Tidy the pick lists under Tools, List Maintenance: add, delete and sort "
                       "the Country, Topic, "
                       "Condition and Miscellaneous entries."),
        QStringLiteral(
            "The Select button beside Miscellaneous lets you pick several attributes from your "
            "Miscellaneous list at once."),
        QStringLiteral("Search (Ctrl+S) narrows the viewer to the coins that match; End Search "
                       "(Ctrl+I) shows them "
                       "all again."),
        QStringLiteral("Locate (Ctrl+L) finds a coin by the value of one field; Locate Next "
                       "(Ctrl+N) finds the "
                       "next one."),
        QStringLiteral("Sort Order (Ctrl+Q) sorts the viewer by up to four fields."),
        QStringLiteral(
            "The Viewer configuration (Ctrl+V) chooses the columns, their order and width, and the "
            "names under which the fields are shown everywhere."),
        QStringLiteral("Give the four User Defined fields names of your own on the Field Names "
                       "page of the Viewer "
                       "configuration."),
        QStringLiteral(
            "Options, Color changes the colours of each group of windows; the predefined colour "
            "combinations are a quick start."),
        QStringLiteral(
            "Options, Screen Size makes every dialog larger, for a large screen or tired eyes."),
        QStringLiteral("Options, Date Format, Currency Format and Numeric Format choose how dates, "
                       "amounts and "
                       "quantities are shown and typed."),
        QStringLiteral(
            "Reports (Ctrl+R) prints your catalogue, or previews it page by page first."),
        QStringLiteral(
            "Print Record (Ctrl+T in the editor) prints the coin you are looking at on one page."),
        QStringLiteral("Back Up Data (Ctrl+B) copies your coins, pick lists, settings and reports; "
                       "Restore Data "
                       "(Ctrl+Y) brings them back."),
        QStringLiteral(
            "Import (Ctrl+M) reads coins from a delimited text file or another dBase file; Export "
            "(Ctrl+T) writes them out the same ways."),
        QStringLiteral("Keep several collections apart: New Database (Ctrl+W) starts another, and "
                       "the File menu "
                       "lists the last five you opened."),
        QStringLiteral("Start the program with /BROWSE to look through a collection without any "
                       "risk of changing "
                       "it."),
        QStringLiteral("Deleted coins stay in the file until you Pack the Database (Tools menu); "
                       "Rebuild Indexes "
                       "mends the sort order if coins go missing from the viewer."),
    };
    return list;
}

TMyTips::TMyTips(bool showAtStartup, int first, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TMyTips"));
    setWindowTitle(QStringLiteral("Tip of the Day"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    auto *heading = new QLabel(QStringLiteral("Did you know..."), this);
    heading->setObjectName(QStringLiteral("HeadingLabel"));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    TipText = new QLabel(this);
    TipText->setObjectName(QStringLiteral("TipText"));
    TipText->setWordWrap(true);
    TipText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    TipText->setMinimumHeight(80);
    ShowTipsBox = new QCheckBox(QStringLiteral("&Show Tips at Startup"), this);
    ShowTipsBox->setObjectName(QStringLiteral("ShowTipsBox"));
    ShowTipsBox->setChecked(showAtStartup);
    auto *next = new QPushButton(QStringLiteral("&Next Tip"), this);
    next->setObjectName(QStringLiteral("NextTipButton"));
    auto *close = new QPushButton(QStringLiteral("&Close"), this);
    close->setObjectName(QStringLiteral("CloseButton"));
    close->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(ShowTipsBox);
    buttons->addStretch();
    buttons->addWidget(next);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(TipText, 1);
    layout->addLayout(buttons);
    resize(420, 200);
    connect(next, &QPushButton::clicked, this, &TMyTips::NextTipClick);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    const int n = static_cast<int>(tips().size());
    m_current = ((first % n) + n) % n;
    showTip();
}

bool TMyTips::showAtStartup() const
{
    return ShowTipsBox->isChecked();
}

void TMyTips::NextTipClick()
{
    m_current = (m_current + 1) % static_cast<int>(tips().size());
    showTip();
}

void TMyTips::showTip()
{
    TipText->setText(tips().at(m_current));
}
