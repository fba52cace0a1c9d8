#include "first_difference.h"

#include <algorithm>
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

namespace {

// A session cut down to the input lines that still make program and
// expected write differently.
struct Reproduction {
  // The lines kept, in the order the session has them; empty when program
  // and expected write the same for the whole session.
  std::string input;
  // The lines of input.
  std::size_t lines = 0;
  // The lines of the whole session.
  std::size_t sessionLines = 0;
};

std::string joined(const std::vector<std::string_view>& lines) {
  std::string text;
  for (const std::string_view line : lines) text += line;
  return text;
}

Reproduction reduce(std::string_view session, const Output& program, const Output& expected) {
  const auto differ = [&](const std::vector<std::string_view>& lines) {
    const std::string input = joined(lines);
    return program(input) != expected(input);
  };
  Reproduction reproduction;
  const std::vector<std::string_view> input = linesOf(session);
  reproduction.sessionLines = input.size();
  if (!differ(input)) return reproduction;
  // The shortest start of the session after which the two differ, by
  // halving: they agree after `agree` lines and differ after `lines`.
  std::size_t agree = 0;
  std::size_t lines = input.size();
  while (lines > agree + 1) {
    const std::size_t middle = agree + (lines - agree) / 2;
    (differ({input.begin(), input.begin() + static_cast<std::ptrdiff_t>(middle)}) ? lines : agree) =
        middle;
  }
  // Then drop runs of lines that the difference does not need, halving the
  // run down to a single line.
  std::vector<std::string_view> kept(input.begin(),
                                     input.begin() + static_cast<std::ptrdiff_t>(lines));
  for (std::size_t run = std::max<std::size_t>(kept.size() / 2, 1);; run /= 2) {
    for (std::size_t at = 0; at < kept.size() && kept.size() > 1;) {
      std::vector<std::string_view> without = kept;
      const auto first = without.begin() + static_cast<std::ptrdiff_t>(at);
      without.erase(first, first + static_cast<std::ptrdiff_t>(std::min(run, kept.size() - at)));
      if (!without.empty() && differ(without)) {
        kept = std::move(without);
      } else {
        at += run;
      }
    }
    if (run == 1) break;
  }
  reproduction.input = joined(kept);
  reproduction.lines = kept.size();
  return reproduction;
}

std::string reportOf(std::uint64_t seed, const Reproduction& reproduction, const Output& program,
                     const Output& expected) {
  const std::vector<std::string_view> lines = linesOf(reproduction.input);
  std::string report = "seed " + std::to_string(seed) + ": these " + std::to_string(lines.size()) +
                       " of its " + std::to_string(reproduction.sessionLines) +
                       " input lines make the output differ\n";
  const std::size_t first = lines.size() > kShownLines ? lines.size() - kShownLines : 0;
  if (first > 0) report += "  (" + std::to_string(first) + " earlier input lines not shown)\n";
  for (std::size_t i = first; i < lines.size(); ++i) report += "  | " + escaped(lines[i]) + "\n";
  return report + firstDifferingLine(program(reproduction.input), expected(reproduction.input));
}

}  // namespace

std::string firstDifference(std::uint64_t seed, std::string_view session, const Output& program,
                            const Output& expected) {
  const Reproduction reproduction = reduce(session, program, expected);
  if (reproduction.lines == 0) return {};
  return reportOf(seed, reproduction, program, expected);
}

std::string firstFailingSession(std::uint64_t seeds,
                                const std::function<std::string(Rng&)>& generate,
                                const Output& program, const Output& expected) {
  // Of the first few sessions that fail, the one that reduces furthest.
  constexpr int kCandidates = 10;
  int candidates = 0;
  std::uint64_t bestSeed = 0;
  Reproduction best;
  for (std::uint64_t seed = 1; seed <= seeds && candidates < kCandidates; ++seed) {
    Rng rng(seed);
    Reproduction reproduction = reduce(generate(rng), program, expected);
    if (reproduction.lines == 0) continue;
    ++candidates;
    if (best.lines == 0 || reproduction.lines < best.lines) {
      best = std::move(reproduction);
      bestSeed = seed;
    }
  }
  if (candidates == 0) return {};
  return reportOf(bestSeed, best, program, expected);
}

}  // namespace model
