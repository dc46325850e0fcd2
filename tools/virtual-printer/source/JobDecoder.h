// Decodes a whole printer job stream (PJL, HP-GL/2, HP-RTL/PCL raster) as a DesignJet or
// Encad printer reads it: strictly, reporting every protocol error with its byte offset,
// counting the dots of every ink and optionally rendering each page's preview.
#pragma once

#include "ByteReader.h"
#include "JobSummary.h"
#include "PjlParser.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Tarvel::VirtualPrinter {

struct DecodeOptions {
    bool render = false; // build a PagePreview per page
    unsigned scale = 1;  // preview reduction factor; raised when the page would not fit
};

class JobDecoder {
public:
    static constexpr std::size_t kMaxErrors = 100;
    static constexpr std::size_t kMaxRowPixels = std::size_t{1} << 18;
    static constexpr int kMaxPlanes = 12;

    explicit JobDecoder(DecodeOptions inOptions = {});

    JobSummary Decode(const std::uint8_t* inData, std::size_t inSize);

private:
    enum class Mode { kPCL, kHPGL2, kPJL };
    enum class Model { kIndexed, kDirectRGB, kInks };

    struct InkDefinition {
        std::string name;
        int levels = 2;
        int bits = 1;
        float strength = 1.0f; // 1 for full inks, less for light inks
        float absorb[3] = {0, 0, 0};
    };

    void Error(std::size_t inOffset, std::string inMessage);
    void ParseEscape(ByteReader& ioReader);
    void ParseParameterized(ByteReader& ioReader, std::size_t inStart, int inFamily);
    void ParsePercent(ByteReader& ioReader, std::size_t inStart);
    void Command(ByteReader& ioReader, std::size_t inStart, int inFamily, int inGroup,
                 int inParameter, long long inValue, bool inHasValue, const std::string& inText);
    void Reset();
    void HandleHpgl2(const std::string& inMnemonic, const std::string& inParameters);
    PageSummary& OpenPage();
    void ClosePage();
    void StartRaster(std::size_t inOffset);
    void EndRaster(std::size_t inOffset);
    void Transfer(ByteReader& ioReader, std::size_t inStart, long long inCount, bool inEndsRow,
                  const std::string& inText);
    void FinishRow(std::size_t inOffset);
    void RenderRow(PageSummary& ioPage, std::size_t inPlanes);
    void Finish(std::size_t inEnd);

    DecodeOptions mOptions;
    JobSummary mSummary;
    Mode mMode = Mode::kPCL;
    PjlParser::State mPjl;
    bool mEnteredHpgl2ByPjl = false;
    bool mSawPCL3GUI = false;
    int mCurrentPage = -1;
    std::vector<std::string> mPendingHpgl2;
    bool mErrorsSuppressed = false;
    std::size_t mGarbageEnd = static_cast<std::size_t>(-1);

    // Raster state, reset by ESC E.
    long long mWidth = -1;
    long long mHeight = -1;
    long long mResolution = -1;
    long long mUnit = -1;
    long long mMediaType = -1;
    int mCompression = 0;
    std::vector<std::uint8_t> mCID;
    std::vector<std::uint32_t> mPalette;
    bool mPaletteDefined = false;
    int mPendingPalette[3] = {0, 0, 0};
    int mConfigureFormat = -1;
    std::vector<PageSummary::Component> mComponents;

    // The open raster.
    bool mRasterOpen = false;
    std::size_t mRasterOffset = 0;
    Model mModel = Model::kIndexed;
    int mExpectedPlanes = 1;
    std::vector<InkDefinition> mInks;
    std::vector<std::uint32_t> mColourTable; // RGB by the index made of the row's plane bits
    std::size_t mPlaneLimit = 0;             // decoded bytes kept per plane
    std::size_t mRowPixels = 0;
    std::vector<std::vector<std::uint8_t>> mPlanes;
    std::vector<std::vector<std::uint8_t>> mSeeds;
    std::size_t mPlanesInRow = 0;
    std::vector<std::uint8_t> mRGB;
};

} // namespace Tarvel::VirtualPrinter
