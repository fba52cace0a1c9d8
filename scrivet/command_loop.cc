#include "command_loop.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>

#include "linked_list.h"

namespace scrivet {
namespace {

enum class Command { kPush, kInsert, kRemove, kEdit, kPrint, kFind, kQuit };

struct Keyword {
  std::string_view word;  // matched at the very start of the line
  Command command;
};

// Tried in this order; the first keyword that starts the line wins, so
// "insertEnd" is an append even though it also starts with "insert".
constexpr Keyword kKeywords[] = {
    {"insertEnd", Command::kPush}, {"insert ", Command::kInsert}, {"delete ", Command::kRemove},
    {"edit ", Command::kEdit},     {"print", Command::kPrint},    {"search ", Command::kFind},
    {"quit", Command::kQuit},
};

const Keyword* keywordOf(std::string_view line) {
  for (const Keyword& keyword : kKeywords) {
    if (line.substr(0, keyword.word.size()) == keyword.word) return &keyword;
  }
  return nullptr;
}

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reports a failure on standard error and returns the exit status for it.
int fail(const char* what, const char* reason) {
  std::cerr << "scrivet: " << what << reason << std::endl;
  return 1;
}

// Carries out one recognised command other than quit.
void execute(LinkedList& document, const Keyword& keyword, std::string_view line,
             std::ostream& out) {
  const std::string_view rest = line.substr(keyword.word.size());
  switch (keyword.command) {
    case Command::kPush:
      document.push(std::string(quotedText(line)));
      break;
    case Command::kFind:
      document.find(quotedText(line), out);
      break;
    case Command::kPrint:
      document.print(out);
      break;
    case Command::kInsert:
      if (const auto p = lineNumber(rest)) document.insert(*p, std::string(quotedText(rest)));
      break;
    case Command::kRemove:
      if (const auto p = lineNumber(rest)) document.remove(*p);
      break;
    case Command::kEdit:
      if (const auto p = lineNumber(rest)) document.edit(*p, std::string(quotedText(rest)));
      break;
    case Command::kQuit:
      break;
  }
}

int loop(std::istream& in, std::ostream& out) {
  LinkedList document;
  std::string line;
  while (std::getline(in, line)) {
    const Keyword* keyword = keywordOf(line);
    if (keyword == nullptr || keyword->command == Command::kQuit) break;
    errno = 0;
    execute(document, *keyword, line, out);
    if (!out) {
      const int error = errno;
      return fail("write error: ", error != 0 ? std::strerror(error) : "output failed");
    }
  }
  return 0;
}

}  // namespace

std::string_view quotedText(std::string_view s) {
  const std::size_t open = s.find('"');
  const std::size_t start = open == std::string_view::npos ? 0 : open + 1;
  const std::size_t close = s.find('"', start);
  return s.substr(start, close == std::string_view::npos ? std::string_view::npos : close - start);
}

std::optional<int> lineNumber(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && isBlank(s[i])) ++i;
  const bool negative = i < s.size() && s[i] == '-';
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
  // Accumulate the magnitude; anything past 2^31 is out of range either way.
  constexpr long long kLimit = static_cast<long long>(std::numeric_limits<int>::max()) + 1;
  long long magnitude = 0;
  const std::size_t firstDigit = i;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (s[i] - '0');
    if (magnitude > kLimit) return std::nullopt;
  }
  if (i == firstDigit) return std::nullopt;
  const long long value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<int>::max()) return std::nullopt;
  return static_cast<int>(value);
}

int run(std::istream& in, std::ostream& out) {
  try {
    return loop(in, out);
  } catch (const std::bad_alloc&) {
    return fail("", "out of memory");
  } catch (const std::exception& error) {
    return fail("", error.what());
  }
}

}  // namespace scrivet
