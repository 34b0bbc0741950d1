// SPDX-License-Identifier: MIT
#include "conformance/report.h"

namespace kv::conformance {

bool CheckReport::check(bool ok, const std::string& what, const std::string& expected, const std::string& seen) {
  if (ok) {
    ++passed_;
    out_ << "PASS " << what << ": " << seen << std::endl;
  } else {
    ++failed_;
    out_ << "FAIL " << what << ": expected " << expected << ", saw " << seen << std::endl;
  }
  return ok;
}

void CheckReport::note(const std::string& text) { out_ << text << std::endl; }

std::string Tally::seen(const std::string& noun) const {
  const std::string counted = std::to_string(cases_) + " " + noun + (cases_ == 1 ? "" : "s");
  if (failures_ == 0) return counted;
  return std::to_string(failures_) + " of " + counted + " failed, first: " + firstFailure_;
}

bool Tally::report(CheckReport& report, const std::string& what, const std::string& expected,
                   const std::string& noun) const {
  // A check that ran no case proves nothing.
  if (cases_ == 0) return report.check(false, what, expected, "no " + noun + " ran");
  return report.check(ok(), what, expected, seen(noun));
}

}  // namespace kv::conformance
