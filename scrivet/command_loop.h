#ifndef SCRIVET_COMMAND_LOOP_H_
#define SCRIVET_COMMAND_LOOP_H_

#include <istream>
#include <ostream>

namespace scrivet {

// Reads commands from in, one per line, until "quit", an unrecognised line
// or the end of input, and writes the document's listings to out. Returns
// the exit status: 0 when the session ended as above; 1 when in cannot be
// read, out cannot be written or memory runs out, after writing one line
// that says so to err ("scrivet: read error: REASON", "scrivet: write
// error: REASON", "scrivet: out of memory"), and then nothing more is read.
//
// It reads in's buffer through a stream of its own, so in's state and
// exception mask are left as they were. A buffer that has already failed
// (in's badbit) is a read error; failbit and eofbit only say how the
// caller's last extraction went, and the buffer is read all the same. After
// a session that returns 0, the buffer is moved to just past the last byte
// used, so that a file under it is left there for its next reader.
int run(std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace scrivet

#endif  // SCRIVET_COMMAND_LOOP_H_
