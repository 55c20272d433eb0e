#include "wizard_harness.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/bwio.h"
#include "platform/headless/headless.h"
#include "platform/messages.h"
#include "update/file_list.h"
#include "update/install_record.h"
#include "update/package.h"
#include "wizard/texts.h"

namespace {

std::string repeatTo(const std::string& unit, std::size_t size) {
    std::string text;
    while (text.size() < size) {
        text += unit;
    }
    return text.substr(0, size);
}

} // namespace

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const fs::path& path, const std::string& contents) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << contents;
}

std::string recordValue(const char* name) {
    char value[PathAreaBytes] = {};
    return readInstallValue("Tactico", name, value, sizeof value) ? value : "<none>";
}

std::string SampleSetup::oldContents(int entry) {
    return repeatTo("old " + std::string(UpdateFileList[entry].name) + ";", 2000 + entry);
}
std::string SampleSetup::newContents(int entry) {
    if (entry == ReadmeEntry) {
        return readmeContents(English);
    }
    return repeatTo("new " + std::string(UpdateFileList[entry].name) + "!", 3000 + 31 * entry);
}
std::string SampleSetup::readmeContents(int language) {
    return "readme " + std::string(LanguageReadmeFiles[language]) + "\n";
}

fs::path SampleSetup::target(int entry, const fs::path& installation) const {
    std::string subfolder = UpdateFileList[entry].subfolder;
    std::replace(subfolder.begin(), subfolder.end(), '\\', '/');
    return installation / subfolder.substr(1) / UpdateFileList[entry].name;
}

void SampleSetup::writeOldInstallation(const fs::path& installation) const {
    for (int e = 0; e < UpdateFileCount; ++e) {
        writeFile(target(e, installation), oldContents(e));
    }
}

void SampleSetup::writeRecord(const char* version, const char* location) const {
    fs::remove(root / "registry.reg");
    if (version != nullptr) {
        writeInstallValue("Tactico", "Version", version);
    }
    if (location != nullptr) {
        writeInstallValue("Tactico", "Location", location);
    }
}

SampleSetup SampleSetup::create(const std::string& name) {
    static int serial = 0;
    SampleSetup s;
    s.root = fs::temp_directory_path() /
             ("wz-" + name + std::to_string(++serial) + "-" + std::to_string(getpid()));
    s.updateFolder = s.root / "update";
    s.game = s.root / "game";
    fs::remove_all(s.root);
    fs::create_directories(s.updateFolder);
    for (const auto& font : fs::directory_iterator(TACTICO_FONT_DIR)) {
        if (font.path().extension() == ".fnt") {
            fs::copy_file(font.path(), s.updateFolder / font.path().filename());
        }
    }
    for (int l = 0; l < LanguageCount; ++l) {
        writeFile(s.updateFolder / LanguageReadmeFiles[l], readmeContents(l));
    }
    std::string table(PackageTableBytes, '\0');
    std::string bodies;
    for (int e = 0; e < UpdateFileCount; ++e) {
        if (!isReadmeEntry(e)) {
            const std::string body = newContents(e);
            for (int b = 0; b < 4; ++b) {
                table[4 * e + b] = static_cast<char>((body.size() >> (8 * b)) & 0xFF);
            }
            bodies += body;
        }
    }
    writeFile(s.updateFolder / PackageFileName, table + bodies);
    s.writeOldInstallation(s.game);
    setenv("TACTICO_REGISTRY", (s.root / "registry.reg").c_str(), 1);
    headless::install();
    s.writeRecord("Version 3.60", s.game.c_str());
    return s;
}

std::vector<fs::path> strayFiles(const SampleSetup& setup) {
    std::vector<fs::path> stray;
    for (const auto& item : fs::recursive_directory_iterator(setup.game)) {
        bool expected = !item.is_regular_file() || item.path().parent_path().filename() == "qstart";
        for (int e = 0; e < UpdateFileCount && !expected; ++e) {
            expected = item.path() == setup.target(e);
        }
        if (!expected) {
            stray.push_back(item.path());
        }
    }
    return stray;
}

Script& Script::then(ScriptStep step) {
    steps_.push_back(std::move(step));
    return *this;
}

Script& Script::waitState(std::int16_t state) {
    return then([state](UpdateWizard& w) { return w.state == state && w.builtState == state; });
}

Script& Script::clickSlot(int slot) {
    auto at = std::make_shared<LParam>();
    then([slot, at](UpdateWizard& w) {
        const Button* b = w.buttons[slot];
        if (b != nullptr) {
            *at = win::makeLParam(b->x + b->width / 2, b->y + b->height / 2);
            headless::post(win::kWmMouseMove, 0, *at);
            headless::post(win::kWmLButtonDown, 1, *at);
        }
        return b != nullptr;
    });
    return then([at](UpdateWizard&) {
        headless::post(win::kWmLButtonUp, 0, *at);
        return true;
    });
}

Script& Script::key(std::uint32_t virtualKey) {
    return then([virtualKey](UpdateWizard&) {
        headless::post(win::kWmKeyDown, virtualKey);
        return true;
    });
}

Script& Script::typeChar(std::uint8_t character) {
    return then([character](UpdateWizard&) {
        headless::post(win::kWmChar, character);
        return true;
    });
}

Script& Script::frames(int count) {
    auto left = std::make_shared<int>(count);
    return then([left](UpdateWizard&) { return --*left < 0; });
}

Script& Script::check(std::function<void(UpdateWizard&)> body) {
    return then([body = std::move(body)](UpdateWizard& w) {
        body(w);
        return true;
    });
}

bool Script::run(const SampleSetup& setup, int frameBudget) {
    const fs::path previous = fs::current_path();
    fs::current_path(setup.updateFolder);
    int frame = 0;
    headless::setPumpHook([&] {
        auto* w = dynamic_cast<UpdateWizard*>(shell::application);
        if (w != nullptr && !steps_.empty() && steps_.front()(*w)) {
            steps_.pop_front();
        }
        if (++frame == frameBudget) {
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

Script updateScript(int language) {
    Script s;
    s.waitState(LanguageScreen).clickSlot(1 + language).waitState(VersionScreen).clickSlot(4);
    s.waitState(CompletedScreen).clickSlot(4);
    return s;
}
