// The editor font: the source editor and the build messages list use the same
// fixed-pitch font, so that columns in tool output line up as in the source.
#pragma once

#include <QFont>

// 10-point "Courier New", or the nearest fixed-pitch font the machine has.
QFont EditorFont();
