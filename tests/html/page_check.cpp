#include "page_check.h"

#include <regex>
#include <set>

#include "browser.h"

namespace {

std::string xml_escaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

}  // namespace

const std::vector<std::string>& hostile_texts()
{
    static const std::vector<std::string> texts = {
        "<script>document.body.setAttribute('data-pwned','script')</script>",
        "<img src=x onerror=\"document.body.setAttribute('data-pwned','img')\">",
        "</style><script>document.body.setAttribute('data-pwned','style')</script>",
        "</script><script>document.body.setAttribute('data-pwned','json')</script><!--",
        "\"><svg onload=\"document.body.setAttribute('data-pwned','svg')\">",
        "'><a href=\"javascript:document.body.setAttribute('data-pwned','link')\">click</a>",
        "</title><iframe srcdoc=\"<script>parent.document.body.setAttribute('data-pwned','frame')</script>\">",
        "</textarea></details><details open ontoggle=\"document.body.setAttribute('data-pwned','toggle')\">",
    };
    return texts;
}

std::string hostile_report_xml(unsigned long_rows)
{
    const std::vector<std::string>& texts = hostile_texts();
    auto text = [&](std::size_t i) { return xml_escaped(texts[i % texts.size()]); };
    std::string xml = "<report><folders><root name=\"" + text(0) + "\"/>";
    for (std::size_t i = 1; i < texts.size(); ++i)
        xml += "<folder name=\"" + text(i) + "\"/>";
    xml += "</folders>";
    for (std::size_t i = 1; i < texts.size(); ++i) {
        xml += "<folder_ref name=\"" + text(i) + "\" parent=\"" + text(i - 1) + "\" creator=\"" + text(i + 1) +
               "\" enabled=\"" + (i % 2 ? "true" : "false") + "\"><header>" + text(i + 2) + "</header><footer>" +
               text(i + 3) + "</footer></folder_ref>";
    }
    for (std::size_t i = 0; i < texts.size(); ++i) {
        std::string where = " parent=\"" + text(i) + "\" creator=\"" + text(i + 1) + "\"";
        xml += "<text name=\"" + text(i) + "\"" + where + "><header>" + text(i + 1) + "</header><ascii_text>" +
               text(i) + "\n\n" + text(i + 1) + "</ascii_text><footer>" + text(i + 2) + "</footer></text>";
        xml += "<legal name=\"" + text(i + 1) + "\"" + where + "><ascii_text>" + text(i + 2) + "</ascii_text></legal>";
        xml += "<summary name=\"" + text(i + 2) + "\"" + where + "><element name=\"" + text(i) + "\">" + text(i + 3) +
               "</element><gauges><gauge name=\"" + text(i + 4) +
               "\" percent=\"true\"><min>0</min><max>10</max><value>5</value></gauge></gauges></summary>";
        xml += "<chart name=\"" + text(i + 3) + "\"" + where + "><type>" + (i % 2 ? "pie" : "bar") +
               "</type><x_label>" + text(i) + "</x_label><y_label>" + text(i + 1) +
               "</y_label><show_labels>true</show_labels><data name=\"" + text(i + 2) + "\">4</data><data name=\"" +
               text(i + 3) + "\">6</data></chart>";
        xml += "<embedded name=\"" + text(i + 4) + "\"" + where + " type=\"html\"><info>" + text(i) + "</info></embedded>";
        xml += "<waveform name=\"" + text(i + 5) + "\"" + where + "><info>" + text(i + 1) + "</info><source_vector>" +
               text(i + 2) + "</source_vector><result_vector>" + text(i + 3) + "</result_vector></waveform>";
    }
    xml += "<table name=\"" + text(1) + "\" parent=\"" + text(0) + "\">";
    for (unsigned r = 0; r < long_rows; ++r)
        xml += "<row><string_cell foreground=\"red\">" + text(r) + "</string_cell><string_cell>" + text(r + 1) +
               "</string_cell><int_cell>" + std::to_string(r) + "</int_cell></row>";
    return xml + "</table></report>";
}

std::string foreign_markup(const std::vector<DOM_ELEMENT>& elements)
{
    static const std::set<std::string> own_elements = {
        "html", "head", "meta", "title", "style", "body", "header", "h1", "h2", "h3", "p", "div", "nav",
        "ul", "li", "a", "span", "main", "section", "article", "table", "thead", "tbody", "tr", "th", "td", "dl", "dt", "dd",
        "details", "summary", "script", "button", "input", "ol", "svg", "text", "line", "rect", "circle", "path", "polyline"};
    static const std::set<std::string> own_attributes = {
        "lang", "charset", "http-equiv", "content", "name", "class", "id", "href", "style", "title", "role",
        "aria-label", "aria-sort", "placeholder", "tabindex", "aria-valuemin", "aria-valuemax", "aria-valuenow", "type", "nonce", "data-rows", "xmlns",
        "data-depth", "hidden", "aria-expanded", "aria-current",
        "viewBox", "x", "y", "x1", "x2", "y1", "y2", "cx", "cy", "r", "width", "height",
        "fill", "stroke", "d", "points", "transform", "text-anchor"};
    // Colours and widths the writer and its script set, nothing else.
    static const std::regex own_style("((color|background-color|width): ?(#[0-9a-f]{6}|rgb\\([0-9, ]+\\)|[0-9.]+%);? ?)+");
    for (const DOM_ELEMENT& element : elements) {
        if (own_elements.count(element.name) == 0)
            return "element <" + element.name + ">";
        for (const auto& attribute : dom_attributes(element.attributes)) {
            if (own_attributes.count(attribute.first) == 0)
                return "attribute " + attribute.first + " of <" + element.name + ">";
            if (attribute.first == "href" && attribute.second.rfind('#', 0) != 0)
                return "link to " + attribute.second;
            if (attribute.first == "style" && !std::regex_match(attribute.second, own_style))
                return "style " + attribute.second;
        }
    }
    return std::string();
}
