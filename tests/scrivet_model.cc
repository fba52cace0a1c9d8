#include "scrivet_model.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sstream>

#include "scrivet/linked_list.h"

namespace model {
namespace {

bool startsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

// The text between the first two double quotes, after the first when there
// is no second, or all of s when there is no quote.
std::string quoted(std::string_view s) {
  const auto open = s.find('"');
  if (open == std::string_view::npos) return std::string(s);
  const auto close = s.find('"', open + 1);
  if (close == std::string_view::npos) return std::string(s.substr(open + 1));
  return std::string(s.substr(open + 1, close - open - 1));
}

// Reads the number at the start of s the way the C library does: strtoll
// skips blanks and takes a sign and digits. False when there is no digit or
// the value does not fit in an int.
bool number(std::string_view s, int& value) {
  const std::string copy(s);  // NUL-terminated; a NUL inside ends the number
  errno = 0;
  char* end = nullptr;
  const long long result = std::strtoll(copy.c_str(), &end, 10);
  if (end == copy.c_str() || errno == ERANGE || result < INT_MIN || result > INT_MAX) return false;
  value = static_cast<int>(result);
  return true;
}

void writeLine(std::string& out, long long number, const std::string& text) {
  out += std::to_string(number) + " " + text + "\n";
}

}  // namespace

std::string_view keywordOf(Op op) {
  for (const Keyword& keyword : kKeywords) {
    if (keyword.op == op) return keyword.word;
  }
  return {};
}

Command parseLine(std::string_view line) {
  Command command;
  for (const Keyword& keyword : kKeywords) {
    if (startsWith(line, keyword.word)) {
      command.op = keyword.op;
      break;
    }
  }
  const std::string_view rest = line.substr(keywordOf(command.op).size());
  switch (command.op) {
    case Op::kInsertEnd:
    case Op::kSearch:
      command.text = quoted(line);
      break;
    case Op::kInsert:
    case Op::kEdit:
      command.text = quoted(rest);
      [[fallthrough]];
    case Op::kDelete:
      command.hasNumber = number(rest, command.number);
      break;
    case Op::kPrint:
    case Op::kQuit:
    case Op::kNone:
      break;
  }
  return command;
}

std::vector<std::string_view> splitLines(std::string_view input) {
  std::vector<std::string_view> lines;
  while (!input.empty()) {
    const auto newline = input.find('\n');
    lines.push_back(input.substr(0, newline));
    input.remove_prefix(newline == std::string_view::npos ? input.size() : newline + 1);
  }
  return lines;
}

void Document::apply(const Command& command, std::string& out) {
  const auto n = static_cast<long long>(text.size());
  const long long p = command.number;
  switch (command.op) {
    case Op::kInsertEnd:
      text.push_back(command.text);
      break;
    case Op::kInsert:
      if (command.hasNumber && p <= n + 1) {
        text.insert(text.begin() + (p < 1 ? 0 : p - 1), command.text);
      }
      break;
    case Op::kDelete:
      if (command.hasNumber && p >= 1 && p <= n) text.erase(text.begin() + (p - 1));
      break;
    case Op::kEdit:
      if (command.hasNumber && p >= 1 && p <= n) text[p - 1] = command.text;
      break;
    case Op::kPrint:
      for (long long i = 0; i < n; ++i) writeLine(out, i + 1, text[i]);
      break;
    case Op::kSearch: {
      bool found = false;
      for (long long i = 0; i < n; ++i) {
        if (text[i].find(command.text) != std::string::npos) {
          writeLine(out, i + 1, text[i]);
          found = true;
        }
      }
      if (!found) out += "not found\n";
      break;
    }
    case Op::kQuit:
    case Op::kNone:
      break;
  }
}

namespace {

// The final listing and size that scrivetOutput and linkedListOutput end
// with.
std::string listingAndSize(const std::vector<std::string>& lines) {
  std::string out;
  long long number = 0;
  for (const std::string& line : lines) writeLine(out, ++number, line);
  return out + "(" + std::to_string(lines.size()) + " lines)\n";
}

}  // namespace

std::string scrivetOutput(std::string_view input, bool listAtEnd) {
  Document document;
  std::string out;
  for (const std::string_view line : splitLines(input)) {
    const Command command = parseLine(line);
    if (command.ends()) break;
    document.apply(command, out);
  }
  return listAtEnd ? out + listingAndSize(document.lines()) : out;
}

void applyTo(scrivet::LinkedList& list, const Command& command, std::ostream& out) {
  switch (command.op) {
    case Op::kInsertEnd:
      list.push(command.text);
      break;
    case Op::kInsert:
      if (command.hasNumber) list.insert(command.number, command.text);
      break;
    case Op::kDelete:
      if (command.hasNumber) list.remove(command.number);
      break;
    case Op::kEdit:
      if (command.hasNumber) list.edit(command.number, command.text);
      break;
    case Op::kPrint:
      list.print(out);
      break;
    case Op::kSearch:
      list.find(command.text, out);
      break;
    case Op::kQuit:
    case Op::kNone:
      break;
  }
}

std::string linkedListOutput(std::string_view input) {
  scrivet::LinkedList list;
  std::ostringstream out;
  for (const std::string_view line : splitLines(input)) {
    const Command command = parseLine(line);
    if (command.ends()) break;
    applyTo(list, command, out);
    if (!list.invariantsHold()) return out.str() + "(the list's invariants do not hold)\n";
  }
  list.print(out);
  out << "(" << list.size() << " lines)\n";
  return out.str();
}

namespace {

// Puts text between quotes, most of the time properly.
std::string quote(Rng& rng, const std::string& text) {
  const auto kind = rng.below(100);
  if (kind < 75) return "\"" + text + "\"";
  if (kind < 85) return "\"" + text;
  if (kind < 93) return text;
  return "\"" + text + "\"" + randomText(rng, true);
}

}  // namespace

std::string scrivetSession(Rng& rng, std::size_t maxLines, std::size_t startLines) {
  Document document;  // tracks the size so numbers land near the document
  std::string session;
  std::string ignored;
  if (rng.percent(4)) startLines += 100 + rng.below(301);
  for (std::size_t i = 1; i <= startLines; ++i) {
    const std::string line = "insertEnd \"line " + std::to_string(i) + "\"";
    document.apply(parseLine(line), ignored);
    session += line + "\n";
  }
  const std::size_t lines = 1 + rng.below(maxLines);
  for (std::size_t i = 0; i < lines; ++i) {
    const std::size_t size = document.lines().size();
    std::string line;
    // Long sessions leave out the lines that end a session early.
    const auto kind = rng.below(maxLines > 100 ? 97 : 100);
    if (kind < 30) {
      line = std::string("insertEnd") + pick(rng, {" ", " ", "", "  ", "\t"}) +
             quote(rng, randomText(rng, false));
    } else if (kind < 45) {
      line = "insert " + randomNumber(rng, size) + pick(rng, {" ", " ", ""}) +
             quote(rng, randomText(rng, false));
    } else if (kind < 57) {
      line = "delete " + randomNumber(rng, size);
      if (rng.percent(10)) line += " " + randomText(rng, true);
    } else if (kind < 69) {
      line = "edit " + randomNumber(rng, size) + pick(rng, {" ", " ", ""}) +
             quote(rng, randomText(rng, false));
    } else if (kind < 78) {
      // Whatever follows print is ignored, a number and a text too.
      line = std::string("print") + pick(rng, {"", "", "out", " all", "\r"});
      if (rng.percent(15)) line += " " + randomNumber(rng, size) + " " + quote(rng, "x");
    } else if (kind < 97) {
      std::string key = randomText(rng, false);
      if (size > 0 && rng.percent(60)) {
        const std::string& text = document.lines()[rng.below(size)];
        const std::size_t from = text.empty() ? 0 : rng.below(text.size());
        key = text.substr(from, rng.below(4));
      }
      line = "search " + quote(rng, key);
    } else if (kind < 98) {
      line = std::string("quit") + pick(rng, {"", "ting", " now"});
    } else {
      // Lines that match no keyword and end the session.
      line = pick(rng, {"", " print", "Print", "QUIT", "insert", "delete", "edit", "search",
                        "\"print\"", "insertend \"x\""});
    }
    const Command command = parseLine(line);
    if (!command.ends()) document.apply(command, ignored);
    session += line;
    if (i + 1 < lines || rng.percent(80)) session += '\n';
  }
  return session;
}

}  // namespace model
