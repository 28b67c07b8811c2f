#include <gtest/gtest.h>
#include <sys/mount.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "OpticalDisc.h"
#include "PosixTestFiles.h"
#include "TempDir.h"

namespace {

// A mount table as the kernel writes /proc/self/mountinfo.
const char* const kTable =
    "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
    "30 22 8:2 / /home rw,relatime shared:2 - ext4 /dev/sda2 rw\n"
    "40 22 11:0 / /media/cdrom ro,relatime shared:9 - iso9660 /dev/sr0 ro,nojoliet\n"
    "41 22 11:1 / /media/dvd ro,relatime - udf /dev/sr1 ro\n"
    "42 22 11:2 / /media/odd ro,relatime shared:10 master:3 - squashfs /dev/sr2 ro\n"
    "43 22 7:0 / /mnt/image ro - iso9660 /dev/loop0 ro\n"
    "44 22 8:17 / /media/usb\\040stick rw - vfat /dev/sdb1 rw\n"
    "45 22 11:0 / /media/my\\040disc ro - iso9660 /dev/sr0 ro\n"
    "46 43 0:50 / /mnt/image/scratch rw - tmpfs tmpfs rw\n"
    "47 22 0:51 / /media/cd rw - tmpfs tmpfs rw\n"
    "48 22 11:0 / /srv/over ro - iso9660 /dev/sr0 ro\n"
    "49 48 8:3 / /srv/over rw - ext4 /dev/sda3 rw\n"
    "not a mount line\n";

struct DiscCase {
  const char* name;
  const char* path;
  bool optical;
  const char* root;
};

class OpticalDisc : public ::testing::TestWithParam<DiscCase> {};

TEST_P(OpticalDisc, FindsTheMountHoldingThePath) {
  const DiscCase& c = GetParam();
  std::string root = "left over";
  EXPECT_EQ(LiesOnOpticalDiscIn(kTable, c.path, &root), c.optical);
  EXPECT_EQ(root, c.root);
}

INSTANTIATE_TEST_SUITE_P(
    Table, OpticalDisc,
    ::testing::Values(DiscCase{"Iso9660", "/media/cdrom/music/track01.mp3", true, "/media/cdrom"},
                      DiscCase{"Udf", "/media/dvd/a.mp3", true, "/media/dvd"},
                      DiscCase{"SrDeviceOfAnyType", "/media/odd/a.mp3", true, "/media/odd"},
                      DiscCase{"IsoImageOnLoopDevice", "/mnt/image/a.mp3", true, "/mnt/image"},
                      DiscCase{"MountPointItself", "/media/cdrom", true, "/media/cdrom"},
                      DiscCase{"Ext4Root", "/tmp/a.mp3", false, ""}, DiscCase{"Ext4Home", "/home/u/a.mp3", false, ""},
                      DiscCase{"EscapedBlankNotOptical", "/media/usb stick/a.mp3", false, ""},
                      DiscCase{"EscapedBlankOptical", "/media/my disc/a b.mp3", true, "/media/my disc"},
                      DiscCase{"NestedWritableMountOnDisc", "/mnt/image/scratch/a.mp3", false, ""},
                      DiscCase{"PrefixIsNotAComponent", "/media/cdrom2/a.mp3", false, ""},
                      DiscCase{"ShorterNameNotOptical", "/media/cd/a.mp3", false, ""},
                      DiscCase{"LaterMountOnSamePointHidesDisc", "/srv/over/a.mp3", false, ""},
                      DiscCase{"DotsAndDoubleSlashes", "/media//x/../cdrom/./a.mp3", true, "/media/cdrom"},
                      DiscCase{"RelativePathIsNoAnswer", "media/cdrom/a.mp3", false, ""}),
    [](const ::testing::TestParamInfo<DiscCase>& info) { return info.param.name; });

TEST(OpticalDiscLive, FilesOfThisMachineAreNotOnADiscUnlessMountedSo) {
  std::string root = "x";
  // The test folder lies on a hard disk or tmpfs here; /proc is no disc either.
  EXPECT_FALSE(LiesOnOpticalDisc("/proc/self/mountinfo", &root));
  EXPECT_EQ(root, "");
  EXPECT_FALSE(LiesOnOpticalDisc("relative/name.mp3", nullptr));
}

// A tmpfs mounted with a /dev/sr* source name stands for a disc in the real
// mount table; its mount point has a blank, which the table escapes.
TEST(OpticalDiscLive, MountedDiscIsFoundThroughLinksAndRelativeNames) {
  TempDir dir;
  ASSERT_TRUE(dir.Ok());
  const std::string point = dir / "my disc";
  ASSERT_TRUE(std::filesystem::create_directory(point));
  if (mount("/dev/sr7", point.c_str(), "tmpfs", 0, nullptr) != 0) GTEST_SKIP() << "mounting is refused here";
  MountGuard unmount{point};
  ASSERT_TRUE(WriteFileBytes(point + "/a.mp3", "x"));
  std::filesystem::create_directory_symlink(point, dir / "link");

  std::string root;
  EXPECT_TRUE(LiesOnOpticalDisc(point + "/a.mp3", &root));
  EXPECT_EQ(root, std::filesystem::canonical(point).string());
  EXPECT_TRUE(LiesOnOpticalDisc(dir / "link/a.mp3", &root));
  EXPECT_TRUE(LiesOnOpticalDisc(point + "/not yet there.mp3", &root));
  EXPECT_FALSE(LiesOnOpticalDisc(dir / "beside.mp3", &root));

  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(point);
  EXPECT_TRUE(LiesOnOpticalDisc("a.mp3", &root));
  std::filesystem::current_path(cwd);
}

TEST(OpticalDiscLive, EmptyTableKnowsNoDisc) { EXPECT_FALSE(LiesOnOpticalDiscIn("", "/media/cdrom/a.mp3", nullptr)); }

}  // namespace
