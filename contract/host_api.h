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
// Threads: the host calls the module on its own threads. Unless a member says
// otherwise, a service operation may be called on whichever thread the host
// is calling the module on, and only during that call.
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
  unsigned lastBuild;
  const char* name;
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

// Looks a service up by name; returns it, or null. `useMode` is always 0 here.
// Called during an activation, or later with the lookup a panel activation
// received. The result is owned by the host.
using GlobalLookup = void* (*)(const char* name, int useMode);

// Values the lookup hands back in place of a pointer: the pointer's bits.
constexpr const char* PRODUCT_INFO_SERVICE = "Product Info";
constexpr const char* SYSTEM_ID_SERVICE = "System ID";
// A system ID with this bit set tells the module not to look the item services up.
constexpr std::uint32_t SYSTEM_ID_NO_ITEM_INFO = 0x10000000;

constexpr const char* ITEM_INFO_SERVICE = "LW Item Info 4";
// Read-only scene queries. The host may call them from several evaluating
// threads at once; names are owned by the host and valid until the scene changes.
struct ItemInfoService {
  ItemId (*first)(int itemType, ItemId parent);  // first item of a type (bones: of an owner), 0 if none
  ItemId (*next)(ItemId item);                   // next item of the same list, 0 at the end
  void* reserved08[2];
  ItemId (*parent)(ItemId item);  // parent item, 0 for a root
  void* reserved14[3];
  const char* (*name)(ItemId item);  // display name, owned by the host
  // Fills all three doubles of `out` with the value of `code` at `time`.
  void (*param)(ItemId item, int code, double time, double* out);
};

constexpr const char* BONE_INFO_SERVICE = "LW Bone Info 3";
// Read-only like the item info, from the same threads.
struct BoneInfoService {
  void* reserved00;
  // Fills `out` with the rest position (code 1) or rest rotation (code 5).
  void (*restParam)(ItemId bone, int code, double* out);
};

constexpr const char* NODE_FUNCS_SERVICE = "NodeFuncs";
// Called from create, on the thread that creates the node.
struct NodeFuncs {
  void* reserved00[3];
  void (*setNodeColor)(NodeHandle node, const int* rgb);  // three ints, read during the call
  void* reserved10;
  void (*setNodeOption)(NodeHandle node, int option);  // the module passes 2
};

// Called by the host when something is connected to or disconnected from an
// input, on the interface thread and never during an evaluation of the instance.
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
  // Registers an input on the node, in create; the handle belongs to the host
  // and stays valid until the instance is destroyed.
  InputHandle (*create)(NodeHandle node, int connectionType, const char* name, InputEventFunc onEvent);
  void* reserved04;
  // Writes the connected input's value into `out` (a double or a 32-bit
  // integer). Only during evaluate, with the access evaluate received; several
  // evaluating threads may call it at once.
  int (*evaluate)(InputHandle input, NodalAccess access, void* out);
  int (*isConnected)(InputHandle input);  // non-zero when something is connected; any thread
};

// The output functions' names by host build.
constexpr BuildName OUTPUT_FUNCS_NAMES[] = {
    {2237, "NodeOutputFuncs"},
    {2722, "NodeOutputFuncs 2"},
    {~0u, "NodeOutputFuncs 3"},
};
struct NodeOutputFuncs {
  // Registers an output on the node, in create; the handle belongs to the host
  // and stays valid until the instance is destroyed.
  OutputHandle (*create)(NodeHandle node, int connectionType, const char* name);
  void* reserved04;
  // Delivers an output's value, only during evaluate with the value handle it
  // received; the host reads `data` during the call.
  void (*setValue)(ValueHandle value, const void* data);
};

// The service is the function itself: tells the host an instance changed, so
// that it evaluates the node again. Called on the interface thread, never
// from an evaluation.
constexpr const char* INSTANCE_UPDATE_SERVICE = "Instance Update";
using InstanceUpdateFunc = int (*)(const char* className, Instance instance);

// The service is the function itself: runs one command text, on the interface thread.
constexpr const char* COMMAND_SERVICE = "LW Command Interface";
using CommandFunc = int (*)(const char* command);

// The panel service. The panel reads a value through get (a pointer into the
// instance, or null to show none) and writes it through set (1 when the ID
// was handled). Both are called on the interface thread, never during an
// evaluation of the same instance.
constexpr const char* PANEL_SERVICE = "LWXPanel";
using PanelGetFunc = void* (*)(Instance instance, std::uint32_t valueId);
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

// Every operation is called on the interface thread; the panel belongs to the
// host until destroy.
struct PanelFuncs {
  void* reserved00[2];
  PanelHandle (*create)(int panelType, const PanelControl* controls);  // a new panel, or null
  void (*destroy)(PanelHandle panel);                                  // ends a panel made by create
  // Binds the values the panel shows to the get and set functions.
  void (*describe)(PanelHandle panel, const PanelDataDesc* data, PanelGetFunc get, PanelSetFunc set);
  void (*hint)(PanelHandle panel, std::uint32_t id, const PanelHint* hints);  // callbacks and layout hints
  void* (*getData)(PanelHandle panel, std::uint32_t id);                      // the pointer stored for `id`
  void (*setData)(PanelHandle panel, std::uint32_t id, void* data);           // stores a pointer for `id`
  void* reserved20[2];
  void (*viewInstance)(PanelHandle panel, Instance instance);  // the instance get and set receive
  int (*refresh)(PanelHandle panel);                           // the panel reads its values again
};

// Functions the panel service calls back, bound through the hint arrays; on
// the interface thread, never during an evaluation of the same instance.
using PanelNotifyFunc = int (*)(PanelHandle panel, std::uint32_t controlId, std::uint32_t valueId, int event);
using PopupCountFunc = int (*)(void* userData);
using PopupNameFunc = const char* (*)(void* userData, int index);  // owned by the module, read at once
using ButtonFunc = void (*)(PanelHandle panel, int controlId);

// The events of a notify function.
constexpr int EVENT_VALUE_DRAGGED = 1;
constexpr int EVENT_VALUE_CHANGED = 2;
constexpr int EVENT_FOCUS_GAINED = 4;

constexpr const char* INTERFACE_INFO_SERVICE = "LW Interface Info 5";
// A record with data fields and operations, read on the interface thread; the
// fields are current at the time of the lookup.
struct InterfaceInfo {
  std::uint32_t reserved00[2];
  const ItemId* selectedItems;  // zero-terminated, owned by the host; element 0 is the current item
  void* reserved0C[10];
  std::uint32_t (*itemColor)(ItemId item);  // the item's colour: a palette index, or a code with bit 0x1000000
};

// Saved-state block identifier: four characters, first in the top byte.
struct BlockIdent {
  std::uint32_t id;
  const char* token;
};

// The blocks of a node's saved state, in the order save writes them: the
// chosen identifiers (u4), the panel time (one dp) and the time mode (one i4).
constexpr std::uint32_t BLOCK_IDS = blockId("IIDS");
constexpr std::uint32_t BLOCK_TIME = blockId("ITIM");
constexpr std::uint32_t BLOCK_MODE = blockId("IMOD");

// Handed to save for the duration of the call; the values are copied during each call.
struct SaveState {
  void* reserved00;
  void* data;  // first argument of every operation
  void* reserved08[3];
  void (*writeI4)(void* data, const std::int32_t* values, int count);  // signed 32-bit values
  void* reserved18[2];
  void (*writeU4)(void* data, const std::uint32_t* values, int count);  // unsigned 32-bit values
  void* reserved24[3];
  void (*beginBlock)(void* data, const BlockIdent* block, int leaf);  // opens a block; leaf 1: values only
  void (*endBlock)(void* data);                                       // closes the open block
  void* reserved38;
  void (*writeDP)(void* data, const double* values, int count);  // doubles
};

// Handed to load for the duration of the call.
struct LoadState {
  void* reserved00;
  void* data;  // first argument of every operation
  void* reserved08[3];
  int (*readI4)(void* data, std::int32_t* values, int count);  // fills up to `count` values
  void* reserved18[2];
  int (*readU4)(void* data, std::uint32_t* values, int count);  // fills up to `count` values; returns how many
  void* reserved24[3];
  // Enters the next stored block that `blocks` lists and returns its ID; 0 when none is left.
  std::uint32_t (*findBlock)(void* data, const BlockIdent* blocks);
  void (*endBlock)(void* data);  // leaves the block find-block entered
  void* reserved38;
  int (*readDP)(void* data, double* values, int count);  // fills up to `count` doubles
};

// Node handler record: the host owns the tables, a node activation fills them.
// Functions with a text result return null for success, else the error text
// (static module data). Every function but evaluate is called on one thread at
// a time per instance and never during an evaluation of the same instance.
struct NodeInstanceFuncs {
  void* priv;                                                           // handed back to create
  Instance (*create)(void* priv, NodeHandle node, const char** error);  // the host owns the result until destroy
  void (*destroy)(Instance instance);                                   // ends the instance and its panel
  const char* (*copy)(Instance to, Instance from);                      // copies the settings
  const char* (*load)(Instance instance, const LoadState* state);       // reads the saved settings
  const char* (*save)(Instance instance, const SaveState* state);       // writes the settings
  const char* (*describeLine)(Instance instance);                       // one line for the host's lists
};

struct NodeItemFuncs {
  // Zero-terminated list inside the instance, valid until the next call on it.
  const ItemId* (*useItems)(Instance instance);
  void (*changeId)(Instance instance, const ItemId* changes);  // (old, new) pairs, ended by old = 0
};

struct NodeRenderFuncs {
  const char* (*init)(Instance instance, int mode);                   // before rendering starts
  void (*cleanup)(Instance instance);                                 // after rendering ends
  const char* (*newTime)(Instance instance, int frame, double time);  // a new time step, before its evaluations
};

// Delivers the value of `output` through the output functions' set value; may
// be called from several render threads at once, for one instance too.
using EvaluateFunc = void (*)(Instance instance, NodalAccess access, OutputHandle output, ValueHandle value);

struct NodeHandler {
  NodeInstanceFuncs* instance;
  NodeItemFuncs* item;  // may be null
  NodeRenderFuncs* render;
  EvaluateFunc evaluate;
};

// Record passed to a panel activation.
struct NodeInterfaceRecord {
  Instance instance;    // set by the host
  PanelHandle panel;    // set by the module
  void* reserved08[2];  // set to null by the module
};

// Called on the interface thread whenever the host needs the server; `local`
// is the class's record (a NodeHandler or a NodeInterfaceRecord).
using ActivateFunc = int (*)(int version, GlobalLookup global, void* local, void* serverData);

// Server classes.
constexpr const char* NODE_HANDLER_CLASS = "NodeHandler";
constexpr const char* NODE_INTERFACE_CLASS = "NodeInterface";

struct ServerTag {
  const char* text;   // user name, menu group or TAG_ALL_TEXT
  std::uint32_t tag;  // what the text is
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
