#include "png_file.h"

#include <png.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

std::string SystemError(const std::string& what, const std::string& path) {
    return what + " '" + path + "': " + std::strerror(errno);
}

}  // namespace

std::string WritePng(const std::string& path, const Image& image) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = image.channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    const png_int_32 stride = image.width * image.channels;
    const std::size_t bytes = static_cast<std::size_t>(stride) * static_cast<std::size_t>(image.height);
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

    // A negative stride reads the rows from the last one up.
    const png_int_32 rowStride = image.bottomUp ? -stride : stride;
    const bool written = png_image_write_to_stdio(&png, file, 0, image.pixels.data(), rowStride, nullptr) != 0;
    const bool flushed = written && std::fflush(file) == 0 && fsync(fileno(file)) == 0;
    const bool closed = std::fclose(file) == 0;
    if (!written) {
        unlink(temporary.c_str());
        return "cannot write '" + path + "': " + png.message;
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
