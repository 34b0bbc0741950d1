// SPDX-License-Identifier: MIT
#include "host/services.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "host/node_ports.h"

namespace kv::host {
namespace {

std::atomic<ServiceHost*> currentHost{nullptr};

// Item info: read-only scene queries, safe from many threads at once.
ItemId itemFirst(int itemType, ItemId owner) noexcept {
  ServiceHost* host = ServiceHost::current();
  if (!host) return 0;
  host->calls().record("itemInfo.first", [&] { return std::to_string(itemType) + " " + hexId(owner); });
  return host->scene().first(itemType, owner);
}

ItemId itemNext(ItemId item) noexcept {
  ServiceHost* host = ServiceHost::current();
  if (!host) return 0;
  host->calls().record("itemInfo.next", [&] { return hexId(item); });
  return host->scene().next(item);
}

ItemId itemParent(ItemId item) noexcept {
  ServiceHost* host = ServiceHost::current();
  if (!host) return 0;
  host->calls().record("itemInfo.parent", [&] { return hexId(item); });
  return host->scene().parent(item);
}

const char* itemName(ItemId item) noexcept {
  ServiceHost* host = ServiceHost::current();
  if (!host) return nullptr;
  host->calls().record("itemInfo.name", [&] { return hexId(item); });
  return host->scene().name(item);
}

void itemParam(ItemId item, int code, double time, double* out) noexcept {
  ServiceHost* host = ServiceHost::current();
  const Triple value = host ? host->scene().param(item, code, time) : Triple{};
  if (host) {
    host->calls().record("itemInfo.param",
                         [&] { return hexId(item) + " " + std::to_string(code) + " " + formatDouble(time); });
  }
  for (int i = 0; i < 3; ++i) out[i] = value[static_cast<std::size_t>(i)];
}

void boneRestParam(ItemId bone, int code, double* out) noexcept {
  ServiceHost* host = ServiceHost::current();
  const Triple value = host ? host->scene().rest(bone, code) : Triple{};
  if (host) host->calls().record("boneInfo.restParam", [&] { return hexId(bone) + " " + std::to_string(code); });
  for (int i = 0; i < 3; ++i) out[i] = value[static_cast<std::size_t>(i)];
}

std::uint32_t interfaceItemColor(ItemId item) noexcept {
  ServiceHost* host = ServiceHost::current();
  if (!host) return 0;
  host->calls().record("interfaceInfo.itemColor", [&] { return hexId(item); });
  return host->scene().color(item);
}

int instanceUpdate(const char* className, Instance) noexcept {
  ServiceHost* host = ServiceHost::current();
  if (!host) return 0;
  host->calls().record("instanceUpdate", [&] { return std::string(className ? className : "(null)"); });
  return 1;
}

int commandInterface(const char* command) noexcept {
  ServiceHost* host = ServiceHost::current();
  return host ? host->runCommand(command) : 0;
}

void* valueBits(std::uint32_t value) { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(value)); }

template <std::size_t N>
bool anyBuildName(const BuildName (&names)[N], std::string_view name) {
  for (const BuildName& entry : names) {
    if (name == entry.name) return true;
  }
  return false;
}

void* serve(ServiceHost& host, std::string_view name) {
  // The tables are never written through these pointers; the lookup's type is void*.
  if (name == ITEM_INFO_SERVICE) return const_cast<ItemInfoService*>(&itemInfoTable());
  if (name == BONE_INFO_SERVICE) return const_cast<BoneInfoService*>(&boneInfoTable());
  if (name == NODE_FUNCS_SERVICE) return const_cast<NodeFuncs*>(&nodeFuncsTable());
  if (anyBuildName(INPUT_FUNCS_NAMES, name)) {
    return const_cast<NodeInputFuncs*>(&nodeInputFuncsTable());
  }
  if (anyBuildName(OUTPUT_FUNCS_NAMES, name)) {
    return const_cast<NodeOutputFuncs*>(&nodeOutputFuncsTable());
  }
  if (name == INSTANCE_UPDATE_SERVICE) return reinterpret_cast<void*>(&instanceUpdate);
  if (name == COMMAND_SERVICE) return reinterpret_cast<void*>(&commandInterface);
  if (name == PANEL_SERVICE) return const_cast<PanelFuncs*>(&panelFuncsTable());
  if (name == INTERFACE_INFO_SERVICE) return const_cast<InterfaceInfo*>(&host.interfaceInfo());
  if (name == PRODUCT_INFO_SERVICE) return valueBits(host.productInfo());
  if (name == SYSTEM_ID_SERVICE) return valueBits(host.systemId());
  return nullptr;
}

void* globalLookup(const char* name, int) noexcept {
  ServiceHost* host = ServiceHost::current();
  if (!host || !name) return nullptr;
  host->calls().record("lookup", [&] { return std::string(name); });
  if (host->withheld(name)) return nullptr;
  return serve(*host, name);
}

bool parseHexId(const char* text, ItemId& id) {
  if (std::strlen(text) != 8) return false;
  id = 0;
  for (int i = 0; i < 8; ++i) {
    const char c = text[i];
    int digit = 0;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else {
      return false;
    }
    id = (id << 4) | static_cast<ItemId>(digit);
  }
  return true;
}

}  // namespace

const ItemInfoService& itemInfoTable() {
  static const ItemInfoService table = [] {
    ItemInfoService t{};
    t.first = itemFirst;
    t.next = itemNext;
    t.parent = itemParent;
    t.name = itemName;
    t.param = itemParam;
    return t;
  }();
  return table;
}

const BoneInfoService& boneInfoTable() {
  static const BoneInfoService table = [] {
    BoneInfoService t{};
    t.restParam = boneRestParam;
    return t;
  }();
  return table;
}

ServiceHost::ServiceHost(Scene& scene) : scene_(scene) {
  interfaceInfo_.itemColor = interfaceItemColor;
  ServiceHost* none = nullptr;
  if (!currentHost.compare_exchange_strong(none, this)) {
    throw std::logic_error("ServiceHost: another host is active; only one may exist at a time");
  }
}

ServiceHost::~ServiceHost() { currentHost.store(nullptr); }

ServiceHost* ServiceHost::current() { return currentHost.load(std::memory_order_acquire); }

GlobalLookup ServiceHost::lookup() { return globalLookup; }

void ServiceHost::withhold(std::string name) { withheld_.insert(std::move(name)); }

void ServiceHost::restore(const std::string& name) { withheld_.erase(name); }

void ServiceHost::restoreAll() { withheld_.clear(); }

bool ServiceHost::withheld(std::string_view name) const { return withheld_.find(name) != withheld_.end(); }

void ServiceHost::setBuild(unsigned build) {
  productInfo_ =
      (productInfo_ & ~PRODUCT_INFO_BUILD_MASK) | ((build << PRODUCT_INFO_BUILD_SHIFT) & PRODUCT_INFO_BUILD_MASK);
}

const InterfaceInfo& ServiceHost::interfaceInfo() {
  interfaceInfo_.selectedItems = scene_.selectedItems();
  return interfaceInfo_;
}

HostPanel* ServiceHost::panel(PanelHandle handle) const {
  for (const auto& panel : panels_) {
    if (panel->handle() == handle) return panel.get();
  }
  return nullptr;
}

HostPanel* ServiceHost::createPanel(int type, const PanelControl* controls) {
  panels_.push_back(std::make_unique<HostPanel>(type, controls));
  return panels_.back().get();
}

int ServiceHost::runCommand(const char* command) {
  if (!command) return 0;
  calls_.record(COMMAND_CALL, [&] { return std::string(command); });
  constexpr std::size_t verbLength = sizeof SELECT_ITEM_COMMAND - 1;
  ItemId id = 0;
  if (std::strncmp(command, SELECT_ITEM_COMMAND, verbLength) != 0 || !parseHexId(command + verbLength, id) ||
      !scene_.contains(id)) {
    return 0;
  }
  scene_.select({id});
  return 1;
}

}  // namespace kv::host
