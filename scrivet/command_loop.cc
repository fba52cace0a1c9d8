#include "command_loop.h"

#include <cerrno>
#include <cstring>
#include <ios>
#include <limits>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

#include "keywords.h"
#include "linked_list.h"

namespace scrivet {
namespace {

// White space as std::stoi skips it, but for the newline, which no line
// holds.
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r'; }

// The text of a command: what stands between the first two double quotes of
// s; everything after the first when there is no second; all of s when
// there is none.
std::string_view quotedText(std::string_view s) {
  const std::size_t open = s.find('"');
  const std::size_t start = open == std::string_view::npos ? 0 : open + 1;
  const std::size_t close = s.find('"', start);
  return s.substr(start, close == std::string_view::npos ? std::string_view::npos : close - start);
}

// The line number at the start of s: white space, then an optional sign,
// then decimal digits up to the first non-digit. Empty when there is no
// digit or the value does not fit in an int.
std::optional<int> lineNumber(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && isBlank(s[i])) ++i;
  const bool negative = i < s.size() && s[i] == '-';
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
  // Accumulate the magnitude; anything past 2^31 is out of range either way.
  constexpr long long kLimit = static_cast<long long>(std::numeric_limits<int>::max()) + 1;
  long long magnitude = 0;
  const std::size_t firstDigit = i;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (s[i] - '0');
    if (magnitude > kLimit) return std::nullopt;
  }
  if (i == firstDigit) return std::nullopt;
  const long long value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<int>::max()) return std::nullopt;
  return static_cast<int>(value);
}

// Writes one line about a failure to err and returns the exit status for it.
int fail(std::ostream& err, const char* what, const char* reason = "") {
  err << "scrivet: " << what << reason << std::endl;
  return 1;
}

// The system's words for error, or fallback when there is no error number.
const char* reasonFor(int error, const char* fallback) {
  return error != 0 ? std::strerror(error) : fallback;
}

// Why a stream failed: the error number its buffer threw with, else the
// one the system left in errno.
int errorOf(const std::exception& thrown) {
  const auto* failure = dynamic_cast<const std::ios_base::failure*>(&thrown);
  if (failure != nullptr && failure->code().category() == std::system_category()) {
    return failure->code().value();
  }
  return errno;
}

// Moves the file that buffer reads to just past the last byte taken from
// the buffer, so that whoever reads the file next starts there. Nothing
// changes where the file cannot seek (a pipe, a terminal): what was read
// ahead there is gone. Never allocates.
void leaveUnreadInput(std::streambuf& buffer) {
  const std::streampos used = buffer.pubseekoff(0, std::ios::cur, std::ios::in);
  if (used != std::streampos(-1)) buffer.pubseekpos(used, std::ios::in);
}

// Carries out one recognised command; false for quit, which ends the
// session.
bool execute(LinkedList& document, const Keyword& keyword, std::string_view line,
             std::ostream& out) {
  const std::string_view rest = line.substr(keyword.word.size());
  switch (keyword.command) {
    case Command::kInsertEnd:
      document.push(std::string(quotedText(line)));
      break;
    case Command::kSearch:
      document.find(quotedText(line), out);
      break;
    case Command::kPrint:
      document.print(out);
      break;
    case Command::kInsert:
      if (const auto p = lineNumber(rest)) document.insert(*p, std::string(quotedText(rest)));
      break;
    case Command::kDelete:
      if (const auto p = lineNumber(rest)) document.remove(*p);
      break;
    case Command::kEdit:
      if (const auto p = lineNumber(rest)) document.edit(*p, std::string(quotedText(rest)));
      break;
    case Command::kQuit:
      return false;
  }
  return true;
}

// The session itself, reading from input; a failed read or allocation
// leaves it by an exception.
int loop(std::istream& input, std::ostream& out, std::ostream& err) {
  LinkedList document;
  std::string line;
  for (;;) {
    errno = 0;
    if (!std::getline(input, line)) return 0;
    const Keyword* keyword = keywordOf(line);
    errno = 0;
    if (keyword == nullptr || !execute(document, *keyword, line, out)) return 0;
    if (!out) return fail(err, "write error: ", reasonFor(errno, "output failed"));
  }
}

}  // namespace

int run(std::istream& in, std::ostream& out, std::ostream& err) {
  // A stream whose buffer has already failed cannot be read at all.
  if (in.bad()) return fail(err, "read error: ", "input failed");
  // Reads in's buffer, but throws what fails a read (the buffer's error,
  // std::bad_alloc) instead of taking it for the end of input.
  std::istream input(in.rdbuf());
  try {
    input.exceptions(std::ios::badbit);
    const int status = loop(input, out, err);
    if (status == 0) leaveUnreadInput(*input.rdbuf());
    return status;
  } catch (const std::bad_alloc&) {
    return fail(err, "out of memory");
  } catch (const std::exception& thrown) {
    // A stream throws only when asked to: input on a failed read, out on a
    // failed write when its owner asked for that.
    if (input.bad()) return fail(err, "read error: ", reasonFor(errorOf(thrown), "input failed"));
    return fail(err, "write error: ", reasonFor(errorOf(thrown), "output failed"));
  }
}

}  // namespace scrivet
