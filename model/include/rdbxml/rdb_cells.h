// Table cells: string, integer, delay and instance-name elements.
//
// Cells are the bulk of a large report, so each holds only a vtable pointer,
// its two colours and its value (16 bytes of base; a string cell adds its
// string, the others a number or a pointer). A cell allocates nothing
// beyond itself and, for long texts, its string.
#pragma once

#include <string>
#include <string_view>

#include <rdbxml/rdb_memory.h>
#include <rdbxml/rdb_types.h>
#include <rdbxml/stl_string.h>

class HDB_INSTANCE_NAME;
class RDB_TABLE_ELEMENT_VISITOR;
class RDB_TABLE_STRING_ELEMENT;
class RDB_TABLE_INT_ELEMENT;
class RDB_TABLE_DELAY_ELEMENT;
class RDB_TABLE_INAME_ELEMENT;

// What a cell holds; get_type() gives the same as a name.
enum RDB_TABLE_ELEMENT_KIND : int {
    RDB_CELL_STRING,
    RDB_CELL_INT,
    RDB_CELL_DELAY,
    RDB_CELL_INAME,
};

class RDB_TABLE_ELEMENT {
    RDB_MEMORY_MANAGED

    virtual ~RDB_TABLE_ELEMENT();
    RDB_TABLE_ELEMENT(const RDB_TABLE_ELEMENT&) = delete;
    RDB_TABLE_ELEMENT& operator=(const RDB_TABLE_ELEMENT&) = delete;

    // Value setters every cell takes; cells of another kind ignore them.
    virtual void set_string(const STL_STRING&) {}
    virtual void set_int_element_data(int) {}

    // A colour of 0xRRGGBB. RDB_NO_COLOR, and any value above 0xFFFFFF,
    // is ignored: the colour stays as it was.
    void set_foreground(RDB_RGB_COLOR color);
    void set_background(RDB_RGB_COLOR color);
    bool has_foreground() const { return m_foreground != RDB_NO_COLOR; }
    bool has_background() const { return m_background != RDB_NO_COLOR; }
    // RDB_NO_COLOR while unset.
    RDB_RGB_COLOR get_foreground() const { return m_foreground; }
    RDB_RGB_COLOR get_background() const { return m_background; }

    // "string", "int", "delay" or "iname".
    virtual const char* get_type() const = 0;
    virtual RDB_TABLE_ELEMENT_KIND get_cell_kind() const = 0;
    virtual void accept(RDB_TABLE_ELEMENT_VISITOR& visitor) const = 0;

    // The cell as its own class when it is of that kind, else null:
    // `if (auto* delay = cell->as_delay()) ... delay->get_delay()`.
    // (They ask get_cell_kind, so a cell stays a vtable pointer, two
    // colours and its value.)
    RDB_TABLE_STRING_ELEMENT* as_string();
    const RDB_TABLE_STRING_ELEMENT* as_string() const;
    RDB_TABLE_INT_ELEMENT* as_int();
    const RDB_TABLE_INT_ELEMENT* as_int() const;
    RDB_TABLE_DELAY_ELEMENT* as_delay();
    const RDB_TABLE_DELAY_ELEMENT* as_delay() const;
    RDB_TABLE_INAME_ELEMENT* as_iname();
    const RDB_TABLE_INAME_ELEMENT* as_iname() const;

private:
    // `self` as CELL when it is of KIND, else null (const or not as CELL is).
    template <class CELL, RDB_TABLE_ELEMENT_KIND KIND, class SELF>
    static CELL* cell_as(SELF* self)
    {
        return self->get_cell_kind() == KIND ? static_cast<CELL*>(self) : nullptr;
    }

protected:
    RDB_TABLE_ELEMENT() = default;

private:
    RDB_RGB_COLOR m_foreground = RDB_NO_COLOR;
    RDB_RGB_COLOR m_background = RDB_NO_COLOR;
};

class RDB_TABLE_STRING_ELEMENT : public RDB_TABLE_ELEMENT {
    RDB_MEMORY_MANAGED

    RDB_TABLE_STRING_ELEMENT() = default;
    explicit RDB_TABLE_STRING_ELEMENT(const char* text) : m_string(text) {}
    explicit RDB_TABLE_STRING_ELEMENT(const STL_STRING& text) : m_string(text) {}

    void set_string(const STL_STRING& text) override { m_string = text; }
    const STL_STRING& get_string() const { return m_string; }

    const char* get_type() const override { return "string"; }
    RDB_TABLE_ELEMENT_KIND get_cell_kind() const override { return RDB_CELL_STRING; }
    void accept(RDB_TABLE_ELEMENT_VISITOR& visitor) const override;

private:
    STL_STRING m_string;
};

class RDB_TABLE_INT_ELEMENT : public RDB_TABLE_ELEMENT {
    RDB_MEMORY_MANAGED

    RDB_TABLE_INT_ELEMENT() = default;
    explicit RDB_TABLE_INT_ELEMENT(int data) : m_data(data) {}

    void set_data(int data) { m_data = data; }
    int get_data() const { return m_data; }
    void set_int_element_data(int data) override { m_data = data; }

    const char* get_type() const override { return "int"; }
    RDB_TABLE_ELEMENT_KIND get_cell_kind() const override { return RDB_CELL_INT; }
    void accept(RDB_TABLE_ELEMENT_VISITOR& visitor) const override;

private:
    int m_data = 0;
};

// A cell naming an instance of the hierarchy. The hierarchy owns the
// instance; the cell only points at it. The path as the file wrote it is
// kept too, so that a path no hierarchy resolves (or one read without a
// hierarchy) is not lost.
class RDB_TABLE_INAME_ELEMENT : public RDB_TABLE_ELEMENT {
    RDB_MEMORY_MANAGED

    RDB_TABLE_INAME_ELEMENT() = default;
    ~RDB_TABLE_INAME_ELEMENT() override;

    void set_iname(HDB_INSTANCE_NAME* iname) { m_iname = iname; }
    HDB_INSTANCE_NAME* get_iname() const { return m_iname; }

    // Keeps a copy of `path`; false, with the path as it was, when there is
    // no memory for it. (Held as bare bytes: a report holds many of these.)
    bool set_path(std::string_view path);
    // The path as written; empty when none was.
    std::string_view get_path() const { return std::string_view(m_path != nullptr ? m_path : ""); }

    const char* get_type() const override { return "iname"; }
    RDB_TABLE_ELEMENT_KIND get_cell_kind() const override { return RDB_CELL_INAME; }
    void accept(RDB_TABLE_ELEMENT_VISITOR& visitor) const override;

private:
    HDB_INSTANCE_NAME* m_iname = nullptr;
    char* m_path = nullptr;
};

class RDB_TABLE_DELAY_ELEMENT : public RDB_TABLE_ELEMENT {
    RDB_MEMORY_MANAGED

    // An option outside the enumeration gives RDB_DELAY_DISPLAY_NS.
    RDB_TABLE_DELAY_ELEMENT(long delay, RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM option);

    void set_delay(long delay) { m_delay = delay; }
    long get_delay() const { return m_delay; }
    // An option outside the enumeration is ignored.
    void set_display_option(RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM option);
    RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM get_display_option() const { return m_option; }

    const char* get_type() const override { return "delay"; }
    RDB_TABLE_ELEMENT_KIND get_cell_kind() const override { return RDB_CELL_DELAY; }
    void accept(RDB_TABLE_ELEMENT_VISITOR& visitor) const override;

private:
    long m_delay;
    RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM m_option = RDB_DELAY_DISPLAY_NS;
};

// RDB_TABLE_ELEMENT's as_*, here where the cell classes are complete.
inline RDB_TABLE_STRING_ELEMENT* RDB_TABLE_ELEMENT::as_string()
{
    return cell_as<RDB_TABLE_STRING_ELEMENT, RDB_CELL_STRING>(this);
}
inline const RDB_TABLE_STRING_ELEMENT* RDB_TABLE_ELEMENT::as_string() const
{
    return cell_as<const RDB_TABLE_STRING_ELEMENT, RDB_CELL_STRING>(this);
}
inline RDB_TABLE_INT_ELEMENT* RDB_TABLE_ELEMENT::as_int() { return cell_as<RDB_TABLE_INT_ELEMENT, RDB_CELL_INT>(this); }
inline const RDB_TABLE_INT_ELEMENT* RDB_TABLE_ELEMENT::as_int() const
{
    return cell_as<const RDB_TABLE_INT_ELEMENT, RDB_CELL_INT>(this);
}
inline RDB_TABLE_DELAY_ELEMENT* RDB_TABLE_ELEMENT::as_delay()
{
    return cell_as<RDB_TABLE_DELAY_ELEMENT, RDB_CELL_DELAY>(this);
}
inline const RDB_TABLE_DELAY_ELEMENT* RDB_TABLE_ELEMENT::as_delay() const
{
    return cell_as<const RDB_TABLE_DELAY_ELEMENT, RDB_CELL_DELAY>(this);
}
inline RDB_TABLE_INAME_ELEMENT* RDB_TABLE_ELEMENT::as_iname()
{
    return cell_as<RDB_TABLE_INAME_ELEMENT, RDB_CELL_INAME>(this);
}
inline const RDB_TABLE_INAME_ELEMENT* RDB_TABLE_ELEMENT::as_iname() const
{
    return cell_as<const RDB_TABLE_INAME_ELEMENT, RDB_CELL_INAME>(this);
}

// Delays are held in picoseconds. The text a delay is shown as under a
// display option: ns as nanoseconds with three decimals ("-0.120 ns"), ps as
// whole picoseconds ("2500 ps"), mhz as the frequency of that period with
// one decimal ("400.0 MHz" for 2500). A delay of 0 or less has no
// frequency and is shown in picoseconds; an option outside the enumeration
// is taken as ns.
std::string rdb_format_delay(long delay, RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM option);
// The number alone, in the unit of `option` ("-0.120", "2500", "400.0");
// false, with `number` as it was, for a delay of 0 or less in MHz.
bool rdb_format_delay_in_unit(long delay, RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM option, std::string& number);
// "ns", "ps" or "MHz"; "ns" for an option outside the enumeration.
const char* rdb_delay_unit(RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM option);

// A cell as people read it, the one form the text, JSON and HTML writers
// share: a string cell's text as it is; an integer in decimal; a delay in
// its display unit (rdb_format_delay); an instance name as the path of the
// instance it resolved to, else the path as the file wrote it, else empty.
std::string rdb_cell_text(const RDB_TABLE_ELEMENT& cell);
// The same, appended to `out`.
void rdb_append_cell_text(std::string& out, const RDB_TABLE_ELEMENT& cell);
// True for the cells whose text is a number (integers and delays), which
// columns align to the right.
bool rdb_cell_is_numeric(const RDB_TABLE_ELEMENT& cell);

// One visit per cell class.
class RDB_TABLE_ELEMENT_VISITOR {
public:
    virtual ~RDB_TABLE_ELEMENT_VISITOR() = default;
    virtual void visit(const RDB_TABLE_STRING_ELEMENT& cell) = 0;
    virtual void visit(const RDB_TABLE_INT_ELEMENT& cell) = 0;
    virtual void visit(const RDB_TABLE_INAME_ELEMENT& cell) = 0;
    virtual void visit(const RDB_TABLE_DELAY_ELEMENT& cell) = 0;
};
