#include "command_coverage.h"

#include <algorithm>
#include <map>

#include "recorded_sessions.h"

namespace model {
namespace {

std::string quoted(std::string_view word) { return "\"" + std::string(word) + "\""; }

bool among(const std::vector<std::string_view>& words, std::string_view word) {
  return std::find(words.begin(), words.end(), word) != words.end();
}

}  // namespace

std::string uncoveredCommands(const Programs& programs, std::uint64_t sessions) {
  const std::string& name = programs.name;
  std::string report;
  const auto problem = [&](const std::string& what, const std::string& step) {
    report += what + " (Adding a command: " + step + ")\n";
  };
  for (const std::string_view word : programs.words) {
    if (!among(programs.modelWords, word)) {
      problem(quoted(word) + " is a command word of " + name + " but not of its model",
              "the model, " + programs.modelFiles);
    }
  }
  for (const std::string_view word : programs.modelWords) {
    if (!among(programs.words, word)) {
      problem(quoted(word) + " is a command word of the model but not of " + name +
                  ": the model's or the program's is misspelt",
              "the model, " + programs.modelFiles + ", or the program's table of words");
    }
  }

  std::map<std::string_view, int> generated;
  std::string misread;
  for (std::uint64_t seed = 1; seed <= sessions; ++seed) {
    Rng rng(seed);
    for (const Reading& reading : programs.read(programs.generate(rng))) {
      ++generated[reading.program];
      if (reading.program != reading.model && misread.empty()) {
        misread = "session " + std::to_string(seed) + " holds a command that " + name +
                  " reads as " + quoted(reading.program) + " and the model as " +
                  quoted(reading.model);
      }
    }
  }
  for (const std::string_view word : programs.words) {
    if (generated[word] < 100) {
      problem("the generated sessions hold " + std::to_string(generated[word]) + " commands " +
                  quoted(word) + ", not the 100 or more wanted",
              "the model's session generator, " + programs.modelFiles);
    }
  }
  if (!misread.empty()) problem(misread, "the model, " + programs.modelFiles);

  if (programs.generateLong) {
    std::map<std::string_view, int> inLong;
    for (std::uint64_t seed = 1; seed <= 20; ++seed) {
      Rng rng(seed);
      for (const Reading& reading : programs.read(programs.generateLong(rng))) {
        ++inLong[reading.program];
      }
    }
    for (const std::string_view word : programs.words) {
      if (inLong[word] < 100 && !among(programs.endingWords, word)) {
        problem("the long generated sessions hold " + std::to_string(inLong[word]) + " commands " +
                    quoted(word) + ", not the 100 or more wanted: it is drawn among the kinds" +
                    " of line that end a session",
                "the model's session generator, " + programs.modelFiles);
      }
    }
  }

  std::map<std::string_view, int> recorded;
  for (const auto& [path, input] : recorded::inputs(name)) {
    for (const Reading& reading : programs.read(input)) ++recorded[reading.program];
  }
  for (const std::string_view word : programs.words) {
    if (recorded[word] == 0) {
      problem("no recorded session of " + name + " uses " + quoted(word),
              "recorded sessions, tests/sessions/" + name + "/");
    }
  }
  return report;
}

}  // namespace model
