// Native side of the display tests (tests/wine/run.sh and high_dpi.sh,
// tests/app/sdl_scale.sh), on the sample "tactico-demo prepare" lays out in <root>:
//   screens <root>                       headless renderings as PPM files in <root>
//   check <root>                         the installation updated in English, quick-start deleted?
//   locate <capture.ppm> <reference.ppm> [scale]   the one place the reference shows
//   compare <capture.ppm> <reference.ppm> <x> <y> [scale]
// With a scale N each reference pixel must fill an N by N block of the capture.
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "app/bwio.h"
#include "platform/headless/headless.h"
#include "tools/demo/result_check.h"
#include "wizard/texts.h"
#include "wizard/wizard_steps.h"

namespace {

// What reaches the window: the language screen, the version screen the sample's
// record leads to, and that screen again with Next held down (a copy of just the
// button's rectangle).
int screens(const demo::DemoFolders& folders) {
    if (chdir(folders.update.c_str()) != 0) {
        return 1;
    }
    int phase = 0;
    bool written = true;
    const auto keep = [&](const char* name) {
        std::ofstream out(folders.root / name, std::ios::binary);
        out << "P6\n"
            << headless::window().clientWidth << ' ' << headless::window().clientHeight
            << "\n255\n";
        for (std::uint16_t p : headless::surface()) {
            out << char((p >> 7) & 0xF8) << char((p >> 2) & 0xF8) << char(p << 3);
        }
        written = written && out;
    };
    headless::setPumpHook([&] {
        auto* wizard = dynamic_cast<UpdateWizard*>(shell::application);
        if (wizard == nullptr) {
            return;
        }
        if (phase == 0 && wizard->builtState == LanguageScreen) {
            keep("language.ppm");
            chooseLanguage(*wizard, English);
        } else if (phase == 1 && wizard->builtState == VersionScreen) {
            keep("version.ppm");
            wizard->buttons[4]->pressed = 1;
            wizard->drawButton(wizard->buttons[4]);
        } else if (phase == 2) {
            keep("next-pressed.ppm");
            wizard->finished = true;
        } else {
            return;
        }
        ++phase;
    });
    runApplication(nullptr, "");
    return phase == 3 && written ? 0 : 1;
}

int check(const demo::DemoFolders& folders) {
    auto problems =
        demo::checkUpdatedInstallation(folders, English, demo::QuickStartOutcome::Deleted).problems;
    // The update wrote Wine's registry, not the sample's record file.
    std::erase_if(problems, [](const std::string& p) { return p.starts_with("\"Version\""); });
    for (const std::string& problem : problems) {
        std::fprintf(stderr, "%s\n", problem.c_str());
    }
    return problems.empty() ? 0 : 1;
}

struct Image {
    int width = 0, height = 0;
    std::string rgb;
    const char* at(int x, int y) const { return &rgb[(std::size_t(y) * width + x) * 3]; }
};

bool readPpm(const char* path, Image& image) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    if (!(in >> magic >> image.width >> image.height >> maxValue) || magic != "P6" ||
        maxValue != 255 || image.width <= 0 || image.height <= 0) {
        std::fprintf(stderr, "cannot read %s\n", path);
        return false;
    }
    in.get();
    image.rgb.resize(std::size_t(image.width) * image.height * 3);
    return static_cast<bool>(in.read(image.rgb.data(), std::streamsize(image.rgb.size())));
}

// Pixels of capture at (ox, oy) unlike reference drawn at the given scale,
// counted up to limit. Only the top five bits of a channel count: a display
// widens a 5-bit channel by a shift or by repeating its top bits.
long differences(const Image& capture, const Image& reference, int ox, int oy, long limit,
                 int scale = 1) {
    long count = 0;
    for (int y = 0; y < reference.height * scale; ++y) {
        for (int x = 0; x < reference.width * scale; ++x) {
            const int cx = ox + x, cy = oy + y;
            bool same = cx >= 0 && cy >= 0 && cx < capture.width && cy < capture.height;
            for (int c = 0; same && c < 3; ++c) {
                same =
                    ((capture.at(cx, cy)[c] ^ reference.at(x / scale, y / scale)[c]) & 0xF8) == 0;
            }
            if (!same && ++count >= limit) {
                return count;
            }
        }
    }
    return count;
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 2 ? argv[1] : "";
    if (argc == 3 && (command == "screens" || command == "check")) {
        const demo::DemoFolders folders = demo::foldersUnder(argv[2]);
        setenv("TACTICO_REGISTRY", folders.registry.c_str(), 1);
        headless::install();
        return command == "screens" ? screens(folders) : check(folders);
    }
    const bool locate = (argc == 4 || argc == 5) && command == "locate";
    if (!locate && !((argc == 6 || argc == 7) && command == "compare")) {
        std::fprintf(stderr, "usage: see the head of tests/tools/display_fixture.cpp\n");
        return 2;
    }
    Image capture, reference;
    if (!readPpm(argv[2], capture) || !readPpm(argv[3], reference)) {
        return 1;
    }
    const int scale = std::max(1, std::atoi(argc == (locate ? 5 : 7) ? argv[argc - 1] : "1"));
    if (!locate) {
        const long count = differences(capture, reference, std::atoi(argv[4]), std::atoi(argv[5]),
                                       LONG_MAX, scale);
        std::printf("%ld differing pixels\n", count);
        return count == 0 ? 0 : 1;
    }
    std::vector<std::pair<int, int>> found;
    for (int y = 0; y + reference.height * scale <= capture.height; ++y) {
        for (int x = 0; x + reference.width * scale <= capture.width; ++x) {
            if (differences(capture, reference, x, y, 1, scale) == 0) {
                found.emplace_back(x, y);
            }
        }
    }
    if (found.size() != 1) {
        std::fprintf(stderr, "reference found %zu times in the capture\n", found.size());
        return 1;
    }
    std::printf("%d %d\n", found[0].first, found[0].second);
    return 0;
}
