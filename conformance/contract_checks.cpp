// SPDX-License-Identifier: MIT
// Checks of the host's contract: loads a module file the way the host does,
// one line per check, so that a plug-in developer sees what a host would trip
// over before a host ever loads the file.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "conformance/conformance.h"
#include "conformance/groups.h"
#include "conformance/node_settings.h"
#include "conformance/report.h"
#include "conformance/state_json.h"
#include "host/module_loader.h"
#include "host/node.h"
#include "host/saved_state.h"
#include "host/scene.h"
#include "host/services.h"
#include "host/shared_library.h"

namespace kv::conformance {
namespace {

// Withheld to make a node activation fail: every node needs it.
constexpr const char* REQUIRED_SERVICE = NODE_FUNCS_SERVICE;
constexpr int PANEL_VERSION = OLDEST_PANEL_HOST_VERSION;
constexpr int TOO_OLD_PANEL_VERSION = OLDEST_PANEL_HOST_VERSION - 1;

std::string hex(std::uintptr_t value, int digits) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%0*llX", digits, static_cast<unsigned long long>(value));
  return text;
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

std::string typeName(int connectionType) {
  switch (connectionType) {
    case CT_SCALAR:
      return "scalar";
    case CT_VECTOR:
      return "vector";
    case CT_INTEGER:
      return "integer";
    default:
      return "type " + std::to_string(connectionType);
  }
}

// "1 output", "15 outputs".
std::string count(std::size_t number, const std::string& noun) {
  return std::to_string(number) + " " + noun + (number == 1 ? "" : "s");
}

// A module function's error text: null is success.
std::string resultText(const char* error) { return error ? quoted(error) : "null"; }

// What the host reads before it calls anything: the exported descriptor's
// fixed fields. False when the host would go no further.
bool checkDescriptor(CheckReport& report, const std::string& path) {
  const std::unique_ptr<void, void (*)(host::LibraryHandle)> library(host::openLibrary(path), &host::closeLibrary);
  if (!report.check(library != nullptr, "module file loads", "a loadable library",
                    library ? "loaded" : host::lastLibraryError())) {
    return false;
  }
  const auto* descriptor = static_cast<const ModuleDescriptor*>(host::findSymbol(library.get(), DESCRIPTOR_SYMBOL));
  if (!report.check(descriptor != nullptr, std::string("exports ") + DESCRIPTOR_SYMBOL, "the descriptor symbol",
                    descriptor ? "found" : "no such symbol")) {
    return false;
  }
  const bool synchronised = report.check(descriptor->sync == DESCRIPTOR_SYNC, "descriptor sync word",
                                         hex(DESCRIPTOR_SYNC, 8), hex(descriptor->sync, 8));
  if (!synchronised) return false;
  report.check(descriptor->version == DESCRIPTOR_VERSION, "descriptor version", std::to_string(DESCRIPTOR_VERSION),
               std::to_string(descriptor->version));
  report.check(descriptor->machine == DESCRIPTOR_MACHINE, "descriptor machine word", hex(DESCRIPTOR_MACHINE, 3),
               hex(descriptor->machine, 3));
  return true;
}

void checkTags(CheckReport& report, const host::ServerInfo& server) {
  const auto userName = server.tag(TAG_USER_NAME);
  const auto menuGroup = server.tag(TAG_MENU_GROUP);
  const auto scope = server.tag(TAG_ALL);
  std::string seen;
  for (const host::ServerInfo::Tag& tag : server.tags) {
    seen += (seen.empty() ? "" : ", ") + quoted(tag.text) + " " + hex(tag.tag, 8);
  }
  if (!server.hasTagList) seen = "no tag list";
  if (seen.empty()) seen = "an empty tag list";
  report.check(userName && !userName->empty() && menuGroup && !menuGroup->empty() && scope == TAG_ALL_TEXT,
               server.name + ": tags",
               "a user name (tag " + hex(TAG_USER_NAME, 8) + "), a menu group (tag " + hex(TAG_MENU_GROUP, 8) +
                   ") and " + quoted(TAG_ALL_TEXT) + " (tag " + hex(TAG_ALL, 8) + ")",
               seen);
}

// The host calls every function of the handler record without a test.
void checkBindings(CheckReport& report, const host::HostNode& node) {
  const NodeHandler& handler = node.handler();
  const std::pair<const char*, bool> functions[] = {
      {"create", handler.instance->create != nullptr},  {"destroy", handler.instance->destroy != nullptr},
      {"copy", handler.instance->copy != nullptr},      {"load", handler.instance->load != nullptr},
      {"save", handler.instance->save != nullptr},      {"description line", handler.instance->describeLine != nullptr},
      {"use-items", handler.item->useItems != nullptr}, {"change-ID", handler.item->changeId != nullptr},
      {"init", handler.render->init != nullptr},        {"cleanup", handler.render->cleanup != nullptr},
      {"new time", handler.render->newTime != nullptr}, {"evaluate", handler.evaluate != nullptr},
  };
  std::string missing;
  for (const auto& [name, bound] : functions) {
    if (!bound) missing += (missing.empty() ? "" : ", ") + std::string(name);
  }
  report.check(missing.empty(), node.serverName() + ": activation binds every function",
               "every instance, item and render function and evaluate",
               missing.empty() ? "all bound" : "unbound: " + missing);
}

bool hasInput(const std::vector<host::PortInfo>& inputs, const std::string& name, int type) {
  for (const host::PortInfo& input : inputs) {
    if (input.name == name && input.type == type) return true;
  }
  return false;
}

void checkPorts(CheckReport& report, const host::HostNode& node) {
  const std::vector<host::PortInfo> inputs = node.inputs();
  std::string seen;
  for (const host::PortInfo& input : inputs) {
    seen += (seen.empty() ? "inputs " : ", ") + quoted(input.name) + " (" + typeName(input.type) + ")";
  }
  if (seen.empty()) seen = "no inputs";
  seen += "; " + count(node.outputs().size(), "output");
  report.check(hasInput(inputs, "Time", CT_SCALAR) && hasInput(inputs, "Item", CT_INTEGER) && !node.outputs().empty(),
               node.serverName() + ": create registers its inputs and outputs",
               "inputs \"Time\" (scalar) and \"Item\" (integer) and at least one output", seen);
}

// With no item chosen, every output delivers exactly one value, all zeros.
void checkEvaluation(CheckReport& report, host::HostNode& node) {
  node.newTime(0, 0.0);
  const std::vector<host::PortInfo> outputs = node.outputs();
  std::string faults;
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    const host::OutputValue value = node.evaluate(i);
    const bool zero = outputs[i].type == CT_VECTOR    ? value.vector == std::array<double, 3>{}
                      : outputs[i].type == CT_SCALAR  ? value.scalar == 0.0
                      : outputs[i].type == CT_INTEGER ? value.integer == 0
                                                      : false;
    std::string fault;
    if (value.deliveries != 1) {
      fault = std::to_string(value.deliveries) + " values";
    } else if (!zero) {
      fault = "a value other than zero";
    }
    if (!fault.empty()) faults += (faults.empty() ? "" : "; ") + quoted(outputs[i].name) + ": " + fault;
  }
  report.check(faults.empty(), node.serverName() + ": evaluation with no item",
               "one zero value of its type from every output",
               faults.empty() ? count(outputs.size(), "output") + ", one zero value each" : faults);
}

// Save, load into a second instance, copy, new time, identifier changes and
// destroy: each must succeed and keep the state that the first one saved.
void checkLifecycle(CheckReport& report, host::ServiceHost& host, const host::LoadedModule& module,
                    std::unique_ptr<host::HostNode> first) {
  const std::string& name = first->serverName();
  host::SavedState saved;
  const char* saveError = first->save(saved);
  std::unique_ptr<host::HostNode> second;
  try {
    second = std::make_unique<host::HostNode>(host, module, name);
  } catch (const host::NodeError& error) {
    report.check(false, name + ": a second instance", "an instance", error.what());
    return;
  }
  const char* loadError = second->load(saved);
  host::SavedState again;
  const char* saveAgainError = second->save(again);
  const std::string blocks = count(saved.blocks.size(), "block");
  report.check(!saveError && !loadError && !saveAgainError && again == saved, name + ": save, then load into another",
               "no errors and the same state saved again",
               "save " + resultText(saveError) + ", load " + resultText(loadError) + ", " +
                   (again == saved ? blocks + " saved alike both times"
                                   : "saved " + stateText(saved) + " then " + stateText(again)));

  const char* copyError = second->copyFrom(*first);
  host::SavedState copied;
  second->save(copied);
  report.check(!copyError && copied == saved, name + ": copy", "no error and the copy saving the original's state",
               "copy " + resultText(copyError) + ", " +
                   (copied == saved ? "the copy saves the same " + blocks : "the copy saves " + stateText(copied)));

  const char* timeError = first->newTime(12, 0.5);
  report.check(!timeError, name + ": new time", "null (no error)", resultText(timeError));

  first->changeIds({});
  host::SavedState afterChanges;
  first->save(afterChanges);
  report.check(afterChanges == saved, name + ": change-ID with an empty list", "the saved state unchanged",
               afterChanges == saved ? "unchanged" : stateText(afterChanges));

  second->destroy();
  first->destroy();
  report.check(true, name + ": destroy", "both instances destroyed", "both instances destroyed");
}

void checkNode(CheckReport& report, host::ServiceHost& host, const host::LoadedModule& module,
               const host::ServerInfo& server) {
  std::unique_ptr<host::HostNode> node;
  try {
    node = std::make_unique<host::HostNode>(host, module, server.name);
  } catch (const host::NodeError& error) {
    // -1: the activation succeeded but bound no create or create failed.
    const bool activated = error.result() == -1;
    report.check(activated, server.name + ": activation", "0", activated ? "0" : std::to_string(error.result()));
    if (activated) report.check(false, server.name + ": create", "an instance", error.what());
    return;
  }
  report.check(true, server.name + ": activation", "0", "0");
  checkBindings(report, *node);
  checkPorts(report, *node);
  checkEvaluation(report, *node);
  checkLifecycle(report, host, module, std::move(node));
}

// An activation whose service lookup fails returns 2 and writes nothing into
// the handler record or the tables it points to.
void checkFailedActivation(CheckReport& report, host::ServiceHost& host, const host::ServerInfo& server) {
  struct Record {
    NodeHandler handler;
    NodeInstanceFuncs instance;
    NodeItemFuncs item;
    NodeRenderFuncs render;
  } record;
  std::memset(&record, 0xA5, sizeof record);  // what no module would write
  record.handler.instance = &record.instance;
  record.handler.item = &record.item;
  record.handler.render = &record.render;
  Record before;
  std::memcpy(&before, &record, sizeof record);
  host.withhold(REQUIRED_SERVICE);
  const int result = server.activate(HOST_INTERFACE_VERSION, host::ServiceHost::lookup(), &record.handler, nullptr);
  host.restore(REQUIRED_SERVICE);
  const bool untouched = std::memcmp(&before, &record, sizeof record) == 0;
  report.check(result == AFUNC_BADGLOBAL && untouched, server.name + ": activation without " + quoted(REQUIRED_SERVICE),
               "2 and the handler record untouched",
               std::to_string(result) + (untouched ? " and the record untouched" : " and the record written"));
}

// The panel opens at the interface version that panels need and is refused,
// storing nothing, at the one before.
void checkPanel(CheckReport& report, host::ServiceHost& host, const host::LoadedModule& module,
                const host::ServerInfo& server) {
  std::unique_ptr<host::HostNode> node;
  try {
    node = std::make_unique<host::HostNode>(host, module, server.name, host::NodeOptions{.version = PANEL_VERSION});
  } catch (const host::NodeError& error) {
    report.check(false, server.name + ": panel", "an instance of its node to show", error.what());
    return;
  }
  const host::HostPanel* panel = node->openPanel();
  report.check(node->lastPanelResult() == AFUNC_OK && panel != nullptr,
               server.name + ": panel activation at version " + std::to_string(PANEL_VERSION), "0 and a panel",
               std::to_string(node->lastPanelResult()) + (panel ? " and a panel" : " and no panel"));

  NodeInterfaceRecord record{};
  record.instance = node->instance();
  const int result = server.activate(TOO_OLD_PANEL_VERSION, host::ServiceHost::lookup(), &record, nullptr);
  report.check(result == AFUNC_BADVERSION && record.panel == nullptr,
               server.name + ": panel activation at version " + std::to_string(TOO_OLD_PANEL_VERSION), "1 and no panel",
               std::to_string(result) + (record.panel ? " and a panel" : " and no panel"));
}

// Every node has its panel under its name, and every panel its node.
bool checkPaired(CheckReport& report, const host::LoadedModule& module, const host::ServerInfo& server,
                 const char* otherClass, const std::string& what) {
  const bool paired = module.find(otherClass, server.name) != nullptr;
  return report.check(paired, server.name + ": " + what, "a " + quoted(otherClass) + " server of the same name",
                      paired ? "found" : "none");
}

void checkServers(CheckReport& report, const host::LoadedModule& module) {
  std::vector<const host::ServerInfo*> handlers, interfaces;
  for (const host::ServerInfo& server : module.servers()) {
    if (server.className == NODE_HANDLER_CLASS) handlers.push_back(&server);
    if (server.className == NODE_INTERFACE_CLASS) interfaces.push_back(&server);
  }
  report.check(!handlers.empty(), "node servers", "at least one \"NodeHandler\" server",
               std::to_string(handlers.size()) + " \"NodeHandler\" and " + std::to_string(interfaces.size()) +
                   " \"NodeInterface\" servers");
  for (const host::ServerInfo* server : handlers) {
    checkTags(report, *server);
    checkPaired(report, module, *server, NODE_INTERFACE_CLASS, "its panel");
  }
  std::vector<const host::ServerInfo*> panels;
  for (const host::ServerInfo* server : interfaces) {
    if (checkPaired(report, module, *server, NODE_HANDLER_CLASS, "panel of a node")) panels.push_back(server);
  }

  host::Scene scene;
  host::ServiceHost host(scene);
  host.calls().setEnabled(false);
  for (const host::ServerInfo* server : handlers) {
    checkNode(report, host, module, *server);
    checkFailedActivation(report, host, *server);
  }
  for (const host::ServerInfo* server : panels) checkPanel(report, host, module, *server);
}

}  // namespace

void checkContract(CheckReport& report, const std::string& modulePath) {
  if (!checkDescriptor(report, modulePath)) return;
  std::unique_ptr<host::LoadedModule> module;
  try {
    module = std::make_unique<host::LoadedModule>(modulePath);
  } catch (const host::ModuleLoadError& error) {
    report.check(false, "start-up and server table", "a non-null start-up result and a table ended by a null record",
                 error.what());
    return;
  }
  report.check(true, "start-up returns non-null", "non-null",
               hex(reinterpret_cast<std::uintptr_t>(module->startupData()), 1));
  report.check(true, "server table ends with a null record", "a null record",
               "after " + count(module->servers().size(), "server"));
  checkServers(report, *module);
}

int checkModule(const std::string& modulePath, std::ostream& out) {
  CheckReport report(out);
  out << modulePath << ":" << std::endl;
  checkContract(report, modulePath);
  out << report.passed() << " passed, " << report.failed() << " failed" << std::endl;
  return report.failed();
}

}  // namespace kv::conformance
