#include "rdbxml_html.h"

#include <filesystem>
#include <system_error>

#include <rdbxml/rdb_html_writer.h>
#include "rdbxml_replace_file.h"
#include "rdbxml_text.h"
#include "rdbxml_write_file.h"

namespace fs = std::filesystem;

RDBXML_HTML_PAGES::RDBXML_HTML_PAGES(std::string target, std::size_t inputs)
    : m_target(std::move(target)), m_inputs(inputs),
      m_directory(!m_target.empty() && m_target != "-" && (inputs > 1 || m_target.back() == '/'))
{
    if (!index_path().empty())
        m_names.unique_stem("index", ".html");
}

bool RDBXML_HTML_PAGES::prepare(std::string& error) const
{
    if (m_target == "-") {
        if (m_inputs > 1)
            error = "--html - writes one page, and there are " + std::to_string(m_inputs) +
                    " files: give one FILE, or a directory (--html OUT/)";
        return m_inputs <= 1;
    }
    std::string directory = m_directory ? m_target : fs::path(m_target).parent_path().string();
    if (directory.empty())
        directory = ".";
    std::error_code code;
    if (m_directory)
        fs::create_directories(m_target, code);
    if (code || !fs::is_directory(directory)) {
        error = m_directory ? "cannot make the directory " + m_target + (code ? ": " + code.message() : "")
                            : "cannot write " + m_target + ": no directory " + directory;
        return false;
    }
    rdbxml_remove_stale_temporaries(directory);
    return true;
}

std::string RDBXML_HTML_PAGES::page_path(const std::string& file)
{
    if (!m_directory)
        return m_target;
    return (fs::path(m_target) / m_names.unique(file, ".html")).string();
}

std::string RDBXML_HTML_PAGES::index_path() const
{
    return m_directory && m_inputs > 1 ? (fs::path(m_target) / "index.html").string() : std::string();
}

bool RDBXML_HTML_PAGES::write_index(const std::vector<RDB_HTML_LISTED_REPORT>& reports, std::string& error) const
{
    RDBXML_TEXT page;
    rdb_write_html_list(reports, page, "Reports in " + m_target);
    return rdbxml_write_file(index_path(), page.take(), error);
}

bool RDBXML_HTML_PAGES::write(const std::string& path, const std::string& file, const RDB_REPORT& report,
                              std::string& out, std::string& error)
{
    std::error_code code;
    if (path != "-" && fs::equivalent(path, file, code)) {
        error = "not writing " + path + ": it is the report file itself";
        return false;
    }
    // Whole in memory first: the file on disk is replaced only by a whole page.
    RDBXML_TEXT page;
    rdb_write_html(&report, page, fs::path(file).filename().string());
    if (path != "-")
        return rdbxml_write_file(path, page.take(), error);
    out = page.take();
    return true;
}
