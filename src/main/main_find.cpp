// The main window's side of search, locate and search and replace: what their windows
// work on, made when a find command first runs.
#include "find/find_commands.h"
#include "main/main_window.h"

FindCommands &TMain::finder()
{
    if (!m_find) {
        const FindContext context{m_db.table(),
                                  m_db.settings(),
                                  [this] { return m_db.searchOn(); },
                                  [this] { return m_db.sortString(); },
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
                                      m_db.table().close();
                                      m_db.openTable();
                                  },
                                  [this] { SetViewerOptions(); },
                                  [this] { reopenShared(); },
                                  [this] { return m_db.inUse(m_db.currentPath()); }};
        m_find = std::make_unique<FindCommands>(context, this);
        m_db.searchTest = [this](const dbase::Table &t) { return m_find->BuildFilter(t); };
    }
    return *m_find;
}
