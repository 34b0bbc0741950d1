// SPDX-License-Identifier: MIT
#include "panel/panel_tables.h"

#include "contract/panel_ids.h"
#include "panel/buttons.h"
#include "panel/panel_values.h"
#include "panel/popups.h"

namespace kv {
namespace {

template <class Pointer>
PanelHint word(Pointer pointer) {
  return reinterpret_cast<PanelHint>(pointer);
}

}  // namespace

const PanelControl itemControls[] = {
    {CTL_ITEM, "Item", CONTROL_POPUP_CHOICE},
    {CTL_TIME, "Time", CONTROL_FLOAT},
    {CTL_MODE, "Mode", CONTROL_CHOICE},
    {CTL_GETSEL, "Get from LayoutSel", CONTROL_BUTTON},
    {CTL_SELECT, "Select by CurItem", CONTROL_BUTTON},
    {0, nullptr, nullptr},
};

const PanelControl boneControls[] = {
    {CTL_ITEM, "Item", CONTROL_POPUP_CHOICE},
    {CTL_BONE, "Bone", CONTROL_POPUP_CHOICE},
    {CTL_TIME, "Time", CONTROL_FLOAT},
    {CTL_MODE, "Mode", CONTROL_CHOICE},
    {CTL_GETSEL, "Get from LayoutSel", CONTROL_BUTTON},
    {CTL_SELECT, "Select by CurItem", CONTROL_BUTTON},
    {0, nullptr, nullptr},
};

const PanelDataDesc itemDataDesc[] = {
    {CTL_ITEM, "", DATA_INTEGER},
    {CTL_TIME, "", DATA_FLOAT},
    {CTL_MODE, "", DATA_INTEGER},
    {0, nullptr, nullptr},
};

const PanelDataDesc boneDataDesc[] = {
    {CTL_ITEM, "", DATA_INTEGER}, {CTL_BONE, "", DATA_INTEGER}, {CTL_TIME, "", DATA_FLOAT},
    {CTL_MODE, "", DATA_INTEGER}, {0, nullptr, nullptr},
};

const char* const modeLabels[] = {"Cur", "Abs", "Rel", nullptr};

// One tag and its arguments per line.
// clang-format off
const PanelHint itemHints[] = {
    HINT_CHANGE_NOTIFY, word(itemPanelNotify),
    HINT_POPUP_FUNCS, CTL_ITEM, word(itemListCount), word(itemListName),
    HINT_STRING_LIST, CTL_MODE, word(modeLabels), 0,
    HINT_BUTTON_CLICK, CTL_GETSEL, word(itemGetFromSelection),
    HINT_BUTTON_CLICK, CTL_SELECT, word(itemSelectCurrent),
    HINT_BUTTON_LAYOUT, CTL_GETSEL, 0,
    HINT_CONTROL_LAYOUT, CTL_ITEM,
    HINT_CONTROL_LAYOUT, CTL_MODE,
    HINT_END,
};

const PanelHint boneHints[] = {
    HINT_CHANGE_NOTIFY, word(bonePanelNotify),
    HINT_POPUP_FUNCS, CTL_ITEM, word(objectListCount), word(objectListName),
    HINT_POPUP_FUNCS, CTL_BONE, word(boneListCount), word(boneListName),
    HINT_STRING_LIST, CTL_MODE, word(modeLabels), 0,
    HINT_BUTTON_CLICK, CTL_GETSEL, word(boneGetFromSelection),
    HINT_BUTTON_CLICK, CTL_SELECT, word(boneSelectCurrent),
    HINT_BUTTON_LAYOUT, CTL_GETSEL, 0,
    HINT_CONTROL_LAYOUT, CTL_BONE,
    HINT_CONTROL_LAYOUT, CTL_MODE,
    HINT_END,
};
// clang-format on

}  // namespace kv
