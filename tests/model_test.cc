// Thousands of generated sessions, each run through a program's command loop
// and through its reference model: the outputs must be identical. The seeds
// are fixed, so a failure names a session that can be replayed.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <sstream>
#include <string>

#include "prompt_model.h"
#include "scrivet-prompt/command_loop.h"
#include "scrivet/command_loop.h"
#include "scrivet_model.h"

namespace {

constexpr std::uint64_t kSessions = 10000;

// The session's bytes in C notation, so a failing one can be copied out.
std::string escaped(const std::string& bytes) {
  std::ostringstream out;
  for (const unsigned char c : bytes) {
    if (c == '\n') {
      out << "\\n\n";
    } else if (c == '\\' || c == '"') {
      out << '\\' << c;
    } else if (c >= 0x20 && c < 0x7f) {
      out << c;
    } else {
      out << "\\x" << std::hex << static_cast<int>(c) << std::dec;
    }
  }
  return out.str();
}

template <typename Run>
void expectModelOutput(const std::string& session, const std::string& expected, Run run,
                       std::uint64_t seed) {
  std::istringstream in(session);
  std::ostringstream out;
  std::ostringstream err;
  const int status = run(in, out, err);
  ASSERT_EQ(0, status) << "seed " << seed << ": " << err.str() << "\n" << escaped(session);
  ASSERT_EQ(expected, out.str()) << "seed " << seed << ":\n" << escaped(session);
}

TEST(ModelTest, ScrivetWritesWhatTheModelWrites) {
  for (std::uint64_t seed = 1; seed <= kSessions; ++seed) {
    model::Rng rng(seed);
    const std::string session = model::scrivetSession(rng);
    expectModelOutput(session, model::scrivetOutput(session), scrivet::run, seed);
  }
}

TEST(ModelTest, LinkedListKeepsItsInvariantsAndMatchesTheModel) {
  for (std::uint64_t seed = 1; seed <= kSessions; ++seed) {
    model::Rng rng(seed);
    const std::string session = model::scrivetSession(rng);
    ASSERT_EQ("", model::checkLinkedList(session)) << "seed " << seed << ":\n" << escaped(session);
  }
}

// Long documents, so that the line index grows several levels high and
// insert and remove meet its entries at every level.
TEST(ModelTest, LongDocumentsKeepTheIndexConsistent) {
  for (std::uint64_t seed = 1; seed <= 8; ++seed) {
    model::Rng rng(seed);
    const std::size_t start = seed == 8 ? 10000 : 150 * seed;
    const std::string session = model::scrivetSession(rng, 2000, start);
    ASSERT_EQ("", model::checkLinkedList(session)) << "seed " << seed;
    expectModelOutput(session, model::scrivetOutput(session), scrivet::run, seed);
  }
}

TEST(ModelTest, ScrivetPromptWritesWhatTheModelWrites) {
  for (std::uint64_t seed = 1; seed <= kSessions; ++seed) {
    model::Rng rng(seed);
    const std::string session = model::promptSession(rng);
    expectModelOutput(session, model::promptOutput(session), scrivet_prompt::run, seed);
  }
}

// The generated sessions must reach every command and every kind of number;
// a generator that drifted into writing only appends would let the tests
// above pass while checking little.
TEST(ModelTest, GeneratedSessionsCoverEveryCommandAndNumberKind) {
  std::array<int, 7> commands{};
  int unreadable = 0, beyondEnd = 0, atLimits = 0, unquoted = 0, oddBytes = 0;
  for (std::uint64_t seed = 1; seed <= kSessions; ++seed) {
    model::Rng rng(seed);
    const std::string session = model::scrivetSession(rng);
    model::Document document;
    std::string ignored;
    for (const std::string_view line : model::splitLines(session)) {
      const model::Command command = model::parseLine(line);
      ++commands[static_cast<std::size_t>(command.op)];
      if (command.op == model::Op::kEnd) break;
      const bool numbered = command.op == model::Op::kInsert || command.op == model::Op::kRemove ||
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
  }
  for (std::size_t op = 0; op < commands.size(); ++op) {
    EXPECT_GE(commands[op], 100) << "command kind " << op;
  }
  EXPECT_GE(unreadable, 100);
  EXPECT_GE(beyondEnd, 100);
  EXPECT_GE(atLimits, 100);
  EXPECT_GE(unquoted, 100);
  EXPECT_GE(oddBytes, 1000);
}

}  // namespace
