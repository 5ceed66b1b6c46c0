// `rdbxml diff OLD NEW`: what changed between two reports, as text, JSON
// lines or a web page; the exit status as diff(1) gives it.
#pragma once

// `argv[0]` is "diff". Returns the exit status: 0 the reports are the same,
// 1 they differ, 2 trouble (usage, a file that gives no report, an output
// that cannot be written).
int rdbxml_diff_main(int argc, char** argv);
