#ifndef SCRIVET_PROMPT_COMMAND_LOOP_H_
#define SCRIVET_PROMPT_COMMAND_LOOP_H_

#include <istream>
#include <ostream>

namespace scrivet_prompt {

// Greets, then reads white-space-separated command words from in until the
// word "quit" or the end of input, and writes listings to out. Returns the
// exit status: 0 when the session ended as above; 1 when in cannot be read,
// out cannot be written or memory runs out, after writing one line that
// says so to err ("scrivet-prompt: read error: REASON", "scrivet-prompt:
// write error: REASON", "scrivet-prompt: out of memory"), and then nothing
// more is read.
//
// It reads in's buffer through a stream of its own, so in's state and
// exception mask are left as they were. A buffer that has already failed
// (in's badbit) is a read error, after the greeting; failbit and eofbit
// only say how the caller's last extraction went, and the buffer is read
// all the same. After a session that returns 0, the buffer is moved to just
// past the last byte used, so that a file under it is left there for its
// next reader.
int run(std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace scrivet_prompt

#endif  // SCRIVET_PROMPT_COMMAND_LOOP_H_
