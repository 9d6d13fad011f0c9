// The device list over recorded systems: a fake /proc and /sys tree whose volumes
// are real FAT images, and recorded disk-tool output.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <tuple>

#include "app/globals.h"
#include "devices/size_format.h"
#include "platform/diskutil_volumes.h"
#include "platform/linux_volumes.h"
#include "platform/shell_runner.h"
#include "platform/short_waits.h"
#include "support/loop_device.h"
#include "support/scan_harness.h"

using salvex::sector_count_text;
using salvex::image_sectors;

namespace {

namespace fs = std::filesystem;
using salvex::Outlet;
using salvex::test::TempFolder;

TEST(SizeFormat, UnitsOnlyAboveTwoToTheTenOfTheOneBelow) {
    for (const auto& [bytes, text] :
         {std::pair{"0", "0.00 bytes "}, {"512", "512.00 bytes "}, {"1024", "1024.00 bytes "}, {"1025", "1.00  KB "},
          {"1536", "1.50  KB "}, {"1048576", "1024.00  KB "}, {"1049600", "1.00  MB "}, {"17179869184", "16.00  GB "},
          {"2199023255553", "2.00  TB "}})
        EXPECT_EQ(getMPSize(bytes), text) << bytes;
    // A device is whole sectors; an image's tail counts as one more (read zero-padded).
    for (const auto& [bytes, sectors, image] : {std::tuple{"1000", "1", 2u}, {"511", "0", 1u}, {"1636", "3", 4u},
                                                {"1024", "2", 2u}, {"0", "0", 0u}}) {
        EXPECT_EQ(sector_count_text(bytes), sectors) << bytes;
        EXPECT_EQ(image_sectors(std::stoull(bytes)), image) << bytes;
    }
}

// A recorded Linux system: what is mounted, what sysfs says about each disk.
class RecordedSystem {
public:
    RecordedSystem() {
        for (const char* label : {"HOLIDAY", "SYSTEM", "IMAGE", "DISC", ""}) card(label);
        volume("8:17", "usb1/1-1/1-1:1.0/host6/target6:0:0/6:0:0:0/block/sdb/sdb1", true, "1");
        volume("8:2", "ata1/host0/target0:0:0/0:0:0:0/block/sda/sda2", true, "0");
        volume("7:0", "virtual/block/loop0", false, "0");
        volume("11:0", "ata2/host1/target1:0:0/1:0:0:0/block/sr0", false, "1");
        volume("179:1", "platform/mmc_host/mmc0/mmc0:0001/block/mmcblk0/mmcblk0p1", true, "0");  // SD slot
        volume("8:33", "usb2/2-1/2-1:1.0/host7/target7:0:0/7:0:0:0/block/sdc/sdc1", true, "1");
        dir.write("dev/fake-sdc1", "");
        fs::create_directories(dir / "dev/disk/by-label");
        fs::create_directory_symlink(dir / "dev/fake-sdc1", dir / "dev/disk/by-label/My\\x20Card");
        mounts_ =
            "30 27 8:17 / /media/anna/HOLIDAY rw,nosuid - vfat " + images_["HOLIDAY"] + " rw\n"
            "31 1 8:2 / / rw,relatime - ext4 " + images_["SYSTEM"] + " rw\n"
            "32 27 7:0 / /media/anna/IMAGE rw - vfat " + images_["IMAGE"] + " rw\n"
            "33 27 11:0 / /media/cdrom ro - iso9660 " + images_["DISC"] + " ro\n"
            "34 27 179:1 / /media/anna/SD\\040Card rw shared:5 - vfat " + images_[""] + " rw\n"
            "35 27 8:17 / /mnt/again rw - vfat " + images_["HOLIDAY"] + " rw\n"
            "36 27 0:50 / /tmp rw - tmpfs tmpfs rw\n"
            "37 27 8:33 / /media/anna/Other rw - vfat /dev/fake-sdc1 rw\n"
            "not a mountinfo line\n";
        dir.write("proc/self/mountinfo", mounts_);
    }
    void also_mount(const std::string& line) { dir.write("proc/self/mountinfo", mounts_ + line); }

    TempFolder dir;

private:
    void card(const std::string& label) {
        const std::string path = dir / ("images/" + (label.empty() ? std::string("nolabel") : label) + ".img");
        fs::create_directories(dir / "images");
        const std::string cmd = "mkfs.vfat -C -F 32 " + (label.empty() ? std::string() : "-n " + label) + " '" + path +
                                "' 34000 >/dev/null 2>&1";
        EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
        images_[label] = path;
    }
    void volume(const std::string& dev, const std::string& sys_path, bool partition, const std::string& removable) {
        const fs::path node = fs::path(dir.path()) / "sys/devices/pci0000:00" / sys_path;
        fs::create_directories(node);
        std::ofstream(node / "size") << "68000\n";
        const fs::path disk = partition ? node.parent_path() : node;
        if (partition) std::ofstream(node / "partition") << "1\n";
        std::ofstream(disk / "removable") << removable << "\n";
        fs::create_directories(dir / "sys/dev/block");
        fs::create_directory_symlink(node, dir / ("sys/dev/block/" + dev));
    }
    std::map<std::string, std::string> images_;
    std::string mounts_;
};

class DeviceList : public ::testing::Test {
protected:
    void SetUp() override {
        h.controller.volume_source = std::make_unique<salvex::platform::LinuxVolumeSource>(system.dir.path());
    }
    std::vector<std::string> identifiers() const {
        std::vector<std::string> ids;
        for (const auto& r : h.controller.nsMutaryOfDataObject) ids.push_back(r.nsStrDiskIdentifier);
        return ids;
    }
    RecordedSystem system;
    salvex::test::ScanHarness h;
};

TEST_F(DeviceList, HotPlugReadersAloneOrWithInternalDisksAndNeverImagesDiscsOrDuplicates) {
    USE_HARD_DISK = 0;
    h.controller.Reload_Drive_list_Function();
    EXPECT_EQ(identifiers(), (std::vector<std::string>{"sdb1", "mmcblk0p1", "sdc1"}));
    const auto& rows = h.controller.nsMutaryOfDataObject;
    EXPECT_EQ((std::vector{rows[0].nsStrVolName, rows[0].nsStrFileSystem, rows[0].nsStrParentDisk, rows[0].nsStrSize,
                           rows[0].nsStrSectors}),
              (std::vector<std::string>{"HOLIDAY", "MS-DOS (FAT32)", "sdb", "33.20  MB ", "68000"}));
    EXPECT_EQ((std::vector{rows[1].nsStrVolName, rows[1].nsStrParentDisk}), (std::vector<std::string>{"Untitled", "mmcblk0"}));
    EXPECT_EQ(rows[2].nsStrVolName, "My Card");  // from udev's links
    // The loading notice frames the work, and the table is told to look again.
    const auto& calls = h.view.calls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(std::vector(calls.end() - 3, calls.end()),
              (std::vector<std::string>{"drive_loading_notice shown", "reload idTableView", "drive_loading_notice gone"}));

    // Internal disks join when the edition lists them.
    USE_HARD_DISK = 1;
    h.controller.Reload_Drive_list_Function();
    USE_HARD_DISK = 0;
    EXPECT_EQ(identifiers(), (std::vector<std::string>{"sdb1", "sda2", "mmcblk0p1", "sdc1"}));
}

TEST_F(DeviceList, PrivatePathsAndVanishedVolumesAreLeftOut) {
    system.also_mount("38 27 8:33 / /private/var/x rw - vfat /dev/fake-sdc1 rw\n");
    USE_HARD_DISK = 0;
    h.controller.getVolumeToFSGetInfo();
    EXPECT_EQ(identifiers().size(), 3u);
    h.controller.find_disk_info("/media/anna/gone");
    EXPECT_EQ(identifiers().size(), 3u);
}

TEST_F(DeviceList, TableCellsByColumnIdentifierAndRowEdits) {
    h.controller.Reload_Drive_list_Function();
    EXPECT_EQ(h.controller.numberOfRowsInTableView(Outlet::idTableView), 3);
    EXPECT_EQ(h.controller.objectValueForTableColumn(Outlet::idTableView, "Collumn1", 0), "sdb1");
    EXPECT_EQ(h.controller.objectValueForTableColumn(Outlet::idTableView, "Collumn6", 0), "68000");
    EXPECT_EQ(h.controller.objectValueForTableColumn(Outlet::idTableView, "Column1", 0), "");
    EXPECT_EQ(h.controller.objectValueForTableColumn(Outlet::idTableView, "Collumn1", 9), "");
    h.view.select_row(Outlet::idTableView, 1);
    h.controller.deleteSelectedRow();
    EXPECT_EQ(identifiers(), (std::vector<std::string>{"sdb1", "sdc1"}));
    h.view.select_row(Outlet::idTableView, -1);
    h.controller.deleteSelectedRow();
    EXPECT_EQ(identifiers().size(), 2u);
}

TEST(DeviceListBadInput, NoVolumesAndUnreadableSysfsGiveRowsWithoutCrashing) {
    TempFolder empty;
    salvex::test::ScanHarness h;
    h.controller.volume_source = std::make_unique<salvex::platform::LinuxVolumeSource>(empty.path());
    h.controller.Reload_Drive_list_Function();
    EXPECT_TRUE(h.controller.nsMutaryOfDataObject.empty());  // no mountinfo at all

    RecordedSystem system;
    fs::remove(system.dir / "sys/devices/pci0000:00/usb1/1-1/1-1:1.0/host6/target6:0:0/6:0:0:0/block/sdb/sdb1/size");
    h.controller.volume_source = std::make_unique<salvex::platform::LinuxVolumeSource>(system.dir.path());
    USE_HARD_DISK = 0;
    h.controller.Reload_Drive_list_Function();
    ASSERT_FALSE(h.controller.nsMutaryOfDataObject.empty());
    EXPECT_EQ(h.controller.nsMutaryOfDataObject[0].nsStrDiskIdentifier, "sdb1");
    EXPECT_EQ(h.controller.nsMutaryOfDataObject[0].nsStrSize, "0.00 bytes ");
    EXPECT_EQ(h.controller.nsMutaryOfDataObject[0].nsStrSectors, "0");
}

TEST(Mountinfo, EscapesOptionalFieldsAndBrokenLines) {
    const auto entries = salvex::platform::parse_mountinfo(
        "34 27 179:1 / /media/a\\040b\\134c rw shared:5 master:2 - vfat /dev/mmcblk0p1 rw\n"
        "garbage\n"
        "1 2 3:4 / /x rw - ext4\n"
        "40 27 8:1 / /y rw - ext4 /dev/sda1 rw\n");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].mount_point, "/media/a b\\c");
    EXPECT_EQ(entries[0].major, 179u);
    EXPECT_EQ(entries[0].fs_type, "vfat");
    EXPECT_EQ(entries[1].source, "/dev/sda1");
    EXPECT_EQ(salvex::platform::readable_file_system("exfat", "1.0"), "ExFAT");
    EXPECT_EQ(salvex::platform::readable_file_system("ntfs3", ""), "NTFS");
}

TEST(Diskutil, RecordedOutputGivesTheSevenKeysAndGarbageGivesNothing) {
    const auto info = salvex::platform::volume_info_from_diskutil_plist(R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>BusProtocol</key><string>USB</string>
<key>DeviceIdentifier</key><string>disk4s1</string>
<key>FilesystemUserVisibleName</key><string>MS-DOS (FAT32)</string>
<key>IOKitSize</key><integer>15931539456</integer>
<key>ParentWholeDisk</key><string>disk4</string>
<key>VolumeName</key><string></string>
<key>Removable</key><true/>
</dict></plist>)");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->at("DeviceIdentifier"), "disk4s1");
    EXPECT_EQ(info->at("IOKitSize"), "15931539456");
    EXPECT_EQ(info->at("VolumeName"), "");
    EXPECT_EQ(info->count("OpticalDeviceType"), 0u);
    EXPECT_FALSE(salvex::platform::volume_info_from_diskutil_plist("Could not find disk: /Volumes/X"));
    EXPECT_FALSE(salvex::platform::volume_info_from_diskutil_plist("<plist><array/></plist>"));
}

TEST(ShellRunner, CollectsOutputAndErrorsToTheEnd) {
    using salvex::platform::executeShellCommandSynchronously;
    EXPECT_EQ(executeShellCommandSynchronously("echo out; echo err 1>&2"), "out\nerr\n");
    EXPECT_EQ(executeShellCommandSynchronously("true"), "");
    EXPECT_EQ(executeShellCommandSynchronously("cat"), "");  // input is at its end at once
    EXPECT_EQ(executeShellCommandSynchronously("head -c 300000 /dev/zero | tr '\\0' x").size(), 300000u);
    EXPECT_EQ(salvex::platform::taskForShellCommand("ls").arguments,
              (std::vector<std::string>{"/bin/sh", "-c", "ls"}));
}

// An image attached as a loop device and mounted is a disk image, never a card.
// (ext4 stands in for FAT here: the kernel of the test machines may lack vfat.)
TEST(LoopDevice, MountedImageIsSkippedAsADiskImage) {
    TempFolder dir;
    salvex::test::MountedExt4 card(dir, "card", "4M", "-L LOOPED");
    if (!card.skip_reason().empty()) GTEST_SKIP() << card.skip_reason();
    const std::string mount_point = card.mount_point();

    salvex::platform::LinuxVolumeSource real;
    const auto paths = real.mounted_paths(true);
    const bool listed_by_system = std::find(paths.begin(), paths.end(), mount_point) != paths.end();
    const auto info = real.query(mount_point);
    salvex::test::ScanHarness h;
    USE_HARD_DISK = 1;
    h.controller.Reload_Drive_list_Function();
    USE_HARD_DISK = 0;
    bool listed_by_us = false;
    for (const auto& r : h.controller.nsMutaryOfDataObject) listed_by_us = listed_by_us || r.nsStrVolName == "LOOPED";

    EXPECT_TRUE(listed_by_system);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->at("BusProtocol"), "Disk Image");
    EXPECT_EQ(info->at("VolumeName"), "LOOPED");
    EXPECT_EQ(info->at("FilesystemUserVisibleName"), "ext4");
    EXPECT_FALSE(listed_by_us);
}

}  // namespace

namespace {

// The scheduler's slice for the calling thread, where the kernel shows it; 0 elsewhere.
long slice_of_this_thread() {
    std::ifstream sched("/proc/thread-self/sched");
    for (std::string line; std::getline(sched, line);)
        if (line.starts_with("se.slice")) return std::stol(line.substr(line.find(':') + 1));
    return 0;
}

TEST(ShortWaits, TheInterfaceThreadAndWhatItStartsGetShortSlicesAndTheSearchTheDefault) {
    std::thread([] {
        const long before = slice_of_this_thread();
        salvex::platform::prefer_short_waits();
        if (before == 0 || slice_of_this_thread() == before)
            GTEST_SKIP() << "this kernel takes no slice length from a normal thread";
        EXPECT_EQ(slice_of_this_thread(), 1'000'000);
        long started = 0, search = 0;
        std::thread([&] { started = slice_of_this_thread(); }).join();
        std::thread([&] {
            salvex::platform::use_default_slices();
            search = slice_of_this_thread();
        }).join();
        EXPECT_EQ(started, 1'000'000);
        EXPECT_EQ(search, before);
    }).join();
}

}  // namespace
