#include <CoreFoundation/CoreFoundation.h>

#include "FileFixtureSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>
#include <vector>

namespace {

using orvo_test::FileExists;
using orvo_test::FolderNames;
using orvo_test::ReadFile;
using orvo_test::TemporaryFolder;
using orvo_test::Text;

const CFStringRef kDomain = CFSTR("orvo.pbm.ip-printing");
const CFStringRef kKey = CFSTR("DestinationString");

// A platform root for the machine-wide domains and a configuration folder for the user's;
// every test starts as a fresh process would.
class CFPreferencesFixture : public testing::Test {
protected:
    void SetUp() override {
        const char* previous = std::getenv("XDG_CONFIG_HOME");
        mHadConfiguration = previous != nullptr;
        if (previous != nullptr)
            mPreviousConfiguration = previous;
        ::setenv("XDG_CONFIG_HOME", (mHome.Path() + "/config").c_str(), 1);
        OrvoPlatformSetRootDirectory(mRoot.Path().c_str());
        OrvoPreferencesDiscardCachedDomains();
    }
    void TearDown() override {
        OrvoPreferencesDiscardCachedDomains();
        OrvoPlatformSetRootDirectory(nullptr);
        if (mHadConfiguration)
            ::setenv("XDG_CONFIG_HOME", mPreviousConfiguration.c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
    }

    std::string MachineFile(const std::string& inDomain) const {
        return mRoot.Path() + "/Library/Preferences/" + inDomain + ".plist";
    }
    std::string UserFile(const std::string& inDomain) const {
        return mHome.Path() + "/config/orvo/preferences/" + inDomain + ".plist";
    }

    // The string stored under a key in one domain, "(null)" when absent.
    std::string Value(CFStringRef inKey, CFStringRef inUser, CFStringRef inDomain = kDomain) {
        CFPropertyListRef value =
            CFPreferencesCopyValue(inKey, inDomain, inUser, kCFPreferencesAnyHost);
        std::string text = value == nullptr ? std::string("(null)")
                           : CFGetTypeID(value) == CFStringGetTypeID()
                               ? Text(static_cast<CFStringRef>(value))
                               : std::string("(not a string)");
        if (value != nullptr)
            CFRelease(value);
        return text;
    }
    std::string AppValue(CFStringRef inKey, CFStringRef inDomain = kDomain) {
        CFPropertyListRef value = CFPreferencesCopyAppValue(inKey, inDomain);
        std::string text =
            value == nullptr ? std::string("(null)") : Text(static_cast<CFStringRef>(value));
        if (value != nullptr)
            CFRelease(value);
        return text;
    }

    // The dictionary in a preferences file, read independently of the store.
    CFDictionaryRef ParseFile(const std::string& inPath) {
        std::string bytes = ReadFile(inPath);
        CFDataRef data = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(bytes.data()),
                                      static_cast<CFIndex>(bytes.size()));
        CFPropertyListRef list =
            CFPropertyListCreateFromXMLData(nullptr, data, kCFPropertyListImmutable, nullptr);
        CFRelease(data);
        if (list != nullptr && CFGetTypeID(list) != CFDictionaryGetTypeID()) {
            CFRelease(list);
            return nullptr;
        }
        return static_cast<CFDictionaryRef>(list);
    }

    TemporaryFolder mRoot;
    TemporaryFolder mHome;
    bool mHadConfiguration = false;
    std::string mPreviousConfiguration;
};

TEST_F(CFPreferencesFixture, MachineWideValuesSurviveARestart) {
    EXPECT_EQ(Value(kKey, kCFPreferencesAnyUser), "(null)");
    CFPreferencesSetValue(kKey, CFSTR("socket://127.0.0.1:9100/"), kDomain, kCFPreferencesAnyUser,
                          kCFPreferencesAnyHost);
    EXPECT_EQ(Value(kKey, kCFPreferencesAnyUser), "socket://127.0.0.1:9100/");
    EXPECT_FALSE(FileExists(MachineFile("orvo.pbm.ip-printing"))); // not yet synchronised
    ASSERT_TRUE(CFPreferencesSynchronize(kDomain, kCFPreferencesAnyUser, kCFPreferencesAnyHost));

    CFDictionaryRef written = ParseFile(MachineFile("orvo.pbm.ip-printing"));
    ASSERT_NE(written, nullptr);
    EXPECT_EQ(CFDictionaryGetCount(written), 1);
    EXPECT_EQ(Text(static_cast<CFStringRef>(CFDictionaryGetValue(written, kKey))),
              "socket://127.0.0.1:9100/");
    CFRelease(written);
    EXPECT_EQ(FolderNames(mRoot.Path() + "/Library/Preferences"),
              std::vector<std::string>{"orvo.pbm.ip-printing.plist"});

    OrvoPreferencesDiscardCachedDomains(); // as after a restart
    EXPECT_EQ(Value(kKey, kCFPreferencesAnyUser), "socket://127.0.0.1:9100/");
    EXPECT_EQ(Value(kKey, kCFPreferencesAnyUser), "socket://127.0.0.1:9100/");
    // The host plays no part; the application search finds the machine-wide value.
    CFPropertyListRef currentHost =
        CFPreferencesCopyValue(kKey, kDomain, kCFPreferencesAnyUser, kCFPreferencesCurrentHost);
    EXPECT_TRUE(CFEqual(currentHost, CFSTR("socket://127.0.0.1:9100/")));
    CFRelease(currentHost);
    EXPECT_EQ(AppValue(kKey), "socket://127.0.0.1:9100/");
    EXPECT_EQ(Value(kKey, kCFPreferencesCurrentUser), "(null)");
}

TEST_F(CFPreferencesFixture, ChangesNotSynchronisedAreLost) {
    CFPreferencesSetValue(kKey, CFSTR("socket://10.0.0.1:9100/"), kDomain, kCFPreferencesAnyUser,
                          kCFPreferencesAnyHost);
    OrvoPreferencesDiscardCachedDomains();
    EXPECT_EQ(Value(kKey, kCFPreferencesAnyUser), "(null)");
    EXPECT_FALSE(FileExists(mRoot.Path() + "/Library/Preferences"));
}

TEST_F(CFPreferencesFixture, UserValuesShadowMachineWideOnesInTheApplicationSearch) {
    CFStringRef domain = CFSTR("orvo.test.search");
    CFPreferencesSetValue(CFSTR("Colour"), CFSTR("machine"), domain, kCFPreferencesAnyUser,
                          kCFPreferencesAnyHost);
    CFPreferencesSetValue(CFSTR("Global"), CFSTR("everyone"), kCFPreferencesAnyApplication,
                          kCFPreferencesAnyUser, kCFPreferencesAnyHost);
    ASSERT_TRUE(CFPreferencesSynchronize(domain, kCFPreferencesAnyUser, kCFPreferencesAnyHost));
    ASSERT_TRUE(CFPreferencesSynchronize(kCFPreferencesAnyApplication, kCFPreferencesAnyUser,
                                         kCFPreferencesAnyHost));
    EXPECT_TRUE(FileExists(MachineFile(".GlobalPreferences")));

    CFPreferencesSetAppValue(CFSTR("Colour"), CFSTR("mine"), domain);
    ASSERT_TRUE(CFPreferencesAppSynchronize(domain));
    EXPECT_TRUE(FileExists(UserFile("orvo.test.search")));
    OrvoPreferencesDiscardCachedDomains();
    EXPECT_EQ(AppValue(CFSTR("Colour"), domain), "mine");
    EXPECT_EQ(AppValue(CFSTR("Global"), domain), "everyone");
    EXPECT_EQ(Value(CFSTR("Colour"), kCFPreferencesAnyUser, domain), "machine");

    // Removing the user's value uncovers the machine-wide one.
    CFPreferencesSetAppValue(CFSTR("Colour"), nullptr, domain);
    ASSERT_TRUE(CFPreferencesAppSynchronize(domain));
    OrvoPreferencesDiscardCachedDomains();
    EXPECT_EQ(AppValue(CFSTR("Colour"), domain), "machine");
    CFDictionaryRef user = ParseFile(UserFile("orvo.test.search"));
    ASSERT_NE(user, nullptr);
    EXPECT_EQ(CFDictionaryGetCount(user), 0);
    CFRelease(user);
}

TEST_F(CFPreferencesFixture, ACorruptFileReadsAsEmptyAndStaysUntilReplaced) {
    const std::string garbage = "<?xml version=\"1.0\"?><plist><dict><key>Destination";
    std::string path = mRoot.Write("Library/Preferences/orvo.pbm.ip-printing.plist", garbage);

    testing::internal::CaptureStderr();
    EXPECT_EQ(Value(kKey, kCFPreferencesAnyUser), "(null)");
    EXPECT_TRUE(CFPreferencesSynchronize(kDomain, kCFPreferencesAnyUser, kCFPreferencesAnyHost));
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("CFPreferences: " + path + " is not a valid preferences file"),
              std::string::npos)
        << errors;
    EXPECT_EQ(ReadFile(path), garbage); // a synchronisation without changes leaves it

    CFPreferencesSetValue(kKey, CFSTR("socket://printer:9100/"), kDomain, kCFPreferencesAnyUser,
                          kCFPreferencesAnyHost);
    testing::internal::CaptureStderr();
    EXPECT_TRUE(CFPreferencesSynchronize(kDomain, kCFPreferencesAnyUser, kCFPreferencesAnyHost));
    testing::internal::GetCapturedStderr();
    OrvoPreferencesDiscardCachedDomains();
    testing::internal::CaptureStderr();
    EXPECT_EQ(Value(kKey, kCFPreferencesAnyUser), "socket://printer:9100/");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), ""); // the file is valid again

    // A valid property list whose root is not a dictionary counts as corrupt too.
    mRoot.Write("Library/Preferences/orvo.test.array.plist",
                "<plist version=\"1.0\"><array/></plist>");
    testing::internal::CaptureStderr();
    EXPECT_EQ(Value(kKey, kCFPreferencesAnyUser, CFSTR("orvo.test.array")), "(null)");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("the root is not a dictionary"),
              std::string::npos);
}

TEST_F(CFPreferencesFixture, SynchronisingMergesOverWhatOthersWrote) {
    CFPreferencesSetValue(CFSTR("Mine"), CFSTR("1"), kDomain, kCFPreferencesAnyUser,
                          kCFPreferencesAnyHost);
    // Another process wrote the file meanwhile.
    mRoot.Write("Library/Preferences/orvo.pbm.ip-printing.plist",
                orvo_test::PlistOfStrings({{"Theirs", "2"}, {"Mine", "old"}}));
    ASSERT_TRUE(CFPreferencesSynchronize(kDomain, kCFPreferencesAnyUser, kCFPreferencesAnyHost));
    EXPECT_EQ(Value(CFSTR("Theirs"), kCFPreferencesAnyUser), "2");
    EXPECT_EQ(Value(CFSTR("Mine"), kCFPreferencesAnyUser), "1");
    CFDictionaryRef written = ParseFile(MachineFile("orvo.pbm.ip-printing"));
    ASSERT_NE(written, nullptr);
    EXPECT_EQ(CFDictionaryGetCount(written), 2);
    CFRelease(written);

    // Without changes of its own a synchronisation picks up the file as it now is.
    mRoot.Write("Library/Preferences/orvo.pbm.ip-printing.plist",
                orvo_test::PlistOfStrings({{"Theirs", "3"}}));
    ASSERT_TRUE(CFPreferencesSynchronize(kDomain, kCFPreferencesAnyUser, kCFPreferencesAnyHost));
    EXPECT_EQ(Value(CFSTR("Theirs"), kCFPreferencesAnyUser), "3");
    EXPECT_EQ(Value(CFSTR("Mine"), kCFPreferencesAnyUser), "(null)");
}

TEST_F(CFPreferencesFixture, AFailedWriteIsReportedAndTheChangeKept) {
    mRoot.Write("Library/Preferences", "a file where the folder should be");
    CFPreferencesSetValue(kKey, CFSTR("socket://printer:9100/"), kDomain, kCFPreferencesAnyUser,
                          kCFPreferencesAnyHost);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(CFPreferencesSynchronize(kDomain, kCFPreferencesAnyUser, kCFPreferencesAnyHost));
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("CFPreferences: cannot write " + MachineFile("orvo.pbm.ip-printing")),
              std::string::npos)
        << errors;
    EXPECT_EQ(Value(kKey, kCFPreferencesAnyUser), "socket://printer:9100/");
    EXPECT_EQ(FolderNames(mRoot.Path() + "/Library"), std::vector<std::string>{"Preferences"});

    // Once the folder can be made, the kept change is written.
    ASSERT_EQ(::unlink((mRoot.Path() + "/Library/Preferences").c_str()), 0);
    EXPECT_TRUE(CFPreferencesSynchronize(kDomain, kCFPreferencesAnyUser, kCFPreferencesAnyHost));
    OrvoPreferencesDiscardCachedDomains();
    EXPECT_EQ(Value(kKey, kCFPreferencesAnyUser), "socket://printer:9100/");
}

TEST_F(CFPreferencesFixture, KeepsPropertyListValuesAndRefusesOthers) {
    SInt64 big = 1LL << 40;
    CFNumberRef number = CFNumberCreate(nullptr, kCFNumberSInt64Type, &big);
    const void* keys[] = {CFSTR("Count")};
    const void* values[] = {number};
    CFDictionaryRef nested = CFDictionaryCreate(
        nullptr, keys, values, 1, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    CFMutableStringRef mutableText = CFStringCreateMutable(nullptr, 0);
    CFStringAppend(mutableText, CFSTR("before"));
    CFPreferencesSetValue(CFSTR("Nested"), nested, kDomain, kCFPreferencesCurrentUser,
                          kCFPreferencesAnyHost);
    CFPreferencesSetValue(CFSTR("Text"), mutableText, kDomain, kCFPreferencesCurrentUser,
                          kCFPreferencesAnyHost);
    CFStringAppend(mutableText, CFSTR(" after")); // the store holds its own copy
    EXPECT_EQ(Value(CFSTR("Text"), kCFPreferencesCurrentUser), "before");

    CFURLRef url = CFURLCreateWithString(nullptr, CFSTR("socket://host/"), nullptr);
    testing::internal::CaptureStderr();
    CFPreferencesSetValue(CFSTR("URL"), url, kDomain, kCFPreferencesCurrentUser,
                          kCFPreferencesAnyHost);
    CFPreferencesSetValue(CFSTR("Bad"), CFSTR("x"), CFSTR("../escape"), kCFPreferencesCurrentUser,
                          kCFPreferencesAnyHost);
    CFPreferencesSetValue(CFSTR("Bad"), CFSTR("x"), kDomain, CFSTR("someone-else-entirely"),
                          kCFPreferencesAnyHost);
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("not a property list"), std::string::npos) << errors;
    EXPECT_NE(errors.find("\"../escape\" cannot name a preferences domain"), std::string::npos)
        << errors;
    EXPECT_NE(errors.find("only the current user's and any user's"), std::string::npos) << errors;

    ASSERT_TRUE(
        CFPreferencesSynchronize(kDomain, kCFPreferencesCurrentUser, kCFPreferencesCurrentHost));
    OrvoPreferencesDiscardCachedDomains();
    CFArrayRef names =
        CFPreferencesCopyKeyList(kDomain, kCFPreferencesCurrentUser, kCFPreferencesAnyHost);
    ASSERT_EQ(CFArrayGetCount(names), 2);
    EXPECT_EQ(Text(static_cast<CFStringRef>(CFArrayGetValueAtIndex(names, 0))), "Nested");
    EXPECT_EQ(Text(static_cast<CFStringRef>(CFArrayGetValueAtIndex(names, 1))), "Text");
    CFRelease(names);
    CFPropertyListRef stored = CFPreferencesCopyValue(
        CFSTR("Nested"), kDomain, kCFPreferencesCurrentUser, kCFPreferencesAnyHost);
    EXPECT_TRUE(CFEqual(stored, nested));
    CFRelease(stored);

    CFArrayRef empty = CFPreferencesCopyKeyList(CFSTR("orvo.test.empty"), kCFPreferencesAnyUser,
                                                kCFPreferencesAnyHost);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(CFArrayGetCount(empty), 0);
    CFRelease(empty);
    for (CFTypeRef value :
         {(CFTypeRef)url, (CFTypeRef)mutableText, (CFTypeRef)nested, (CFTypeRef)number})
        CFRelease(value);
}

TEST_F(CFPreferencesFixture, ConcurrentSettersAllLand) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 25; ++i) {
                CFStringRef key = CFStringCreateWithFormat(nullptr, nullptr, CFSTR("k%d-%d"), t, i);
                CFPreferencesSetValue(key, key, kDomain, kCFPreferencesAnyUser,
                                      kCFPreferencesAnyHost);
                CFRelease(key);
                if (i % 10 == 0)
                    CFPreferencesSynchronize(kDomain, kCFPreferencesAnyUser, kCFPreferencesAnyHost);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    ASSERT_TRUE(CFPreferencesSynchronize(kDomain, kCFPreferencesAnyUser, kCFPreferencesAnyHost));
    CFDictionaryRef written = ParseFile(MachineFile("orvo.pbm.ip-printing"));
    ASSERT_NE(written, nullptr);
    EXPECT_EQ(CFDictionaryGetCount(written), 100);
    CFRelease(written);
}

} // namespace
