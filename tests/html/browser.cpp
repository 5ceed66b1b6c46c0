#include "browser.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "scratch_dir.h"
#include "tool_runner.h"

namespace {

// Runs the browser with `arguments`; stdout goes to `out_file`.
bool run_browser(const std::string& arguments, const std::string& out_file)
{
    std::string program = browser_program();
    if (program.empty())
        return false;
    const std::string profile = test_scratch_dir("browser");
    if (profile.empty())
        return false;
    // A browser that hangs is stopped after two minutes; containers often
    // have a small /dev/shm, so the browser keeps its shared memory in /tmp.
    std::string command = "timeout 120 " + tool_shell_quoted(program) +
                          " --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking"
                          " --disable-component-update --disable-sync --disable-dev-shm-usage --hide-scrollbars"
                          " --user-data-dir=" +
                          tool_shell_quoted(profile) + " " + arguments + " > " + tool_shell_quoted(out_file) + " 2>/dev/null";
    int status = std::system(command.c_str());
    std::filesystem::remove_all(profile);
    return status == 0;
}

}  // namespace

std::string browser_program()
{
    for (const char* candidate : {"/usr/bin/chromium", "/usr/bin/chromium-browser"})
        if (access(candidate, X_OK) == 0)
            return candidate;
    return std::string();
}

std::string browser_dump_dom(const std::string& url)
{
    const std::string dir = test_scratch_dir("browser-dom");
    const std::string out_file = dir + "/dom.html";
    std::string dom;
    if (!dir.empty() && run_browser("--dump-dom " + tool_shell_quoted(url), out_file)) {
        std::ifstream in(out_file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        dom = text.str();
    }
    if (!dir.empty())
        std::filesystem::remove_all(dir);
    return dom;
}

bool browser_screenshot(const std::string& url, const std::string& png, int width, int height)
{
    std::filesystem::remove(png);
    return run_browser("--window-size=" + std::to_string(width) + "," + std::to_string(height) +
                           " --screenshot=" + tool_shell_quoted(png) + " " + tool_shell_quoted(url),
                       "/dev/null") &&
           std::filesystem::file_size(png) > 0;
}

// The browser serialises every attribute as name="value" with '"' and '&'
// escaped in the value, and '<' escaped in text; so a start tag ends at the
// first '>' outside a quoted value.
std::vector<DOM_ELEMENT> dom_elements(const std::string& dom)
{
    std::vector<DOM_ELEMENT> elements;
    std::size_t at = 0;
    while ((at = dom.find('<', at)) != std::string::npos) {
        ++at;
        if (at >= dom.size() || !std::isalpha(static_cast<unsigned char>(dom[at])))
            continue;
        std::size_t name_end = dom.find_first_of(" \t\n/>", at);
        DOM_ELEMENT element;
        element.name = dom.substr(at, name_end - at);
        bool in_value = false;
        std::size_t end = name_end;
        for (; end < dom.size() && (in_value || dom[end] != '>'); ++end)
            if (dom[end] == '"')
                in_value = !in_value;
        element.attributes = dom.substr(name_end, end - name_end);
        at = end;
        if (element.name == "script" || element.name == "style") {
            std::size_t close = dom.find("</" + element.name + ">", at);
            at = close == std::string::npos ? dom.size() : close;
        }
        elements.push_back(std::move(element));
    }
    return elements;
}

std::vector<std::pair<std::string, std::string>> dom_attributes(const std::string& attributes)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    std::size_t at = 0;
    while (at < attributes.size()) {
        while (at < attributes.size() && (std::isspace(static_cast<unsigned char>(attributes[at])) || attributes[at] == '/'))
            ++at;
        if (at >= attributes.size())
            break;
        std::size_t name_end = attributes.find_first_of("= \t\n", at);
        if (name_end == std::string::npos)
            name_end = attributes.size();
        std::string name = attributes.substr(at, name_end - at);
        std::string value;
        at = name_end;
        if (at + 1 < attributes.size() && attributes[at] == '=' && attributes[at + 1] == '"') {
            std::size_t close = attributes.find('"', at + 2);
            if (close == std::string::npos)
                close = attributes.size();
            value = attributes.substr(at + 2, close - at - 2);
            at = close + 1;
        }
        pairs.emplace_back(name, value);
    }
    return pairs;
}
