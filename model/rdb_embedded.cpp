#include <rdbxml/rdb_embedded.h>

#include <rdbxml/rdb_visitor.h>

RDB_MEMORY_MANAGED_DEFINE(RDB_EMBEDDED_OBJECT)
RDB_MEMORY_MANAGED_DEFINE(RDB_WAVEFORM_OBJECT)

RDB_EMBEDDED_OBJECT::RDB_EMBEDDED_OBJECT(const STL_STRING& name, RDB_EMBEDDED_OBJECT_EMBEDDED_TYPE_ENUM type)
    : RDB_OBJECT(name), m_type(type >= 0 && type < RDB_EMBEDDED_TYPE_COUNT ? type : RDB_EMBEDDED_TYPE_GENERIC)
{
}

void RDB_EMBEDDED_OBJECT::accept(RDB_OBJECT_VISITOR& visitor) const { visitor.visit(*this); }

RDB_WAVEFORM_OBJECT::RDB_WAVEFORM_OBJECT(const STL_STRING& name, const STL_STRING& source_vector,
                                         const STL_STRING& result_vector, bool compare)
    : RDB_EMBEDDED_OBJECT(name, RDB_EMBEDDED_TYPE_GENERIC),
      m_source_vector(source_vector),
      m_result_vector(result_vector),
      m_compare(compare)
{
}

void RDB_WAVEFORM_OBJECT::accept(RDB_OBJECT_VISITOR& visitor) const { visitor.visit(*this); }
