// What the randomized tests print when a program and its model part: short
// enough to read in one screen, and enough to replay.

#ifndef SCRIVET_TESTS_FIRST_DIFFERENCE_H_
#define SCRIVET_TESTS_FIRST_DIFFERENCE_H_

#include <cstdint>
#include <functional>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>

#include "random_input.h"

namespace model {

// What a program, or its model, writes for an input.
using Output = std::function<std::string(std::string_view input)>;

// A command loop, as both programs have one.
using Run = int (*)(std::istream& in, std::ostream& out, std::ostream& err);

// What run writes to its output for an input, followed, when it does not
// return 0, by a line with the status and what it wrote to its error stream.
Output outputOf(Run run);

// The first output line in which got and want differ, each labelled;
// empty when they are the same.
std::string firstDifferingLine(std::string_view got, std::string_view want,
                               std::string_view gotLabel = "program",
                               std::string_view wantLabel = "model");

// Where program and expected part on session: the seed, the input lines up
// to one after which they write differently while they agree on the lines
// before it (found by halving; at most 20 lines are shown, the earlier ones
// elided with a count), and the first output line that differs. Bytes
// outside printable ASCII are escaped. Empty when they write the same for
// the whole session.
std::string firstDifference(std::uint64_t seed, std::string_view session, const Output& program,
                            const Output& expected);

// The report of firstDifference for the first of the sessions that
// generate makes from the seeds 1 to seeds on which program and expected
// differ; empty when they agree on all of them.
std::string firstFailingSession(std::uint64_t seeds,
                                const std::function<std::string(Rng&)>& generate,
                                const Output& program, const Output& expected);

}  // namespace model

#endif  // SCRIVET_TESTS_FIRST_DIFFERENCE_H_
