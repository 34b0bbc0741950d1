// SPDX-License-Identifier: MIT
// The groups of validation: each drives the loaded module through
// its descriptor alone and prints its checks into the shared report.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <string_view>

#include "conformance/conformance.h"
#include "conformance/report.h"
#include "host/module_loader.h"

namespace kv::conformance {

struct ValidateContext {
  std::string modulePath;
  // The loaded module; null for the scan group, which loads it itself.
  const host::LoadedModule* module;
  ValidateLevel level;
  std::uint64_t seed;
  CheckReport& report;

  // What the groups multiply their counts by: 4 quick, 40 standard, 800 thorough.
  int scale() const;
  // A generator of its own per group, so that `--only` replays the same cases.
  std::mt19937_64 random(std::string_view group) const;
};

// The host-contract checks of checkModule (contract_checks.cpp): descriptor, server
// table and every server's activation, bindings, ports and panel.
void checkContract(CheckReport& report, const std::string& modulePath);

void validateScan(ValidateContext& context);
void validateLifecycle(ValidateContext& context);
void validateState(ValidateContext& context);
void validateParameters(ValidateContext& context);
void validateEvaluation(ValidateContext& context);
void validateThreads(ValidateContext& context);
void validateAllocations(ValidateContext& context);

}  // namespace kv::conformance
