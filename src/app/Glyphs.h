#pragma once

#include <QIcon>
#include <QPixmap>

// Toolbar glyphs and the program's icon, drawn in code.
namespace glyphs {
enum class Kind { Open, Save, Print, Logger, TableToGraph, Run, Stop, Help };
QIcon icon(Kind kind);
QPixmap meterIcon(int size);
}  // namespace glyphs
