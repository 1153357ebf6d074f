#include "png_read.h"

#include <png.h>

#include <cstdlib>
#include <cstring>

PngPicture ReadPng(const std::string& path) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
    const bool hasAlpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = PNG_FORMAT_RGBA;
    std::vector<unsigned char> rgba(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) return {};
    PngPicture png;
    png.picture.width = static_cast<int>(image.width);
    png.picture.height = static_cast<int>(image.height);
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        png.picture.rgb.insert(png.picture.rgb.end(), &rgba[i], &rgba[i] + 3);
        if (hasAlpha) png.alpha.push_back(rgba[i + 3]);
    }
    return png;
}

Picture OverBackground(const PngPicture& png, unsigned char background) {
    Picture over = png.picture;
    for (std::size_t p = 0; p < png.alpha.size(); ++p) {
        const int a = png.alpha[p];
        for (std::size_t c = 0; c < 3; ++c) {
            unsigned char& v = over.rgb[3 * p + c];
            v = static_cast<unsigned char>((v * a + background * (255 - a) + 127) / 255);
        }
    }
    return over;
}
