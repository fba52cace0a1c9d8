// Times LinkedList::find where a plain substring scan takes time in the
// product of line and key length, where it was already fast, and on the
// four workloads that a speed trick in the search must win on. Prints each
// target as
//   target  DESCRIPTION  RATIO  (at most LIMIT)  met | NOT MET
// followed by the times behind it. All times are wall-clock medians taken
// in this run; results go to a stream that discards them.
//
//   keys on long lines  For the keys a...ab, ba...a and a...aba...a on a line
//                       of a, and a...a on a line of a^999 b repeated (all
//                       absent): a 32 KiB key against a 2 KiB key on a 4 MiB
//                       line, and an 8 MiB line against a 4 MiB line with a
//                       16 KiB key; 9 runs each, taking turns, a run being as
//                       many searches as take 20 ms with the 2 KiB key.
//   short keys          Documents of 40-byte lines, keys kNNN; that 1 line in
//                       1000 holds: find against the scan it replaced (a walk
//                       of a chain built the same way, std::string_view::find
//                       on each line), the two taking turns.
//   workloads           Each document built as scrivet builds it, a text
//                       copied out of a reused line buffer per line:
//                       (a) 2,000,000 lines of 44 bytes, and the 15-byte key
//                           that one of them holds;
//                       (b) the same lines, and the 4-byte key k999 that 1
//                           line in 1000 holds;
//                       (c) 1,000 lines of 4 KiB, and a 15-byte key that one
//                           of them holds;
//                       (d) the lines of (a) built by inserts at random line
//                           numbers, so that their nodes lie scattered on the
//                           heap, and the key of (a).
//                       Then (a) against grep -F -n on the same text in a
//                       file, read from the page cache after three warm-up
//                       runs; the two take turns.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>
#include <ostream>
#include <random>
#include <sstream>
#include <streambuf>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bench/common.h"
#include "scrivet/linked_list.h"

namespace {

using bench::keyText;
using bench::lineText;
using bench::median;
using bench::NullBuffer;
using bench::printTarget;
using scrivet::LinkedList;

constexpr std::size_t kKiB = 1024;
constexpr std::size_t kMiB = 1024 * kKiB;
constexpr int kLongLineRuns = 9;
constexpr double kLongLineRun = 0.02;  // seconds that one run takes at least
constexpr int kWorkloadRuns = 15;
constexpr int kGrepRuns = 9;
constexpr std::uint32_t kSeed = 20240607;

NullBuffer discardBuffer;
std::ostream discard(&discardBuffer);

// The wall-clock seconds that work takes.
template <typename Work>
double secondsOf(Work&& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// ---- keys on long lines ----

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

// The time of one search of each, the median of `runs` runs of `searches`
// searches each; the searches take turns, run by run, so that the
// machine's slower moments fall on all of them alike.
std::vector<double> searchTimes(const std::vector<Search>& all, int searches,
                                int runs = kLongLineRuns) {
  std::vector<std::vector<double>> times(all.size());
  for (int run = 0; run < runs; ++run) {
    for (std::size_t i = 0; i < all.size(); ++i) {
      times[i].push_back(secondsOf([&] {
        for (int n = 0; n < searches; ++n) all[i].document->find(all[i].key, discard);
      }));
    }
  }
  std::vector<double> medians;
  medians.reserve(all.size());
  for (const std::vector<double>& some : times) medians.push_back(median(some) / searches);
  return medians;
}

// How many searches of document for key take kLongLineRun seconds or more.
int searchesPerRun(const LinkedList& document, const std::string& key) {
  const double once = secondsOf([&] { document.find(key, discard); });
  return static_cast<int>(std::min(1000.0, std::ceil(kLongLineRun / std::max(once, 1e-9))));
}

// size bytes of word repeated.
std::string repeated(std::string_view word, std::size_t size) {
  std::string text;
  text.reserve(size + word.size());
  while (text.size() < size) text += word;
  text.resize(size);
  return text;
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
  std::string text;
  text.assign(size, 'a');
  return text;
}
std::string runsOfA(std::size_t size) { return repeated(std::string(999, 'a') + 'b', size); }

void keysOnLongLines() {
  const KeyShape shapes[] = {{"a...ab on a...a", aThenB, onlyA},
                             {"ba...a on a...a", bThenA, onlyA},
                             {"a...aba...a on a...a", bInTheMiddle, onlyA},
                             {"a...a on (a^999 b)...", onlyA, runsOfA}};
  for (const KeyShape& shape : shapes) {
    const OneLine line4(shape.line(4 * kMiB));
    const OneLine line8(shape.line(8 * kMiB));
    const int searches = searchesPerRun(line4.document, shape.key(2 * kKiB));
    const std::vector<double> times = searchTimes({{&line4.document, shape.key(2 * kKiB)},
                                                   {&line4.document, shape.key(32 * kKiB)},
                                                   {&line4.document, shape.key(16 * kKiB)},
                                                   {&line8.document, shape.key(16 * kKiB)}},
                                                  searches);
    const double key2 = times[0];
    const double key32 = times[1];
    const double key16on4 = times[2];
    const double key16on8 = times[3];
    printTarget(std::cout, std::string(shape.name) + ", 4 MiB line: 32 KiB key / 2 KiB key",
                key32 / key2, 2.0);
    printTarget(std::cout, std::string(shape.name) + ", 16 KiB key: 8 MiB line / 4 MiB line",
                key16on8 / key16on4, 2.5);
    std::printf(
        "        ms per search (runs of %d): 4 MiB line: 2 KiB key %.3f, 32 KiB key %.3f,"
        " 16 KiB key %.3f; 8 MiB line: 16 KiB key %.3f\n",
        searches, key2 * 1e3, key32 * 1e3, key16on4 * 1e3, key16on8 * 1e3);
  }
}

// ---- short keys over many lines ----

// What search writes to the stream it is given.
template <typename Search>
std::string written(const Search& search) {
  std::ostringstream out;
  search(out);
  return out.str();
}

void shortKeys(std::size_t lines, int runs) {
  // Built in turns, so that both chains lie alike on the heap.
  LinkedList document;
  bench::BareChain chain;
  for (std::size_t i = 1; i <= lines; ++i) {
    document.push(lineText(i));
    chain.push(lineText(i));
  }
  if (written([&](std::ostream& out) { document.find("k042;", out); }) !=
      written([&](std::ostream& out) { chain.scan("k042;", out); })) {
    std::printf("short keys: find and the old scan disagree; no figures\n");
    return;
  }
  std::mt19937 random(kSeed);
  std::vector<double> newTimes;
  std::vector<double> oldTimes;
  for (int run = 0; run < runs; ++run) {
    const std::string key = keyText(random());
    const auto timeNew = [&] {
      newTimes.push_back(secondsOf([&] { document.find(key, discard); }));
    };
    const auto timeOld = [&] { oldTimes.push_back(secondsOf([&] { chain.scan(key, discard); })); };
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

// ---- a rare key against grep ----

// Runs "grep -F -n key path", its output to the file outPath (not
// /dev/null, where grep may stop at the first match). Returns its
// wall-clock seconds, or a negative number when it could not run or found
// nothing.
double grepSeconds(const std::string& key, const std::string& path, const std::string& outPath) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::string args[] = {"grep", "-F", "-n", key, path};
  char* argv[] = {args[0].data(), args[1].data(), args[2].data(),
                  args[3].data(), args[4].data(), nullptr};
  pid_t pid = 0;
  int status = 0;
  const auto start = std::chrono::steady_clock::now();
  const int spawned = posix_spawnp(&pid, "grep", &actions, nullptr, argv, environ);
  if (spawned == 0) waitpid(pid, &status, 0);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return seconds;
}

// The text of line i of workloads (a), (b) and (d): 44 bytes.
std::string workloadLine(std::size_t i) { return lineText(i) + " run"; }

// Builds document as scrivet's command loop does: each line is read into
// one buffer, and the list is given a copy of it.
template <typename Add>
void build(std::size_t lines, const std::function<std::string(std::size_t)>& text, Add add) {
  std::string buffer;
  for (std::size_t i = 1; i <= lines; ++i) {
    buffer = text(i);
    add(i, std::string(std::string_view(buffer)));
  }
}

// The median time of one search for key in document, over runs searches.
double medianSearch(const LinkedList& document, const std::string& key, int runs) {
  return searchTimes({{&document, key}}, 1, runs)[0];
}

// Whether document writes exactly want for key.
bool finds(const LinkedList& document, const std::string& key, const std::string& want) {
  return written([&](std::ostream& out) { document.find(key, out); }) == want;
}

double grepAgainst(const std::string& key, const LinkedList& document, std::size_t lines);

void workloads() {
  constexpr std::size_t kLines = 2000000;
  constexpr std::size_t kLongLines = 1000;
  const std::string keyA = "1000000 k999; t";  // in line 1000000 only
  const std::string keyB = "k999";             // in lines 1000, 2000, ...
  std::printf("workloads, ms per search, median of %d:\n", kWorkloadRuns);
  double timeA = 0;
  {
    LinkedList document;
    build(kLines, workloadLine,
          [&](std::size_t, std::string text) { document.push(std::move(text)); });
    if (!finds(document, keyA, "1000000 " + workloadLine(1000000) + "\n")) {
      std::printf("  (a) find does not write the one line that holds the key; no figures\n");
      return;
    }
    timeA = medianSearch(document, keyA, kWorkloadRuns);
    std::printf("  (a) 2,000,000 lines of 44 bytes, a rare 15-byte key  %8.2f\n", timeA * 1e3);
    std::printf("  (b) the same lines, the 4-byte key k999              %8.2f\n",
                medianSearch(document, keyB, kWorkloadRuns) * 1e3);
    const double grep = grepAgainst(keyA, document, kLines);
    if (grep > 0) {
      printTarget(std::cout, "(a): find / grep -F -n on the same text from a file", timeA / grep,
                  1.0);
      std::printf("        ms per search, median of %d: find %.1f, grep -F -n %.1f\n", kGrepRuns,
                  timeA * 1e3, grep * 1e3);
    }
  }
  {
    // Line i of (c) is made of the lines of (a) from 100 i on, cut at 4 KiB;
    // line 500 holds the key, and no other.
    const auto longLine = [](std::size_t i) {
      std::string text;
      for (std::size_t j = 100 * i; text.size() < 4 * kKiB; ++j) text += workloadLine(j) + ' ';
      text.resize(4 * kKiB);
      return text;
    };
    LinkedList document;
    build(kLongLines, longLine,
          [&](std::size_t, std::string text) { document.push(std::move(text)); });
    const std::string key = "0050000 k999; t";
    if (!finds(document, key, "500 " + longLine(500) + "\n")) {
      std::printf("  (c) find does not write the one line that holds the key; no figures\n");
      return;
    }
    std::printf("  (c) 1,000 lines of 4 KiB, a rare 15-byte key          %8.3f\n",
                medianSearch(document, key, kWorkloadRuns * 10) * 1e3);
  }
  {
    LinkedList document;
    std::mt19937 random(kSeed);
    build(kLines, workloadLine, [&](std::size_t i, std::string text) {
      document.insert(static_cast<int>(1 + random() % i), std::move(text));
    });
    std::printf("  (d) the lines of (a) inserted at random, that key     %8.2f\n",
                medianSearch(document, keyA, kWorkloadRuns / 3) * 1e3);
  }
}

// The median time of grep -F -n for key on the text of document's lines in
// a file, taking turns with find; negative when grep could not be timed.
double grepAgainst(const std::string& key, const LinkedList& document, std::size_t lines) {
  const char* tmp = std::getenv("TMPDIR");
  std::string dir = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/searchXXXXXX";
  if (mkdtemp(dir.data()) == nullptr) {
    std::printf("  no temporary folder; grep not timed\n");
    return -1;
  }
  const std::string path = dir + "/text";
  const std::string outPath = dir + "/out";
  {
    std::ofstream file(path, std::ios::binary);
    for (std::size_t i = 1; i <= lines; ++i) file << workloadLine(i) << '\n';
  }
  // Three runs of grep warm the page cache; then the two take turns.
  bool grepRan = true;
  for (int run = 0; run < 3 && grepRan; ++run) grepRan = grepSeconds(key, path, outPath) >= 0;
  std::vector<double> greps;
  for (int run = 0; run < kGrepRuns && grepRan; ++run) {
    document.find(key, discard);
    greps.push_back(grepSeconds(key, path, outPath));
  }
  std::remove(path.c_str());
  std::remove(outPath.c_str());
  rmdir(dir.c_str());
  if (!grepRan || *std::min_element(greps.begin(), greps.end()) < 0) {
    std::printf("  grep is missing or failed; not timed\n");
    return -1;
  }
  return median(greps);
}

}  // namespace

int main() {
  bench::heapInOrder();
  std::printf("search: wall-clock medians on this machine, in this run\n");
  keysOnLongLines();
  shortKeys(50000, 31);
  shortKeys(1000000, 11);
  workloads();
  return 0;
}
