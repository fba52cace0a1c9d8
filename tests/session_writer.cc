// Writes generated sessions of both programs, each with the output that its
// model expects, in the layout of tests/sessions: DIR/scrivet/seed-N.in and
// seed-N.out for the seeds 1 to COUNT, and the same in DIR/scrivet-prompt.
// They come from the session generators and the models of the randomized
// tests, so that a build those tests cannot run in (a cross build, run
// under an emulator by make cross-check) replays them as it replays the
// recorded sessions. The two folders are emptied first.
// usage: scrivet_session_writer COUNT DIR

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <system_error>

#include "prompt_model.h"
#include "random_input.h"
#include "scrivet_model.h"

namespace {

namespace fs = std::filesystem;

using Generate = std::string (*)(model::Rng& rng);
using Expected = std::string (*)(std::string_view input);

// Writes text to path, byte for byte; false when it cannot.
bool writeFile(const fs::path& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary);
  file.write(text.data(), static_cast<std::streamsize>(text.size()));
  file.close();
  return !file.fail();
}

// Empties folder, then writes into it the sessions that generate makes from
// the seeds 1 to count, each with what expected writes for it; false, after
// a message, when a file cannot be written.
bool writeSessions(std::uint64_t count, const fs::path& folder, Generate generate,
                   Expected expected) {
  std::error_code error;
  fs::remove_all(folder, error);
  fs::create_directories(folder, error);
  for (std::uint64_t seed = 1; seed <= count; ++seed) {
    model::Rng rng(seed);
    const std::string input = generate(rng);
    const std::string name = (folder / ("seed-" + std::to_string(seed))).string();
    if (!writeFile(name + ".in", input) || !writeFile(name + ".out", expected(input))) {
      std::cerr << "scrivet_session_writer: cannot write " << name << ".in and .out\n";
      return false;
    }
  }
  return true;
}

std::string scrivetSession(model::Rng& rng) { return model::scrivetSession(rng); }
std::string scrivetOutput(std::string_view input) { return model::scrivetOutput(input); }
std::string promptOutput(std::string_view input) { return model::promptOutput(input); }

}  // namespace

int main(int argc, char** argv) {
  const std::string count = argc == 3 ? argv[1] : "";
  if (count.empty() || count.size() > 9 ||
      count.find_first_not_of("0123456789") != std::string::npos) {
    std::cerr << "usage: scrivet_session_writer COUNT DIR\n";
    return 2;
  }
  const std::uint64_t seeds = std::stoull(count);
  const fs::path dir = argv[2];
  const bool written =
      writeSessions(seeds, dir / "scrivet", scrivetSession, scrivetOutput) &&
      writeSessions(seeds, dir / "scrivet-prompt", model::promptSession, promptOutput);
  return written ? 0 : 1;
}
