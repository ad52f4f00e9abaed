// The help window: NUMAROK.HLP in the program directory, an HTML document with one
// anchor per window keyword, shown one page at a time beside a contents list and a word
// search. The document is written from the program's resources when it is missing, and
// brought up to the program's edition unless it was changed by hand.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

class QWidget;
class QTextBrowser;

namespace help
{

// One page of the document: the introduction, or a second-level heading with what
// follows it up to the next one.
struct Page {
    QString title;
    QStringList anchors; // every anchor name on the page, its heading's first
    QString html;        // the page's part of the document
    QString text;        // its plain text, searched
};

// The help file's path, written there first when it is missing or is an untouched copy of
// another edition; a document changed by hand stays.
QString ensureHelpFile();
// The anchor of a keyword: letters and digits kept, the rest as "_" ("Input Window" ->
// "Input_Window"); the empty keyword is the contents.
QString anchorFor(const QString &keyword);
// The pages of a help document.
std::vector<Page> pagesOf(const QString &html);
// The pages (their numbers, in document order) whose text holds every word of `words`,
// in any letter case.
std::vector<int> searchPages(const std::vector<Page> &pages, const QString &words);
// Shows the help window (one for the run) at the keyword's page, or at the contents.
void show(QWidget *parent, const QString &keyword);
// The window's browser, for tests; nullptr before the first show().
QTextBrowser *browser();

} // namespace help
