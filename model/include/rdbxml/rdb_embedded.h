// Embedded objects (an info text of a given type) and waveforms (an
// embedded object that also names its source and result vector files).
#pragma once

#include <rdbxml/rdb_object.h>
#include <rdbxml/rdb_types.h>

class RDB_EMBEDDED_OBJECT : public RDB_OBJECT {
    RDB_MEMORY_MANAGED

    // A type outside the enumeration gives RDB_EMBEDDED_TYPE_GENERIC.
    RDB_EMBEDDED_OBJECT(const STL_STRING& name, RDB_EMBEDDED_OBJECT_EMBEDDED_TYPE_ENUM type);

    RDB_EMBEDDED_OBJECT_EMBEDDED_TYPE_ENUM get_embedded_type() const { return m_type; }
    void set_info_str(const STL_STRING& info) { m_info = info; }
    const STL_STRING& get_info_str() const { return m_info; }

    const char* get_kind() const override { return "embedded"; }
    void accept(RDB_OBJECT_VISITOR& visitor) const override;

private:
    STL_STRING m_info;
    RDB_EMBEDDED_OBJECT_EMBEDDED_TYPE_ENUM m_type;
};

class RDB_WAVEFORM_OBJECT : public RDB_EMBEDDED_OBJECT {
    RDB_MEMORY_MANAGED

    // A waveform's embedded type is RDB_EMBEDDED_TYPE_GENERIC.
    RDB_WAVEFORM_OBJECT(const STL_STRING& name, const STL_STRING& source_vector, const STL_STRING& result_vector,
                        bool compare);

    void set_source_vector_file_name(const STL_STRING& name) { m_source_vector = name; }
    void set_result_vector_file_name(const STL_STRING& name) { m_result_vector = name; }
    const STL_STRING& get_source_vector_file_name() const { return m_source_vector; }
    const STL_STRING& get_result_vector_file_name() const { return m_result_vector; }
    // Whether the result vectors are compared against expected ones.
    void set_compare_mode(bool compare) { m_compare = compare; }
    bool get_compare_mode() const { return m_compare; }

    const char* get_kind() const override { return "waveform"; }
    void accept(RDB_OBJECT_VISITOR& visitor) const override;

private:
    STL_STRING m_source_vector;
    STL_STRING m_result_vector;
    bool m_compare;
};
