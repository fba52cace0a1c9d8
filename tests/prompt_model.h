// A reference model of scrivet-prompt, for the randomized tests and the
// fuzzers: the entries are a std::vector, the input is read by hand the way
// the stream extraction operators of the C locale read it, and the whole
// expected output is built in one string. Also a generator of random
// sessions.

#ifndef SCRIVET_TESTS_PROMPT_MODEL_H_
#define SCRIVET_TESTS_PROMPT_MODEL_H_

#include <string>
#include <string_view>

#include "random_input.h"

namespace model {

// Everything scrivet-prompt writes for input.
std::string promptOutput(std::string_view input);

// A random scrivet-prompt session: command words and others separated by
// every kind of white space, numbers good and bad, and texts of any bytes.
std::string promptSession(Rng& rng);

}  // namespace model

#endif  // SCRIVET_TESTS_PROMPT_MODEL_H_
