#include "rdb_xml_reader_limits.h"

#include <algorithm>
#include <limits>

#include <xercesc/framework/XMLAttr.hpp>
#include <xercesc/framework/XMLElementDecl.hpp>
#include <xercesc/framework/XMLEntityDecl.hpp>
#include <xercesc/sax/SAXParseException.hpp>

namespace {

constexpr std::uint64_t MOST = std::numeric_limits<std::uint64_t>::max();

// Costs stop at the largest number instead of wrapping round: a billion
// laughs nested a few levels deeper is still too much.
std::uint64_t add(std::uint64_t a, std::uint64_t b) { return a > MOST - b ? MOST : a + b; }
std::uint64_t multiply(std::uint64_t a, std::uint64_t b) { return b != 0 && a > MOST / b ? MOST : a * b; }

std::u16string wide_number(unsigned long long number)
{
    std::string text = std::to_string(number);
    return std::u16string(text.begin(), text.end());
}

std::u16string text_of(const XMLCh* text) { return text != nullptr ? text : u""; }
std::size_t length_of(const XMLCh* text) { return text != nullptr ? std::char_traits<char16_t>::length(text) : 0; }

// Ends the parse with `message`.
[[noreturn]] void stop(const std::u16string& message)
{
    throw xercesc::SAXParseException(message.c_str(), nullptr, nullptr, 0, 0);
}

// The depth message, out of the way of the check run at every element.
[[noreturn]] __attribute__((noinline, cold)) void stop_too_deep(unsigned depth)
{
    stop(u"Elements nested deeper than " + wide_number(depth) + u" levels");
}

// The predefined entities are no references the reader opens: it puts their
// character in place at once.
bool predefined(const std::u16string& name)
{
    return name == u"lt" || name == u"gt" || name == u"amp" || name == u"apos" || name == u"quot";
}

}  // namespace

std::uint64_t RDB_XML_READER_LIMITS::expansion_allowed() const
{
    return std::max(EXPANSION_FLOOR, multiply(EXPANSION_RATIO, input_bytes()));
}

void RDB_XML_READER_LIMITS::resetDocument()
{
    m_depth = 0;
    m_declarations_finished = false;
    m_defaults_declared = false;
    m_produced = 0;
    m_entities.clear();
    m_entity_index.clear();
}

std::size_t RDB_XML_READER_LIMITS::entity(const std::u16string& name)
{
    auto found = m_entity_index.emplace(name, m_entities.size());
    if (found.second) {
        m_entities.emplace_back();
        m_entities.back().m_name = name;
    }
    return found.first->second;
}

void RDB_XML_READER_LIMITS::complete(std::size_t index)
{
    std::vector<std::size_t> ready{index};
    while (!ready.empty()) {
        RDB_XML_ENTITY_COST& done = m_entities[ready.back()];
        ready.pop_back();
        done.m_complete = true;
        if (done.m_cost > expansion_allowed())
            stop(u"Entity '" + done.m_name + u"' would expand to " + wide_number(done.m_cost) +
                 u" characters, more than the " + wide_number(expansion_allowed()) + u" allowed from " +
                 wide_number(input_bytes()) + u" bytes read");
        // One entry for each reference: a parent referring to this entity n
        // times waits here n times.
        for (std::size_t parent : done.m_waiting) {
            RDB_XML_ENTITY_COST& waiting = m_entities[parent];
            waiting.m_cost = add(waiting.m_cost, done.m_cost);
            if (--waiting.m_pending == 0)
                ready.push_back(parent);
        }
        done.m_waiting.clear();
        done.m_waiting.shrink_to_fit();
    }
}

void RDB_XML_READER_LIMITS::finish_declarations()
{
    m_declarations_finished = true;
    for (std::size_t index = 0; index < m_entities.size(); ++index)
        if (!m_entities[index].m_declared && !m_entities[index].m_complete)
            complete(index);
}

void RDB_XML_READER_LIMITS::internalEntityDecl(const XMLCh* const name, const XMLCh* const value)
{
    std::u16string entity_name = text_of(name);
    const XMLCh* text = value != nullptr ? value : u"";
    const std::size_t length = length_of(text);
    const bool parameter = !entity_name.empty() && entity_name[0] == u'%';
    const std::size_t longest = parameter ? MAX_PARAMETER_ENTITY_LENGTH : MAX_ENTITY_LENGTH;
    if (length > longest)
        stop(u"Entity '" + entity_name + u"' holds " + wide_number(length) + u" characters, more than the " +
             wide_number(longest) + u" an entity may hold");
    if (parameter)
        return;

    std::size_t index = entity(entity_name);
    if (m_entities[index].m_declared)  // the first declaration is the one that holds
        return;
    m_entities[index].m_declared = true;
    std::uint64_t cost = add(REFERENCE_WEIGHT, length);
    std::size_t pending = 0;
    // The value keeps general entity references as written ("&name;");
    // character references were replaced already, but "&#38;#38;" leaves
    // one behind ("&#38;"), which is no entity.
    for (const XMLCh* at = text; (at = std::char_traits<char16_t>::find(at, length - (at - text), u'&')) != nullptr;) {
        const XMLCh* end = std::char_traits<char16_t>::find(at, length - (at - text), u';');
        if (end == nullptr)
            break;
        std::u16string referred(at + 1, end);
        at = end + 1;
        if (referred.empty() || referred[0] == u'#' || predefined(referred))
            continue;
        std::size_t child = entity(referred);  // may move the entries
        if (m_entities[child].m_complete) {
            cost = add(cost, m_entities[child].m_cost);
        } else {
            m_entities[child].m_waiting.push_back(index);
            ++pending;
        }
    }
    m_entities[index].m_cost = cost;
    m_entities[index].m_pending = pending;
    if (pending == 0)
        complete(index);
}

void RDB_XML_READER_LIMITS::attributeDecl(const XMLCh* const, const XMLCh* const, const XMLCh* const,
                                          const XMLCh* const, const XMLCh* const value)
{
    if (value != nullptr)
        m_defaults_declared = true;
}

void RDB_XML_READER_LIMITS::startEntityReference(const xercesc::XMLEntityDecl& entDecl)
{
    if (entDecl.isExternal())
        return;
    auto found = m_entity_index.find(text_of(entDecl.getName()));
    std::uint64_t after = add(m_produced, add(REFERENCE_WEIGHT, entDecl.getValueLen()));
    // Its whole expansion when known, so that the parse ends before any of
    // it is made; its own text otherwise (an entity in a loop of
    // references), each reference inside it then counting as it opens.
    std::uint64_t expected = after;
    if (found != m_entity_index.end() && m_entities[found->second].m_complete)
        expected = add(m_produced, m_entities[found->second].m_cost);
    if (expected > expansion_allowed())
        stop(u"Entity '" + text_of(entDecl.getName()) + u"' would bring the text made by entities to " +
             wide_number(expected) + u" characters, more than the " + wide_number(expansion_allowed()) +
             u" allowed from " + wide_number(input_bytes()) + u" bytes read");
    m_produced = after;
}

void RDB_XML_READER_LIMITS::count_attribute_values(const xercesc::XMLElementDecl& elemDecl,
                                                   const xercesc::RefVectorOf<xercesc::XMLAttr>& attrList,
                                                   XMLSize_t attrCount)
{
    for (XMLSize_t i = 0; i < attrCount; ++i)
        m_produced = add(m_produced, length_of(attrList.elementAt(i)->getValue()));
    if (m_produced > expansion_allowed())
        stop(u"Attribute values of '" + text_of(elemDecl.getFullName()) +
             u"' would bring the text made by entities to " + wide_number(m_produced) + u" characters, more than the " +
             wide_number(expansion_allowed()) + u" allowed from " + wide_number(input_bytes()) + u" bytes read");
}

void RDB_XML_READER_LIMITS::startElement(const xercesc::XMLElementDecl& elemDecl, const unsigned int,
                                         const XMLCh* const, const xercesc::RefVectorOf<xercesc::XMLAttr>& attrList,
                                         const XMLSize_t attrCount, const bool isEmpty, const bool)
{
    if (!m_declarations_finished)
        finish_declarations();
    // Without a general entity or a default value declared, attribute
    // values hold only what was read: nothing to count, and no cost for the
    // common report.
    if (!m_entities.empty() || m_defaults_declared)
        count_attribute_values(elemDecl, attrList, attrCount);
    if (isEmpty)
        return;
    if (++m_depth > MAX_DEPTH)
        stop_too_deep(MAX_DEPTH);
}

void RDB_XML_READER_LIMITS::endElement(const xercesc::XMLElementDecl&, const unsigned int, const bool,
                                       const XMLCh* const)
{
    if (m_depth > 0)
        --m_depth;
}
