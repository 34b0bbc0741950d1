// SPDX-License-Identifier: MIT
// Validation: loads the module once and runs the chosen groups on it,
// each with a generator seeded from the printed seed and the group's name.
#include <exception>
#include <memory>
#include <ostream>
#include <random>
#include <utility>

#include "conformance/conformance.h"
#include "conformance/groups.h"

namespace kv::conformance {

int ValidateContext::scale() const {
  switch (level) {
    case ValidateLevel::Quick:
      return 4;
    case ValidateLevel::Standard:
      return 40;
    default:
      return 800;
  }
}

std::mt19937_64 ValidateContext::random(std::string_view group) const {
  std::uint64_t hash = 0xCBF29CE484222325;  // FNV-1a: the same on every platform
  for (const char c : group) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3;
  return std::mt19937_64(seed ^ hash);
}

namespace {

using Group = void (*)(ValidateContext&);

const std::vector<std::pair<std::string, Group>>& groups() {
  static const std::vector<std::pair<std::string, Group>> all{
      {"scan", &validateScan},
      {"lifecycle", &validateLifecycle},
      {"state", &validateState},
      {"parameters", &validateParameters},
      {"evaluation", &validateEvaluation},
      {"threads", &validateThreads},
      {"allocations", &validateAllocations},
  };
  return all;
}

const char* levelName(ValidateLevel level) {
  switch (level) {
    case ValidateLevel::Quick:
      return "quick";
    case ValidateLevel::Standard:
      return "standard";
    default:
      return "thorough";
  }
}

bool chosen(const ValidateOptions& options, const std::string& group) {
  if (options.groups.empty()) return true;
  for (const std::string& name : options.groups) {
    if (name == group) return true;
  }
  return false;
}

}  // namespace

const std::vector<std::string>& validateGroups() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> list;
    for (const auto& group : groups()) list.push_back(group.first);
    return list;
  }();
  return names;
}

int validateModule(const ValidateOptions& options, std::ostream& out) {
  std::random_device entropy;
  const std::uint64_t seed = options.seed ? *options.seed : (std::uint64_t{entropy()} << 32) | entropy();
  CheckReport report(out);
  report.note(options.module + ": level " + levelName(options.level) + ", seed " + std::to_string(seed));

  // The scan group loads and unloads the module itself, so the others' shared
  // load waits until the first of them runs.
  std::unique_ptr<host::LoadedModule> module;
  std::string loadError;
  for (const auto& [name, run] : groups()) {
    if (!chosen(options, name)) continue;
    report.note("== " + name);
    const int passedBefore = report.passed();
    const int failedBefore = report.failed();
    if (name != "scan" && !module && loadError.empty()) {
      try {
        module = std::make_unique<host::LoadedModule>(options.module);
      } catch (const std::exception& error) {
        loadError = error.what();
      }
    }
    if (name != "scan" && !module) {
      report.check(false, name + ": module loads", "a module the host can load", loadError);
    } else {
      ValidateContext context{options.module, module.get(), options.level, seed, report};
      try {
        run(context);
      } catch (const std::exception& error) {
        report.check(false, name + ": runs to the end", "no exception", error.what());
      }
    }
    report.note(name + ": " + std::to_string(report.passed() - passedBefore) + " passed, " +
                std::to_string(report.failed() - failedBefore) + " failed");
  }
  report.note(std::to_string(report.passed()) + " passed, " + std::to_string(report.failed()) + " failed");
  return report.failed();
}

}  // namespace kv::conformance
