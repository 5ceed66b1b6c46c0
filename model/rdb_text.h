// Text and legal-notice objects: a report object with one body text.
#pragma once

#include "rdb_object.h"

class RDB_TEXT_OBJECT : public RDB_OBJECT {
    RDB_MEMORY_MANAGED

    explicit RDB_TEXT_OBJECT(const STL_STRING& name);
    ~RDB_TEXT_OBJECT() override;

    // The body text, or null while there is none. It is the very string
    // given to add_text: writes through that pointer are the object's text.
    STL_STRING* get_text() const { return m_text; }
    // Keeps `text` itself (no copy) and owns it; it is released with
    // mem_delete and the tag "RDB_XML", so it must come from MEM_NEW,
    // mem_new or new. A second call releases the earlier string (giving the
    // same string again changes nothing; null leaves the object without text).
    void add_text(STL_STRING* text);

    const char* get_kind() const override { return "text"; }
    void accept(RDB_OBJECT_VISITOR& visitor) const override;

private:
    STL_STRING* m_text = nullptr;
};

class RDB_LEGAL_OBJECT : public RDB_TEXT_OBJECT {
    RDB_MEMORY_MANAGED

    explicit RDB_LEGAL_OBJECT(const STL_STRING& name);

    const char* get_kind() const override { return "legal"; }
    void accept(RDB_OBJECT_VISITOR& visitor) const override;
};
