#include <rdbxml/rdb_object.h>

#include <rdbxml/rdb_visitor.h>

RDB_MEMORY_MANAGED_DEFINE(RDB_OBJECT)

RDB_OBJECT::RDB_OBJECT(const STL_STRING& name) : m_name(name) {}

RDB_OBJECT::~RDB_OBJECT() = default;

void RDB_OBJECT::accept(RDB_OBJECT_VISITOR& visitor) const { visitor.visit(*this); }
