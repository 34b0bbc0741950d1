// SPDX-License-Identifier: MIT
#include "host/module_loader.h"

#include <gtest/gtest.h>

#include <string>

namespace kv::host {
namespace {

std::string loadError(const std::string& path) {
  try {
    LoadedModule module(path);
  } catch (const ModuleLoadError& error) {
    return error.what();
  }
  return "";
}

TEST(ModuleLoaderTest, LibraryWithoutDescriptorFailsNamingTheFile) {
  // A system library that is certainly no module.
#ifdef _WIN32
  const std::string library = "kernel32.dll";
#else
  const std::string library = "libm.so.6";
#endif
  const std::string message = loadError(library);
  EXPECT_NE(message.find(library), std::string::npos) << message;
  EXPECT_NE(message.find("_mod_descrip"), std::string::npos) << message;
}

TEST(ModuleLoaderTest, UnreadableFileFailsNamingTheFile) {
  const std::string message = loadError("/nonexistent/KV_Info_Node.so");
  EXPECT_NE(message.find("cannot load module /nonexistent/KV_Info_Node.so"), std::string::npos) << message;
}

TEST(ModuleLoaderTest, ReadsTheServerTableWithTags) {
  LoadedModule module(KV_MODULE_PATH);
  EXPECT_EQ(module.descriptor().sync, DESCRIPTOR_SYNC);
  EXPECT_NE(module.startupData(), nullptr);
  ASSERT_FALSE(module.servers().empty());

  const ServerInfo* rotation = module.find("NodeHandler", "KvI_ITEMWR");
  ASSERT_NE(rotation, nullptr);
  EXPECT_NE(rotation->activate, nullptr);
  ASSERT_TRUE(rotation->hasTagList);
  ASSERT_EQ(rotation->tags.size(), 3u);
  EXPECT_EQ(rotation->tag(TAG_USER_NAME), "Item WRot");
  EXPECT_EQ(rotation->tag(TAG_MENU_GROUP), "ZiZuze/Info/Item");
  EXPECT_EQ(rotation->tag(TAG_ALL), "All");
  EXPECT_EQ(rotation->tag(0x1234), std::nullopt);

  const ServerInfo* panel = module.find("NodeInterface", "KvI_BONEMX");
  ASSERT_NE(panel, nullptr);
  EXPECT_FALSE(panel->hasTagList);
  EXPECT_TRUE(panel->tags.empty());
  EXPECT_EQ(module.find("NodeInterface", "KvI_NOPE"), nullptr);
  EXPECT_EQ(module.find("NodeFilter", "KvI_ITEM"), nullptr);
}

}  // namespace
}  // namespace kv::host
