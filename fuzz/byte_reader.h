// SPDX-License-Identifier: MIT
// Reads a fuzz input from the front as a stream of small choices and raw
// values. Past the end every read yields zeros, so any input decodes fully and
// short inputs stay meaningful; seed files are easy to write by hand.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>

namespace kv::fuzz {

class ByteReader {
 public:
  ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool empty() const { return position_ >= size_; }

  std::uint8_t byte() { return empty() ? 0 : data_[position_++]; }

  // One of n choices (n > 0) from one byte.
  unsigned choice(unsigned n) { return byte() % n; }

  // The next sizeof(T) bytes as T, little end first; missing bytes are zeros.
  template <typename T>
  requires std::is_trivially_copyable_v<T> T raw() {
    unsigned char bytes[sizeof(T)] = {};
    for (unsigned char& b : bytes) b = byte();
    T value;
    std::memcpy(&value, bytes, sizeof(T));
    return value;
  }

  // A length byte (at most `maxLength`), then that many bytes.
  std::string text(std::size_t maxLength) {
    const std::size_t length = byte() % (maxLength + 1);
    std::string out;
    for (std::size_t i = 0; i < length && !empty(); ++i) out.push_back(static_cast<char>(byte()));
    return out;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t position_ = 0;
};

}  // namespace kv::fuzz
