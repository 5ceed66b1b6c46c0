// The report files the tool reads, from its FILE arguments: a directory
// stands for every report file below it (*.xml, *.xml.gz, *.xml.zst,
// *.xml.xz), found recursively and taken in sorted order, so that the same
// tree always gives the same order; "-" stands for standard input; anything
// else is taken as given (a file that cannot be read fails on its own). A
// directory with no report file below it stays an input of its own, which
// fails: a mistyped run directory must not pass as "every file was good".
#pragma once

#include <string>
#include <vector>

struct RDBXML_INPUT_FILE {
    std::string name;  // as given or as found below a directory; "-" for standard input
    bool from_stdin = false;
    bool empty_directory = false;  // a directory argument with no report file below it
};

std::vector<RDBXML_INPUT_FILE> rdbxml_expand_inputs(const std::vector<std::string>& arguments);
