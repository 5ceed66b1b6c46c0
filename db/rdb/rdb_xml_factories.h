// The factories of the element handlers, one per handler class.
#pragma once

#include "rdb_xml_content_handler.h"

#include <rdbxml/mem_manager.h>
#include "rdb_xml_globals.h"

// Every factory has this shape: memory from the manager, the handler built
// in it with `parent`; null when no memory was obtained.
#define RDB_XML_DEFINE_FACTORY(FUNCTION, HANDLER)                                   \
    RDB_XML_CONTENT_HANDLER* FUNCTION(RDB_XML_CONTENT_HANDLER* parent)              \
    {                                                                               \
        return RDB_XML_NEW(HANDLER, parent);                                        \
    }
