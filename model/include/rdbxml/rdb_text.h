// Text and legal-notice objects: a report object with one body text.
#pragma once

#include <rdbxml/rdb_object.h>

class RDB_TEXT_OBJECT : public RDB_OBJECT {
    RDB_MEMORY_MANAGED

    explicit RDB_TEXT_OBJECT(const STL_STRING& name);
    ~RDB_TEXT_OBJECT() override;

    // The body text, or null while there is none. It is the very string
    // given to add_text: writes through that pointer are the object's text.
    STL_STRING* get_text() const { return m_text; }
    // Keeps `text` itself (no copy). True: the object owns the string from
    // now on and has released the earlier string it owned; the string is
    // released with mem_delete and the tag "RDB_XML", so it must come from
    // MEM_NEW, mem_new or new, and be given to one object only. The same
    // string again changes nothing; null releases the earlier string and
    // leaves the object without text. Keeping a string needs no memory, so
    // there is nothing to refuse: the result is always true.
    bool add_text(STL_STRING* text);

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
