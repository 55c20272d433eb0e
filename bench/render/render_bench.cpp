// Drawing speed of the wizard's workloads, as ratios to a plain memset of the
// same 640 by 480 frame buffer measured in the same run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>

#include "datafile/directory.h"
#include "platform/platform.h"
#include "render/draw.h"
#include "render/font.h"
#include "render/screen.h"

namespace {

Font* slots[FontSlotCount] = {};
const char* const TextLine = "Updating the installation: please wait while the files copy.";

void setUpScreen() {
    static PlatformOps ops{};
    ops.name = "bench";
    selectPlatform(&ops);
    if (allocateFrameBuffer(640, 480) != RenderOk) {
        std::abort();
    }
    screen.fontSlots = slots;
}

void Memset(benchmark::State& state) {
    const std::size_t size = static_cast<std::size_t>(screen.pitch) * screen.height;
    for (auto _ : state) {
        std::memset(screen.buffer, 0x21, size);
        benchmark::ClobberMemory();
    }
}

void Background(benchmark::State& state) {
    for (auto _ : state) {
        for (std::int16_t y = 0; y < 480; ++y) {
            drawLine(0, y, 639, y, LineSolid, static_cast<Colour555>(y / 16));
        }
        benchmark::ClobberMemory();
    }
}

void SolidFill(benchmark::State& state) {
    for (auto _ : state) {
        drawRect(0, 0, 639, 479, RectSolidFill, 0x6739, 0);
        benchmark::ClobberMemory();
    }
}

void VerticalGradient(benchmark::State& state) {
    for (auto _ : state) {
        drawRect(0, 0, 639, 479, RectGradientTopToBottom, 0x001F, 0x7C00);
        benchmark::ClobberMemory();
    }
}

void HorizontalGradient(benchmark::State& state) {
    for (auto _ : state) {
        drawRect(0, 0, 639, 479, RectGradientLeftToRight, 0x001F, 0x7C00);
        benchmark::ClobberMemory();
    }
}

// Pixels of the line that take the blend path (coverage 1 to 14).
long blendedPixels(const Font& font, const char* text) {
    long count = 0;
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c; ++c) {
        const Glyph& glyph = font.glyphs[*c];
        if (*c == 32 || glyph.bitmap == nullptr) {
            continue;
        }
        for (int k = 0; k < font.height; ++k) {
            for (int j = 0; j < glyph.width; ++j) {
                const std::uint8_t packed = glyph.bitmap[k * glyph.rowBytes + j / 2];
                const int v = j % 2 ? packed & 15 : packed >> 4;
                count += v > 0 && v < 15;
            }
        }
    }
    return count;
}

void TextLine60(benchmark::State& state) {
    if (slots[1] == nullptr) {
        state.SkipWithError("fonts not found");
        return;
    }
    drawRect(0, 0, 639, 479, RectSolidFill, 0x6739, 0);
    const long blended = blendedPixels(*slots[1], TextLine);
    for (auto _ : state) {
        drawString(8, 200, 1, 0x0000, TextLine);
        benchmark::ClobberMemory();
    }
    state.counters["blended_px_per_s"] = benchmark::Counter(
        static_cast<double>(blended), benchmark::Counter::kIsIterationInvariantRate);
}

// Prints each result also as a multiple of the memset time.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            times[run.benchmark_name()] = run.GetAdjustedRealTime();
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const auto base = times.find("Memset");
        if (base == times.end() || base->second <= 0) {
            return;
        }
        std::printf("\nTime relative to memset of the 640x480 buffer:\n");
        for (const auto& [name, time] : times) {
            std::printf("  %-20s %6.2fx\n", name.c_str(), time / base->second);
        }
    }

  private:
    std::map<std::string, double> times;
};

} // namespace

BENCHMARK(Memset);
BENCHMARK(Background);
BENCHMARK(SolidFill);
BENCHMARK(VerticalGradient);
BENCHMARK(HorizontalGradient);
BENCHMARK(TextLine60);

int main(int argc, char** argv) {
    setUpScreen();
    {
        std::error_code error;
        const auto previous = std::filesystem::current_path();
        std::filesystem::current_path(TACTICO_FONT_DIR, error);
        const Directory directory;
        if (error || loadFont(directory, 1) != RenderOk) {
            std::fprintf(stderr, "fonts not found in %s\n", TACTICO_FONT_DIR);
        }
        std::filesystem::current_path(previous, error);
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    freeFont(1);
    freeFrameBuffer();
    return 0;
}
