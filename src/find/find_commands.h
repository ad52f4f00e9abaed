// The find commands of the main window: the search form and the locate component, made
// once and kept for the run, and the search and replace form made for each use.
#pragma once

#include "find/find_context.h"

class QWidget;
class TMySearch;
class TMyLocateDialog;

class FindCommands
{
public:
    // Sets the locate component up as the main window starts it.
    FindCommands(const FindContext &context, QWidget *owner);
    ~FindCommands();

    // Shows the search form; the applied search stays until a new one is applied.
    void DoSearch();
    bool DoFind();
    bool DoFindNext();
    void DoSearchReplace();
    // The record filter's question while a search is on.
    bool BuildFilter(const dbase::Table &table) const;

    TMySearch *MySearch = nullptr;
    TMyLocateDialog *MyLocate = nullptr;

private:
    FindContext m_ctx;
    QWidget *m_owner;
};
