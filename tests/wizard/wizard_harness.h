// The whole program on the headless desktop against the demo's sample in a
// temporary folder, driven frame by frame as a user would drive it.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <ranges>
#include <string>
#include <utility>
#include <vector>

#include "platform/headless/headless.h"
#include "tests/files.h"
#include "tools/demo/sample_content.h"
#include "tools/demo/sample_setup.h"
#include "tools/demo/script.h"
#include "update/digest.h"
#include "update/file_list.h"
#include "update/install_record.h"
#include "update/pack_update.h"
#include "update/package.h"
#include "wizard/texts.h"
#include "wizard/update_wizard.h"

namespace fs = std::filesystem;
using demo::Script;

inline const char* const OldVersion = demo::InstalledVersionText;
// Entries of the file list that tests single out; city.dat is the one several make
// unwritable.
inline constexpr int EuroCfg = 1, PicsCfg = 10, CityDat = 13;

inline std::string recordedVersion() {
    char value[VersionTextBytes] = {};
    return readInstallValue("Tactico", "Version", value, sizeof value) ? value : "<none>";
}

using demo::oldContents;
inline std::string newContents(int entry, int language = English) {
    return isReadmeEntry(entry) ? demo::readmeContents(language) : demo::newContents(entry);
}

// The demo's sample, packed in-process: an update folder (the current folder of a
// run), an old installation in game (without its quick-start games unless asked),
// and a record pointing at it.
struct SampleSetup {
    fs::path root, updateFolder, game;

    explicit SampleSetup(const std::string& name, bool quickStartGames = false) {
        static int serial = 0;
        const demo::DemoFolders folders = demo::foldersUnder(
            fs::temp_directory_path() /
            ("wz-" + name + std::to_string(++serial) + "-" + std::to_string(getpid())));
        root = folders.root;
        updateFolder = folders.update;
        game = folders.installation;
        fs::remove_all(root);
        setenv("TACTICO_REGISTRY", folders.registry.c_str(), 1);
        headless::install();
        std::string error;
        EXPECT_TRUE(demo::writeInstallation(folders, error) &&
                    demo::writeUpdateFolder(folders, TACTICO_FONT_DIR, error) &&
                    demo::writeInstallRecord(folders, error))
            << error;
        if (!quickStartGames) {
            fs::remove_all(game / "qstart");
        }
        const fs::path previous = fs::current_path();
        fs::current_path(updateFolder);
        EXPECT_TRUE(packUpdate({}, UpdaterVersionText));
        fs::current_path(previous);
    }
    SampleSetup(const SampleSetup&) = delete;
    // A script runs in the update folder.
    operator const fs::path&() const { return updateFolder; }
    ~SampleSetup() {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    // Packs update.patch against the old version's package (and, given the versions
    // a 3.80 release's installations hold, that one's too) and, unless keepFull,
    // removes update.dat. An unchanged entry, where given, is new in both already.
    void makePatch(bool keepFull = false, int unchangedEntry = -1,
                   const std::vector<std::string>& versions380 = {}) const {
        const bool with380 = !versions380.empty();
        if (unchangedEntry >= 0) {
            fs::permissions(target(unchangedEntry), fs::perms::owner_write, fs::perm_options::add);
            writeFile(target(unchangedEntry), newContents(unchangedEntry));
        }
        // Packed once per kind: the samples are alike, and xdelta3 takes its time.
        static std::map<std::pair<int, std::vector<std::string>>,
                        std::pair<std::string, std::string>>
            packed;
        if (const auto made = packed.find({unchangedEntry, versions380}); made != packed.end()) {
            writeFile(updateFolder / PatchFileName, made->second.first);
            writeFile(updateFolder / DigestFileName, made->second.second);
        } else {
            const demo::DemoFolders folders = demo::foldersUnder(root);
            const fs::path base = root / "base";
            const fs::path base380 = root / "base380";
            std::string error;
            EXPECT_TRUE(demo::writeBaseFolder(folders, error)) << error;
            if (unchangedEntry >= 0) {
                writeFile(base / UpdateFileList[unchangedEntry].name, newContents(unchangedEntry));
            }
            PatchPackOptions bases{{{(base / PackageFileName).string(), {"3.69"}}}};
            const fs::path previous = fs::current_path();
            for (int e = 0; with380 && e < UpdateFileCount; ++e) {
                if (!isReadmeEntry(e)) {
                    writeFile(base380 / UpdateFileList[e].name, contents380(e));
                }
            }
            if (with380) {
                bases.bases.push_back({(base380 / PackageFileName).string(), versions380});
                fs::current_path(base380);
                EXPECT_TRUE(packUpdate({}, UpdaterVersionText));
            }
            fs::current_path(base);
            EXPECT_TRUE(packUpdate({}, UpdaterVersionText));
            fs::current_path(updateFolder);
            EXPECT_TRUE(packUpdate(bases, UpdaterVersionText));
            fs::current_path(previous);
            packed[{unchangedEntry, versions380}] = {readFile(updateFolder / PatchFileName),
                                                     readFile(updateFolder / DigestFileName)};
        }
        if (!keepFull) {
            fs::remove(updateFolder / PackageFileName);
        }
    }

    // A 3.80 release between the installed one and the new: some files already the
    // new release's, some its own, the rest still 3.69's.
    static std::string contents380(int entry) {
        switch (entry % 3) {
        case 0:
            return newContents(entry);
        case 1:
            return oldContents(entry) + "3.80\r\n";
        default:
            return oldContents(entry);
        }
    }
    // The game as the 3.80 release left it, and its record.
    void install380() const {
        for (int e = 0; e < UpdateFileCount; ++e) {
            if (!isReadmeEntry(e)) {
                fs::permissions(target(e), fs::perms::owner_write, fs::perm_options::add);
                writeFile(target(e), contents380(e));
            }
        }
        writeRecord("Version 3.80 (ENG)", game.c_str());
    }

    fs::path target(int entry, const fs::path& installation = {}) const {
        return (installation.empty() ? game : installation) / demo::relativeTarget(entry);
    }
    void writeOldInstallation(const fs::path& installation) const {
        std::string error;
        EXPECT_TRUE(demo::writeInstallation({.installation = installation}, error)) << error;
        fs::remove_all(installation / "qstart");
    }
    void writeRecord(const char* version, const char* location) const {
        fs::remove(root / "registry.reg");
        if (version != nullptr) {
            writeInstallValue("Tactico", "Version", version);
        }
        if (location != nullptr) {
            writeInstallValue("Tactico", "Location", location);
        }
    }
    // Entries in [from, to) hold their new contents, the others their old ones.
    void expectFiles(const fs::path& installation, int from, int to, int language = English) const {
        for (int e = 0; e < UpdateFileCount; ++e) {
            if (!fs::is_directory(target(e, installation))) {
                EXPECT_EQ(readFile(target(e, installation)),
                          from <= e && e < to ? newContents(e, language) : oldContents(e))
                    << "entry " << e;
            }
        }
    }
    // The installation is wholly the old version with the old record, or wholly
    // the new one with the new record; and nothing is left beside it.
    void expectOldOrNew() const {
        const bool updated = recordedVersion() == UpdaterVersionText;
        EXPECT_TRUE(updated || recordedVersion() == OldVersion) << recordedVersion();
        expectFiles(game, 0, updated ? UpdateFileCount : 0);
        EXPECT_EQ(strayFiles(), std::vector<fs::path>{});
    }
    // Files that are no target and no quick-start game: what an interrupted
    // replacement could leave behind.
    std::vector<fs::path> strayFiles() const {
        std::vector<fs::path> stray;
        for (const auto& item : fs::recursive_directory_iterator(game)) {
            if (item.is_regular_file() && item.path().parent_path().filename() != "qstart" &&
                std::ranges::none_of(std::views::iota(0, UpdateFileCount),
                                     [&](int e) { return item.path() == target(e); })) {
                stray.push_back(item.path());
            }
        }
        return stray;
    }
};

// While it lives, the installation record can be read but not written, as when
// its store is full or the program lacks the rights.
struct UnwritableRecord {
    UnwritableRecord() : ops(headless::ops()) {
        ops.writeRegistryString = [](const char*, const char*, const char*) { return false; };
        selectPlatform(&ops);
    }
    ~UnwritableRecord() { selectPlatform(&headless::ops()); }
    PlatformOps ops;
};

// The screen's pixels, row after row.
inline std::vector<Colour555> screenPixels() {
    std::vector<Colour555> pixels;
    for (std::int16_t y = 0; y < screenHeight(); ++y) {
        pixels.insert(pixels.end(), pixelRow(y), pixelRow(y) + screenWidth());
    }
    return pixels;
}

// Starts the program and leaves at once: what a start finds, it sets right.
inline bool startAgain(const SampleSetup& setup) {
    Script script;
    return script.waitState(LanguageScreen).key(win::kVkEscape).run(setup);
}

// Picks the language and starts the update.
inline Script toProgress(int language = English) {
    Script s;
    s.waitState(LanguageScreen).clickSlot(1 + language).waitState(VersionScreen).clickSlot(4);
    return s;
}
