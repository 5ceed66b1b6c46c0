# The project's version: the main build and the fuzz build (fuzz/) both read
# it here, before project(), so the parser reports the same version in each.
set(RDBXML_VERSION 2.0.0)
