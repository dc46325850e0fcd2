#include "legacy/printerconfiguration/PrinterBundle.h"

#include "../PrinterBundleFixture.h"

#include <gtest/gtest.h>

namespace {

using namespace orvo_config_test;
using Tarvel::PrinterBundle;

std::string BundleFolder(CFBundleRef inBundle) {
    CFPtr<CFURLRef> url(CFBundleCopyBundleURL(inBundle));
    return Text(CFURLGetString(url.get()));
}

TEST(PrinterBundle, TheInstalledFrameworkFirst) {
    PrinterBundleFixture fixture;
    CFPtr<CFBundleRef> bundle(PrinterBundle::GetBundle());
    ASSERT_NE(bundle, nullptr);
    EXPECT_EQ(Text(CFBundleGetIdentifier(bundle.get())), "orvo.engine.framework");
    EXPECT_EQ(BundleFolder(bundle.get()), "file:///Library/Printers/Tarvel/Orvo/Orvo.framework/");
    CFIndex count = CFGetRetainCount(bundle.get());
    CFPtr<CFBundleRef> again(PrinterBundle::GetBundle()); // a new reference each time
    EXPECT_EQ(CFGetRetainCount(bundle.get()), count + 1);
}

TEST(PrinterBundle, ElsewhereByItsIdentifier) {
    PrinterBundleFixture fixture;
    fixture.MoveFramework("/Library/Printers/Vendor/Orvo.framework");
    CFPtr<CFBundleRef> bundle(PrinterBundle::GetBundle());
    ASSERT_NE(bundle, nullptr);
    EXPECT_EQ(BundleFolder(bundle.get()), "file:///Library/Printers/Vendor/Orvo.framework/");
}

TEST(PrinterBundle, NullWithoutAFramework) {
    PrinterBundleFixture fixture;
    fixture.RemoveFramework();
    EXPECT_EQ(PrinterBundle::GetBundle(), nullptr);
}

} // namespace
