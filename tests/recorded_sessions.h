// The recorded sessions, for checking the models against them: a pair of
// files NAME.in (standard input) and NAME.out (the exact standard output)
// in SESSIONS_DIR/PROGRAM. programs_test.sh runs them through the built
// programs.

#ifndef SCRIVET_TESTS_RECORDED_SESSIONS_H_
#define SCRIVET_TESTS_RECORDED_SESSIONS_H_

#include <string>
#include <utility>
#include <vector>

#include "first_difference.h"

namespace recorded {

// Each of program's recorded sessions, in the order of their names: the
// path of NAME.in and what it holds.
std::vector<std::pair<std::string, std::string>> inputs(const std::string& program);

// The first of program's recorded sessions whose output write does not
// write, by name and first differing line; empty when it writes every one.
// Fewer than 20 sessions, or an input without its output, is a failure too.
std::string firstDisagreement(const std::string& program, const model::Output& write);

}  // namespace recorded

#endif  // SCRIVET_TESTS_RECORDED_SESSIONS_H_
