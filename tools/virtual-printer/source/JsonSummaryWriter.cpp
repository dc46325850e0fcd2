#include "JsonSummaryWriter.h"

#include <cstdio>

namespace Tarvel::VirtualPrinter {

std::string JsonSummaryWriter::Quote(const std::string& inText) {
    std::string out = "\"";
    for (unsigned char c : inText) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
            out += buffer;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string JsonSummaryWriter::Write(const JobSummary& inSummary) {
    std::string out = "{\n";
    out += "  \"language\": " + Quote(inSummary.language) + ",\n";
    out += "  \"bytes\": " + std::to_string(inSummary.byteCount) + ",\n";
    out += std::string("  \"truncated\": ") + (inSummary.truncated ? "true" : "false") + ",\n";
    out += std::string("  \"ok\": ") + (inSummary.Ok() ? "true" : "false") + ",\n";
    out += "  \"errors\": [";
    for (std::size_t i = 0; i < inSummary.errors.size(); ++i) {
        out += i ? ",\n    " : "\n    ";
        out += "{\"offset\": " + std::to_string(inSummary.errors[i].offset) +
               ", \"message\": " + Quote(inSummary.errors[i].message) + "}";
    }
    out += inSummary.errors.empty() ? "],\n" : "\n  ],\n";
    out += "  \"pages\": [";
    for (std::size_t n = 0; n < inSummary.pages.size(); ++n) {
        const PageSummary& page = inSummary.pages[n];
        out += n ? ",\n    {\n" : "\n    {\n";
        out += "      \"pjlJobName\": " + Quote(page.pjlJobName) + ",\n";
        out += "      \"pjlVariables\": {";
        for (std::size_t i = 0; i < page.pjlVariables.size(); ++i)
            out += (i ? ", " : "") + Quote(page.pjlVariables[i].first) + ": " +
                   Quote(page.pjlVariables[i].second);
        out += "},\n      \"hpgl2Commands\": [";
        for (std::size_t i = 0; i < page.hpgl2Commands.size(); ++i)
            out += (i ? ", " : "") + Quote(page.hpgl2Commands[i]);
        out += "],\n";
        out += "      \"rasterWidth\": " + std::to_string(page.rasterWidth) + ",\n";
        out += "      \"rasterHeight\": " + std::to_string(page.rasterHeight) + ",\n";
        out += "      \"resolution\": " + std::to_string(page.resolution) + ",\n";
        if (page.unitOfMeasure >= 0)
            out += "      \"unitOfMeasure\": " + std::to_string(page.unitOfMeasure) + ",\n";
        if (page.mediaType >= 0)
            out += "      \"mediaType\": " + std::to_string(page.mediaType) + ",\n";
        if (!page.configureImageData.empty()) {
            out += "      \"configureImageData\": [";
            for (std::size_t i = 0; i < page.configureImageData.size(); ++i)
                out += (i ? ", " : "") + std::to_string(page.configureImageData[i]);
            out += "],\n";
        }
        if (!page.palette.empty()) {
            out += "      \"palette\": [";
            for (std::size_t i = 0; i < page.palette.size(); ++i) {
                char buffer[16];
                std::snprintf(buffer, sizeof buffer, "\"#%06x\"", page.palette[i]);
                out += (i ? ", " : "") + std::string(buffer);
            }
            out += "],\n";
        }
        if (page.pcl3guiFormat >= 0) {
            out += "      \"configureRasterData\": {\"format\": " +
                   std::to_string(page.pcl3guiFormat) + ", \"components\": [";
            for (std::size_t i = 0; i < page.components.size(); ++i)
                out += std::string(i ? ", " : "") +
                       "{\"horizontal\": " + std::to_string(page.components[i].horizontal) +
                       ", \"vertical\": " + std::to_string(page.components[i].vertical) +
                       ", \"levels\": " + std::to_string(page.components[i].levels) + "}";
            out += "]},\n";
        }
        out += "      \"compressionModes\": [";
        for (std::size_t i = 0; i < page.compressionModes.size(); ++i)
            out += (i ? ", " : "") + std::to_string(page.compressionModes[i]);
        out += "],\n";
        out += "      \"rows\": " + std::to_string(page.rows) + ",\n";
        out += "      \"skippedRows\": " + std::to_string(page.skippedRows) + ",\n";
        out += "      \"planesPerRow\": " + std::to_string(page.planesPerRow) + ",\n";
        out += "      \"pixelWidth\": " + std::to_string(page.pixelWidth) + ",\n";
        if (!page.configureImageData.empty() && page.configureImageData.size() > 1 &&
            page.configureImageData[1] == 3)
            out += "      \"inkedPixels\": " + std::to_string(page.inkedPixels) + ",\n";
        out += "      \"dots\": {";
        for (std::size_t i = 0; i < page.inks.size(); ++i)
            out += (i ? ", " : "") + Quote(page.inks[i].ink) + ": " +
                   std::to_string(page.inks[i].dots);
        out += "}";
        if (page.preview)
            out += ",\n      \"preview\": {\"width\": " + std::to_string(page.preview->Width()) +
                   ", \"height\": " + std::to_string(page.preview->Height()) +
                   ", \"scale\": " + std::to_string(page.preview->Scale()) +
                   ", \"clipped\": " + (page.preview->Clipped() ? "true" : "false") + "}";
        out += "\n    }";
    }
    out += inSummary.pages.empty() ? "]\n" : "\n  ]\n";
    return out + "}\n";
}

} // namespace Tarvel::VirtualPrinter
