#include "ToolFiles.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace saturn {

std::string ResolveToolPath(const std::string& path)
{
    std::error_code ignored;
    if (path.find('\\') == std::string::npos || std::filesystem::exists(path, ignored)) {
        return path;
    }
    std::string converted = path;
    std::replace(converted.begin(), converted.end(), '\\', '/');
    return converted;
}

bool WriteFileReplacing(const std::string& path, std::string_view bytes, std::string& error)
{
    const std::string temporary = path + ".tmp" + std::to_string(getpid());
    std::error_code ignored;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::filesystem::remove(temporary, ignored);
            error = "cannot write " + path;
            return false;
        }
    }
    std::error_code failure;
    std::filesystem::rename(temporary, path, failure);
    if (failure) {
        std::filesystem::remove(temporary, ignored);
        error = "cannot write " + path + ": " + failure.message();
        return false;
    }
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error)
{
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        error = "cannot read " + path + ": it is a folder";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) {
        error = "cannot read " + path;
        return false;
    }
    bytes = std::move(buffer).str();
    return true;
}

} // namespace saturn
