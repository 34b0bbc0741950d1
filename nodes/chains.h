// SPDX-License-Identifier: MIT
// The three walks up an item's parent chain, built from the host's item-info
// service. No state, no allocation; `info` is never null here.
#pragma once

#include "contract/host_api.h"
#include "math/vec_types.h"

namespace kv {

// The item's axes in world space (scale, rotation, pivot rotation of the item,
// then of each ancestor). Identity for item 0.
void orientationChain(Mat3& out, const ItemInfoService& info, ItemId item, double time);

// The inverted factors composed from the root down to the item: row i is the
// world axis i in the item's frame where the chain is invertible. Identity for item 0.
void axesChain(Mat3& out, const ItemInfoService& info, ItemId item, double time);

// The item's world matrix; row 3 holds its world position. `item` must not be 0.
void worldMatrixChain(Mat4& out, const ItemInfoService& info, ItemId item, double time);

// One item's factors and position applied to the accumulator.
void worldStep(Mat4& acc, const ItemInfoService& info, ItemId item, double time);

}  // namespace kv
