#include "command_loop.h"

#include <cerrno>
#include <cstring>
#include <ios>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>

#include "command_words.h"
#include "entry_chain.h"

namespace scrivet_prompt {
namespace {

// Owns the entry chain for the length of a session.
class Entries {
 public:
  Entries() : head(new Node) {}
  ~Entries() { release(head); }
  Entries(const Entries&) = delete;
  Entries& operator=(const Entries&) = delete;

  // The entry with the highest number; the start entry while there is no
  // other.
  Node* head;
};

// Writes one line about a failure to err and returns the exit status for it.
int fail(std::ostream& err, const char* what, const char* reason = "") {
  err << "scrivet-prompt: " << what << reason << std::endl;
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

int writeFailed(std::ostream& err) {
  return fail(err, "write error: ", reasonFor(errno, "output failed"));
}

// Moves the file that buffer reads to just past the last byte taken from
// the buffer, so that whoever reads the file next starts there. Nothing
// changes where the file cannot seek (a pipe, a terminal): what was read
// ahead there is gone. Never allocates.
void leaveUnreadInput(std::streambuf& buffer) {
  const std::streampos used = buffer.pubseekoff(0, std::ios::cur, std::ios::in);
  if (used != std::streampos(-1)) buffer.pubseekpos(used, std::ios::in);
}

// Takes the rest of the current line, up to and without the newline; empty
// at the end of input.
std::string restOfLine(std::istream& in) {
  std::string text;
  std::getline(in, text);
  return text;
}

// Reads the number argument of "edit" and "insert". When there is none, the
// rest of the line is dropped so that reading goes on with the next line;
// at the end of input the stream stays failed, so that the session ends
// there, even at a terminal, where more could be typed after it.
bool readNumber(std::istream& in, int& number) {
  if (in >> number) return true;
  if (in.eof()) return false;
  in.clear();
  in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
  return false;
}

// The session itself, reading from input; after the greeting, a failed
// read (input's own failure included) or allocation leaves it by an
// exception.
int loop(std::istream& input, std::ostream& out, std::ostream& err) {
  errno = 0;
  out << "Enter a User Command" << std::endl;
  if (!out) return writeFailed(err);
  input.exceptions(std::ios::badbit);
  Entries entries;
  int number = 0;
  for (std::string word;;) {
    errno = 0;
    if (!(input >> word)) break;
    const CommandWord* command = commandOf(word);
    if (command == nullptr) continue;
    switch (command->command) {
      case Command::kInsertEnd:
        insertEnd(entries.head, restOfLine(input), entries.head->number + 1);
        break;
      case Command::kEdit:
        if (readNumber(input, number)) edit(entries.head, number, restOfLine(input));
        break;
      case Command::kInsert:
        if (readNumber(input, number)) insert(entries.head, number, restOfLine(input));
        break;
      case Command::kDelete:
        // It takes no argument, so it cannot name an entry: like any other
        // word it changes nothing.
        break;
      case Command::kPrint:
        print(entries.head, out);
        if (!out) return writeFailed(err);
        break;
      case Command::kQuit:
        return 0;
    }
  }
  return 0;
}

}  // namespace

int run(std::istream& in, std::ostream& out, std::ostream& err) {
  // Reads in's buffer, but throws what fails a read (the buffer's error,
  // std::bad_alloc) instead of taking it for the end of input.
  std::istream input(in.rdbuf());
  // A stream whose buffer has already failed cannot be read at all.
  if (in.bad()) input.setstate(std::ios::badbit);
  try {
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

}  // namespace scrivet_prompt
