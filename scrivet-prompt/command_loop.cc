#include "command_loop.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>

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

  Node* head;  // the newest entry; the start entry while there is no other
};

// Reports a failure on standard error and returns the exit status for it.
int fail(const char* what, const char* reason) {
  std::cerr << "scrivet-prompt: " << what << reason << std::endl;
  return 1;
}

int writeFailed() {
  const int error = errno;
  return fail("write error: ", error != 0 ? std::strerror(error) : "output failed");
}

// Takes the rest of the current line, up to and without the newline; empty
// at the end of input.
std::string restOfLine(std::istream& in) {
  std::string text;
  std::getline(in, text);
  return text;
}

// Reads the number argument of "edit" and "insert". When there is none, the
// rest of the line is dropped so that reading goes on with the next line.
bool readNumber(std::istream& in, int& number) {
  if (in >> number) return true;
  in.clear();
  in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
  return false;
}

int loop(std::istream& in, std::ostream& out) {
  errno = 0;
  out << "Enter a User Command" << std::endl;
  if (!out) return writeFailed();
  Entries entries;
  std::string word;
  int number = 0;
  while (word != "quit" && in >> word) {
    errno = 0;
    if (word == "insertEnd") {
      insertEnd(entries.head, restOfLine(in), entries.head->number + 1);
    } else if (word == "edit") {
      if (readNumber(in, number)) edit(entries.head, number, restOfLine(in));
    } else if (word == "insert") {
      if (readNumber(in, number)) insert(entries.head, number, restOfLine(in));
    } else if (word == "print") {
      print(entries.head, out);
      if (!out) return writeFailed();
    }
    // "delete" takes no argument, so it cannot name an entry: like any other
    // word it changes nothing.
  }
  return 0;
}

}  // namespace

int run(std::istream& in, std::ostream& out) {
  try {
    return loop(in, out);
  } catch (const std::bad_alloc&) {
    return fail("", "out of memory");
  } catch (const std::exception& error) {
    return fail("", error.what());
  }
}

}  // namespace scrivet_prompt
