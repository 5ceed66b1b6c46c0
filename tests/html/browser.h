// A headless browser for the page tests: Debian's chromium, run with a
// fresh profile and no network services, loading local files only.
#pragma once

#include <string>
#include <utility>
#include <vector>

// The browser's program; empty when none is installed.
std::string browser_program();

// The page at `url` as the browser's DOM after its script ran, serialised;
// empty when the browser failed.
std::string browser_dump_dom(const std::string& url);

// Saves a `width` x `height` screenshot of the page at `url` as PNG; false
// when the browser failed.
bool browser_screenshot(const std::string& url, const std::string& png, int width, int height);

// The serialised DOM's elements: each start tag's name and attributes, in
// order. The contents of script and style elements are skipped.
struct DOM_ELEMENT {
    std::string name;
    std::string attributes;  // as serialised: name="value" pairs
};
std::vector<DOM_ELEMENT> dom_elements(const std::string& dom);
// The attribute names and values of a serialised attribute list.
std::vector<std::pair<std::string, std::string>> dom_attributes(const std::string& attributes);
