// Reference models of both programs, for the randomized tests and the
// fuzzers. Each model is written to be obviously right rather than fast: the
// document is a std::vector, commands are parsed with the C library, and the
// whole expected output is built in one string. The programs must write
// exactly what the models write, for every input.

#ifndef SCRIVET_TESTS_MODEL_H_
#define SCRIVET_TESTS_MODEL_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace model {

// A small, seeded, platform-independent random source (splitmix64).
class Rng {
 public:
  explicit Rng(std::uint64_t seed) : state(seed) {}
  std::uint64_t next();
  // A value in 0..bound-1; bound must not be 0.
  std::uint64_t below(std::uint64_t bound) { return next() % bound; }
  // True with the given chance in percent.
  bool percent(unsigned chance) { return below(100) < chance; }

 private:
  std::uint64_t state;
};

// ---- scrivet ----

enum class Op { kPush, kInsert, kRemove, kEdit, kPrint, kFind, kEnd };

// One input line of scrivet, taken apart. A line-number command whose number
// cannot be read has hasNumber false and changes nothing.
struct Command {
  Op op = Op::kEnd;
  bool hasNumber = false;
  int number = 0;
  std::string text;
};

// Takes one input line (without its newline) apart.
Command parseLine(std::string_view line);

// The input lines scrivet reads, in order: every newline-terminated line,
// and a last one without a newline when it is not empty.
std::vector<std::string_view> splitLines(std::string_view input);

// The document as a vector of lines; line p is lines[p - 1].
class Document {
 public:
  // Carries out command (not kEnd), appending its output to out.
  void apply(const Command& command, std::string& out);
  const std::vector<std::string>& lines() const { return text; }

 private:
  std::vector<std::string> text;
};

// Everything scrivet writes for input.
std::string scrivetOutput(std::string_view input);

// Replays the commands of input directly on a scrivet::LinkedList and on the
// model side by side, checking the list's invariants after every operation
// and comparing every listing. Returns an empty string when all agree, else
// a description of the first difference.
std::string checkLinkedList(std::string_view input);

// A random scrivet session: mostly valid commands at line numbers inside, at
// and outside the document and at the limits of int, with unreadable
// numbers, texts with and without quotes, and blanks, tabs, CR, NUL, ESC and
// bytes 0x80 to 0xFF in them. It has up to maxLines lines, after
// startLines appends that build a document to work on.
std::string scrivetSession(Rng& rng, std::size_t maxLines = 80, std::size_t startLines = 0);

// ---- scrivet-prompt ----

// Everything scrivet-prompt writes for input.
std::string promptOutput(std::string_view input);

// A random scrivet-prompt session: command words and others separated by
// every kind of white space, numbers good and bad, and texts of any bytes.
std::string promptSession(Rng& rng);

}  // namespace model

#endif  // SCRIVET_TESTS_MODEL_H_
