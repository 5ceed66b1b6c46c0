// RDB_OBJECT: what every report object has (name, creator module, enable
// flag, header, footer) and where it belongs.
//
// Ownership: an object belongs to at most one owner, which releases it
// (folders their objects, a summary table its gauges, the report its main
// folder and its unplaced objects). get_owner() names that owner; null means
// nobody owns the object yet and whoever made it must place or delete it.
//
// Every call of the model that takes ownership of something (an object, a
// row, a gauge, a string) returns bool. True: the container owns it from
// now on. False, a refusal: the call neither kept nor released it, so the
// caller still owns it and decides what becomes of it. Running out of memory
// is one reason to refuse; std::bad_alloc never leaves such a call.
#pragma once

#include <optional>

#include <rdbxml/pdb_virtual_object.h>
#include <rdbxml/rdb_memory.h>
#include <rdbxml/stl_string.h>

class RDB_FOLDER_OBJECT;
class RDB_OBJECT_VISITOR;
class RDB_REPORT;
class RDB_SUMMARY_TABLE_OBJECT;
class RDB_TAN_SLACK_TABLE_OBJECT;
class RDB_TAN_TABLE_OBJECT;

class RDB_OBJECT : public PDB_VIRTUAL_OBJECT<RDB_OBJECT>, public PDB_VIRTUAL_OBJECT_BASE {
    RDB_MEMORY_MANAGED

    // New object: empty creator, enabled, no header, no footer, no owner.
    explicit RDB_OBJECT(const STL_STRING& name);
    virtual ~RDB_OBJECT();
    RDB_OBJECT(const RDB_OBJECT&) = delete;
    RDB_OBJECT& operator=(const RDB_OBJECT&) = delete;

    const STL_STRING& get_name() const { return m_name; }

    void set_creator_module(const STL_STRING& creator) { m_creator = creator; }
    const STL_STRING& get_creator_module() const { return m_creator; }

    void set_enable(bool enabled) { m_enabled = enabled; }
    bool is_enabled() const { return m_enabled; }

    void set_header(const STL_STRING& header) { m_header = header; }
    void set_footer(const STL_STRING& footer) { m_footer = footer; }
    // Null until set.
    const STL_STRING* get_header() const { return m_header ? &*m_header : nullptr; }
    const STL_STRING* get_footer() const { return m_footer ? &*m_footer : nullptr; }

    // The object as that class, or null when it is not of it.
    virtual RDB_TAN_TABLE_OBJECT* dynamic_cast_to_RDB_TAN_TABLE_OBJECT() { return nullptr; }
    virtual RDB_TAN_SLACK_TABLE_OBJECT* dynamic_cast_to_RDB_TAN_SLACK_TABLE_OBJECT() { return nullptr; }
    const RDB_TAN_TABLE_OBJECT* dynamic_cast_to_RDB_TAN_TABLE_OBJECT() const
    {
        return const_cast<RDB_OBJECT*>(this)->dynamic_cast_to_RDB_TAN_TABLE_OBJECT();
    }
    const RDB_TAN_SLACK_TABLE_OBJECT* dynamic_cast_to_RDB_TAN_SLACK_TABLE_OBJECT() const
    {
        return const_cast<RDB_OBJECT*>(this)->dynamic_cast_to_RDB_TAN_SLACK_TABLE_OBJECT();
    }
    virtual RDB_FOLDER_OBJECT* dynamic_cast_to_RDB_FOLDER_OBJECT() { return nullptr; }
    const RDB_FOLDER_OBJECT* dynamic_cast_to_RDB_FOLDER_OBJECT() const
    {
        return const_cast<RDB_OBJECT*>(this)->dynamic_cast_to_RDB_FOLDER_OBJECT();
    }

    // The kind name the writers use: "folder", "text", "legal", "table",
    // "tan_spd_table", "tan_slack_table", "summary", "chart", "embedded",
    // "waveform", "gauges"; "object" for a plain RDB_OBJECT.
    virtual const char* get_kind() const { return "object"; }

    // The folder, summary table or report store that owns the object; null
    // while nobody does. Objects the report holds directly (its main folder
    // and its unplaced objects) name the report's store, of kind "report".
    RDB_OBJECT* get_owner() { return m_owner; }
    const RDB_OBJECT* get_owner() const { return m_owner; }

    // Calls the visitor's visit for the object's own class.
    virtual void accept(RDB_OBJECT_VISITOR& visitor) const;

private:
    friend class RDB_FOLDER_OBJECT;
    friend class RDB_REPORT;
    friend class RDB_SUMMARY_TABLE_OBJECT;

    STL_STRING m_name;
    STL_STRING m_creator;
    std::optional<STL_STRING> m_header;
    std::optional<STL_STRING> m_footer;
    RDB_OBJECT* m_owner = nullptr;
    bool m_enabled = true;
    bool m_placeable = true;  // false only for the report's store
};
