// The driver: one call of rdb_xml_parse is one complete parse of one report
// file, from the parser set-up to the totals and the clean-up.
#include "rdb_xml.h"

#include <vector>

#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xercesc/util/XMLString.hpp>
#include <xercesc/util/XMLUni.hpp>

#include "fio_path.h"
#include "gen_stopwatch.h"
#include "gen_util.h"
#include "mem_manager.h"
#include "rdb_report.h"
#include "rdb_xml_error_handler.h"
#include "rdb_xml_globals.h"
#include "rdb_xml_input_source.h"
#include "rdb_xml_reader_guard.h"
#include "rdb_xml_root_handler.h"
#include "rdb_xml_transcode.h"
#include "rdb_xml_unplaced.h"

using namespace xercesc;

namespace {

const char* yes_no(bool value) { return value ? "true" : "false"; }
const char* plural(int count) { return count == 1 ? "" : "s"; }

void print_exception(const XMLCh* message)
{
    RDB_XML_NARROW_TEXT text(message);
    rdb_xml_debug("Xerces Exception: %s", text.text());
}

// What one call owns. The destructor releases it in the clean-up order,
// also when an exception that is not caught here passes through.
struct RDB_XML_PARSE_CALL {
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
        if (m_report != nullptr) {  // only when an exception passes through
            rdb_xml_keep_unplaced_folders(m_report);
            delete m_report;
        }
        rdb_xml_forget_folders();
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

}  // namespace

extern "C" RDB_REPORT* rdb_xml_parse(const char* file_name, HDB_ACTION_PT_INSTANCE* action_point,
                                     bool stream_flag, bool use_schema, bool use_namespaces,
                                     bool use_static_buffers, bool dead_parser)
{
    if (use_schema)
        use_namespaces = true;
    rdb_xml_debug("Parser configuration: Schema (%s), Namespaces (%s), Static Buffers (%s), Dead Parser (%s)",
                  yes_no(use_schema), yes_no(use_namespaces), yes_no(use_static_buffers), yes_no(dead_parser));

    GEN_STOPWATCH stopwatch;
    stopwatch.start();
    XMLPlatformUtils::Initialize();
    rdb_xml_debug("Xerces initialized in %s", stopwatch.lap().c_str());
    stopwatch.stop();
    stopwatch.reset();
    stopwatch.start();

    RDB_XML_PARSE_CALL call;
    call.m_schema_path = RDB_XML_NEW(FIO_PATH, gen_get_module_path());
    if (call.m_schema_path == nullptr)
        return nullptr;
    call.m_schema_path->filename("rdb_schema");
    call.m_schema_path->extension("xsd", "");
    call.m_schema_location = XMLString::transcode(call.m_schema_path->fullpath());

    rdb_xml_debug("Processing file: %s", file_name);

    call.m_reader = XMLReaderFactory::createXMLReader();
    call.m_reader->setFeature(XMLUni::fgSAX2CoreValidation, use_schema);
    call.m_reader->setFeature(XMLUni::fgSAX2CoreNameSpaces, use_namespaces);
    call.m_reader->setFeature(XMLUni::fgXercesSchema, use_schema);
    call.m_reader->setProperty(XMLUni::fgXercesSchemaExternalNoNameSpaceSchemaLocation,
                               call.m_schema_location);
    call.m_guard.protect(call.m_reader, call.m_schema_location);

    rdb_xml_set_use_static_buffers(use_static_buffers);

    call.m_error_handler = RDB_XML_NEW(RDB_XML_ERROR_HANDLER);
    call.m_root_handler = RDB_XML_NEW(RDB_XML_ROOT_HANDLER);
    if (call.m_error_handler == nullptr || call.m_root_handler == nullptr)
        return nullptr;
    if (!dead_parser)
        call.m_reader->setContentHandler(call.m_root_handler);
    call.m_reader->setErrorHandler(call.m_error_handler);

    call.m_report = RDB_XML_NEW(RDB_REPORT);
    if (call.m_report == nullptr)
        return nullptr;
    rdb_xml_set_report(call.m_report);
    rdb_xml_set_reader(call.m_reader);
    rdb_xml_set_action_point(action_point);

    rdb_xml_debug("Parser constructed in %s", stopwatch.lap().c_str());
    stopwatch.stop();
    stopwatch.reset();
    stopwatch.start();

    rdb_xml_error_count = 0;

    bool aborted = false;
    try {
        RDB_XML_INPUT_SOURCE source(file_name, stream_flag);
        call.m_reader->parse(source);
    } catch (const SAXParseException& exc) {
        print_exception(exc.getMessage());
        aborted = true;
    } catch (const XMLException& exc) {
        print_exception(exc.getMessage());
        aborted = true;
    }

    rdb_xml_debug("Parsing completed in %s", stopwatch.lap().c_str());

    RDB_REPORT* report = call.m_report;
    call.m_report = nullptr;
    // Folders that were declared but never placed stay with the report.
    rdb_xml_keep_unplaced_folders(report);
    if (aborted) {
        delete report;
        return nullptr;
    }
    int errors = call.m_error_handler->m_errors + call.m_error_handler->m_fatal_errors + rdb_xml_error_count;
    int warnings = call.m_error_handler->m_warnings;
    rdb_xml_debug("Parsing resulted in %d error%s, %d warning%s", errors, plural(errors), warnings,
                  plural(warnings));
    if (errors != 0) {
        delete report;
        return nullptr;
    }
    return report;
}
