// SPDX-License-Identifier: MIT
// The static tables that describe both panel variants to the host's panel
// service: controls, data descriptions, hints and the Mode labels.
#pragma once

#include "contract/host_api.h"

namespace kv {

extern const PanelControl itemControls[];
extern const PanelControl boneControls[];
extern const PanelDataDesc itemDataDesc[];
extern const PanelDataDesc boneDataDesc[];
// Indexed by TimeMode, ended by null.
extern const char* const modeLabels[];
// Tag words, each followed by its arguments; a 0 tag ends the array.
extern const PanelHint itemHints[];
extern const PanelHint boneHints[];

}  // namespace kv
