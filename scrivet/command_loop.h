#ifndef SCRIVET_COMMAND_LOOP_H_
#define SCRIVET_COMMAND_LOOP_H_

#include <istream>
#include <optional>
#include <ostream>
#include <string_view>

namespace scrivet {

// Reads commands from in, one per line, until "quit", an unrecognised line
// or the end of input, and writes the document's listings to out. Returns
// the exit status: 0, or 1 when out fails (the reason then goes to
// standard error and no further line is read) or memory runs out.
int run(std::istream& in, std::ostream& out);

// The text of a command: what stands between the first two double quotes of
// s; everything after the first when there is no second; all of s when
// there is none.
std::string_view quotedText(std::string_view s);

// The line number at the start of s: blanks, then an optional sign, then
// decimal digits up to the first non-digit. Empty when there is no digit or
// the value does not fit in an int.
std::optional<int> lineNumber(std::string_view s);

}  // namespace scrivet

#endif  // SCRIVET_COMMAND_LOOP_H_
