// SPDX-License-Identifier: MIT
// The conformance checks of a built module file: `check` tries the host's
// contract once per server, `validate` drives the module under stress, group
// by group. Both print one PASS or FAIL line per check and then
// "N passed, N failed", and return the number of failed checks.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace kv::conformance {

// Loads the module as the host does and checks the host's contract: the
// descriptor, the server table and every server's activation, bindings,
// ports and panel.
int checkModule(const std::string& modulePath, std::ostream& out);

enum class ValidateLevel { Quick, Standard, Thorough };

struct ValidateOptions {
  std::string module;  // the module file
  ValidateLevel level = ValidateLevel::Standard;
  std::optional<std::uint64_t> seed;  // else one drawn at random
  std::vector<std::string> groups;    // names from validateGroups(); empty for all
};

// The groups of `validate`, in the order they run.
const std::vector<std::string>& validateGroups();

// Prints the seed, then each chosen group's checks and counts.
int validateModule(const ValidateOptions& options, std::ostream& out);

}  // namespace kv::conformance
