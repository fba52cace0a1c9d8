#ifndef SCRIVET_KEYWORDS_H_
#define SCRIVET_KEYWORDS_H_

#include <string_view>

namespace scrivet {

// The commands, each named after its keyword.
enum class Command { kInsertEnd, kInsert, kDelete, kEdit, kPrint, kSearch, kQuit };

struct Keyword {
  // As matched at the very start of a line: "insert " with its blank, which
  // the line must hold too; "print" alone, which "printout" starts with.
  std::string_view word;
  Command command;
};

// Every command word of scrivet, the one list that the command loop matches
// and the tests read. No keyword starts another ("insert " ends in a blank,
// where "insertEnd" goes on), so a line matches one keyword at most,
// whatever the order they are tried in; a new keyword must keep it so.
inline constexpr Keyword kKeywords[] = {
    {"insertEnd", Command::kInsertEnd}, {"insert ", Command::kInsert},
    {"delete ", Command::kDelete},      {"edit ", Command::kEdit},
    {"print", Command::kPrint},         {"search ", Command::kSearch},
    {"quit", Command::kQuit},
};

// The keyword that line starts with; null when it starts with none.
constexpr const Keyword* keywordOf(std::string_view line) {
  for (const Keyword& keyword : kKeywords) {
    if (line.substr(0, keyword.word.size()) == keyword.word) return &keyword;
  }
  return nullptr;
}

}  // namespace scrivet

#endif  // SCRIVET_KEYWORDS_H_
