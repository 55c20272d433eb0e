#include <cstdio>
#include <cstring>

#include "update/file_list.h"
#include "update/install_record.h"
#include "update/paths.h"
#include "wizard/texts.h"
#include "wizard/wizard_steps.h"

namespace {

constexpr const char* RecordKey = "Tactico";

void showAsNewName(char* version) {
    // The old version is labelled by the name the new one replaces it under.
    if (char* found = std::strstr(version, "3.69")) {
        std::memcpy(found, "3.70", 4);
    }
}

bool gameExecutablePresent(const char* installPath) {
    char path[PathAreaBytes];
    if (!joinPath(path, sizeof path, installPath, "tactico.exe")) {
        return false;
    }
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return false;
    }
    std::fclose(file);
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

    bool found = false;
    if (readInstallValue(RecordKey, "Version", wizard.installedVersion,
                         sizeof wizard.installedVersion)) {
        showAsNewName(wizard.installedVersion);
        found = readInstallValue(RecordKey, "Location", wizard.installPath,
                                 sizeof wizard.installPath) &&
                installPathFits(wizard.installPath) && gameExecutablePresent(wizard.installPath);
    }
    wizard.state = found ? VersionScreen : NotInstalledScreen;
    wizard.buildScreen();
}
