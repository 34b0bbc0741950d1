// SPDX-License-Identifier: MIT
// gnuplot's SVG said in plainer terms, the same picture, which renderers
// without the whole of SVG draw too (ImageMagick's own renderer among them):
// each point mark, a reference to a shape drawn in `currentColor`, becomes a
// copy of the shape in the mark's colour, and grid lines lose their
// class="gridline", which only gnuplot's interactive script reads and of
// which ImageMagick draws no more than a few hundred ("vector graphics nested
// too deeply").
#pragma once

#include <string>

namespace kv::scenehost {

std::string portableSvg(const std::string& svg);

}  // namespace kv::scenehost
