// SPDX-License-Identifier: MIT
// Loads a built module file the way the host does: opens the library, reads
// its exported descriptor `_mod_descrip`, checks the synchronisation word,
// calls start-up and reads the server table with each server's tags. The
// destructor calls shut-down and closes the library.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "contract/host_api.h"

namespace kv::host {

// Any failure to load a module; the message names the file.
class ModuleLoadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct ServerInfo {
  struct Tag {
    std::string text;
    std::uint32_t tag;
  };

  std::string className;
  std::string name;
  ActivateFunc activate = nullptr;
  bool hasTagList = false;  // false when the record's tag pointer is null
  std::vector<Tag> tags;    // in table order

  std::optional<std::string> tag(std::uint32_t wanted) const;  // the first text tagged `wanted`
};

class LoadedModule {
 public:
  explicit LoadedModule(std::string path);  // throws ModuleLoadError
  ~LoadedModule();
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  const std::string& path() const { return path_; }
  const ModuleDescriptor& descriptor() const { return *descriptor_; }
  void* startupData() const { return startupData_; }
  // The open library, as the system's loader knows it.
  void* library() const { return library_; }
  const std::vector<ServerInfo>& servers() const { return servers_; }
  // The server of that class and name, or null.
  const ServerInfo* find(std::string_view className, std::string_view name) const;

 private:
  void close() noexcept;

  std::string path_;
  void* library_ = nullptr;
  const ModuleDescriptor* descriptor_ = nullptr;
  void* startupData_ = nullptr;
  std::vector<ServerInfo> servers_;
};

}  // namespace kv::host
