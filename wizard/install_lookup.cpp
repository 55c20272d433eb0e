#include <cstdio>
#include <cstring>
#include <string>

#include "app/language_codes.h"
#include "app/run_context.h"
#include "platform/file_io.h"
#include "update/file_list.h"
#include "update/install_record.h"
#include "update/paths.h"
#include "update/run_log.h"
#include "wizard/texts.h"
#include "wizard/wizard_steps.h"

namespace {

constexpr const char* RecordKey = "Tactico";
constexpr const char* RecordName = "HKEY_LOCAL_MACHINE\\Software\\Brackwater Ltd\\Tactico";

void showAsNewName(char* version) {
    // The old version is labelled by the name the new one replaces it under.
    if (char* found = std::strstr(version, "3.69")) {
        std::memcpy(found, "3.70", 4);
    }
}

// A folder another account could have redirected is no installation: the path
// is walked from the root, and the game itself is only a regular file (a FIFO
// planted there does not hold the program).
bool gameExecutablePresent(const char* installPath) {
    std::string why;
    const Folder game = openInstallFolder(installPath, why);
    if (!game.isOpen()) {
        runLog("The installation folder %s cannot be used: %s",
               utf8FromSystemText(installPath).c_str(), why.c_str());
        return false;
    }
    std::FILE* file = openFileIn(game, "tactico.exe", -1);
    if (file == nullptr) {
        runLog("Cannot open %s%ctactico.exe: %s", utf8FromSystemText(installPath).c_str(),
               PathSeparator, systemErrorText().c_str());
        return false;
    }
    std::fclose(file);
    return true;
}

// An administrator's /dir stands in for the record's "Location".
bool readLocation(char* installPath, std::size_t size) {
    const std::string& folder = run_context::options.installFolder;
    if (folder.empty()) {
        if (!readInstallValue(RecordKey, "Location", installPath,
                              static_cast<std::uint32_t>(size))) {
            runLog("The installation record %s has no \"Location\"", RecordName);
            return false;
        }
        runLog("Installation record: \"Location\" = \"%s\"",
               utf8FromSystemText(installPath).c_str());
        return true;
    }
    if (folder.size() >= size) {
        return false;
    }
    std::memcpy(installPath, folder.c_str(), folder.size() + 1);
    runLog("Installation folder: \"%s\" (from the command line)",
           utf8FromSystemText(installPath).c_str());
    return true;
}

} // namespace

bool installPathFits(const char* installPath) {
    char path[PathAreaBytes];
    for (const UpdateFileEntry& entry : UpdateFileList) {
        if (!formTargetPath(path, sizeof path, installPath, entry.subfolder, entry.name)) {
            return false;
        }
    }
    return joinPath(path, sizeof path, installPath, "tactico.exe") &&
           joinPath(path, sizeof path, installPath, "readme.txt");
}

void chooseLanguage(UpdateWizard& wizard, std::int32_t language) {
    wizard.language = language;
    wizard.setWindowTitle(WindowTitles[language]);
    runLog("Language: %s", languageCode(language));

    bool found = false;
    if (readInstallValue(RecordKey, "Version", wizard.installedVersion,
                         sizeof wizard.installedVersion)) {
        runLog("Installation record: \"Version\" = \"%s\"",
               utf8FromSystemText(wizard.installedVersion).c_str());
        showAsNewName(wizard.installedVersion);
        found = readLocation(wizard.installPath, sizeof wizard.installPath);
        if (found && !installPathFits(wizard.installPath)) {
            runLog("The installation folder's name is too long for the update's paths");
            found = false;
        }
        found = found && gameExecutablePresent(wizard.installPath);
    } else {
        runLog("No installation record: %s has no \"Version\"", RecordName);
    }
    wizard.state = found ? VersionScreen : NotInstalledScreen;
    wizard.buildScreen();
}
