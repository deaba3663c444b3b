// File helpers that every tool of the Saturn tool chain needs in the same form.
#pragma once

#include <string>
#include <string_view>

namespace saturn {

// Paths on a tool's command line or in its input may use '\' as separator (the IDE
// writes them that way). The literal path wins when it exists; otherwise every '\' is
// read as '/'.
std::string ResolveToolPath(const std::string& path);

// Replaces `path` with `bytes` through a temporary file in the same folder that is
// renamed into place, so a failed write never leaves a file that looks complete.
bool WriteFileReplacing(const std::string& path, std::string_view bytes, std::string& error);

// Reads a whole file; false with a message when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error);

} // namespace saturn
