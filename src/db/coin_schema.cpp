#include "db/coin_schema.h"

namespace coin
{

const std::array<Field, kFieldCount> kFields = {{
    {1, "Country", "COUNTRY", Kind::Text, 20, 20, "Country"},
    {2, "FaceValue", "FACEVALUE", Kind::Text, 20, 20, "Face Value"},
    {3, "Year", "YEAR", Kind::Text, 7, 7, "Year"},
    {4, "Condition", "CONDITION", Kind::Text, 30, 30, "Condition"},
    {5, "MintMark", "MINTMARK", Kind::Text, 3, 3, "Mint Mark"},
    {6, "PurchasePr", "PURCHASEPR", Kind::Float, 0, 12, "Purchase Price"},
    {7, "MarketValu", "MARKETVALU", Kind::Float, 0, 12, "Market Value"},
    {8, "PremiumVal", "PREMIUMVAL", Kind::Float, 0, 12, "Premium Value"},
    {9, "Topic", "TOPIC", Kind::Text, 20, 20, "Topic"},
    {10, "Descriptio", "DESCRIPTIO", Kind::Text, 40, 40, "Description"},
    {11, "PurchDate", "PURCHDATE", Kind::Date, 0, 10, "Purch Date"},
    {12, "Miscellane", "MISCELLANE", Kind::Text, 110, 110, "Miscellaneous"},
    {13, "Quantity", "QUANTITY", Kind::Integer, 0, 5, "Quantity"},
    {14, "Comment", "COMMENT", Kind::Text, 80, 80, "Comment"},
    {15, "YearApprox", "YEARAPPROX", Kind::Text, 5, 5, "Approx Year"},
    {16, "Wanted", "WANTED", Kind::Text, 3, 3, "Wanted"},
    {17, "UserDef1", "USERDEF1", Kind::Text, 40, 40, "User Defined 1"},
    {18, "UserDef2", "USERDEF2", Kind::Text, 40, 40, "User Defined 2"},
    {19, "UserDef3", "USERDEF3", Kind::Text, 40, 40, "User Defined 3"},
    {20, "UserDef4", "USERDEF4", Kind::Text, 40, 40, "User Defined 4"},
}};

const std::array<EditorField, kFieldCount> kEditorFields = {{
    {1, "Country", "Country", 20},
    {2, "FaceValue", "Face Value", 20},
    {3, "Year", "Year", 7},
    {4, "Condition", "Condition", 30},
    {5, "MintMark", "Mint Mark", 3},
    {6, "PurchasePrice", "Purchase Price", 20},
    {7, "MarketValue", "Market Value", 20},
    {8, "PremiumValue", "Premium Value", 20},
    {9, "Topic", "Topic", 20},
    {10, "Description", "Description", 40},
    {11, "PurchDate", "Purchase Date", 10},
    {12, "Misc", "Miscellaneous", 110},
    {13, "Quantity", "Quantity", 10},
    {14, "Comments", "Comments", 80},
    {15, "Approx", "Approximate Year", 0},
    {16, "Wanted", "Wanted", 0},
    {17, "UserDef1", "User Defined 1", 40},
    {18, "UserDef2", "User Defined 2", 40},
    {19, "UserDef3", "User Defined 3", 40},
    {20, "UserDef4", "User Defined 4", 40},
}};

std::vector<dbase::FieldDef> tableDefinition()
{
    std::vector<dbase::FieldDef> defs;
    for (const Field &f : kFields) {
        switch (f.kind) {
        case Kind::Text:
            defs.push_back(dbase::FieldDef::text(f.name, f.width));
            break;
        case Kind::Float:
            defs.push_back(dbase::FieldDef::floating(f.name));
            break;
        case Kind::Integer:
            defs.push_back(dbase::FieldDef::integer(f.name));
            break;
        case Kind::Date:
            defs.push_back(dbase::FieldDef::date(f.name));
            break;
        }
    }
    return defs;
}

} // namespace coin
