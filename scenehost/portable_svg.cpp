// SPDX-License-Identifier: MIT
#include "scenehost/portable_svg.h"

#include <map>
#include <string_view>

namespace kv::scenehost {
namespace {

// How gnuplot writes a reference to a shape, and the attributes around it.
constexpr std::string_view USE = "<use xlink:href='#";
constexpr std::string_view ID = " id='";
constexpr std::string_view COLOUR = " color='";
constexpr std::string_view GRID_CLASS = " class=\"gridline\"";
constexpr std::string_view RECT = "<rect ";
constexpr std::string_view NO_STROKE = " stroke='none'";

// The value of attribute `name` (" color='") in `element`, or "".
std::string_view attribute(std::string_view element, std::string_view name) {
  const std::size_t start = element.find(name);
  if (start == std::string_view::npos) return {};
  const std::size_t value = start + name.size();
  return element.substr(value, element.find('\'', value) - value);
}

std::string replaced(std::string text, std::string_view part, std::string_view by) {
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + by.size())) {
    text.replace(at, part.size(), by);
  }
  return text;
}

class Rewriter {
 public:
  // Learns the shapes that gnuplot defines, one to a line, in `defs`.
  explicit Rewriter(std::string_view defs) {
    for (std::size_t line = 0; line < defs.size();) {
      const std::size_t end = std::min(defs.find('\n', line), defs.size());
      std::string_view element = defs.substr(line, end - line);
      line = end + 1;
      element.remove_prefix(std::min(element.find('<'), element.size()));
      const std::string id(attribute(element, ID));
      if (id.empty()) continue;
      std::string shape(element);
      shape.erase(shape.find(ID), ID.size() + id.size() + 1);
      shapes_[id] = resolved(shape);
    }
  }

  // `text` with every coloured reference to a known shape replaced by the
  // shape, and the rest plain.
  std::string rewrite(std::string_view text) const {
    std::string result;
    result.reserve(text.size());
    std::size_t copied = 0;
    for (std::size_t at = text.find(USE); at != std::string_view::npos; at = text.find(USE, copied)) {
      const std::size_t end = text.find("/>", at);
      if (end == std::string_view::npos) break;
      const std::string_view use = text.substr(at, end + 2 - at);
      result += plain(text.substr(copied, at - copied));
      const std::string_view colour = attribute(use, COLOUR);
      result += colour.empty() ? std::string(use) : replaced(resolved(std::string(use)), "currentColor", colour);
      copied = end + 2;
    }
    return result += plain(text.substr(copied));
  }

 private:
  // A reference to a known shape as a group of the reference's other
  // attributes around the shape; anything else as it is.
  std::string resolved(const std::string& element) const {
    if (element.compare(0, USE.size(), USE) != 0) return element;
    const std::size_t nameEnd = element.find('\'', USE.size());
    const auto shape = shapes_.find(element.substr(USE.size(), nameEnd - USE.size()));
    const std::size_t end = element.rfind("/>");
    if (shape == shapes_.end() || nameEnd == std::string::npos || end == std::string::npos) return element;
    return "<g" + element.substr(nameEnd + 1, end - nameEnd - 1) + ">" + shape->second + "</g>";
  }

  // Without the grid lines' class, and with the stroke of a rectangle that
  // has none said outright (ImageMagick draws it in black: the background's
  // edge).
  static std::string plain(std::string_view text) {
    std::string result = replaced(std::string(text), GRID_CLASS, "");
    for (std::size_t at = result.find(RECT); at != std::string::npos; at = result.find(RECT, at + 1)) {
      const std::size_t end = result.find('>', at);
      if (end == std::string::npos) break;
      if (result.substr(at, end - at).find("stroke") == std::string::npos)
        result.insert(at + RECT.size() - 1, NO_STROKE);
    }
    return result;
  }

  std::map<std::string, std::string, std::less<>> shapes_;
};

}  // namespace

std::string portableSvg(const std::string& svg) {
  const std::size_t defs = std::min(svg.find("<defs>"), svg.size());
  return Rewriter(std::string_view(svg).substr(defs, svg.find("</defs>", defs) - defs)).rewrite(svg);
}

}  // namespace kv::scenehost
