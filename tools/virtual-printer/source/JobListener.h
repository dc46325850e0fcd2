// A raw TCP print port like a JetDirect one: one job per connection, connections served one
// after the other. Each job is stored as job-N.prn, job-N.json and job-N.png (further pages
// job-N-2.png, ...) in the output directory, and nowhere else.
#pragma once

#include <cstdint>
#include <string>

namespace Tarvel::VirtualPrinter {

class JobListener {
public:
    struct Options {
        std::string address = "127.0.0.1";
        std::uint16_t port = 9100;
        std::string outputDirectory = ".";
        unsigned scale = 1;
        int idleTimeoutSeconds = 60; // a client silent this long ends its job as truncated
    };

    explicit JobListener(Options inOptions);
    ~JobListener();
    JobListener(const JobListener&) = delete;
    JobListener& operator=(const JobListener&) = delete;

    bool Open(std::string& outError);
    // The port bound, useful when port 0 asked the system to choose one.
    std::uint16_t Port() const { return mPort; }
    // Accepts one connection, stores and decodes its job. outLine is the job's summary line.
    // False only when the listener itself failed (outError); a bad job still returns true.
    bool ServeOne(std::string& outLine, std::string& outError);

private:
    unsigned NextJobNumber() const;

    Options mOptions;
    int mSocket = -1;
    std::uint16_t mPort = 0;
};

} // namespace Tarvel::VirtualPrinter
