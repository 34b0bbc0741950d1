// SPDX-License-Identifier: MIT
// Pop-up entry texts as the panel service receives them: either plain text, or
// the byte 0x03 followed by "(i:ICON,COLOUR) name", which asks the panel to
// draw an item-type icon in a colour before the name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kv::scenehost {

struct PopupEntry {
  bool decorated = false;  // had the icon and colour prefix
  std::uint32_t icon = 0;
  std::uint32_t colour = 0;
  std::string name;  // the text after the prefix, or the whole text
};

PopupEntry decodePopupEntry(std::string_view text);
// "[object, colour 155] Cube" for a decorated entry, the name for a plain one.
std::string describePopupEntry(const PopupEntry& entry);

}  // namespace kv::scenehost
