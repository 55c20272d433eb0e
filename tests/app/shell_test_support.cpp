#include "tests/app/shell_test_support.h"

#include <cstdint>
#include <fstream>

#include <unistd.h>

#include "app/test_hooks.h"
#include "render/font.h"
#include "render/screen.h"

namespace {

void writeInt32(std::ofstream& out, std::int32_t value) {
    const std::uint32_t bits = static_cast<std::uint32_t>(value);
    const char bytes[4] = {static_cast<char>(bits & 0xFF), static_cast<char>((bits >> 8) & 0xFF),
                           static_cast<char>((bits >> 16) & 0xFF), static_cast<char>(bits >> 24)};
    out.write(bytes, 4);
}

int scratchCounter = 0;

} // namespace

void writeTinyFont(const std::filesystem::path& folder, int slot) {
    std::ofstream out(folder / FontNames[slot], std::ios::binary);
    const std::int32_t height = 2;
    writeInt32(out, height);
    for (int code = 32; code <= 255; ++code) {
        writeInt32(out, 1); // width
        writeInt32(out, 1); // rowBytes
        writeInt32(out, 0);
        writeInt32(out, 0);
        const char rows[2] = {static_cast<char>(0xF0), static_cast<char>(0x80)};
        out.write(rows, height);
    }
}

void ShellTest::SetUp() {
    previousFolder = std::filesystem::current_path();
    folder =
        std::filesystem::temp_directory_path() /
        ("tactico_app_test_" + std::to_string(::getpid()) + "_" + std::to_string(++scratchCounter));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    installDesktop({});
}

void ShellTest::TearDown() {
    test_hooks::failMouseAllocation = false;
    test_hooks::failKeyboardAllocation = false;
    test_hooks::failApplicationAllocation = false;
    shell::running = false;
    shell::closeRequested = false;
    std::filesystem::current_path(previousFolder);
    std::filesystem::remove_all(folder);
}

void ShellTest::installDesktop(const headless::DesktopConfig& config) {
    headless::install(config);
}

void ShellTest::writeFonts(int count) {
    for (int slot = 0; slot < count; ++slot)
        writeTinyFont(folder, slot);
}

std::vector<std::string> ShellTest::messageTexts() const {
    std::vector<std::string> texts;
    for (const auto& box : headless::messageBoxes())
        texts.push_back(box.title + "/" + box.text);
    return texts;
}

void CountingApp::buildScreen() {
    ++builds;
    if (!isScreenReady())
        return;
    std::int16_t x0 = 0, y0 = 0, x1 = static_cast<std::int16_t>(screen.width - 1),
                 y1 = static_cast<std::int16_t>(screen.height - 1);
    clipToScreen(x0, y0, x1, y1);
    for (std::int16_t y = 0; y < screen.height; ++y) {
        Colour555* row = pixelRow(y);
        // Bit 15 is set on every other pixel: it must never reach the window.
        for (std::int16_t x = 0; x < screen.width; ++x)
            row[x] = static_cast<Colour555>(((x * 7 + y * 13 + builds) & 0x7FFF) | ((x & 1) << 15));
    }
}

bool CountingApp::frameStep() {
    ++steps;
    return steps != stepsUntilDone;
}
