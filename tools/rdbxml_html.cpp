#include "rdbxml_html.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "rdb_html_writer.h"

namespace fs = std::filesystem;

namespace {

// The file name without its directory, compression suffix and ".xml".
std::string page_stem(const std::string& file)
{
    std::string name = fs::path(file).filename().string();
    for (const char* suffix : {".gz", ".zst", ".xz", ".xml"}) {
        std::size_t length = std::strlen(suffix);
        if (name.size() > length && name.compare(name.size() - length, length, suffix) == 0)
            name.erase(name.size() - length);
    }
    return name.empty() ? "report" : name;
}

}  // namespace

bool RDBXML_HTML_PAGES::prepare(std::string& error) const
{
    if (!m_several)
        return true;
    std::error_code code;
    fs::create_directories(m_target, code);
    if (code || !fs::is_directory(m_target)) {
        error = "cannot make the directory " + m_target + (code ? ": " + code.message() : "");
        return false;
    }
    return true;
}

std::string RDBXML_HTML_PAGES::page_path(const std::string& file)
{
    if (!m_several)
        return m_target;
    std::string stem = page_stem(file);
    std::string name = stem + ".html";
    for (int n = 2; !m_used.insert(name).second; ++n)
        name = stem + "-" + std::to_string(n) + ".html";
    return (fs::path(m_target) / name).string();
}

bool RDBXML_HTML_PAGES::write(const std::string& file, const RDB_REPORT& report, std::string& error)
{
    std::string path = page_path(file);
    std::error_code code;
    if (fs::equivalent(path, file, code)) {
        error = "not writing " + path + ": it is the report file itself";
        return false;
    }
    std::ofstream page(path, std::ios::binary | std::ios::trunc);
    if (page)
        rdb_write_html(&report, page, fs::path(file).filename().string());
    if (page)
        page.close();
    if (!page) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}
