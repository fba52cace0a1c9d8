// scrivet_search_bench: LinkedList::find where a plain scan would take time
// in the product of line and key length, and where it was already fast,
// for the section "Searching" of docs/performance.md. Each target is a
// ratio of wall-clock medians taken in this run:
//   keys on long lines  a...ab, ba...a and a...aba...a on a line of a, and
//                       a...a on (a^999 b)..., all absent: a 32 KiB key
//                       against a 2 KiB key on a 4 MiB line, and an 8 MiB
//                       line against a 4 MiB line with a 16 KiB key;
//   short keys          keys kNNN; that 1 line in 1000 holds, on lines of
//                       40 bytes: find against the scan it replaced
//                       (std::string_view::find on each line of a chain);
//   real text           the standard library of Debian's python3 (code)
//                       and the sources of its documentation (prose),
//                       each line pushed as insertEnd pushes it, and a
//                       fixed list of keys for each: find against the
//                       floor, one memchr over each line of the same
//                       chain that writes the lines that match, and
//                       against three searches of the standard library
//                       on that chain.
// BENCH_SCALE below 1 takes that share of each corpus's files.
// For make bench-tricks, `scrivet_search_bench figure WHAT` prints the
// milliseconds of: for prepare, one search for a 32 KiB a...ab on a 4 MiB
// line of a; for code or prose, one search for each key of that corpus,
// added up; for poor, the searches that poorFilter() lists, where the
// rarest bytes of each key, by byte_ranks.h, are common in the text.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "bench/workloads.h"

namespace {

using bench::median;
using bench::printTarget;
using scrivet::LinkedList;

constexpr std::size_t kKiB = 1024;
constexpr std::size_t kMiB = 1024 * kKiB;

bench::NullBuffer discardBuffer;
std::ostream discard(&discardBuffer);

// A document of one line.
struct OneLine {
  explicit OneLine(std::string text) { document.push(std::move(text)); }
  LinkedList document;
};

// One document and the key to search it for.
struct Search {
  const LinkedList* document;
  std::string key;
};

// The time of one search of each, the median of 9 runs of `searches`
// searches each; the searches take turns, run by run, so that the
// machine's slower moments fall on all of them alike.
std::vector<double> searchTimes(const std::vector<Search>& all, int searches) {
  std::vector<std::vector<double>> times(all.size());
  for (int run = 0; run < 9; ++run) {
    for (std::size_t i = 0; i < all.size(); ++i) {
      times[i].push_back(bench::secondsOf([&] {
        for (int n = 0; n < searches; ++n) all[i].document->find(all[i].key, discard);
      }));
    }
  }
  std::vector<double> medians(all.size());
  for (std::size_t i = 0; i < all.size(); ++i) medians[i] = median(times[i]) / searches;
  return medians;
}

struct KeyShape {
  const char* name;                  // how the key looks
  std::string (*key)(std::size_t);   // the key of a given size
  std::string (*line)(std::size_t);  // the line it is looked for in
};

std::string aThenB(std::size_t size) { return std::string(size - 1, 'a') + 'b'; }
std::string bThenA(std::size_t size) { return 'b' + std::string(size - 1, 'a'); }
std::string bInTheMiddle(std::size_t size) {
  return std::string(size / 2, 'a') + 'b' + std::string(size - size / 2 - 1, 'a');
}
std::string onlyA(std::size_t size) {
  std::string text(size, 'a');  // not {size, 'a'}, two bytes
  return text;
}
std::string runsOfA(std::size_t size) {
  std::string text;
  while (text.size() < size) text += std::string(999, 'a') + 'b';
  return text.substr(0, size);
}

void keysOnLongLines() {
  const KeyShape shapes[] = {{"a...ab on a...a", aThenB, onlyA},
                             {"ba...a on a...a", bThenA, onlyA},
                             {"a...aba...a on a...a", bInTheMiddle, onlyA},
                             {"a...a on (a^999 b)...", onlyA, runsOfA}};
  for (const KeyShape& shape : shapes) {
    const OneLine line4(shape.line(4 * kMiB));
    const OneLine line8(shape.line(8 * kMiB));
    const double once =
        bench::secondsOf([&] { line4.document.find(shape.key(2 * kKiB), discard); });
    const int searches = static_cast<int>(std::min(1000.0, std::ceil(0.02 / std::max(once, 1e-9))));
    const std::vector<double> t = searchTimes({{&line4.document, shape.key(2 * kKiB)},
                                               {&line4.document, shape.key(32 * kKiB)},
                                               {&line4.document, shape.key(16 * kKiB)},
                                               {&line8.document, shape.key(16 * kKiB)}},
                                              searches);
    printTarget(std::cout, std::string(shape.name) + ", 4 MiB line: 32 KiB key / 2 KiB key",
                t[1] / t[0], 2.0);
    printTarget(std::cout, std::string(shape.name) + ", 16 KiB key: 8 MiB line / 4 MiB line",
                t[3] / t[2], 2.5);
    std::printf(
        "        ms per search (runs of %d): 4 MiB line: 2 KiB key %.3f, 32 KiB key %.3f,"
        " 16 KiB key %.3f; 8 MiB line: 16 KiB key %.3f\n",
        searches, t[0] * 1e3, t[1] * 1e3, t[2] * 1e3, t[3] * 1e3);
  }
}

void shortKeys(std::size_t lines, int runs) {
  // Built in turns, so that both chains lie alike on the heap.
  LinkedList document;
  bench::BareChain chain;
  for (std::size_t i = 1; i <= lines; ++i) {
    document.push(bench::lineText(i));
    chain.push(bench::lineText(i));
  }
  std::mt19937 random(bench::kSeed);
  std::vector<double> newTimes;
  std::vector<double> oldTimes;
  for (int run = 0; run < runs; ++run) {
    const std::string key = bench::keyText(random());
    const auto timeNew = [&] {
      newTimes.push_back(bench::secondsOf([&] { document.find(key, discard); }));
    };
    const auto timeOld = [&] {
      oldTimes.push_back(bench::secondsOf([&] { chain.scan(key, discard); }));
    };
    if (run % 2 == 0) {
      timeNew();
      timeOld();
    } else {
      timeOld();
      timeNew();
    }
  }
  const double newTime = median(newTimes);
  const double oldTime = median(oldTimes);
  printTarget(std::cout,
              "short keys, " + std::to_string(lines) + " lines of 40 bytes: new / old find",
              newTime / oldTime, 1.10);
  std::printf("        ms per search, median of %d: new %.3f, old %.3f\n", runs, newTime * 1e3,
              oldTime * 1e3);
}

// Real text: a corpus is every file under a folder whose name ends in a
// suffix, but those of one subfolder left out, in the order of their paths,
// and the keys looked for in it, fixed before any tuning of the search.
struct Corpus {
  const char* name;                    // "code" or "prose"
  std::string what;                    // what the files are, and whose
  std::filesystem::path folder;        // where they are
  const char* suffix;                  // how their names end
  const char* skip;                    // the subfolder of folder left out, or ""
  std::vector<std::string_view> keys;  // 1 to 32 bytes each
};

// Keys of 1 to 32 bytes: common and rare bytes, words and phrases, short
// words, punctuation and brackets, mixed case, runs of blanks, and one key
// that no line holds.
const std::vector<std::string_view> kCodeKeys = {
    // single bytes, common and rare; short words and punctuation
    "e", "(", ":", "Z", "if", "==", "])", "XXX",
    // words, mixed case, and a run of blanks
    "self", "def ", "None", "    ", "return", "if not", "lambda", "http://", "__init__",
    // phrases, up to 32 bytes, the last in no line
    "import os", "Exception", "isinstance(", "        return",
    "except KeyError:", "raise ValueError(", "raise NotImplementedError",
    "if __name__ == '__main__':", "def no_line_of_the_library_has()"};
const std::vector<std::string_view> kProseKeys = {
    // single bytes, common and rare; short words and punctuation
    "e", "a", ",", ")", "Q", "of", "``", "the", "The",
    // words and markup, mixed case
    "e.g.", "which", "in the", "Python", "Buffer", "is not", ":func:`", "function", ".. note::",
    // phrases, up to 32 bytes, the last in no line
    "thread-safe", "For example,", "the default value",
    ".. versionchanged::", "This module provides", "Python Software Foundation",
    "No sentence of these docs has it"};

constexpr const char* kPython = "/usr/bin/python3";

[[noreturn]] void refuse(const std::string& why) {
  std::fprintf(stderr, "scrivet_search_bench: %s\n", why.c_str());
  std::exit(1);
}

// The lines that command writes on its standard output; none when it
// cannot be run.
std::vector<std::string> outputOf(const std::string& command) {
  std::vector<std::string> lines;
  const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (pipe == nullptr) return lines;
  std::string line;
  for (int c = 0; (c = std::fgetc(pipe.get())) != EOF;) {
    if (c != '\n') {
      line += static_cast<char>(c);
    } else {
      lines.push_back(line);
      line.clear();
    }
  }
  return lines;
}

// Both corpora, taken from the packages that make deps installs: Debian's
// python3 (never another python3 found first on the PATH) says its
// version and where its standard library is. Says what to install and
// exits when either is missing.
std::vector<Corpus> findCorpora() {
  namespace fs = std::filesystem;
  std::vector<std::string> said;
  if (fs::exists(kPython)) {
    said =
        outputOf(std::string(kPython) +
                 " -I -c 'import sys, sysconfig; print(sys.version.split()[0]);"
                 " print(\"%d.%d\" % sys.version_info[:2]); print(sysconfig.get_path(\"stdlib\"))'"
                 " 2>/dev/null");
  }
  if (said.size() != 3 || !fs::is_regular_file(fs::path(said[2]) / "os.py")) {
    refuse("the code corpus, the standard library of Debian's " + std::string(kPython) +
           ", was not found: install python3 (make deps does)");
  }
  const fs::path docs = "/usr/share/doc/python" + said[1] + "/html/_sources";
  if (!fs::is_directory(docs)) {
    refuse("the prose corpus, the sources of Python's documentation in " + docs.string() +
           ", was not found: install python" + said[1] +
           "-doc (make deps installs python3-doc, which brings it)");
  }
  return {{"code", "the standard library of Python " + said[0] + " (" + kPython + ")", said[2],
           ".py", "test", kCodeKeys},
          {"prose", "the documentation's sources, package python" + said[1] + "-doc", docs,
           ".rst.txt", "", kProseKeys}};
}

// The corpus's files in the order of their paths; below a scale of 1, only
// every (1 / scale)-th of them.
std::vector<std::filesystem::path> filesOf(const Corpus& corpus, double scale) {
  namespace fs = std::filesystem;
  std::vector<fs::path> files;
  const std::string_view suffix = corpus.suffix;
  for (auto entry = fs::recursive_directory_iterator(corpus.folder);
       entry != fs::recursive_directory_iterator(); ++entry) {
    const std::string name = entry->path().filename().string();
    if (entry.depth() == 0 && entry->is_directory() && name == corpus.skip) {
      entry.disable_recursion_pending();
    } else if (entry->is_regular_file() && name.size() > suffix.size() &&
               name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
      files.push_back(entry->path());
    }
  }
  std::sort(files.begin(), files.end());
  const auto every = static_cast<std::size_t>(std::max(1.0, std::round(1 / scale)));
  std::vector<fs::path> kept;
  for (std::size_t i = 0; i < files.size(); i += every) kept.push_back(files[i]);
  return kept;
}

// A corpus's lines, each pushed into the document as insertEnd pushes it
// and into a bare chain, in turns, so that both lie alike on the heap.
struct CorpusText {
  explicit CorpusText(const std::vector<std::filesystem::path>& files) {
    for (const std::filesystem::path& file : files) {
      std::ifstream in(file, std::ios::binary);
      const std::string all{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
      if (!in.good() && !in.eof()) refuse("cannot read " + file.string());
      for (std::size_t start = 0; start < all.size();) {
        const std::size_t end = std::min(all.find('\n', start), all.size());
        const std::string_view line = std::string_view(all).substr(start, end - start);
        for (const char c : line) ++counts[static_cast<unsigned char>(c)];
        document.push(std::string(line));
        chain.push(std::string(line));
        ++lines;
        bytes += line.size();
        start = end + 1;
      }
    }
  }

  LinkedList document;
  bench::BareChain chain;
  std::size_t lines = 0;                  // lines of both
  std::size_t bytes = 0;                  // their bytes, newlines not counted
  std::array<std::size_t, 256> counts{};  // lines' bytes of each value
};

// The floor of a search of the chain from first on: one memchr over each
// line, for absent, a byte that no line holds, and the lines that match,
// whose numbers are matches, written as LinkedList::find writes them.
// Whether memchr found absent decides whether a line is written, so the
// pass over the bytes is never left out.
void floorWalk(const scrivet::Node* first, unsigned char absent,
               const std::vector<std::size_t>& matches, std::ostream& out) {
  auto match = matches.begin();
  std::size_t number = 1;
  for (const scrivet::Node* node = first; node != nullptr; node = node->next, ++number) {
    const std::string_view text = node->text;
    if (std::memchr(text.data(), absent, text.size()) != nullptr ||
        (match != matches.end() && *match == number)) {
      bench::writeNumbered(out, number, text);
      ++match;
    }
  }
  if (matches.empty()) out << "not found" << std::endl;
}

constexpr int kCorpusRuns = 11;

struct Way {
  const char* name;
  std::function<void(std::ostream&)> search;
};

// A search of text for key by the floor, the tree's find, and the three
// others on the chain (memmem only with glibc), each writing what find
// writes.
std::vector<Way> waysOf(const CorpusText& text, unsigned char absent, std::string_view key,
                        const std::vector<std::size_t>& matches) {
  const scrivet::Node* first = text.chain.first();
  std::vector<Way> ways = {
      {"floor", [=, &matches](std::ostream& out) { floorWalk(first, absent, matches, out); }},
      {"find", [=, &text](std::ostream& out) { text.document.find(key, out); }},
      {"string_view::find", [=](std::ostream& out) {
         bench::findIn(
             first, [key](std::string_view line) { return line.find(key) != line.npos; }, out);
       }}};
#if defined(__GLIBC__)
  ways.push_back({"memmem", [=](std::ostream& out) {
                    bench::findIn(
                        first,
                        [key](std::string_view line) {
                          return memmem(line.data(), line.size(), key.data(), key.size()) !=
                                 nullptr;
                        },
                        out);
                  }});
#endif
  ways.push_back({"horspool", [=](std::ostream& out) {
                    const std::boyer_moore_horspool_searcher<const char*> searcher(
                        key.data(), key.data() + key.size());
                    bench::findIn(
                        first,
                        [&searcher](std::string_view line) {
                          const char* end = line.data() + line.size();
                          return searcher(line.data(), end).first != end;
                        },
                        out);
                  }});
  return ways;
}

// Races the ways of searching the corpus for each of its keys, kCorpusRuns
// runs in turns, and prints the table, then the targets of each key.
void realText(const Corpus& corpus, double scale) {
  const std::vector<std::filesystem::path> files = filesOf(corpus, scale);
  const CorpusText text(files);
  const auto absent = std::find(text.counts.begin(), text.counts.end(), 0);
  if (files.empty() || absent == text.counts.end()) {
    refuse(std::string(corpus.name) + ": no files, or no byte value that its lines lack");
  }
  std::printf("\nreal text, %s: %s\n  %zu files, %s/**/*%s%s%s\n", corpus.name, corpus.what.c_str(),
              files.size(), corpus.folder.c_str(), corpus.suffix,
              *corpus.skip != '\0' ? ", left out: " : "", *corpus.skip != '\0' ? corpus.skip : "");
  if (scale < 1) std::printf("  BENCH_SCALE=%g: one file in %.0f\n", scale, std::round(1 / scale));
  std::printf(
      "  %zu lines, %zu bytes without the newlines; the floor looks for byte 0x%02x, in no line\n"
      "  ms, min and median of %d runs in turns, and median / the floor's\n  %-34s %8s",
      text.lines, text.bytes, static_cast<unsigned>(absent - text.counts.begin()), kCorpusRuns,
      "key", "matches");
  std::vector<std::string> targets;
  bool headed = false;
  for (const std::string_view key : corpus.keys) {
    std::vector<std::size_t> matches;
    std::size_t number = 1;
    for (const scrivet::Node* node = text.chain.first(); node != nullptr; node = node->next) {
      if (node->text.find(key) != std::string::npos) matches.push_back(number);
      ++number;
    }
    const std::vector<Way> ways =
        waysOf(text, static_cast<unsigned char>(absent - text.counts.begin()), key, matches);
    if (!headed) {
      for (const Way& way : ways) std::printf(" %-20s", way.name);
      std::printf("\n");
      headed = true;
    }
    // Each way's output once, against the floor's.
    std::ostringstream expected;
    ways[0].search(expected);
    std::vector<bool> agrees;
    for (const Way& way : ways) {
      std::ostringstream written;
      way.search(written);
      agrees.push_back(written.str() == expected.str());
    }
    std::vector<std::vector<double>> times(ways.size());
    for (int run = 0; run < kCorpusRuns; ++run) {
      for (std::size_t turn = 0; turn < ways.size(); ++turn) {
        const std::size_t i = (run + turn) % ways.size();
        times[i].push_back(bench::secondsOf([&] { ways[i].search(discard); }) * 1e3);
      }
    }
    const std::string quoted = '"' + std::string(key) + '"';
    std::printf("  %-34s %8zu", quoted.c_str(), matches.size());
    const double floor = median(times[0]);
    double bestPeer = 0;
    for (std::size_t i = 0; i < ways.size(); ++i) {
      if (!agrees[i]) {
        std::printf(" %-20s", "WRONG: not shown");
        continue;
      }
      const double least = *std::min_element(times[i].begin(), times[i].end());
      std::printf(i == 0 ? " %6.3f %6.3f       " : " %6.3f %6.3f %6.2f", least, median(times[i]),
                  median(times[i]) / floor);
      if (i >= 2 && (bestPeer == 0 || median(times[i]) < bestPeer)) bestPeer = median(times[i]);
    }
    std::printf("\n");
    std::ostringstream out;
    const std::string what = std::string(corpus.name) + ", " + quoted + ": find ";
    if (!agrees[1]) {
      out << "target  " << what << "writes other lines than the floor  NOT MET\n";
    } else {
      printTarget(out, what + "/ floor", median(times[1]) / floor, 1.25);
      if (bestPeer > 0) printTarget(out, what + "/ best other", median(times[1]) / bestPeer, 1.03);
    }
    targets.push_back(out.str());
  }
  for (const std::string& target : targets) std::printf("%s", target.c_str());
}

// The milliseconds of one search of the corpus for each of its keys, added
// up, each key searched once before.
double corpusFigure(const Corpus& corpus, double scale) {
  const CorpusText text(filesOf(corpus, scale));
  double total = 0;
  for (const std::string_view key : corpus.keys) {
    text.document.find(key, discard);
    total += bench::secondsOf([&] { text.document.find(key, discard); });
  }
  return total * 1e3;
}

// Searches where the filter is poor: keys of the bytes that the text is
// made of, lines of 80 bytes drawn from "et " at random, and an absent key
// whose rarest byte by the table is in every place of long lines of "ab".
double poorFilter() {
  std::mt19937 random(bench::kSeed);
  LinkedList common;
  for (int i = 0; i < 20000; ++i) {
    std::string line(80, ' ');
    for (char& c : line) c = "et "[random() % 3];
    common.push(line);
  }
  std::string ab;
  while (ab.size() < 4000) ab += "ab";
  LinkedList longPairs;
  for (int i = 0; i < 50; ++i) longPairs.push(ab);
  const std::vector<Search> searches = {{&common, "et te e"},
                                        {&common, "tt tt"},
                                        {&common, "e e t t e"},
                                        {&common, std::string(37, 'e')},
                                        {&longPairs, "abababac"}};
  double total = 0;
  for (const double t : searchTimes(searches, 3)) total += t;
  return total * 1e3;
}

// The scale that BENCH_SCALE sets, 1 without it.
double benchScale() {
  const char* scaleText = std::getenv("BENCH_SCALE");
  char* scaleEnd = nullptr;
  const double scale = scaleText == nullptr ? 1 : std::strtod(scaleText, &scaleEnd);
  if (scaleText != nullptr && (scaleEnd == scaleText || *scaleEnd != '\0' || !(scale > 0))) {
    refuse("BENCH_SCALE must be a positive number, not '" + std::string(scaleText) + "'");
  }
  return std::min(scale, 1.0);
}

}  // namespace

int main(int argc, char** argv) {
  bench::heapInOrder();
  if (argc > 1) {
    const std::string_view what = argc == 3 ? argv[2] : "";
    if (argc != 3 || std::string_view(argv[1]) != "figure" ||
        (what != "prepare" && what != "code" && what != "prose" && what != "poor")) {
      std::fprintf(stderr, "usage: scrivet_search_bench [figure prepare|code|prose|poor]\n");
      return 2;
    }
    if (what == "prepare") {
      const OneLine line(onlyA(4 * kMiB));
      std::printf("%.4f\n", searchTimes({{&line.document, aThenB(32 * kKiB)}}, 200)[0] * 1e3);
    } else if (what == "poor") {
      std::printf("%.4f\n", poorFilter());
    } else {
      const std::vector<Corpus> corpora = findCorpora();
      std::printf("%.4f\n", corpusFigure(corpora[what == "code" ? 0 : 1], benchScale()));
    }
    return 0;
  }
  const double scale = benchScale();
  const std::vector<Corpus> corpora = findCorpora();
  std::printf("search: wall-clock medians on this machine, in this run\n");
  keysOnLongLines();
  shortKeys(50000, 31);
  shortKeys(1000000, 11);
  for (const Corpus& corpus : corpora) realText(corpus, scale);
  return 0;
}
