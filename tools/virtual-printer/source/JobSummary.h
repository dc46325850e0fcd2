// What the decoder found in a job stream: its language, pages and protocol errors.
#pragma once

#include "PagePreview.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Tarvel::VirtualPrinter {

struct Diagnostic {
    std::size_t offset = 0;
    std::string message;
};

struct InkCount {
    std::string ink;
    int levels = 2;
    std::uint64_t dots = 0; // pixels that received this ink at any level
};

struct PageSummary {
    std::string pjlJobName;
    std::vector<std::pair<std::string, std::string>> pjlVariables;
    std::vector<std::string> hpgl2Commands;       // mnemonics with their parameters, in order
    long long rasterWidth = -1;                   // ESC*r#S, -1 when not given
    long long rasterHeight = -1;                  // ESC*r#T
    long long resolution = -1;                    // ESC*t#R
    long long unitOfMeasure = -1;                 // ESC&u#D
    long long mediaType = -1;                     // ESC&l#M
    std::vector<std::uint8_t> configureImageData; // the ESC*v6W bytes
    std::vector<std::uint32_t> palette;           // 0xRRGGBB by index
    int pcl3guiFormat = -1;                       // first byte of ESC*g#W
    struct Component {
        int horizontal = 0;
        int vertical = 0;
        int levels = 0;
    };
    std::vector<Component> components; // ESC*g#W
    std::vector<int> compressionModes; // distinct modes used, in order of first use
    std::uint64_t rows = 0;
    std::uint64_t skippedRows = 0; // ESC*b#Y
    int planesPerRow = 0;          // as configured
    std::uint64_t pixelWidth = 0;  // widest decoded row
    std::uint64_t inkedPixels = 0; // direct RGB rows: pixels other than white
    std::vector<InkCount> inks;
    std::unique_ptr<PagePreview> preview;
};

struct JobSummary {
    std::string language; // "HP-RTL", "PCL3GUI", "EN-RTL" or "unknown"
    std::size_t byteCount = 0;
    bool endedInsideJob = false; // the stream stopped inside a PJL job, raster or command
    bool truncated = false;      // set by the listener for a connection that ended mid-job
    std::vector<PageSummary> pages;
    std::vector<Diagnostic> errors;

    bool Ok() const { return errors.empty(); }
};

} // namespace Tarvel::VirtualPrinter
