// A reference model of scrivet, for the randomized tests and the fuzzers,
// written to be obviously right rather than fast: the document is a
// std::vector, numbers are parsed with the C library, and the whole
// expected output is built in one string. scrivet must write exactly what
// the model writes, for every input. Also a generator of random sessions.

#ifndef SCRIVET_TESTS_SCRIVET_MODEL_H_
#define SCRIVET_TESTS_SCRIVET_MODEL_H_

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "random_input.h"

namespace scrivet {
class LinkedList;
}  // namespace scrivet

namespace model {

// The commands, each named after its keyword; kNone is a line that starts
// with none, which ends the session as kQuit does.
enum class Op { kInsertEnd, kInsert, kDelete, kEdit, kPrint, kSearch, kQuit, kNone };

// The model's own spelling of scrivet's keywords, as matched at the start of
// a line. It is kept apart from the program's, so that the tests compare the
// two and a keyword misspelt in either is seen.
struct Keyword {
  std::string_view word;
  Op op;
};
inline constexpr Keyword kKeywords[] = {
    {"insertEnd", Op::kInsertEnd}, {"insert ", Op::kInsert}, {"delete ", Op::kDelete},
    {"edit ", Op::kEdit},          {"print", Op::kPrint},    {"search ", Op::kSearch},
    {"quit", Op::kQuit},
};

// The model's keyword for op; empty for kNone.
std::string_view keywordOf(Op op);

// One input line of scrivet, taken apart. A line-number command whose number
// cannot be read has hasNumber false and changes nothing.
struct Command {
  Op op = Op::kNone;
  bool hasNumber = false;
  int number = 0;
  std::string text;

  // Whether the session ends at this line, before it does anything.
  bool ends() const { return op == Op::kQuit || op == Op::kNone; }
};

// Takes one input line (without its newline) apart.
Command parseLine(std::string_view line);

// The input lines scrivet reads, in order: every newline-terminated line,
// and a last one without a newline when it is not empty.
std::vector<std::string_view> splitLines(std::string_view input);

// The document as a vector of lines; line p is lines[p - 1].
class Document {
 public:
  // Carries out command (one that does not end the session), appending its
  // output to out.
  void apply(const Command& command, std::string& out);
  const std::vector<std::string>& lines() const { return text; }

 private:
  std::vector<std::string> text;
};

// Everything scrivet writes for input; with listAtEnd, followed by the
// document's final listing and a line "(N lines)".
std::string scrivetOutput(std::string_view input, bool listAtEnd = false);

// Carries out command on list as scrivet's command loop does, copying its
// text, and writes what print and find write to out.
void applyTo(scrivet::LinkedList& list, const Command& command, std::ostream& out);

// Carries out the commands of input directly on a scrivet::LinkedList, and
// returns what its print and find write, then its final listing and a line
// "(N lines)" with its size(): what scrivetOutput(input, true) returns for
// a sound list. The list's invariants are checked after every operation;
// when they fail, a line saying so ends the output there.
std::string linkedListOutput(std::string_view input);

// A random scrivet session: mostly valid commands at line numbers inside, at
// and outside the document and at the limits of int, with unreadable
// numbers, texts with and without quotes, and blanks, tabs, CR, NUL, ESC and
// bytes 0x80 to 0xFF in them. It has up to maxLines lines, after
// startLines appends that build a document to work on; now and then (one
// session in 25) 100 to 400 more appends come first, so that documents of
// some hundred lines are reached too.
std::string scrivetSession(Rng& rng, std::size_t maxLines = 80, std::size_t startLines = 0);

}  // namespace model

#endif  // SCRIVET_TESTS_SCRIVET_MODEL_H_
