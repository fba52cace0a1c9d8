// Prints the command words of scrivet or scrivet-prompt, as each program's
// own table spells them, one a line: the source that command_words_test.sh
// checks the manual pages, the fuzz dictionaries and the README against.

#include <iostream>
#include <string_view>

#include "scrivet-prompt/command_words.h"
#include "scrivet/keywords.h"

int main(int argc, char** argv) {
  const std::string_view program = argc == 2 ? argv[1] : "";
  if (program == "scrivet") {
    for (const auto& keyword : scrivet::kKeywords) std::cout << keyword.word << '\n';
  } else if (program == "scrivet-prompt") {
    for (const auto& command : scrivet_prompt::kCommandWords) std::cout << command.word << '\n';
  } else {
    std::cerr << "usage: print_command_words scrivet|scrivet-prompt\n";
    return 2;
  }
  return std::cout.flush() ? 0 : 1;
}
