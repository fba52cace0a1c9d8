#include "recorded_sessions.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace recorded {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

}  // namespace

std::string firstDisagreement(const std::string& program, const model::Output& write) {
  std::vector<fs::path> inputs;
  for (const auto& entry : fs::directory_iterator(fs::path(SESSIONS_DIR) / program)) {
    if (entry.path().extension() == ".in") inputs.push_back(entry.path());
  }
  std::sort(inputs.begin(), inputs.end());
  if (inputs.size() < 20) return "only " + std::to_string(inputs.size()) + " sessions recorded";
  for (const fs::path& input : inputs) {
    fs::path output = input;
    output.replace_extension(".out");
    if (!fs::exists(output)) return output.string() + " is missing";
    const std::string difference =
        model::firstDifferingLine(write(readFile(input)), readFile(output), "model", "recorded");
    if (!difference.empty()) {
      std::string report = program;
      report += "/" + input.filename().string() + ":\n";
      return report + difference;
    }
  }
  return {};
}

}  // namespace recorded
