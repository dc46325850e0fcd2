#include "JobListener.h"

#include "JobDecoder.h"
#include "JobOutput.h"
#include "JsonSummaryWriter.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace Tarvel::VirtualPrinter {

namespace {

constexpr std::size_t kMaxJobBytes = std::size_t{1} << 31;

bool Exists(const std::string& inPath) {
    struct stat info;
    return ::stat(inPath.c_str(), &info) == 0;
}

} // namespace

JobListener::JobListener(Options inOptions) : mOptions(std::move(inOptions)) {}

JobListener::~JobListener() {
    if (mSocket >= 0)
        ::close(mSocket);
}

bool JobListener::Open(std::string& outError) {
    struct stat info;
    if (::stat(mOptions.outputDirectory.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        outError = "output directory " + mOptions.outputDirectory + " does not exist";
        return false;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(mOptions.port);
    if (::inet_pton(AF_INET, mOptions.address.c_str(), &address.sin_addr) != 1) {
        outError = "not an IPv4 address: " + mOptions.address;
        return false;
    }
    mSocket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (mSocket < 0) {
        outError = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    int yes = 1;
    ::setsockopt(mSocket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (::bind(mSocket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(mSocket, 8) != 0) {
        outError = "cannot listen on " + mOptions.address + ":" + std::to_string(mOptions.port) +
                   ": " + std::strerror(errno);
        ::close(mSocket);
        mSocket = -1;
        return false;
    }
    socklen_t length = sizeof address;
    ::getsockname(mSocket, reinterpret_cast<sockaddr*>(&address), &length);
    mPort = ntohs(address.sin_port);
    return true;
}

unsigned JobListener::NextJobNumber() const {
    unsigned n = 1;
    while (Exists(mOptions.outputDirectory + "/job-" + std::to_string(n) + ".prn"))
        ++n;
    return n;
}

bool JobListener::ServeOne(std::string& outLine, std::string& outError) {
    int client;
    do {
        client = ::accept4(mSocket, nullptr, nullptr, SOCK_CLOEXEC);
    } while (client < 0 && errno == EINTR);
    if (client < 0) {
        outError = std::string("accept: ") + std::strerror(errno);
        return false;
    }
    std::vector<std::uint8_t> job;
    bool cutOff = false;
    std::uint8_t buffer[65536];
    for (;;) {
        pollfd waiting{client, POLLIN, 0};
        int ready = ::poll(&waiting, 1, mOptions.idleTimeoutSeconds * 1000);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            cutOff = true; // silent too long
            break;
        }
        ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            cutOff = true; // reset by the client
            break;
        }
        if (got == 0)
            break;
        if (job.size() + static_cast<std::size_t>(got) > kMaxJobBytes) {
            cutOff = true;
            break;
        }
        job.insert(job.end(), buffer, buffer + got);
    }
    ::close(client);

    unsigned number = NextJobNumber();
    std::string base = mOptions.outputDirectory + "/job-" + std::to_string(number);
    DecodeOptions options;
    options.render = true;
    options.scale = mOptions.scale;
    JobSummary summary = JobDecoder(options).Decode(job.data(), job.size());
    summary.truncated = cutOff || summary.endedInsideJob;
    std::string json = JsonSummaryWriter::Write(summary);
    std::string error;
    bool written = JobOutput::WriteFile(base + ".prn", job.data(), job.size(), error) &&
                   JobOutput::WritePreviews(summary, base + ".png", error) &&
                   JobOutput::WriteFile(base + ".json", json.data(), json.size(), error);
    outLine = "job-" + std::to_string(number) + ": " + summary.language + ", " +
              std::to_string(summary.pages.size()) +
              (summary.pages.size() == 1 ? " page, " : " pages, ") + std::to_string(job.size()) +
              " bytes";
    if (summary.truncated)
        outLine += ", truncated";
    if (summary.Ok())
        outLine += ", ok";
    else
        outLine += ", " + std::to_string(summary.errors.size()) + " errors (first at offset " +
                   std::to_string(summary.errors.front().offset) + ": " +
                   summary.errors.front().message + ")";
    if (!written) {
        outError = error;
        return false;
    }
    return true;
}

} // namespace Tarvel::VirtualPrinter
