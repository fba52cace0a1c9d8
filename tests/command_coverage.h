// Whether every command word of a program reaches the tests that compare
// the program with its model: the model spells it as the program does, the
// session generator writes it often, and a recorded session uses it. A
// word missed anywhere is a step of CONTRIBUTING's "Adding a command" left
// out, and the report names the step.

#ifndef SCRIVET_TESTS_COMMAND_COVERAGE_H_
#define SCRIVET_TESTS_COMMAND_COVERAGE_H_

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "random_input.h"

namespace model {

// One command as a session reads it: the word by which the program
// recognises it, and the word by which the model does; empty where one of
// them recognises none.
struct Reading {
  std::string_view program;
  std::string_view model;
};

// Everything the program and its model read from one input.
struct Programs {
  std::string name;                           // "scrivet", "scrivet-prompt"
  std::vector<std::string_view> words;        // the program's, from its source
  std::vector<std::string_view> modelWords;   // the model's own spelling
  std::string modelFiles;                     // where the model and its generator are
  std::function<std::string(Rng&)> generate;  // a random session
  // Each command that input makes the program read, in order.
  std::function<std::vector<Reading>(std::string_view input)> read;
  // A long random session, which draws only the kinds of line that do not
  // end a session; none where the generator has no such sessions.
  std::function<std::string(Rng&)> generateLong;
  // The words that end a session, which a long session leaves out.
  std::vector<std::string_view> endingWords;
};

// One line for each way in which a command word of the program does not
// reach its tests, over the sessions generated from the seeds 1 to
// sessions and the recorded ones: a word of the program that the model
// lacks, or of the model that the program lacks; a word that starts fewer
// than 100 generated commands, or, of those that do not end a session,
// fewer than 100 commands of the long sessions from the seeds 1 to 20; a
// command that the model reads as another word than the program does; a
// word that no recorded session uses. Empty when there is none.
std::string uncoveredCommands(const Programs& programs, std::uint64_t sessions);

}  // namespace model

#endif  // SCRIVET_TESTS_COMMAND_COVERAGE_H_
