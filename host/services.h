// SPDX-License-Identifier: MIT
// The substitute host's services over a Scene: the global-lookup function and
// every service table the module uses, each call recorded in a CallRecord.
//
// Served names: "LW Item Info 4", "LW Bone Info 3", "NodeFuncs",
// "NodeInputFuncs" (also " 2", " 3", " 4"), "NodeOutputFuncs" (also " 2", " 3"),
// "Instance Update", "LWXPanel", "LW Interface Info 5", "LW Command Interface",
// and the values "Product Info" and "System ID", returned as the pointer's bits.
// Any of them can be withheld; lookup then returns null. Other names give null.
//
// C function pointers carry no state, so the tables reach their host through
// one process-wide "current" ServiceHost: only one may exist at a time (a
// second constructor throws). The tables themselves are static, so a module
// that keeps them past the host's end gets zero answers rather than a crash.
//
// Threads: construct, configure and edit the scene on one thread. While the
// module evaluates, the item-info, bone-info, input-evaluate and setValue
// operations may be called from many threads at once: they only read the scene
// and the host, and only the call record takes a lock.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "contract/host_api.h"
#include "host/call_record.h"
#include "host/panel.h"
#include "host/scene.h"

namespace kv::host {

// Build 2723 in bits 4..15: the newest service names. Both defaults are
// non-zero so that a served value never looks like a withheld (null) one.
inline constexpr std::uint32_t DEFAULT_PRODUCT_INFO = 2723u << 4;
inline constexpr std::uint32_t DEFAULT_SYSTEM_ID = 0x00000001;

// The operation under which the command service's calls are recorded ("command <text>").
inline constexpr std::string_view COMMAND_CALL = "command";

class ServiceHost {
 public:
  explicit ServiceHost(Scene& scene);  // becomes the current host; throws std::logic_error if one exists
  ~ServiceHost();
  ServiceHost(const ServiceHost&) = delete;
  ServiceHost& operator=(const ServiceHost&) = delete;

  static ServiceHost* current();  // null when none exists

  // The host's global-lookup function (records "lookup <name>").
  static GlobalLookup lookup();

  Scene& scene() { return scene_; }
  const Scene& scene() const { return scene_; }
  CallRecord& calls() { return calls_; }

  // Withholding services by their exact lookup name.
  void withhold(std::string name);
  void restore(const std::string& name);
  void restoreAll();
  bool withheld(std::string_view name) const;

  void setProductInfo(std::uint32_t value) { productInfo_ = value; }
  void setBuild(unsigned build);  // product info with `build` in bits 4..15
  std::uint32_t productInfo() const { return productInfo_; }
  void setSystemId(std::uint32_t value) { systemId_ = value; }
  std::uint32_t systemId() const { return systemId_; }

  // The interface-info record, its selection list synchronised with the scene.
  const InterfaceInfo& interfaceInfo();

  // Panels the module created, in creation order (destroyed ones included).
  const std::vector<std::unique_ptr<HostPanel>>& panels() const { return panels_; }
  // The panel behind a handle the module holds, or null when it is not one of ours.
  HostPanel* panel(PanelHandle handle) const;
  HostPanel* createPanel(int type, const PanelControl* controls);

  // Runs a command as the command service does: records it; "SelectItem XXXXXXXX"
  // with an item of the scene makes that item the selection and returns 1;
  // anything else returns 0.
  int runCommand(const char* command);

 private:
  Scene& scene_;
  CallRecord calls_;
  std::set<std::string, std::less<>> withheld_;
  std::uint32_t productInfo_ = DEFAULT_PRODUCT_INFO;
  std::uint32_t systemId_ = DEFAULT_SYSTEM_ID;
  InterfaceInfo interfaceInfo_{};
  std::vector<std::unique_ptr<HostPanel>> panels_;
};

// The service tables, for tests that call them directly.
const ItemInfoService& itemInfoTable();
const BoneInfoService& boneInfoTable();

}  // namespace kv::host
