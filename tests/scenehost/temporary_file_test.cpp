// SPDX-License-Identifier: MIT
#include "scenehost/temporary_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <iterator>

#include "scenehost/errors.h"
#include "scenehost_fixture.h"

namespace kv::scenehost::testing {
namespace {

namespace fs = std::filesystem;

class TemporaryFileTest : public ScenehostTest {
 protected:
  std::size_t filesInFolder() const { return std::distance(fs::directory_iterator(path("")), {}); }
};

TEST_F(TemporaryFileTest, ReplacesAnExistingTargetOnlyWhenAskedTo) {
  const std::string target = write("scene.json", "old");
  TemporaryFile temporary(target);
  EXPECT_EQ(fs::path(temporary.path()).parent_path(), fs::path(target).parent_path());  // beside it
  temporary.write("new contents");
  EXPECT_EQ(read(target), "old");
  EXPECT_EQ(read(temporary.path()), "new contents");
  temporary.replaceTarget();
  EXPECT_EQ(read(target), "new contents");
  EXPECT_EQ(filesInFolder(), 1u);
}

TEST_F(TemporaryFileTest, AbandonedFileIsRemoved) {
  const std::string target = write("scene.json", "old");
  {
    TemporaryFile first(target);
    TemporaryFile second(target);
    EXPECT_NE(first.path(), second.path());
    second.write("never used");
    EXPECT_EQ(filesInFolder(), 3u);
  }
  EXPECT_EQ(filesInFolder(), 1u);
  EXPECT_EQ(read(target), "old");
}

TEST_F(TemporaryFileTest, NoFolderIsAnErrorNamingTheTarget) {
  const std::string target = path("missing/out.json");
  try {
    TemporaryFile temporary(target);
    FAIL() << "created " << temporary.path();
  } catch (const SceneError& error) {
    EXPECT_EQ(std::string(error.what()).rfind(target + ": cannot write: ", 0), 0u) << error.what();
  }
}

// The replaced file gets the permissions any new file gets under the umask.
TEST_F(TemporaryFileTest, NewFileTakesThePermissionsTheUmaskAllows) {
  const mode_t saved = ::umask(027);
  const std::string target = path("picture.svg");
  {
    TemporaryFile temporary(target);
    temporary.write("<svg/>");
    temporary.replaceTarget();
  }
  ::umask(saved);
  EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

}  // namespace
}  // namespace kv::scenehost::testing
