// Whole sessions with memory running out at every point in turn: the k-th
// allocation fails (once, or that one and every later one), for every k
// that a session reaches. The line list must stay consistent and unchanged
// by the operation that failed, and release everything when destroyed; the
// command loops must end with status 1 and "out of memory", having written
// only the start of what the session writes.
//
// This binary replaces the global operator new, so it holds these tests
// alone.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "first_difference.h"
#include "prompt_model.h"
#include "scrivet-prompt/command_loop.h"
#include "scrivet/command_loop.h"
#include "scrivet/linked_list.h"
#include "scrivet_model.h"

namespace {

// Which allocation fails. Off (at == 0) outside the code under test, so
// that the tests' own bookkeeping always gets its memory.
struct Failure {
  std::uint64_t at = 0;     // the allocation to fail, counting from 1; 0: none
  bool onward = false;      // every allocation from at on fails, not only at
  std::uint64_t count = 0;  // allocations since armed
  bool happened = false;    // an allocation has failed since armed
} failure;

void arm(std::uint64_t at, bool onward) { failure = {at, onward, 0, false}; }

// Stops failing; returns whether an allocation failed while armed.
bool disarm() {
  failure.at = 0;
  return failure.happened;
}

}  // namespace

void* operator new(std::size_t size) {
  if (failure.at != 0 && ++failure.count >= failure.at &&
      (failure.onward || failure.count == failure.at)) {
    failure.happened = true;
    throw std::bad_alloc();
  }
  void* memory = std::malloc(size == 0 ? 1 : size);
  if (memory == nullptr) throw std::bad_alloc();
  return memory;
}

void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t /*size*/) noexcept { std::free(memory); }

namespace {

// An output stream buffer of fixed room, made before the allocator is
// armed, so that writing to it never allocates.
class FixedOutput : public std::streambuf {
 public:
  explicit FixedOutput(std::size_t room) : bytes(room, '\0') {
    setp(bytes.data(), bytes.data() + bytes.size());
  }
  std::string text() const { return {pbase(), pptr()}; }

 private:
  std::string bytes;
};

// Lets the tests' own work allocate freely while it lives.
class Paused {
 public:
  Paused() : at(failure.at) { failure.at = 0; }
  ~Paused() { failure.at = at; }
  Paused(const Paused&) = delete;
  Paused& operator=(const Paused&) = delete;

 private:
  std::uint64_t at;
};

// What is wrong with list, which should hold what document holds; empty
// when nothing is.
std::string problemWith(const scrivet::LinkedList& list, const model::Document& document) {
  if (!list.invariantsHold()) return "the list's invariants do not hold";
  std::ostringstream listing;
  list.print(listing);
  std::string expected;
  for (std::size_t i = 0; i < document.lines().size(); ++i) {
    expected += std::to_string(i + 1) + " " + document.lines()[i] + "\n";
  }
  return listing.str() == expected ? std::string() : "the list differs from the model";
}

// A session of some hundred lines: enough for leaves to split and merge,
// so that allocations fail inside every kind of change to the index.
std::string longSession(std::uint64_t seed) {
  model::Rng rng(seed);
  return model::scrivetSession(rng, 150, 100);
}

// Replays session on a list whose k-th allocation fails, for every k: an
// operation that runs out of memory must change nothing.
TEST(AllocationFailure, LineListStaysWholeAndUnchanged) {
  const std::string session = longSession(7);
  std::vector<model::Command> commands;
  for (const std::string_view line : model::splitLines(session)) {
    commands.push_back(model::parseLine(line));
    if (commands.back().ends()) break;
  }
  FixedOutput nowhere(0);  // what print and find write is not of interest here
  std::ostream discard(&nowhere);
  std::uint64_t points = 0;  // allocations that the session reaches
  for (const bool onward : {false, true}) {
    for (std::uint64_t k = 1;; ++k) {
      model::Document document;
      std::unique_ptr<scrivet::LinkedList> list;
      std::string problem;
      arm(k, onward);
      for (const model::Command& command : commands) {
        const bool failedBefore = failure.happened;
        try {
          if (list == nullptr) list = std::make_unique<scrivet::LinkedList>();
          model::applyTo(*list, command, discard);
        } catch (const std::bad_alloc&) {
          // The model leaves the command out, as the list must have.
          if (!failedBefore && list != nullptr) {
            const Paused paused;
            problem = problemWith(*list, document);
          }
          if (!problem.empty()) break;
          continue;
        }
        const Paused paused;
        std::string ignored;
        document.apply(command, ignored);
      }
      const bool reached = disarm();
      if (problem.empty() && list != nullptr) problem = problemWith(*list, document);
      ASSERT_EQ("", problem) << "allocation " << k << (onward ? " and onward" : "") << " failing";
      list.reset();  // LeakSanitizer, where it runs, sees that all is released
      if (!reached) break;
      points = k;
    }
  }
  EXPECT_GT(points, 100u) << "too few allocations to be a test";
}

// Runs session through run with every allocation failing in turn, and
// checks each ending against what the session writes.
template <typename Run>
void expectOutOfMemoryAtEveryPoint(Run run, const std::string& program, const std::string& session,
                                   const std::string& expected) {
  for (const bool onward : {false, true}) {
    std::uint64_t k = 1;
    for (;; ++k) {
      std::istringstream in(session);
      FixedOutput outBuffer(expected.size() + 1);
      FixedOutput errBuffer(256);
      std::ostream out(&outBuffer);
      std::ostream err(&errBuffer);
      arm(k, onward);
      const int status = run(in, out, err);
      const bool failed = disarm();
      const std::string written = outBuffer.text();
      const std::string where =
          program + ", allocation " + std::to_string(k) + (onward ? " onward" : "");
      if (!failed) {
        ASSERT_EQ(0, status) << where << ": " << errBuffer.text();
        const std::string difference = model::firstDifferingLine(written, expected);
        ASSERT_TRUE(difference.empty()) << where << "\n" << difference;
        break;
      }
      ASSERT_EQ(1, status) << where;
      ASSERT_EQ(program + ": out of memory\n", errBuffer.text()) << where;
      const std::string difference =
          model::firstDifferingLine(written, expected.substr(0, written.size()));
      ASSERT_TRUE(difference.empty()) << where << ", before running out:\n" << difference;
    }
    EXPECT_GT(k, 50u) << program << ": too few allocations to be a test";
  }
}

TEST(AllocationFailure, ScrivetReportsOutOfMemory) {
  const std::string session = longSession(11);
  expectOutOfMemoryAtEveryPoint(scrivet::run, "scrivet", session, model::scrivetOutput(session));
}

TEST(AllocationFailure, ScrivetPromptReportsOutOfMemory) {
  std::string session;
  for (int i = 1; i <= 40; ++i) {
    session += "insertEnd entry " + std::to_string(i) + " of a session, long enough to allocate\n";
    if (i % 5 == 0) session += "insert " + std::to_string(i / 2) + " an inserted entry, as long\n";
    if (i % 7 == 0) session += "edit " + std::to_string(i / 3) + " an edited entry, as long\n";
  }
  session += "print quit\n";
  expectOutOfMemoryAtEveryPoint(scrivet_prompt::run, "scrivet-prompt", session,
                                model::promptOutput(session));
}

}  // namespace
