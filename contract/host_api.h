// SPDX-License-Identifier: MIT
// The host's plug-in interface: every table, record, name and value that the
// host and a module share. The module, the substitute host and the checks all
// use this one definition.
//
// Layout: every service is a table of operations, one pointer-sized slot each,
// so that on the 32-bit targets an operation sits at the byte offset the host
// fixes (slot index × 4). Slots the module never calls are kept as `reserved`
// to hold the layout. On 64-bit builds the same slot order holds with 8-byte
// slots; that layout is only ever shared with the substitute host.
// host_api_layout.cpp pins every offset.
//
// Calling convention: every function type here is a C function (extern "C")
// with the platform's default convention, cdecl on 32-bit x86: the caller pops
// the arguments, and nothing may throw across it.
//
// Ownership: every table, record and handle the host passes in belongs to the
// host; the module's instances, server table and static data belong to the
// module. A service pointer that the global lookup returns stays valid until
// the module is unloaded.
//
// Threads: the host calls the module on its own threads; the module starts
// none. "While evaluating" means within an evaluate call, on any number of
// threads at once, for one instance too. "The interface thread" is where
// activations, the panel's callbacks and input events run: one call at a
// time, never during an evaluation of the instance concerned. Unless a member
// says otherwise, a service operation may be called on whichever thread the
// host is calling the module on, and only during that call.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kv {

using ItemId = std::uint32_t;  // 0 = none; item_ids.h gives the layout

// Opaque handles: distinct types, so that one kind cannot be passed for
// another, each the size of a pointer. Each is handed out by one side and only
// handed back by the other, which converts it with reinterpret_cast.
struct NodeTag;
struct InputTag;
struct OutputTag;
struct ValueTag;
struct NodalAccessTag;
struct PanelTag;
struct InstanceTag;
using NodeHandle = NodeTag*;          // the host's node, for the node services
using InputHandle = InputTag*;        // an input the module registered
using OutputHandle = OutputTag*;      // an output the module registered
using ValueHandle = ValueTag*;        // where evaluate delivers one output's value
using NodalAccess = NodalAccessTag*;  // the evaluation's context, passed through to input evaluate
using PanelHandle = PanelTag*;        // a panel of the panel service
using Instance = InstanceTag*;        // the module's instance; the host only hands it back

// Connection types of node inputs and outputs.
enum ConnectionType : int { CT_SCALAR = 2, CT_VECTOR = 3, CT_INTEGER = 4 };

// Item types passed to ItemInfoService::first.
enum ItemType : int { IT_OBJECT = 0, IT_LIGHT = 1, IT_CAMERA = 2, IT_BONE = 3 };

// Codes of ItemInfoService::param and BoneInfoService::restParam.
enum ItemParam : int {
  PARAM_POSITION = 1,
  PARAM_ROTATION = 5,
  PARAM_SCALING = 6,
  PARAM_PIVOT = 7,
  PARAM_PIVOT_ROTATION = 12,
};

// Results of activations.
enum ActivateResult : int { AFUNC_OK = 0, AFUNC_BADVERSION = 1, AFUNC_BADGLOBAL = 2 };

// The interface version a current host passes to activations; panel
// activations refuse anything older than OLDEST_PANEL_HOST_VERSION.
inline constexpr int HOST_INTERFACE_VERSION = 5;
inline constexpr int OLDEST_PANEL_HOST_VERSION = 4;

// The host build is bits 4..15 of the product info; some service names change with it.
inline constexpr std::uint32_t PRODUCT_INFO_BUILD_MASK = 0xFFF0;
inline constexpr int PRODUCT_INFO_BUILD_SHIFT = 4;
constexpr unsigned hostBuild(std::uint32_t productInfo) {
  return (productInfo & PRODUCT_INFO_BUILD_MASK) >> PRODUCT_INFO_BUILD_SHIFT;
}

// A service name that changed with the host build: the name serves every
// build up to and including `lastBuild`.
struct BuildName {
  unsigned lastBuild;  // the newest build the name serves
  const char* name;    // the service name to look up
};

template <std::size_t N>
constexpr const char* nameForBuild(const BuildName (&names)[N], unsigned build) {
  for (const BuildName& entry : names) {
    if (build <= entry.lastBuild) return entry.name;
  }
  return names[N - 1].name;
}

// A saved-state block identifier: four characters, the first in the top byte.
constexpr std::uint32_t blockId(const char (&chars)[5]) {
  std::uint32_t id = 0;
  for (int i = 0; i < 4; ++i) id = id << 8 | static_cast<unsigned char>(chars[i]);
  return id;
}

extern "C" {

// Looks a service up by `name` (static module text); returns it, or null.
// `useMode` is always 0 here. Called during an activation, or later, on the
// interface thread, with the lookup a panel activation received. The result
// is owned by the host.
using GlobalLookup = void* (*)(const char* name, int useMode);

// Values the lookup hands back in place of a pointer: the pointer's bits.
constexpr const char* PRODUCT_INFO_SERVICE = "Product Info";
constexpr const char* SYSTEM_ID_SERVICE = "System ID";
// A system ID with this bit set tells the module not to look the item services up.
constexpr std::uint32_t SYSTEM_ID_NO_ITEM_INFO = 0x10000000;

constexpr const char* ITEM_INFO_SERVICE = "LW Item Info 4";
// Read-only scene queries. Every member: safe to call from several threads at
// once; arguments and results are values, except where a member says.
struct ItemInfoService {
  // First item of an ItemType (bones: of the object `parent`, else 0), 0 if none. The module walks the lists
  // only outside evaluation: in the panel's calls, in load and in change-ID.
  ItemId (*first)(int itemType, ItemId parent);
  ItemId (*next)(ItemId item);  // next item of the same list, 0 at the end; called where first is
  void* reserved08[2];
  ItemId (*parent)(ItemId item);  // parent item, 0 for a root; while evaluating
  void* reserved14[3];
  // Display name, owned by the host and valid until the scene changes; read at once by the pop-up name functions.
  const char* (*name)(ItemId item);
  // Fills all three doubles of the caller's `out` with the ItemParam `code` at `time`; while evaluating.
  void (*param)(ItemId item, int code, double time, double* out);
};

constexpr const char* BONE_INFO_SERVICE = "LW Bone Info 3";
// Read-only like the item info, and as safe to call from several threads at once.
struct BoneInfoService {
  void* reserved00;
  // Fills the caller's `out` with the rest position (code 1) or rest rotation (code 5); while evaluating.
  void (*restParam)(ItemId bone, int code, double* out);
};

constexpr const char* NODE_FUNCS_SERVICE = "NodeFuncs";
// Every member: only in create, with the node create received.
struct NodeFuncs {
  void* reserved00[3];
  void (*setNodeColor)(NodeHandle node, const int* rgb);  // the node's colour: three ints, read during the call
  void* reserved10;
  void (*setNodeOption)(NodeHandle node, int option);  // sets a node option; the module passes 2
};

// Called by the host when something is connected to or disconnected from
// `input`, a handle that create registered; on the interface thread. The
// module returns 1.
using InputEventFunc = int (*)(Instance instance, InputHandle input, int event);
constexpr int INPUT_EVENT_CONNECTED = 1;
constexpr int INPUT_EVENT_DISCONNECTED = 2;

// The input functions' names by host build.
constexpr BuildName INPUT_FUNCS_NAMES[] = {
    {1446, "NodeInputFuncs"},
    {2237, "NodeInputFuncs 2"},
    {2525, "NodeInputFuncs 3"},
    {~0u, "NodeInputFuncs 4"},
};
struct NodeInputFuncs {
  // Registers an input on the node; only in create. `name` is static module text, `onEvent` a module function.
  // The handle belongs to the host and stays valid until the instance is destroyed.
  InputHandle (*create)(NodeHandle node, int connectionType, const char* name, InputEventFunc onEvent);
  void* reserved04;
  // Writes the connected input's value into the caller's `out`: a 32-bit integer for CT_INTEGER, else a double.
  // Only while evaluating, with the access evaluate received. The result is not used.
  int (*evaluate)(InputHandle input, NodalAccess access, void* out);
  // Non-zero when something is connected; while evaluating, and in the panel's get on the interface thread.
  int (*isConnected)(InputHandle input);
};

// The output functions' names by host build.
constexpr BuildName OUTPUT_FUNCS_NAMES[] = {
    {2237, "NodeOutputFuncs"},
    {2722, "NodeOutputFuncs 2"},
    {~0u, "NodeOutputFuncs 3"},
};
struct NodeOutputFuncs {
  // Registers an output on the node; only in create. `name` is static module text. The handle belongs to the
  // host and stays valid until the instance is destroyed.
  OutputHandle (*create)(NodeHandle node, int connectionType, const char* name);
  void* reserved04;
  // Delivers an output's value while evaluating: once per evaluate call, with the value handle it received.
  // `data` (three doubles, one double or a 32-bit integer, by the output's type) is read during the call.
  void (*setValue)(ValueHandle value, const void* data);
};

// The service is the function itself: tells the host that `instance` changed,
// so that it evaluates the node again; `className` is NODE_HANDLER_CLASS.
// Called on the interface thread, by panel edits and buttons. The panel's
// change notification returns its result.
constexpr const char* INSTANCE_UPDATE_SERVICE = "Instance Update";
using InstanceUpdateFunc = int (*)(const char* className, Instance instance);

// The service is the function itself: runs one command text, the module's and
// read during the call; on the interface thread. The result is not used.
constexpr const char* COMMAND_SERVICE = "LW Command Interface";
using CommandFunc = int (*)(const char* command);
// The command that makes one item the host's selection: this text followed by
// the item's identifier as eight upper-case hexadecimal digits.
constexpr char SELECT_ITEM_COMMAND[] = "SelectItem ";

// The panel service. The host calls get and set back on the interface thread,
// with the instance that view-instance gave.
constexpr const char* PANEL_SERVICE = "LWXPanel";
// The value `valueId` shows: a pointer into the instance, valid until destroy, or null to show none.
using PanelGetFunc = void* (*)(Instance instance, std::uint32_t valueId);
// Stores a new value: `value` is the host's 32-bit integer or double, read during the call; 1 when handled.
using PanelSetFunc = int (*)(Instance instance, std::uint32_t valueId, void* value);

// The panel type the module creates: the panel reads and writes values through get and set.
constexpr int PANEL_TYPE_VIEW = 1;

// Control and data-description tables are static module data, ended by an ID
// of 0; the host reads them for as long as the panel lives.
struct PanelControl {
  std::uint32_t id;          // control ID, from 0x8001
  const char* label;         // text shown beside the control
  const char* controlClass;  // one of the CONTROL_ kinds
};

// Control kinds of the panel service.
constexpr const char* CONTROL_POPUP_CHOICE = "iPopChoice";  // a pop-up list filled by the module
constexpr const char* CONTROL_CHOICE = "iChoice";           // a fixed list of labels
constexpr const char* CONTROL_FLOAT = "float";              // a number field
constexpr const char* CONTROL_BUTTON = "vButton";           // a push button

struct PanelDataDesc {
  std::uint32_t id;      // value ID
  const char* name;      // always ""
  const char* dataType;  // DATA_INTEGER or DATA_FLOAT
};

// Value types of the data descriptions: what get returns a pointer to.
constexpr const char* DATA_INTEGER = "integer";  // a 32-bit signed integer
constexpr const char* DATA_FLOAT = "float";      // a double

// Hint arrays are sequences of pointer-sized words: a tag and its arguments,
// ended by HINT_END. The host reads them during the hint call.
using PanelHint = std::uintptr_t;
constexpr PanelHint HINT_END = 0;
constexpr PanelHint HINT_CHANGE_NOTIFY = 0x3D000F01;  // notify function
constexpr PanelHint HINT_POPUP_FUNCS = 0x3D016203;    // ID, count function, name function
constexpr PanelHint HINT_STRING_LIST = 0x3D014503;    // ID, null-terminated labels, 0
constexpr PanelHint HINT_BUTTON_CLICK = 0x3D015F02;   // ID, button function
// Presentation hints whose effect is the panel service's own.
constexpr PanelHint HINT_BUTTON_LAYOUT = 0x3D021280;   // ID, 0
constexpr PanelHint HINT_CONTROL_LAYOUT = 0x3D021481;  // ID

// Every member: never called while evaluating. A panel belongs to the host
// from create until destroy; the module keeps its handle in the instance and
// destroys it with the instance.
struct PanelFuncs {
  void* reserved00[2];
  // A new panel of `panelType` (PANEL_TYPE_VIEW) over the static `controls`, or null; in a panel activation.
  PanelHandle (*create)(int panelType, const PanelControl* controls);
  void (*destroy)(PanelHandle panel);  // ends a panel made by create, in the instance's destroy
  // Binds the values the panel shows (the static `data`) to get and set; in a panel activation, after create.
  void (*describe)(PanelHandle panel, const PanelDataDesc* data, PanelGetFunc get, PanelSetFunc set);
  // Callbacks and layout hints, after describe; `id` is 0. The array, its label lists and the functions it
  // names are static module data.
  void (*hint)(PanelHandle panel, std::uint32_t id, const PanelHint* hints);
  // The pointer setData stored for `id`; the notify and button functions find their instance under ID 0.
  void* (*getData)(PanelHandle panel, std::uint32_t id);
  // Stores the module's pointer for `id`, valid while the panel lives, for the pop-up functions of `id`.
  void (*setData)(PanelHandle panel, std::uint32_t id, void* data);
  void* reserved20[2];
  void (*viewInstance)(PanelHandle panel, Instance instance);  // the instance get and set receive; after hint
  // The panel reads its values again through get; on the interface thread and in change-ID.
  int (*refresh)(PanelHandle panel);
};

// The functions the panel service calls back, bound through the hint arrays.
// Every one: called on the interface thread.

// A panel event (EVENT_ codes); the control and value IDs are not examined.
using PanelNotifyFunc = int (*)(PanelHandle panel, std::uint32_t controlId, std::uint32_t valueId, int event);
// A pop-up's number of entries, "(none)" included; `userData` is what setData stored for its ID.
using PopupCountFunc = int (*)(void* userData);
// Entry `index`'s text, `userData` as for the count: the module's, valid until the same function is called again.
using PopupNameFunc = const char* (*)(void* userData, int index);
using ButtonFunc = void (*)(PanelHandle panel, int controlId);  // a button was pressed; the ID is not examined

// The events of a notify function.
constexpr int EVENT_VALUE_DRAGGED = 1;
constexpr int EVENT_VALUE_CHANGED = 2;
constexpr int EVENT_FOCUS_GAINED = 4;

constexpr const char* INTERFACE_INFO_SERVICE = "LW Interface Info 5";
// A record with data fields and operations. Every member: the module looks
// the record up at each use, on the interface thread, and reads it at once;
// the fields are current at the time of the lookup.
struct InterfaceInfo {
  std::uint32_t reserved00[2];
  const ItemId* selectedItems;  // the selection, zero-terminated, owned by the host; element 0 is the current item
  void* reserved0C[10];
  std::uint32_t (*itemColor)(ItemId item);  // the item's colour: a palette index, or a code with bit 0x1000000
};

// Saved-state block identifier, in static module tables ended by {0, null}.
struct BlockIdent {
  std::uint32_t id;   // four characters, first in the top byte (blockId)
  const char* token;  // the block's name
};

// The blocks of a node's saved state, in the order save writes them: the
// chosen identifiers (u4), the panel time (one dp) and the time mode (one i4).
constexpr std::uint32_t BLOCK_IDS = blockId("IIDS");
constexpr std::uint32_t BLOCK_TIME = blockId("ITIM");
constexpr std::uint32_t BLOCK_MODE = blockId("IMOD");

// Handed to save, valid for the duration of the call. Every member: called
// only during that save, with `data` first; the module's values are copied
// during each call.
struct SaveState {
  void* reserved00;
  void* data;  // the host's, first argument of every operation
  void* reserved08[3];
  void (*writeI4)(void* data, const std::int32_t* values, int count);  // writes `count` signed 32-bit values
  void* reserved18[2];
  void (*writeU4)(void* data, const std::uint32_t* values, int count);  // writes `count` unsigned 32-bit values
  void* reserved24[3];
  // Opens a block; `block` is an entry of a static module table; leaf 1: values only.
  void (*beginBlock)(void* data, const BlockIdent* block, int leaf);
  void (*endBlock)(void* data);  // closes the open block
  void* reserved38;
  void (*writeDP)(void* data, const double* values, int count);  // writes `count` doubles
};

// Handed to load, valid for the duration of the call. Every member: called
// only during that load, with `data` first; reads fill the module's array.
struct LoadState {
  void* reserved00;
  void* data;  // the host's, first argument of every operation
  void* reserved08[3];
  int (*readI4)(void* data, std::int32_t* values, int count);  // fills up to `count` values; result not used
  void* reserved18[2];
  int (*readU4)(void* data, std::uint32_t* values, int count);  // fills up to `count` values; returns how many
  void* reserved24[3];
  // Enters the next stored block that `blocks` (a whole static module table) lists and returns its ID; 0 when
  // none is left.
  std::uint32_t (*findBlock)(void* data, const BlockIdent* blocks);
  void (*endBlock)(void* data);  // leaves the block findBlock entered
  void* reserved38;
  int (*readDP)(void* data, double* values, int count);  // fills up to `count` doubles; result not used
};

// Node handler tables: the host owns them, a node activation fills them.
// Functions with a text result return null for success, else the error text
// (static module data). Every member of NodeInstanceFuncs, NodeItemFuncs and
// NodeRenderFuncs: called one at a time per instance and never during an
// evaluation of the same instance.
struct NodeInstanceFuncs {
  void* priv;  // set by the activation (the node's kind); the host hands it back to create
  // A new instance on `node`, its inputs and outputs registered; on failure null, with the error text in the
  // host's `*error`. The host owns the result until destroy.
  Instance (*create)(void* priv, NodeHandle node, const char** error);
  void (*destroy)(Instance instance);                              // ends the instance and its panel; null: nothing
  const char* (*copy)(Instance to, Instance from);                 // copies `from`'s settings; both of this server
  const char* (*load)(Instance instance, const LoadState* state);  // reads the saved settings
  const char* (*save)(Instance instance, const SaveState* state);  // writes the settings
  const char* (*describeLine)(Instance instance);                  // one line for the host's lists; static text
};

struct NodeItemFuncs {
  // The items the instance uses: a zero-terminated list inside it, valid until the next call on it.
  const ItemId* (*useItems)(Instance instance);
  // Follows identifier changes: the host's (old, new) pairs, ended by old = 0, read during the call.
  void (*changeId)(Instance instance, const ItemId* changes);
};

struct NodeRenderFuncs {
  const char* (*init)(Instance instance, int mode);  // before rendering starts, with the render mode
  void (*cleanup)(Instance instance);                // after rendering ends
  // A new time step, before its evaluations; the instance's cached results end with it.
  const char* (*newTime)(Instance instance, int frame, double time);
};

// Delivers the value of `output`, a handle create registered, through the
// output functions' set value. `access` and `value` are valid during the call
// only. May be called from several render threads at once, for one instance too.
using EvaluateFunc = void (*)(Instance instance, NodalAccess access, OutputHandle output, ValueHandle value);

// The host's record, filled in by a node activation during the call.
struct NodeHandler {
  NodeInstanceFuncs* instance;  // the host's table, filled by the activation
  NodeItemFuncs* item;          // the host's table, filled by the activation; may be null, then left alone
  NodeRenderFuncs* render;      // the host's table, filled by the activation
  EvaluateFunc evaluate;        // set by the activation, by the node's kind
};

// Record passed to a panel activation, valid during the call.
struct NodeInterfaceRecord {
  Instance instance;    // set by the host: the instance whose panel opens
  PanelHandle panel;    // set by the module: the instance's panel, or null; destroyed only with the instance
  void* reserved08[2];  // set to null by the module
};

// Called on the interface thread whenever the host needs the server; `local`
// is the class's record (a NodeHandler or a NodeInterfaceRecord), `serverData`
// is not examined; returns an ActivateResult. A panel activation keeps `global`
// for later lookups, so it must stay callable while the module is loaded.
using ActivateFunc = int (*)(int version, GlobalLookup global, void* local, void* serverData);

// Server classes.
constexpr const char* NODE_HANDLER_CLASS = "NodeHandler";
constexpr const char* NODE_INTERFACE_CLASS = "NodeInterface";

// Static module data, like the server records and the texts they point to.
struct ServerTag {
  const char* text;   // user name, menu group or TAG_ALL_TEXT
  std::uint32_t tag;  // what the text is: a TAG_ value
};

constexpr std::uint32_t TAG_USER_NAME = 0x00000000;
constexpr std::uint32_t TAG_MENU_GROUP = 0x00070000;
constexpr std::uint32_t TAG_ALL = 0x00080000;
constexpr const char* TAG_ALL_TEXT = "All";

struct ServerRecord {
  const char* className;  // NODE_HANDLER_CLASS or NODE_INTERFACE_CLASS
  const char* name;       // the server name
  ActivateFunc activate;  // called whenever the host needs the server
  const ServerTag* tags;  // ended by {null, 0}; null for none
};

// The one exported symbol, DESCRIPTOR_SYMBOL; static module data the host only reads.
struct ModuleDescriptor {
  std::uint32_t sync;            // DESCRIPTOR_SYNC
  std::uint32_t version;         // DESCRIPTOR_VERSION
  std::uint32_t machine;         // DESCRIPTOR_MACHINE
  void* (*startup)();            // once after loading; non-null for success
  void (*shutdown)(void* data);  // once before unloading, with startup's result
  const ServerRecord* servers;   // ended by an all-null record
};

}  // extern "C"

inline constexpr const char* DESCRIPTOR_SYMBOL = "_mod_descrip";
inline constexpr std::uint32_t DESCRIPTOR_SYNC = 0x04121994;
inline constexpr std::uint32_t DESCRIPTOR_VERSION = 3;
inline constexpr std::uint32_t DESCRIPTOR_MACHINE = 0x300;

}  // namespace kv
