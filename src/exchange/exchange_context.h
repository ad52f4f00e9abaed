// What the import and export windows work on; everything belongs to the main window.
#pragma once

#include <QString>
#include <functional>

namespace dbase
{
class Table;
}
struct Settings;
class QWidget;

struct ExchangeContext {
    dbase::Table &table; // the open coin table
    Settings &settings;  // the import and export choices, the field display labels, colours
    bool searchOn = false;
    // Ends the search, so that the table delivers every record, and turns it on again.
    std::function<void()> endSearch;
    std::function<void()> resumeSearch;
    std::function<void(QWidget *)> place; // fonts, scaling and centring
    double scaleFactor = 1.0;
};
