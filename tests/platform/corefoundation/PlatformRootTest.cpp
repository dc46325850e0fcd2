#include <CoreFoundation/CoreFoundation.h>

#include "FileFixtureSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using orvo_test::Text;

class PlatformRoot : public testing::Test {
protected:
    void TearDown() override { OrvoPlatformSetRootDirectory(nullptr); }
};

TEST_F(PlatformRoot, DefaultsToTheStagedRoot) {
    CFStringRef root = OrvoPlatformCopyRootDirectory();
    std::string expected = ORVO_STAGED_ROOT;
    while (expected.size() > 1 && expected.back() == '/')
        expected.pop_back();
    EXPECT_EQ(Text(root), expected);
    CFRelease(root);
}

TEST_F(PlatformRoot, OnlyPathsBeginningWithLibrarySlashMoveBelowTheRoot) {
    OrvoPlatformSetRootDirectory("/srv/orvo-root///");
    CFStringRef root = OrvoPlatformCopyRootDirectory();
    EXPECT_EQ(Text(root), "/srv/orvo-root");
    CFRelease(root);

    const std::pair<const char*, const char*> cases[] = {
        {"/Library/Printers/Tarvel/Orvo/Orvo.framework",
         "/srv/orvo-root/Library/Printers/Tarvel/Orvo/Orvo.framework"},
        {"/Library/", "/srv/orvo-root/Library/"},
        {"/Library", "/Library"},                   // the folder itself is not below "/Library/"
        {"/library/Printers", "/library/Printers"}, // case matters
        {"/LibraryX/a", "/LibraryX/a"},
        {"Library/Printers", "Library/Printers"}, // relative
        {"/tmp/Library/Printers", "/tmp/Library/Printers"},
        {"", ""},
    };
    for (const auto& [path, resolved] : cases)
        EXPECT_EQ(OrvoPlatformResolvePath(path), resolved) << path;

    EXPECT_EQ(OrvoPlatformDriverPathForFile("/srv/orvo-root/Library/Printers/x"),
              "/Library/Printers/x");
    EXPECT_EQ(OrvoPlatformDriverPathForFile("/srv/orvo-root/Libraryx"), "/srv/orvo-root/Libraryx");
    EXPECT_EQ(OrvoPlatformDriverPathForFile("/srv/orvo-rooted/Library/x"),
              "/srv/orvo-rooted/Library/x");
}

TEST_F(PlatformRoot, SlashRootMapsPathsOntoThemselvesAndRelativeRootsAreRefused) {
    OrvoPlatformSetRootDirectory("/");
    EXPECT_EQ(OrvoPlatformResolvePath("/Library/Printers/x"), "/Library/Printers/x");
    CFStringRef root = OrvoPlatformCopyRootDirectory();
    EXPECT_EQ(Text(root), "/");
    CFRelease(root);

    testing::internal::CaptureStderr();
    OrvoPlatformSetRootDirectory("relative/root");
    std::string error = testing::internal::GetCapturedStderr();
    EXPECT_NE(error.find("not an absolute path"), std::string::npos) << error;
    EXPECT_EQ(OrvoPlatformResolvePath("/Library/x"), "/Library/x"); // unchanged

    OrvoPlatformSetRootDirectory("");
    EXPECT_EQ(OrvoPlatformResolvePath("/Library/x"), std::string(ORVO_STAGED_ROOT) + "/Library/x");
}

TEST_F(PlatformRoot, FileAccessGoesBelowTheRootWhileURLsKeepTheDriverPath) {
    orvo_test::TemporaryFolder root;
    root.Write("Library/Printers/Maker/readme.txt", "below the root");
    OrvoPlatformSetRootDirectory(root.Path().c_str());

    CFURLRef url = CFURLCreateWithFileSystemPath(
        nullptr, CFSTR("/Library/Printers/Maker/readme.txt"), kCFURLPOSIXPathStyle, false);
    EXPECT_EQ(orvo_test::URLText(url), "file:///Library/Printers/Maker/readme.txt");
    CFDataRef data = nullptr;
    SInt32 error = 1;
    ASSERT_TRUE(
        CFURLCreateDataAndPropertiesFromResource(nullptr, url, &data, nullptr, nullptr, &error));
    EXPECT_EQ(error, 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(CFDataGetBytePtr(data)),
                          static_cast<size_t>(CFDataGetLength(data))),
              "below the root");
    CFRelease(data);
    CFRelease(url);
}

TEST_F(PlatformRoot, SettingAndResolvingFromManyThreadsIsSafe) {
    std::atomic<bool> stop{false};
    std::thread setter([&] {
        for (int i = 0; i < 2000; ++i)
            OrvoPlatformSetRootDirectory(i % 2 == 0 ? "/root/a" : "/root/b");
        stop = true;
    });
    std::vector<std::thread> readers;
    std::atomic<int> bad{0};
    for (int t = 0; t < 3; ++t) {
        readers.emplace_back([&] {
            while (!stop) {
                std::string path = OrvoPlatformResolvePath("/Library/x");
                if (path != "/root/a/Library/x" && path != "/root/b/Library/x" &&
                    path != std::string(ORVO_STAGED_ROOT) + "/Library/x")
                    ++bad;
                CFRelease(OrvoPlatformCopyRootDirectory());
            }
        });
    }
    setter.join();
    for (std::thread& reader : readers)
        reader.join();
    EXPECT_EQ(bad, 0);
}

} // namespace
