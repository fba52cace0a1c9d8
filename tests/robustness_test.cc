// What the command loops do when their streams fail.

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <string>

#include "scrivet-prompt/command_loop.h"
#include "scrivet/command_loop.h"

namespace {

// A stream buffer that accepts a fixed number of bytes, then fails.
class FailingBuffer : public std::streambuf {
 public:
  explicit FailingBuffer(std::size_t room) : room(room) {}
  std::string written;

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    if (room == 0) return traits_type::eof();
    --room;
    written.push_back(traits_type::to_char_type(c));
    return c;
  }

 private:
  std::size_t room;
};

// Captures what a program writes to standard error while it lives.
class CapturedError {
 public:
  CapturedError() : saved(std::cerr.rdbuf(captured.rdbuf())) {}
  ~CapturedError() { std::cerr.rdbuf(saved); }
  CapturedError(const CapturedError&) = delete;
  CapturedError& operator=(const CapturedError&) = delete;
  std::string text() const { return captured.str(); }

 private:
  std::ostringstream captured;
  std::streambuf* saved;
};

template <typename Run>
void expectWriteFailureStopsReading(Run run, const std::string& program, std::size_t room,
                                    const std::string& before, const std::string& after) {
  std::istringstream in(before + after);
  FailingBuffer buffer(room);
  std::ostream out(&buffer);
  CapturedError error;
  EXPECT_EQ(1, run(in, out));
  EXPECT_EQ(program + ": write error: output failed\n", error.text());
  EXPECT_EQ(static_cast<std::streamoff>(before.size()), static_cast<std::streamoff>(in.tellg()))
      << "went on reading after the failed write";
  EXPECT_EQ(room, buffer.written.size());
}

TEST(WriteFailure, ScrivetStopsReadingAndReturnsOne) {
  expectWriteFailureStopsReading(scrivet::run, "scrivet", 5,
                                 "insertEnd \"a\"\ninsertEnd \"b\"\nprint\n", "print\n");
  expectWriteFailureStopsReading(scrivet::run, "scrivet", 0, "search \"x\"\n", "insertEnd \"a\"\n");
}

TEST(WriteFailure, ScrivetPromptStopsReadingAndReturnsOne) {
  expectWriteFailureStopsReading(scrivet_prompt::run, "scrivet-prompt", 25, "print",
                                 " insertEnd a\nprint\n");
  expectWriteFailureStopsReading(scrivet_prompt::run, "scrivet-prompt", 3, "", "print\n");
}

TEST(WriteFailure, NoOutputNoFailure) {
  std::istringstream in("insertEnd \"a\"\ndelete 1\nquit\n");
  FailingBuffer buffer(0);
  std::ostream out(&buffer);
  EXPECT_EQ(0, scrivet::run(in, out));
}

TEST(ClosedInput, BothProgramsEndQuietly) {
  std::istringstream in;
  in.setstate(std::ios::badbit);
  std::ostringstream scrivetOut;
  EXPECT_EQ(0, scrivet::run(in, scrivetOut));
  EXPECT_EQ("", scrivetOut.str());
  std::ostringstream promptOut;
  EXPECT_EQ(0, scrivet_prompt::run(in, promptOut));
  EXPECT_EQ("Enter a User Command\n", promptOut.str());
}

}  // namespace
