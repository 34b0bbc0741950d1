// SPDX-License-Identifier: MIT
// The command line: subcommands, their options and help texts, and the exit
// status (0 success, 1 failure, 2 usage error).
#include <algorithm>
#include <charconv>
#include <exception>
#include <filesystem>
#include <map>
#include <optional>
#include <ostream>

#include "scenehost/commands.h"
#include "scenehost/errors.h"
#include "scenehost/module_path.h"
#include "scenehost/near_miss.h"
#include "scenehost/output_check.h"

namespace kv::scenehost {
namespace {

constexpr const char* PROGRAM_HELP = R"HELP(usage: scenehost COMMAND [ARGUMENTS]

Loads the built module file, places its nodes in a scene read from a file and
drives them as the host application would, printing what every node delivers.

commands:
  servers [MODULE]              the module's server table
  check [MODULE]                check the module against the host's contract
  validate [MODULE] [OPTIONS]   drive the module under stress, group by group
  eval SCENE [OPTIONS]          evaluate the scene's nodes over frames
  panel SCENE NODE [ACTIONS]    open a node's panel, set values, press buttons
  save SCENE [-o OUT]           write each node's saved state into the scene file

"scenehost COMMAND --help" describes a command. The module file is the one
given with --module, else the one the scene file names ("module"), else the
module beside the program or in the folder above it.
)HELP";

constexpr const char* SERVERS_HELP = R"HELP(usage: scenehost servers [MODULE]

Loads MODULE (default: the module beside the program or in the folder above
it), reads its descriptor and lists every server: class, server name, user
name and menu group.
)HELP";

constexpr const char* CHECK_HELP = R"HELP(usage: scenehost check [MODULE]

Loads MODULE (default: the module beside the program or in the folder above
it) as the host does and checks what the host relies on, printing one PASS or
FAIL line per check with what was expected and what was seen, then
"N passed, N failed". The exit status is 0 only when every check passed.

  - the descriptor: sync word 0x04121994, version 3, machine word 0x300,
    start-up returning non-null, a server table ended by a null record
  - every "NodeHandler" server's tags: user name, menu group and "All";
    every "NodeInterface" server has a "NodeHandler" server of its name
  - every node, in an empty scene with all services: activation returns 0
    and binds every function of the handler record; create registers the inputs "Time" (scalar) and "Item" (integer) and an
    output; each output delivers one zero value; save then load into a second
    instance saves the same state; copy, new time, change-ID with no changes
    and destroy succeed; with "NodeFuncs" withheld the activation returns 2
    and leaves the handler record untouched
  - every panel opens for an instance at host interface version 4, and its
    activation returns 1 at version 3
)HELP";

constexpr const char* VALIDATE_HELP =
    R"HELP(usage: scenehost validate [MODULE] [--level quick|standard|thorough] [--seed N]
                         [--only GROUP[,GROUP]...]

Loads MODULE (default: the module beside the program or in the folder above
it) and drives it, through its descriptor alone, with seeded pseudo-random
cases, group by group. Prints the seed, one PASS or FAIL line per check with
what was expected and what was seen (for a failure, the first failing case),
each group's counts, then "N passed, N failed". The exit status is 0 only
when every check passed; rerun with the printed --seed to repeat a failure.

groups:
  scan         the checks of "check"; unload and load again giving the same
               table; every node activation at every host build the service
               names depend on, and with each required service missing
  lifecycle    thousands of instances made and destroyed in random order, with
               copies, loads, new time, change-ID (stale, zero and unknown
               identifiers), panels and evaluation in any order
  state        save, load into a fresh instance, save again: the same blocks;
               loads of empty, truncated, repeated, unknown and random blocks
               store exactly what they read
  parameters   random panel sets, gets, notifications and button presses; the
               panel then shows the saved settings, items by list number
  evaluation   NaN, infinite, huge, subnormal values, zero scales, cameras,
               bones whose owner is gone, hierarchies 10000 deep: one value
               per output, finite wherever the scene is
  threads      several threads evaluating shared instances give the values of
               one thread
  allocations  no heap allocation while evaluating (the counter first proves
               that it sees the module's allocations)

  --level LEVEL   quick (seconds, for sanitizer builds), standard (default) or
                  thorough (minutes): how many cases each group runs
  --seed N        the seed of the pseudo-random cases (default: a random one)
  --only GROUPS   run only these groups, comma-separated
)HELP";

constexpr const char* EVAL_HELP = R"HELP(usage: scenehost eval SCENE [--module PATH] [--frames FIRST..LAST[:STEP]]
                      [--format table|csv|json] [--angles radians|degrees]
                      [--plot FILE.svg|FILE.png [--overlay]]

For each frame (time = frame / fps), sends the new time to every node of the
scene file SCENE, then evaluates each output the scene asks for (all outputs
of a node by default) and prints the values. A node that can only deliver
zeros (no item, or a bone node with an object but no bone) is warned of once.

  --module PATH     the module file (default: the scene's "module", else beside the program)
  --frames RANGE    frames FIRST to LAST every STEP (default: the scene's "frames", else 0);
                    FIRST, LAST and STEP are whole numbers, LAST not before FIRST, STEP 1 or more
  --format FORMAT   table (default), csv or json
  --angles UNIT     the unit of rotations ("Rotation", "W Rot", "pivotRot", "restRot" and the
                    H, P, B of the Rot and WRot nodes): radians as the host delivers them, or
                    degrees (default: the scene's "angles", else radians)
  --plot FILE       also draw a picture with gnuplot: world positions as paths, every
                    other output against the frames in a panel of its own
  --overlay         in the picture, draw each output of all nodes that have it in one
                    panel, nodes told apart by dashes, to compare them

Integer outputs are item identifiers, shown alike in every format: eight
hexadecimal digits and the item's name, a bone as "Owner:Bone", 0 as "(none)".
The table shows "10000001 Arm"; CSV puts 10000001 in x and Arm in item; JSON
writes {"id": "10000001", "item": "Arm"}.

Rotations say their unit: JSON once, in "angles"; CSV (columns
frame,time,node,output,type,x,y,z,item,unit) in every rotation's row, whose
last column, unit, holds "radians" or "degrees" (other rows leave it empty),
so that a spreadsheet and a CSV reader both keep the unit with the numbers.
The table prints six decimals; a value too large for its column is written in
its shortest form that reads back exactly (1e+300).
)HELP";

constexpr const char* PANEL_HELP =
    R"HELP(usage: scenehost panel SCENE NODE [--module PATH] [--set LABEL=VALUE]... [--press LABEL]...
                       [--save]

Opens the panel of the node NODE (its "name", or its position from 0) through
the module's "NodeInterface" server, applies the actions in the order given,
and prints the controls with their values, the pop-up entries (icon and colour
decoded), every command a button issued, and the node's resulting state.
SCENE "-" reads the scene from standard input.

  --set LABEL=VALUE   set a control: a pop-up or choice takes an entry's name
                      ("Arm", "(none)", "Abs") or number, "Time" a number
  --press LABEL       press a button, e.g. "Select by CurItem"
  --save              write the node's resulting state into SCENE as its "state"
)HELP";

constexpr const char* SAVE_HELP = R"HELP(usage: scenehost save SCENE [--module PATH] [-o OUT] [--from-settings]

Places the scene's nodes, calls each node's save and writes the blocks it saved
into the node's entry as "state" (replacing any there). Later eval, panel and
save runs load that state through the module's load. Nothing but the "state"
entries changes: the rest of the file stays as written.

Writes OUT (default: SCENE itself) whole or not at all, through a symbolic
link to the file it leads to, keeping the file's permissions; anything but a
regular file is refused. SCENE "-" reads standard input, OUT "-" writes
standard output (the default when SCENE is "-").

  --from-settings   ignore the entries' "state": rebuild every state from the
                    node's settings ("item", "object", "bone", "time", "mode")
)HELP";

// Splits the arguments of one command into positionals and options; each
// option named in `valued` takes a value ("--x V" or "--x=V"), each named in
// `flags` none. A lone "-" is a positional (standard input or output).
struct ParsedArguments {
  std::vector<std::string> positionals;
  std::vector<std::pair<std::string, std::string>> options;  // in order
  std::vector<std::string> flags;
  bool help = false;

  bool has(const std::string& flag) const { return std::find(flags.begin(), flags.end(), flag) != flags.end(); }
};

// An option the command does not take, with the one it most likely meant.
UsageError unknownOption(const std::string& name, const std::vector<std::string>& valued,
                         const std::vector<std::string>& flags) {
  std::vector<std::string> known = valued;
  known.insert(known.end(), flags.begin(), flags.end());
  known.emplace_back("--help");
  const std::optional<std::string> closest = closestName(name, known);
  return UsageError("unknown option " + name + (closest ? " (did you mean " + *closest + "?)" : ""));
}

ParsedArguments parseArguments(const std::vector<std::string>& arguments, const std::vector<std::string>& valued,
                               const std::vector<std::string>& flags = {}) {
  ParsedArguments parsed;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      parsed.help = true;
    } else if (std::find(flags.begin(), flags.end(), argument) != flags.end()) {
      parsed.flags.push_back(argument);
    } else if (argument.size() > 1 && argument[0] == '-') {
      const std::size_t equals = argument.find('=');
      const std::string name = argument.substr(0, equals);
      if (std::find(valued.begin(), valued.end(), name) == valued.end()) throw unknownOption(name, valued, flags);
      if (equals != std::string::npos) {
        parsed.options.emplace_back(name, argument.substr(equals + 1));
      } else if (i + 1 < arguments.size()) {
        parsed.options.emplace_back(name, arguments[++i]);
      } else {
        throw UsageError(name + " needs a value");
      }
    } else {
      parsed.positionals.push_back(argument);
    }
  }
  return parsed;
}

void expectPositionals(const ParsedArguments& parsed, std::size_t least, std::size_t most, const char* what) {
  if (parsed.positionals.size() < least) throw UsageError(std::string("missing ") + what);
  if (parsed.positionals.size() > most) throw UsageError("unexpected argument \"" + parsed.positionals[most] + "\"");
}

// The last value of an option given more than once wins.
std::string lastValue(const ParsedArguments& parsed, const std::string& name) {
  std::string value;
  for (const auto& [option, text] : parsed.options) {
    if (option == name) value = text;
  }
  return value;
}

// The value that the option's last word names among `choices`; `chosen` stays
// as it is when the option is absent. `takes` lists the words for the error.
template <typename T>
void chooseValue(const ParsedArguments& parsed, const std::string& name, const std::map<std::string, T>& choices,
                 const char* takes, T& chosen) {
  const std::string word = lastValue(parsed, name);
  if (word.empty()) return;
  const auto found = choices.find(word);
  if (found == choices.end()) {
    std::vector<std::string> words;
    for (const auto& [choice, value] : choices) words.push_back(choice);
    throw UsageError(name + " takes " + takes + ", not \"" + word + "\"" + didYouMean(word, words));
  }
  chosen = found->second;
}

// A command that checks a module fails as a whole when one of its checks did.
void failOnFailedChecks(const std::string& modulePath, int failed) {
  if (failed > 0) {
    throw SceneError(modulePath + ": " + std::to_string(failed) + (failed == 1 ? " check" : " checks") + " failed");
  }
}

// A module file that is not there is one error, not a failure in every group
// of validate. A bare name is left to the system's loader to search for.
void expectModuleFile(const std::string& path) {
  const std::filesystem::path file(path);
  std::error_code error;
  if (file.has_parent_path() && !std::filesystem::exists(file, error)) throw SceneError(path + ": no such module file");
}

void servers(const std::vector<std::string>& arguments, std::ostream& out, std::ostream&) {
  const ParsedArguments parsed = parseArguments(arguments, {});
  if (parsed.help) {
    out << SERVERS_HELP;
    return;
  }
  expectPositionals(parsed, 0, 1, "MODULE");
  serversCommand(chooseModulePath(parsed.positionals.empty() ? "" : parsed.positionals[0], nullptr), out);
}

void check(const std::vector<std::string>& arguments, std::ostream& out, std::ostream&) {
  const ParsedArguments parsed = parseArguments(arguments, {});
  if (parsed.help) {
    out << CHECK_HELP;
    return;
  }
  expectPositionals(parsed, 0, 1, "MODULE");
  const std::string path = chooseModulePath(parsed.positionals.empty() ? "" : parsed.positionals[0], nullptr);
  failOnFailedChecks(path, checkCommand(path, out));
}

void validate(const std::vector<std::string>& arguments, std::ostream& out, std::ostream&) {
  const ParsedArguments parsed = parseArguments(arguments, {"--level", "--seed", "--only"});
  if (parsed.help) {
    out << VALIDATE_HELP;
    return;
  }
  expectPositionals(parsed, 0, 1, "MODULE");
  ValidateOptions options;
  static const std::map<std::string, ValidateLevel> levels{
      {"quick", ValidateLevel::Quick}, {"standard", ValidateLevel::Standard}, {"thorough", ValidateLevel::Thorough}};
  chooseValue(parsed, "--level", levels, "quick, standard or thorough", options.level);
  if (const std::string seed = lastValue(parsed, "--seed"); !seed.empty()) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(seed.data(), seed.data() + seed.size(), value);
    if (error != std::errc() || end != seed.data() + seed.size()) {
      throw UsageError("--seed takes a whole number from 0 to 18446744073709551615, not \"" + seed + "\"");
    }
    options.seed = value;
  }
  if (const std::string only = lastValue(parsed, "--only"); !only.empty()) {
    const std::vector<std::string>& known = validateGroups();
    for (std::size_t start = 0; start <= only.size();) {
      const std::size_t comma = std::min(only.find(',', start), only.size());
      const std::string group = only.substr(start, comma - start);
      if (std::find(known.begin(), known.end(), group) == known.end()) {
        throw UsageError("--only takes groups of validate (see --help), not \"" + group + "\"" +
                         didYouMean(group, known));
      }
      options.groups.push_back(group);
      start = comma + 1;
    }
  }
  options.module = chooseModulePath(parsed.positionals.empty() ? "" : parsed.positionals[0], nullptr);
  expectModuleFile(options.module);
  failOnFailedChecks(options.module, validateCommand(options, out));
}

void eval(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  const ParsedArguments parsed =
      parseArguments(arguments, {"--module", "--frames", "--format", "--angles", "--plot"}, {"--overlay"});
  if (parsed.help) {
    out << EVAL_HELP;
    return;
  }
  expectPositionals(parsed, 1, 1, "SCENE");
  EvalOptions options;
  options.scene = parsed.positionals[0];
  options.module = lastValue(parsed, "--module");
  options.plot = lastValue(parsed, "--plot");
  options.overlay = parsed.has("--overlay");
  if (options.overlay && options.plot.empty()) throw UsageError("--overlay draws into a picture: give --plot FILE too");
  if (const std::string frames = lastValue(parsed, "--frames"); !frames.empty()) {
    std::string problem;
    options.frames = parseFrameRange(frames, &problem);
    if (!options.frames) throw UsageError("--frames " + frames + ": " + problem);
  }
  // Rows on a terminal show the progress themselves.
  options.progress = isTerminal(err) && !isTerminal(out);
  static const std::map<std::string, OutputFormat> formats{
      {"table", OutputFormat::Table}, {"csv", OutputFormat::Csv}, {"json", OutputFormat::Json}};
  chooseValue(parsed, "--format", formats, "table, csv or json", options.format);
  static const std::map<std::string, std::optional<AngleUnit>> units{{"radians", AngleUnit::Radians},
                                                                     {"degrees", AngleUnit::Degrees}};
  chooseValue(parsed, "--angles", units, "radians or degrees", options.angles);
  evalCommand(options, out, err);
}

void panel(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  const ParsedArguments parsed = parseArguments(arguments, {"--module", "--set", "--press"}, {"--save"});
  if (parsed.help) {
    out << PANEL_HELP;
    return;
  }
  expectPositionals(parsed, 2, 2, parsed.positionals.empty() ? "SCENE" : "NODE");
  PanelOptions options;
  options.scene = parsed.positionals[0];
  options.node = parsed.positionals[1];
  options.module = lastValue(parsed, "--module");
  options.save = parsed.has("--save");
  for (const auto& [option, value] : parsed.options) {
    if (option == "--set") {
      const std::size_t equals = value.find('=');
      if (equals == std::string::npos) throw UsageError("--set takes LABEL=VALUE, not \"" + value + "\"");
      options.actions.push_back({PanelAction::Kind::Set, value.substr(0, equals), value.substr(equals + 1)});
    } else if (option == "--press") {
      options.actions.push_back({PanelAction::Kind::Press, value, ""});
    }
  }
  panelCommand(options, out, err);
}

void save(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  const ParsedArguments parsed = parseArguments(arguments, {"--module", "-o", "--output"}, {"--from-settings"});
  if (parsed.help) {
    out << SAVE_HELP;
    return;
  }
  expectPositionals(parsed, 1, 1, "SCENE");
  SaveOptions options;
  options.scene = parsed.positionals[0];
  options.module = lastValue(parsed, "--module");
  options.output = lastValue(parsed, "-o");
  if (options.output.empty()) options.output = lastValue(parsed, "--output");
  options.fromSettings = parsed.has("--from-settings");
  saveCommand(options, out, err);
}

}  // namespace

int runScenehost(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  using Command = void (*)(const std::vector<std::string>&, std::ostream&, std::ostream&);
  static const std::map<std::string, Command> commands{{"servers", &servers},   {"check", &check},
                                                       {"validate", &validate}, {"eval", &eval},
                                                       {"panel", &panel},       {"save", &save}};
  const std::string name = arguments.empty() ? "" : arguments[0];
  const WriteErrorKeeper keeper(out);
  try {
    if (name == "--help" || name == "-h" || name == "help") {
      out << PROGRAM_HELP;
    } else if (const auto command = commands.find(name); command != commands.end()) {
      command->second({arguments.begin() + 1, arguments.end()}, out, err);
    } else {
      std::vector<std::string> names;
      for (const auto& [known, run] : commands) names.push_back(known);
      throw UsageError(name.empty() ? "missing COMMAND" : "unknown command \"" + name + "\"" + didYouMean(name, names));
    }
    flushAndCheck(out, "standard output");
    return 0;
  } catch (const OutputClosed&) {
    return 1;
  } catch (const UsageError& error) {
    err << "scenehost: " << error.what() << "\n"
        << "(\"scenehost " << (commands.contains(name) ? name + " " : "") << "--help\" shows the usage)\n";
    return 2;
  } catch (const std::exception& error) {
    err << "scenehost: " << error.what() << "\n";
    return 1;
  }
}

}  // namespace kv::scenehost
