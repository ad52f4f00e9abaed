#include "config/font_setting.h"

namespace fonts
{

QFont toFont(const FontSetting &s)
{
    QFont f(s.name);
    if (s.size > 0) f.setPointSize(s.size);
    f.setBold(s.bold);
    f.setItalic(s.italic);
    f.setUnderline(s.underline);
    f.setStrikeOut(s.strikeout);
    return f;
}

void store(FontSetting &s, const QFont &f, bool full)
{
    s.name = f.family();
    s.bold = f.bold();
    s.italic = f.italic();
    s.underline = f.underline();
    s.strikeout = f.strikeOut();
    if (full && f.pointSize() > 0) s.size = f.pointSize();
}

} // namespace fonts
