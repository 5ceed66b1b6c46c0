#include "rdbxml_names.h"

#include <cstring>
#include <filesystem>

namespace {

// The file name without its directory, compression suffix and ".xml".
std::string report_stem(const std::string& file)
{
    std::string name = std::filesystem::path(file).filename().string();
    for (const char* suffix : {".gz", ".zst", ".xz", ".xml"}) {
        std::size_t length = std::strlen(suffix);
        if (name.size() > length && name.compare(name.size() - length, length, suffix) == 0)
            name.erase(name.size() - length);
    }
    return name.empty() ? "report" : name;
}

}  // namespace

std::string RDBXML_NAMES::unique(const std::string& file, const std::string& suffix)
{
    return unique_stem(report_stem(file), suffix);
}

std::string RDBXML_NAMES::unique_stem(const std::string& stem, const std::string& suffix)
{
    std::string name = stem + suffix;
    for (int n = 2; !m_used.insert(name).second; ++n)
        name = stem + "-" + std::to_string(n) + suffix;
    return name;
}
