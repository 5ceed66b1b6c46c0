// RDB_CHART_TABLE_OBJECT: a table of named integer data points with a chart
// type, axis labels and a display-labels flag.
#pragma once

#include <string_view>
#include <vector>

#include <rdbxml/rdb_table.h>

// One data point of a chart: its label and its value.
struct RDB_CHART_POINT {
    std::string_view label;
    int value;
};

class RDB_CHART_TABLE_OBJECT : public RDB_TABLE_OBJECT {
    RDB_MEMORY_MANAGED

    // A new chart has no rows, the type bar, empty axis labels and labels
    // off. `size` is kept as given (the number of data points the chart is
    // meant to show).
    RDB_CHART_TABLE_OBJECT(const STL_STRING& name, int size);

    using RDB_TABLE_OBJECT::add_row;
    // Appends a row of a string cell holding `name` and an int cell holding
    // `value`. True: the row is appended. False: memory ran out; nothing is
    // appended and what was made for the row is released.
    bool add_row(const STL_STRING& name, int value);

    int get_size() const { return m_size; }

    // A type outside the enumeration is ignored.
    void set_default_chart_type(RDB_CHART_TABLE_OBJECT_CHART_TYPES_ENUM type);
    RDB_CHART_TABLE_OBJECT_CHART_TYPES_ENUM get_default_chart_type() const { return m_chart_type; }

    void set_x_axis(const STL_STRING& label) { m_x_axis = label; }
    void set_y_axis(const STL_STRING& label) { m_y_axis = label; }
    const STL_STRING& get_x_axis() const { return m_x_axis; }
    const STL_STRING& get_y_axis() const { return m_y_axis; }

    void display_labels(bool display) { m_display_labels = display; }
    bool get_display_labels() const { return m_display_labels; }

    // The first row, of empty texts, which the reader adds before any data
    // row; never a data point.
    bool has_heading_row() const override;

    // The data points: each row after the heading row that holds a string
    // cell and an integer cell, in order. The labels point into the chart.
    std::vector<RDB_CHART_POINT> get_points() const;

    const char* get_kind() const override { return "chart"; }
    void accept(RDB_OBJECT_VISITOR& visitor) const override;

private:
    STL_STRING m_x_axis;
    STL_STRING m_y_axis;
    int m_size;
    RDB_CHART_TABLE_OBJECT_CHART_TYPES_ENUM m_chart_type = RDB_CHART_TYPE_BAR;
    bool m_display_labels = false;
};
