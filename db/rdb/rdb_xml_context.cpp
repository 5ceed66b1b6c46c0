#include "rdb_xml_context.h"

#include <cstdarg>
#include <cstdio>
#include <new>

#include <rdbxml/msg.h>
#include "rdb_xml_content_handler.h"
#include "rdb_xml_globals.h"

thread_local RDB_XML_PARSE_CONTEXT* rdb_xml_context RDB_XML_HOT_TLS = nullptr;

namespace {

// A message of at most one line of a terminal or so; longer texts (a cell
// value inside a message) are cut, not lost: the report holds them whole.
std::string format_text(const char* format, va_list args)
{
    char text[1024];
    std::vsnprintf(text, sizeof text, format, args);
    return text;
}

}  // namespace

void rdb_xml_note(RDB_XML_DIAGNOSTIC::SEVERITY severity, const char* message, std::uint64_t line,
                  std::uint64_t column, const char* kind)
{
    RDB_XML_PARSE_CONTEXT* context = rdb_xml_context;
    if (context == nullptr)
        return;
    if (line == 0 && context->m_locator != nullptr) {
        line = context->m_locator->getLineNumber();
        column = context->m_locator->getColumnNumber();
    }
    try {
        if (context->m_diagnostic_bound.admit(severity, kind != nullptr ? kind : message, message,
                                              context->m_file_name, line, column, context->m_diagnostics))
            context->m_diagnostics.push_back(RDB_XML_DIAGNOSTIC{severity, context->m_file_name, line, column, message});
    } catch (const std::bad_alloc&) {
        context->m_diagnostics_lost = true;
    }
}

void rdb_xml_semantic_error(const char* format, ...)
{
    ++rdb_xml_error_count;
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    msg_local_vdebug(RDB_XML_TAG, format, copy);
    va_end(copy);
    std::string text = format_text(format, args);
    va_end(args);
    rdb_xml_note(RDB_XML_DIAGNOSTIC::ERROR, text.c_str(), 0, 0, format);
}

namespace {

// A warning diagnostic only: no message printed, nothing in the totals.
void note_warning(const char* format, va_list args)
{
    std::string text = format_text(format, args);
    rdb_xml_note(RDB_XML_DIAGNOSTIC::WARNING, text.c_str(), 0, 0, format);
}

}  // namespace

void rdb_xml_passed_over(const char* format, ...)
{
    if (rdb_xml_context == nullptr)
        return;
    va_list args;
    va_start(args, format);
    note_warning(format, args);
    va_end(args);
}

void rdb_xml_not_as_written(const char* format, ...)
{
    if (rdb_xml_context == nullptr)
        return;
    ++rdb_xml_context->m_not_as_written;
    va_list args;
    va_start(args, format);
    note_warning(format, args);
    va_end(args);
}

void rdb_xml_out_of_memory(const char* what) { throw RDB_XML_STOP{RDB_XML_STOP::OUT_OF_MEMORY, what}; }
