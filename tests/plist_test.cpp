#include <gtest/gtest.h>

#include "platform/plist.h"

namespace {

using salvex::parse_plist;

// Shaped like what the macOS disk tool prints for a mounted card.
const char* kDiskInfo = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>BusProtocol</key>
	<string>USB</string>
	<key>DeviceIdentifier</key>
	<string>disk4s1</string>
	<key>IOKitSize</key>
	<integer>31914983424</integer>
	<key>Internal</key>
	<false/>
	<key>Removable</key>
	<true/>
	<!-- a comment between entries -->
	<key>VolumeName</key>
	<string>Ferien &amp; Familie &#x1F4F7;</string>
	<key>Empty</key>
	<string/>
	<key>Partitions</key>
	<array>
		<dict><key>Size</key><integer>-1</integer></dict>
		<string>second</string>
	</array>
</dict>
</plist>
)";

TEST(Plist, ReadsScalarsNestingAndEntities) {
    const auto root = parse_plist(kDiskInfo);
    ASSERT_TRUE(root.has_value());
    EXPECT_EQ(salvex::plist_string(*root, "DeviceIdentifier"), "disk4s1");
    EXPECT_EQ(salvex::plist_string(*root, "VolumeName"), "Ferien & Familie \xF0\x9F\x93\xB7");
    EXPECT_EQ(salvex::plist_string(*root, "Empty"), "");
    EXPECT_EQ(salvex::plist_string(*root, "IOKitSize"), std::nullopt);  // not a string
    const auto& dict = *root->as_dict();
    EXPECT_EQ(*dict.at("IOKitSize").as_integer(), 31914983424);
    EXPECT_FALSE(*dict.at("Internal").as_bool());
    EXPECT_TRUE(*dict.at("Removable").as_bool());
    const auto& parts = *dict.at("Partitions").as_array();
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(*parts[0].as_dict()->at("Size").as_integer(), -1);
    EXPECT_EQ(*parts[1].as_string(), "second");
}

TEST(Plist, MalformedTextReadsAsNothing) {
    const char* bad[] = {
        "",
        "not xml at all",
        "<plist><dict><key>A</key><string>x</string></plist>",          // dict never closed
        "<plist><dict><key>A</key></dict></plist>",                      // key without value
        "<plist><dict><string>x</string></dict></plist>",                // value without key
        "<plist><integer>12a</integer></plist>",
        "<plist><string>a &bogus; b</string></plist>",
        "<plist><string>a <b>bold</b></string></plist>",
        "<plist><string>x</string></plist> trailing",
        "<plist><unknown/></plist>",
        "<plist><string>never closed",
        "<?xml version",                      // the prolog never ends
        "<plist><dict><!-- never closed",
        "<plist><array><true/",
    };
    for (const char* text : bad) EXPECT_FALSE(parse_plist(text).has_value()) << text;
}

TEST(Plist, DeepNestingIsRefusedNotFollowed) {
    std::string deep = "<plist>";
    for (int i = 0; i < 10000; ++i) deep += "<array>";
    for (int i = 0; i < 10000; ++i) deep += "</array>";
    deep += "</plist>";
    EXPECT_FALSE(parse_plist(deep).has_value());
}

}  // namespace
