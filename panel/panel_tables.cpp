#include "panel/panel_tables.h"

#include "panel/buttons.h"
#include "panel/panel_ids.h"
#include "panel/panel_values.h"
#include "panel/popups.h"

namespace kv {
namespace {

// Hint tags of the host's panel service.
constexpr PanelHint HINT_CHANGE_NOTIFY = 0x3D000F01;  // notify function
constexpr PanelHint HINT_POPUP_FUNCS = 0x3D016203;    // ID, count function, name function
constexpr PanelHint HINT_STRING_LIST = 0x3D014503;    // ID, labels, 0
constexpr PanelHint HINT_BUTTON_CLICK = 0x3D015F02;   // ID, button function
// Presentation hints whose effect is the panel service's own.
constexpr PanelHint HINT_BUTTON_LAYOUT = 0x3D021280;   // ID, 0
constexpr PanelHint HINT_CONTROL_LAYOUT = 0x3D021481;  // ID
constexpr PanelHint HINT_END = 0;

template <class Pointer>
PanelHint word(Pointer pointer) {
  return reinterpret_cast<PanelHint>(pointer);
}

constexpr const char* POPUP_CHOICE = "iPopChoice";
constexpr const char* BUTTON = "vButton";

}  // namespace

const PanelControl itemControls[] = {
    {CTL_ITEM, "Item", POPUP_CHOICE},
    {CTL_TIME, "Time", "float"},
    {CTL_MODE, "Mode", "iChoice"},
    {CTL_GETSEL, "Get from LayoutSel", BUTTON},
    {CTL_SELECT, "Select by CurItem", BUTTON},
    {0, nullptr, nullptr},
};

const PanelControl boneControls[] = {
    {CTL_ITEM, "Item", POPUP_CHOICE},
    {CTL_BONE, "Bone", POPUP_CHOICE},
    {CTL_TIME, "Time", "float"},
    {CTL_MODE, "Mode", "iChoice"},
    {CTL_GETSEL, "Get from LayoutSel", BUTTON},
    {CTL_SELECT, "Select by CurItem", BUTTON},
    {0, nullptr, nullptr},
};

const PanelDataDesc itemDataDesc[] = {
    {CTL_ITEM, "", "integer"},
    {CTL_TIME, "", "float"},
    {CTL_MODE, "", "integer"},
    {0, nullptr, nullptr},
};

const PanelDataDesc boneDataDesc[] = {
    {CTL_ITEM, "", "integer"}, {CTL_BONE, "", "integer"}, {CTL_TIME, "", "float"},
    {CTL_MODE, "", "integer"}, {0, nullptr, nullptr},
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
