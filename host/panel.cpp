// SPDX-License-Identifier: MIT
#include "host/panel.h"

#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "host/number_conversion.h"
#include "host/services.h"

namespace kv::host {
namespace {

std::string shortHex(std::uint32_t id) {
  char text[9];
  std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(id));
  return text;
}

std::string idText(std::uint32_t id) { return "0x" + shortHex(id); }

template <typename Function>
Function functionFrom(PanelHint word) {
  return reinterpret_cast<Function>(word);
}

// The panel service calls: each finds the panel among the current host's, so a
// handle that is not a panel of this host is ignored.
template <typename... Arguments>
HostPanel* recordedPanel(PanelHandle handle, std::string_view operation, Arguments&&... arguments) {
  ServiceHost* host = ServiceHost::current();
  if (!host) return nullptr;
  host->calls().record(operation, std::forward<Arguments>(arguments)...);
  return host->panel(handle);
}

PanelHandle panelCreate(int panelType, const PanelControl* controls) noexcept {
  ServiceHost* host = ServiceHost::current();
  if (!host) return nullptr;
  host->calls().record("panel.create", [&] { return std::to_string(panelType); });
  return host->createPanel(panelType, controls)->handle();
}

void panelDestroy(PanelHandle handle) noexcept {
  if (HostPanel* panel = recordedPanel(handle, "panel.destroy")) panel->destroy();
}

void panelDescribe(PanelHandle handle, const PanelDataDesc* data, PanelGetFunc get, PanelSetFunc set) noexcept {
  if (HostPanel* panel = recordedPanel(handle, "panel.describe")) {
    panel->describe(data, get, set);
  }
}

void panelHint(PanelHandle handle, std::uint32_t id, const PanelHint* hints) noexcept {
  if (HostPanel* panel = recordedPanel(handle, "panel.hint", [&] { return shortHex(id); })) panel->hint(hints);
}

void* panelGetData(PanelHandle handle, std::uint32_t id) noexcept {
  HostPanel* panel = recordedPanel(handle, "panel.getData", [&] { return shortHex(id); });
  return panel ? panel->data(id) : nullptr;
}

void panelSetData(PanelHandle handle, std::uint32_t id, void* data) noexcept {
  if (HostPanel* panel = recordedPanel(handle, "panel.setData", [&] { return shortHex(id); })) {
    panel->setData(id, data);
  }
}

void panelViewInstance(PanelHandle handle, Instance instance) noexcept {
  if (HostPanel* panel = recordedPanel(handle, "panel.viewInstance")) {
    panel->viewInstance(instance);
  }
}

int panelRefresh(PanelHandle handle) noexcept {
  HostPanel* panel = recordedPanel(handle, "panel.refresh");
  if (!panel) return 0;
  panel->refresh();
  return 1;
}

}  // namespace

HostPanel::HostPanel(int type, const PanelControl* controls) : type_(type) {
  for (const PanelControl* control = controls; control && control->id != 0; ++control) {
    controls_.push_back(
        {control->id, control->label ? control->label : "", control->controlClass ? control->controlClass : ""});
  }
}

void HostPanel::describe(const PanelDataDesc* data, PanelGetFunc get, PanelSetFunc set) {
  data_.clear();
  for (const PanelDataDesc* entry = data; entry && entry->id != 0; ++entry) {
    data_.push_back({entry->id, entry->name ? entry->name : "", entry->dataType ? entry->dataType : ""});
  }
  get_ = get;
  set_ = set;
}

void HostPanel::hint(const PanelHint* hints) {
  if (!hints) return;
  const PanelHint* word = hints;
  const auto id = [](PanelHint w) { return static_cast<std::uint32_t>(w); };
  while (*word != HINT_END) {
    const PanelHint tag = *word++;
    switch (tag) {
      case HINT_CHANGE_NOTIFY:
        notify_ = functionFrom<PanelNotifyFunc>(word[0]);
        word += 1;
        break;
      case HINT_POPUP_FUNCS:
        popups_[id(word[0])] = {functionFrom<PopupCountFunc>(word[1]), functionFrom<PopupNameFunc>(word[2])};
        word += 3;
        break;
      case HINT_STRING_LIST: {
        std::vector<std::string> labels;
        for (const auto* list = reinterpret_cast<const char* const*>(word[1]); list && *list; ++list)
          labels.emplace_back(*list);
        stringLists_[id(word[0])] = std::move(labels);
        word += 3;  // id, list, and the closing 0
        break;
      }
      case HINT_BUTTON_CLICK:
        buttons_[id(word[0])] = functionFrom<ButtonFunc>(word[1]);
        word += 2;
        break;
      case HINT_BUTTON_LAYOUT:
        controlHints_.push_back({tag, id(word[0]), word[1]});
        word += 2;
        break;
      case HINT_CONTROL_LAYOUT:
        controlHints_.push_back({tag, id(word[0]), 0});
        word += 1;
        break;
      default:
        // Without knowing its arguments nothing after an unknown tag can be read.
        unknownHints_.push_back(tag);
        return;
    }
  }
}

const DataInfo* HostPanel::dataInfo(std::uint32_t id) const {
  for (const DataInfo& info : data_) {
    if (info.id == id) return &info;
  }
  return nullptr;
}

const PopupBinding* HostPanel::popup(std::uint32_t id) const {
  auto found = popups_.find(id);
  return found == popups_.end() ? nullptr : &found->second;
}

const std::vector<std::string>* HostPanel::stringList(std::uint32_t id) const {
  auto found = stringLists_.find(id);
  return found == stringLists_.end() ? nullptr : &found->second;
}

ButtonFunc HostPanel::button(std::uint32_t id) const {
  auto found = buttons_.find(id);
  return found == buttons_.end() ? nullptr : found->second;
}

void* HostPanel::data(std::uint32_t id) const {
  auto found = userData_.find(id);
  if (found != userData_.end()) return found->second;
  return id == 0 ? instance_ : nullptr;
}

void* HostPanel::rawGet(std::uint32_t id) const {
  if (!get_) throw std::logic_error("panel: no get function described");
  return get_(instance_, id);
}

std::optional<PanelValue> HostPanel::value(std::uint32_t id) const {
  const DataInfo* info = dataInfo(id);
  if (!info) throw std::logic_error("panel: value " + idText(id) + " has no data description");
  const bool integer = info->dataType == DATA_INTEGER;
  if (!integer && info->dataType != DATA_FLOAT) {
    throw std::logic_error("panel: value " + idText(id) + " has data type \"" + info->dataType + "\"");
  }
  const void* raw = rawGet(id);
  if (!raw) return std::nullopt;
  if (integer) return PanelValue{*static_cast<const std::int32_t*>(raw)};
  return PanelValue{*static_cast<const double*>(raw)};
}

std::optional<std::int32_t> HostPanel::intValue(std::uint32_t id) const {
  const std::optional<PanelValue> held = value(id);
  if (!held) return std::nullopt;
  if (!std::holds_alternative<std::int32_t>(*held))
    throw std::logic_error("panel: value " + idText(id) + " is a float");
  return std::get<std::int32_t>(*held);
}

std::optional<double> HostPanel::floatValue(std::uint32_t id) const {
  const std::optional<PanelValue> held = value(id);
  if (!held) return std::nullopt;
  if (!std::holds_alternative<double>(*held)) throw std::logic_error("panel: value " + idText(id) + " is an integer");
  return std::get<double>(*held);
}

int HostPanel::writeValue(std::uint32_t id, void* value) {
  if (!set_) throw std::logic_error("panel: no set function described");
  const int result = set_(instance_, id, value);
  if (result != 0) notify(id, id, EVENT_VALUE_CHANGED);
  return result;
}

int HostPanel::set(std::uint32_t id, std::int32_t value) {
  const DataInfo* info = dataInfo(id);
  if (info && info->dataType == DATA_FLOAT) {
    double converted = value;
    return writeValue(id, &converted);
  }
  return writeValue(id, &value);
}

int HostPanel::set(std::uint32_t id, double value) {
  const DataInfo* info = dataInfo(id);
  if (info && info->dataType == DATA_INTEGER) {
    auto converted = truncatedOrZero<std::int32_t>(value);
    return writeValue(id, &converted);
  }
  return writeValue(id, &value);
}

int HostPanel::notify(std::uint32_t controlId, std::uint32_t valueId, int event) {
  return notify_ ? notify_(handle(), controlId, valueId, event) : 0;
}

int HostPanel::focus() { return notify(0, 0, EVENT_FOCUS_GAINED); }

int HostPanel::popupCount(std::uint32_t id) const {
  const PopupBinding* binding = popup(id);
  if (!binding || !binding->count) throw std::logic_error("panel: no pop-up functions for " + idText(id));
  return binding->count(data(id));
}

std::string HostPanel::popupName(std::uint32_t id, int index) const {
  const PopupBinding* binding = popup(id);
  if (!binding || !binding->name) throw std::logic_error("panel: no pop-up functions for " + idText(id));
  const char* name = binding->name(data(id), index);
  if (!name) throw std::logic_error("panel: pop-up " + idText(id) + " gave no name for entry " + std::to_string(index));
  return name;
}

std::vector<std::string> HostPanel::popupEntries(std::uint32_t id) const {
  std::vector<std::string> entries;
  const int count = popupCount(id);
  entries.reserve(static_cast<std::size_t>(count > 0 ? count : 0));
  for (int i = 0; i < count; ++i) entries.push_back(popupName(id, i));
  return entries;
}

void HostPanel::press(std::uint32_t id) {
  ButtonFunc function = button(id);
  if (!function) throw std::logic_error("panel: no button function for " + idText(id));
  function(handle(), static_cast<int>(id));
}

const PanelFuncs& panelFuncsTable() {
  static const PanelFuncs table = [] {
    PanelFuncs t{};
    t.create = panelCreate;
    t.destroy = panelDestroy;
    t.describe = panelDescribe;
    t.hint = panelHint;
    t.getData = panelGetData;
    t.setData = panelSetData;
    t.viewInstance = panelViewInstance;
    t.refresh = panelRefresh;
    return t;
  }();
  return table;
}

}  // namespace kv::host
