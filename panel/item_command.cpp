// SPDX-License-Identifier: MIT
#include "panel/item_command.h"

#include <algorithm>
#include <string_view>

#include "panel/panel_access.h"

namespace kv {

void formatIdHex(ItemId id, std::span<char, 9> out) noexcept {
  constexpr std::string_view digits = "0123456789ABCDEF";
  for (int i = 0; i < 8; ++i) out[i] = digits[(id >> (28 - 4 * i)) & 0xF];
  out[8] = '\0';
}

void selectItemCommand(GlobalLookup lookup, ItemId id) noexcept {
  // The service is the command function itself.
  const auto command = reinterpret_cast<CommandFunc>(lookUpService(lookup, COMMAND_SERVICE));
  if (command == nullptr) return;
  constexpr std::string_view verb = SELECT_ITEM_COMMAND;
  char text[verb.size() + 9];
  std::ranges::copy(verb, text);
  formatIdHex(id, std::span<char, 9>(text + verb.size(), 9));
  command(text);
}

}  // namespace kv
