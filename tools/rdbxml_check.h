// `rdbxml check --fail-if RULE FILE...`: a pass or fail for CI, with only
// the rows that break a rule printed, and a JUnit report for the CI's view.
#pragma once

// `argv[0]` is "check". Returns the exit status: 0 every rule holds in
// every file, 1 some rule fails or some file gave no report (or an output
// could not be written), 2 usage (a rule that is wrong, whatever the files).
int rdbxml_check_main(int argc, char** argv);
