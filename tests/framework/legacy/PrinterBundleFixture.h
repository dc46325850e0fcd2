// An install root of its own for a test: a temporary folder holding copies of the fixture
// bundles of tests/framework/legacy/fixtures/ at their installed places, set as the
// platform root for the fixture's lifetime.
//
//     Library/Printers/Tarvel/Orvo/Orvo.framework   the framework bundle (shared papers and
//                                                   the universal engine file)
//     Library/Printers/Tarvel/TestJet.plugin        a printer bundle
//
// Tests change single description files to make them malformed.
#pragma once

#include "ConfigurationTestSupport.h"

#include <CoreFoundation/CoreFoundation.h>
#include <CoreFoundation/OrvoPlatformRoot.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace orvo_config_test {

class PrinterBundleFixture {
public:
    static constexpr const char* kFrameworkPath = "/Library/Printers/Tarvel/Orvo/Orvo.framework";
    static constexpr const char* kPrinterPath = "/Library/Printers/Tarvel/TestJet.plugin";

    PrinterBundleFixture() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "orvo-printer-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            ADD_FAILURE() << "no temporary folder";
        mRoot = pattern;
        const std::filesystem::path fixtures =
            std::filesystem::path(ORVO_TEST_SOURCE_DIR) / "framework/legacy/fixtures";
        Install(fixtures / "Orvo.framework", kFrameworkPath);
        Install(fixtures / "TestJet.plugin", kPrinterPath);
        OrvoPlatformSetRootDirectory(mRoot.c_str());
    }
    ~PrinterBundleFixture() {
        OrvoPlatformSetRootDirectory(nullptr);
        std::error_code ignored;
        std::filesystem::remove_all(mRoot, ignored);
    }
    PrinterBundleFixture(const PrinterBundleFixture&) = delete;
    PrinterBundleFixture& operator=(const PrinterBundleFixture&) = delete;

    // The file-system path of a driver path ("/Library/...").
    std::filesystem::path Resolve(const std::string& inDriverPath) const {
        return std::filesystem::path(mRoot + inDriverPath);
    }
    std::filesystem::path PrinterResource(const std::string& inName) const {
        return Resolve(std::string(kPrinterPath) + "/Contents/Resources/" + inName);
    }
    std::filesystem::path FrameworkResource(const std::string& inName) const {
        return Resolve(std::string(kFrameworkPath) + "/Contents/Resources/" + inName);
    }

    static void WriteFile(const std::filesystem::path& inPath, const std::string& inContent) {
        std::filesystem::create_directories(inPath.parent_path());
        std::ofstream(inPath, std::ios::binary | std::ios::trunc) << inContent;
    }
    void WritePrinterResource(const std::string& inName, const std::string& inContent) const {
        WriteFile(PrinterResource(inName), inContent);
    }
    void WriteFrameworkResource(const std::string& inName, const std::string& inContent) const {
        WriteFile(FrameworkResource(inName), inContent);
    }
    void RemovePrinterResource(const std::string& inName) const {
        std::filesystem::remove(PrinterResource(inName));
    }
    void RemoveFrameworkResource(const std::string& inName) const {
        std::filesystem::remove(FrameworkResource(inName));
    }
    // Moves the framework bundle from its install path to another driver path.
    void MoveFramework(const std::string& inDriverPath) const {
        std::filesystem::create_directories(Resolve(inDriverPath).parent_path());
        std::filesystem::rename(Resolve(kFrameworkPath), Resolve(inDriverPath));
    }
    void RemoveFramework() const { std::filesystem::remove_all(Resolve(kFrameworkPath)); }

    // Rewrites a property-list resource of the printer bundle after inEdit changed it.
    void EditPrinterPlist(const std::string& inName,
                          const std::function<void(CFMutableDictionaryRef)>& inEdit) const {
        std::ifstream file(PrinterResource(inName), std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        CFPtr<CFDataRef> data(CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(text.data()),
                                           static_cast<CFIndex>(text.size())));
        CFPtr<CFPropertyListRef> value(CFPropertyListCreateFromXMLData(
            nullptr, data.get(), kCFPropertyListMutableContainersAndLeaves, nullptr));
        ASSERT_TRUE(value != nullptr && CFGetTypeID(value.get()) == CFDictionaryGetTypeID());
        inEdit(static_cast<CFMutableDictionaryRef>(const_cast<void*>(value.get())));
        CFPtr<CFDataRef> written(CFPropertyListCreateXMLData(nullptr, value.get()));
        ASSERT_NE(written, nullptr);
        WritePrinterResource(
            inName, std::string(reinterpret_cast<const char*>(CFDataGetBytePtr(written.get())),
                                static_cast<size_t>(CFDataGetLength(written.get()))));
    }
    void EditProperties(const std::function<void(CFMutableDictionaryRef)>& inEdit) const {
        EditPrinterPlist("Properties.plist", inEdit);
    }

    // The printer bundle, a new reference.
    CFPtr<CFBundleRef> PrinterBundle() const { return BundleAt(kPrinterPath); }
    static CFPtr<CFBundleRef> BundleAt(const std::string& inDriverPath) {
        CFPtr<CFStringRef> path = String(inDriverPath);
        CFPtr<CFURLRef> url(
            CFURLCreateWithFileSystemPath(nullptr, path.get(), kCFURLPOSIXPathStyle, true));
        CFBundleRef bundle = CFBundleCreate(nullptr, url.get());
        EXPECT_NE(bundle, nullptr) << inDriverPath;
        return CFPtr<CFBundleRef>(bundle);
    }

private:
    void Install(const std::filesystem::path& inSource, const std::string& inDriverPath) const {
        std::filesystem::path target = Resolve(inDriverPath);
        std::filesystem::create_directories(target.parent_path());
        std::filesystem::copy(inSource, target, std::filesystem::copy_options::recursive);
    }

    std::string mRoot;
};

} // namespace orvo_config_test
