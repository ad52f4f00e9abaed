#include "find/find_commands.h"

#include "find/locate_dialog.h"
#include "find/search_replace.h"
#include "find/search_window.h"
#include "platform/modal.h"

FindCommands::FindCommands(const FindContext &context, QWidget *owner)
    : m_ctx(context), m_owner(owner)
{
    MySearch = new TMySearch(m_ctx, owner);
    MyLocate = new TMyLocateDialog(m_ctx, owner);
    MyLocate->Caption = QStringLiteral("Locate Field Value");
    MyLocate->MatchType = mtPartialMatchStart;
    MyLocate->CaseSensitive = false;
    MyLocate->SortFields = fsSortByFieldName;
    MyLocate->DefaultButton = dbFindNext;
    MyLocate->FieldSelection = false;
    MyLocate->ShowMessages = true;
}

FindCommands::~FindCommands()
{
    delete MySearch;
    delete MyLocate;
}

void FindCommands::DoSearch()
{
    MySearch->FormShow();
    modal::show(MySearch);
}

bool FindCommands::DoFind()
{
    return MyLocate->Execute();
}

bool FindCommands::DoFindNext()
{
    return MyLocate->FindNext();
}

void FindCommands::DoSearchReplace()
{
    TSearchAndReplace form(m_ctx, m_owner);
    form.FormShow();
    modal::show(&form);
}

bool FindCommands::BuildFilter(const dbase::Table &table) const
{
    return MySearch->BuildFilter(table);
}
