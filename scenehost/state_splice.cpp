// SPDX-License-Identifier: MIT
#include "scenehost/state_splice.h"

#include <optional>
#include <ostream>
#include <vector>

#include "scenehost/errors.h"
#include "scenehost/text_file.h"

namespace kv::scenehost {
namespace {

using Json = nlohmann::ordered_json;

// Where a node object's entries are in the text.
struct NodeSpan {
  std::size_t open = 0;     // its '{'
  std::size_t lastEnd = 0;  // just after its last value, or after '{' when empty
  std::size_t lastKey = 0;  // its last key's opening quote
  bool empty = true;
  std::size_t stateBegin = 0;  // the "state" value, when stateEnd > 0
  std::size_t stateEnd = 0;
};

// Walks a text the JSON parser accepted, so it checks nothing.
class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}

  std::vector<NodeSpan> nodes() {
    std::vector<NodeSpan> spans;
    blanks();
    ++at_;  // '{'
    for (blanks(); text_[at_] != '}'; blanks()) {
      const std::string key = string();
      colon();
      if (key == "nodes" && text_[at_] == '[') {
        spans.clear();  // as the parser does, a repeated key counts last
        ++at_;
        for (blanks(); text_[at_] != ']'; blanks()) {
          if (text_[at_] == '{') {
            spans.push_back(node());
          } else {
            spans.emplace_back();  // not an object: the parser has refused it already
            skipValue();
          }
          comma();
        }
        ++at_;
      } else {
        skipValue();
      }
      comma();
    }
    return spans;
  }

 private:
  NodeSpan node() {
    NodeSpan span;
    span.open = at_++;
    span.lastEnd = at_;
    for (blanks(); text_[at_] != '}'; blanks()) {
      const std::size_t keyAt = at_;
      const std::string key = string();
      colon();
      const std::size_t valueAt = at_;
      skipValue();
      if (key == "state") {
        span.stateBegin = valueAt;
        span.stateEnd = at_;
      }
      span.empty = false;
      span.lastKey = keyAt;
      span.lastEnd = at_;
      comma();
    }
    ++at_;
    return span;
  }

  void blanks() {
    while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r'))
      ++at_;
  }
  void colon() {
    blanks();
    ++at_;
    blanks();
  }
  void comma() {
    blanks();
    if (text_[at_] == ',') ++at_;
  }

  // A string's raw contents; keys compared here hold no escapes.
  std::string string() {
    const std::size_t start = ++at_;
    while (text_[at_] != '"') at_ += text_[at_] == '\\' ? 2 : 1;
    return std::string(text_.substr(start, at_++ - start));
  }

  void skipValue() {
    const char c = text_[at_];
    if (c == '"') {
      string();
    } else if (c == '{' || c == '[') {
      const char close = c == '{' ? '}' : ']';
      ++at_;
      for (blanks(); text_[at_] != close; blanks()) {
        if (c == '{') {
          string();
          colon();
        }
        skipValue();
        comma();
      }
      ++at_;
    } else {
      while (at_ < text_.size() && text_.substr(at_, 1).find_first_of(",]} \t\r\n") == std::string_view::npos) ++at_;
    }
  }

  std::string_view text_;
  std::size_t at_ = 0;
};

// The blanks before the key at `keyAt` when it starts its line within its
// node, which opens at `open`, else nullopt. Looking no further back than the
// node keeps a scene written on one line from being searched once per node.
std::optional<std::string> lineIndent(std::string_view text, std::size_t open, std::size_t keyAt) {
  const std::string_view node = text.substr(open, keyAt - open);
  const std::size_t newline = node.rfind('\n');
  if (newline == std::string_view::npos) return std::nullopt;
  const std::string_view before = node.substr(newline + 1);
  if (before.find_first_not_of(" \t") != std::string_view::npos) return std::nullopt;
  return std::string(before);
}

}  // namespace

std::string writeSceneStates(const SceneFile& file, const std::map<std::size_t, Json>& states,
                             const std::string& target, std::ostream& out) {
  const std::string text = spliceStates(file.text, states, file.path);
  if (target == STANDARD_STREAM) {
    out << text;
    return "standard output";
  }
  writeFileAtomically(target, text);
  return target;
}

std::string oneLineJson(const Json& value) {
  std::string text;
  if (value.is_object()) {
    for (const auto& [key, member] : value.items()) {
      text += (text.empty() ? "{" : ", ") + Json(key).dump() + ": " + oneLineJson(member);
    }
    return text.empty() ? "{}" : text + "}";
  }
  if (value.is_array()) {
    for (const Json& element : value) text += (text.empty() ? "[" : ", ") + oneLineJson(element);
    return text.empty() ? "[]" : text + "]";
  }
  return value.dump();
}

std::string spliceStates(std::string_view text, const std::map<std::size_t, Json>& states,
                         const std::string& sourceName) {
  const std::vector<NodeSpan> spans = Scanner(text).nodes();
  std::string result(text);
  // From the end backwards, so that the positions still to use stay valid.
  for (auto it = states.rbegin(); it != states.rend(); ++it) {
    const NodeSpan& span = spans.at(it->first);
    if (span.stateEnd > 0) {
      result.replace(span.stateBegin, span.stateEnd - span.stateBegin, oneLineJson(it->second));
    } else if (span.empty) {
      result.insert(span.lastEnd, "\"state\": " + oneLineJson(it->second));
    } else {
      const std::optional<std::string> indent = lineIndent(text, span.open, span.lastKey);
      result.insert(span.lastEnd, (indent ? ",\n" + *indent : ", ") + "\"state\": " + oneLineJson(it->second));
    }
  }
  Json expected = parseJsonText(text, sourceName);
  for (const auto& [index, state] : states) expected["nodes"][index]["state"] = state;
  if (parseJsonText(result, sourceName) != expected) {
    throw SceneError(sourceName + ": cannot place the states in the text as written; nothing was written");
  }
  return result;
}

}  // namespace kv::scenehost
