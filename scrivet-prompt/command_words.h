#ifndef SCRIVET_PROMPT_COMMAND_WORDS_H_
#define SCRIVET_PROMPT_COMMAND_WORDS_H_

#include <string_view>

namespace scrivet_prompt {

// The commands, each named after its word.
enum class Command { kInsertEnd, kEdit, kInsert, kDelete, kPrint, kQuit };

struct CommandWord {
  // A whole word, as read between white space; "quitting" is another word.
  std::string_view word;
  Command command;
};

// Every command word of scrivet-prompt, the one list that the command loop
// matches and the tests read.
inline constexpr CommandWord kCommandWords[] = {
    {"insertEnd", Command::kInsertEnd}, {"edit", Command::kEdit},   {"insert", Command::kInsert},
    {"delete", Command::kDelete},       {"print", Command::kPrint}, {"quit", Command::kQuit},
};

// The command word that word is; null for any other word.
constexpr const CommandWord* commandOf(std::string_view word) {
  for (const CommandWord& command : kCommandWords) {
    if (word == command.word) return &command;
  }
  return nullptr;
}

}  // namespace scrivet_prompt

#endif  // SCRIVET_PROMPT_COMMAND_WORDS_H_
