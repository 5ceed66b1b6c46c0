"""One point of the malloc sweep over the Python module: parses a report and
walks it, with memory running out at one allocation on the way (the shim
tests/oom/fail_malloc.c, loaded with LD_PRELOAD), then does it again with
memory back. Prints one line:

    <first outcome> <first calls> <last calls> <objects walked the second time>

where the outcome is "whole:<objects>", "memory" (MemoryError), or
"parse-error:<message>", and the calls delimit the part of the run swept:
the driver fails the allocations between them. They count from the mark
set just before the work: the interpreter's start-up does not allocate
the same number of times on every run.
"""
import ctypes
import sys

import rdbxml

shim = ctypes.CDLL(None)
calls = shim.rdbxml_fail_malloc_calls
calls.restype = ctypes.c_ulong
mark = shim.rdbxml_fail_malloc_mark
mark.restype = ctypes.c_ulong


def parse_and_walk(path):
    report = rdbxml.parse(path)
    objects = 0
    for _path, obj in report.walk():
        objects += 1
        obj.name
    return objects


def main(path):
    outcome = None
    error = None
    base = mark()
    first = calls() - base
    try:
        outcome = parse_and_walk(path)
    except MemoryError:
        outcome = -1
    except rdbxml.ParseError as exc:
        error = exc
    last = calls() - base
    again = parse_and_walk(path)
    if error is not None:
        first_outcome = "parse-error:" + str(error).replace("\n", " ")
    elif outcome == -1:
        first_outcome = "memory"
    else:
        first_outcome = "whole:%d" % outcome
    print(first_outcome, first, last, again)


main(sys.argv[1])
