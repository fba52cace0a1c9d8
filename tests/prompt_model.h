// A reference model of scrivet-prompt, for the randomized tests and the
// fuzzers: the entries are a std::vector, the input is read by hand the way
// the stream extraction operators of the C locale read it, and the whole
// expected output is built in one string. Also a generator of random
// sessions.

#ifndef SCRIVET_TESTS_PROMPT_MODEL_H_
#define SCRIVET_TESTS_PROMPT_MODEL_H_

#include <string>
#include <string_view>
#include <vector>

#include "random_input.h"

namespace model {

// The commands, each named after its word; kOther is any other word, which
// does nothing.
enum class PromptOp { kInsertEnd, kEdit, kInsert, kDelete, kPrint, kQuit, kOther };

// The model's own spelling of scrivet-prompt's command words. It is kept
// apart from the program's, so that the tests compare the two and a word
// misspelt in either is seen.
struct PromptWord {
  std::string_view word;
  PromptOp op;
};
inline constexpr PromptWord kPromptWords[] = {
    {"insertEnd", PromptOp::kInsertEnd}, {"edit", PromptOp::kEdit},   {"insert", PromptOp::kInsert},
    {"delete", PromptOp::kDelete},       {"print", PromptOp::kPrint}, {"quit", PromptOp::kQuit},
};

// The model's command word that word is; null for any other word.
const PromptWord* promptCommandOf(std::string_view word);

// Everything scrivet-prompt writes for input. With words, also every word
// that it reads as a command, in order, arguments left out.
std::string promptOutput(std::string_view input, std::vector<std::string>* words = nullptr);

// A random scrivet-prompt session: command words and others separated by
// every kind of white space, numbers good and bad, and texts of any bytes.
std::string promptSession(Rng& rng);

}  // namespace model

#endif  // SCRIVET_TESTS_PROMPT_MODEL_H_
