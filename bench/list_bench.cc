// scrivet_list_bench: what the line list costs, for the section "Finding a
// line by its number" of docs/performance.md:
//   - one insert, delete or edit at a random line of 10^4, 10^5 and 10^6
//     lines: the least and the median of 7 rounds, and the growth;
//   - the index's bytes a line after each edit pattern of workloads.h, and
//     the first edit after 10^6 appends, which has the index take them in;
//   - LinkedList against a bare chain: appending, listing and searching.
// For make bench-tricks, `figure remove N` prints the microseconds of one
// delete at a random line of N lines, and `figure append` the time of 10^6
// appends over a bare chain's.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iomanip>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "bench/workloads.h"

namespace {

using bench::lineText;
using bench::median;
using bench::printTarget;
using scrivet::LinkedList;

constexpr int kBatch = 16;           // operations timed together
constexpr std::size_t kTexts = 256;  // distinct texts given to insert and edit

// A document of n lines, all taken in by the index, with line numbers
// drawn at random from the seed and texts to put in.
struct Workload {
  explicit Workload(std::size_t n) {
    bench::insertAt(document, 0, n);
    document.edit(static_cast<int>(n), lineText(n));
    for (std::size_t i = 1; i <= kTexts; ++i) texts.push_back(lineText(n + i));
  }

  // A line number in 1..n.
  int lineIn(std::size_t n) { return static_cast<int>(1 + random() % n); }
  const std::string& text() { return texts[next++ % kTexts]; }

  LinkedList document;
  std::mt19937 random{bench::kSeed};
  std::vector<std::string> texts;
  std::size_t next = 0;
};

enum class Op { kInsert, kRemove, kEdit };

// The microseconds of one op, over batches of kBatch; after each batch of
// inserts or removes, the other op, untimed, brings the document back to
// its size.
double microsPerOp(Workload& work, Op op, int batches) {
  LinkedList& document = work.document;
  const auto inserts = [&] {
    for (int i = 0; i < kBatch; ++i) document.insert(work.lineIn(document.size() + 1), work.text());
  };
  const auto removes = [&] {
    for (int i = 0; i < kBatch; ++i) document.remove(work.lineIn(document.size()));
  };
  double seconds = 0;
  for (int batch = 0; batch < batches; ++batch) {
    seconds += bench::secondsOf([&] {
      if (op == Op::kInsert) inserts();
      if (op == Op::kRemove) removes();
      for (int i = 0; i < kBatch && op == Op::kEdit; ++i) {
        document.edit(work.lineIn(document.size()), work.text());
      }
    });
    if (op == Op::kInsert) removes();
    if (op == Op::kRemove) inserts();
  }
  return seconds / (batches * kBatch) * 1e6;
}

void reportGrowth() {
  std::cout << "one operation at a random line, us, least and median of 7 rounds:\n" << std::fixed;
  const char* names[] = {"insert", "remove", "edit"};
  for (const Op op : {Op::kInsert, Op::kRemove, Op::kEdit}) {
    std::cout << "  " << std::left << std::setw(8) << names[static_cast<int>(op)] << std::right;
    std::vector<double> medians;
    for (const std::size_t n : {10000, 100000, 1000000}) {
      Workload work(n);
      std::vector<double> rounds(7);
      for (double& round : rounds) round = microsPerOp(work, op, 4000);
      medians.push_back(median(rounds));
      std::cout << std::setprecision(3) << "  10^" << std::to_string(n).size() - 1 << ": "
                << *std::min_element(rounds.begin(), rounds.end()) << ", " << medians.back();
    }
    std::cout << "   x " << std::setprecision(1) << medians.back() / medians.front() << "\n";
  }
}

// The bytes of document's index once it has taken in every line.
double indexBytes(LinkedList& document) {
  document.edit(static_cast<int>(document.size()), "the index takes in every line");
  return static_cast<double>(document.indexBytes());
}

// A document of n lines built by pattern: inserts at line at (0: appends),
// or appends thinned by thinning.
std::unique_ptr<LinkedList> built(std::size_t n, std::size_t at, const bench::Thinning* thinning) {
  auto document = std::make_unique<LinkedList>();
  bench::insertAt(*document, at, n);
  if (thinning != nullptr) {
    document->edit(1, lineText(1));
    bench::thin(*document, thinning->keep, thinning->group);
  }
  return document;
}

void reportIndexBytes() {
  std::cout << "\nindex bytes a line, in documents of 40-byte lines built by:\n";
  const std::size_t ats[] = {0, bench::kBlock, 1000, 1};
  for (const std::size_t at : ats) {
    const double bytes = indexBytes(*built(500000, at, nullptr)) / 500000;
    const std::string what = at == 0 ? "appends" : "inserts at line " + std::to_string(at);
    printTarget(std::cout, "5*10^5 lines, " + what + ": index bytes a line", bytes, 32);
  }
  for (const bench::Thinning& thinning : bench::kThinnings) {
    const auto document = built(1000000, 0, &thinning);
    const double bytes = indexBytes(*document) / static_cast<double>(document->size());
    printTarget(std::cout,
                "10^6 appends, " + std::to_string(thinning.group - thinning.keep) + " of every " +
                    std::to_string(thinning.group) + " deleted: index bytes a line",
                bytes, 32);
  }
  // The bound is looser below 300 lines, where the root and the last leaf
  // weigh more; there it is on the bytes.
  double mostALine = 0;
  double mostBelow = 0;
  for (std::size_t n = 10; n <= 3000; n += 10) {
    for (const std::size_t at : ats) {
      for (std::size_t t = 0; t <= std::size(bench::kThinnings); ++t) {
        if (at != 0 && t > 0) break;
        auto document = built(n, at, t == 0 ? nullptr : &bench::kThinnings[t - 1]);
        const double bytes = indexBytes(*document);
        if (document->size() >= 300) {
          mostALine = std::max(mostALine, bytes / static_cast<double>(document->size()));
        } else {
          mostBelow = std::max(mostBelow, bytes / 1024);
        }
      }
    }
  }
  printTarget(std::cout, "documents of 300 to 3,000 lines built so: index bytes a line", mostALine,
              32);
  printTarget(std::cout, "documents under 300 lines built so: index KiB", mostBelow, 10);
}

void reportCatchUp() {
  std::vector<double> times;
  for (int run = 0; run < 5; ++run) {
    const auto document = built(1000000, 0, nullptr);
    times.push_back(bench::secondsOf([&] { document->edit(1, lineText(1)); }));
  }
  std::cout << "\nthe first edit after 10^6 appends, which has the index take them in: "
            << std::fixed << std::setprecision(1) << median(times) * 1e3 << " ms, median of 5\n";
}

// The seconds of one run on document type D: appending every text,
// listing, and searching for each of a few keys.
template <typename D>
std::array<double, 3> timeOnce(const std::vector<std::string>& texts) {
  bench::NullBuffer discard;
  std::ostream out(&discard);
  D document;
  const double append = bench::secondsOf([&] {
    for (const std::string& text : texts) document.push(text);
  });
  const double list = bench::secondsOf([&] { document.print(out); });
  const double search = bench::secondsOf([&] {
    for (const char* key : {"k017;", "k404;", "k999;", "absent", "k500;"}) document.find(key, out);
  });
  return {append, list, search};
}

// Each run's ratios of LinkedList to a bare chain, as timeOnce times them
// on 10^6 lines, the two timed one just after the other (each going first
// every other run), so that a slower moment of the machine weighs on both.
std::vector<std::array<double, 3>> ratiosToBareChain(int runs) {
  bench::heapInOrder();
  std::vector<std::string> texts;
  for (std::size_t i = 1; i <= 1000000; ++i) texts.push_back(lineText(i));
  // Untimed, so that the memory is the process's before the first run.
  timeOnce<bench::BareChain>(texts);
  timeOnce<LinkedList>(texts);
  std::vector<std::array<double, 3>> ratios;
  for (int run = 0; run < runs; ++run) {
    std::array<double, 3> bare{};
    std::array<double, 3> list{};
    if (run % 2 == 0) {
      bare = timeOnce<bench::BareChain>(texts);
      list = timeOnce<LinkedList>(texts);
    } else {
      list = timeOnce<LinkedList>(texts);
      bare = timeOnce<bench::BareChain>(texts);
    }
    ratios.push_back({list[0] / bare[0], list[1] / bare[1], list[2] / bare[2]});
  }
  return ratios;
}

// The median of each run's i-th ratio.
double medianRatio(const std::vector<std::array<double, 3>>& ratios, std::size_t i) {
  std::vector<double> values(ratios.size());
  for (std::size_t run = 0; run < ratios.size(); ++run) values[run] = ratios[run][i];
  return median(values);
}

void compareWithBareChain() {
  const auto ratios = ratiosToBareChain(11);
  const char* what[] = {"append", "list", "search"};
  const double limit[] = {1.15, 1.10, 1.10};
  std::cout << "\nLinkedList against a bare chain, 10^6 lines, medians of 11 interleaved runs:\n";
  for (std::size_t i = 0; i < 3; ++i) {
    printTarget(std::cout, std::string(what[i]) + ": LinkedList / bare chain",
                medianRatio(ratios, i), limit[i]);
  }
}

// The figures of make bench-tricks.
int figure(int argc, char** argv) {
  const std::string what = argc > 2 && std::string(argv[1]) == "figure" ? argv[2] : "";
  if (what == "remove" && argc > 3) {
    Workload work(std::strtoull(argv[3], nullptr, 10));
    std::cout << microsPerOp(work, Op::kRemove, 20000) << "\n";
    return 0;
  }
  if (what == "append") {
    std::cout << medianRatio(ratiosToBareChain(3), 0) << "\n";
    return 0;
  }
  std::cerr << "usage: scrivet_list_bench [figure remove LINES | figure append]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) return figure(argc, argv);
  reportGrowth();
  reportIndexBytes();
  reportCatchUp();
  compareWithBareChain();
  return 0;
}
