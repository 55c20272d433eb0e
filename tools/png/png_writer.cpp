#include "tools/png/png_writer.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// libpng reports errors by longjmp; nothing with a destructor may live between
// setjmp and the calls that can jump, so the rows are prepared beforehand.
bool encode(std::FILE* file, const std::vector<png_bytep>& rows, int width, int height) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) {
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, const_cast<png_bytepp>(rows.data()));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

png_byte widen(unsigned channel) {
    return static_cast<png_byte>(channel << 3 | channel >> 2);
}

} // namespace

bool writePngRegion(const char* path, const void* pixels, std::int32_t pitch, int left, int top,
                    int right, int bottom) {
    if (path == nullptr || pixels == nullptr || left < 0 || top < 0 || right < left ||
        bottom < top) {
        return false;
    }
    const int width = right - left + 1;
    const int height = bottom - top + 1;
    std::vector<png_byte> rgb(static_cast<std::size_t>(width) * height * 3);
    std::vector<png_bytep> rows(static_cast<std::size_t>(height));
    const auto* bytes = static_cast<const std::uint8_t*>(pixels);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* source = bytes + static_cast<std::ptrdiff_t>(top + y) * pitch +
                                     2 * static_cast<std::ptrdiff_t>(left);
        png_bytep target = rgb.data() + static_cast<std::size_t>(y) * width * 3;
        rows[static_cast<std::size_t>(y)] = target;
        for (int x = 0; x < width; ++x) {
            std::uint16_t pixel;
            std::memcpy(&pixel, source + 2 * x, sizeof pixel);
            target[3 * x] = widen(pixel >> 10 & 31);
            target[3 * x + 1] = widen(pixel >> 5 & 31);
            target[3 * x + 2] = widen(pixel & 31);
        }
    }

    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        return false;
    }
    const bool encoded = encode(file, rows, width, height);
    const bool closed = std::fclose(file) == 0;
    if (!encoded || !closed) {
        std::remove(path);
        return false;
    }
    return true;
}

bool writePng(const char* path, const void* pixels, std::int32_t pitch, int width, int height) {
    return writePngRegion(path, pixels, pitch, 0, 0, width - 1, height - 1);
}
