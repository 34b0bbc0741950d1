// The host's plug-in interface as this module sees it.
//
// Every service is a table of operations, one pointer-sized slot each, so that
// on the 32-bit targets an operation sits at the byte offset the host fixes
// (slot index × 4). Slots the module never calls are kept as `reserved` to
// hold the layout. On 64-bit builds the same slot order holds with 8-byte
// slots; that layout is only ever shared with the substitute host.
//
// Ownership: every table and handle passed in belongs to the host. Threads:
// the host calls the module on its own threads; the services below may be
// called from whichever thread the host is calling on.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kv {

using ItemId = std::uint32_t;  // 0 = none; top four bits = item type + 1

// Opaque host handles.
using NodeHandle = void*;
using InputHandle = void*;
using OutputHandle = void*;
using ValueHandle = void*;
using NodalAccess = void*;
using PanelHandle = void*;
using Instance = void*;

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

extern "C" {

// Looks a service up by name; returns it, or null. `useMode` is always 0 here.
using GlobalLookup = void* (*)(const char* name, int useMode);

// "LW Item Info 4": read-only queries, safe from any thread that evaluates.
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

// "LW Bone Info 3".
struct BoneInfoService {
  void* reserved00;
  // Fills `out` with the rest position (code 1) or rest rotation (code 5).
  void (*restParam)(ItemId bone, int code, double* out);
};

// "NodeFuncs".
struct NodeFuncs {
  void* reserved00[3];
  void (*setNodeColor)(NodeHandle node, const int* rgb);  // three ints, read during the call
  void* reserved10;
  void (*setNodeOption)(NodeHandle node, int option);  // the module passes 2
};

// Called by the host when something is connected to or disconnected from an input.
using InputEventFunc = int (*)(Instance instance, InputHandle input, int event);

// "NodeInputFuncs" … "NodeInputFuncs 4" (the name depends on the host build).
struct NodeInputFuncs {
  // Registers an input on the node (in create); the handle belongs to the host.
  InputHandle (*create)(NodeHandle node, int connectionType, const char* name, InputEventFunc onEvent);
  void* reserved04;
  // Writes the connected input's value into `out` (a double or a 32-bit integer).
  int (*evaluate)(InputHandle input, NodalAccess access, void* out);
  int (*isConnected)(InputHandle input);  // non-zero when something is connected
};

// "NodeOutputFuncs" … "NodeOutputFuncs 3".
struct NodeOutputFuncs {
  // Registers an output on the node (in create); the handle belongs to the host.
  OutputHandle (*create)(NodeHandle node, int connectionType, const char* name);
  void* reserved04;
  // Delivers an output's value; the host reads `data` during the call.
  void (*setValue)(ValueHandle value, const void* data);
};

// "Instance Update": the service is the function itself; tells the host an
// instance changed, so that it evaluates the node again.
using InstanceUpdateFunc = int (*)(const char* className, Instance instance);

// "LW Command Interface": the service is the function itself; runs one command text.
using CommandFunc = int (*)(const char* command);

// "LWXPanel". The panel reads a value through get (a pointer into the instance,
// or null to show none) and writes it through set (1 when the ID was handled).
using PanelGetFunc = void* (*)(Instance instance, std::uint32_t valueId);
using PanelSetFunc = int (*)(Instance instance, std::uint32_t valueId, void* value);

// Control and data-description tables are static module data, ended by an ID of 0.
struct PanelControl {
  std::uint32_t id;          // control ID, from 0x8001
  const char* label;         // text shown beside the control
  const char* controlClass;  // the panel service's control kind, e.g. "iPopChoice"
};

struct PanelDataDesc {
  std::uint32_t id;      // value ID
  const char* name;      // always ""
  const char* dataType;  // "integer" or "float"
};

// Hint arrays are sequences of pointer-sized words: a tag and its arguments.
using PanelHint = std::uintptr_t;

// Called on the host's interface thread; the panel belongs to the host until destroy.
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

// Functions the panel service calls back, bound through the hint arrays.
using PanelNotifyFunc = int (*)(PanelHandle panel, std::uint32_t controlId, std::uint32_t valueId, int event);
using PopupCountFunc = int (*)(void* userData);
using PopupNameFunc = const char* (*)(void* userData, int index);
using ButtonFunc = void (*)(PanelHandle panel, int controlId);

// "LW Interface Info 5": a record with data fields and operations.
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
// Functions with a text result return null for success, else the error text.
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
  const ItemId* (*useItems)(Instance instance);                // zero-terminated list inside the instance
  void (*changeId)(Instance instance, const ItemId* changes);  // (old, new) pairs, ended by old = 0
};

struct NodeRenderFuncs {
  const char* (*init)(Instance instance, int mode);                   // before rendering starts
  void (*cleanup)(Instance instance);                                 // after rendering ends
  const char* (*newTime)(Instance instance, int frame, double time);  // a new time step
};

// Delivers the value of `output` through the output functions' set value; may
// be called from several render threads at once.
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

using ActivateFunc = int (*)(int version, GlobalLookup global, void* local, void* serverData);

struct ServerTag {
  const char* text;   // user name, menu group or "All"
  std::uint32_t tag;  // what the text is
};

struct ServerRecord {
  const char* className;  // "NodeHandler" or "NodeInterface"
  const char* name;       // the server name
  ActivateFunc activate;  // called whenever the host needs the server
  const ServerTag* tags;  // ended by {null, 0}; null for none
};

// The one exported symbol; static module data the host only reads.
struct ModuleDescriptor {
  std::uint32_t sync;            // 0x04121994
  std::uint32_t version;         // descriptor version
  std::uint32_t machine;         // machine word
  void* (*startup)();            // once after loading; non-null for success
  void (*shutdown)(void* data);  // once before unloading, with startup's result
  const ServerRecord* servers;   // ended by an all-null record
};

}  // extern "C"

// Results of activations.
enum ActivateResult : int { AFUNC_OK = 0, AFUNC_BADVERSION = 1, AFUNC_BADGLOBAL = 2 };

}  // namespace kv
