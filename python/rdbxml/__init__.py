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
import functools

from . import _rdbxml
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


def _by_name(function):  # type: ignore[no-untyped-def]
    """`function` of the extension as a function of this package. A compiled
    function is a method of a capsule, and pickle takes it as that capsule,
    which cannot be pickled: so a process pool or a Dask worker could not be
    handed parse. A Python function pickles by its name, rdbxml.parse."""

    @functools.wraps(function)
    def call(*args, **kwargs):  # type: ignore[no-untyped-def]
        return function(*args, **kwargs)

    call.__module__ = __name__
    call.__qualname__ = function.__name__
    return call


parse = _by_name(_rdbxml.parse)
parse_bytes = _by_name(_rdbxml.parse_bytes)


class ParseError(ValueError):
    """A report that was refused. `diagnostics` holds every warning and error
    of the parse (severity, file, line, column, message); str() is the first
    error. A ValueError: the input's content is what is wrong. It pickles
    with its diagnostics, as a process pool hands it back."""

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
    "parse",
    "parse_bytes",
]
