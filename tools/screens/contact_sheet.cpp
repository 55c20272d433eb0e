#include "tools/screens/contact_sheet.h"

#include <algorithm>
#include <cstring>

#include "render/screen.h"

namespace screens {

namespace {

constexpr std::uint16_t SheetBackground = (4 << 10) | (4 << 5) | 6;

std::uint16_t average(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d) {
    std::uint16_t out = 0;
    for (int shift : {10, 5, 0}) {
        int sum =
            ((a >> shift) & 31) + ((b >> shift) & 31) + ((c >> shift) & 31) + ((d >> shift) & 31);
        out |= static_cast<std::uint16_t>(((sum + 2) / 4) << shift);
    }
    return out;
}

} // namespace

Picture grabFrameBuffer() {
    Picture p;
    if (!screen.buffer)
        return p;
    p.width = screen.width;
    p.height = screen.height;
    p.pixels.resize(static_cast<std::size_t>(p.width) * p.height);
    for (int y = 0; y < p.height; ++y)
        std::memcpy(&p.pixels[static_cast<std::size_t>(y) * p.width],
                    screen.buffer + static_cast<std::ptrdiff_t>(y) * screen.pitch,
                    static_cast<std::size_t>(p.width) * sizeof(std::uint16_t));
    return p;
}

Picture composeSheet(const std::vector<Picture>& pictures, int columns, int gap) {
    Picture sheet;
    if (pictures.empty() || columns < 1)
        return sheet;
    int cellWidth = 0, cellHeight = 0;
    for (const Picture& p : pictures) {
        cellWidth = std::max(cellWidth, p.width / 2);
        cellHeight = std::max(cellHeight, p.height / 2);
    }
    int count = static_cast<int>(pictures.size());
    int rows = (count + columns - 1) / columns;
    int usedColumns = std::min(columns, count);
    sheet.width = usedColumns * cellWidth + (usedColumns + 1) * gap;
    sheet.height = rows * cellHeight + (rows + 1) * gap;
    sheet.pixels.assign(static_cast<std::size_t>(sheet.width) * sheet.height, SheetBackground);

    for (int i = 0; i < count; ++i) {
        const Picture& p = pictures[i];
        int left = gap + (i % columns) * (cellWidth + gap);
        int top = gap + (i / columns) * (cellHeight + gap);
        for (int y = 0; y < p.height / 2; ++y) {
            const std::uint16_t* row0 = &p.pixels[static_cast<std::size_t>(2 * y) * p.width];
            const std::uint16_t* row1 = row0 + p.width;
            std::uint16_t* out =
                &sheet.pixels[static_cast<std::size_t>(top + y) * sheet.width + left];
            for (int x = 0; x < p.width / 2; ++x)
                out[x] = average(row0[2 * x], row0[2 * x + 1], row1[2 * x], row1[2 * x + 1]);
        }
    }
    return sheet;
}

} // namespace screens
