// scrivet-prompt against its model: thousands of generated sessions through
// the command loop, and the model itself against every recorded session.
// The seeds are fixed; a failure shows the shortest reproduction found
// among the first failing sessions.

#include "prompt_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command_coverage.h"
#include "first_difference.h"
#include "recorded_sessions.h"
#include "scrivet-prompt/command_loop.h"
#include "scrivet-prompt/command_words.h"

namespace {

std::string generated(model::Rng& rng) { return model::promptSession(rng); }
std::string modelOutput(std::string_view input) { return model::promptOutput(input); }

TEST(PromptModel, RunWritesWhatTheModelWrites) {
  const std::string report = model::firstFailingSession(
      10000, generated, model::outputOf(scrivet_prompt::run), modelOutput);
  EXPECT_TRUE(report.empty()) << report;
}

// Each word that scrivet-prompt reads as a command, as the model splits the
// input, with the command word it is for scrivet-prompt and for the model.
std::vector<model::Reading> readings(std::string_view input) {
  std::vector<std::string> words;
  model::promptOutput(input, &words);
  std::vector<model::Reading> read;
  for (const std::string& word : words) {
    const scrivet_prompt::CommandWord* command = scrivet_prompt::commandOf(word);
    const model::PromptWord* modelCommand = model::promptCommandOf(word);
    read.push_back({command == nullptr ? "" : command->word,
                    modelCommand == nullptr ? "" : modelCommand->word});
  }
  return read;
}

// Every command word of scrivet-prompt's source, "delete" too, is the
// model's too, is generated often and read by the model as scrivet-prompt
// reads it, and is used by a recorded session.
TEST(PromptModel, EveryCommandWordIsModelledGeneratedAndRecorded) {
  model::Programs programs{"scrivet-prompt", {},       {}, "tests/prompt_model.*",
                           generated,        readings, {}, {}};
  for (const auto& command : scrivet_prompt::kCommandWords) programs.words.push_back(command.word);
  for (const auto& command : model::kPromptWords) programs.modelWords.push_back(command.word);
  const std::string report = model::uncoveredCommands(programs, 10000);
  EXPECT_TRUE(report.empty()) << report;
}

TEST(PromptModel, ModelWritesEveryRecordedOutput) {
  const std::string report = recorded::firstDisagreement("scrivet-prompt", modelOutput);
  EXPECT_TRUE(report.empty()) << report;
}

}  // namespace
