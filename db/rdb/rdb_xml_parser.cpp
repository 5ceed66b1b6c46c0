// The driver: one call is one complete parse of one report, from the parser
// set-up to the totals and the clean-up. Both entry points come here.
#include <rdbxml/rdb_xml.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xercesc/util/XMLString.hpp>
#include <xercesc/util/XMLUni.hpp>

#include <rdbxml/mem_manager.h>
#include <rdbxml/mem_pool.h>
#include <rdbxml/msg.h>
#include "fio_path.h"
#include "gen_stopwatch.h"
#include "gen_util.h"
#include "rdb_xml_context.h"
#include "rdb_xml_error_handler.h"
#include "rdb_xml_globals.h"
#include "rdb_xml_input_source.h"
#include "rdb_xml_platform.h"
#include "rdb_xml_reader_guard.h"
#include "rdb_xml_root_handler.h"
#include "rdb_xml_transcode.h"
#include "rdb_xml_unplaced.h"
#include "rdb_xml_xerces_memory.h"

using namespace xercesc;

namespace {

const char* yes_no(bool value) { return value ? "true" : "false"; }
const char* plural(int count) { return count == 1 ? "" : "s"; }

// Prints a message that ends the parse and keeps it as a fatal error. Runs
// while a parse is being given up, so nothing may escape it, not even from a
// host's message sink.
void report_stop(const char* format, const char* text, std::uint64_t line = 0, std::uint64_t column = 0)
{
    try {
        rdb_xml_debug(format, text);
    } catch (...) {
    }
    char message[1024];
    std::snprintf(message, sizeof message, format, text);
    rdb_xml_note(RDB_XML_DIAGNOSTIC::FATAL_ERROR, message, line, column, format);
}

void report_xerces_exception(const XMLCh* message, std::uint64_t line = 0, std::uint64_t column = 0)
{
    try {
        RDB_XML_NARROW_TEXT text(message);
        report_stop("Xerces Exception: %s", text.text(), line, column);
    } catch (...) {
        // No memory left to transcode the reader's message.
        report_stop("Xerces Exception: %s", "(no memory left for its text)", line, column);
    }
}

// The input could not be opened, for the system's reason `code`. The reader
// took it for an empty document, and its lines say no more than that; the
// diagnostics say what the system said instead, as the one reason.
void report_unreadable(int code)
{
    RDB_XML_PARSE_CONTEXT& context = *rdb_xml_context;
    RDB_XML_DIAGNOSTIC unreadable;
    unreadable.m_severity = RDB_XML_DIAGNOSTIC::FATAL_ERROR;
    unreadable.m_file = context.m_file_name;
    unreadable.m_message = std::string("cannot read: ") + std::strerror(code);
    unreadable.m_errno = code;
    context.m_diagnostics.assign(1, std::move(unreadable));
    context.m_diagnostics_lost = false;
}

// The parse's own message sink and context on this thread, for the time of
// one call; whatever was there before comes back afterwards.
class RDB_XML_THREAD_SCOPE {
public:
    RDB_XML_THREAD_SCOPE(RDB_XML_PARSE_CONTEXT& context, const RDB_XML_MESSAGE_SINK& sink)
        : m_previous_context(rdb_xml_context)
    {
        rdb_xml_context = &context;
        rdb_xml_folder_index = &context.m_folder_index;
        if (sink)
            msg_set_thread_sink(&sink);
    }
    ~RDB_XML_THREAD_SCOPE()
    {
        msg_set_thread_sink(nullptr);
        rdb_xml_folder_index = nullptr;
        rdb_xml_context = m_previous_context;
    }
    RDB_XML_THREAD_SCOPE(const RDB_XML_THREAD_SCOPE&) = delete;
    RDB_XML_THREAD_SCOPE& operator=(const RDB_XML_THREAD_SCOPE&) = delete;

private:
    RDB_XML_PARSE_CONTEXT* m_previous_context;
};

// What one call owns. The destructor releases it in the clean-up order, also
// when the parse ends early by an exception.
struct RDB_XML_PARSE_CALL {
    explicit RDB_XML_PARSE_CALL(const std::uint64_t* input_bytes) : m_xerces_memory(input_bytes) {}
    RDB_XML_PARSE_CALL(const RDB_XML_PARSE_CALL&) = delete;
    RDB_XML_PARSE_CALL& operator=(const RDB_XML_PARSE_CALL&) = delete;

    // Everything the reader allocates; it outlives the reader.
    RDB_XML_XERCES_MEMORY m_xerces_memory;
    FIO_PATH* m_schema_path = nullptr;
    XMLCh* m_schema_location = nullptr;
    SAX2XMLReader* m_reader = nullptr;
    RDB_XML_ROOT_HANDLER* m_root_handler = nullptr;
    RDB_XML_ERROR_HANDLER* m_error_handler = nullptr;
    RDB_REPORT* m_report = nullptr;
    // Destroyed after the body below has destroyed the reader that uses it.
    RDB_XML_READER_GUARD m_guard;

    ~RDB_XML_PARSE_CALL()
    {
        // A handler whose element never ended is still installed.
        if (rdb_xml_active_handler != nullptr) {
            mem_delete(rdb_xml_active_handler, RDB_XML_TAG);
            rdb_xml_active_handler = nullptr;
        }
        rdb_xml_release_unplaced_folders();
        delete m_report;
        rdb_xml_set_report(nullptr);
        rdb_xml_set_reader(nullptr);
        rdb_xml_set_action_point(nullptr);
        delete m_reader;
        mem_delete(m_root_handler, RDB_XML_TAG);
        mem_delete(m_error_handler, RDB_XML_TAG);
        XMLString::release(&m_schema_location);
        mem_delete(m_schema_path, RDB_XML_TAG);
    }
};

// Says why the parse ended early, for the exception being handled: one
// message, kept as a fatal error. `memory` is the reader's memory manager
// (null once the reader is gone), which knows whether a block it refused was
// out of all proportion to the input or simply not to be had. False for an
// exception that is not one of the parse's own ends (a host's sink or
// progress callback threw): nothing is said then.
bool report_end(RDB_XML_RESULT& result, const RDB_XML_XERCES_MEMORY* memory)
{
    try {
        throw;
    } catch (const SAXParseException& exc) {
        report_xerces_exception(exc.getMessage(), exc.getLineNumber(), exc.getColumnNumber());
    } catch (const XMLException& exc) {
        if (exc.getCode() == XMLExcepts::Out_Of_Memory) {
            result.m_out_of_memory = true;
            report_stop("Out of memory while reading %s", "the document");
        } else {
            report_xerces_exception(exc.getMessage());
        }
    } catch (const RDB_XML_STOP& stop) {
        switch (stop.m_kind) {
        case RDB_XML_STOP::OUT_OF_MEMORY:
            result.m_out_of_memory = true;
            report_stop("Out of memory while reading %s", stop.m_what);
            break;
        case RDB_XML_STOP::STREAM_DAMAGED:
            report_stop("Input stream error: %s", stop.m_what);
            break;
        case RDB_XML_STOP::CANCELLED:
            result.m_cancelled = true;
            report_stop("Parsing %s", stop.m_what);
            break;
        case RDB_XML_STOP::PANIC:
            report_stop("Xerces Exception: %s", stop.m_what);
            break;
        }
    } catch (const OutOfMemoryException&) {
        if (memory != nullptr && memory->refusal()[0] != 0) {
            report_stop("Xerces Exception: %s", memory->refusal());
        } else {
            result.m_out_of_memory = true;
            report_stop("Out of memory while reading %s", "the document");
        }
    } catch (const std::bad_alloc&) {
        result.m_out_of_memory = true;
        report_stop("Out of memory while reading %s", "the document");
    } catch (...) {
        return false;
    }
    return true;
}

// Runs the reader over the input. False when the parse ended early, its
// message printed and kept; an exception of the host's passes on.
bool run_reader(RDB_XML_PARSE_CALL& call, RDB_XML_INPUT_SOURCE& source, RDB_XML_RESULT& result)
{
    // The reader's place is gone with its state once the parse has ended,
    // by an exception too.
    struct FORGET_PLACE {
        ~FORGET_PLACE() { rdb_xml_context->m_locator = nullptr; }
    };
    try {
        FORGET_PLACE forget;
        call.m_reader->parse(source);
        return true;
    } catch (...) {
        if (!report_end(result, &call.m_xerces_memory))
            throw;
    }
    return false;
}

// What the reader did not judge: a NUL character, where the reader's input
// ended, and the rest of the input, checked to its very end: bytes after the
// document, or a damaged check value, are not a whole report. A document the
// reader found broken may be broken because its stream is: then the stream's
// reason is what a person needs to see. False, the reason said, when either
// refuses the input.
bool judge_rest(RDB_XML_INPUT_SOURCE& source, int errors)
{
    const RDB_XML_NUL_SCAN& nul = source.nul();
    if (nul.found())
        report_stop("NUL character (U+0000) at byte %s of the document: XML allows it nowhere",
                    std::to_string(nul.byte()).c_str(), nul.line(), nul.column());
    bool failed = errors != 0 || nul.found();
    if (!source.finish(failed) && (!failed || source.damaged())) {
        report_stop("Input stream error: %s", source.damage());
        return false;
    }
    return !nul.found();
}

// One whole parse; fills `result`. Memory running out outside the reader
// (setting it up, the totals) throws, and the caller reports it.
void parse(const RDB_XML_INPUT& input, const RDB_XML_OPTIONS& options, MEM_POOL* storage, RDB_XML_RESULT& result)
{
    bool use_namespaces = options.m_use_schema || options.m_use_namespaces;
    rdb_xml_debug("Parser configuration: Schema (%s), Namespaces (%s), Static Buffers (%s), Dead Parser (%s)",
                  yes_no(options.m_use_schema), yes_no(use_namespaces), yes_no(options.m_use_static_buffers),
                  yes_no(options.m_dead_parser));

    GEN_STOPWATCH stopwatch;
    stopwatch.start();
    rdb_xml_initialize_platform();
    rdb_xml_debug("Xerces initialized in %s", stopwatch.lap().c_str());
    stopwatch.stop();
    stopwatch.reset();
    stopwatch.start();

    // Declared first, so that it outlives the reader, which reads from it.
    RDB_XML_INPUT_SOURCE source(input, options.m_stream_flag);
    RDB_XML_PARSE_CALL call(&rdb_xml_context->m_input_bytes);
    call.m_schema_path = RDB_XML_NEW(FIO_PATH, gen_get_module_path());
    if (call.m_schema_path == nullptr)
        rdb_xml_out_of_memory("the schema path");
    call.m_schema_path->filename("rdb_schema");
    call.m_schema_path->extension("xsd", "");
    call.m_schema_location = XMLString::transcode(call.m_schema_path->fullpath());

    rdb_xml_debug("Processing file: %s", input.m_name.c_str());

    call.m_reader = XMLReaderFactory::createXMLReader(&call.m_xerces_memory);
    call.m_reader->setFeature(XMLUni::fgSAX2CoreValidation, options.m_use_schema);
    call.m_reader->setFeature(XMLUni::fgSAX2CoreNameSpaces, use_namespaces);
    call.m_reader->setFeature(XMLUni::fgXercesSchema, options.m_use_schema);
    call.m_reader->setProperty(XMLUni::fgXercesSchemaExternalNoNameSpaceSchemaLocation, call.m_schema_location);
    call.m_guard.protect(call.m_reader, call.m_schema_location, &rdb_xml_context->m_input_bytes);

    rdb_xml_set_use_static_buffers(options.m_use_static_buffers);

    call.m_error_handler = RDB_XML_NEW(RDB_XML_ERROR_HANDLER);
    call.m_root_handler = RDB_XML_NEW(RDB_XML_ROOT_HANDLER);
    if (call.m_error_handler == nullptr || call.m_root_handler == nullptr)
        rdb_xml_out_of_memory("the parser's handlers");
    if (!options.m_dead_parser)
        call.m_reader->setContentHandler(call.m_root_handler);
    call.m_reader->setErrorHandler(call.m_error_handler);

    {
        // The report itself is not in its storage, which it releases last.
        MEM_POOL_SCOPE outside(nullptr);
        call.m_report = RDB_XML_NEW(RDB_REPORT);
    }
    if (call.m_report == nullptr)
        rdb_xml_out_of_memory("the report");
    call.m_report->hold_storage(storage);
    rdb_xml_set_report(call.m_report);
    rdb_xml_set_reader(call.m_reader);
    rdb_xml_set_action_point(options.m_action_point);

    rdb_xml_debug("Parser constructed in %s", stopwatch.lap().c_str());
    stopwatch.stop();
    stopwatch.reset();
    stopwatch.start();

    rdb_xml_error_count = 0;

    bool completed = run_reader(call, source, result);
    if (int code = source.unreadable())
        report_unreadable(code);
    int errors = call.m_error_handler->m_errors + call.m_error_handler->m_fatal_errors + rdb_xml_error_count;
    if (completed)
        completed = judge_rest(source, errors);

    rdb_xml_debug("Parsing completed in %s", stopwatch.lap().c_str());
    if (!completed)
        return;

    // Folders that were declared but never placed stay with the report.
    rdb_xml_keep_unplaced_folders(call.m_report);
    if (rdb_xml_context->m_diagnostics_lost)
        rdb_xml_out_of_memory("the diagnostics");
    int warnings = call.m_error_handler->m_warnings;
    rdb_xml_debug("Parsing resulted in %d error%s, %d warning%s", errors, plural(errors), warnings,
                  plural(warnings));
    result.m_errors = errors;
    result.m_warnings = warnings;
    if (errors == 0) {
        result.m_report.reset(call.m_report);
        call.m_report = nullptr;
    }
}

// A strict parse gives no report once anything was not read as written
// (every warning, also those past the bound on diagnostics): a CI job that
// sets it must fail on the file, not pass on a report that differs from it.
// Said last, after the warnings it counts.
void refuse_if_warned(RDB_XML_PARSE_CONTEXT& context, RDB_XML_RESULT& result)
{
    std::uint64_t warnings = context.m_diagnostic_bound.warnings();
    if (warnings == 0)
        return;
    result.m_report.reset();
    result.m_strict_refused = true;
    try {
        char message[96];
        std::snprintf(message, sizeof message, "strict: the report is refused for its %llu warning%s",
                      static_cast<unsigned long long>(warnings), warnings == 1 ? "" : "s");
        context.m_diagnostics.push_back(
            RDB_XML_DIAGNOSTIC{RDB_XML_DIAGNOSTIC::ERROR, context.m_file_name, 0, 0, message});
    } catch (const std::bad_alloc&) {
        // The refusal stands; m_strict_refused says why.
        result.m_out_of_memory = true;
    }
}

}  // namespace

RDB_XML_INPUT RDB_XML_INPUT::file(std::string path)
{
    RDB_XML_INPUT input;
    input.m_name = std::move(path);
    return input;
}

RDB_XML_INPUT RDB_XML_INPUT::memory(const void* data, std::size_t size, std::string name)
{
    RDB_XML_INPUT input;
    input.m_name = std::move(name);
    input.m_data = data;
    input.m_size = size;
    input.m_in_memory = true;
    return input;
}

RDB_XML_INPUT RDB_XML_INPUT::descriptor(int fd, std::string name)
{
    RDB_XML_INPUT input;
    input.m_name = std::move(name);
    input.m_descriptor = fd;
    return input;
}

RDB_XML_RESULT rdb_xml_parse_input(const RDB_XML_INPUT& input, const RDB_XML_OPTIONS& options)
{
    RDB_XML_RESULT result;
    // The report's storage. Everything the parse makes comes from it, also
    // what lives only for the parse, which is released before the storage
    // is let go here; the report holds it for as long as it lives. Without
    // memory for it, the parse allocates as any other code does.
    MEM_POOL_HOLDER storage(MEM_POOL::create());
    MEM_POOL_SCOPE use_storage(storage.get());
    RDB_XML_PARSE_CONTEXT context(input.m_name, options.m_progress);
    // Unless a sink takes them or they are asked for, the lines go nowhere.
    RDB_XML_MESSAGE_SINK quiet;
    if (!options.m_message_sink && !options.m_print_messages)
        quiet = [](const char*, const char*) {};
    RDB_XML_THREAD_SCOPE scope(context, options.m_message_sink ? options.m_message_sink : quiet);
    try {
        parse(input, options, storage.get(), result);
    } catch (...) {
        // Ended while the reader was set up or the totals made, or by a
        // host's exception: whatever it is, the parse ends here without a
        // report.
        if (!report_end(result, nullptr))
            report_stop("Parsing stopped by an exception of %s", "the caller");
    }
    if (result.m_out_of_memory || result.m_cancelled)
        result.m_report.reset();
    context.m_diagnostic_bound.finish(context.m_diagnostics);
    if (options.m_strict && result.m_report)
        refuse_if_warned(context, result);
    result.m_diagnostics.swap(context.m_diagnostics);
    result.m_not_as_written = context.m_not_as_written;
    return result;
}

extern "C" RDB_REPORT* rdb_xml_parse(const char* file_name, HDB_ACTION_PT_INSTANCE* action_point,
                                     bool stream_flag, bool use_schema, bool use_namespaces,
                                     bool use_static_buffers, bool dead_parser)
{
    try {
        RDB_XML_OPTIONS options;
        options.m_action_point = action_point;
        options.m_stream_flag = stream_flag;
        options.m_use_schema = use_schema;
        options.m_use_namespaces = use_namespaces;
        options.m_use_static_buffers = use_static_buffers;
        options.m_dead_parser = dead_parser;
        options.m_print_messages = true;
        return rdb_xml_parse_input(RDB_XML_INPUT::file(file_name != nullptr ? file_name : ""), options)
            .m_report.release();
    } catch (...) {
        // Not even the input's name could be copied.
        try {
            rdb_xml_debug("Out of memory while reading %s", file_name != nullptr ? file_name : "");
        } catch (...) {
        }
        return nullptr;
    }
}
