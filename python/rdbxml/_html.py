"""How a notebook shows a report, a table and a summary: small HTML of plain
elements, with no script and no style sheet of its own (the notebook's own
styles its tables). Every text of the report is escaped. A table shows its
first ROWS data rows and says how many more it has, so that a table of a
million rows costs the notebook a page; the page the tool writes (--html)
holds every row and a script to page them, too much for a notebook cell.
The functions are the classes' methods _repr_html_ (rdbxml/__init__.py)."""
from html import escape

ROWS = 50  # the data rows a table shows
OBJECTS = 50  # the objects a report lists


def _more(count, what):
    return '<p><em>\u2026 %d more %s</em></p>' % (count, what) if count > 0 else ""


def _caption(obj):
    return "<caption>%s %s</caption>" % (escape(obj.kind), escape(obj.path))


def _cell(table, row, column):
    """One data cell: its text as the report shows it, numbers to the right,
    its colours (the model's '#rrggbb', nothing of the report's own)."""
    cell = table.cell(row, column)
    if cell is None:
        return "<td></td>"
    styles = []
    if cell.kind in ("int", "delay"):
        styles.append("text-align: right")
    if cell.foreground is not None:
        styles.append("color: " + cell.foreground)
    if cell.background is not None:
        styles.append("background: " + cell.background)
    style = ' style="%s"' % "; ".join(styles) if styles else ""
    return "<td%s>%s</td>" % (style, escape(cell.text))


def table_html(self):
    """The table's heading row and its first ROWS data rows."""
    rows = self.rows
    shown = rows[:ROWS]
    parts = ["<div><table>", _caption(self)]
    if self.heading is not None:
        parts.append("<thead><tr>%s</tr></thead>" % "".join("<th>%s</th>" % escape(t) for t in self.heading))
    parts.append("<tbody>")
    for r, values in enumerate(shown):
        parts.append("<tr>%s</tr>" % "".join(_cell(self, r, c) for c in range(len(values))))
    parts.append("</tbody></table>")
    parts.append(_more(len(rows) - len(shown), "rows"))
    parts.append("</div>")
    return "".join(parts)


def _gauge_value(gauge):
    """A gauge's value as the tree and repr() show it: a percent gauge as
    where it stands in its range, a whole percent without a decimal and any
    other with one, so that a rounded share never reads as an exact one."""
    share = gauge.percent_of_range
    if not gauge.percent or share is None:
        return str(gauge.value)
    text = ("%.0f" if share == int(share) else "%.1f") % share
    return (text[1:] if text in ("-0", "-0.0") else text) + "%"


def gauges_html(self):
    """Each gauge with its value and range, in slot order."""
    parts = ["<table><thead><tr><th>Gauge</th><th>Value</th><th>Range</th></tr></thead><tbody>"]
    for gauge in self.slots:
        if gauge is None:
            continue
        name = escape(gauge.name) + (" <em>(disabled)</em>" if gauge.disabled else "")
        parts.append('<tr><td>%s</td><td style="text-align: right">%s</td><td>%d to %d</td></tr>'
                     % (name, escape(_gauge_value(gauge)), gauge.min, gauge.max))
    parts.append("</tbody></table>")
    return "".join(parts)


def summary_html(self):
    """The summary's rows, then its gauges."""
    gauges = self.gauges
    return table_html(self)[: -len("</div>")] + (gauges_html(gauges) if gauges is not None else "") + "</div>"


def _count(count, what):
    return "%d %s%s" % (count, what, "" if count == 1 else "s")


def _size(obj):
    if hasattr(obj, "rows"):
        return _count(len(obj.rows), "row")
    if hasattr(obj, "objects"):
        return _count(len(obj.objects), "object")
    if hasattr(obj, "slots"):
        return _count(sum(g is not None for g in obj.slots), "gauge")
    return ""


def report_html(self):
    """The report's file and its first OBJECTS objects: path, kind, size."""
    parts = ["<div><p><strong>%s</strong>" % escape(self.file)]
    warnings = len(self.diagnostics)
    if warnings:
        parts.append(" (%s)" % _count(warnings, "warning"))
    parts.append("</p><table><thead><tr><th>Path</th><th>Kind</th><th>Size</th></tr></thead><tbody>")
    count = 0
    for path, obj in self.walk():
        count += 1
        if count <= OBJECTS:
            parts.append("<tr><td>%s</td><td>%s</td><td>%s</td></tr>" % (escape(path), escape(obj.kind), _size(obj)))
    parts.append("</tbody></table>")
    parts.append(_more(count - OBJECTS, "objects"))
    parts.append("</div>")
    return "".join(parts)
