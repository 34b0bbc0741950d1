// SPDX-License-Identifier: MIT
#include "scenehost/text_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <iterator>
#include <memory>

#include "scenehost/errors.h"
#include "scenehost/temporary_file.h"

namespace kv::scenehost {
namespace {

std::string systemError(const std::string& path, const char* what, int error) {
  return path + ": " + what + ": " + std::strerror(error);
}

// The parser's own text after its "parse error at line L, column C: " prefix.
std::string parseErrorReason(const nlohmann::json::parse_error& error) {
  const std::string message = error.what();
  const std::size_t column = message.find("column ");
  const std::size_t colon = message.find(": ", column == std::string::npos ? 0 : column);
  return colon == std::string::npos ? message : message.substr(colon + 2);
}

// Reads a document only to learn where its parser stopped: the offset at
// which the last token read starts, and that token.
class StopFinder : public nlohmann::json_sax<nlohmann::json> {
 public:
  std::size_t tokenStart = 0;
  std::string token;

  bool null() override { return true; }
  bool boolean(bool) override { return true; }
  bool number_integer(number_integer_t) override { return true; }
  bool number_unsigned(number_unsigned_t) override { return true; }
  bool number_float(number_float_t, const string_t&) override { return true; }
  bool string(string_t&) override { return true; }
  bool binary(binary_t&) override { return true; }
  bool start_object(std::size_t) override { return true; }
  bool key(string_t&) override { return true; }
  bool end_object() override { return true; }
  bool start_array(std::size_t) override { return true; }
  bool end_array() override { return true; }
  bool parse_error(std::size_t position, const std::string& lastToken, const nlohmann::json::exception&) override {
    token = lastToken;
    tokenStart = position >= lastToken.size() ? position - lastToken.size() : 0;
    return false;
  }
};

std::string atLine(const std::string& sourceName, TextPosition where) {
  return sourceName + ": line " + std::to_string(where.line) + ", column " + std::to_string(where.column) + ": ";
}

}  // namespace

TextPosition textPosition(std::string_view text, std::size_t offset) {
  offset = std::min(offset, text.size());
  const std::string_view before = text.substr(0, offset);
  const std::size_t line = 1 + static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n'));
  const std::size_t lineStart = before.rfind('\n');
  const std::size_t column = lineStart == std::string_view::npos ? offset + 1 : offset - lineStart;
  return {line, column};
}

std::string readTextFile(const std::string& path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) throw SceneError(systemError(path, "cannot read", errno));
  std::string text;
  char buffer[65536];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) text.append(buffer, got);
  if (std::ferror(file.get())) throw SceneError(systemError(path, "cannot read", errno));
  return text;
}

std::string readStandardInput() {
  std::string text(std::istreambuf_iterator<char>(std::cin), {});
  if (std::cin.bad()) throw SceneError(systemError("(standard input)", "cannot read", errno));
  return text;
}

nlohmann::ordered_json parseJsonText(std::string_view text, const std::string& sourceName) {
  try {
    return nlohmann::ordered_json::parse(text);
  } catch (const nlohmann::json::parse_error& error) {
    // `byte` counts from 1 and names the character the parser stopped at.
    const TextPosition where = textPosition(text, error.byte == 0 ? 0 : error.byte - 1);
    throw SceneError(atLine(sourceName, where) + "malformed JSON: " + parseErrorReason(error));
  } catch (const nlohmann::json::out_of_range&) {
    // Well-formed, but a number no double holds (1e309): the parser names no
    // place, so a second reading finds it.
    StopFinder finder;
    nlohmann::json::sax_parse(text, &finder);
    throw SceneError(atLine(sourceName, textPosition(text, finder.tokenStart)) + "the number " + finder.token +
                     " is beyond the range of a double (about 1.8e308)");
  }
}

void writeFileAtomically(const std::string& path, std::string_view contents) {
  TemporaryFile temporary(path);
  temporary.write(contents);
  temporary.replaceTarget();
}

}  // namespace kv::scenehost
