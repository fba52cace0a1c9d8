// What the command loops do when their streams fail, and at an end of input
// that more input may follow, as at a terminal.

#include <gtest/gtest.h>

#include <cerrno>
#include <ios>
#include <sstream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "scrivet-prompt/command_loop.h"
#include "scrivet/command_loop.h"

namespace {

using Run = int (*)(std::istream&, std::ostream&, std::ostream&);

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
// piece, a read fails with error when it is not 0, else input ends.
class TypedInput : public std::streambuf {
 public:
  explicit TypedInput(std::vector<std::string> pieces, int error = 0)
      : pieces(std::move(pieces)), error(error) {}

  // How many pieces have been read into, in part or whole.
  std::size_t piecesRead() const { return next; }

 protected:
  int_type underflow() override {
    if (endPending) {
      endPending = false;
      return traits_type::eof();
    }
    if (next == pieces.size()) {
      if (error == 0) return traits_type::eof();
      throw std::ios_base::failure("read failed", std::error_code(error, std::system_category()));
    }
    std::string& piece = pieces[next++];
    setg(piece.data(), piece.data(), piece.data() + piece.size());
    endPending = next < pieces.size();
    return traits_type::to_int_type(piece[0]);
  }

 private:
  std::vector<std::string> pieces;
  int error;
  std::size_t next = 0;     // the piece to hand out next
  bool endPending = false;  // the current piece ends with an end of input
};

struct Result {
  int status;
  std::string out;
  std::string err;
};

Result runOn(Run run, std::istream& in) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = run(in, out, err);
  return {status, out.str(), err.str()};
}

void expectWriteFailureStopsReading(Run run, const std::string& program, std::size_t room,
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

TEST(WriteFailure, NoOutputNoFailure) {
  std::istringstream in("insertEnd \"a\"\ndelete 1\nquit\n");
  FailingOutput buffer(0);
  std::ostream out(&buffer);
  std::ostringstream err;
  EXPECT_EQ(0, scrivet::run(in, out, err));
  EXPECT_EQ("", err.str());
}

// A failed read is reported after what was read before it has been done,
// and the input's exception mask is given back.
TEST(ReadFailure, IsReportedWithTheSystemsReason) {
  TypedInput scrivetInput({"insertEnd \"a\"\nprint\ninsertEnd \"b\""}, EIO);
  std::istream scrivetIn(&scrivetInput);
  const Result scrivet = runOn(scrivet::run, scrivetIn);
  EXPECT_EQ(1, scrivet.status);
  EXPECT_EQ("1 a\n", scrivet.out);
  EXPECT_EQ("scrivet: read error: " + std::generic_category().message(EIO) + "\n", scrivet.err);
  EXPECT_EQ(std::ios::goodbit, scrivetIn.exceptions());

  TypedInput promptInput({"insertEnd a\nprint insertEnd"}, EISDIR);
  std::istream promptIn(&promptInput);
  const Result prompt = runOn(scrivet_prompt::run, promptIn);
  EXPECT_EQ(1, prompt.status);
  EXPECT_EQ("Enter a User Command\n\n\n1  a\n\n0 \n\n", prompt.out);
  EXPECT_EQ("scrivet-prompt: read error: " + std::generic_category().message(EISDIR) + "\n",
            prompt.err);
}

TEST(ReadFailure, AStreamThatHasFailedAlreadyIsNoEmptySession) {
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
