// scrivet against its model: thousands of generated sessions through the
// command loop and replayed on the line list directly, long documents, and
// the model itself against every recorded session. The seeds are fixed; a
// failure shows the shortest reproduction found among the first failing
// sessions.

#include "scrivet_model.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "command_coverage.h"
#include "first_difference.h"
#include "recorded_sessions.h"
#include "scrivet/command_loop.h"
#include "scrivet/keywords.h"

namespace {

constexpr std::uint64_t kSessions = 10000;

std::string generated(model::Rng& rng) { return model::scrivetSession(rng); }
std::string modelOutput(std::string_view input) { return model::scrivetOutput(input); }
std::string modelListing(std::string_view input) { return model::scrivetOutput(input, true); }

TEST(ScrivetModel, RunWritesWhatTheModelWrites) {
  const std::string report =
      model::firstFailingSession(kSessions, generated, model::outputOf(scrivet::run), modelOutput);
  EXPECT_TRUE(report.empty()) << report;
}

TEST(ScrivetModel, LineListKeepsItsInvariantsAndHoldsWhatTheModelHolds) {
  const std::string report =
      model::firstFailingSession(kSessions, generated, model::linkedListOutput, modelListing);
  EXPECT_TRUE(report.empty()) << report;
}

// Long documents, so that the line index grows several levels high and
// insert and remove meet its blocks at every level.
TEST(ScrivetModel, LongDocumentsKeepTheIndexConsistent) {
  for (std::uint64_t seed = 1; seed <= 8; ++seed) {
    model::Rng rng(seed);
    const std::size_t start = seed == 8 ? 10000 : 150 * seed;
    const std::string session = model::scrivetSession(rng, 2000, start);
    std::string report =
        model::firstDifference(seed, session, model::linkedListOutput, modelListing);
    if (report.empty()) {
      report = model::firstDifference(seed, session, model::outputOf(scrivet::run), modelOutput);
    }
    ASSERT_TRUE(report.empty()) << report;
  }
}

// The generated sessions must reach every kind of number and byte; a
// generator that drifted into writing only appends would let the tests
// above pass while checking little.
TEST(ScrivetModel, GeneratedSessionsCoverEveryNumberKind) {
  int unreadable = 0, beyondEnd = 0, atLimits = 0, unquoted = 0, oddBytes = 0, longDocuments = 0;
  for (std::uint64_t seed = 1; seed <= kSessions; ++seed) {
    model::Rng rng(seed);
    const std::string session = model::scrivetSession(rng);
    model::Document document;
    std::string ignored;
    for (const std::string_view line : model::splitLines(session)) {
      const model::Command command = model::parseLine(line);
      if (command.ends()) break;
      const bool numbered = command.op == model::Op::kInsert || command.op == model::Op::kDelete ||
                            command.op == model::Op::kEdit;
      if (numbered && !command.hasNumber) ++unreadable;
      if (numbered && command.hasNumber &&
          command.number > static_cast<long long>(document.lines().size()) + 1) {
        ++beyondEnd;
      }
      if (numbered && command.hasNumber &&
          (command.number == INT32_MAX || command.number == INT32_MIN)) {
        ++atLimits;
      }
      if (line.find('"') == std::string_view::npos) ++unquoted;
      for (const unsigned char c : line) {
        if (c == 0 || c == '\r' || c == 0x1b || c >= 0x80) ++oddBytes;
      }
      document.apply(command, ignored);
    }
    if (document.lines().size() >= 200) ++longDocuments;
  }
  EXPECT_GE(unreadable, 100);
  EXPECT_GE(beyondEnd, 100);
  EXPECT_GE(atLimits, 100);
  EXPECT_GE(unquoted, 100);
  EXPECT_GE(oddBytes, 1000);
  EXPECT_GE(longDocuments, 100) << "sessions that end with 200 lines or more";
}

// Each line that scrivet reads as a command, with the keyword it starts
// with for scrivet and for the model, up to the line that ends the session.
std::vector<model::Reading> readings(std::string_view input) {
  std::vector<model::Reading> read;
  for (const std::string_view line : model::splitLines(input)) {
    const scrivet::Keyword* keyword = scrivet::keywordOf(line);
    read.push_back(
        {keyword == nullptr ? "" : keyword->word, model::keywordOf(model::parseLine(line).op)});
    if (keyword == nullptr || keyword->command == scrivet::Command::kQuit) break;
  }
  return read;
}

// Every keyword of scrivet's source is the model's too, is generated often
// and read by the model as scrivet reads it, and is used by a recorded
// session, so that the tests above compare scrivet with its model on it.
TEST(ScrivetModel, EveryKeywordIsModelledGeneratedAndRecorded) {
  const auto generatedLong = [](model::Rng& rng) { return model::scrivetSession(rng, 2000); };
  model::Programs programs{"scrivet",     {}, {}, "tests/scrivet_model.*", generated, readings,
                           generatedLong, {}};
  for (const scrivet::Keyword& keyword : scrivet::kKeywords) {
    programs.words.push_back(keyword.word);
    if (keyword.command == scrivet::Command::kQuit) programs.endingWords.push_back(keyword.word);
  }
  for (const model::Keyword& keyword : model::kKeywords)
    programs.modelWords.push_back(keyword.word);
  const std::string report = model::uncoveredCommands(programs, kSessions);
  EXPECT_TRUE(report.empty()) << report;
}

// The model, which the tests above and the fuzzers trust, must itself write
// what every recorded session shows.
TEST(ScrivetModel, ModelWritesEveryRecordedOutput) {
  const std::string report = recorded::firstDisagreement("scrivet", modelOutput);
  EXPECT_TRUE(report.empty()) << report;
}

}  // namespace
