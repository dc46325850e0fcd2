#include "engines/deliveryengines/TempFileDeliveryEngine.h"
#include "rows-and-blocks/translatedblocks/StreamTranslatedBlock.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

using namespace Tarvel;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;
namespace fs = std::filesystem;

namespace {

class TempFileDeliveryEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/orvo-tempfile-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        mDirectory = pattern;
        mPath = mDirectory + "/engine-output.orvo";
    }
    void TearDown() override { fs::remove_all(mDirectory); }

    static std::string Contents(const std::string& inPath) {
        std::ifstream file(inPath, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }
    static void DeliverPage(TempFileDeliveryEngine& ioEngine, const std::string& inBytes) {
        StreamTranslatedBlock block;
        block << inBytes.c_str();
        ioEngine.StartDelivery();
        ioEngine.Deliver(&block);
        ioEngine.EndDelivery();
    }

    std::string mDirectory;
    std::string mPath;
};

} // namespace

TEST_F(TempFileDeliveryEngineTest, DeliversToTheFixedPathByDefault) {
    TempFileDeliveryEngine engine(nullptr);
    EXPECT_EQ(engine.GetOutputPath(), "/tmp/engine-output.orvo");
}

TEST_F(TempFileDeliveryEngineTest, BlocksAreWrittenInOrderAndEachPageReplacesTheLast) {
    TempFileDeliveryEngine engine(nullptr, mPath);
    StreamTranslatedBlock three, five;
    three << "abc";
    five.PutBytes("\0de\0f", 5);
    engine.StartDelivery();
    engine.Deliver(&three);
    engine.Deliver(&five);
    engine.EndDelivery();
    EXPECT_EQ(Contents(mPath), std::string("abc\0de\0f", 8));

    DeliverPage(engine, "xy");
    EXPECT_EQ(Contents(mPath), "xy");
}

TEST_F(TempFileDeliveryEngineTest, CreatesTheFileNoWiderThan0644) {
    const mode_t previous = umask(0);
    TempFileDeliveryEngine engine(nullptr, mPath);
    DeliverPage(engine, "a");
    umask(previous);
    EXPECT_EQ(fs::status(mPath).permissions() & fs::perms::mask,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);

    fs::permissions(mPath, fs::perms::all);
    DeliverPage(engine, "b");
    EXPECT_EQ(fs::status(mPath).permissions() &
                  (fs::perms::group_write | fs::perms::others_write | fs::perms::owner_exec),
              fs::perms::none);
}

TEST_F(TempFileDeliveryEngineTest, RefusesPlantedLinksAndSpecialFilesAndSaysSo) {
    const std::string victim = mDirectory + "/victim";
    std::ofstream(victim) << "precious";
    struct Case {
        const char* name;
        void (*plant)(const std::string& victim, const std::string& path);
    } cases[] = {
        {"symbolic link",
         [](const std::string& v, const std::string& p) { fs::create_symlink(v, p); }},
        {"hard link",
         [](const std::string& v, const std::string& p) { fs::create_hard_link(v, p); }},
        {"fifo",
         [](const std::string&, const std::string& p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); }},
        {"directory", [](const std::string&, const std::string& p) { fs::create_directory(p); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(mPath);
        c.plant(victim, mPath);
        TempFileDeliveryEngine engine(nullptr, mPath);
        CaptureStderr();
        DeliverPage(engine, "overwritten");
        const std::string errors = GetCapturedStderr();
        EXPECT_NE(errors.find("TempFileDeliveryEngine"), std::string::npos);
        EXPECT_NE(errors.find(mPath), std::string::npos);
        EXPECT_EQ(Contents(victim), "precious");
    }
}

TEST_F(TempFileDeliveryEngineTest, ReportsAFileThatCannotBeOpened) {
    TempFileDeliveryEngine engine(nullptr, mDirectory + "/missing/engine-output.orvo");
    CaptureStderr();
    DeliverPage(engine, "lost");
    const std::string errors = GetCapturedStderr();
    EXPECT_NE(errors.find("cannot open"), std::string::npos) << errors;
}

TEST_F(TempFileDeliveryEngineTest, ReportsAFailedWriteOncePerPage) {
    // A file-size limit makes writes beyond 4096 bytes fail with EFBIG (the captured error
    // text stays well below it).
    struct rlimit previous;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    void (*previousHandler)(int) = signal(SIGXFSZ, SIG_IGN);
    TempFileDeliveryEngine engine(nullptr, mPath);
    StreamTranslatedBlock block;
    const std::string bytes(6000, 'z');
    block << bytes.c_str();
    engine.StartDelivery();
    struct rlimit limit = previous;
    limit.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    CaptureStderr();
    engine.Deliver(&block);
    engine.Deliver(&block);
    setrlimit(RLIMIT_FSIZE, &previous);
    signal(SIGXFSZ, previousHandler);
    const std::string errors = GetCapturedStderr();
    engine.EndDelivery();
    const size_t first = errors.find("cannot write");
    ASSERT_NE(first, std::string::npos) << errors;
    EXPECT_EQ(errors.find("cannot write", first + 1), std::string::npos) << errors;
    EXPECT_EQ(Contents(mPath), std::string(4096, 'z'));
}
