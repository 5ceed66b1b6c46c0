#include <rdbxml/rdb_text.h>

#include <rdbxml/rdb_visitor.h>

RDB_MEMORY_MANAGED_DEFINE(RDB_TEXT_OBJECT)
RDB_MEMORY_MANAGED_DEFINE(RDB_LEGAL_OBJECT)

RDB_TEXT_OBJECT::RDB_TEXT_OBJECT(const STL_STRING& name) : RDB_OBJECT(name) {}

RDB_TEXT_OBJECT::~RDB_TEXT_OBJECT() { mem_delete(m_text, RDB_MODEL_TAG); }

bool RDB_TEXT_OBJECT::add_text(STL_STRING* text)
{
    if (text != m_text) {
        mem_delete(m_text, RDB_MODEL_TAG);
        m_text = text;
    }
    return true;
}

void RDB_TEXT_OBJECT::accept(RDB_OBJECT_VISITOR& visitor) const { visitor.visit(*this); }

RDB_LEGAL_OBJECT::RDB_LEGAL_OBJECT(const STL_STRING& name) : RDB_TEXT_OBJECT(name) {}

void RDB_LEGAL_OBJECT::accept(RDB_OBJECT_VISITOR& visitor) const { visitor.visit(*this); }
