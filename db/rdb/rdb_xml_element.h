// The element names the handlers know, and the classification of an
// element's name into one of them: done once per element start or end, so
// that each handler switches on the kind instead of comparing names.
#pragma once

#include <cstddef>

#include <xercesc/util/XercesDefs.hpp>

// Every name of the format, lower case, in the order the root handler has
// always tried its report elements (the first eleven) and then the others;
// the last two no handler reads (the document element, and the wrapper of
// a slack table's columns), but they are the format's, so not unknown.
#define RDB_XML_ELEMENT_NAMES(X)                                                                      \
    X(FOLDERS, "folders") X(TEXT, "text") X(FOLDER_REF, "folder_ref") X(LEGAL, "legal")               \
    X(SUMMARY, "summary") X(EMBEDDED, "embedded") X(WAVEFORM, "waveform") X(CHART, "chart")           \
    X(TABLE, "table") X(TAN_SPD_TABLE, "tan_spd_table") X(TAN_SLACK_TABLE, "tan_slack_table")         \
    X(HEADER, "header") X(FOOTER, "footer") X(ROOT, "root") X(FOLDER, "folder")                       \
    X(ASCII_TEXT, "ascii_text") X(ELEMENT, "element") X(GAUGES, "gauges") X(GAUGE, "gauge")           \
    X(MIN, "min") X(MAX, "max") X(VALUE, "value") X(DATA, "data") X(TYPE, "type")                     \
    X(X_LABEL, "x_label") X(Y_LABEL, "y_label") X(SHOW_LABELS, "show_labels") X(INFO, "info")         \
    X(SOURCE_VECTOR, "source_vector") X(RESULT_VECTOR, "result_vector") X(COMPARE, "compare")         \
    X(ROW, "row") X(STRING_CELL, "string_cell") X(INT_CELL, "int_cell") X(INAME_CELL, "iname_cell")   \
    X(DELAY_CELL, "delay_cell") X(DELAY, "delay") X(DISPLAY_OPTION, "display_option")                 \
    X(COLUMN, "column") X(RESTRICTED_TO, "restricted_to") X(REPORT, "report")                        \
    X(COLUMN_TYPES_MAP, "column_types_map")

enum RDB_XML_ELEMENT_KIND {
#define RDB_XML_ELEMENT_ENUMERATOR(KIND, NAME) RDB_XML_ELEMENT_##KIND,
    RDB_XML_ELEMENT_NAMES(RDB_XML_ELEMENT_ENUMERATOR)
#undef RDB_XML_ELEMENT_ENUMERATOR
    // Any name not above.
    RDB_XML_ELEMENT_UNKNOWN,
};

// The kind of the element `name`, compared ignoring case exactly as
// rdb_xml_names_match does: one switch on its first characters, folded,
// leaves the one name it can be, which it must then equal in ASCII; a name
// that is none of them but has a character beyond ASCII is compared with
// every name in turn. Null and the empty name are RDB_XML_ELEMENT_UNKNOWN.
RDB_XML_ELEMENT_KIND rdb_xml_element_kind(const XMLCh* name);

// The lower-case name of a kind; null for RDB_XML_ELEMENT_UNKNOWN.
const XMLCh* rdb_xml_element_name(RDB_XML_ELEMENT_KIND kind);

// Element-name comparison ignoring case, exactly as XMLString::compareIString
// does: ASCII characters are compared here, and at the first character
// beyond ASCII the parser's own comparison decides.
bool rdb_xml_names_match(const XMLCh* localname, const XMLCh* name);

// The kinds of the elements open now, innermost last. The reader has checked
// that an end tag names the element it ends, so an end is of the kind its
// start was found to be and needs no classification of its own. Kinds are
// kept for the outermost KEPT levels; an end deeper than that is classified
// like a start.
class RDB_XML_OPEN_ELEMENTS {
public:
    void push(RDB_XML_ELEMENT_KIND kind)
    {
        if (m_depth < KEPT)
            m_kinds[m_depth] = static_cast<unsigned char>(kind);
        ++m_depth;
    }
    // The kind of the element that ends, taken from the stack: false when
    // it was not kept.
    bool pop(RDB_XML_ELEMENT_KIND& kind)
    {
        if (m_depth == 0)
            return false;
        --m_depth;
        if (m_depth >= KEPT)
            return false;
        kind = static_cast<RDB_XML_ELEMENT_KIND>(m_kinds[m_depth]);
        return true;
    }

private:
    static constexpr std::size_t KEPT = 256;
    static_assert(RDB_XML_ELEMENT_UNKNOWN < 256, "a kind fits a byte");
    unsigned char m_kinds[KEPT];
    std::size_t m_depth = 0;
};
