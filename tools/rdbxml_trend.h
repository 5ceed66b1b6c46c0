// `rdbxml trend DB SELECTOR...`: values followed over the runs of an index.
#pragma once

// argv[0] is "trend". Returns the exit status, as the main tool's.
int rdbxml_trend_main(int argc, char** argv);
