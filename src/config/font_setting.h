// A stored font setting as a QFont and back.
#pragma once

#include "app/settings.h"

#include <QFont>

namespace fonts
{

QFont toFont(const FontSetting &setting);
// full: the size is taken too (the two grid fonts); the other fonts store face and style.
void store(FontSetting &setting, const QFont &font, bool full);

} // namespace fonts
