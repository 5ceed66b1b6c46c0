#include "rdb_xml_element.h"

#include <cstddef>

#include <xercesc/util/XMLString.hpp>

#include "gen_util.h"

namespace {

const XMLCh* const ELEMENT_NAMES[] = {
#define RDB_XML_ELEMENT_WIDE_NAME(KIND, NAME) u"" NAME,
    RDB_XML_ELEMENT_NAMES(RDB_XML_ELEMENT_WIDE_NAME)
#undef RDB_XML_ELEMENT_WIDE_NAME
};

static_assert(sizeof(ELEMENT_NAMES) / sizeof(ELEMENT_NAMES[0]) == RDB_XML_ELEMENT_UNKNOWN, "one name per kind");

// Whether `name` is `lower` (lower-case ASCII) ignoring ASCII case. Each
// character is read only after the one before it matched, so reading stops
// at the terminator.
template <std::size_t N>
inline bool is(const XMLCh* name, const char (&lower)[N])
{
    // Reports write their names in lower case: a character equal to the
    // name's is taken without folding.
    for (std::size_t i = 0; i + 1 < N; ++i) {
        const XMLCh expected = static_cast<unsigned char>(lower[i]);
        if (name[i] != expected && gen_ascii_lower(name[i]) != expected)
            return false;
    }
    return name[N - 1] == 0;
}

inline RDB_XML_ELEMENT_KIND kind_if(bool same, RDB_XML_ELEMENT_KIND kind)
{
    return same ? kind : RDB_XML_ELEMENT_UNKNOWN;
}

// A character of a name, folded for a switch on letters: an ASCII letter
// gives its lower case, anything else no lower-case letter.
inline XMLCh fold(XMLCh c) { return static_cast<XMLCh>(c | 0x20); }

// The kind of a name when it is one of the names in ASCII, ignoring case;
// unknown for any other. Its first characters leave one candidate (or
// two, tried in turn), which the whole name must then equal.
RDB_XML_ELEMENT_KIND ascii_kind(const XMLCh* n)
{
    switch (fold(n[0])) {
    case 'a': return kind_if(is(n, "ascii_text"), RDB_XML_ELEMENT_ASCII_TEXT);
    case 'c':
        switch (fold(n[1])) {
        case 'h': return kind_if(is(n, "chart"), RDB_XML_ELEMENT_CHART);
        case 'o':
            if (fold(n[2]) != 'l')
                return kind_if(is(n, "compare"), RDB_XML_ELEMENT_COMPARE);
            if (is(n, "column"))
                return RDB_XML_ELEMENT_COLUMN;
            return kind_if(is(n, "column_types_map"), RDB_XML_ELEMENT_COLUMN_TYPES_MAP);
        }
        break;
    case 'd':
        switch (fold(n[1])) {
        case 'a': return kind_if(is(n, "data"), RDB_XML_ELEMENT_DATA);
        case 'i': return kind_if(is(n, "display_option"), RDB_XML_ELEMENT_DISPLAY_OPTION);
        case 'e':
            if (is(n, "delay"))
                return RDB_XML_ELEMENT_DELAY;
            return kind_if(is(n, "delay_cell"), RDB_XML_ELEMENT_DELAY_CELL);
        }
        break;
    case 'e':
        return fold(n[1]) == 'l' ? kind_if(is(n, "element"), RDB_XML_ELEMENT_ELEMENT)
                                 : kind_if(is(n, "embedded"), RDB_XML_ELEMENT_EMBEDDED);
    case 'f':
        if (fold(n[1]) == 'o' && fold(n[2]) == 'o')
            return kind_if(is(n, "footer"), RDB_XML_ELEMENT_FOOTER);
        if (is(n, "folder"))
            return RDB_XML_ELEMENT_FOLDER;
        if (is(n, "folders"))
            return RDB_XML_ELEMENT_FOLDERS;
        return kind_if(is(n, "folder_ref"), RDB_XML_ELEMENT_FOLDER_REF);
    case 'g':
        if (is(n, "gauge"))
            return RDB_XML_ELEMENT_GAUGE;
        return kind_if(is(n, "gauges"), RDB_XML_ELEMENT_GAUGES);
    case 'h': return kind_if(is(n, "header"), RDB_XML_ELEMENT_HEADER);
    case 'i':
        if (fold(n[1]) != 'n')
            break;
        switch (fold(n[2])) {
        case 't': return kind_if(is(n, "int_cell"), RDB_XML_ELEMENT_INT_CELL);
        case 'a': return kind_if(is(n, "iname_cell"), RDB_XML_ELEMENT_INAME_CELL);
        case 'f': return kind_if(is(n, "info"), RDB_XML_ELEMENT_INFO);
        }
        break;
    case 'l': return kind_if(is(n, "legal"), RDB_XML_ELEMENT_LEGAL);
    case 'm':
        return fold(n[1]) == 'i' ? kind_if(is(n, "min"), RDB_XML_ELEMENT_MIN)
                                 : kind_if(is(n, "max"), RDB_XML_ELEMENT_MAX);
    case 'r':
        switch (fold(n[1])) {
        case 'o':
            return fold(n[2]) == 'w' ? kind_if(is(n, "row"), RDB_XML_ELEMENT_ROW)
                                     : kind_if(is(n, "root"), RDB_XML_ELEMENT_ROOT);
        case 'e':
            switch (fold(n[2])) {
            case 's':
                if (is(n, "result_vector"))
                    return RDB_XML_ELEMENT_RESULT_VECTOR;
                return kind_if(is(n, "restricted_to"), RDB_XML_ELEMENT_RESTRICTED_TO);
            case 'p': return kind_if(is(n, "report"), RDB_XML_ELEMENT_REPORT);
            }
            break;
        }
        break;
    case 's':
        switch (fold(n[1])) {
        case 't': return kind_if(is(n, "string_cell"), RDB_XML_ELEMENT_STRING_CELL);
        case 'u': return kind_if(is(n, "summary"), RDB_XML_ELEMENT_SUMMARY);
        case 'h': return kind_if(is(n, "show_labels"), RDB_XML_ELEMENT_SHOW_LABELS);
        case 'o': return kind_if(is(n, "source_vector"), RDB_XML_ELEMENT_SOURCE_VECTOR);
        }
        break;
    case 't':
        switch (fold(n[1])) {
        case 'e': return kind_if(is(n, "text"), RDB_XML_ELEMENT_TEXT);
        case 'y': return kind_if(is(n, "type"), RDB_XML_ELEMENT_TYPE);
        case 'a':
            if (is(n, "table"))
                return RDB_XML_ELEMENT_TABLE;
            if (is(n, "tan_spd_table"))
                return RDB_XML_ELEMENT_TAN_SPD_TABLE;
            return kind_if(is(n, "tan_slack_table"), RDB_XML_ELEMENT_TAN_SLACK_TABLE);
        }
        break;
    case 'v': return kind_if(is(n, "value"), RDB_XML_ELEMENT_VALUE);
    case 'w': return kind_if(is(n, "waveform"), RDB_XML_ELEMENT_WAVEFORM);
    case 'x': return kind_if(is(n, "x_label"), RDB_XML_ELEMENT_X_LABEL);
    case 'y': return kind_if(is(n, "y_label"), RDB_XML_ELEMENT_Y_LABEL);
    }
    return RDB_XML_ELEMENT_UNKNOWN;
}

// A name with characters beyond ASCII: compared with every name in turn,
// in the order of the list.
RDB_XML_ELEMENT_KIND kind_by_comparison(const XMLCh* name)
{
    for (int kind = 0; kind < RDB_XML_ELEMENT_UNKNOWN; ++kind)
        if (rdb_xml_names_match(name, ELEMENT_NAMES[kind]))
            return static_cast<RDB_XML_ELEMENT_KIND>(kind);
    return RDB_XML_ELEMENT_UNKNOWN;
}

}  // namespace

RDB_XML_ELEMENT_KIND rdb_xml_element_kind(const XMLCh* name)
{
    if (name == nullptr)
        return RDB_XML_ELEMENT_UNKNOWN;
    RDB_XML_ELEMENT_KIND kind = ascii_kind(name);
    if (kind != RDB_XML_ELEMENT_UNKNOWN)
        return kind;
    // No name in ASCII: a name with a character beyond ASCII may still be
    // one under the parser's case folding.
    for (const XMLCh* p = name; *p != 0; ++p)
        if (*p >= 0x80)
            return kind_by_comparison(name);
    return RDB_XML_ELEMENT_UNKNOWN;
}

const XMLCh* rdb_xml_element_name(RDB_XML_ELEMENT_KIND kind)
{
    return kind >= 0 && kind < RDB_XML_ELEMENT_UNKNOWN ? ELEMENT_NAMES[kind] : nullptr;
}

bool rdb_xml_names_match(const XMLCh* localname, const XMLCh* name)
{
    // ASCII letters, digits and punctuation fold to lower case the same way
    // under every case folding, and equal characters are equal under any:
    // where the two first differ in ASCII, they differ. A difference with a
    // character beyond ASCII the parser's own comparison decides, with its
    // full case folding (it treats a KELVIN SIGN like a 'k'); it folds
    // character by character, so it starts there.
    if (localname != nullptr && name != nullptr) {
        std::size_t at = gen_ascii_icase_mismatch(localname, name);
        if (localname[at] < 0x80 && name[at] < 0x80)
            return localname[at] == 0 && name[at] == 0;
        localname += at;
        name += at;
    }
    return xercesc::XMLString::compareIString(localname, name) == 0;
}
