// RDB_OBJECT_VISITOR: one visit per report object class. Each visit that a
// visitor does not override passes the object on as its base class, so a
// visitor can handle, say, every table in visit(const RDB_TABLE_OBJECT&).
#pragma once

#include <rdbxml/rdb_chart.h>
#include <rdbxml/rdb_embedded.h>
#include <rdbxml/rdb_folder.h>
#include <rdbxml/rdb_summary.h>
#include <rdbxml/rdb_table.h>
#include <rdbxml/rdb_tan.h>
#include <rdbxml/rdb_text.h>

class RDB_OBJECT_VISITOR {
public:
    virtual ~RDB_OBJECT_VISITOR() = default;

    virtual void visit(const RDB_OBJECT&) {}
    virtual void visit(const RDB_FOLDER_OBJECT& object) { visit(static_cast<const RDB_OBJECT&>(object)); }
    virtual void visit(const RDB_TEXT_OBJECT& object) { visit(static_cast<const RDB_OBJECT&>(object)); }
    virtual void visit(const RDB_LEGAL_OBJECT& object) { visit(static_cast<const RDB_TEXT_OBJECT&>(object)); }
    virtual void visit(const RDB_GAUGES_OBJECT& object) { visit(static_cast<const RDB_OBJECT&>(object)); }
    virtual void visit(const RDB_EMBEDDED_OBJECT& object) { visit(static_cast<const RDB_OBJECT&>(object)); }
    virtual void visit(const RDB_WAVEFORM_OBJECT& object) { visit(static_cast<const RDB_EMBEDDED_OBJECT&>(object)); }
    virtual void visit(const RDB_TABLE_OBJECT& object) { visit(static_cast<const RDB_OBJECT&>(object)); }
    virtual void visit(const RDB_SUMMARY_TABLE_OBJECT& object) { visit(static_cast<const RDB_TABLE_OBJECT&>(object)); }
    virtual void visit(const RDB_CHART_TABLE_OBJECT& object) { visit(static_cast<const RDB_TABLE_OBJECT&>(object)); }
    virtual void visit(const RDB_TAN_TABLE_OBJECT& object) { visit(static_cast<const RDB_TABLE_OBJECT&>(object)); }
    virtual void visit(const RDB_TAN_SPD_TABLE_OBJECT& object)
    {
        visit(static_cast<const RDB_TAN_TABLE_OBJECT&>(object));
    }
    virtual void visit(const RDB_TAN_SLACK_TABLE_OBJECT& object)
    {
        visit(static_cast<const RDB_TAN_TABLE_OBJECT&>(object));
    }
};
