#include "JobListener.h"

#include <gtest/gtest.h>

#include "StreamSupport.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace Tarvel::VirtualPrinter {
namespace {

using namespace Streams;

// Sends inChunks over one loopback connection, pausing between them like a slow client.
void Send(std::uint16_t inPort, const std::vector<std::string>& inChunks) {
    int client = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(client, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(inPort);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    for (const std::string& chunk : inChunks) {
        ASSERT_EQ(::send(client, chunk.data(), chunk.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(chunk.size()));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::close(client);
}

std::string Slurp(const std::filesystem::path& inPath) {
    std::ifstream file(inPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TEST(JobListenerTest, LoopbackJobsAreStoredOneAfterTheOtherAndACutJobIsTruncated) {
    char pattern[] = "/tmp/orvo-vp-listen-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    std::filesystem::path directory = pattern;

    JobListener::Options options;
    options.port = 0;
    options.outputDirectory = directory.string();
    options.idleTimeoutSeconds = 10;
    JobListener listener(options);
    std::string error;
    ASSERT_TRUE(listener.Open(error)) << error;

    std::string job = HpRtlJob("Net", 8, 1, MonoConfigure(), Esc("*b2m2W") + Bytes({0, 0x80}));
    std::thread clients([&] {
        Send(listener.Port(), {job.substr(0, 10), job.substr(10, 100), job.substr(110)});
        Send(listener.Port(), {job.substr(0, job.size() / 2)});
    });
    std::string first, second;
    bool served = listener.ServeOne(first, error) && listener.ServeOne(second, error);
    clients.join();
    ASSERT_TRUE(served) << error;

    EXPECT_EQ(first, "job-1: HP-RTL, 1 page, " + std::to_string(job.size()) + " bytes, ok");
    EXPECT_NE(second.find("job-2: HP-RTL"), std::string::npos) << second;
    EXPECT_NE(second.find("truncated"), std::string::npos) << second;
    EXPECT_EQ(Slurp(directory / "job-1.prn"), job);
    EXPECT_EQ(Slurp(directory / "job-2.prn"), job.substr(0, job.size() / 2));
    EXPECT_EQ(Slurp(directory / "job-1.png").substr(1, 3), "PNG");
    EXPECT_NE(Slurp(directory / "job-2.json").find("\"truncated\": true"), std::string::npos);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"job-1.json", "job-1.png", "job-1.prn", "job-2.json",
                                               "job-2.png", "job-2.prn"}));
    std::filesystem::remove_all(directory);
}

} // namespace
} // namespace Tarvel::VirtualPrinter
