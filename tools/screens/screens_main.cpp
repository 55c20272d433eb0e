// tactico-screens: renders every wizard screen in every enabled language to PNG
// files on the headless desktop and reports text that does not fit.
//
//   tactico-screens [--bin DIR] [--out DIR] [--sheet FILE] [--strict]
//
// --bin holds the seven fonts (default: this program's folder); --out receives
// <language>/<NN>_<screen>.png; --sheet is the contact sheet of the English
// screens (default <out>/screens_en.png); --strict fails when anything does not fit.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/bwio.h"
#include "platform/headless/headless.h"
#include "render/draw.h"
#include "render/screen.h"
#include "tools/demo/playthrough.h"
#include "tools/png/png_writer.h"
#include "tools/screens/contact_sheet.h"
#include "tools/screens/text_fit.h"
#include "update/file_list.h"
#include "wizard/texts.h"
#include "wizard/update_wizard.h"

namespace fs = std::filesystem;

namespace {

constexpr int StateCount = 11;
constexpr int ProgressShownStep = 30;
const char* const LanguageFolders[LanguageCount] = {"eng", "esp", "fra", "ita",
                                                    "nor", "por", "sve", "dut"};
const char* const LanguageNames[LanguageCount] = {"English",   "Spanish",    "French",  "Italian",
                                                  "Norwegian", "Portuguese", "Swedish", "Dutch"};

struct Options {
    fs::path bin;
    fs::path out;
    fs::path sheet;
    bool strict = false;
};

struct Run {
    Options options;
    int findings = 0;
    int pictures = 0;
    int failures = 0;
    bool done = false;
    std::vector<int> findingsPerLanguage = std::vector<int>(LanguageCount, 0);
    struct Tightest {
        int state = -1;
        screens::TightestFit fit;
    };
    std::vector<Tightest> tightestPerLanguage = std::vector<Tightest>(LanguageCount);
    std::vector<screens::Picture> english;
};

fs::path programFolder() {
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path() : self.parent_path();
}

// The bar as the progress screen shows it part way through the update, so the
// picture shows what a user sees.
void drawProgressBar(const UpdateWizard& w, int step) {
    drawRect(static_cast<std::int16_t>(w.boxX + 10), static_cast<std::int16_t>(w.boxY + 10),
             static_cast<std::int16_t>(w.boxX + 10 + step * (w.boxWidth - 20) / UpdateFileCount),
             static_cast<std::int16_t>(w.boxY + 30), RectSolidFill, 0x001F, KeepExisting);
}

void renderScreen(Run& run, UpdateWizard& w, int language, int state) {
    w.language = language;
    w.state = static_cast<std::int16_t>(state);
    w.builtState = -1;
    w.buildScreen();
    if (state == ProgressScreen)
        drawProgressBar(w, ProgressShownStep);

    char name[64];
    std::snprintf(name, sizeof name, "%02d_%s.png", state, demo::screenName(state));
    fs::path path = run.options.out / LanguageFolders[language] / name;
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    if (writePng(path.c_str(), screen.buffer, screen.pitch, screen.width, screen.height)) {
        ++run.pictures;
    } else {
        std::printf("cannot write %s\n", path.c_str());
        ++run.failures;
    }
    if (language == English)
        run.english.push_back(screens::grabFrameBuffer());

    screens::TightestFit fit = screens::tightestFit(w);
    if (fit.spare < run.tightestPerLanguage[language].fit.spare)
        run.tightestPerLanguage[language] = {state, fit};
    for (const screens::Finding& f : screens::checkTextFit(w)) {
        ++run.findings;
        ++run.findingsPerLanguage[language];
        std::printf("%-10s screen %2d %-13s", LanguageNames[language], state,
                    demo::screenName(state));
        if (f.slot >= 0)
            std::printf(" slot %d", f.slot);
        std::printf(": \"%s\" %s\n", f.text.c_str(), f.problem.c_str());
    }
}

void renderAll(Run& run) {
    auto* w = dynamic_cast<UpdateWizard*>(shell::application);
    if (!w || run.done)
        return;
    run.done = true;
    std::snprintf(w->installedVersion, sizeof w->installedVersion, "%s",
                  "Version 3.70 (ENG,ESP,FRA,ITA,NOR,POR,SVE,DUT)");
    w->installPath = platform().defaultInstallPath;

    for (int language = 0; language < LanguageCount; ++language) {
        if (!LanguageEnabled[language])
            continue;
        for (int state = 0; state < StateCount; ++state)
            renderScreen(run, *w, language, state);
    }
    // Back on the language screen, where a frame step does nothing, and end.
    w->language = English;
    w->state = LanguageScreen;
    w->builtState = -1;
    w->finished = true;
}

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--strict")
            options.strict = true;
        else if (arg == "--bin" && i + 1 < argc)
            options.bin = argv[++i];
        else if (arg == "--out" && i + 1 < argc)
            options.out = argv[++i];
        else if (arg == "--sheet" && i + 1 < argc)
            options.sheet = argv[++i];
        else
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Run run;
    if (!parse(argc, argv, run.options)) {
        std::fprintf(stderr, "usage: tactico-screens [--bin DIR] [--out DIR] [--sheet FILE] "
                             "[--strict]\n");
        return 2;
    }
    Options& options = run.options;
    if (options.bin.empty())
        options.bin = programFolder();
    if (options.out.empty())
        options.out = options.bin.parent_path() / "screens";
    options.out = fs::absolute(options.out);
    if (options.sheet.empty())
        options.sheet = options.out / "screens_en.png";
    options.sheet = fs::absolute(options.sheet);

    // The program reads its fonts from the folder it starts in.
    if (chdir(options.bin.c_str()) != 0) {
        std::fprintf(stderr, "tactico-screens: cannot enter %s\n", options.bin.c_str());
        return 1;
    }
    headless::install();
    headless::setPumpHook([&run] { renderAll(run); });
    InstanceHandle (*instance)() = headless::ops().instance;
    runApplication(instance ? instance() : nullptr, "");
    headless::setPumpHook({});

    for (const headless::MessageBoxRecord& box : headless::messageBoxes()) {
        std::printf("message box \"%s\": %s\n", box.title.c_str(), box.text.c_str());
        ++run.failures;
    }
    if (!run.done) {
        std::printf("the wizard never reached its main loop\n");
        return 1;
    }

    screens::Picture sheet = screens::composeSheet(run.english, 4, 8);
    std::error_code ec;
    fs::create_directories(options.sheet.parent_path(), ec);
    if (!writePng(options.sheet.c_str(), sheet.pixels.data(),
                  sheet.width * static_cast<int>(sizeof(std::uint16_t)), sheet.width,
                  sheet.height)) {
        std::printf("cannot write %s\n", options.sheet.c_str());
        ++run.failures;
    }

    std::printf("\n%d pictures in %s; English contact sheet %s\n", run.pictures,
                options.out.c_str(), options.sheet.c_str());
    for (int language = 0; language < LanguageCount; ++language)
        if (LanguageEnabled[language]) {
            const Run::Tightest& t = run.tightestPerLanguage[language];
            std::printf("%-10s %d text(s) that do not fit; tightest: screen %d slot %d \"%s\", "
                        "%d px to spare\n",
                        LanguageNames[language], run.findingsPerLanguage[language], t.state,
                        t.fit.slot, t.fit.text.c_str(), t.fit.spare);
        }
    if (run.failures > 0)
        return 1;
    return options.strict && run.findings > 0 ? 1 : 0;
}
