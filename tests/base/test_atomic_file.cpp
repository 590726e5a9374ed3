#include <gtest/gtest.h>

#include <filesystem>

#include "base/AtomicFile.h"
#include "support/TempDir.h"

namespace wavelet {
namespace {

// Files of one run appear under their names only when the run's renames are done, so a
// crash before then leaves no partial file under a final name; a failure says why.
TEST(DeferredRenames, FilesAppearOnlyAtFinishAndFailuresCarryTheReason) {
  testing::TempDir dir;
  DeferredRenames renames;
  for (const char* name : {"a.png", "b.png"}) {
    AtomicFileWriter writer(dir.File(name), renames);
    writer.Write(name);
    EXPECT_TRUE(writer.Commit().Ok);
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("a.png")));
  EXPECT_EQ(renames.Pending(), 2u);
  EXPECT_TRUE(renames.Finish().Ok);
  EXPECT_EQ(testing::ReadAll(dir.File("a.png")), "a.png");
  EXPECT_EQ(testing::ReadAll(dir.File("b.png")), "b.png");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);

  AtomicFileWriter missing(dir.File("no/such/c.png"), renames);
  const Outcome failed = missing.Commit();
  EXPECT_FALSE(failed.Ok);
  EXPECT_EQ(failed.Kind, FailureKind::NotFound);
  EXPECT_EQ(failed.Message(), "Cannot write [" + dir.File("no/such/c.png") + "]: No such file or directory");
  EXPECT_EQ(renames.Pending(), 0u);
}

}  // namespace
}  // namespace wavelet
