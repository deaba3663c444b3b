// The loader: places the object modules that a control file names one after another,
// completes every relocated field from the modules' own global symbols first and then
// from each entry table in order, and writes the loaded nibbles packed two per byte
// (the download header, if any, is the first code of the program itself) and a load
// listing.
//
// A load without an AB/ST address is relocatable: the calculator may put the object
// anywhere, so a field may not hold an absolute address inside it, nor a relative
// distance to a fixed address outside it.
//
// Every fault is reported; any fault means exit code 1 and no download file (a stale
// one from an earlier run is removed). The listing is written either way, since it
// shows the unresolved names and where they are used.
#pragma once

#include "ObjectFile.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

// Whether the final value of a relocated field may be stored in its width, as its
// check kind says.
bool FieldValueFits(std::int64_t value, unsigned widthNibbles, saturn::FieldCheck check);

// The whole program; prints to out (CR LF lines) and returns the exit code.
int RunSload(const std::vector<std::string>& args, std::ostream& out);
