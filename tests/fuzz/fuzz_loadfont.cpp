// Loads arbitrary bytes as a font file, then measures and draws with whatever
// loaded, at places that straddle every edge of a small screen.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <numeric>
#include <string>
#include <unistd.h>

#include "datafile/directory.h"
#include "platform/platform.h"
#include "render/font.h"
#include "render/screen.h"
#include "tests/files.h"

namespace {

constexpr int Slot = 4;
Font* slots[FontSlotCount] = {};
char allCodes[256];
const Directory* fontFolder = nullptr;
std::string fontPath;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("tactico-fuzz-loadfont-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    // The Directory captures the current folder; libFuzzer still needs the
    // original one for its corpus paths.
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    fontFolder = new Directory;
    std::filesystem::current_path(previous);
    fontPath = (folder / FontNames[Slot].c_str()).string();
    static PlatformOps ops{};
    ops.name = "fuzz";
    selectPlatform(&ops);
    allocateFrameBuffer(61, 37);
    screen.fontSlots = slots;
    std::iota(allCodes, allCodes + 255, char{1});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    writeFile(fontPath, std::string(reinterpret_cast<const char*>(data), size));
    if (loadFont(*fontFolder, Slot) != RenderOk) {
        if (slots[Slot] != nullptr) {
            __builtin_trap(); // a failed load must leave the slot empty
        }
        return 0;
    }
    const std::int16_t places[][2] = {{0, 0}, {-7, -3}, {50, 30}, {-32768, 5}, {32000, -32768}};
    for (const auto& place : places) {
        drawString(place[0], place[1], Slot, 0x7C1F, allCodes);
        drawString(place[0], place[1], Slot, 0x8000, "Ag j,\x80\xff");
    }
    stringWidth(Slot, allCodes);
    glyphGap(Slot, allCodes, 1);
    fontHeight(Slot);
    freeFont(Slot);
    return 0;
}
