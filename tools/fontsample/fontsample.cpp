// Renders a sample text in every font slot to a PNG, to check the built fonts:
//   tactico-fontsample <font folder> <output.png>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "datafile/directory.h"
#include "platform/platform.h"
#include "render/draw.h"
#include "render/font.h"
#include "render/screen.h"
#include "tools/png/png_writer.h"

namespace {

constexpr const char* Samples[] = {
    "The quick brown fox jumps over the lazy dog. 0123456789",
    "Fa\xe7\x61\x64\x65 na\xefve \x80"
    "12 \x93quoted\x94 \x96 \xc5ngstr\xf6m, Espa\xf1\x61, Ol\xe9!",
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: tactico-fontsample <font folder> <output.png>\n", stderr);
        return 2;
    }
    const std::filesystem::path output = std::filesystem::absolute(argv[2]);
    std::error_code error;
    std::filesystem::current_path(argv[1], error);
    if (error) {
        std::fprintf(stderr, "tactico-fontsample: cannot enter %s\n", argv[1]);
        return 1;
    }

    static PlatformOps ops{};
    ops.name = "fontsample";
    selectPlatform(&ops);
    if (allocateFrameBuffer(640, 420) != RenderOk) {
        return 1;
    }
    Font* slots[FontSlotCount] = {};
    screen.fontSlots = slots;
    const Directory directory;
    for (int slot = 0; slot < FontSlotCount; ++slot) {
        const int result = loadFont(directory, slot);
        if (result != RenderOk) {
            std::fprintf(stderr, "tactico-fontsample: %s: result %d\n", FontNames[slot].c_str(),
                         result);
            return 1;
        }
    }

    // Dark text on the button grey, then the title colours on the wizard blue.
    drawRect(0, 0, 639, 259, RectSolidFill, 0x6739, 0);
    drawRect(0, 260, 639, 419, RectSolidFill, 0x0010, 0);
    int y = 4;
    for (int slot = 0; slot < FontSlotCount; ++slot) {
        drawString(6, static_cast<std::int16_t>(y), slot, 0x0000, Samples[slot % 2]);
        y += fontHeight(slot) + 2;
    }
    y = 264;
    for (int slot : {1, 2, 5, 6}) {
        drawString(6, static_cast<std::int16_t>(y), slot, slot >= 5 ? 0x7FE0 : 0x7FFF, Samples[0]);
        y += fontHeight(slot) + 2;
    }

    const bool written =
        writePng(output.c_str(), screen.buffer, screen.pitch, screen.width, screen.height);
    for (int slot = 0; slot < FontSlotCount; ++slot) {
        freeFont(slot);
    }
    screen.fontSlots = nullptr;
    freeFrameBuffer();
    if (!written) {
        std::fprintf(stderr, "tactico-fontsample: cannot write %s\n", output.c_str());
        return 1;
    }
    return 0;
}
