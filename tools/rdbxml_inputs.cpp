#include "rdbxml_inputs.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool is_report_file(const std::string& name)
{
    for (const char* suffix : {".xml", ".xml.gz", ".xml.zst", ".xml.xz"}) {
        std::size_t length = std::strlen(suffix);
        if (name.size() > length && name.compare(name.size() - length, length, suffix) == 0)
            return true;
    }
    return false;
}

// The report files below `directory`, sorted by path. A subdirectory that
// cannot be listed is passed over, as find passes over it.
std::vector<std::string> report_files_below(const std::string& directory)
{
    std::vector<std::string> found;
    std::error_code code;
    fs::recursive_directory_iterator it(directory, fs::directory_options::skip_permission_denied, code), end;
    for (; !code && it != end; it.increment(code)) {
        std::error_code type_code;
        if (it->is_regular_file(type_code) && is_report_file(it->path().filename().string()))
            found.push_back(it->path().string());
    }
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace

std::vector<RDBXML_INPUT_FILE> rdbxml_expand_inputs(const std::vector<std::string>& arguments)
{
    std::vector<RDBXML_INPUT_FILE> inputs;
    for (const std::string& argument : arguments) {
        std::error_code code;
        if (argument == "-") {
            inputs.push_back(RDBXML_INPUT_FILE{argument, true});
        } else if (fs::is_directory(argument, code)) {
            std::vector<std::string> found = report_files_below(argument);
            if (found.empty())
                inputs.push_back(RDBXML_INPUT_FILE{argument, false, true});
            for (std::string& file : found)
                inputs.push_back(RDBXML_INPUT_FILE{std::move(file), false});
        } else {
            inputs.push_back(RDBXML_INPUT_FILE{argument, false});
        }
    }
    return inputs;
}
