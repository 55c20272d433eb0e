// Runs the whole program on the headless desktop against a sample installation
// in a temporary folder, driven frame by frame as a user would drive it.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "tests/files.h"
#include "update/digest.h"
#include "update/file_list.h"
#include "update/install_record.h"
#include "update/package.h"
#include "wizard/texts.h"
#include "wizard/update_wizard.h"

namespace fs = std::filesystem;

inline std::string recordedVersion() {
    char value[PathAreaBytes] = {};
    return readInstallValue("Tactico", "Version", value, sizeof value) ? value : "<none>";
}

inline std::string readmeContents(int language) {
    return "readme " + std::string(LanguageReadmeFiles[language]) + "\n";
}
// Names and sizes differ per entry, so a swapped, shifted or cut file shows.
inline std::string oldContents(int entry) {
    return UpdateFileList[entry].name + std::string(2000 + entry, 'o');
}
inline std::string newContents(int entry, int language = English) {
    return isReadmeEntry(entry) ? readmeContents(language)
                                : UpdateFileList[entry].name + std::string(3000 + 31 * entry, 'n');
}

// The update folder (current folder of a run) with fonts, package and readmes,
// an old installation, and an installation record pointing at it.
struct SampleSetup {
    fs::path root, updateFolder, game;

    explicit SampleSetup(const std::string& name) {
        static int serial = 0;
        root = fs::temp_directory_path() /
               ("wz-" + name + std::to_string(++serial) + "-" + std::to_string(getpid()));
        updateFolder = root / "update";
        game = root / "game";
        fs::remove_all(root);
        fs::create_directories(updateFolder);
        for (const auto& font : fs::directory_iterator(TACTICO_FONT_DIR)) {
            if (font.path().extension() == ".fnt") {
                fs::copy_file(font.path(), updateFolder / font.path().filename());
            }
        }
        for (int l = 0; l < LanguageCount; ++l) {
            writeFile(updateFolder / LanguageReadmeFiles[l], readmeContents(l));
        }
        std::string package(PackageTableBytes, '\0');
        for (int e = 0; e < UpdateFileCount; ++e) {
            const std::string body = isReadmeEntry(e) ? "" : newContents(e);
            for (int b = 0; b < 4; ++b) {
                package[4 * e + b] = static_cast<char>(body.size() >> (8 * b));
            }
            package += body;
        }
        writeFile(updateFolder / PackageFileName, package);
        writeOldInstallation(game);
        setenv("TACTICO_REGISTRY", (root / "registry.reg").c_str(), 1);
        headless::install();
        writeRecord("Version 3.60", game.c_str());
    }
    SampleSetup(const SampleSetup&) = delete;
    ~SampleSetup() {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    fs::path target(int entry, const fs::path& installation = {}) const {
        std::string subfolder = UpdateFileList[entry].subfolder;
        std::replace(subfolder.begin(), subfolder.end(), '\\', '/');
        return (installation.empty() ? game : installation) / subfolder.substr(1) /
               UpdateFileList[entry].name;
    }
    void writeOldInstallation(const fs::path& installation) const {
        for (int e = 0; e < UpdateFileCount; ++e) {
            writeFile(target(e, installation), oldContents(e));
        }
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
    // The package's SHA-256 line beside it, or a wrong one.
    void writeDigestFile(bool matching) const {
        std::optional<Sha256Digest> digest = digestOfFile((updateFolder / PackageFileName).c_str());
        ASSERT_TRUE(digest.has_value());
        if (!matching) {
            (*digest)[7] ^= 1;
        }
        writeFile(updateFolder / DigestFileName, digestLine(PackageFileName, *digest));
    }
    // The installation is wholly the old version with the old record, or wholly
    // the new one with the new record; and nothing is left beside it.
    void expectOldOrNew(const char* oldVersion = "Version 3.60") const {
        const bool updated = recordedVersion() == UpdaterVersionText;
        if (!updated) {
            EXPECT_EQ(recordedVersion(), oldVersion);
        }
        expectFiles(game, 0, updated ? UpdateFileCount : 0);
        EXPECT_EQ(strayFiles(), std::vector<fs::path>{});
    }
    // Files that are no target and no quick-start game: what an interrupted
    // replacement could leave behind.
    std::vector<fs::path> strayFiles() const {
        std::vector<fs::path> stray;
        for (const auto& item : fs::recursive_directory_iterator(game)) {
            bool expected =
                !item.is_regular_file() || item.path().parent_path().filename() == "qstart";
            for (int e = 0; e < UpdateFileCount && !expected; ++e) {
                expected = item.path() == target(e);
            }
            if (!expected) {
                stray.push_back(item.path());
            }
        }
        return stray;
    }
};

// A step is called once per frame, after the frame's messages, until it returns
// true; messages it posts reach the next frame step.
class Script {
  public:
    Script& then(std::function<bool(UpdateWizard&)> step) {
        steps_.push_back(std::move(step));
        return *this;
    }
    Script& waitState(std::int16_t state) {
        return then([state](UpdateWizard& w) { return w.state == state && w.builtState == state; });
    }
    Script& clickSlot(int slot) {
        return then([slot](UpdateWizard& w) {
            const Button& b = *w.buttons[slot];
            return headless::click(b.x + b.width / 2, b.y + b.height / 2), true;
        });
    }
    Script& post(std::uint32_t message, WParam wParam) {
        return then([=](UpdateWizard&) { return headless::post(message, wParam), true; });
    }
    Script& key(std::uint32_t virtualKey, std::size_t times = 1) {
        return times == 0 ? *this : post(win::kWmKeyDown, virtualKey).key(virtualKey, times - 1);
    }
    // One character per frame, without the key presses.
    Script& type(const std::string& characters) {
        for (unsigned char c : characters) {
            post(win::kWmChar, c);
        }
        return *this;
    }
    // Moves to a point of a slot's button, in halves of its size from its top left
    // corner, and posts the messages there in the same frame.
    Script& mouse(int slot, int halfX, int halfY, std::vector<std::uint32_t> messages) {
        return then([=](UpdateWizard& w) {
            const Button& b = *w.buttons[slot];
            const LParam at =
                win::makeLParam(b.x + b.width * halfX / 2, b.y + b.height * halfY / 2);
            headless::post(win::kWmMouseMove, 0, at);
            for (std::uint32_t m : messages) {
                headless::post(m, m == win::kWmLButtonDown, m == win::kWmPaint ? 0 : at);
            }
            return true;
        });
    }
    // Back from the write-failure screen, then Next and Next: the commit again.
    Script& retry() {
        return clickSlot(3)
            .waitState(FolderEntryScreen)
            .clickSlot(3)
            .waitState(VersionScreen)
            .clickSlot(4);
    }
    Script& frames(int count) {
        return then([count](UpdateWizard&) mutable { return --count < 0; });
    }
    Script& check(std::function<void(UpdateWizard&)> body) {
        return then([body = std::move(body)](UpdateWizard& w) { return body(w), true; });
    }
    // False, with a test failure, when the program ended or stalled before the
    // script did.
    bool run(const SampleSetup& setup) {
        const fs::path previous = fs::current_path();
        fs::current_path(setup.updateFolder);
        int frame = 0;
        headless::setPumpHook([&] {
            auto* w = dynamic_cast<UpdateWizard*>(shell::application);
            if (w != nullptr && !steps_.empty() && steps_.front()(*w)) {
                steps_.pop_front();
            }
            if (++frame == 3000) {
                headless::post(win::kWmClose);
            }
        });
        runApplication(headless::ops().instance(), "");
        headless::setPumpHook(nullptr);
        fs::current_path(previous);
        if (!steps_.empty()) {
            ADD_FAILURE() << "the program ended or stalled with " << steps_.size() << " steps left";
        }
        return steps_.empty();
    }

  private:
    std::deque<std::function<bool(UpdateWizard&)>> steps_;
};

// While it lives, the installation record can be read but not written, as when
// its store is full or the program lacks the rights.
class UnwritableRecord {
  public:
    UnwritableRecord() : ops_(headless::ops()) {
        ops_.writeRegistryString = [](const char*, const char*, const char*) { return false; };
        selectPlatform(&ops_);
    }
    ~UnwritableRecord() { selectPlatform(&headless::ops()); }

  private:
    PlatformOps ops_;
};

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
