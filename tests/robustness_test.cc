// What the command loops do when their streams fail, and at an end of input
// that more input may follow, as at a terminal.

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <ios>
#include <sstream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "scrivet-prompt/command_loop.h"
#include "scrivet/command_loop.h"

namespace {

using CommandLoop = int (*)(std::istream&, std::ostream&, std::ostream&);

// A stream buffer that accepts a fixed number of bytes, then fails.
class FailingOutput : public std::streambuf {
 public:
  explicit FailingOutput(std::size_t room) : room(room) {}
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

// Input typed in pieces, each ended by an end of input (Ctrl-D at a
// terminal) after which the next piece may still come; after the last
// piece, a read throws what fail throws, when there is a fail, else input
// ends.
class TypedInput : public std::streambuf {
 public:
  explicit TypedInput(std::vector<std::string> pieces, std::function<void()> fail = {})
      : pieces(std::move(pieces)), fail(std::move(fail)) {}

  // How many pieces have been read into, in part or whole.
  std::size_t piecesRead() const { return next; }

 protected:
  int_type underflow() override {
    if (endPending) {
      endPending = false;
      return traits_type::eof();
    }
    if (next == pieces.size()) {
      if (fail) fail();
      return traits_type::eof();
    }
    std::string& piece = pieces[next++];
    setg(piece.data(), piece.data(), piece.data() + piece.size());
    endPending = next < pieces.size();
    return traits_type::to_int_type(piece[0]);
  }

 private:
  std::vector<std::string> pieces;
  std::function<void()> fail;
  std::size_t next = 0;     // the piece to hand out next
  bool endPending = false;  // the current piece ends with an end of input
};

struct Result {
  int status;
  std::string out;
  std::string err;
};

Result runOn(CommandLoop run, std::istream& in) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = run(in, out, err);
  return {status, out.str(), err.str()};
}

void expectWriteFailureStopsReading(CommandLoop run, const std::string& program, std::size_t room,
                                    const std::string& before, const std::string& after) {
  std::istringstream in(before + after);
  FailingOutput buffer(room);
  std::ostream out(&buffer);
  std::ostringstream err;
  EXPECT_EQ(1, run(in, out, err));
  EXPECT_EQ(program + ": write error: output failed\n", err.str());
  EXPECT_EQ(static_cast<std::streamoff>(before.size()), static_cast<std::streamoff>(in.tellg()))
      << "went on reading after the failed write";
  EXPECT_EQ(room, buffer.written.size());
}

TEST(WriteFailure, StopsReadingAndReturnsOne) {
  expectWriteFailureStopsReading(scrivet::run, "scrivet", 5,
                                 "insertEnd \"a\"\ninsertEnd \"b\"\nprint\n", "print\n");
  expectWriteFailureStopsReading(scrivet::run, "scrivet", 0, "search \"x\"\n", "insertEnd \"a\"\n");
  expectWriteFailureStopsReading(scrivet_prompt::run, "scrivet-prompt", 25, "print",
                                 " insertEnd a\nprint\n");
  expectWriteFailureStopsReading(scrivet_prompt::run, "scrivet-prompt", 3, "", "print\n");
}

// An output stream whose owner asked it to throw fails the same way.
TEST(WriteFailure, AThrowingOutputIsAWriteError) {
  const std::pair<CommandLoop, std::string> programs[] = {{scrivet::run, "scrivet"},
                                                          {scrivet_prompt::run, "scrivet-prompt"}};
  for (const auto& [run, program] : programs) {
    std::istringstream in("insertEnd \"a\"\nprint\n");
    FailingOutput buffer(3);
    std::ostream out(&buffer);
    out.exceptions(std::ios::badbit);
    std::ostringstream err;
    EXPECT_EQ(1, run(in, out, err));
    EXPECT_EQ(program + ": write error: output failed\n", err.str());
  }
}

TEST(WriteFailure, NoOutputNoFailure) {
  std::istringstream in("insertEnd \"a\"\ndelete 1\nquit\n");
  FailingOutput buffer(0);
  std::ostream out(&buffer);
  std::ostringstream err;
  EXPECT_EQ(0, scrivet::run(in, out, err));
  EXPECT_EQ("", err.str());
}

// What a stream buffer throws when a read fails with error, as a file's
// does.
std::function<void()> failWith(int error) {
  return [error] {
    throw std::ios_base::failure("read failed", std::error_code(error, std::system_category()));
  };
}

// A failed read is reported after what was read before it has been done.
TEST(ReadFailure, IsReportedWithTheSystemsReason) {
  TypedInput scrivetInput({"insertEnd \"a\"\nprint\ninsertEnd \"b\""}, failWith(EIO));
  std::istream scrivetIn(&scrivetInput);
  const Result scrivet = runOn(scrivet::run, scrivetIn);
  EXPECT_EQ(1, scrivet.status);
  EXPECT_EQ("1 a\n", scrivet.out);
  EXPECT_EQ("scrivet: read error: " + std::generic_category().message(EIO) + "\n", scrivet.err);

  TypedInput promptInput({"insertEnd a\nprint insertEnd"}, failWith(EISDIR));
  std::istream promptIn(&promptInput);
  const Result prompt = runOn(scrivet_prompt::run, promptIn);
  EXPECT_EQ(1, prompt.status);
  EXPECT_EQ("Enter a User Command\n\n\n1  a\n\n0 \n\n", prompt.out);
  EXPECT_EQ("scrivet-prompt: read error: " + std::generic_category().message(EISDIR) + "\n",
            prompt.err);
}

// A buffer that gives no error number leaves the one in errno, if any.
TEST(ReadFailure, WithoutAReasonSaysInputFailed) {
  const std::function<void()> failures[] = {
      [] { throw std::runtime_error("no reason"); },
      [] { throw std::ios_base::failure("no error number"); },
  };
  for (const auto& fail : failures) {
    TypedInput scrivetInput({"print\n"}, fail);
    std::istream scrivetIn(&scrivetInput);
    EXPECT_EQ("scrivet: read error: input failed\n", runOn(scrivet::run, scrivetIn).err);
    TypedInput promptInput({"print\n"}, fail);
    std::istream promptIn(&promptInput);
    EXPECT_EQ("scrivet-prompt: read error: input failed\n",
              runOn(scrivet_prompt::run, promptIn).err);
  }
}

// A stream whose buffer has failed (badbit) cannot be read at all. failbit
// and eofbit only say how the caller's last extraction went: the session
// reads the buffer all the same.
TEST(ReadFailure, OnlyAFailedBufferIsAReadError) {
  std::istringstream in("print\n");
  in.setstate(std::ios::badbit);
  const Result scrivet = runOn(scrivet::run, in);
  EXPECT_EQ(1, scrivet.status);
  EXPECT_EQ("", scrivet.out);
  EXPECT_EQ("scrivet: read error: input failed\n", scrivet.err);
  const Result prompt = runOn(scrivet_prompt::run, in);
  EXPECT_EQ(1, prompt.status);
  EXPECT_EQ("Enter a User Command\n", prompt.out);
  EXPECT_EQ("scrivet-prompt: read error: input failed\n", prompt.err);
  for (const std::ios::iostate state : {std::ios::failbit, std::ios::failbit | std::ios::eofbit}) {
    std::istringstream scrivetIn("insertEnd \"a\"\nprint\n");
    scrivetIn.setstate(state);
    const Result read = runOn(scrivet::run, scrivetIn);
    EXPECT_EQ(0, read.status) << state;
    EXPECT_EQ("1 a\n", read.out) << state;
    std::istringstream promptIn("print quit");
    promptIn.setstate(state);
    EXPECT_EQ("Enter a User Command\n\n\n0 \n\n", runOn(scrivet_prompt::run, promptIn).out)
        << state;
  }
}

// At a terminal, input typed after Ctrl-D may still come; the first end of
// input must end the session, whatever the command was waiting for.
TEST(EndOfInput, EndsTheSessionEvenWhenMoreCouldFollow) {
  const std::string greeting = "Enter a User Command\n";
  const std::pair<std::string, std::string> cases[] = {
      {"edit\n", greeting},
      {"insert\n", greeting},
      {"edit 1", greeting},
      {"print\ninsert -", greeting + "\n\n0 \n\n"},
  };
  for (const auto& [typed, expected] : cases) {
    TypedInput input({typed, "insertEnd swallowed\nprint\n"});
    std::istream in(&input);
    const Result result = runOn(scrivet_prompt::run, in);
    EXPECT_EQ(0, result.status) << typed;
    EXPECT_EQ(expected, result.out) << typed;
    EXPECT_EQ(1u, input.piecesRead()) << "read on after the end of input: " << typed;
  }
  TypedInput input({"insertEnd \"a\"\ninsertEnd \"b", "print\n"});
  std::istream in(&input);
  const Result result = runOn(scrivet::run, in);
  EXPECT_EQ(0, result.status);
  EXPECT_EQ("", result.out);
  EXPECT_EQ(1u, input.piecesRead());
}

}  // namespace
