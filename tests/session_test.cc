// Every recorded session, fed whole through a program's command loop: the
// output must match the recorded one byte for byte. A session is a pair of
// files NAME.in (standard input) and NAME.out (the exact standard output) in
// sessions/scrivet or sessions/scrivet-prompt.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "prompt_model.h"
#include "scrivet-prompt/command_loop.h"
#include "scrivet/command_loop.h"
#include "scrivet_model.h"

namespace {

namespace fs = std::filesystem;

struct Session {
  std::string program;  // "scrivet" or "scrivet-prompt"
  fs::path input;       // NAME.in; the expected output is NAME.out beside it
};

// Names a session in test output.
void PrintTo(const Session& session, std::ostream* out) {
  *out << session.program << "/" << session.input.filename().string();
}

std::string readFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

std::vector<Session> sessionsOf(const std::string& program) {
  std::vector<Session> sessions;
  for (const auto& entry : fs::directory_iterator(fs::path(SESSIONS_DIR) / program)) {
    if (entry.path().extension() == ".in") sessions.push_back({program, entry.path()});
  }
  std::sort(sessions.begin(), sessions.end(),
            [](const Session& a, const Session& b) { return a.input < b.input; });
  return sessions;
}

std::vector<Session> allSessions() {
  std::vector<Session> sessions = sessionsOf("scrivet");
  const std::vector<Session> prompted = sessionsOf("scrivet-prompt");
  sessions.insert(sessions.end(), prompted.begin(), prompted.end());
  return sessions;
}

std::string testName(const testing::TestParamInfo<Session>& info) {
  std::string name = info.param.program + "_" + info.param.input.stem().string();
  std::replace_if(
      name.begin(), name.end(), [](unsigned char c) { return !std::isalnum(c); }, '_');
  return name;
}

class SessionTest : public testing::TestWithParam<Session> {};

TEST_P(SessionTest, WritesExactlyTheRecordedOutput) {
  const Session& session = GetParam();
  std::istringstream in(readFile(session.input));
  std::ostringstream out;
  std::ostringstream err;
  const int status =
      session.program == "scrivet" ? scrivet::run(in, out, err) : scrivet_prompt::run(in, out, err);
  EXPECT_EQ(0, status);
  EXPECT_EQ("", err.str());
  fs::path expected = session.input;
  EXPECT_EQ(readFile(expected.replace_extension(".out")), out.str());
}

// The reference model, which the randomized tests and the fuzzers trust,
// must itself agree with every recorded session.
TEST_P(SessionTest, ModelWritesTheRecordedOutput) {
  const Session& session = GetParam();
  const std::string input = readFile(session.input);
  fs::path expected = session.input;
  EXPECT_EQ(readFile(expected.replace_extension(".out")), session.program == "scrivet"
                                                              ? model::scrivetOutput(input)
                                                              : model::promptOutput(input));
  if (session.program == "scrivet") {
    EXPECT_EQ("", model::checkLinkedList(input));
  }
}

INSTANTIATE_TEST_SUITE_P(Recorded, SessionTest, testing::ValuesIn(allSessions()), testName);

TEST(Sessions, EveryInputHasItsOutputAndBothProgramsHaveSessions) {
  EXPECT_GE(sessionsOf("scrivet").size(), 20u);
  EXPECT_GE(sessionsOf("scrivet-prompt").size(), 20u);
  for (const Session& session : allSessions()) {
    fs::path expected = session.input;
    EXPECT_TRUE(fs::exists(expected.replace_extension(".out"))) << session.input;
  }
}

}  // namespace
