#ifndef SCRIVET_PROMPT_COMMAND_LOOP_H_
#define SCRIVET_PROMPT_COMMAND_LOOP_H_

#include <istream>
#include <ostream>

namespace scrivet_prompt {

// Greets, then reads white-space-separated command words from in until the
// word "quit" or the end of input, and writes listings to out. Returns the
// exit status: 0, or 1 when out fails (the reason then goes to standard
// error and nothing more is read) or memory runs out.
int run(std::istream& in, std::ostream& out);

}  // namespace scrivet_prompt

#endif  // SCRIVET_PROMPT_COMMAND_LOOP_H_
