// Placeholder until the panels land: the panel service counts as missing.
#include "panel/panel_activate.h"

namespace kv {
int itemPanelActivate(int, GlobalLookup, void*, void*) noexcept { return AFUNC_BADGLOBAL; }
int bonePanelActivate(int, GlobalLookup, void*, void*) noexcept { return AFUNC_BADGLOBAL; }
}  // namespace kv
