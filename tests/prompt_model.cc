#include "prompt_model.h"

#include <climits>
#include <string>
#include <vector>

namespace model {

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

const PromptWord* promptCommandOf(std::string_view word) {
  for (const PromptWord& command : kPromptWords) {
    if (command.word == word) return &command;
  }
  return nullptr;
}

std::string promptOutput(std::string_view input, std::vector<std::string>* words) {
  std::string out = "Enter a User Command\n";
  std::vector<std::string> entries;  // entry k is entries[k - 1]
  Reader reader(input);
  std::string word;
  while (reader.word(word)) {
    if (words != nullptr) words->push_back(word);
    const PromptWord* command = promptCommandOf(word);
    int number = 0;
    const auto n = static_cast<long long>(entries.size());
    switch (command == nullptr ? PromptOp::kOther : command->op) {
      case PromptOp::kInsertEnd:
        entries.push_back(reader.restOfLine());
        break;
      case PromptOp::kEdit:
        if (reader.number(number)) {
          std::string text = reader.restOfLine();
          if (number >= 1 && number <= n) entries[number - 1] = text;
        }
        break;
      case PromptOp::kInsert:
        if (reader.number(number)) {
          std::string text = reader.restOfLine();
          if (number >= 1 && number <= n + 1) entries.insert(entries.begin() + (number - 1), text);
        }
        break;
      case PromptOp::kPrint:
        out += "\n\n";
        for (long long k = n; k >= 1; --k) out += std::to_string(k) + " " + entries[k - 1] + "\n\n";
        out += "0 \n\n";
        break;
      case PromptOp::kQuit:
        return out;
      case PromptOp::kDelete:
      case PromptOp::kOther:
        break;
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
