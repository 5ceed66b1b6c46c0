"""The Python example of README.md prints what the README shows."""
import os
import re
import subprocess
import sys

from conftest import EXAMPLES

SOURCE = os.path.dirname(EXAMPLES)


def test_readme_example_prints_what_it_shows():
    readme = open(os.path.join(SOURCE, "README.md")).read()
    found = re.search(r"\n```python\n(.*?)```\n\nprints\n\n((?:    [^\n]*\n)+)", readme, re.S)
    assert found, "no Python example in README.md"
    run = subprocess.run([sys.executable, "-c", found.group(1)], cwd=SOURCE, capture_output=True, text=True)
    assert run.returncode == 0, run.stderr
    assert run.stdout == "".join(line[4:] + "\n" for line in found.group(2).splitlines())
