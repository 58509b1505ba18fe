// A file opened beside its folder for its bytes is the file examined there:
// no link is followed and a file replaced after its examination is refused.
#include <gtest/gtest.h>
#include <stdio.h>
#include <unistd.h>

#include "platform/crc32.h"
#include "platform/file_descriptor.h"
#include "platform/file_facts.h"
#include "platform/sha256.h"
#include "support/temp_dir.h"

namespace tallyfold {
namespace {

using test::TempDir;

TEST(FileOpeningBesideFolder, OnlyTheFileExaminedIsOpenedAndNoLinkIsFollowed) {
  TempDir dir;
  dir.writeFile("loc/listed.txt", "123456789");
  dir.writeFile("outside/secret.txt", "secret");
  ASSERT_EQ(symlink((dir / "outside/secret.txt").c_str(), (dir / "loc/link.txt").c_str()), 0);
  FolderHandle folder;
  ASSERT_EQ(folder.open(dir / "loc"), 0);

  FileFacts listed;
  ASSERT_EQ(examineIn(folder.fd(), "listed.txt", listed), 0);
  EXPECT_TRUE(listed.isRegular);
  EXPECT_FALSE(listed.isLink);
  {
    FileDescriptor file(openForReadingIn(folder.fd(), "listed.txt", listed));
    ASSERT_GE(file.get(), 0);
    EXPECT_EQ(crc32OfOpenFile(file.get()).crc, 0xCBF43926u);
  }

  // A link is described as what it leads to, but its bytes are not read.
  FileFacts link;
  ASSERT_EQ(examineIn(folder.fd(), "link.txt", link), 0);
  EXPECT_TRUE(link.isLink);
  EXPECT_FALSE(link.isRegular);
  EXPECT_EQ(link.size, 6u);
  EXPECT_EQ(openForReadingIn(folder.fd(), "link.txt", link), -kFileChangedError);
  const Sha256Reading linkDigest = sha256OfFileIn(folder.fd(), "link.txt", nullptr);
  EXPECT_FALSE(linkDigest.digest.has_value());
  EXPECT_EQ(linkDigest.error, 0);

  // Replaced by a link, or by another file, after it was examined.
  ASSERT_EQ(rename((dir / "loc/listed.txt").c_str(), (dir / "loc/away.txt").c_str()), 0);
  ASSERT_EQ(symlink((dir / "outside/secret.txt").c_str(), (dir / "loc/listed.txt").c_str()), 0);
  EXPECT_EQ(openForReadingIn(folder.fd(), "listed.txt", listed), -kFileChangedError);
  ASSERT_EQ(unlink((dir / "loc/listed.txt").c_str()), 0);
  dir.writeFile("loc/listed.txt", "123456789");
  EXPECT_EQ(openForReadingIn(folder.fd(), "listed.txt", listed), -kFileChangedError);
  ASSERT_EQ(unlink((dir / "loc/listed.txt").c_str()), 0);
  EXPECT_EQ(openForReadingIn(folder.fd(), "listed.txt", listed), -ENOENT);
}

}  // namespace
}  // namespace tallyfold
