// SPDX-License-Identifier: MIT
// Checks shared by the fuzz targets that drive a node's panel.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "host/panel.h"

namespace kv::fuzz {

// The module writes pop-up entries into 64-byte buffers.
inline constexpr std::size_t POPUP_TEXT_BYTES = 64;

// Asks the pop-up of `id` for entry `index` as the host does, with the user
// data stored for `id`, and checks that the text ends within its buffer.
inline std::string_view checkedPopupName(const host::HostPanel& panel, std::uint32_t id, int index) {
  const host::PopupBinding* binding = panel.popup(id);
  FUZZ_CHECK(binding && binding->name, "pop-up without a name function");
  const char* name = binding->name(panel.data(id), index);
  FUZZ_CHECK(name != nullptr, "a pop-up name is never null");
  const std::size_t length = strnlen(name, POPUP_TEXT_BYTES);
  FUZZ_CHECK(length < POPUP_TEXT_BYTES, "a pop-up name is at most 63 bytes and zero-terminated");
  return {name, length};
}

// Every entry of the pop-up of `id`, and one on either side of the list: the
// first is "(none)", the ones outside are empty.
inline void checkPopupList(const host::HostPanel& panel, std::uint32_t id) {
  const host::PopupBinding* binding = panel.popup(id);
  FUZZ_CHECK(binding && binding->count, "pop-up without a count function");
  const int count = binding->count(panel.data(id));
  FUZZ_CHECK(count >= 1, "a pop-up lists at least \"(none)\"");
  FUZZ_CHECK(checkedPopupName(panel, id, 0) == "(none)", "entry 0 is \"(none)\"");
  for (int i = 1; i < count; ++i) FUZZ_CHECK(!checkedPopupName(panel, id, i).empty(), "an entry in the list has text");
  FUZZ_CHECK(checkedPopupName(panel, id, count).empty(), "the entry past the list is empty");
  FUZZ_CHECK(checkedPopupName(panel, id, -1).empty(), "a negative entry is empty");
}

}  // namespace kv::fuzz
