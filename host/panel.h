// SPDX-License-Identifier: MIT
// The host side of one panel of the "LWXPanel" service: what the module
// described (controls, data descriptions, get/set functions, hints, user data,
// the viewed instance) and the actions a host performs on a panel: reading and
// writing values through get and set, asking pop-ups for their entries,
// pressing buttons and giving the panel focus.
//
// Panels are owned by the ServiceHost and stay alive (marked destroyed) after
// the module destroys them, so a handle held by a test never dangles.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "contract/host_api.h"

namespace kv::host {

struct ControlInfo {
  std::uint32_t id;
  std::string label;
  std::string controlClass;
};

struct DataInfo {
  std::uint32_t id;
  std::string name;
  std::string dataType;  // "integer" or "float" are the ones values understand
};

// A hint with no effect in this host, kept as given.
struct ControlHint {
  PanelHint tag;
  std::uint32_t id;
  PanelHint argument;  // 0 for HINT_CONTROL_LAYOUT
};

struct PopupBinding {
  PopupCountFunc count = nullptr;
  PopupNameFunc name = nullptr;
};

using PanelValue = std::variant<std::int32_t, double>;

class HostPanel {
 public:
  HostPanel(int type, const PanelControl* controls);

  // What the module described.
  int type() const { return type_; }
  const std::vector<ControlInfo>& controls() const { return controls_; }
  const std::vector<DataInfo>& dataDescription() const { return data_; }
  const DataInfo* dataInfo(std::uint32_t id) const;  // null when not described
  PanelGetFunc getFunction() const { return get_; }
  PanelSetFunc setFunction() const { return set_; }
  PanelNotifyFunc notifyFunction() const { return notify_; }
  const PopupBinding* popup(std::uint32_t id) const;                   // null when unbound
  const std::vector<std::string>* stringList(std::uint32_t id) const;  // null when unbound
  ButtonFunc button(std::uint32_t id) const;                           // null when unbound
  const std::vector<ControlHint>& controlHints() const { return controlHints_; }
  // Tags that the parser did not know; parsing stopped at the first one.
  const std::vector<PanelHint>& unknownHints() const { return unknownHints_; }
  Instance instance() const { return instance_; }
  // What the module holds for this panel.
  PanelHandle handle() { return reinterpret_cast<PanelHandle>(this); }
  bool destroyed() const { return destroyed_; }
  int refreshCount() const { return refreshes_; }

  // The pointer stored for `id` by setData; for an ID never set, 0 gives the
  // viewed instance and any other ID null.
  void* data(std::uint32_t id) const;

  // Host actions, through the functions the module bound.
  // The value of `id` read through get, typed by its data description;
  // nullopt when get returns null. Throws std::logic_error for an ID without an
  // "integer" or "float" description or when no get function was described.
  std::optional<PanelValue> value(std::uint32_t id) const;
  std::optional<std::int32_t> intValue(std::uint32_t id) const;  // value() holding an integer
  std::optional<double> floatValue(std::uint32_t id) const;      // value() holding a double
  void* rawGet(std::uint32_t id) const;                          // the get function's result, unchecked
  // Writes through set (converted to the described type; an undescribed ID gets
  // the value as given) and, when set accepts it (non-zero), notifies event 2
  // for `id` as a host does after a change. Returns set's result.
  int set(std::uint32_t id, std::int32_t value);
  int set(std::uint32_t id, double value);
  int notify(std::uint32_t controlId, std::uint32_t valueId, int event);  // 0 when unbound
  int focus();                                                            // notify event 4
  // Pop-ups: the bound functions called with the user data stored for `id`.
  // Throw std::logic_error when `id` has no pop-up binding or a name is null.
  int popupCount(std::uint32_t id) const;
  std::string popupName(std::uint32_t id, int index) const;
  std::vector<std::string> popupEntries(std::uint32_t id) const;  // all of them, "(none)" included
  // Calls the bound button function with (panel, id); throws std::logic_error when unbound.
  void press(std::uint32_t id);

  // Called by the panel service table.
  void describe(const PanelDataDesc* data, PanelGetFunc get, PanelSetFunc set);
  void hint(const PanelHint* hints);
  void setData(std::uint32_t id, void* data) { userData_[id] = data; }
  void viewInstance(Instance instance) { instance_ = instance; }
  void refresh() { ++refreshes_; }
  void destroy() { destroyed_ = true; }

 private:
  int writeValue(std::uint32_t id, void* value);

  int type_;
  std::vector<ControlInfo> controls_;
  std::vector<DataInfo> data_;
  PanelGetFunc get_ = nullptr;
  PanelSetFunc set_ = nullptr;
  PanelNotifyFunc notify_ = nullptr;
  std::map<std::uint32_t, PopupBinding> popups_;
  std::map<std::uint32_t, std::vector<std::string>> stringLists_;
  std::map<std::uint32_t, ButtonFunc> buttons_;
  std::vector<ControlHint> controlHints_;
  std::vector<PanelHint> unknownHints_;
  std::map<std::uint32_t, void*> userData_;
  Instance instance_ = nullptr;
  int refreshes_ = 0;
  bool destroyed_ = false;
};

// The "LWXPanel" service table; panels it creates belong to the current ServiceHost.
const PanelFuncs& panelFuncsTable();

}  // namespace kv::host
