"""Report description files (XML: plain, gzip, zstd or xz) read into Python objects.

    import rdbxml
    report = rdbxml.parse("report.xml", hierarchy="hierarchy.txt")
    for path, obj in report.walk():
        if isinstance(obj, rdbxml.Table):
            print(path, obj.heading, len(obj.rows))

parse() and parse_bytes() return a Report or raise ParseError. Every object
taken from a report keeps the report alive; rows, cells, delays and gauges
are plain values. A Hierarchy is loaded once and serves any number of
parses, on any threads:

    design = rdbxml.Hierarchy("hierarchy.txt")
    reports = [rdbxml.parse(f, hierarchy=design) for f in files]
"""
import inspect
import os
import sqlite3

from . import _html, _rdbxml
from ._rdbxml import (
    Cell,
    Chart,
    Delay,
    Diagnostic,
    Embedded,
    Folder,
    Gauge,
    Gauges,
    Hierarchy,
    Legal,
    Object,
    Report,
    RowIterator,
    Rows,
    SlackTable,
    SpeedTable,
    Summary,
    Table,
    Text,
    TimingTable,
    Waveform,
    __version__,
)


def _documented_by(compiled):
    """Gives a wrapper the text of the compiled function it calls, without
    the signature line pybind11 puts first (the wrapper has its own)."""

    def document(wrapper):
        wrapper.__doc__ = compiled.__doc__.split("\n", 2)[-1].lstrip("\n")
        return wrapper

    return document


# The module's functions are Python functions over the compiled ones, for
# two reasons. A compiled function is a method of a capsule, which pickle
# cannot take, so a process pool or a Dask worker could not be handed
# parse; a Python function pickles by its name, rdbxml.parse. And inspect
# (help(), a notebook's completion) cannot read a compiled function's
# signature. Their names and defaults are the extension's: test_stubs.py
# holds wrappers, stubs and extension to one another.
@_documented_by(_rdbxml.parse)
def parse(path, hierarchy=None, schema=False, *, namespaces=True, static_buffers=True, dead_parser=False,
          strict=False):
    return _rdbxml.parse(path, hierarchy, schema, namespaces=namespaces, static_buffers=static_buffers,
                         dead_parser=dead_parser, strict=strict)


@_documented_by(_rdbxml.parse_bytes)
def parse_bytes(data, hierarchy=None, schema=False, *, name="<memory>", namespaces=True, static_buffers=True,
                dead_parser=False, strict=False):
    return _rdbxml.parse_bytes(data, hierarchy, schema, name=name, namespaces=namespaces,
                               static_buffers=static_buffers, dead_parser=dead_parser, strict=strict)


@_documented_by(_rdbxml.metrics)
def metrics(report, cells=False):
    return _rdbxml.metrics(report, cells)


def _signature(*parameters, **defaults):
    """A constructor's signature for inspect: `parameters` positional or by
    keyword, then those of `defaults`."""
    kind = inspect.Parameter.POSITIONAL_OR_KEYWORD
    return inspect.Signature([inspect.Parameter(p, kind) for p in parameters] +
                             [inspect.Parameter(p, kind, default=d) for p, d in defaults.items()])


Delay.__signature__ = _signature("ps", unit="ps")
Hierarchy.__signature__ = _signature("path")

# What a notebook shows for them (IPython calls _repr_html_).
Report._repr_html_ = _html.report_html
Table._repr_html_ = _html.table_html
Summary._repr_html_ = _html.summary_html
Gauges._repr_html_ = _html.gauges_html


class Index:
    """An index of many runs: the SQLite database `rdbxml index` keeps (made
    when it does not exist), for questions over all of them.

        index = rdbxml.Index("runs.db")
        index.add(glob.glob("runs/*/report.xml"), jobs=4)
        index.query("SELECT label, value FROM gauge_trend WHERE name = ?", ("Logic elements",))

    A second writer waits for the first up to `wait` seconds, then OSError.
    Any write the database refuses (read-only, disk full) is an OSError naming
    it, and leaves the database as it was."""

    def __init__(self, path: "str | os.PathLike[str]", wait: float = 60.0) -> None:
        self.path = os.fspath(path)
        self._db = _rdbxml._Index(path, wait)

    def add(self, paths, jobs=None, cells=False, strict=False):
        """Indexes report files as `rdbxml index` does: `paths` is a path or a
        list of them, a directory standing for every *.xml, *.xml.gz,
        *.xml.zst and *.xml.xz below it. A file with the size and
        modification time it was indexed with is not read again; the others
        are parsed on `jobs` threads (None: one per core) without the GIL,
        each written in one transaction. A run is labelled with its path as
        given, or below the directory it was found in, and timed by the
        file's modification time. `cells` keeps every cell; `strict` makes a
        file with warnings a failed run. What became of each file, in order:
        {"file", "outcome" ("indexed", "unchanged", "failed", "not read"),
        "error", "warnings"}."""
        if isinstance(paths, (str, bytes, os.PathLike)):
            paths = [paths]
        files, empty = [], {}  # empty: a directory without reports, by the files before it
        for path in paths:
            if os.path.isdir(path):
                found = _report_files_below(path)
                if not found:
                    message = "no report file below this directory (*.xml, *.xml.gz, *.xml.zst, *.xml.xz)"
                    empty.setdefault(len(files), []).append(
                        {"file": path, "outcome": "not read", "error": "%s: error: %s" % (os.fsdecode(path), message),
                         "warnings": 0})
                files += [(file, os.path.relpath(file, path)) for file in found]
            else:
                files.append((path, None))
        indexed = self._db.add(files, 0 if jobs is None else jobs, cells, strict)
        told = []
        for i in range(len(indexed) + 1):
            told += empty.get(i, []) + indexed[i : i + 1]
        return told

    def put(self, file, result, label=None, time=None):
        """Writes the run of `file` from what was made of it elsewhere (a
        process pool, a Dask worker): the dict of rdbxml.metrics(file), or
        the ParseError it raised (a failed run with its first error),
        replacing what the file had, in one transaction. The file's size and
        modification time are those metrics saw, else the file's now.
        `label` defaults to `file` as given, `time` (as `rdbxml index
        --time` reads it) to the modification time."""
        self._db.put(file, result, label, time)

    def query(self, sql, parameters=()):
        """The rows of an SQL query on the database (read-only): a pandas
        DataFrame when pandas can be imported, else a list of tuples."""
        connection = sqlite3.connect("file:%s?mode=ro" % _uri_path(self.path), uri=True)
        try:
            try:
                import pandas
            except ImportError:
                return connection.execute(sql, parameters).fetchall()
            return pandas.read_sql_query(sql, connection, params=parameters)
        finally:
            connection.close()

    def runs(self):
        """Every run in time order (ties by label), each a dict of its columns
        in the runs table."""
        connection = sqlite3.connect("file:%s?mode=ro" % _uri_path(self.path), uri=True)
        try:
            cursor = connection.execute("SELECT * FROM runs ORDER BY time, label")
            names = [column[0] for column in cursor.description]
            return [dict(zip(names, row)) for row in cursor.fetchall()]
        finally:
            connection.close()

    def __repr__(self) -> str:
        return "<rdbxml.Index %r>" % self.path


_REPORT_SUFFIXES = (".xml", ".xml.gz", ".xml.zst", ".xml.xz")


def _report_files_below(directory):
    """The report files below `directory` in the order of their paths' bytes,
    as the tool takes them: subdirectories that are links not followed."""
    found = []
    for root, _, names in os.walk(directory):
        found += [os.path.join(root, n) for n in names
                  if any(len(n) > len(s) and n.endswith(s) for s in _REPORT_SUFFIXES)
                  and os.path.isfile(os.path.join(root, n))]
    return sorted(found, key=os.fsencode)


def _uri_path(path: str) -> str:
    """A file's path as an SQLite URI's path: '?' and '#' and '%' escaped."""
    from urllib.parse import quote

    return quote(os.path.abspath(path))


class ParseError(ValueError):
    """A report that was refused. `diagnostics` holds every warning and error
    of the parse (severity, file, line, column, message; the first hundred
    of each kind), `warnings` how many warnings it had in all; str() is the
    first error. A ValueError: the input's content is what is wrong. It
    pickles with its diagnostics, as a process pool hands it back."""

    def __init__(self, message: str, diagnostics: "list[Diagnostic]") -> None:
        super().__init__(message)
        self.diagnostics = diagnostics

    def __reduce__(self) -> "tuple[type, tuple[str, list[Diagnostic]], dict[str, object]]":
        # The exception's own would call the class with the message alone.
        return (type(self), (str(self), self.diagnostics), self.__dict__)


__all__ = [
    "Cell",
    "Chart",
    "Delay",
    "Diagnostic",
    "Embedded",
    "Folder",
    "Gauge",
    "Gauges",
    "Hierarchy",
    "Index",
    "Legal",
    "Object",
    "ParseError",
    "Report",
    "RowIterator",
    "Rows",
    "SlackTable",
    "SpeedTable",
    "Summary",
    "Table",
    "Text",
    "TimingTable",
    "Waveform",
    "metrics",
    "parse",
    "parse_bytes",
]
