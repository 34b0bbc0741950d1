// SPDX-License-Identifier: MIT
// The PASS/FAIL lines that `check` and `validate` print, one per check, with
// what was expected and what was seen, and the running counts.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>

namespace kv::conformance {

class CheckReport {
 public:
  explicit CheckReport(std::ostream& out) : out_(out) {}

  // Prints the check's line and returns `ok`. Each line is flushed: a module
  // that crashes the program leaves the last check it passed on screen.
  bool check(bool ok, const std::string& what, const std::string& expected, const std::string& seen);
  // Other lines (headings, the seed), flushed like the checks.
  void note(const std::string& text);

  int passed() const { return passed_; }
  int failed() const { return failed_; }

 private:
  std::ostream& out_;
  int passed_ = 0;
  int failed_ = 0;
};

// Many repetitions of one property make one check: the number of cases and
// the first case that broke it, described well enough to reproduce.
class Tally {
 public:
  // Counts one case; `describe` is called only for the first failure.
  template <typename Describe>
  bool record(bool ok, Describe&& describe) {
    ++cases_;
    if (!ok && failures_++ == 0) firstFailure_ = describe();
    return ok;
  }

  bool ok() const { return failures_ == 0; }
  std::size_t cases() const { return cases_; }
  // "N <noun>s" when all passed, else "F of N <noun>s failed, first: ...".
  std::string seen(const std::string& noun) const;
  // Prints the check for this tally.
  bool report(CheckReport& report, const std::string& what, const std::string& expected, const std::string& noun) const;

 private:
  std::size_t cases_ = 0;
  std::size_t failures_ = 0;
  std::string firstFailure_;
};

}  // namespace kv::conformance
