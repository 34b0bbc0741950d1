// SPDX-License-Identifier: MIT
// The scan group: the host contract of `check`, then a second load of the
// module giving the same table, and every node activation under every host
// build the service names depend on and with each required service missing.
#include <fstream>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "conformance/groups.h"
#include "conformance/node_settings.h"
#include "host/host.h"

namespace kv::conformance {
namespace {

// Builds on either side of every change of service names, and the extremes.
std::vector<unsigned> boundaryBuilds() {
  std::set<unsigned> builds{0, 0xFFF};
  for (const std::span<const BuildName> names :
       {std::span<const BuildName>(INPUT_FUNCS_NAMES), std::span<const BuildName>(OUTPUT_FUNCS_NAMES)}) {
    for (const BuildName& entry : names.first(names.size() - 1)) builds.insert({entry.lastBuild, entry.lastBuild + 1});
  }
  return {builds.begin(), builds.end()};
}

// A server as the host sees it, without the addresses that move between loads.
std::string serverText(const host::ServerInfo& server) {
  std::string text = server.className + " " + server.name + (server.hasTagList ? " [" : " no tags");
  for (const host::ServerInfo::Tag& tag : server.tags) text += tag.text + "=" + std::to_string(tag.tag) + ";";
  return text + (server.hasTagList ? "]" : "");
}

std::vector<std::string> tableText(const host::LoadedModule& module) {
  std::vector<std::string> lines;
  const ModuleDescriptor& descriptor = module.descriptor();
  lines.push_back(std::to_string(descriptor.sync) + " " + std::to_string(descriptor.version) + " " +
                  std::to_string(descriptor.machine));
  for (const host::ServerInfo& server : module.servers()) lines.push_back(serverText(server));
  return lines;
}

// Whether the file is mapped into this process; nullopt where that cannot be
// told (no /proc).
std::optional<bool> mapped(const std::string& path) {
  std::ifstream maps("/proc/self/maps");
  if (!maps) return std::nullopt;
  const std::string name = path.substr(path.find_last_of('/') + 1);
  for (std::string line; std::getline(maps, line);) {
    if (line.ends_with("/" + name)) return true;
  }
  return false;
}

// Activates a node server as a host does before create.
int activate(const host::ServerInfo& server) { return activateServer(server, host::ServiceHost::lookup()); }

// Serves only the node service names of `build`.
void serveBuild(host::ServiceHost& host, unsigned build) {
  host.restoreAll();
  host.setBuild(build);
  for (const BuildName& entry : OUTPUT_FUNCS_NAMES) host.withhold(entry.name);
  for (const BuildName& entry : INPUT_FUNCS_NAMES) host.withhold(entry.name);
  host.restore(nameForBuild(OUTPUT_FUNCS_NAMES, build));
  host.restore(nameForBuild(INPUT_FUNCS_NAMES, build));
}

// False when the module does not load at all, which the contract reported.
bool checkReload(ValidateContext& context) {
  CheckReport& report = context.report;
  std::vector<std::string> firstTable;
  try {
    const host::LoadedModule first(context.modulePath);
    firstTable = tableText(first);
  } catch (const host::ModuleLoadError&) {
    return false;
  }
  const std::optional<bool> stillMapped = mapped(context.modulePath);
  const bool unloaded = stillMapped == false;
  if (stillMapped) {
    report.check(unloaded, "scan: unload", "the module file no longer mapped", unloaded ? "unmapped" : "still mapped");
  }
  const host::LoadedModule second(context.modulePath);
  const std::vector<std::string> secondTable = tableText(second);
  report.check(
      secondTable == firstTable, "scan: load again", "the same descriptor and server table",
      secondTable == firstTable ? std::to_string(secondTable.size() - 1) + " servers alike" : "a different table");
  // Nodes and their panels, nothing else: each server has its counterpart of the other class.
  std::size_t handlers = 0, paired = 0;
  for (const host::ServerInfo& server : second.servers()) {
    const bool handler = server.className == NODE_HANDLER_CLASS;
    handlers += handler;
    paired += (handler || server.className == NODE_INTERFACE_CLASS) &&
              second.find(handler ? NODE_INTERFACE_CLASS : NODE_HANDLER_CLASS, server.name);
  }
  report.check(handlers > 0 && paired == second.servers().size(), "scan: server table",
               "\"NodeHandler\" servers, each with a \"NodeInterface\" server of its name, and no other server",
               std::to_string(handlers) + " \"NodeHandler\", " + std::to_string(paired) + " of " +
                   std::to_string(second.servers().size()) + " servers paired");

  // Fresh from the load, the module has looked up nothing: a first activation
  // without "Instance Update" must fail. Only when the reload really was one.
  if (!unloaded || second.servers().empty()) return true;
  host::Scene scene;
  host::ServiceHost host(scene);
  host.calls().setEnabled(false);
  const host::ServerInfo* node =
      second.find(NODE_HANDLER_CLASS, nodeServers(second).empty() ? "" : nodeServers(second)[0]);
  if (!node) return true;
  host.withhold(INSTANCE_UPDATE_SERVICE);
  const int withheld = activate(*node);
  host.restore(INSTANCE_UPDATE_SERVICE);
  const int served = activate(*node);
  host.withhold(INSTANCE_UPDATE_SERVICE);
  const int later = activate(*node);
  report.check(withheld == AFUNC_BADGLOBAL && served == AFUNC_OK && later == AFUNC_OK,
               "scan: \"Instance Update\" looked up until found",
               "2 without it at the first activation, then 0, then 0 without it (kept from before)",
               std::to_string(withheld) + ", " + std::to_string(served) + ", " + std::to_string(later));
  return true;
}

void checkBuilds(ValidateContext& context, const host::LoadedModule& module) {
  host::Scene scene;
  const ItemId object = scene.addObject("Object");
  scene.setParam(object, PARAM_POSITION, {1.0, 2.0, 3.0});
  host::ServiceHost host(scene);
  host.calls().setEnabled(false);
  for (const std::string& name : nodeServers(module)) {
    const host::ServerInfo& server = *module.find(NODE_HANDLER_CLASS, name);
    Tally served, outputMissing, inputMissing;
    for (const unsigned build : boundaryBuilds()) {
      serveBuild(host, build);
      const int result = activate(server);
      served.record(result == AFUNC_OK,
                    [&] { return "build " + std::to_string(build) + ": " + std::to_string(result); });
      std::string error;
      const auto node = tryNode(host, module, name, error);
      const bool works = node && !node->outputs().empty() && node->evaluate(std::size_t{0}).deliveries == 1;
      served.record(works, [&] {
        return "build " + std::to_string(build) + ": " + (node ? "no output delivering one value" : error);
      });

      host.withhold(nameForBuild(OUTPUT_FUNCS_NAMES, build));
      const int noOutputs = activate(server);
      outputMissing.record(noOutputs == AFUNC_BADGLOBAL, [&] {
        return "build " + std::to_string(build) + " without \"" + nameForBuild(OUTPUT_FUNCS_NAMES, build) +
               "\": " + std::to_string(noOutputs);
      });
      host.restore(nameForBuild(OUTPUT_FUNCS_NAMES, build));
      host.withhold(nameForBuild(INPUT_FUNCS_NAMES, build));
      const int noInputs = activate(server);
      inputMissing.record(noInputs == AFUNC_BADGLOBAL, [&] {
        return "build " + std::to_string(build) + " without \"" + nameForBuild(INPUT_FUNCS_NAMES, build) +
               "\": " + std::to_string(noInputs);
      });
    }
    served.report(context.report, "scan: " + name + ": every host build",
                  "0 and a working node with only the build's node service names served", "case");
    outputMissing.report(context.report, "scan: " + name + ": each build without its output functions", "2", "build");
    inputMissing.report(context.report, "scan: " + name + ": each build without its input functions", "2", "build");

    // The rest of the required services, one at a time, at the newest build.
    host.restoreAll();
    host.setBuild(OUTPUT_FUNCS_NAMES[std::size(OUTPUT_FUNCS_NAMES) - 2].lastBuild + 1);
    Tally missing;
    for (const char* service : {NODE_FUNCS_SERVICE, ITEM_INFO_SERVICE, BONE_INFO_SERVICE}) {
      host.withhold(service);
      const int result = activate(server);
      host.restore(service);
      missing.record(result == AFUNC_BADGLOBAL,
                     [&] { return std::string("without \"") + service + "\": " + std::to_string(result); });
    }
    // Without "Product Info" the build reads as 0: the oldest names.
    host.withhold(PRODUCT_INFO_SERVICE);
    for (const std::span<const BuildName> names :
         {std::span<const BuildName>(INPUT_FUNCS_NAMES), std::span<const BuildName>(OUTPUT_FUNCS_NAMES)}) {
      for (const BuildName& entry : names.subspan(1)) host.withhold(entry.name);
    }
    const int noProduct = activate(server);
    missing.record(noProduct == AFUNC_OK,
                   [&] { return "without \"Product Info\", oldest names served: " + std::to_string(noProduct); });
    host.restoreAll();
    // A system ID with the skip bit needs no item services; outputs are zeros.
    host.setSystemId(SYSTEM_ID_NO_ITEM_INFO);
    host.withhold(ITEM_INFO_SERVICE);
    host.withhold(BONE_INFO_SERVICE);
    const int skipped = activate(server);
    missing.record(skipped == AFUNC_OK, [&] { return "system ID skipping item services: " + std::to_string(skipped); });
    host.restoreAll();
    host.setSystemId(host::DEFAULT_SYSTEM_ID);
    missing.report(context.report, "scan: " + name + ": required services",
                   std::string("2 without \"") + NODE_FUNCS_SERVICE + "\", \"" + ITEM_INFO_SERVICE + "\" or \"" +
                       BONE_INFO_SERVICE + "\"; 0 with the build read as 0 or the system ID skipping item services",
                   "case");
  }
}

}  // namespace

void validateScan(ValidateContext& context) {
  checkContract(context.report, context.modulePath);
  try {
    if (!checkReload(context)) return;
  } catch (const host::ModuleLoadError& error) {
    context.report.check(false, "scan: load again", "a module the host can load", error.what());
    return;
  }
  const host::LoadedModule module(context.modulePath);
  checkBuilds(context, module);
}

}  // namespace kv::conformance
