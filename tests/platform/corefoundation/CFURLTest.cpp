#include <CoreFoundation/CoreFoundation.h>

#include "FileFixtureSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using orvo_test::MakeString;
using orvo_test::Text;
using orvo_test::URLText;

// Takes over a reference and releases it at the end of the scope.
template <class T>
struct Owned {
    explicit Owned(T inRef = nullptr) : ref(inRef) {}
    ~Owned() {
        if (ref != nullptr)
            CFRelease(ref);
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    T get() const { return ref; }
    T ref;
};

// A string component as text, "(null)" when absent; releases it.
std::string Take(CFStringRef inString) {
    std::string text = Text(inString);
    if (inString != nullptr)
        CFRelease(inString);
    return text;
}

CFURLRef MakeURL(const std::string& inText, CFURLRef inBase = nullptr) {
    Owned<CFStringRef> string(MakeString(inText));
    return CFURLCreateWithString(nullptr, string.get(), inBase);
}

struct ParseCase {
    const char* url;
    const char* scheme;
    const char* host;
    SInt32 port;
    const char* path;
    const char* user;
    const char* password;
    const char* query;
    const char* fragment;
    bool decomposable;
};

TEST(CFURL, ParsesComponents) {
    const ParseCase cases[] = {
        {"socket://127.0.0.1:9100/", "socket", "127.0.0.1", 9100, "/", "(null)", "(null)", "(null)",
         "(null)", true},
        {"socket://printer.local", "socket", "printer.local", -1, "", "(null)", "(null)", "(null)",
         "(null)", true},
        {"socket://printer.local:/", "socket", "printer.local", -1, "/", "(null)", "(null)",
         "(null)", "(null)", true},
        {"lpd://10.0.0.7:515/queue/raw", "lpd", "10.0.0.7", 515, "/queue/raw", "(null)", "(null)",
         "(null)", "(null)", true},
        {"http://us%20er:pa%3Ass@[fe80::1]:8080/a%20b/c?x=1&y=/#top?", "http", "fe80::1", 8080,
         "/a%20b/c", "us er", "pa:ss", "x=1&y=/", "top?", true},
        {"ftp://@host/", "ftp", "host", -1, "/", "", "(null)", "(null)", "(null)", true},
        {"file:///Library/Printers/Tarvel/", "file", "(null)", -1, "/Library/Printers/Tarvel/",
         "(null)", "(null)", "(null)", "(null)", true},
        {"file://localhost/tmp/x", "file", "localhost", -1, "/tmp/x", "(null)", "(null)", "(null)",
         "(null)", true},
        {"HTTP://Host.Example:0/", "HTTP", "Host.Example", 0, "/", "(null)", "(null)", "(null)",
         "(null)", true},
        {"mailto:someone@example.com", "mailto", "(null)", -1, "(null)", "(null)", "(null)",
         "(null)", "(null)", false},
        {"urn:isbn:0451450523", "urn", "(null)", -1, "(null)", "(null)", "(null)", "(null)",
         "(null)", false},
        {"relative/path?q", "(null)", "(null)", -1, "relative/path", "(null)", "(null)", "q",
         "(null)", true},
        {"//host:65535", "(null)", "host", 65535, "", "(null)", "(null)", "(null)", "(null)", true},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.url);
        Owned<CFURLRef> url(MakeURL(c.url));
        ASSERT_NE(url.get(), nullptr);
        EXPECT_EQ(URLText(url.get()), c.url);
        EXPECT_EQ(Take(CFURLCopyScheme(url.get())), c.scheme);
        EXPECT_EQ(Take(CFURLCopyHostName(url.get())), c.host);
        EXPECT_EQ(CFURLGetPortNumber(url.get()), c.port);
        EXPECT_EQ(Take(CFURLCopyPath(url.get())), c.path);
        EXPECT_EQ(Take(CFURLCopyUserName(url.get())), c.user);
        EXPECT_EQ(Take(CFURLCopyPassword(url.get())), c.password);
        EXPECT_EQ(Take(CFURLCopyQueryString(url.get(), nullptr)), c.query);
        EXPECT_EQ(Take(CFURLCopyFragment(url.get(), nullptr)), c.fragment);
        EXPECT_EQ(bool(CFURLCanBeDecomposed(url.get())), c.decomposable);
    }
}

TEST(CFURL, RefusesMalformedStrings) {
    const char* cases[] = {
        "socket://host:99999/", // port out of range
        "socket://host:123456/",
        "socket://host:9a/", // port not a number
        "socket://host:-1/",
        "http://host/%zz", // malformed escapes
        "http://host/%4",
        "http://host/a%",
        "a b",                     // space
        "http://host/\x01",        // control character
        "http://host/\x7f",        // delete
        "http://host/caf\xc3\xa9", // non-ASCII
        "http://host/<x>",
        "http://host/a\"b",
        "http://host/{x}",
        "http://host/a|b",
        "http://host/a\\b",
        "http://[::1/",    // unclosed IPv6 host
        "http://[zz::1]/", // not an IPv6 address
        "http://[::1]x/",
        "http://ho[st/", // bracket outside a host
        "http://host/a[1]",
        "1http://x", // a scheme begins with a letter
        "://x",
        "ht tp://x",
        "http://a#b#c", // two fragments
        "",
    };
    for (const char* text : cases) {
        Owned<CFURLRef> url(MakeURL(text));
        EXPECT_EQ(url.get(), nullptr) << text;
    }
    EXPECT_EQ(CFURLCreateWithString(nullptr, nullptr, nullptr), nullptr);
}

TEST(CFURL, ResolvesReferencesAgainstABase) {
    // The reference resolution examples of RFC 3986, section 5.4.
    Owned<CFURLRef> base(MakeURL("http://a/b/c/d;p?q"));
    const std::pair<const char*, const char*> cases[] = {
        {"g:h", "g:h"},
        {"g", "http://a/b/c/g"},
        {"./g", "http://a/b/c/g"},
        {"g/", "http://a/b/c/g/"},
        {"/g", "http://a/g"},
        {"//g", "http://g"},
        {"?y", "http://a/b/c/d;p?y"},
        {"g?y", "http://a/b/c/g?y"},
        {"#s", "http://a/b/c/d;p?q#s"},
        {"g#s", "http://a/b/c/g#s"},
        {"g?y#s", "http://a/b/c/g?y#s"},
        {";x", "http://a/b/c/;x"},
        {"g;x", "http://a/b/c/g;x"},
        {"", "http://a/b/c/d;p?q"},
        {".", "http://a/b/c/"},
        {"./", "http://a/b/c/"},
        {"..", "http://a/b/"},
        {"../", "http://a/b/"},
        {"../g", "http://a/b/g"},
        {"../..", "http://a/"},
        {"../../", "http://a/"},
        {"../../g", "http://a/g"},
        {"../../../g", "http://a/g"},
        {"../../../../g", "http://a/g"},
        {"/./g", "http://a/g"},
        {"/../g", "http://a/g"},
        {"g.", "http://a/b/c/g."},
        {".g", "http://a/b/c/.g"},
        {"g..", "http://a/b/c/g.."},
        {"..g", "http://a/b/c/..g"},
        {"./../g", "http://a/b/g"},
        {"./g/.", "http://a/b/c/g/"},
        {"g/./h", "http://a/b/c/g/h"},
        {"g/../h", "http://a/b/c/h"},
        {"g;x=1/./y", "http://a/b/c/g;x=1/y"},
        {"g;x=1/../y", "http://a/b/c/y"},
        {"g?y/./x", "http://a/b/c/g?y/./x"},
        {"g#s/../x", "http://a/b/c/g#s/../x"},
    };
    for (const auto& [reference, expected] : cases) {
        Owned<CFURLRef> relative(MakeURL(reference, base.get()));
        ASSERT_NE(relative.get(), nullptr) << reference;
        EXPECT_EQ(URLText(relative.get()), reference); // the string stays as given
        Owned<CFURLRef> absolute(CFURLCopyAbsoluteURL(relative.get()));
        EXPECT_EQ(URLText(absolute.get()), expected) << reference;
        EXPECT_EQ(CFURLGetBaseURL(absolute.get()), nullptr);
    }

    // A resolved path that would read as an authority (or a scheme) is written so that
    // the absolute URL means what the resolution gave.
    Owned<CFURLRef> noAuthority(MakeURL("http:/a/b"));
    Owned<CFURLRef> doubleSlash(MakeURL("..//g", noAuthority.get()));
    Owned<CFURLRef> resolved(CFURLCopyAbsoluteURL(doubleSlash.get()));
    EXPECT_EQ(URLText(resolved.get()), "http:/.//g");
    EXPECT_EQ(Take(CFURLCopyHostName(resolved.get())), "(null)");
    Owned<CFURLRef> empty(MakeURL("?q"));
    Owned<CFURLRef> colon(
        CFURLCreateCopyAppendingPathComponent(nullptr, empty.get(), CFSTR("c:d"), false));
    EXPECT_EQ(URLText(colon.get()), "./c:d?q");
    EXPECT_EQ(Take(CFURLCopyScheme(colon.get())), "(null)");

    // A relative URL takes scheme, host and port from its base; the path is its own.
    Owned<CFURLRef> server(MakeURL("socket://printer:9101/jobs/"));
    Owned<CFURLRef> relative(MakeURL("queue", server.get()));
    EXPECT_EQ(Take(CFURLCopyScheme(relative.get())), "socket");
    EXPECT_EQ(Take(CFURLCopyHostName(relative.get())), "printer");
    EXPECT_EQ(CFURLGetPortNumber(relative.get()), 9101);
    EXPECT_EQ(Take(CFURLCopyPath(relative.get())), "queue");
    EXPECT_EQ(CFURLGetBaseURL(relative.get()), server.get());
}

TEST(CFURL, ConvertsFileSystemPaths) {
    Owned<CFURLRef> paper(CFURLCreateWithFileSystemPath(
        nullptr, CFSTR("/Library/Printers/Tarvel/Orvo/Default Paper.orvopapers"),
        kCFURLPOSIXPathStyle, false));
    EXPECT_EQ(URLText(paper.get()),
              "file:///Library/Printers/Tarvel/Orvo/Default%20Paper.orvopapers");
    EXPECT_EQ(Take(CFURLCopyFileSystemPath(paper.get(), kCFURLPOSIXPathStyle)),
              "/Library/Printers/Tarvel/Orvo/Default Paper.orvopapers");
    EXPECT_FALSE(CFURLHasDirectoryPath(paper.get()));

    Owned<CFStringRef> oddPath(MakeString("/tmp/a#b?c%d[e] f\xc3\xa9"));
    Owned<CFURLRef> odd(
        CFURLCreateWithFileSystemPath(nullptr, oddPath.get(), kCFURLPOSIXPathStyle, true));
    EXPECT_EQ(URLText(odd.get()), "file:///tmp/a%23b%3Fc%25d%5Be%5D%20f%C3%A9/");
    EXPECT_EQ(Take(CFURLCopyFileSystemPath(odd.get(), kCFURLPOSIXPathStyle)),
              "/tmp/a#b?c%d[e] f\xc3\xa9"); // no trailing slash
    EXPECT_TRUE(CFURLHasDirectoryPath(odd.get()));

    Owned<CFURLRef> folder(
        CFURLCreateWithFileSystemPath(nullptr, CFSTR("/tmp/dir//"), kCFURLPOSIXPathStyle, false));
    EXPECT_EQ(URLText(folder.get()), "file:///tmp/dir");
    Owned<CFURLRef> root(
        CFURLCreateWithFileSystemPath(nullptr, CFSTR("/"), kCFURLPOSIXPathStyle, true));
    EXPECT_EQ(URLText(root.get()), "file:///");
    EXPECT_EQ(Take(CFURLCopyFileSystemPath(root.get(), kCFURLPOSIXPathStyle)), "/");

    char folderName[4096];
    ASSERT_NE(::getcwd(folderName, sizeof folderName), nullptr);
    Owned<CFURLRef> relative(
        CFURLCreateWithFileSystemPath(nullptr, CFSTR("x.txt"), kCFURLPOSIXPathStyle, false));
    EXPECT_EQ(Take(CFURLCopyFileSystemPath(relative.get(), kCFURLPOSIXPathStyle)),
              std::string(folderName) + (std::string(folderName) == "/" ? "" : "/") + "x.txt");

    const char representation[] = "/var/spool/a b";
    Owned<CFURLRef> fromBytes(CFURLCreateFromFileSystemRepresentation(
        nullptr, reinterpret_cast<const UInt8*>(representation), sizeof representation - 1, false));
    EXPECT_EQ(URLText(fromBytes.get()), "file:///var/spool/a%20b");
    UInt8 buffer[15];
    ASSERT_TRUE(CFURLGetFileSystemRepresentation(fromBytes.get(), true, buffer, sizeof buffer));
    EXPECT_STREQ(reinterpret_cast<char*>(buffer), "/var/spool/a b");
    EXPECT_FALSE(CFURLGetFileSystemRepresentation(fromBytes.get(), true, buffer, 14)); // no room

    Owned<CFURLRef> nul(MakeURL("file:///tmp/a%00b"));
    EXPECT_EQ(Take(CFURLCopyFileSystemPath(nul.get(), kCFURLPOSIXPathStyle)), "(null)");
    Owned<CFURLRef> notUTF8(MakeURL("file:///tmp/%FF"));
    EXPECT_EQ(Take(CFURLCopyFileSystemPath(notUTF8.get(), kCFURLPOSIXPathStyle)), "(null)");
    EXPECT_EQ(CFURLCreateWithFileSystemPath(nullptr, CFSTR(""), kCFURLPOSIXPathStyle, false),
              nullptr);
}

TEST(CFURL, EditsPaths) {
    struct Case {
        const char* url;
        const char* last;
        const char* extension;
        const char* appended; // "Sub Folder" appended as a folder
        const char* deleted;
        const char* withExtension; // "icc" appended
        const char* withoutExtension;
    };
    const Case cases[] = {
        {"file:///Library/Profiles/HP%20500.icc", "HP 500.icc", "icc",
         "file:///Library/Profiles/HP%20500.icc/Sub%20Folder/", "file:///Library/Profiles/",
         "file:///Library/Profiles/HP%20500.icc.icc", "file:///Library/Profiles/HP%20500"},
        {"file:///Library/Printers/", "Printers", "(null)",
         "file:///Library/Printers/Sub%20Folder/", "file:///Library/",
         "file:///Library/Printers.icc/", "file:///Library/Printers/"},
        {"http://host/a.tar.gz?q=1#f", "a.tar.gz", "gz", "http://host/a.tar.gz/Sub%20Folder/?q=1#f",
         "http://host/?q=1#f", "http://host/a.tar.gz.icc?q=1#f", "http://host/a.tar?q=1#f"},
        {"file:///.profile", ".profile", "(null)", "file:///.profile/Sub%20Folder/", "file:///",
         "file:///.profile.icc", "file:///.profile"},
        {"socket://host", "", "(null)", "socket://host/Sub%20Folder/", "socket://host/", "(null)",
         "socket://host"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        Owned<CFURLRef> url(MakeURL(c.url));
        ASSERT_NE(url.get(), nullptr);
        EXPECT_EQ(Take(CFURLCopyLastPathComponent(url.get())), c.last);
        EXPECT_EQ(Take(CFURLCopyPathExtension(url.get())), c.extension);
        Owned<CFURLRef> appended(
            CFURLCreateCopyAppendingPathComponent(nullptr, url.get(), CFSTR("Sub Folder"), true));
        EXPECT_EQ(URLText(appended.get()), c.appended);
        Owned<CFURLRef> deleted(CFURLCreateCopyDeletingLastPathComponent(nullptr, url.get()));
        EXPECT_EQ(URLText(deleted.get()), c.deleted);
        Owned<CFURLRef> extended(
            CFURLCreateCopyAppendingPathExtension(nullptr, url.get(), CFSTR("icc")));
        EXPECT_EQ(URLText(extended.get()), c.withExtension);
        Owned<CFURLRef> trimmed(CFURLCreateCopyDeletingPathExtension(nullptr, url.get()));
        EXPECT_EQ(URLText(trimmed.get()), c.withoutExtension);
    }
    Owned<CFURLRef> mail(MakeURL("mailto:a@b"));
    EXPECT_EQ(CFURLCopyLastPathComponent(mail.get()), nullptr);
    EXPECT_EQ(CFURLCreateCopyAppendingPathComponent(nullptr, mail.get(), CFSTR("x"), false),
              nullptr);
}

TEST(CFURL, PercentEscapesRoundTrip) {
    const char* texts[] = {
        "MANUFACTURER:HP;MODEL:DesignJet 500;SERN:XY 123;",
        "100% sure",
        "a/b?c#d&e=f",
        "tab\tnew line\n\x7f",
        "\xc3\x9cn\xc3\xaf"
        "c\xc3\xb6"
        "d\xc3\xa9 \xe2\x82\xac \xf0\x9f\x96\xa8", // Ünïcödé € 🖨
        "",
    };
    for (const char* text : texts) {
        Owned<CFStringRef> original(MakeString(text));
        Owned<CFStringRef> escaped(CFURLCreateStringByAddingPercentEscapes(
            nullptr, original.get(), nullptr, CFSTR(":;/?#&="), kCFStringEncodingUTF8));
        ASSERT_NE(escaped.get(), nullptr) << text;
        // The escaped text is a legal URL path, and decodes back exactly.
        Owned<CFURLRef> url(MakeURL("http://host/" + Text(escaped.get())));
        EXPECT_NE(url.get(), nullptr) << Text(escaped.get());
        Owned<CFStringRef> decoded(
            CFURLCreateStringByReplacingPercentEscapes(nullptr, escaped.get(), CFSTR("")));
        EXPECT_EQ(Text(decoded.get()), text);
    }

    auto add = [](const char* inText, CFStringRef inLeave, CFStringRef inEscape,
                  CFStringEncoding inEncoding = kCFStringEncodingUTF8) {
        Owned<CFStringRef> text(MakeString(inText));
        return Take(CFURLCreateStringByAddingPercentEscapes(nullptr, text.get(), inLeave, inEscape,
                                                            inEncoding));
    };
    EXPECT_EQ(add("a b/c?d%", nullptr, nullptr), "a%20b/c?d%25");
    EXPECT_EQ(add("a b/c?d", CFSTR(" "), CFSTR("/")), "a b%2Fc?d");
    EXPECT_EQ(add("caf\xc3\xa9", nullptr, nullptr), "caf%C3%A9");
    EXPECT_EQ(add("caf\xc3\xa9", nullptr, nullptr, kCFStringEncodingISOLatin1), "caf%E9");
    EXPECT_EQ(add("\xe2\x82\xac", nullptr, nullptr, kCFStringEncodingASCII), "(null)");

    auto replace = [](const char* inText, CFStringRef inLeave) {
        Owned<CFStringRef> text(MakeString(inText));
        return Take(CFURLCreateStringByReplacingPercentEscapes(nullptr, text.get(), inLeave));
    };
    EXPECT_EQ(replace("a%20b%2Fc", nullptr), "a%20b%2Fc"); // null: nothing replaced
    EXPECT_EQ(replace("a%20b%2Fc%2f", CFSTR("/")), "a b%2Fc%2f");
    Owned<CFStringRef> euro(MakeString("\xe2\x82\xac"));
    EXPECT_EQ(replace("%C3%A9%E2%82%AC", euro.get()), "\xc3\xa9%E2%82%AC");
    for (const char* malformed : {"%", "%4", "%G1", "%C3", "%FF", "%C3%28", "%ED%A0%80"})
        EXPECT_EQ(replace(malformed, CFSTR("")), "(null)") << malformed;
}

TEST(CFURL, EqualityIsByStringAndBase) {
    Owned<CFURLRef> a(MakeURL("socket://host:9100/"));
    Owned<CFURLRef> b(MakeURL("socket://host:9100/"));
    Owned<CFURLRef> c(MakeURL("socket://HOST:9100/"));
    Owned<CFURLRef> base(MakeURL("socket://host/"));
    Owned<CFURLRef> relative1(MakeURL("jobs/", base.get()));
    Owned<CFURLRef> other(MakeURL("socket://other/"));
    Owned<CFURLRef> relative2(MakeURL("jobs/", other.get()));
    EXPECT_TRUE(CFEqual(a.get(), b.get()));
    EXPECT_EQ(CFHash(a.get()), CFHash(b.get()));
    EXPECT_FALSE(CFEqual(a.get(), c.get()));
    EXPECT_FALSE(CFEqual(relative1.get(), relative2.get()));
    EXPECT_EQ(CFGetTypeID(a.get()), CFURLGetTypeID());

    CFStringRef description = CFCopyDescription(a.get());
    std::string text = Text(description);
    CFRelease(description);
    EXPECT_EQ(text.rfind("<CFURL 0x", 0), 0u) << text;
    EXPECT_NE(text.find(">{socket://host:9100/}"), std::string::npos) << text;
}

class CFURLResources : public testing::Test {
protected:
    CFURLRef FileURL(const std::string& inPath, bool inIsFolder = false) {
        return CFURLCreateFromFileSystemRepresentation(
            nullptr, reinterpret_cast<const UInt8*>(inPath.data()),
            static_cast<CFIndex>(inPath.size()), inIsFolder);
    }
    std::string Read(CFURLRef inURL, SInt32& outError) {
        CFDataRef data = reinterpret_cast<CFDataRef>(1); // must be cleared on failure
        outError = 1;
        Boolean read = CFURLCreateDataAndPropertiesFromResource(nullptr, inURL, &data, nullptr,
                                                                nullptr, &outError);
        if (!read) {
            EXPECT_EQ(data, nullptr);
            return "(failed)";
        }
        std::string bytes(reinterpret_cast<const char*>(CFDataGetBytePtr(data)),
                          static_cast<size_t>(CFDataGetLength(data)));
        CFRelease(data);
        return bytes;
    }

    orvo_test::TemporaryFolder mFolder;
};

TEST_F(CFURLResources, ReadsWholeFilesAndReportsWhyNot) {
    std::string content("binary\0data\xff", 12);
    std::string path = mFolder.Write("Engine.xml", content);
    SInt32 error;
    Owned<CFURLRef> url(FileURL(path));
    EXPECT_EQ(Read(url.get(), error), content);
    EXPECT_EQ(error, 0);

    Owned<CFURLRef> missing(FileURL(mFolder.Path() + "/none.xml"));
    EXPECT_EQ(Read(missing.get(), error), "(failed)");
    EXPECT_EQ(error, kCFURLResourceNotFoundError);
    Owned<CFURLRef> throughFile(FileURL(path + "/x"));
    EXPECT_EQ(Read(throughFile.get(), error), "(failed)");
    EXPECT_EQ(error, kCFURLResourceNotFoundError);

    Owned<CFURLRef> folder(FileURL(mFolder.Path(), true));
    EXPECT_EQ(Read(folder.get(), error), "(failed)");
    EXPECT_EQ(error, kCFURLResourceAccessViolationError);

    Owned<CFURLRef> web(MakeURL("http://host/Engine.xml"));
    EXPECT_EQ(Read(web.get(), error), "(failed)");
    EXPECT_EQ(error, kCFURLUnknownSchemeError);

    if (::geteuid() != 0) { // the superuser reads anything
        std::string secret = mFolder.Write("secret.xml", "x");
        ::chmod(secret.c_str(), 0);
        Owned<CFURLRef> locked(FileURL(secret));
        EXPECT_EQ(Read(locked.get(), error), "(failed)");
        EXPECT_EQ(error, kCFURLResourceAccessViolationError);
    }
    EXPECT_FALSE(CFURLCreateDataAndPropertiesFromResource(nullptr, nullptr, nullptr, nullptr,
                                                          nullptr, nullptr));
}

TEST_F(CFURLResources, ReportsProperties) {
    mFolder.Write("Resources/a.txt", "12345");
    mFolder.MakeFolder("Resources/Sub Folder");
    Owned<CFURLRef> file(FileURL(mFolder.Path() + "/Resources/a.txt"));
    CFDictionaryRef properties = nullptr;
    SInt32 error;
    ASSERT_TRUE(CFURLCreateDataAndPropertiesFromResource(nullptr, file.get(), nullptr, &properties,
                                                         nullptr, &error));
    EXPECT_EQ(CFDictionaryGetValue(properties, kCFURLFileExists), kCFBooleanTrue);
    SInt64 length = 0;
    CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(properties, kCFURLFileLength)),
                     kCFNumberSInt64Type, &length);
    EXPECT_EQ(length, 5);
    CFTypeRef modified = CFDictionaryGetValue(properties, kCFURLFileLastModificationTime);
    ASSERT_NE(modified, nullptr);
    EXPECT_NEAR(CFDateGetAbsoluteTime(static_cast<CFDateRef>(modified)), CFAbsoluteTimeGetCurrent(),
                600);
    CFRelease(properties);

    const void* wanted[] = {kCFURLFileDirectoryContents};
    Owned<CFArrayRef> desired(CFArrayCreate(nullptr, wanted, 1, &kCFTypeArrayCallBacks));
    Owned<CFURLRef> folder(FileURL(mFolder.Path() + "/Resources", true));
    ASSERT_TRUE(CFURLCreateDataAndPropertiesFromResource(nullptr, folder.get(), nullptr,
                                                         &properties, desired.get(), &error));
    EXPECT_EQ(CFDictionaryGetCount(properties), 1);
    CFArrayRef contents =
        static_cast<CFArrayRef>(CFDictionaryGetValue(properties, kCFURLFileDirectoryContents));
    ASSERT_EQ(CFArrayGetCount(contents), 2);
    EXPECT_EQ(URLText(static_cast<CFURLRef>(CFArrayGetValueAtIndex(contents, 1))),
              URLText(folder.get()) + "a.txt"); // "Sub Folder" sorts first
    EXPECT_EQ(URLText(static_cast<CFURLRef>(CFArrayGetValueAtIndex(contents, 0))),
              URLText(folder.get()) + "Sub%20Folder/");
    CFRelease(properties);

    Owned<CFURLRef> missing(FileURL(mFolder.Path() + "/gone"));
    ASSERT_TRUE(CFURLCreateDataAndPropertiesFromResource(nullptr, missing.get(), nullptr,
                                                         &properties, nullptr, &error));
    EXPECT_EQ(CFDictionaryGetValue(properties, kCFURLFileExists), kCFBooleanFalse);
    EXPECT_EQ(CFDictionaryGetCount(properties), 1);
    CFRelease(properties);
}

TEST_F(CFURLResources, WritesAtomically) {
    std::string path = mFolder.Write("Preferences.plist", "old content");
    ::chmod(path.c_str(), 0640);
    Owned<CFURLRef> url(FileURL(path));
    const char fresh[] = "new content";
    Owned<CFDataRef> data(
        CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(fresh), sizeof fresh - 1));
    SInt32 error = 1;
    ASSERT_TRUE(CFURLWriteDataAndPropertiesToResource(url.get(), data.get(), nullptr, &error));
    EXPECT_EQ(error, 0);
    EXPECT_EQ(orvo_test::ReadFile(path), "new content");
    struct stat info;
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u); // an existing file keeps its permissions
    EXPECT_EQ(orvo_test::FolderNames(mFolder.Path()),
              std::vector<std::string>{"Preferences.plist"}); // no temporary file left

    // A missing folder: nothing written, nothing left behind.
    Owned<CFURLRef> nowhere(FileURL(mFolder.Path() + "/missing/x.plist"));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(CFURLWriteDataAndPropertiesToResource(nowhere.get(), data.get(), nullptr, &error));
    std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(error, kCFURLResourceNotFoundError);
    EXPECT_NE(message.find("CFURLWriteDataAndPropertiesToResource: "), std::string::npos);

    // Over a folder: refused, the folder untouched.
    mFolder.MakeFolder("taken");
    Owned<CFURLRef> overFolder(FileURL(mFolder.Path() + "/taken"));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(
        CFURLWriteDataAndPropertiesToResource(overFolder.get(), data.get(), nullptr, &error));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(error, kCFURLResourceAccessViolationError);

    if (::geteuid() != 0) {
        std::string locked = mFolder.MakeFolder("locked");
        std::string kept = mFolder.Write("locked/kept.plist", "kept");
        ::chmod(locked.c_str(), 0555);
        Owned<CFURLRef> lockedURL(FileURL(kept));
        testing::internal::CaptureStderr();
        EXPECT_FALSE(
            CFURLWriteDataAndPropertiesToResource(lockedURL.get(), data.get(), nullptr, &error));
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(error, kCFURLResourceAccessViolationError);
        EXPECT_EQ(orvo_test::ReadFile(kept), "kept");
        EXPECT_EQ(orvo_test::FolderNames(locked), std::vector<std::string>{"kept.plist"});
    }

    // Null data with a folder URL makes the folder.
    Owned<CFURLRef> newFolder(FileURL(mFolder.Path() + "/made/here", true));
    EXPECT_TRUE(CFURLWriteDataAndPropertiesToResource(newFolder.get(), nullptr, nullptr, &error));
    EXPECT_TRUE(orvo_test::FileExists(mFolder.Path() + "/made/here"));
}

} // namespace
