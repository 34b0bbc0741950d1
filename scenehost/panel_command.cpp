// SPDX-License-Identifier: MIT
#include <charconv>
#include <cmath>
#include <ostream>
#include <variant>

#include "host/call_record.h"
#include "host/module_loader.h"
#include "host/panel.h"
#include "scenehost/commands.h"
#include "scenehost/errors.h"
#include "scenehost/module_path.h"
#include "scenehost/near_miss.h"
#include "scenehost/placed_scene.h"
#include "scenehost/popup_entry.h"
#include "scenehost/state_json.h"
#include "scenehost/state_splice.h"
#include "scenehost/text_table.h"

namespace kv::scenehost {
namespace {

std::string quotedList(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "" : ", ") + inQuotes(name);
  return list;
}

std::optional<std::int32_t> parseInteger(const std::string& text) {
  std::int32_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

std::optional<double> parseDouble(const std::string& text) {
  double value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

// Drives one open panel as a user would, and describes it.
class PanelSession {
 public:
  PanelSession(const std::string& nodeName, host::HostPanel& panel, host::ServiceHost& host)
      : nodeName_(nodeName), panel_(panel), host_(host) {}

  const host::ControlInfo& control(const std::string& label) const {
    std::vector<std::string> labels;
    for (const host::ControlInfo& control : panel_.controls()) {
      if (control.label == label) return control;
      labels.push_back(control.label);
    }
    throw SceneError("the panel of " + inQuotes(nodeName_) + " has no control " + inQuotes(label) +
                     didYouMean(label, labels) + " (it has " + quotedList(labels) + ")");
  }

  std::string set(const std::string& label, const std::string& text) {
    const host::ControlInfo& control = this->control(label);
    const host::DataInfo* data = panel_.dataInfo(control.id);
    if (data == nullptr) throw SceneError(inQuotes(label) + " holds no value (a button? use --press)");
    std::string shown = text;
    const std::vector<ShownValue> before = shownValues();
    int accepted = 0;
    if (data->dataType == "float") {
      const std::optional<double> value = parseDouble(text);
      if (!value) throw SceneError(inQuotes(label) + " takes a finite number, not " + inQuotes(text));
      accepted = panel_.set(control.id, *value);
    } else {
      const std::int32_t value = choice(control, text);
      shown = std::to_string(value) + " " + shownChoice(control, value);
      accepted = panel_.set(control.id, value);
    }
    std::string line = "set " + inQuotes(label) + " to " + shown + (accepted != 0 ? "" : ": the panel refused it");
    // What else the value changed (another object clears the bone).
    const std::string others = changes(before, label);
    return others.empty() ? line : line + "; " + others;
  }

  std::string press(const std::string& label) {
    const host::ControlInfo& control = this->control(label);
    if (panel_.button(control.id) == nullptr) throw SceneError(inQuotes(label) + " is not a button (use --set)");
    const std::vector<ShownValue> values = shownValues();
    const std::size_t before = host_.calls().count("command ");
    panel_.press(control.id);
    const std::vector<std::string> commands = host_.calls().matching("command ");
    const std::string changed = changes(values);
    std::string line = "press " + inQuotes(label) + ": " + (changed.empty() ? "no value changed" : changed) + ";";
    if (commands.size() == before) return line + " no command";
    for (std::size_t i = before; i < commands.size(); ++i) line += " command " + inQuotes(commands[i].substr(8));
    return line;
  }

  std::string describe() const {
    TextTable table({"control", "class", "value", "shows"});
    std::string lists;
    for (const host::ControlInfo& control : panel_.controls()) {
      std::vector<std::string> row{control.label, control.controlClass};
      if (panel_.dataInfo(control.id) != nullptr) {
        const std::vector<std::string> cells = valueCells(control);
        row.insert(row.end(), cells.begin(), cells.end());
      }
      table.addRow(std::move(row));
      if (panel_.popup(control.id) != nullptr) {
        lists += "\n" + control.label + " entries:\n";
        const std::vector<std::string> entries = panel_.popupEntries(control.id);
        for (std::size_t i = 0; i < entries.size(); ++i) {
          lists += "  " + std::to_string(i) + "  " + describePopupEntry(decodePopupEntry(entries[i])) + "\n";
        }
      }
    }
    return table.render() + lists;
  }

 private:
  struct ShownValue {
    std::string label;
    std::string text;
  };

  // A valued control's value as the panel shows it: a number; an entry's
  // number and what it shows; or "(unavailable)".
  std::vector<std::string> valueCells(const host::ControlInfo& control) const {
    const std::optional<host::PanelValue> value = panel_.value(control.id);
    if (!value) return {"(unavailable)"};
    if (const auto* number = std::get_if<double>(&*value)) return {host::formatDouble(*number)};
    const std::int32_t index = std::get<std::int32_t>(*value);
    return {std::to_string(index), shownChoice(control, index)};
  }

  std::vector<ShownValue> shownValues() const {
    std::vector<ShownValue> values;
    for (const host::ControlInfo& control : panel_.controls()) {
      if (panel_.dataInfo(control.id) == nullptr) continue;
      std::string text;
      for (const std::string& cell : valueCells(control)) text += (text.empty() ? "" : " ") + cell;
      values.push_back({control.label, std::move(text)});
    }
    return values;
  }

  // "Item 1 [object, colour 152] Arm -> 0 (none)" for every valued control
  // (but `skipped`) that shows other than it did in `before`.
  std::string changes(const std::vector<ShownValue>& before, const std::string& skipped = "") const {
    std::string text;
    const std::vector<ShownValue> after = shownValues();
    for (std::size_t i = 0; i < after.size() && i < before.size(); ++i) {
      if (after[i].label == skipped || after[i].text == before[i].text) continue;
      text += (text.empty() ? "" : ", ") + after[i].label + " " + before[i].text + " -> " + after[i].text;
    }
    return text;
  }

  // The entries a choice offers: pop-up entries, or the string list of a choice.
  std::vector<std::string> choices(const host::ControlInfo& control) const {
    std::vector<std::string> names;
    if (panel_.popup(control.id) != nullptr) {
      for (const std::string& entry : panel_.popupEntries(control.id)) names.push_back(decodePopupEntry(entry).name);
    } else if (const auto* list = panel_.stringList(control.id)) {
      names = *list;
    }
    return names;
  }

  std::string shownChoice(const host::ControlInfo& control, std::int32_t index) const {
    if (panel_.popup(control.id) != nullptr) {
      if (index < 0 || index >= panel_.popupCount(control.id)) return "(no such entry)";
      return describePopupEntry(decodePopupEntry(panel_.popupName(control.id, index)));
    }
    const std::vector<std::string> names = choices(control);
    return index >= 0 && static_cast<std::size_t>(index) < names.size() ? names[index] : "";
  }

  // An entry by its name (as listed) or by its number.
  std::int32_t choice(const host::ControlInfo& control, const std::string& text) const {
    const std::vector<std::string> names = choices(control);
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (names[i] == text) return static_cast<std::int32_t>(i);
    }
    if (const std::optional<std::int32_t> number = parseInteger(text)) return *number;
    throw SceneError(inQuotes(control.label) + " offers no " + inQuotes(text) + didYouMean(text, names) +
                     (names.empty() ? "" : " (it offers " + quotedList(names) + ")"));
  }

  std::string nodeName_;
  host::HostPanel& panel_;
  host::ServiceHost& host_;
};

std::string describeState(const host::SavedState& state, const SceneFile& file) {
  std::string text;
  for (const host::StoredBlock& block : state.blocks) {
    text += (text.empty() ? "" : "; ") + block.token;
    for (const host::StoredValue& value : block.values) {
      text += ' ';
      if (const auto* id = std::get_if<std::uint32_t>(&value)) {
        text += host::hexId(*id) + " (" + file.itemLabel(*id) + ")";
      } else if (const auto* number = std::get_if<double>(&value)) {
        text += host::formatDouble(*number);
      } else {
        text += std::to_string(std::get<std::int32_t>(value));
      }
    }
  }
  return text;
}

}  // namespace

void panelCommand(const PanelOptions& options, std::ostream& out, std::ostream& err) {
  if (options.save && options.scene == STANDARD_STREAM) {
    throw UsageError("--save writes the scene file: give one, not \"-\"");
  }
  SceneFile file = loadSceneFile(options.scene);
  const NodeEntry* entry = file.findNode(options.node);
  if (entry == nullptr) {
    std::vector<std::string> names;
    for (const NodeEntry& node : file.nodes) names.push_back(node.name);
    if (names.empty()) throw SceneError(file.path + ": no node " + inQuotes(options.node) + ": the scene has no nodes");
    const std::string known = " (nodes: " + quotedList(names) + ")";
    if (parseInteger(options.node)) {
      throw SceneError(file.path + ": node " + options.node + " is out of range: positions run from 0 to " +
                       std::to_string(static_cast<int>(names.size()) - 1) + known);
    }
    throw SceneError(file.path + ": no node named " + inQuotes(options.node) + didYouMean(options.node, names) + known);
  }
  const host::LoadedModule module(chooseModulePath(options.module, &file));
  PlacedScene placed(file, module, err, entry);
  placed.host().calls().keepOnly(host::COMMAND_CALL);  // the commands the presses issue
  PlacedNode& node = placed.nodes().front();
  host::HostPanel* panel = node.node->openPanel();
  if (panel == nullptr) {
    throw SceneError(file.path + ": " + entry->where + ": the module opened no panel for " + inQuotes(entry->name) +
                     " (activation result " + std::to_string(node.node->lastPanelResult()) + ")");
  }
  PanelSession session(entry->name, *panel, placed.host());
  out << "panel of " << inQuotes(entry->name) << " (" << node.userName << ", " << node.server->name << ")\n";
  for (const PanelAction& action : options.actions) {
    out << (action.kind == PanelAction::Kind::Set ? session.set(action.label, action.value)
                                                  : session.press(action.label))
        << "\n";
  }
  out << "\n" << session.describe();
  host::SavedState state;
  node.node->save(state);
  std::string selection;
  for (ItemId id : placed.host().scene().selection()) selection += (selection.empty() ? "" : ", ") + file.itemLabel(id);
  out << "\nnode state: " << describeState(state, file) << "\n";
  out << "selection: " << (selection.empty() ? "(nothing)" : selection) << "\n";
  if (options.save) {
    writeSceneStates(file, {{entry->index, stateToJson(state)}}, options.scene, out);
    out << "saved the state of " << inQuotes(entry->name) << " to " << options.scene << "\n";
  }
}

}  // namespace kv::scenehost
