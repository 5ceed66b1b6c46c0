"""The stubs' signatures against the module's. mypy.stubtest (the CTest
PythonStubs) checks that stubs and module name the same things, but cannot
read the signature of a compiled function; pybind11 writes it as the first
line of the docstring, which is compared here: names, order, kinds and
defaults of the parameters. The package's functions are Python wrappers of
the compiled ones: what inspect reads of them is held to the stubs too, so
that wrapper, stubs and extension cannot drift apart."""
import ast
import inspect
import os
import subprocess
import sys

import rdbxml

STUBS = os.path.join(os.path.dirname(rdbxml.__file__), "__init__.pyi")
PACKAGE_DIR = os.path.dirname(os.path.dirname(rdbxml.__file__))


def parameters(args):
    """A signature's parameters: (name, keyword-only, default or ...)."""
    positional = args.posonlyargs + args.args
    defaults = [...] * (len(positional) - len(args.defaults)) + [ast.literal_eval(d) for d in args.defaults]
    shape = [(a.arg, False, d) for a, d in zip(positional, defaults)]
    shape += [(a.arg, True, ... if d is None else ast.literal_eval(d)) for a, d in zip(args.kwonlyargs, args.kw_defaults)]
    return shape


def runtime_parameters(function):
    first = function.__doc__.splitlines()[0]
    inside = first[first.index("(") + 1 : first.rindex(") ->")]
    return parameters(ast.parse("def f(%s): pass" % inside).body[0].args)


def stubbed_functions():
    """(runtime function, stub definition) of every function and method the
    stubs give, but properties, comparisons and what Python defines."""
    for node in ast.parse(open(STUBS).read()).body:
        if isinstance(node, ast.FunctionDef):
            yield getattr(rdbxml._rdbxml, node.name), node
        elif isinstance(node, ast.ClassDef) and node.name != "ParseError" and not node.name.startswith("_"):
            for item in node.body:
                if isinstance(item, ast.FunctionDef) and not item.decorator_list:
                    if item.name == "__init__" or not item.name.startswith("__"):
                        yield getattr(getattr(rdbxml, node.name), item.name), item


def test_stub_signatures_match_the_module():
    checked = 0
    for function, stub in stubbed_functions():
        if inspect.isfunction(function):
            continue  # Python's own: stubtest reads its signature
        assert parameters(stub.args) == runtime_parameters(function), stub.name
        checked += 1
    assert checked >= 8


def test_inspect_reads_the_stubs_signatures():
    """inspect.signature (help(), a notebook's completion) of every function
    the package exports and of every class Python makes (those the stubs
    give an __init__; the others only a parse makes)."""
    stubs = {node.name: node for node in ast.parse(open(STUBS).read()).body
             if isinstance(node, (ast.FunctionDef, ast.ClassDef))}
    checked = []
    for name in rdbxml.__all__:
        stub = stubs[name]
        if isinstance(stub, ast.ClassDef):
            stub = next((i for i in stub.body if isinstance(i, ast.FunctionDef) and i.name == "__init__"), None)
            if stub is None:
                continue
        expected = parameters(stub.args)[isinstance(stubs[name], ast.ClassDef):]  # a class's without self
        signature = inspect.signature(getattr(rdbxml, name))
        kinds = inspect.Parameter
        got = [(p.name, p.kind == kinds.KEYWORD_ONLY, ... if p.default is kinds.empty else p.default)
               for p in signature.parameters.values()]
        assert got == expected, name
        checked.append(name)
    assert checked == ["Delay", "Hierarchy", "Index", "ParseError", "metrics", "parse", "parse_bytes"]


def test_to_pandas_is_typed_as_a_data_frame(tmp_path):
    """What a checker that knows pandas (pandas-stubs) makes of to_pandas().
    Debian's pandas has no types of its own: a stub stands in for it."""
    (tmp_path / "stubs" / "pandas").mkdir(parents=True)
    (tmp_path / "stubs" / "pandas" / "__init__.pyi").write_text("class DataFrame: ...\n")
    (tmp_path / "use.py").write_text(
        "import rdbxml\n"
        "def frames(table: rdbxml.Table, gauges: rdbxml.Gauges) -> None:\n"
        "    reveal_type(table.to_pandas())\n"
        "    reveal_type(gauges.to_pandas())\n")
    run = subprocess.run([sys.executable, "-m", "mypy", "--no-incremental", str(tmp_path / "use.py")], cwd=tmp_path,
                         env=dict(os.environ, MYPYPATH=os.pathsep.join([str(tmp_path / "stubs"), PACKAGE_DIR]),
                                  MYPY_CACHE_DIR=os.devnull),
                         capture_output=True, text=True)
    assert run.stdout.count('Revealed type is "pandas.DataFrame"') == 2, run.stdout + run.stderr
