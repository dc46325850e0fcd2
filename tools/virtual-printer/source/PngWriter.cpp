#include "PngWriter.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace Tarvel::VirtualPrinter {

namespace {

struct PngError {
    std::string message;
};

void OnError(png_structp inPng, png_const_charp inMessage) {
    auto* error = static_cast<PngError*>(png_get_error_ptr(inPng));
    error->message = inMessage;
    png_longjmp(inPng, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// Kept out of the function that calls setjmp, so no local needs to survive longjmp.
bool WriteRows(std::FILE* inFile, const PagePreview& inPreview, PngError& ioError) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &ioError, OnError, OnWarning);
    if (!png) {
        ioError.message = "cannot create the PNG writer";
        return false;
    }
    png_infop info = png_create_info_struct(png);
    std::vector<std::uint8_t>* row = new std::vector<std::uint8_t>;
    volatile bool ok = false;
    if (info && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, inFile);
        std::size_t width = inPreview.Width() ? inPreview.Width() : 1;
        std::size_t height = inPreview.Height() ? inPreview.Height() : 1;
        png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
                     8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_set_compression_level(png, 3);
        png_write_info(png, info);
        for (std::size_t y = 0; y < height; ++y) {
            inPreview.PaddedRow(y, *row);
            row->resize(width * 3, 255);
            png_write_row(png, row->data());
        }
        png_write_end(png, info);
        ok = true;
    } else if (!info) {
        ioError.message = "cannot create the PNG header";
    }
    delete row;
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return ok;
}

} // namespace

bool PngWriter::Write(const PagePreview& inPreview, const std::string& inPath,
                      std::string& outError) {
    std::string temporary = inPath + ".part";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) {
        outError = "cannot create " + temporary + ": " + std::strerror(errno);
        return false;
    }
    PngError error;
    bool ok = WriteRows(file, inPreview, error);
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        error.message = std::strerror(errno);
    }
    if (ok && std::rename(temporary.c_str(), inPath.c_str()) != 0) {
        ok = false;
        error.message = std::strerror(errno);
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        outError = "cannot write " + inPath + ": " + error.message;
    }
    return ok;
}

} // namespace Tarvel::VirtualPrinter
