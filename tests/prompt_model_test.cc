// scrivet-prompt against its model: thousands of generated sessions through
// the command loop, and the model itself against every recorded session.
// The seeds are fixed; a failure shows the shortest reproduction found
// among the first failing sessions.

#include "prompt_model.h"

#include <gtest/gtest.h>

#include <string>

#include "first_difference.h"
#include "recorded_sessions.h"
#include "scrivet-prompt/command_loop.h"

namespace {

std::string generated(model::Rng& rng) { return model::promptSession(rng); }
std::string modelOutput(std::string_view input) { return model::promptOutput(input); }

TEST(PromptModel, RunWritesWhatTheModelWrites) {
  const std::string report = model::firstFailingSession(
      10000, generated, model::outputOf(scrivet_prompt::run), modelOutput);
  EXPECT_TRUE(report.empty()) << report;
}

TEST(PromptModel, ModelWritesEveryRecordedOutput) {
  const std::string report = recorded::firstDisagreement("scrivet-prompt", modelOutput);
  EXPECT_TRUE(report.empty()) << report;
}

}  // namespace
