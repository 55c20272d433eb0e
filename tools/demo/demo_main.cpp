// tactico-demo: builds a sample installation with an update for it, and plays
// the update on the headless desktop, checking the result.
//
//   tactico-demo [play] [--root DIR] [--bin DIR] [--language N] [--no-prepare]
//   tactico-demo prepare [--root DIR] [--bin DIR] [--patch]
//   (--patch: the update folder holds update.patch and no update.dat; needs xdelta3)
//   tactico-demo check [--root DIR] [--language N] [--quick-start deleted|kept|either]
//   tactico-demo buttons [--root DIR] [--language N]   (shell assignments of click points)
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>

#include "platform/headless/headless.h"
#include "tools/demo/button_positions.h"
#include "tools/demo/playthrough.h"
#include "tools/demo/result_check.h"
#include "tools/demo/sample_setup.h"
#include "wizard/texts.h"

namespace {
const char* const LanguageNames[LanguageCount] = {"English",   "Spanish",    "French",  "Italian",
                                                  "Norwegian", "Portuguese", "Swedish", "Dutch"};
} // namespace

namespace fs = std::filesystem;

namespace {

struct Options {
    std::string command = "play";
    fs::path root;
    fs::path bin;
    int language = -1; // check: the language whose readme left the update folder
    bool prepare = true;
    bool patch = false;
    demo::QuickStartOutcome quickStart = demo::QuickStartOutcome::Either;
};

fs::path programFolder() {
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path() : self.parent_path();
}

int usage() {
    std::fprintf(stderr, "usage: tactico-demo [play|prepare|check] [--root DIR] [--bin DIR] "
                         "[--language 0-7] [--no-prepare] [--patch]\n"
                         "                   [--quick-start deleted|kept|either]\n"
                         "       tactico-demo buttons [--root DIR] [--language 0-7]\n");
    return 2;
}

bool parse(int argc, char** argv, Options& options) {
    int i = 1;
    if (i < argc && argv[i][0] != '-')
        options.command = argv[i++];
    for (; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--root" && hasValue) {
            options.root = argv[++i];
        } else if (arg == "--bin" && hasValue) {
            options.bin = argv[++i];
        } else if (arg == "--language" && hasValue) {
            options.language = std::atoi(argv[++i]);
            if (options.language < 0 || options.language >= LanguageCount)
                return false;
        } else if (arg == "--patch") {
            options.patch = true;
        } else if (arg == "--no-prepare") {
            options.prepare = false;
        } else if (arg == "--quick-start" && hasValue) {
            std::string value = argv[++i];
            if (value == "deleted")
                options.quickStart = demo::QuickStartOutcome::Deleted;
            else if (value == "kept")
                options.quickStart = demo::QuickStartOutcome::Kept;
            else if (value == "either")
                options.quickStart = demo::QuickStartOutcome::Either;
            else
                return false;
        } else {
            return false;
        }
    }
    return options.command == "play" || options.command == "prepare" ||
           options.command == "check" || options.command == "buttons";
}

// The platform's registry calls read TACTICO_REGISTRY; the demo's record lives
// beside the sample, never in the machine-wide one.
void useDemoRegistry(const demo::DemoFolders& folders) {
    setenv("TACTICO_REGISTRY", folders.registry.c_str(), 1);
}

int printCheck(const demo::CheckResult& check) {
    for (const std::string& problem : check.problems)
        std::printf("  FAULT: %s\n", problem.c_str());
    std::printf("%d of 47 files carry the new contents.\n", check.filesReplaced);
    return check.ok() ? 0 : 1;
}

int prepare(const Options& options, const demo::DemoFolders& folders) {
    useDemoRegistry(folders);
    headless::install();
    std::string error;
    if (!demo::prepareDemo(folders, options.bin, error) ||
        (options.patch && !demo::packPatchWithProgram(folders, false, error))) {
        std::fprintf(stderr, "tactico-demo: %s\n", error.c_str());
        return 1;
    }
    std::printf("Sample installation: %s\n", folders.installation.c_str());
    std::printf("Update folder:       %s\n", folders.update.c_str());
    std::printf("Installation record: %s\n", folders.registry.c_str());
    return 0;
}

int play(const Options& options, const demo::DemoFolders& folders) {
    if (options.prepare && prepare(options, folders) != 0)
        return 1;
    useDemoRegistry(folders);
    if (chdir(folders.update.c_str()) != 0) {
        std::fprintf(stderr, "tactico-demo: cannot enter %s\n", folders.update.c_str());
        return 1;
    }
    std::printf("Playing the update headless in %s ...\n", LanguageNames[options.language]);
    demo::PlayResult played = demo::playUpdate(options.language, folders.screens);

    std::printf("Screens passed:");
    for (const demo::VisitedScreen& visited : played.screens)
        std::printf(" %s", visited.name.c_str());
    std::printf("  (%d frames)\n", played.frames);

    int faults = 0;
    for (const std::string& problem : played.problems) {
        std::printf("  FAULT: %s\n", problem.c_str());
        ++faults;
    }
    if (!played.reachedCompletion) {
        std::printf("  FAULT: the completion screen was never shown\n");
        ++faults;
    }
    std::string readme = (folders.installation / "readme.txt").string();
    if (played.shellOpens.size() != 1 || played.shellOpens[0] != readme) {
        std::printf("  FAULT: expected one shell open of %s, got %zu\n", readme.c_str(),
                    played.shellOpens.size());
        ++faults;
    } else {
        std::printf("Finish asked the desktop to open %s\n", readme.c_str());
    }

    headless::install();
    demo::CheckResult check =
        demo::checkUpdatedInstallation(folders, options.language,
                                       played.answeredQuickStart ? demo::QuickStartOutcome::Deleted
                                                                 : demo::QuickStartOutcome::Kept);
    faults += printCheck(check);
    if (check.ok())
        std::printf("readme.txt is %s; \"Version\" reads \"%s\".\n",
                    LanguageReadmeFiles[options.language], UpdaterVersionText);
    if (!folders.screens.empty())
        std::printf("Pictures of every screen: %s\n", folders.screens.c_str());
    std::printf(faults == 0 ? "DEMO PASSED\n" : "DEMO FAILED\n");
    return faults == 0 ? 0 : 1;
}

// After an update in a real window, the readme that left the update folder tells
// which language the user picked.
int movedReadmeLanguage(const demo::DemoFolders& folders) {
    int found = -1;
    for (int language = 0; language < LanguageCount; ++language) {
        if (fs::exists(folders.update / LanguageReadmeFiles[language]))
            continue;
        if (found >= 0)
            return -1;
        found = language;
    }
    return found;
}

int check(const Options& options, const demo::DemoFolders& folders) {
    int language = options.language >= 0 ? options.language : movedReadmeLanguage(folders);
    if (language < 0) {
        std::printf("No readme was moved into the installation: the update did not run.\n"
                    "CHECK FAILED\n");
        return 1;
    }
    std::printf("Checking the update in %s\n", LanguageNames[language]);
    useDemoRegistry(folders);
    headless::install();
    demo::CheckResult result =
        demo::checkUpdatedInstallation(folders, language, options.quickStart);
    int status = printCheck(result);
    std::printf(status == 0 ? "CHECK PASSED\n" : "CHECK FAILED\n");
    return status;
}

// Printed as shell assignments for the real-window run to evaluate.
int buttons(const Options& options, const demo::DemoFolders& folders) {
    if (chdir(folders.update.c_str()) != 0) {
        std::fprintf(stderr, "tactico-demo: cannot enter %s (run prepare first)\n",
                     folders.update.c_str());
        return 1;
    }
    demo::ButtonPositions at = demo::findButtonPositions(options.language);
    const std::pair<const char*, demo::Point> points[] = {
        {"LANGUAGE", at.language}, {"NEXT", at.next}, {"YES", at.yes}, {"FINISH", at.finish}};
    int missing = 0;
    for (const auto& [name, point] : points) {
        std::printf("%s_X=%d\n%s_Y=%d\n", name, point.x, name, point.y);
        missing += point.x < 0;
    }
    return missing == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options))
        return usage();
    if (options.bin.empty())
        options.bin = programFolder();
    if (options.root.empty())
        options.root = options.bin.parent_path() / "demo";
    demo::DemoFolders folders = demo::foldersUnder(options.root);
    if (options.command != "check" && options.language < 0)
        options.language = English;

    if (options.command == "prepare")
        return prepare(options, folders);
    if (options.command == "check")
        return check(options, folders);
    if (options.command == "buttons")
        return buttons(options, folders);
    return play(options, folders);
}
