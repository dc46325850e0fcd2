#include "StreamSupport.h"

namespace Tarvel::VirtualPrinter::Streams {

std::string Esc(const std::string& inText) {
    return "\x1b" + inText;
}

std::string Bytes(const std::vector<int>& inBytes) {
    std::string out;
    for (int b : inBytes)
        out += static_cast<char>(b);
    return out;
}

std::string Plane(const std::string& inData, char inTerminator) {
    return Esc("*b" + std::to_string(inData.size()) + inTerminator) + inData;
}

std::string MonoConfigure() {
    return Esc("*v6W") + Bytes({0, 0, 1, 8, 8, 8}) + Esc("*v255a255b255c0I") + Esc("*v0a0b0c1I");
}

std::string ColourConfigure() {
    return Esc("*v6W") + Bytes({0, 0, 3, 8, 8, 8}) + Esc("*v255a255b255c0I") +
           Esc("*v0a255b255c1I") + Esc("*v255a0b255c2I") + Esc("*v0a0b255c3I") +
           Esc("*v255a255b0c4I") + Esc("*v0a255b0c5I") + Esc("*v255a0b0c6I") + Esc("*v0a0b0c7I");
}

std::string HpRtlJob(const std::string& inName, int inWidth, int inHeight,
                     const std::string& inConfigure, const std::string& inRaster) {
    std::string w = std::to_string(inWidth), h = std::to_string(inHeight);
    return Esc("E") + Esc("%-12345X") + "@PJL JOB NAME=\"" + inName + "\"\r\n" +
           "@PJL SET RENDERMODE=COLOR\r\n@PJL ENTER LANGUAGE=HPGL2\r\n" + Esc("E") + Esc("%0B") +
           "BP1,\"" + inName + "\",2,1,3,0,4,0,5,1;QL100;PS6773,3386;PU;PA0,0;" + Esc("%1A") +
           Esc("&a0N") + Esc("*b0L") + Esc("*r" + w + "S") + Esc("*r" + h + "T") +
           Esc("*t" + w + "H") + Esc("*t" + h + "V") + Esc("*t300R") + inConfigure + Esc("*r0A") +
           inRaster + Esc("*rC") + Esc("%0B") + "PG;" + Esc("%-12345X") + "@PJL EOJ NAME=\"" +
           inName + "\"\r\n@PJL RESET\r\n";
}

std::string Pcl3guiJob(int inFormat, int inWidth, const std::string& inRows) {
    std::string configure;
    auto record = [](int inLevels) { return Bytes({0x01, 0x2C, 0x01, 0x2C, 0, inLevels}); };
    if (inFormat == 4 || inFormat == 5) {
        configure = Esc("*g38W") + Bytes({2, 6});
        for (int i = 0; i < 6; ++i)
            configure += record(inFormat == 4 ? 4 : 2);
    } else {
        configure = Esc("*g26W") + Bytes({2, 4});
        for (int i = 0; i < 4; ++i)
            configure += record(inFormat == 2 && i == 0 ? 2 : 4);
    }
    return Esc("E") + Esc("%-12345X") + "@PJL SET PAPERLENGTH = 5281 \n" +
           "@PJL SET PAPERWIDTH = 2683 \n@PJL ENTER LANGUAGE=PCL3GUI\n" + Esc("&l0M") +
           Esc("&u300D") + Esc("*p0X") + Esc("*p0Y") + configure +
           Esc("*r" + std::to_string(inWidth) + "S") + Esc("*r1A") + Esc("*b2M") + inRows +
           Esc("*rC") + "\x0c" + Esc("E") + Esc("%-12345X");
}

std::string EncadJob(int inWidth, int inHeight, const std::string& inRows) {
    std::string w = std::to_string(inWidth), h = std::to_string(inHeight);
    return Esc("E") + Esc("%0B") + "BP1,\"Test\",2,1,3,0,4,0,5,1;PS6773,3386;PU;PA0,0;" +
           Esc("%1A") + Esc("*r" + w + "S") + Esc("*r" + h + "T") + Esc("*t" + w + "H") +
           Esc("*t" + h + "V") + Esc("*t300R") + Esc("*b0L") + Esc("*r0A") + inRows + Esc("*rC") +
           Esc("%0B") + "PG;";
}

JobSummary DecodeText(const std::string& inStream, bool inRender, unsigned inScale) {
    DecodeOptions options;
    options.render = inRender;
    options.scale = inScale;
    return JobDecoder(options).Decode(reinterpret_cast<const std::uint8_t*>(inStream.data()),
                                      inStream.size());
}

std::uint32_t PixelAt(const PagePreview& inPreview, std::size_t inX, std::size_t inY) {
    std::vector<std::uint8_t> row;
    inPreview.PaddedRow(inY, row);
    if (3 * inX + 2 >= row.size())
        return 0xFFFFFFFF;
    return (std::uint32_t{row[3 * inX]} << 16) | (std::uint32_t{row[3 * inX + 1]} << 8) |
           row[3 * inX + 2];
}

std::string ErrorText(const JobSummary& inSummary) {
    std::string out;
    for (const Diagnostic& error : inSummary.errors)
        out += std::to_string(error.offset) + ": " + error.message + "\n";
    return out;
}

} // namespace Tarvel::VirtualPrinter::Streams
