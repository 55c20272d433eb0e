// Native side of the Windows end-to-end run (tests/wine/run.sh):
//   files <update dir> <installation dir>       lay out sources and an old installation
//   check <update dir> <installation dir> <n>   the installation updated in language n?
//   screens <font dir> <version text> <out dir> headless renderings and click points
//   locate <capture.ppm> <reference.ppm>        where the reference shows in the capture
//   compare <capture.ppm> <reference.ppm> <x> <y>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/bwio.h"
#include "platform/headless/headless.h"
#include "tests/wine/fixture_files.h"
#include "tests/wine/pixmap.h"
#include "wizard/update_wizard.h"

namespace {

fixture::Point centreOf(const Button* button) {
    return {button->x + button->width / 2, button->y + button->height / 2};
}

// Runs the program on the headless desktop and keeps, in outDir, what reaches the
// window: the language screen, the version screen for versionText, and that
// screen again with Next held down (a copy of just the button's rectangle).
int renderScreens(const char* fontDir, const char* versionText, const char* outDirArg) {
    // The program reads its fonts from the current folder.
    const std::filesystem::path outDir = std::filesystem::absolute(outDirArg);
    std::error_code error;
    std::filesystem::current_path(fontDir, error);
    if (error) {
        std::fprintf(stderr, "cannot enter %s\n", fontDir);
        return 1;
    }
    headless::install();
    int phase = 0;
    bool written = true;
    fixture::Point english{}, next{};
    const auto keep = [&](const char* name) {
        written =
            written && fixture::writePpm((outDir / name).string(),
                                         fixture::fromFrameBuffer(headless::surface(),
                                                                  headless::window().clientWidth,
                                                                  headless::window().clientHeight));
    };
    headless::setPumpHook([&] {
        auto* wizard = dynamic_cast<UpdateWizard*>(shell::application);
        if (wizard == nullptr || wizard->builtState < 0) {
            return;
        }
        if (phase == 0 && wizard->builtState == LanguageScreen && wizard->buttons[1] != nullptr) {
            english = centreOf(wizard->buttons[1]);
            keep("language.ppm");
            wizard->state = VersionScreen;
            std::snprintf(wizard->installedVersion, sizeof wizard->installedVersion, "%s",
                          versionText);
            wizard->buildScreen();
            phase = 1;
        } else if (phase == 1 && wizard->buttons[4] != nullptr) {
            next = centreOf(wizard->buttons[4]);
            keep("version.ppm");
            wizard->buttons[4]->pressed = 1;
            wizard->drawButton(wizard->buttons[4]);
            phase = 2;
        } else if (phase == 2) {
            keep("next-pressed.ppm");
            wizard->finished = true;
            phase = 3;
        }
    });
    runApplication(nullptr, "");
    if (phase != 3 || !written) {
        for (const auto& box : headless::messageBoxes()) {
            std::fprintf(stderr, "%s: %s\n", box.title.c_str(), box.text.c_str());
        }
        std::fprintf(stderr, "the headless run did not reach the version screen\n");
        return 1;
    }
    // Finish on the completion screen stands where Next stands on the version screen.
    std::ofstream points(outDir / "points", std::ios::trunc);
    points << "english " << english.x << " " << english.y << "\n"
           << "next " << next.x << " " << next.y << "\n"
           << "finish " << next.x << " " << next.y << "\n";
    return points ? 0 : 1;
}

bool readBoth(const char* capturePath, const char* referencePath, fixture::Pixmap& capture,
              fixture::Pixmap& reference) {
    if (!fixture::readPpm(capturePath, capture)) {
        std::fprintf(stderr, "cannot read %s\n", capturePath);
        return false;
    }
    if (!fixture::readPpm(referencePath, reference)) {
        std::fprintf(stderr, "cannot read %s\n", referencePath);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "files" && argc == 4) {
        std::string error;
        if (!fixture::writeFiles(argv[2], argv[3], error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    if (command == "check" && argc == 5) {
        const auto problems = fixture::checkUpdated(argv[2], argv[3], std::atoi(argv[4]));
        for (const std::string& problem : problems) {
            std::fprintf(stderr, "%s\n", problem.c_str());
        }
        return problems.empty() ? 0 : 1;
    }
    if (command == "screens" && argc == 5) {
        return renderScreens(argv[2], argv[3], argv[4]);
    }
    if (command == "locate" && argc == 4) {
        fixture::Pixmap capture, reference;
        if (!readBoth(argv[2], argv[3], capture, reference)) {
            return 1;
        }
        const auto found = fixture::locate(capture, reference);
        if (found.size() != 1) {
            std::fprintf(stderr, "reference found %zu times in the capture\n", found.size());
            return 1;
        }
        std::printf("%d %d\n", found[0].x, found[0].y);
        return 0;
    }
    if (command == "compare" && argc == 6) {
        fixture::Pixmap capture, reference;
        if (!readBoth(argv[2], argv[3], capture, reference)) {
            return 1;
        }
        const long differences =
            fixture::countDifferences(capture, reference, {std::atoi(argv[4]), std::atoi(argv[5])});
        std::printf("%ld differing pixels\n", differences);
        return differences == 0 ? 0 : 1;
    }
    std::fprintf(stderr, "usage: see the head of tests/wine/wine_fixture_main.cpp\n");
    return 2;
}
