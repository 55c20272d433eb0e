#include <cstring>
#include <string>

#include "platform/file_io.h"
#include "platform/paths.h"
#include "platform/run_log.h"
#include "update/install_record.h"
#include "wizard/language_codes.h"
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
        runLog("The installation folder %s cannot be used: %s", installPath, why.c_str());
        return false;
    }
    const File file = openFileIn(game, "tactico.exe");
    if (!file.isOpen()) {
        runLog("Cannot open %s: %s", joinPath(installPath, "tactico.exe").c_str(),
               file.error().text().c_str());
        return false;
    }
    return true;
}

// An administrator's /dir (folder) stands in for the record's "Location".
bool readLocation(const std::string& folder, std::string& installPath) {
    if (folder.empty()) {
        if (!readInstallValue(RecordKey, "Location", installPath)) {
            runLog("The installation record %s has no \"Location\"", RecordName);
            return false;
        }
        runLog("Installation record: \"Location\" = \"%s\"", installPath.c_str());
        return true;
    }
    installPath = folder;
    runLog("Installation folder: \"%s\" (from the command line)", installPath.c_str());
    return true;
}

} // namespace

void chooseLanguage(UpdateWizard& wizard, std::int32_t language) {
    wizard.language = language;
    wizard.setWindowTitle(WindowTitles[language]);
    runLog("Language: %s", languageCode(language));

    bool found = false;
    if (readInstallValue(RecordKey, "Version", wizard.installedVersion,
                         sizeof wizard.installedVersion)) {
        runLog("Installation record: \"Version\" = \"%s\"", wizard.installedVersion);
        showAsNewName(wizard.installedVersion);
        found = readLocation(wizard.givenInstallFolder, wizard.installPath) &&
                gameExecutablePresent(wizard.installPath.c_str());
    } else {
        runLog("No installation record: %s has no \"Version\"", RecordName);
    }
    wizard.state = found ? VersionScreen : NotInstalledScreen;
    wizard.buildScreen();
}
