// Hand-built job streams for the virtual printer tests.
#pragma once

#include "JobDecoder.h"

#include <string>
#include <vector>

namespace Tarvel::VirtualPrinter::Streams {

// "\x1b" + inText.
std::string Esc(const std::string& inText);
std::string Bytes(const std::vector<int>& inBytes);
// One plane transfer ESC*b<count><terminator> with its data.
std::string Plane(const std::string& inData, char inTerminator);
// The HP-RTL job framing around inRaster (which starts after ESC*r0A and ends before ESC*rC),
// for a page of inWidth x inHeight pixels and the given configure-image-data and palette.
std::string HpRtlJob(const std::string& inName, int inWidth, int inHeight,
                     const std::string& inConfigure, const std::string& inRaster);
std::string MonoConfigure();
std::string ColourConfigure();
// A PCL3GUI job with the configure-raster-data for inFormat (0 to 5) around inRows.
std::string Pcl3guiJob(int inFormat, int inWidth, const std::string& inRows);
// An Encad RTL job with HP-GL/2 framing around inRows.
std::string EncadJob(int inWidth, int inHeight, const std::string& inRows);

JobSummary DecodeText(const std::string& inStream, bool inRender = true, unsigned inScale = 1);
// RGB of preview pixel (inX, inY) as 0xRRGGBB.
std::uint32_t PixelAt(const PagePreview& inPreview, std::size_t inX, std::size_t inY);
std::string ErrorText(const JobSummary& inSummary);

} // namespace Tarvel::VirtualPrinter::Streams
