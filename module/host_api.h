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

// "LW Item Info 4".
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
  InputHandle (*create)(NodeHandle node, int connectionType, const char* name, InputEventFunc onEvent);
  void* reserved04;
  // Writes the connected input's value into `out` (a double or a 32-bit integer).
  int (*evaluate)(InputHandle input, NodalAccess access, void* out);
  int (*isConnected)(InputHandle input);  // non-zero when something is connected
};

// "NodeOutputFuncs" … "NodeOutputFuncs 3".
struct NodeOutputFuncs {
  OutputHandle (*create)(NodeHandle node, int connectionType, const char* name);
  void* reserved04;
  // Delivers an output's value; the host reads `data` during the call.
  void (*setValue)(ValueHandle value, const void* data);
};

// "Instance Update": the service is the function itself.
using InstanceUpdateFunc = int (*)(const char* className, Instance instance);

// "LW Command Interface": the service is the function itself.
using CommandFunc = int (*)(const char* command);

// "LWXPanel".
using PanelGetFunc = void* (*)(Instance instance, std::uint32_t valueId);
using PanelSetFunc = int (*)(Instance instance, std::uint32_t valueId, void* value);

struct PanelControl {
  std::uint32_t id;
  const char* label;
  const char* controlClass;
};

struct PanelDataDesc {
  std::uint32_t id;
  const char* name;
  const char* dataType;
};

// Hint arrays are sequences of pointer-sized words: a tag and its arguments.
using PanelHint = std::uintptr_t;

struct PanelFuncs {
  void* reserved00[2];
  PanelHandle (*create)(int panelType, const PanelControl* controls);  // null on failure
  void (*destroy)(PanelHandle panel);
  void (*describe)(PanelHandle panel, const PanelDataDesc* data, PanelGetFunc get, PanelSetFunc set);
  void (*hint)(PanelHandle panel, std::uint32_t id, const PanelHint* hints);
  void* (*getData)(PanelHandle panel, std::uint32_t id);  // the pointer stored for `id`
  void (*setData)(PanelHandle panel, std::uint32_t id, void* data);
  void* reserved20[2];
  void (*viewInstance)(PanelHandle panel, Instance instance);
  int (*refresh)(PanelHandle panel);  // the panel reads its values again through get
};

// Functions the panel service calls back, bound through the hint arrays.
using PanelNotifyFunc = int (*)(PanelHandle panel, std::uint32_t controlId, std::uint32_t valueId, int event);
using PopupCountFunc = int (*)(void* userData);
using PopupNameFunc = const char* (*)(void* userData, int index);
using ButtonFunc = void (*)(PanelHandle panel, int controlId);

// "LW Interface Info 5": a record with data fields and operations.
struct InterfaceInfo {
  std::uint32_t reserved00[2];
  const ItemId* selectedItems;  // zero-terminated; element 0 is the current item
  void* reserved0C[10];
  std::uint32_t (*itemColor)(ItemId item);
};

// Saved-state block identifier: four characters, first in the top byte.
struct BlockIdent {
  std::uint32_t id;
  const char* token;
};

struct SaveState {
  void* reserved00;
  void* data;  // first argument of every operation
  void* reserved08[3];
  void (*writeI4)(void* data, const std::int32_t* values, int count);
  void* reserved18[2];
  void (*writeU4)(void* data, const std::uint32_t* values, int count);
  void* reserved24[3];
  void (*beginBlock)(void* data, const BlockIdent* block, int leaf);
  void (*endBlock)(void* data);
  void* reserved38;
  void (*writeDP)(void* data, const double* values, int count);
};

struct LoadState {
  void* reserved00;
  void* data;
  void* reserved08[3];
  int (*readI4)(void* data, std::int32_t* values, int count);
  void* reserved18[2];
  int (*readU4)(void* data, std::uint32_t* values, int count);
  void* reserved24[3];
  // Returns the ID of the next stored block that `blocks` lists, 0 when none is left.
  std::uint32_t (*findBlock)(void* data, const BlockIdent* blocks);
  void (*endBlock)(void* data);
  void* reserved38;
  int (*readDP)(void* data, double* values, int count);
};

// Node handler record, filled by a node activation.
struct NodeInstanceFuncs {
  void* priv;  // handed back to create
  Instance (*create)(void* priv, NodeHandle node, const char** error);
  void (*destroy)(Instance instance);
  const char* (*copy)(Instance to, Instance from);
  const char* (*load)(Instance instance, const LoadState* state);
  const char* (*save)(Instance instance, const SaveState* state);
  const char* (*describeLine)(Instance instance);
};

struct NodeItemFuncs {
  const ItemId* (*useItems)(Instance instance);                // zero-terminated list inside the instance
  void (*changeId)(Instance instance, const ItemId* changes);  // (old, new) pairs, ended by old = 0
};

struct NodeRenderFuncs {
  const char* (*init)(Instance instance, int mode);
  void (*cleanup)(Instance instance);
  const char* (*newTime)(Instance instance, int frame, double time);
};

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
  const char* text;
  std::uint32_t tag;
};

struct ServerRecord {
  const char* className;
  const char* name;
  ActivateFunc activate;
  const ServerTag* tags;  // ended by {null, 0}; null for none
};

struct ModuleDescriptor {
  std::uint32_t sync;
  std::uint32_t version;
  std::uint32_t machine;
  void* (*startup)();
  void (*shutdown)(void* data);
  const ServerRecord* servers;  // ended by an all-null record
};

}  // extern "C"

// Results of activations.
enum ActivateResult : int { AFUNC_OK = 0, AFUNC_BADVERSION = 1, AFUNC_BADGLOBAL = 2 };

}  // namespace kv
