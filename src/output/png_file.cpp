#include "png_file.h"

#include <fcntl.h>
#include <png.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "pending_file.h"

namespace {

// Level 3 with each row's bytes stored as differences from their left
// neighbours: within a tenth of the default's size at a third of its time,
// which for a turntable is a sizeable share of a frame.
const int compressionLevel = 3;

void StoreError(png_structp png, png_const_charp message) {
    auto* error = static_cast<char*>(png_get_error_ptr(png));
    std::snprintf(error, 128, "%s", message);
    png_longjmp(png, 1);
}

// Writes the PNG stream; returns false, with libpng's message in `error`
// (128 bytes), when it fails. libpng reports failure by a long jump, so
// nothing here may need a destructor.
bool WriteStream(FILE* file, const Image& image, char* error) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, error, StoreError, nullptr);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                 image.channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, compressionLevel);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_write_info(png, info);
    const std::size_t stride = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.channels);
    for (int row = 0; row < image.height; ++row) {
        const int stored = image.bottomUp ? image.height - 1 - row : row;
        png_write_row(png, &image.pixels[static_cast<std::size_t>(stored) * stride]);
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

std::string SystemError(const std::string& what, const std::string& path) {
    return what + " '" + path + "': " + std::strerror(errno);
}

}  // namespace

std::string WritePng(const std::string& path, const Image& image) {
    const std::size_t bytes = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) *
                              static_cast<std::size_t>(image.channels);
    if (image.width <= 0 || image.height <= 0 || image.pixels.size() != bytes) {
        return "cannot write '" + path + "': the picture has no pixels";
    }

    PendingFile pending(path);
    if (!pending.error().empty()) return pending.error();
    // The stream gets a descriptor of its own to close: the pending file's
    // stays open until it has its name.
    const int descriptor = fcntl(pending.descriptor(), F_DUPFD_CLOEXEC, 0);
    FILE* file = descriptor < 0 ? nullptr : fdopen(descriptor, "wb");
    if (file == nullptr) {
        const std::string error = SystemError("cannot write", path);
        if (descriptor >= 0) close(descriptor);
        return error;
    }

    char message[128] = "libpng refused the picture";
    const bool written = WriteStream(file, image, message);
    const bool flushed = written && std::fflush(file) == 0;
    const bool closed = std::fclose(file) == 0;
    if (!written) return "cannot write '" + path + "': " + message;
    if (!flushed || !closed) return SystemError("cannot write", path);
    return pending.Publish();
}
