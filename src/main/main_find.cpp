// The main window's side of search, locate and search and replace: what their windows
// work on, made when a find command first runs.
#include "find_commands.h"
#include "main_window.h"

FindCommands &TMain::finder()
{
    if (!m_find) {
        const FindContext context{MyTable,
                                  settings,
                                  SearchOn,
                                  SortString,
                                  m_scaleFactor,
                                  [this](QWidget *d) { placeDialog(d); },
                                  [this](finding::ValueList l) {
                                      return lists.list(
                                          l == finding::ValueList::Country ? picklists::Country
                                          : l == finding::ValueList::Topic ? picklists::Topic
                                                                           : picklists::Condition);
                                  },
                                  [this] { EnableEndSearch(); },
                                  [this] { DisableEndSearch(); },
                                  [this] { DoEndSearch(); },
                                  [this] {
                                      MyTable.close();
                                      openMyTable();
                                  },
                                  [this] { SetViewerOptions(); },
                                  [this] { reopenShared(); },
                                  [this] { return DBaseInUse(CurrentDatabasePath); }};
        m_find = std::make_unique<FindCommands>(context, this);
        SearchTest = [this](const dbase::Table &t) { return m_find->BuildFilter(t); };
    }
    return *m_find;
}
