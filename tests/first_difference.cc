#include "first_difference.h"

#include <cstdio>
#include <sstream>
#include <vector>

namespace model {
namespace {

constexpr std::size_t kShownLines = 20;

// The lines of s, each with its newline when it has one.
std::vector<std::string_view> linesOf(std::string_view s) {
  std::vector<std::string_view> lines;
  while (!s.empty()) {
    const std::size_t end = s.find('\n');
    const std::size_t length = end == std::string_view::npos ? s.size() : end + 1;
    lines.push_back(s.substr(0, length));
    s.remove_prefix(length);
  }
  return lines;
}

// line in C notation, without its newline.
std::string escaped(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  std::string out;
  for (const char c : line) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      out += "\\\\";
    } else if (byte >= 0x20 && byte < 0x7f) {
      out += c;
    } else {
      char code[8];
      std::snprintf(code, sizeof code, "\\x%02x", byte);
      out += code;
    }
  }
  return out;
}

// The line at index, quoted, or a note that there is none.
std::string lineAt(const std::vector<std::string_view>& lines, std::size_t index) {
  return index < lines.size() ? "\"" + escaped(lines[index]) + "\"" : "(no more output)";
}

}  // namespace

Output outputOf(Run run) {
  return [run](std::string_view input) {
    std::istringstream in{std::string(input)};
    std::ostringstream out;
    std::ostringstream err;
    const int status = run(in, out, err);
    if (status != 0) out << "(exit status " << status << ": " << err.str() << ")\n";
    return out.str();
  };
}

std::string firstDifferingLine(std::string_view got, std::string_view want,
                               std::string_view gotLabel, std::string_view wantLabel) {
  const std::vector<std::string_view> gotLines = linesOf(got);
  const std::vector<std::string_view> wantLines = linesOf(want);
  std::size_t at = 0;
  while (at < gotLines.size() && at < wantLines.size() && gotLines[at] == wantLines[at]) ++at;
  if (at == gotLines.size() && at == wantLines.size()) return {};
  std::string report = "  output line " + std::to_string(at + 1) + ":\n";
  report += "    " + std::string(gotLabel) + ": " + lineAt(gotLines, at) + "\n";
  report += "    " + std::string(wantLabel) + ": " + lineAt(wantLines, at) + "\n";
  return report;
}

std::string firstDifference(std::uint64_t seed, std::string_view session, const Output& program,
                            const Output& expected) {
  const std::vector<std::string_view> input = linesOf(session);
  std::vector<std::size_t> ends{0};  // ends[k]: the length of the first k lines
  for (const std::string_view line : input) ends.push_back(ends.back() + line.size());
  const auto differ = [&](std::size_t lines) {
    const std::string_view start = session.substr(0, ends[lines]);
    return program(start) != expected(start);
  };
  if (!differ(input.size())) return {};
  // Halving: the two agree after `agree` lines (or there is nothing before
  // the first), and differ after `lines`, the line reported.
  std::size_t agree = 0;
  std::size_t lines = differ(0) ? 0 : input.size();
  while (lines > agree + 1) {
    const std::size_t middle = agree + (lines - agree) / 2;
    (differ(middle) ? lines : agree) = middle;
  }
  std::string report = "seed " + std::to_string(seed) + ": the output differs after input line " +
                       std::to_string(lines) + " of " + std::to_string(input.size()) + "\n";
  const std::size_t first = lines > kShownLines ? lines - kShownLines : 0;
  if (first > 0) report += "  (" + std::to_string(first) + " earlier input lines not shown)\n";
  for (std::size_t i = first; i < lines; ++i) report += "  | " + escaped(input[i]) + "\n";
  const std::string_view start = session.substr(0, ends[lines]);
  return report + firstDifferingLine(program(start), expected(start));
}

std::string firstFailingSession(std::uint64_t seeds,
                                const std::function<std::string(Rng&)>& generate,
                                const Output& program, const Output& expected) {
  for (std::uint64_t seed = 1; seed <= seeds; ++seed) {
    Rng rng(seed);
    const std::string session = generate(rng);
    if (program(session) != expected(session)) {
      return firstDifference(seed, session, program, expected);
    }
  }
  return {};
}

}  // namespace model
