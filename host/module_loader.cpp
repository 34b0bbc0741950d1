// SPDX-License-Identifier: MIT
#include "host/module_loader.h"

#include <cstdio>
#include <utility>

#include "host/shared_library.h"

namespace kv::host {
namespace {

// A table without its terminator would otherwise be read without end.
constexpr std::size_t MAX_SERVERS = 4096;
constexpr std::size_t MAX_TAGS = 256;

std::string hex(std::uint32_t value) {
  char text[11];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
  return text;
}

ServerInfo readServer(const ServerRecord& record, const std::string& path) {
  ServerInfo server;
  server.className = record.className ? record.className : "";
  server.name = record.name ? record.name : "";
  server.activate = record.activate;
  server.hasTagList = record.tags != nullptr;
  if (record.tags) {
    std::size_t count = 0;
    for (const ServerTag* tag = record.tags; tag->text || tag->tag != 0; ++tag) {
      if (++count > MAX_TAGS) throw ModuleLoadError(path + ": tag list of server \"" + server.name + "\" has no end");
      server.tags.push_back({tag->text ? tag->text : "", tag->tag});
    }
  }
  return server;
}

}  // namespace

std::optional<std::string> ServerInfo::tag(std::uint32_t wanted) const {
  for (const Tag& entry : tags) {
    if (entry.tag == wanted) return entry.text;
  }
  return std::nullopt;
}

LoadedModule::LoadedModule(std::string path) : path_(std::move(path)) {
  library_ = openLibrary(path_);
  if (!library_) throw ModuleLoadError("cannot load module " + path_ + ": " + lastLibraryError());
  try {
    descriptor_ = static_cast<const ModuleDescriptor*>(findSymbol(library_, DESCRIPTOR_SYMBOL));
    if (!descriptor_) {
      throw ModuleLoadError(path_ + " is not a module: it has no descriptor " + DESCRIPTOR_SYMBOL);
    }
    if (descriptor_->sync != DESCRIPTOR_SYNC) {
      throw ModuleLoadError(path_ + ": descriptor synchronisation word is " + hex(descriptor_->sync) + ", expected " +
                            hex(DESCRIPTOR_SYNC));
    }
    if (!descriptor_->startup) throw ModuleLoadError(path_ + ": descriptor has no start-up function");
    startupData_ = descriptor_->startup();
    if (!startupData_) throw ModuleLoadError(path_ + ": start-up failed");
    for (const ServerRecord* record = descriptor_->servers;
         record && (record->className || record->name || record->activate || record->tags); ++record) {
      if (servers_.size() == MAX_SERVERS) throw ModuleLoadError(path_ + ": server table has no end");
      servers_.push_back(readServer(*record, path_));
    }
  } catch (...) {
    close();
    throw;
  }
}

LoadedModule::~LoadedModule() { close(); }

void LoadedModule::close() noexcept {
  if (startupData_ && descriptor_->shutdown) descriptor_->shutdown(startupData_);
  startupData_ = nullptr;
  if (library_) closeLibrary(library_);
  library_ = nullptr;
}

const ServerInfo* LoadedModule::find(std::string_view className, std::string_view name) const {
  for (const ServerInfo& server : servers_) {
    if (server.className == className && server.name == name) return &server;
  }
  return nullptr;
}

}  // namespace kv::host
