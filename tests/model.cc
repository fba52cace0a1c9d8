#include "model.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "scrivet/linked_list.h"

namespace model {

std::uint64_t Rng::next() {
  std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

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

Command parseLine(std::string_view line) {
  Command command;
  const auto numbered = [&](Op op, std::size_t keyword) {
    command.op = op;
    const std::string_view rest = line.substr(keyword);
    command.hasNumber = number(rest, command.number);
    if (op != Op::kRemove) command.text = quoted(rest);
  };
  if (startsWith(line, "insertEnd")) {
    command.op = Op::kPush;
    command.text = quoted(line);
  } else if (startsWith(line, "insert ")) {
    numbered(Op::kInsert, 7);
  } else if (startsWith(line, "delete ")) {
    numbered(Op::kRemove, 7);
  } else if (startsWith(line, "edit ")) {
    numbered(Op::kEdit, 5);
  } else if (startsWith(line, "print")) {
    command.op = Op::kPrint;
  } else if (startsWith(line, "search ")) {
    command.op = Op::kFind;
    command.text = quoted(line);
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
    case Op::kPush:
      text.push_back(command.text);
      break;
    case Op::kInsert:
      if (command.hasNumber && p <= n + 1) {
        text.insert(text.begin() + (p < 1 ? 0 : p - 1), command.text);
      }
      break;
    case Op::kRemove:
      if (command.hasNumber && p >= 1 && p <= n) text.erase(text.begin() + (p - 1));
      break;
    case Op::kEdit:
      if (command.hasNumber && p >= 1 && p <= n) text[p - 1] = command.text;
      break;
    case Op::kPrint:
      for (long long i = 0; i < n; ++i) writeLine(out, i + 1, text[i]);
      break;
    case Op::kFind: {
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
    case Op::kEnd:
      break;
  }
}

std::string scrivetOutput(std::string_view input) {
  Document document;
  std::string out;
  for (const std::string_view line : splitLines(input)) {
    const Command command = parseLine(line);
    if (command.op == Op::kEnd) break;
    document.apply(command, out);
  }
  return out;
}

std::string checkLinkedList(std::string_view input) {
  scrivet::LinkedList list;
  Document document;
  std::size_t step = 0;
  for (const std::string_view line : splitLines(input)) {
    ++step;
    const Command command = parseLine(line);
    if (command.op == Op::kEnd) break;
    std::string expected;
    document.apply(command, expected);
    std::ostringstream written;
    switch (command.op) {
      case Op::kPush:
        list.push(command.text);
        break;
      case Op::kInsert:
        if (command.hasNumber) list.insert(command.number, command.text);
        break;
      case Op::kRemove:
        if (command.hasNumber) list.remove(command.number);
        break;
      case Op::kEdit:
        if (command.hasNumber) list.edit(command.number, command.text);
        break;
      case Op::kPrint:
        list.print(written);
        break;
      case Op::kFind:
        list.find(command.text, written);
        break;
      case Op::kEnd:
        break;
    }
    const std::string where = "after line " + std::to_string(step) + ": ";
    if (!list.invariantsHold()) return where + "invariants broken";
    if (list.size() != document.lines().size()) {
      return where + "size " + std::to_string(list.size()) + ", expected " +
             std::to_string(document.lines().size());
    }
    if (written.str() != expected) return where + "output differs";
  }
  std::ostringstream listing;
  list.print(listing);
  std::string expected;
  document.apply(Command{Op::kPrint, false, 0, {}}, expected);
  return listing.str() == expected ? std::string() : "final listing differs";
}

// ---- generators ----

namespace {

template <typename T, std::size_t N>
const T& pick(Rng& rng, const T (&choices)[N]) {
  return choices[rng.below(N)];
}

// A text of any bytes but the newline; a double quote only when allowQuote.
std::string randomText(Rng& rng, bool allowQuote) {
  static const char kPlain[] = "abcxyz ABC 019";
  const std::size_t length = rng.percent(3) ? 100 + rng.below(400) : rng.below(12);
  std::string text;
  for (std::size_t i = 0; i < length; ++i) {
    const auto kind = rng.below(100);
    if (kind < 70) {
      text += kPlain[rng.below(sizeof kPlain - 1)];
    } else if (kind < 90) {
      text += pick(rng, {'\t', '\r', '\0', '\x1b', '\v', '\f'});
    } else if (kind < 97 || !allowQuote) {
      text += static_cast<char>(0x80 + rng.below(0x80));
    } else {
      text += '"';
    }
  }
  return text;
}

// The spelling of a line number for a document of size lines: usually a
// line inside, at or just outside the document, sometimes a limit of int or
// something that is no number at all.
std::string randomNumber(Rng& rng, std::size_t size) {
  static const char* const kOdd[] = {"0",
                                     "-1",
                                     "-7",
                                     "2147483647",
                                     "-2147483648",
                                     "2147483648",
                                     "-2147483649",
                                     "99999999999999999999",
                                     "",
                                     "abc",
                                     "-",
                                     "+",
                                     " ",
                                     "x1",
                                     "+3",
                                     "007",
                                     "2x",
                                     "-0",
                                     "\t 2",
                                     " \r\v\f1"};
  const auto kind = rng.below(100);
  if (kind < 15) return pick(rng, kOdd);
  const auto n = static_cast<long long>(size);
  long long value = 0;
  if (kind < 80 && n > 0) {
    value = 1 + static_cast<long long>(rng.below(static_cast<std::uint64_t>(n)));
  } else {
    value = n + static_cast<long long>(rng.below(3));  // n, n + 1, n + 2
  }
  std::string spelled = std::to_string(value);
  if (rng.percent(10)) spelled = pick(rng, {" ", "  ", "\t", "+"}) + spelled;
  return spelled;
}

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
      line = std::string("print") + pick(rng, {"", "", "out", " all", "\r"});
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
    if (command.op != Op::kEnd) document.apply(command, ignored);
    session += line;
    if (i + 1 < lines || rng.percent(80)) session += '\n';
  }
  return session;
}

// ---- scrivet-prompt ----

namespace {

// White space as the C locale knows it: what separates words.
bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Reads the input the way the stream extraction operators of the C locale
// do, keeping the position by hand.
class Reader {
 public:
  explicit Reader(std::string_view input) : input(input) {}

  // The next word, or false at the end of input.
  bool word(std::string& word) {
    while (at < input.size() && isSpace(input[at])) ++at;
    if (at == input.size()) return false;
    const std::size_t start = at;
    while (at < input.size() && !isSpace(input[at])) ++at;
    word = std::string(input.substr(start, at - start));
    return true;
  }

  // An int: blanks, an optional sign and digits. On failure the rest of the
  // line is dropped.
  bool number(int& value) {
    while (at < input.size() && isSpace(input[at])) ++at;
    const std::size_t start = at;
    if (at < input.size() && (input[at] == '-' || input[at] == '+')) ++at;
    const std::size_t digits = at;
    while (at < input.size() && input[at] >= '0' && input[at] <= '9') ++at;
    std::size_t first = digits;  // leading zeros do not count towards the size
    while (first < at && input[first] == '0') ++first;
    bool fits = at > digits && at - first <= 10;
    long long parsed = 0;
    if (fits && at > first) parsed = std::stoll(std::string(input.substr(first, at - first)));
    if (start < at && input[start] == '-') parsed = -parsed;
    fits = fits && parsed >= INT_MIN && parsed <= INT_MAX;
    if (!fits) {
      restOfLine();
      return false;
    }
    value = static_cast<int>(parsed);
    return true;
  }

  // Everything up to the next newline, which is dropped.
  std::string restOfLine() {
    const std::size_t newline = input.find('\n', at);
    const std::size_t end = newline == std::string_view::npos ? input.size() : newline;
    std::string text(input.substr(at, end - at));
    at = newline == std::string_view::npos ? input.size() : newline + 1;
    return text;
  }

 private:
  std::string_view input;
  std::size_t at = 0;
};

}  // namespace

std::string promptOutput(std::string_view input) {
  std::string out = "Enter a User Command\n";
  std::vector<std::string> entries;  // entry k is entries[k - 1]
  Reader reader(input);
  std::string word;
  while (word != "quit" && reader.word(word)) {
    int number = 0;
    const auto n = static_cast<long long>(entries.size());
    if (word == "insertEnd") {
      entries.push_back(reader.restOfLine());
    } else if (word == "edit") {
      if (reader.number(number)) {
        std::string text = reader.restOfLine();
        if (number >= 1 && number <= n) entries[number - 1] = text;
      }
    } else if (word == "insert") {
      if (reader.number(number)) {
        std::string text = reader.restOfLine();
        if (number >= 1 && number <= n + 1) entries.insert(entries.begin() + (number - 1), text);
      }
    } else if (word == "print") {
      out += "\n\n";
      for (long long k = n; k >= 1; --k) out += std::to_string(k) + " " + entries[k - 1] + "\n\n";
      out += "0 \n\n";
    }
  }
  return out;
}

std::string promptSession(Rng& rng) {
  static const char* const kSpaces[] = {" ", " ", " ", "\n", "\t", "  ", "\r\n", "\v", "\f", "\r"};
  static const char* const kOtherWords[] = {"delete", "Print", "QUIT",     "search",  "insertend",
                                            "2",      "x",     "\x80\xff", "quitting"};
  std::string session;
  long long entries = 0;  // about how many entries there are, to aim numbers
  const std::size_t words = 1 + rng.below(60);
  for (std::size_t i = 0; i < words; ++i) {
    const auto kind = rng.below(100);
    if (kind < 30) {
      session += "insertEnd";
      if (rng.percent(85)) session += pick(rng, {" ", "", "\t"}) + randomText(rng, true);
      session += "\n";
      ++entries;
    } else if (kind < 55) {
      const bool isInsert = rng.percent(50);
      session += isInsert ? "insert" : "edit";
      session += pick(rng, kSpaces);
      session += randomNumber(rng, static_cast<std::size_t>(entries));
      if (rng.percent(85)) session += pick(rng, {" ", "", "\t"}) + randomText(rng, true);
      session += "\n";
      if (isInsert) ++entries;
    } else if (kind < 70) {
      session += "print";
    } else if (kind < 99) {
      session += pick(rng, kOtherWords);
    } else {
      session += "quit";
    }
    session += pick(rng, kSpaces);
  }
  if (rng.percent(20)) session.pop_back();  // end without the last separator
  return session;
}

}  // namespace model
