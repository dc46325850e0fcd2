#include <CoreFoundation/CoreFoundation.h>

#include "FileFixtureSupport.h"

#include <gtest/gtest.h>

#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using orvo_test::MakeString;
using orvo_test::PlistOfStrings;
using orvo_test::TemporaryFolder;
using orvo_test::Text;
using orvo_test::URLText;

const char kFrameworkPath[] = "/Library/Printers/Tarvel/Orvo/Orvo.framework";
const char kFrameworkFolder[] = "Library/Printers/Tarvel/Orvo/Orvo.framework";

std::string Take(CFStringRef inString) {
    std::string text = Text(inString);
    if (inString != nullptr)
        CFRelease(inString);
    return text;
}

std::string TakeURL(CFURLRef inURL) {
    std::string text = URLText(inURL);
    if (inURL != nullptr)
        CFRelease(inURL);
    return text;
}

CFURLRef FolderURL(const std::string& inPath) {
    return CFURLCreateFromFileSystemRepresentation(nullptr,
                                                   reinterpret_cast<const UInt8*>(inPath.data()),
                                                   static_cast<CFIndex>(inPath.size()), true);
}

CFBundleRef CreateBundle(const std::string& inPath) {
    CFURLRef url = FolderURL(inPath);
    CFBundleRef bundle = CFBundleCreate(nullptr, url);
    CFRelease(url);
    return bundle;
}

std::string Localised(CFBundleRef inBundle, const char* inKey, CFStringRef inValue = nullptr,
                      CFStringRef inTable = nullptr) {
    CFStringRef key = MakeString(inKey);
    std::string text = Take(CFBundleCopyLocalizedString(inBundle, key, inValue, inTable));
    CFRelease(key);
    return text;
}

// A platform root holding the framework bundle; the root is restored afterwards.
class CFBundleFixture : public testing::Test {
protected:
    void SetUp() override {
        mRoot.Write(std::string(kFrameworkFolder) + "/Contents/Info.plist",
                    PlistOfStrings({{"CFBundleIdentifier", "orvo.engine.framework"},
                                    {"CFBundleDevelopmentRegion", "English"},
                                    {"CFBundleName", "Orvo"}}));
        OrvoPlatformSetRootDirectory(mRoot.Path().c_str());
    }
    void TearDown() override { OrvoPlatformSetRootDirectory(nullptr); }

    // Writes a file below the framework's resource folder.
    void Resource(const std::string& inRelative, const std::string& inContent) {
        mRoot.Write(std::string(kFrameworkFolder) + "/Contents/Resources/" + inRelative, inContent);
    }
    CFBundleRef Framework() { return CreateBundle(kFrameworkPath); }

    TemporaryFolder mRoot;
};

TEST_F(CFBundleFixture, OneFolderIsOneBundleWithTheDriversPathInItsURLs) {
    CFBundleRef bundle = Framework();
    ASSERT_NE(bundle, nullptr);
    EXPECT_EQ(CFGetTypeID(bundle), CFBundleGetTypeID());
    CFBundleRef again = CreateBundle("/Library/Printers/Tarvel//Orvo/./Orvo.framework/");
    EXPECT_EQ(again, bundle);

    EXPECT_EQ(Text(CFBundleGetIdentifier(bundle)), "orvo.engine.framework");
    EXPECT_EQ(Text(static_cast<CFStringRef>(
                  CFBundleGetValueForInfoDictionaryKey(bundle, kCFBundleNameKey))),
              "Orvo");
    EXPECT_EQ(CFDictionaryGetCount(CFBundleGetInfoDictionary(bundle)), 3);
    EXPECT_EQ(Text(CFBundleGetDevelopmentRegion(bundle)), "English");

    EXPECT_EQ(TakeURL(CFBundleCopyBundleURL(bundle)),
              "file:///Library/Printers/Tarvel/Orvo/Orvo.framework/");
    CFURLRef resources = CFBundleCopyResourcesDirectoryURL(bundle);
    EXPECT_EQ(URLText(resources), "Contents/Resources/");
    CFURLRef absolute = CFURLCopyAbsoluteURL(resources);
    CFStringRef absoluteText = CFURLGetString(absolute);
    EXPECT_EQ(Text(absoluteText),
              "file:///Library/Printers/Tarvel/Orvo/Orvo.framework/Contents/Resources/");
    // What follows the last "Library/Printers/" is the folder below the printers folder.
    CFRange found = CFStringFind(absoluteText, CFSTR("Library/Printers/"), kCFCompareBackwards);
    ASSERT_NE(found.location, kCFNotFound);
    CFStringRef prefix = CFStringCreateWithSubstring(
        nullptr, absoluteText,
        CFRangeMake(found.location + found.length,
                    CFStringGetLength(absoluteText) - found.location - found.length));
    EXPECT_EQ(Take(prefix), "Tarvel/Orvo/Orvo.framework/Contents/Resources/");
    CFRelease(absolute);
    CFRelease(resources);
    EXPECT_EQ(TakeURL(CFBundleCopyBuiltInPlugInsURL(bundle)), "Contents/PlugIns/");

    CFStringRef description = CFCopyDescription(bundle);
    EXPECT_NE(Text(description)
                  .find(std::string(kFrameworkPath) + ", identifier = orvo.engine.framework}"),
              std::string::npos)
        << Text(description);
    CFRelease(description);
    CFRelease(again);
    CFRelease(bundle);
}

TEST_F(CFBundleFixture, FoldersThatAreNotBundlesGiveNone) {
    mRoot.MakeFolder("Library/Printers/Plain");
    mRoot.MakeFolder("Library/Printers/NoInfo.bundle/Contents");
    mRoot.Write("Library/Printers/Broken.bundle/Contents/Info.plist", "<plist><dict><key>");
    mRoot.Write("Library/Printers/Array.bundle/Contents/Info.plist",
                "<plist version=\"1.0\"><array/></plist>");
    EXPECT_EQ(CreateBundle("/Library/Printers/Missing.bundle"), nullptr);
    EXPECT_EQ(CreateBundle("/Library/Printers/Plain"), nullptr);
    EXPECT_EQ(CreateBundle("/Library/Printers/NoInfo.bundle"), nullptr);

    testing::internal::CaptureStderr();
    EXPECT_EQ(CreateBundle("/Library/Printers/Broken.bundle"), nullptr);
    EXPECT_EQ(CreateBundle("/Library/Printers/Array.bundle"), nullptr);
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("CFBundleCreate: " + mRoot.Path() +
                          "/Library/Printers/Broken.bundle/Contents/Info.plist: "),
              std::string::npos)
        << errors;
    EXPECT_NE(errors.find("Array.bundle/Contents/Info.plist: the root is not a dictionary"),
              std::string::npos)
        << errors;

    CFURLRef web = CFURLCreateWithString(nullptr, CFSTR("http://host/Orvo.framework/"), nullptr);
    EXPECT_EQ(CFBundleCreate(nullptr, web), nullptr);
    CFRelease(web);
    EXPECT_EQ(CFBundleCreate(nullptr, nullptr), nullptr);
}

TEST_F(CFBundleFixture, FindsBundlesByIdentifierBelowTheRoot) {
    Resource("Options.plugin/Contents/Info.plist",
             PlistOfStrings({{"CFBundleIdentifier", "orvo.engine.pde.options"}}));
    mRoot.Write("Library/Frameworks/Other.framework/Contents/Info.plist",
                PlistOfStrings({{"CFBundleIdentifier", "orvo.test.other-framework"}}));
    mRoot.Write("Library/Printers/A Broken.bundle/Contents/Info.plist", "not xml");
    mRoot.Write("Library/Printers/Maker/Printer.plugin/Contents/Info.plist",
                PlistOfStrings({{"CFBundleIdentifier", "orvo.engine.printer.test"}}));
    // A link back up the tree must not make the search loop.
    ASSERT_EQ(::symlink("..", (mRoot.Path() + "/Library/Printers/Maker/loop").c_str()), 0);

    CFBundleRef printer = CFBundleGetBundleWithIdentifier(CFSTR("orvo.engine.printer.test"));
    ASSERT_NE(printer, nullptr);
    EXPECT_EQ(TakeURL(CFBundleCopyBundleURL(printer)),
              "file:///Library/Printers/Maker/Printer.plugin/");
    CFBundleRef created = CreateBundle("/Library/Printers/Maker/Printer.plugin");
    EXPECT_EQ(created, printer);
    CFRelease(created);

    CFBundleRef panel = CFBundleGetBundleWithIdentifier(CFSTR("orvo.engine.pde.options"));
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(TakeURL(CFBundleCopyBundleURL(panel)),
              "file:///Library/Printers/Tarvel/Orvo/Orvo.framework/Contents/Resources/"
              "Options.plugin/");
    CFBundleRef other = CFBundleGetBundleWithIdentifier(CFSTR("orvo.test.other-framework"));
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(TakeURL(CFBundleCopyBundleURL(other)), "file:///Library/Frameworks/Other.framework/");
    testing::internal::CaptureStderr(); // the search itself does not report bad bundles
    EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("orvo.engine.none")), nullptr);
    EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("orvo.engine.printer.TEST")), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(CFBundleGetBundleWithIdentifier(nullptr), nullptr);

    // Another root: the identifier now names the bundle found there.
    TemporaryFolder secondRoot;
    secondRoot.Write("Library/Printers/Maker/Printer.plugin/Contents/Info.plist",
                     PlistOfStrings({{"CFBundleIdentifier", "orvo.engine.printer.test"},
                                     {"CFBundleName", "second"}}));
    OrvoPlatformSetRootDirectory(secondRoot.Path().c_str());
    CFBundleRef moved = CFBundleGetBundleWithIdentifier(CFSTR("orvo.engine.printer.test"));
    ASSERT_NE(moved, nullptr);
    EXPECT_NE(moved, printer);
    EXPECT_EQ(Text(static_cast<CFStringRef>(
                  CFBundleGetValueForInfoDictionaryKey(moved, kCFBundleNameKey))),
              "second");
}

TEST_F(CFBundleFixture, FindsResourcesByNameTypeAndFolderWithLanguageFallbacks) {
    Resource("Engine.xml", "engine");
    Resource("Default Paper.orvopapers", "papers");
    Resource("Profiles/HP 500.icc", "profile");
    Resource("Profiles/Other.icc", "profile");
    Resource("Shadow.txt", "global");
    Resource("English.lproj/Shadow.txt", "localised");
    Resource("English.lproj/Only.txt", "english");
    Resource("English.lproj/Both.txt", "english");
    Resource("en.lproj/Both.txt", "en");
    Resource("en.lproj/En.txt", "en");
    Resource("de.lproj/German.txt", "de");
    Resource("Base.lproj/pde.nib/objects.xib", "nib");
    CFBundleRef bundle = Framework();
    ASSERT_NE(bundle, nullptr);

    const std::string resources = "file:///Library/Printers/Tarvel/Orvo/Orvo.framework/"
                                  "Contents/Resources/";
    struct Case {
        CFStringRef name;
        CFStringRef type;
        CFStringRef folder;
        std::string expected; // below the resource folder, or "(null)"
    };
    const Case cases[] = {
        {CFSTR("Engine"), CFSTR("xml"), nullptr, "Engine.xml"},
        {CFSTR("Engine"), CFSTR(".xml"), nullptr, "Engine.xml"},
        {CFSTR("Engine.xml"), nullptr, nullptr, "Engine.xml"},
        {CFSTR("Engine.xml"), CFSTR(""), nullptr, "Engine.xml"},
        {CFSTR("Engine.xml"), CFSTR("xml"), nullptr, "Engine.xml"},
        {CFSTR("engine"), CFSTR("xml"), nullptr, "(null)"}, // names match exactly
        {CFSTR("Default Paper"), CFSTR("orvopapers"), nullptr, "Default%20Paper.orvopapers"},
        {CFSTR("HP 500"), CFSTR("icc"), CFSTR("Profiles"), "Profiles/HP%20500.icc"},
        {CFSTR("HP 500"), CFSTR("icc"), CFSTR("Profiles/"), "Profiles/HP%20500.icc"},
        {CFSTR("HP 500"), CFSTR("icc"), nullptr, "(null)"},
        {nullptr, CFSTR("icc"), CFSTR("Profiles"), "Profiles/HP%20500.icc"},
        {CFSTR("Shadow"), CFSTR("txt"), nullptr, "Shadow.txt"},
        {CFSTR("Only"), CFSTR("txt"), nullptr, "English.lproj/Only.txt"},
        {CFSTR("Both"), CFSTR("txt"), nullptr, "English.lproj/Both.txt"}, // development region
        {CFSTR("En"), CFSTR("txt"), nullptr, "en.lproj/En.txt"},
        {CFSTR("German"), CFSTR("txt"), nullptr, "(null)"},
        {CFSTR("pde"), CFSTR("nib"), nullptr, "Base.lproj/pde.nib/"},
        {CFSTR("Missing"), CFSTR("xml"), nullptr, "(null)"},
        {CFSTR(""), CFSTR("xml"), nullptr, "(null)"},
        {nullptr, nullptr, nullptr, "(null)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Text(c.name) + " . " + Text(c.type) + " in " + Text(c.folder));
        std::string url = TakeURL(CFBundleCopyResourceURL(bundle, c.name, c.type, c.folder));
        EXPECT_EQ(url, c.expected == "(null)" ? c.expected : resources + c.expected);
    }

    CFURLRef engine = CFBundleCopyResourceURL(bundle, CFSTR("Engine"), CFSTR("xml"), nullptr);
    CFDataRef data = nullptr;
    ASSERT_TRUE(CFURLCreateDataAndPropertiesFromResource(nullptr, engine, &data, nullptr, nullptr,
                                                         nullptr));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(CFDataGetBytePtr(data)),
                          static_cast<size_t>(CFDataGetLength(data))),
              "engine");
    CFRelease(data);
    CFRelease(engine);

    CFArrayRef texts = CFBundleCopyResourceURLsOfType(bundle, CFSTR("txt"), nullptr);
    std::vector<std::string> names;
    for (CFIndex i = 0; i < CFArrayGetCount(texts); ++i)
        names.push_back(URLText(static_cast<CFURLRef>(CFArrayGetValueAtIndex(texts, i)))
                            .substr(resources.size()));
    EXPECT_EQ(names, (std::vector<std::string>{"Shadow.txt", "English.lproj/Both.txt",
                                               "English.lproj/Only.txt", "en.lproj/En.txt"}));
    CFRelease(texts);
    CFRelease(bundle);
}

TEST_F(CFBundleFixture, LocalisedStringsFallBackToTheValueThenTheKey) {
    Resource("English.lproj/Localizable.strings",
             "/* Titles of the USB printer browser.\n   Several lines. */\n"
             "\"Devices\" = \"Ger\xc3\xa4te\";\n"
             "// a line comment \"Devices\" = \"wrong\";\n"
             "\"No printers found\"=\"Keine Drucker gefunden\" ; /* after */\n"
             "\"Quote \\\"x\\\"\" = \"Back\\\\slash\\tTab\\nLine \\U00E9 \\UD83D\\UDDA8\";\n"
             "\"Ready\";\n"
             "bare.key_1 = bare/value:2;\n"
             "\"Twice\" = \"first\";\n\"Twice\" = \"second\";\n"
             "\"<processed-percent>% (<fetched-bytes>)\" = \"<processed-percent>% done\";\n");
    Resource("en.lproj/Panel.strings",
             PlistOfStrings({{"Paper", "Papier"}, {"a &amp; b", "x &lt; y"}}));
    Resource("English.lproj/Broken.strings", "\"a\" = \"b\";\n\n\"c\" = \"d\"\n\"e\" = \"f\";\n");
    // UTF-16, little-endian, with its byte-order mark: "Ink" = "Tinte";
    std::string wide = "\xff\xfe";
    for (char c : std::string("\"Ink\" = \"Tinte\";\n")) {
        wide += c;
        wide += '\0';
    }
    Resource("English.lproj/Wide.strings", wide);
    CFBundleRef bundle = Framework();
    ASSERT_NE(bundle, nullptr);

    EXPECT_EQ(Localised(bundle, "Devices"), "Ger\xc3\xa4te");
    EXPECT_EQ(Localised(bundle, "No printers found", CFSTR("unused")), "Keine Drucker gefunden");
    EXPECT_EQ(Localised(bundle, "Quote \"x\""), "Back\\slash\tTab\nLine \xc3\xa9 \xf0\x9f\x96\xa8");
    EXPECT_EQ(Localised(bundle, "Ready"), "Ready");
    EXPECT_EQ(Localised(bundle, "bare.key_1"), "bare/value:2");
    EXPECT_EQ(Localised(bundle, "Twice"), "second");
    EXPECT_EQ(Localised(bundle, "<processed-percent>% (<fetched-bytes>)"),
              "<processed-percent>% done");
    EXPECT_EQ(Localised(bundle, "devices"), "devices"); // keys match exactly
    EXPECT_EQ(Localised(bundle, "Unknown", CFSTR("Default")), "Default");
    EXPECT_EQ(Localised(bundle, "Unknown", CFSTR("")), "Unknown");
    EXPECT_EQ(Localised(bundle, "Unknown", nullptr, CFSTR("")), "Unknown");
    EXPECT_EQ(Localised(bundle, "Devices", nullptr, CFSTR("Localizable")), "Ger\xc3\xa4te");

    EXPECT_EQ(Localised(bundle, "Paper", nullptr, CFSTR("Panel")), "Papier");
    EXPECT_EQ(Localised(bundle, "a & b", nullptr, CFSTR("Panel")), "x < y");
    EXPECT_EQ(Localised(bundle, "Devices", nullptr, CFSTR("Panel")), "Devices");
    EXPECT_EQ(Localised(bundle, "Ink", nullptr, CFSTR("Wide")), "Tinte");
    EXPECT_EQ(Localised(bundle, "Devices", CFSTR("Value"), CFSTR("NoSuchTable")), "Value");

    testing::internal::CaptureStderr();
    EXPECT_EQ(Localised(bundle, "a", nullptr, CFSTR("Broken")), "a");
    EXPECT_EQ(Localised(bundle, "e", nullptr, CFSTR("Broken")), "e");
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(errors, "CFBundleCopyLocalizedString: file:///Library/Printers/Tarvel/Orvo/"
                      "Orvo.framework/Contents/Resources/English.lproj/Broken.strings: line 4: "
                      "expected \";\" after an entry\n"); // reported once

    CFStringRef macro = CFCopyLocalizedStringFromTableInBundle(CFSTR("Paper"), CFSTR("Panel"),
                                                               bundle, "paper popup title");
    EXPECT_EQ(Take(macro), "Papier");
    EXPECT_EQ(Take(CFCopyLocalizedStringWithDefaultValue(CFSTR("Nope"), nullptr, bundle,
                                                         CFSTR("Fallback"), "")),
              "Fallback");
    CFRelease(bundle);
}

TEST_F(CFBundleFixture, MalformedStringTablesReportTheLineAndTheFault) {
    const std::pair<const char*, const char*> cases[] = {
        {"\"a\" = \"b\";\n\"c\" = \"unterminated;\n", "line 2: unterminated string"},
        {"/* open comment\n\n", "line 1: unterminated comment"},
        {"\"a\" = \"\\q\";", "line 1: unknown escape \\q"},
        {"\"a\" = \"\\U12\";", "line 1: \\U needs four hexadecimal digits"},
        {"\"a\" = \"\\UD800\";", "line 1: unpaired surrogate in \\U escape"},
        {"\"a\" = ;", "line 1: expected a quoted string"},
        {"\"a\" =", "line 1: unexpected end of file"},
        {"\"ok\" = \"caf\xe9\";", "not UTF-8 or UTF-16 text"},
        {"\xff\xfe\x41", "malformed UTF-16 text"}, // an odd number of bytes
        {"<plist version=\"1.0\"><dict><key>a</key><integer>1</integer></dict></plist>",
         "the value of \"a\" is not a string"},
        {"<plist version=\"1.0\"><array/></plist>", "the property list is not a dictionary"},
    };
    int index = 0;
    for (const auto& [content, fault] : cases) {
        std::string table = "T" + std::to_string(index++);
        Resource("en.lproj/" + table + ".strings", content);
    }
    CFBundleRef bundle = Framework();
    index = 0;
    for (const auto& [content, fault] : cases) {
        CFStringRef table = MakeString("T" + std::to_string(index++));
        testing::internal::CaptureStderr();
        EXPECT_EQ(Localised(bundle, "a", nullptr, table), "a");
        std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_NE(errors.find(std::string(".strings: ") + fault + "\n"), std::string::npos)
            << content << " -> " << errors;
        CFRelease(table);
    }
    CFRelease(bundle);
}

#ifdef ORVO_BUNDLE_EXECUTABLE_FIXTURE
TEST_F(CFBundleFixture, LoadsTheExecutableAndFindsItsSymbols) {
    mRoot.Write("Library/Printers/Maker/Module.plugin/Contents/Info.plist",
                PlistOfStrings({{"CFBundleIdentifier", "orvo.test.module"},
                                {"CFBundleExecutable", "Module"}}));
    mRoot.Write("Library/Printers/Maker/Module.plugin/Contents/MacOS/Module",
                orvo_test::ReadFile(ORVO_BUNDLE_EXECUTABLE_FIXTURE));
    CFBundleRef bundle = CreateBundle("/Library/Printers/Maker/Module.plugin");
    ASSERT_NE(bundle, nullptr);
    EXPECT_EQ(TakeURL(CFBundleCopyExecutableURL(bundle)),
              "file:///Library/Printers/Maker/Module.plugin/Contents/MacOS/Module");
    EXPECT_FALSE(CFBundleIsExecutableLoaded(bundle));

    using Answer = int (*)();
    auto answer = reinterpret_cast<Answer>(
        CFBundleGetFunctionPointerForName(bundle, CFSTR("OrvoBundleFixtureAnswer")));
    ASSERT_NE(answer, nullptr); // getting a symbol loads the executable
    EXPECT_TRUE(CFBundleIsExecutableLoaded(bundle));
    EXPECT_EQ(answer(), 42);
    auto value =
        static_cast<int*>(CFBundleGetDataPointerForName(bundle, CFSTR("OrvoBundleFixtureValue")));
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(*value, 7);
    EXPECT_TRUE(CFBundleLoadExecutable(bundle)); // already loaded

    testing::internal::CaptureStderr();
    EXPECT_EQ(CFBundleGetFunctionPointerForName(bundle, CFSTR("NoSuchFunction")), nullptr);
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("CFBundleGetFunctionPointerForName: "), std::string::npos);
    EXPECT_NE(errors.find("NoSuchFunction"), std::string::npos) << errors;

    CFBundleUnloadExecutable(bundle);
    EXPECT_FALSE(CFBundleIsExecutableLoaded(bundle));
    EXPECT_TRUE(CFBundleLoadExecutable(bundle));
    CFBundleUnloadExecutable(bundle);
    CFRelease(bundle);
}
#endif

TEST_F(CFBundleFixture, ExecutablesThatCannotBeLoadedAreReported) {
    mRoot.Write("Library/Printers/Maker/Text.plugin/Contents/Info.plist",
                PlistOfStrings({{"CFBundleExecutable", "Text"}}));
    mRoot.Write("Library/Printers/Maker/Text.plugin/Contents/MacOS/Text", "not a shared object");
    mRoot.Write("Library/Printers/Maker/Gone.plugin/Contents/Info.plist",
                PlistOfStrings({{"CFBundleExecutable", "Gone"}}));
    CFBundleRef text = CreateBundle("/Library/Printers/Maker/Text.plugin");
    CFBundleRef gone = CreateBundle("/Library/Printers/Maker/Gone.plugin");
    CFBundleRef none = Framework();

    testing::internal::CaptureStderr();
    EXPECT_FALSE(CFBundleLoadExecutable(text));
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(errors.rfind("CFBundleLoadExecutable: " + mRoot.Path() +
                               "/Library/Printers/Maker/Text.plugin/Contents/MacOS/Text: ",
                           0),
              0u)
        << errors;
    EXPECT_FALSE(CFBundleIsExecutableLoaded(text));

    EXPECT_EQ(CFBundleCopyExecutableURL(gone), nullptr);
    EXPECT_EQ(CFBundleCopyExecutableURL(none), nullptr);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(CFBundleLoadExecutable(gone));
    EXPECT_FALSE(CFBundleLoadExecutable(none));
    EXPECT_EQ(CFBundleGetFunctionPointerForName(none, CFSTR("x")), nullptr);
    errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("Orvo.framework: the bundle names no executable"), std::string::npos)
        << errors;
    EXPECT_NE(errors.find("Gone"), std::string::npos) << errors;
    for (CFBundleRef bundle : {text, gone, none})
        CFRelease(bundle);
}

TEST(CFBundle, TheMainBundleIsTheExecutablesFolder) {
    CFBundleRef main = CFBundleGetMainBundle();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(CFBundleGetMainBundle(), main);
    EXPECT_TRUE(CFBundleIsExecutableLoaded(main));
    EXPECT_EQ(CFBundleGetIdentifier(main), nullptr);

    char executable[4096];
    ssize_t length = ::readlink("/proc/self/exe", executable, sizeof executable - 1);
    ASSERT_GT(length, 0);
    executable[length] = '\0';
    std::string path = executable;
    std::string name = path.substr(path.find_last_of('/'));
    std::string url = TakeURL(CFBundleCopyExecutableURL(main));
    ASSERT_GT(url.size(), name.size());
    EXPECT_EQ(url.substr(url.size() - name.size()), name); // the test binary itself
    EXPECT_EQ(TakeURL(CFBundleCopyBundleURL(main)).back(), '/');
    EXPECT_EQ(Take(CFCopyLocalizedString(CFSTR("Hello"), "no table here")), "Hello");
}

TEST_F(CFBundleFixture, ConcurrentLookupsAgree) {
    Resource("English.lproj/Localizable.strings", "\"Devices\" = \"Appareils\";");
    std::vector<std::thread> threads;
    std::vector<CFBundleRef> created(6), found(6);
    std::vector<std::string> strings(6);
    for (size_t i = 0; i < created.size(); ++i) {
        threads.emplace_back([&, i] {
            created[i] = Framework();
            found[i] = CFBundleGetBundleWithIdentifier(CFSTR("orvo.engine.framework"));
            strings[i] = Localised(created[i], "Devices");
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (size_t i = 0; i < created.size(); ++i) {
        EXPECT_EQ(created[i], created[0]);
        EXPECT_EQ(found[i], created[0]);
        EXPECT_EQ(strings[i], "Appareils");
        CFRelease(created[i]);
    }
}

} // namespace
