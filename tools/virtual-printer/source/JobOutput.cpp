#include "JobOutput.h"

#include "PngWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace Tarvel::VirtualPrinter {

std::string JobOutput::PreviewPath(const std::string& inPngPath, std::size_t inPage) {
    if (inPage == 0)
        return inPngPath;
    std::string suffix = "-" + std::to_string(inPage + 1);
    std::size_t slash = inPngPath.rfind('/');
    std::size_t dot = inPngPath.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return inPngPath + suffix;
    return inPngPath.substr(0, dot) + suffix + inPngPath.substr(dot);
}

bool JobOutput::WritePreviews(const JobSummary& inSummary, const std::string& inPngPath,
                              std::string& outError) {
    for (std::size_t i = 0; i < inSummary.pages.size(); ++i) {
        const PageSummary& page = inSummary.pages[i];
        if (page.preview && !PngWriter::Write(*page.preview, PreviewPath(inPngPath, i), outError))
            return false;
    }
    return true;
}

bool JobOutput::WriteFile(const std::string& inPath, const void* inData, std::size_t inSize,
                          std::string& outError) {
    std::string temporary = inPath + ".part";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) {
        outError = "cannot create " + temporary + ": " + std::strerror(errno);
        return false;
    }
    bool ok = std::fwrite(inData, 1, inSize, file) == inSize;
    int error = errno;
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && std::rename(temporary.c_str(), inPath.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        outError = "cannot write " + inPath + ": " + std::strerror(error);
    }
    return ok;
}

} // namespace Tarvel::VirtualPrinter
