#include "JobDecoder.h"

#include "Hpgl2Parser.h"
#include "RasterDecompressor.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Tarvel::VirtualPrinter {

namespace {

constexpr int kEscape = 0x1B;
constexpr int kFormFeed = 0x0C;
constexpr long long kValueLimit = 1000000000000LL;

std::string ByteText(int inByte) {
    char buffer[8];
    if (inByte > 0x20 && inByte < 0x7F)
        std::snprintf(buffer, sizeof buffer, "%c", inByte);
    else
        std::snprintf(buffer, sizeof buffer, "<%02X>", inByte & 0xFF);
    return buffer;
}

std::uint32_t Rgb(int inR, int inG, int inB) {
    auto clamp = [](int v) { return static_cast<std::uint32_t>(std::clamp(v, 0, 255)); };
    return (clamp(inR) << 16) | (clamp(inG) << 8) | clamp(inB);
}

} // namespace

JobDecoder::JobDecoder(DecodeOptions inOptions) : mOptions(inOptions) {
    mOptions.scale = std::clamp(mOptions.scale, 1u, 256u);
}

void JobDecoder::Error(std::size_t inOffset, std::string inMessage) {
    if (mSummary.errors.size() < kMaxErrors) {
        mSummary.errors.push_back({inOffset, std::move(inMessage)});
    } else if (!mErrorsSuppressed) {
        mErrorsSuppressed = true;
        mSummary.errors.push_back({inOffset, "further errors not reported"});
    }
}

JobSummary JobDecoder::Decode(const std::uint8_t* inData, std::size_t inSize) {
    mSummary = JobSummary();
    mSummary.byteCount = inSize;
    ByteReader reader(inData, inSize);
    std::vector<Diagnostic> errors;
    auto takeErrors = [&] {
        for (Diagnostic& error : errors)
            Error(error.offset, std::move(error.message));
        errors.clear();
    };
    while (!reader.AtEnd()) {
        if (mMode == Mode::kPJL) {
            std::string language = PjlParser::Parse(reader, mPjl, errors);
            takeErrors();
            if (mPjl.jobEnded) {
                mPjl.jobEnded = false;
                ClosePage();
            }
            if (language == "HPGL2") {
                mMode = Mode::kHPGL2;
                mEnteredHpgl2ByPjl = true;
                if (mSummary.language.empty())
                    mSummary.language = "HP-RTL";
            } else if (!language.empty()) {
                if (language == "PCL3GUI")
                    mSawPCL3GUI = true;
                else if (language != "PCL" && language != "RTL")
                    Error(reader.Offset(), "unknown PJL language " + language);
                mMode = Mode::kPCL;
            } else if (!reader.AtEnd()) {
                mMode = Mode::kPCL; // an escape byte follows
            }
            continue;
        }
        if (mMode == Mode::kHPGL2) {
            Hpgl2Parser::Parse(
                reader,
                [this](const std::string& inMnemonic, const std::string& inParameters,
                       std::size_t) { HandleHpgl2(inMnemonic, inParameters); },
                errors);
            takeErrors();
            if (!reader.AtEnd())
                ParseEscape(reader);
            continue;
        }
        int c = reader.Peek();
        if (c == kEscape) {
            ParseEscape(reader);
        } else if (c == kFormFeed) {
            std::size_t offset = reader.Offset();
            reader.Skip(1);
            if (mRasterOpen)
                Error(offset, "form feed inside a raster");
            OpenPage();
            ClosePage();
        } else {
            // Report a run of stray bytes once, at its start.
            std::size_t offset = reader.Offset();
            if (mGarbageEnd != offset)
                Error(offset, "unexpected byte " + ByteText(c) + " outside any command");
            reader.Skip(1);
            mGarbageEnd = reader.Offset();
        }
    }
    Finish(inSize);
    return std::move(mSummary);
}

void JobDecoder::Finish(std::size_t inEnd) {
    mSummary.endedInsideJob =
        mSummary.endedInsideJob || mPlanesInRow > 0 || mRasterOpen || mPjl.jobOpen || mPjl.cutOff;
    if (mPlanesInRow > 0)
        Error(inEnd, "raster row not completed at the end of the stream");
    if (mRasterOpen)
        Error(mRasterOffset, "raster started here is never ended (ESC*rC)");
    if (mPjl.jobOpen)
        Error(mPjl.jobOffset, "PJL job started here is never ended (@PJL EOJ)");
    if (mCurrentPage < 0 && !mPendingHpgl2.empty())
        OpenPage();
    ClosePage();
    if (mSummary.language.empty())
        mSummary.language = "unknown";
}

void JobDecoder::ParseEscape(ByteReader& ioReader) {
    std::size_t start = ioReader.Offset();
    ioReader.Skip(1);
    int c = ioReader.Next();
    if (c < 0) {
        Error(start, "escape byte at the end of the stream");
        mSummary.endedInsideJob = true;
        return;
    }
    if (c == 'E') {
        if (mRasterOpen)
            Error(start, "printer reset (ESC E) inside a raster");
        Reset();
        mMode = Mode::kPCL;
        return;
    }
    if (c == '%') {
        ParsePercent(ioReader, start);
        return;
    }
    if (c >= 0x21 && c <= 0x2F) {
        ParseParameterized(ioReader, start, c);
        return;
    }
    Error(start, "unknown escape sequence ESC" + ByteText(c));
}

namespace {

// Reads [+|-]digits[.digits]; false when there is no number at the cursor.
bool ReadValue(ByteReader& ioReader, long long& outValue, std::string& ioText) {
    bool negative = false;
    int c = ioReader.Peek();
    if (c == '+' || c == '-') {
        negative = c == '-';
        ioText += static_cast<char>(c);
        ioReader.Skip(1);
    }
    bool digits = false;
    long long value = 0;
    while (ioReader.Peek() >= '0' && ioReader.Peek() <= '9') {
        int d = ioReader.Next();
        ioText += static_cast<char>(d);
        value = std::min(kValueLimit, value * 10 + (d - '0'));
        digits = true;
    }
    if (ioReader.Peek() == '.') {
        ioText += '.';
        ioReader.Skip(1);
        while (ioReader.Peek() >= '0' && ioReader.Peek() <= '9') {
            ioText += static_cast<char>(ioReader.Next());
            digits = true;
        }
    }
    outValue = negative ? -value : value;
    return digits;
}

} // namespace

void JobDecoder::ParsePercent(ByteReader& ioReader, std::size_t inStart) {
    std::string text = "ESC%";
    long long value = 0;
    bool hasValue = ReadValue(ioReader, value, text);
    int parameter = ioReader.Next();
    if (parameter < 0) {
        Error(inStart, "escape sequence " + text + " cut off by the end of the stream");
        mSummary.endedInsideJob = true;
        return;
    }
    text += ByteText(parameter);
    if (parameter == 'X' && value == -12345) {
        if (mRasterOpen)
            Error(inStart, "universal exit language inside a raster");
        Reset();
        mMode = Mode::kPJL;
        return;
    }
    if ((parameter == 'A' || parameter == 'B') && hasValue && (value == 0 || value == 1)) {
        if (parameter == 'B' && mRasterOpen)
            Error(inStart, "HP-GL/2 entered inside a raster");
        mMode = parameter == 'A' ? Mode::kPCL : Mode::kHPGL2;
        return;
    }
    Error(inStart, "unknown escape sequence " + text);
}

void JobDecoder::ParseParameterized(ByteReader& ioReader, std::size_t inStart, int inFamily) {
    std::string text = "ESC" + ByteText(inFamily);
    int group = ioReader.Next();
    if (group < 0) {
        Error(inStart, "escape sequence " + text + " cut off by the end of the stream");
        mSummary.endedInsideJob = true;
        return;
    }
    text += ByteText(group);
    if (group < 0x60 || group > 0x7E) {
        Error(inStart, "malformed escape sequence " + text);
        return;
    }
    for (;;) {
        std::size_t valueStart = text.size();
        long long value = 0;
        bool hasValue = ReadValue(ioReader, value, text);
        int parameter = ioReader.Next();
        if (parameter < 0) {
            Error(inStart, "escape sequence " + text + " cut off by the end of the stream");
            mSummary.endedInsideJob = true;
            return;
        }
        text += ByteText(parameter);
        bool last = parameter >= 0x40 && parameter <= 0x5E;
        if (!last && !(parameter >= 0x60 && parameter <= 0x7E)) {
            Error(inStart, "malformed escape sequence " + text);
            return;
        }
        int upper = last ? parameter : parameter - 0x20;
        std::string single = "ESC" + ByteText(inFamily) + ByteText(group) +
                             text.substr(valueStart, text.size() - valueStart - 1) +
                             ByteText(upper);
        Command(ioReader, inStart, inFamily, group, upper, value, hasValue, single);
        if (last || ioReader.AtEnd())
            return;
        if (mSummary.errors.size() >= kMaxErrors && mErrorsSuppressed)
            return;
    }
}

void JobDecoder::Reset() {
    if (mPlanesInRow > 0)
        mPlanesInRow = 0;
    mRasterOpen = false;
    mWidth = mHeight = mResolution = mUnit = mMediaType = -1;
    mCompression = 0;
    mCID.clear();
    mPalette.clear();
    mPaletteDefined = false;
    mConfigureFormat = -1;
    mComponents.clear();
}

void JobDecoder::Command(ByteReader& ioReader, std::size_t inStart, int inFamily, int inGroup,
                         int inParameter, long long inValue, bool inHasValue,
                         const std::string& inText) {
    auto key = [](int f, int g, int p) { return (f << 16) | (g << 8) | p; };
    auto readData = [&](long long inCount, std::vector<std::uint8_t>& outData) -> bool {
        if (inCount < 0 || static_cast<unsigned long long>(inCount) > ioReader.Remaining()) {
            Error(inStart, inText + ": data count " + std::to_string(inCount) +
                               " runs past the end of the stream (" +
                               std::to_string(ioReader.Remaining()) + " bytes left)");
            ioReader.Skip(ioReader.Remaining());
            mSummary.endedInsideJob = true;
            return false;
        }
        outData.assign(ioReader.Current(), ioReader.Current() + inCount);
        ioReader.Skip(static_cast<std::size_t>(inCount));
        return true;
    };
    (void)inHasValue;
    std::vector<std::uint8_t> data;
    switch (key(inFamily, inGroup, inParameter)) {
    case key('&', 'a', 'N'):
    case key('*', 'p', 'X'):
    case key('*', 'p', 'Y'):
    case key('*', 'b', 'L'):
        break;
    case key('&', 'l', 'M'):
        mMediaType = inValue;
        break;
    case key('&', 'u', 'D'):
        mUnit = inValue;
        break;
    case key('*', 'r', 'S'):
        mWidth = inValue;
        break;
    case key('*', 'r', 'T'):
        mHeight = inValue;
        break;
    case key('*', 't', 'H'):
    case key('*', 't', 'V'):
        break;
    case key('*', 't', 'R'):
        mResolution = inValue;
        break;
    case key('*', 'r', 'U'):
        break;
    case key('*', 'b', 'M'):
        if (!RasterDecompressor::IsSupportedMode(static_cast<int>(inValue)))
            Error(inStart, inText + ": unsupported compression mode");
        else
            mCompression = static_cast<int>(inValue);
        break;
    case key('*', 'v', 'W'):
        if (!readData(inValue, data))
            return;
        if (data.size() < 6 || data[0] != 0 || (data[1] != 0 && data[1] != 3) ||
            (data[1] == 0 && (data[2] < 1 || data[2] > 8)) ||
            (data[1] == 3 && (data[3] != 8 || data[4] != 8 || data[5] != 8))) {
            Error(inStart, inText + ": unsupported configure-image-data layout");
            return;
        }
        if (mRasterOpen)
            Error(inStart, inText + " inside a raster");
        mCID = data;
        mPalette.clear();
        mPaletteDefined = false;
        if (mSummary.language.empty() || mSummary.language == "EN-RTL")
            mSummary.language = "HP-RTL";
        break;
    case key('*', 'v', 'A'):
    case key('*', 'v', 'B'):
    case key('*', 'v', 'C'):
        mPendingPalette[inParameter - 'A'] = static_cast<int>(std::clamp(inValue, -1LL, 256LL));
        break;
    case key('*', 'v', 'I'): {
        int bits = mCID.size() >= 3 && mCID[1] == 0 ? mCID[2] : 1;
        if (inValue < 0 || inValue >= (1LL << bits)) {
            Error(inStart, inText + ": palette index outside the configured palette");
            break;
        }
        if (mPalette.size() < (std::size_t{1} << bits))
            mPalette.resize(std::size_t{1} << bits, 0xFFFFFF);
        mPalette[static_cast<std::size_t>(inValue)] =
            Rgb(mPendingPalette[0], mPendingPalette[1], mPendingPalette[2]);
        mPaletteDefined = true;
        mPendingPalette[0] = mPendingPalette[1] = mPendingPalette[2] = 0;
        break;
    }
    case key('*', 'g', 'W'): {
        if (!readData(inValue, data))
            return;
        if (data.size() < 2 || data[0] != 2 || data[1] == 0 || data[1] > 6 ||
            data.size() != 2 + 6u * data[1]) {
            Error(inStart, inText + ": malformed configure-raster-data payload");
            return;
        }
        if (mRasterOpen)
            Error(inStart, inText + " inside a raster");
        std::vector<PageSummary::Component> components;
        int planes = 0;
        for (int i = 0; i < data[1]; ++i) {
            const std::uint8_t* record = data.data() + 2 + 6 * i;
            PageSummary::Component component;
            component.horizontal = (record[0] << 8) | record[1];
            component.vertical = (record[2] << 8) | record[3];
            component.levels = (record[4] << 8) | record[5];
            if (component.levels != 2 && component.levels != 4) {
                Error(inStart, inText + ": component " + std::to_string(i + 1) + " has " +
                                   std::to_string(component.levels) +
                                   " intensity levels (2 or 4 expected)");
                return;
            }
            planes += component.levels == 2 ? 1 : 2;
            components.push_back(component);
        }
        if (planes > kMaxPlanes) {
            Error(inStart, inText + ": more planes than supported");
            return;
        }
        mConfigureFormat = data[0];
        mComponents = std::move(components);
        mSummary.language = "PCL3GUI";
        break;
    }
    case key('*', 'r', 'A'):
        StartRaster(inStart);
        break;
    case key('*', 'r', 'B'):
    case key('*', 'r', 'C'):
        EndRaster(inStart);
        break;
    case key('*', 'b', 'Y'):
        if (!mRasterOpen) {
            Error(inStart, inText + " outside a raster (ESC*r#A ... ESC*rC)");
        } else if (mPlanesInRow > 0) {
            Error(inStart, inText + " inside an unfinished row");
        } else if (inValue > 0 && mCurrentPage >= 0) {
            PageSummary& page = mSummary.pages[static_cast<std::size_t>(mCurrentPage)];
            page.skippedRows += static_cast<std::uint64_t>(inValue);
            if (page.preview)
                page.preview->AddBlankRows(static_cast<std::uint64_t>(inValue));
            for (auto& seed : mSeeds)
                seed.clear();
        }
        break;
    case key('*', 'b', 'V'):
    case key('*', 'b', 'W'):
        Transfer(ioReader, inStart, inValue, inParameter == 'W', inText);
        break;
    default:
        Error(inStart, "unknown escape sequence " + inText);
        break;
    }
}

void JobDecoder::HandleHpgl2(const std::string& inMnemonic, const std::string& inParameters) {
    std::string command = inMnemonic + inParameters;
    std::vector<std::string>& list =
        mCurrentPage >= 0 ? mSummary.pages[static_cast<std::size_t>(mCurrentPage)].hpgl2Commands
                          : mPendingHpgl2;
    if (list.size() < 1000)
        list.push_back(command);
    if (inMnemonic == "PG") {
        OpenPage();
        ClosePage();
    }
}

PageSummary& JobDecoder::OpenPage() {
    if (mCurrentPage < 0) {
        mSummary.pages.emplace_back();
        mCurrentPage = static_cast<int>(mSummary.pages.size()) - 1;
        PageSummary& page = mSummary.pages.back();
        page.pjlJobName = mPjl.jobName;
        page.pjlVariables = mPjl.variables;
        page.hpgl2Commands = std::move(mPendingHpgl2);
        mPendingHpgl2.clear();
        if (mOptions.render)
            page.preview = std::make_unique<PagePreview>(mOptions.scale);
    }
    return mSummary.pages[static_cast<std::size_t>(mCurrentPage)];
}

void JobDecoder::ClosePage() {
    // A page never outlives its raster: callers report a raster that is still open.
    mRasterOpen = false;
    mPlanesInRow = 0;
    if (mCurrentPage < 0)
        return;
    PageSummary& page = mSummary.pages[static_cast<std::size_t>(mCurrentPage)];
    if (page.preview)
        page.preview->Finish();
    mCurrentPage = -1;
}

void JobDecoder::StartRaster(std::size_t inOffset) {
    if (mRasterOpen) {
        Error(inOffset, "ESC*r#A inside an open raster");
        return;
    }
    if (mCurrentPage >= 0 && mSummary.pages[static_cast<std::size_t>(mCurrentPage)].rows > 0)
        ClosePage();
    PageSummary& page = OpenPage();
    mRasterOpen = true;
    mRasterOffset = inOffset;
    mInks.clear();
    mColourTable.clear();
    mPlanesInRow = 0;
    mSeeds.clear();
    if (mSawPCL3GUI && mComponents.empty())
        Error(inOffset, "PCL3GUI raster without configure-raster-data (ESC*g#W)");
    if (!mComponents.empty()) {
        // PCL3GUI: black, cyan, magenta, yellow, then light cyan and light magenta.
        static const char* kNames[] = {"black",  "cyan",       "magenta",
                                       "yellow", "light-cyan", "light-magenta"};
        static const float kAbsorb[6][3] = {{1, 1, 1}, {1, 0, 0}, {0, 1, 0},
                                            {0, 0, 1}, {1, 0, 0}, {0, 1, 0}};
        mModel = Model::kInks;
        for (std::size_t i = 0; i < mComponents.size(); ++i) {
            InkDefinition ink;
            ink.name = kNames[i];
            ink.levels = mComponents[i].levels;
            ink.bits = ink.levels == 2 ? 1 : 2;
            ink.strength = i >= 4 ? 0.4f : 1.0f;
            std::copy(kAbsorb[i], kAbsorb[i] + 3, ink.absorb);
            mInks.push_back(ink);
        }
    } else if (mCID.size() >= 6 && mCID[1] == 3) {
        mModel = Model::kDirectRGB;
    } else if (!mCID.empty() || mEnteredHpgl2ByPjl) {
        mModel = Model::kIndexed;
        int bits = mCID.empty() ? 1 : mCID[2];
        if (bits > kMaxPlanes)
            bits = kMaxPlanes;
        std::size_t entries = std::size_t{1} << bits;
        mColourTable.resize(entries);
        for (std::size_t i = 0; i < entries; ++i) {
            if (i < mPalette.size() && mPaletteDefined)
                mColourTable[i] = mPalette[i];
            else if (bits == 1)
                mColourTable[i] = i ? 0x000000 : 0xFFFFFF;
            else // bit n of the index removes the n-th primary
                mColourTable[i] = Rgb(i & 1 ? 0 : 255, i & 2 ? 0 : 255, i & 4 ? 0 : 255);
        }
        static const char* kPlaneInks[] = {"cyan", "magenta", "yellow"};
        for (int p = 0; p < bits; ++p) {
            InkDefinition ink;
            ink.name = bits == 1            ? "black"
                       : p < 3 && bits == 3 ? kPlaneInks[p]
                                            : "plane-" + std::to_string(p);
            mInks.push_back(ink);
        }
        if (mSummary.language.empty())
            mSummary.language = "HP-RTL";
    } else {
        // Encad: four one-bit planes, black, cyan, magenta, yellow.
        mModel = Model::kInks;
        static const char* kNames[] = {"black", "cyan", "magenta", "yellow"};
        static const float kAbsorb[4][3] = {{1, 1, 1}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
        for (int i = 0; i < 4; ++i) {
            InkDefinition ink;
            ink.name = kNames[i];
            std::copy(kAbsorb[i], kAbsorb[i] + 3, ink.absorb);
            mInks.push_back(ink);
        }
        if (mSummary.language.empty())
            mSummary.language = "EN-RTL";
    }
    if (mModel == Model::kInks) {
        int planes = 0;
        for (const InkDefinition& ink : mInks)
            planes += ink.bits;
        mColourTable.resize(std::size_t{1} << planes);
        for (std::size_t index = 0; index < mColourTable.size(); ++index) {
            float light[3] = {1, 1, 1};
            int bit = 0;
            for (const InkDefinition& ink : mInks) {
                int level = static_cast<int>((index >> bit) & ((1u << ink.bits) - 1));
                bit += ink.bits;
                float cover =
                    ink.strength * static_cast<float>(level) / static_cast<float>(ink.levels - 1);
                for (int c = 0; c < 3; ++c)
                    light[c] *= 1.0f - cover * ink.absorb[c];
            }
            mColourTable[index] = Rgb(static_cast<int>(light[0] * 255 + 0.5f),
                                      static_cast<int>(light[1] * 255 + 0.5f),
                                      static_cast<int>(light[2] * 255 + 0.5f));
        }
        mExpectedPlanes = planes;
    } else {
        mExpectedPlanes = mModel == Model::kDirectRGB ? 1 : static_cast<int>(mInks.size());
    }
    // Keep no more decoded bytes per plane than the raster width needs.
    std::size_t pixels = mWidth > 0
                             ? static_cast<std::size_t>(std::min<long long>(mWidth, kMaxRowPixels))
                             : kMaxRowPixels;
    mRowPixels = mWidth > 0 ? pixels : 0;
    mPlaneLimit = mModel == Model::kDirectRGB ? pixels * 3 : (pixels + 7) / 8;
    mPlanes.assign(static_cast<std::size_t>(mExpectedPlanes), {});
    mSeeds.assign(static_cast<std::size_t>(mExpectedPlanes), {});

    page.rasterWidth = mWidth;
    page.rasterHeight = mHeight;
    page.resolution = mResolution;
    page.unitOfMeasure = mUnit;
    page.mediaType = mMediaType;
    page.configureImageData = mCID;
    page.palette = mModel == Model::kIndexed ? mColourTable : std::vector<std::uint32_t>();
    page.pcl3guiFormat = mComponents.empty() ? -1 : mConfigureFormat;
    page.components = mComponents;
    page.planesPerRow = mExpectedPlanes;
    page.inks.clear();
    for (const InkDefinition& ink : mInks)
        page.inks.push_back({ink.name, ink.levels, 0});
    if (mOptions.render && page.rows == 0) {
        unsigned scale = mOptions.scale;
        long long widest = std::max(mWidth, mHeight);
        // PCL3GUI declares no raster size; its PJL paper size (decipoints) and the
        // components' resolution give the page in pixels.
        if (!mComponents.empty())
            for (const auto& [name, value] : mPjl.variables)
                if (name == "PAPERLENGTH" || name == "PAPERWIDTH") {
                    long long decipoints = std::atoll(value.c_str());
                    int dpi = std::max(mComponents[0].horizontal, mComponents[0].vertical);
                    if (decipoints > 0 && decipoints < kValueLimit)
                        widest = std::max(widest, decipoints * dpi / 720);
                }
        if (widest > 0) {
            long long needed = (widest + static_cast<long long>(PagePreview::kMaxWidth) - 1) /
                               static_cast<long long>(PagePreview::kMaxWidth);
            scale = static_cast<unsigned>(std::clamp<long long>(needed, scale, 256));
        }
        page.preview = std::make_unique<PagePreview>(scale);
        if (mWidth > 0)
            page.preview->ExtendWidth(static_cast<std::uint64_t>(mWidth));
    }
    if (mCompression == 3)
        for (auto& seed : mSeeds)
            seed.clear();
}

void JobDecoder::EndRaster(std::size_t inOffset) {
    if (!mRasterOpen) {
        Error(inOffset, "ESC*rC without a started raster");
        return;
    }
    if (mPlanesInRow > 0) {
        Error(inOffset, "raster ended inside an unfinished row");
        mPlanesInRow = 0;
    }
    mRasterOpen = false;
}

void JobDecoder::Transfer(ByteReader& ioReader, std::size_t inStart, long long inCount,
                          bool inEndsRow, const std::string& inText) {
    if (inCount < 0 || static_cast<unsigned long long>(inCount) > ioReader.Remaining()) {
        Error(inStart, inText + ": data count " + std::to_string(inCount) +
                           " runs past the end of the stream (" +
                           std::to_string(ioReader.Remaining()) + " bytes left)");
        ioReader.Skip(ioReader.Remaining());
        mSummary.endedInsideJob = true;
        return;
    }
    std::size_t dataOffset = ioReader.Offset();
    const std::uint8_t* data = ioReader.Current();
    std::size_t count = static_cast<std::size_t>(inCount);
    ioReader.Skip(count);
    if (!mRasterOpen || mCurrentPage < 0) {
        Error(inStart, inText + ": raster data outside ESC*r#A ... ESC*rC");
        return;
    }
    PageSummary& page = mSummary.pages[static_cast<std::size_t>(mCurrentPage)];
    if (std::find(page.compressionModes.begin(), page.compressionModes.end(), mCompression) ==
        page.compressionModes.end())
        page.compressionModes.push_back(mCompression);
    if (mPlanesInRow < mPlanes.size()) {
        RasterDecompressor::Result result = RasterDecompressor::Decode(
            mCompression, data, count, mPlaneLimit, mSeeds[mPlanesInRow], mPlanes[mPlanesInRow]);
        if (!result.ok)
            Error(dataOffset + result.errorOffset, inText + ": " + result.message);
    } else {
        // Still check the data of a surplus plane.
        std::vector<std::uint8_t> seed, scratch;
        RasterDecompressor::Result result =
            RasterDecompressor::Decode(mCompression, data, count, 0, seed, scratch);
        if (!result.ok)
            Error(dataOffset + result.errorOffset, inText + ": " + result.message);
    }
    ++mPlanesInRow;
    if (inEndsRow)
        FinishRow(inStart);
}

void JobDecoder::FinishRow(std::size_t inOffset) {
    PageSummary& page = mSummary.pages[static_cast<std::size_t>(mCurrentPage)];
    std::size_t planes = std::min(mPlanesInRow, mPlanes.size());
    if (mPlanesInRow != mPlanes.size())
        Error(inOffset, "row " + std::to_string(page.rows + 1) + " has " +
                            std::to_string(mPlanesInRow) + " planes, the configuration announces " +
                            std::to_string(mPlanes.size()));
    // Planes that were not sent in this row count as blank.
    for (std::size_t p = planes; p < mPlanes.size(); ++p) {
        mPlanes[p].clear();
        mSeeds[p].clear();
    }
    ++page.rows;
    RenderRow(page, mPlanes.size());
    mPlanesInRow = 0;
}

void JobDecoder::RenderRow(PageSummary& ioPage, std::size_t inPlanes) {
    if (mModel == Model::kDirectRGB) {
        const std::vector<std::uint8_t>& plane = mPlanes[0];
        std::size_t pixels = plane.size() / 3;
        ioPage.pixelWidth = std::max<std::uint64_t>(ioPage.pixelWidth, pixels);
        for (std::size_t x = 0; x < pixels; ++x)
            if ((plane[3 * x] & plane[3 * x + 1] & plane[3 * x + 2]) != 255)
                ++ioPage.inkedPixels;
        if (ioPage.preview)
            ioPage.preview->AddRow(plane.data(), pixels);
        return;
    }
    std::size_t bytes = 0;
    for (std::size_t p = 0; p < inPlanes; ++p)
        bytes = std::max(bytes, mPlanes[p].size());
    std::size_t pixels = bytes * 8;
    if (mRowPixels > 0)
        pixels = std::min(pixels, mRowPixels);
    bytes = (pixels + 7) / 8;
    ioPage.pixelWidth = std::max<std::uint64_t>(ioPage.pixelWidth, pixels);
    // Dots per ink: a pixel carries an ink when any of the ink's planes has its bit set.
    std::size_t plane = 0;
    std::uint8_t lastMask = pixels % 8 ? static_cast<std::uint8_t>(0xFF << (8 - pixels % 8)) : 0xFF;
    for (std::size_t i = 0; i < mInks.size(); ++i) {
        std::uint64_t dots = 0;
        for (std::size_t b = 0; b < bytes; ++b) {
            std::uint8_t any = 0;
            for (int k = 0; k < mInks[i].bits; ++k) {
                const std::vector<std::uint8_t>& bits =
                    mPlanes[plane + static_cast<std::size_t>(k)];
                if (b < bits.size())
                    any |= bits[b];
            }
            if (b + 1 == bytes)
                any &= lastMask;
            dots += static_cast<std::uint64_t>(std::popcount(any));
        }
        ioPage.inks[i].dots += dots;
        plane += static_cast<std::size_t>(mInks[i].bits);
    }
    if (!ioPage.preview)
        return;
    // Each byte of a plane spreads into eight 16-bit lanes, one per pixel; shifting by the
    // plane number and or-ing the planes gives the eight pixels' palette indices at once.
    static const auto kSpread = [] {
        std::array<std::array<std::uint64_t, 256>, 2> spread{};
        for (unsigned b = 0; b < 256; ++b)
            for (unsigned i = 0; i < 4; ++i) {
                if ((b >> (7 - i)) & 1)
                    spread[0][b] |= std::uint64_t{1} << (16 * i);
                if ((b >> (3 - i)) & 1)
                    spread[1][b] |= std::uint64_t{1} << (16 * i);
            }
        return spread;
    }();
    for (std::size_t p = 0; p < inPlanes; ++p)
        mPlanes[p].resize(bytes, 0);
    mRGB.assign(pixels * 3, 255);
    const std::uint32_t* colours = mColourTable.data();
    for (std::size_t b = 0; b < bytes; ++b) {
        std::uint64_t low = 0, high = 0;
        unsigned any = 0;
        for (std::size_t p = 0; p < inPlanes; ++p) {
            std::uint8_t v = mPlanes[p][b];
            any |= v;
            low |= kSpread[0][v] << p;
            high |= kSpread[1][v] << p;
        }
        if (any == 0)
            continue;
        std::size_t count = std::min<std::size_t>(8, pixels - b * 8);
        std::uint8_t* out = mRGB.data() + 24 * b;
        for (std::size_t i = 0; i < count; ++i) {
            std::uint64_t lanes = i < 4 ? low >> (16 * i) : high >> (16 * (i - 4));
            std::uint32_t colour = colours[lanes & 0xFFFF];
            out[3 * i] = static_cast<std::uint8_t>(colour >> 16);
            out[3 * i + 1] = static_cast<std::uint8_t>(colour >> 8);
            out[3 * i + 2] = static_cast<std::uint8_t>(colour);
        }
    }
    ioPage.preview->AddRow(mRGB.data(), pixels);
}

} // namespace Tarvel::VirtualPrinter
