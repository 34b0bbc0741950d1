// SPDX-License-Identifier: MIT
#include "scenehost/popup_entry.h"

#include <charconv>

namespace kv::scenehost {
namespace {

constexpr char ICON_PREFIX = '\x03';

std::string iconName(std::uint32_t icon) {
  switch (icon) {
    case 0xA0:
      return "object";
    case 0xA1:
      return "bone";
    case 0xA2:
      return "light";
    case 0xA3:
      return "camera";
    default:
      return "icon " + std::to_string(icon);
  }
}

// Reads an unsigned number from the front of `text` and drops it; false when there is none.
bool takeNumber(std::string_view& text, std::uint32_t& out) {
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
  if (error != std::errc() || end == text.data()) return false;
  text.remove_prefix(static_cast<std::size_t>(end - text.data()));
  return true;
}

bool takeText(std::string_view& text, std::string_view expected) {
  if (!text.starts_with(expected)) return false;
  text.remove_prefix(expected.size());
  return true;
}

}  // namespace

PopupEntry decodePopupEntry(std::string_view text) {
  PopupEntry entry;
  std::string_view rest = text;
  if (takeText(rest, std::string_view(&ICON_PREFIX, 1)) && takeText(rest, "(i:") && takeNumber(rest, entry.icon) &&
      takeText(rest, ",") && takeNumber(rest, entry.colour) && takeText(rest, ")")) {
    takeText(rest, " ");
    entry.decorated = true;
    entry.name = rest;
    return entry;
  }
  return PopupEntry{false, 0, 0, std::string(text)};
}

std::string describePopupEntry(const PopupEntry& entry) {
  if (!entry.decorated) return entry.name;
  std::string text = "[";
  text += iconName(entry.icon);
  text += ", colour " + std::to_string(entry.colour) + "] ";
  return text += entry.name;
}

}  // namespace kv::scenehost
