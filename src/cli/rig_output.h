// What kivo-cli writes for a rig of cameras: every line marked with the camera it is about, and
// one exit status for all of them. Plain functions and a stream buffer; loop thread only.
#pragma once

#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>

namespace kivo {

enum class LineKind {
  kText,   // "NAME: " in front
  kJson,   // an object gets an "interface" member first; other lines are marked as text
  kError,  // after the program's "kivo-cli: ", else in front as text
};

// |line| (without its newline) marked with the camera behind interface |name|.
std::string MarkLine(std::string_view line, const std::string& name, LineKind kind);

// The status that stands for a run in which cameras ended with |a| and |b|: an interrupt, then a
// usage error, a wrong password, an unreachable camera, a refusal, success.
int MostSeriousExit(int a, int b);

// A stream buffer that passes whole lines on to |to|, marked; what is left of a last line
// without a newline goes on when the buffer is destroyed.
class MarkedLines : public std::streambuf {
 public:
  MarkedLines(std::ostream& to, std::string name, LineKind kind)
      : to_(to), name_(std::move(name)), kind_(kind) {}
  ~MarkedLines() override;
  MarkedLines(const MarkedLines&) = delete;
  MarkedLines& operator=(const MarkedLines&) = delete;

 protected:
  int_type overflow(int_type ch) override;
  std::streamsize xsputn(const char* text, std::streamsize count) override;
  int sync() override;

 private:
  void Take(std::string_view text);

  std::ostream& to_;
  std::string name_;
  LineKind kind_;
  std::string line_;
};

}  // namespace kivo
