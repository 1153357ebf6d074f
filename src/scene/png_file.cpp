#include "png_file.h"

#include <png.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

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

    std::string temporary = path + ".XXXXXX";
    const int descriptor = mkstemp(&temporary[0]);
    if (descriptor < 0) return SystemError("cannot write", path);
    FILE* file = fdopen(descriptor, "wb");
    if (file == nullptr) {
        close(descriptor);
        unlink(temporary.c_str());
        return SystemError("cannot write", path);
    }
    // mkstemp makes the file readable by its owner alone; a picture is for
    // everyone the user's umask lets read it.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor, 0666 & ~mask);

    char message[128] = "libpng refused the picture";
    const bool written = WriteStream(file, image, message);
    const bool flushed = written && std::fflush(file) == 0 && fsync(fileno(file)) == 0;
    const bool closed = std::fclose(file) == 0;
    if (!written) {
        unlink(temporary.c_str());
        return "cannot write '" + path + "': " + message;
    }
    if (!flushed || !closed) {
        const std::string error = SystemError("cannot write", path);
        unlink(temporary.c_str());
        return error;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const std::string error = SystemError("cannot write", path);
        unlink(temporary.c_str());
        return error;
    }
    return "";
}
