#include "recorded_sessions.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace recorded {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

}  // namespace

std::vector<std::pair<std::string, std::string>> inputs(const std::string& program) {
  std::vector<fs::path> paths;
  for (const auto& entry : fs::directory_iterator(fs::path(SESSIONS_DIR) / program)) {
    if (entry.path().extension() == ".in") paths.push_back(entry.path());
  }
  std::sort(paths.begin(), paths.end());
  std::vector<std::pair<std::string, std::string>> sessions;
  sessions.reserve(paths.size());
  for (const fs::path& path : paths) sessions.emplace_back(path.string(), readFile(path));
  return sessions;
}

std::string firstDisagreement(const std::string& program, const model::Output& write) {
  const auto sessions = inputs(program);
  if (sessions.size() < 20) return "only " + std::to_string(sessions.size()) + " sessions recorded";
  for (const auto& [name, input] : sessions) {
    fs::path output = name;
    output.replace_extension(".out");
    if (!fs::exists(output)) return output.string() + " is missing";
    const std::string difference =
        model::firstDifferingLine(write(input), readFile(output), "model", "recorded");
    if (!difference.empty()) {
      std::string report = program;
      report += "/" + fs::path(name).filename().string() + ":\n";
      return report + difference;
    }
  }
  return {};
}

}  // namespace recorded
