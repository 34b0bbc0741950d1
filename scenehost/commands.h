// SPDX-License-Identifier: MIT
// The scenehost commands. Each writes its result to `out` and warnings to
// `err`, and throws SceneError (or a module loading error) on failure.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "conformance/conformance.h"
#include "scenehost/scene_file.h"

namespace kv::scenehost {

// Runs the program with its arguments (without the program name); returns the
// exit status: 0 success, 1 failure, 2 usage error.
int runScenehost(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

// scenehost servers [MODULE]
void serversCommand(const std::string& modulePath, std::ostream& out);

// scenehost check [MODULE]: the host-contract checks of the conformance
// library. Returns the number of failed checks.
int checkCommand(const std::string& modulePath, std::ostream& out);

using conformance::validateGroups;
using conformance::ValidateLevel;
using conformance::ValidateOptions;

// scenehost validate: the conformance library's validation groups. Returns
// the number of failed checks.
int validateCommand(const ValidateOptions& options, std::ostream& out);

enum class OutputFormat { Table, Csv, Json };

struct EvalOptions {
  std::string scene;                 // "-" for standard input
  std::string module;                // "" to choose as chooseModulePath does
  std::optional<FrameRange> frames;  // else the scene's "frames", else frame 0
  OutputFormat format = OutputFormat::Table;
  std::optional<AngleUnit> angles;  // the unit rotations are printed in; else the scene's "angles"
  std::string plot;                 // picture file, or ""
  bool overlay = false;             // the picture draws one output of all nodes in one panel
  bool progress = false;            // show progress on `err` (a terminal)
};
void evalCommand(const EvalOptions& options, std::ostream& out, std::ostream& err);

struct PanelAction {
  enum class Kind { Set, Press } kind;
  std::string label;
  std::string value;  // for Set
};

struct PanelOptions {
  std::string scene;
  std::string node;  // a node's name or 0-based position
  std::string module;
  std::vector<PanelAction> actions;  // in command-line order
  bool save = false;                 // write the node's resulting state into the scene file
};
void panelCommand(const PanelOptions& options, std::ostream& out, std::ostream& err);

struct SaveOptions {
  std::string scene;  // "-" for standard input
  std::string module;
  std::string output;         // "" to rewrite the scene file, "-" for standard output
  bool fromSettings = false;  // ignore the entries' states: rebuild them from the settings
};
void saveCommand(const SaveOptions& options, std::ostream& out, std::ostream& err);

}  // namespace kv::scenehost
