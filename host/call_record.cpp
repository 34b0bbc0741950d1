// SPDX-License-Identifier: MIT
#include "host/call_record.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <utility>

namespace kv::host {

void CallRecord::keepOnly(std::string_view operation) {
  kept_ = operation;
  keep_.store(Keep::One, std::memory_order_relaxed);
}

void CallRecord::add(std::string entry) {
  if (!keeps(std::string_view(entry).substr(0, entry.find(' ')))) return;
  std::lock_guard lock(mutex_);
  entries_.push_back(std::move(entry));
}

void CallRecord::append(std::string_view operation, const std::string& arguments) {
  std::string entry(operation);
  if (!arguments.empty()) entry.append(" ").append(arguments);
  std::lock_guard lock(mutex_);
  entries_.push_back(std::move(entry));
}

void CallRecord::clear() {
  std::lock_guard lock(mutex_);
  entries_.clear();
}

std::vector<std::string> CallRecord::entries() const {
  std::lock_guard lock(mutex_);
  return entries_;
}

std::size_t CallRecord::size() const {
  std::lock_guard lock(mutex_);
  return entries_.size();
}

std::size_t CallRecord::count(std::string_view prefix) const {
  std::lock_guard lock(mutex_);
  return static_cast<std::size_t>(std::count_if(entries_.begin(), entries_.end(), [&](const std::string& entry) {
    return std::string_view(entry).starts_with(prefix);
  }));
}

std::vector<std::string> CallRecord::matching(std::string_view prefix) const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> found;
  for (const std::string& entry : entries_) {
    if (std::string_view(entry).starts_with(prefix)) found.push_back(entry);
  }
  return found;
}

bool CallRecord::contains(std::string_view entry) const {
  std::lock_guard lock(mutex_);
  return std::find(entries_.begin(), entries_.end(), entry) != entries_.end();
}

std::string hexId(std::uint32_t id) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(id));
  return text;
}

std::string formatDouble(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string fourCharacters(std::uint32_t id) {
  std::string text(4, ' ');
  for (int i = 0; i < 4; ++i) text[static_cast<std::size_t>(i)] = static_cast<char>((id >> (24 - 8 * i)) & 0xFF);
  return text;
}

}  // namespace kv::host
