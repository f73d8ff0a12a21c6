#include "core/memory_env.h"

#include <string>

#include "core/error.h"
#include "gtest/gtest.h"

namespace sarvilax {
namespace {

TEST(MemoryEnvTest, BehavesLikeADisk) {
  MemoryEnv env;
  env.SetFile("data/VARNU.004", "0123456789");
  auto reader = env.OpenShared("data/VARNU.004");
  env.File("data/VARNU.004").resize(4);  // the file shrinks while open
  char buffer[10];
  EXPECT_EQ(reader->ReadAt(2, 10, buffer), 2u);
  EXPECT_EQ(reader->ReadAt(8, 10, buffer), 0u);

  // A file created anew leaves earlier handles on the old content.
  env.SetFile("Sarvilax.Dat", "old");
  auto old_handle = env.OpenShared("Sarvilax.Dat");
  env.CreateWorkFile("Sarvilax.Dat")->WriteAt(2, "x");
  EXPECT_EQ(env.File("Sarvilax.Dat"), std::string("\0\0x", 3));
  EXPECT_EQ(old_handle->Length(), 3);

  env.SetFile("/srv/kassa/varnu.001", "");
  EXPECT_EQ(env.ListDirectory(""), (std::vector<std::string>{"Sarvilax.Dat", "data"}));
  EXPECT_EQ(env.ListDirectory("data/"), std::vector<std::string>{"VARNU.004"});
  EXPECT_EQ(env.ListDirectory("/srv/kassa"), std::vector<std::string>{"varnu.001"});

  env.DeleteFile("Sarvilax.Dat");
  env.DeleteFile("Sarvilax.Dat");
  EXPECT_FALSE(env.FileExists("Sarvilax.Dat"));
  EXPECT_THROW(env.OpenShared("Sarvilax.Dat"), Error);
  EXPECT_THROW(env.ReadWholeFile("Sarvilax.Dat"), Error);

  env.Settings().Write("Kvartolin Oy", "Tilasto", "SarvilaxKK", "2026-11-30");
  EXPECT_EQ(env.SettingValues()["Kvartolin Oy/Tilasto/SarvilaxKK"], "2026-11-30");
  EXPECT_EQ(env.Settings().Read("Kvartolin Oy", "Asiakas", "Datat", "none"), "none");
}

}  // namespace
}  // namespace sarvilax
