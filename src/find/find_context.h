// What the search, locate and search-and-replace windows work on. Everything belongs to
// the main window, which fills this in; the windows never reach the main window itself.
#pragma once

#include "find/search_criteria.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace dbase
{
class Table;
}
struct Settings;
class QWidget;

struct FindContext {
    dbase::Table &table; // the open coin table
    Settings &settings;  // field display names, colour schemes
    std::function<bool()> searchOn;
    std::function<QString()> sortString; // the sort expression of the index "NewIndex"
    const double &scaleFactor;
    std::function<void(QWidget *)> place;                    // fonts, scaling and centring
    std::function<QStringList(finding::ValueList)> pickList; // Country, Condition, Topic
    // The main window's search state and viewer.
    std::function<void()> enableEndSearch;
    std::function<void()> disableEndSearch;
    std::function<void()> doEndSearch;
    std::function<void()> reopenTable; // close and reopen the table as it is set up
    std::function<void()> setViewerOptions;
    // After work that needed the table alone: open it shared again and show it.
    std::function<void()> reopenShared;
    // Whether another program or user has the open database's table open (the table
    // itself must be closed).
    std::function<bool()> inUse;
};
