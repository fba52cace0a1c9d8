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

// A short reproduction of where program and expected part on session: the
// seed, then the fewest input lines found that still make them write
// differently (the session is cut after the first line where they part,
// then runs of lines it does not need are dropped; at most 20 lines are
// shown, the earlier ones elided with a count), and the first output line
// that differs. Bytes outside printable ASCII are escaped. Empty when they
// write the same for the whole session.
std::string firstDifference(std::uint64_t seed, std::string_view session, const Output& program,
                            const Output& expected);

// The report of firstDifference for the sessions that generate makes from
// the seeds 1 to seeds: of the first ten on which program and expected
// differ, the one that reduces to the fewest lines; empty when they agree
// on all of them.
std::string firstFailingSession(std::uint64_t seeds,
                                const std::function<std::string(Rng&)>& generate,
                                const Output& program, const Output& expected);

}  // namespace model

#endif  // SCRIVET_TESTS_FIRST_DIFFERENCE_H_
