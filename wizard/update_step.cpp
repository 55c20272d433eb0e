#include <cstdio>

#include "render/draw.h"
#include "update/file_list.h"
#include "update/file_ops.h"
#include "update/install_record.h"
#include "update/package.h"
#include "update/paths.h"
#include "wizard/texts.h"
#include "wizard/wizard_steps.h"

namespace {

constexpr Colour555 BarColour = 0x001F;
constexpr int LastStep = UpdateFileCount + 1;

bool canOpen(const char* path) {
    std::FILE* file = std::fopen(path, "r");
    if (file == nullptr) {
        return false;
    }
    std::fclose(file);
    return true;
}

bool sourcesPresent(std::int32_t language) {
    for (int e = 0; e < UpdateFileCount; ++e) {
        if (!canOpen(isReadmeEntry(e) ? LanguageReadmeFiles[language] : PackageFileName)) {
            return false;
        }
    }
    return true;
}

// The resulting state: unchanged on success.
std::int16_t replaceEntry(const UpdateWizard& wizard, int e) {
    const UpdateFileEntry& entry = UpdateFileList[e];
    char target[PathAreaBytes];
    if (!formTargetPath(target, sizeof target, wizard.installPath, entry.subfolder, entry.name)) {
        return WriteFailureScreen;
    }
    // The old file stays in place until its replacement is complete, so a failure
    // or a kill here never leaves the installation without it.
    if (isReadmeEntry(e)) {
        const char* source = LanguageReadmeFiles[wizard.language];
        makeWritable(source);
        return moveFileReplacing(source, target) ? ProgressScreen : WriteFailureScreen;
    }
    makeWritable(target);
    bool packageBad = false;
    if (extractEntry(e, target, packageBad)) {
        return ProgressScreen;
    }
    if (packageBad) {
        return SourceErrorScreen;
    }
    return equalsIgnoreCase(entry.name, "pics.cfg") ? ProgressScreen : WriteFailureScreen;
}

} // namespace

void runUpdateStep(UpdateWizard& w) {
    const int n = w.progressCount;
    if (n >= LastStep) {
        writeInstallValue("Tactico", "Version", UpdaterVersionText);
        w.state = stateAfterUpdate(w);
        w.buildScreen();
        return;
    }

    std::int16_t next = ProgressScreen;
    if (n == 0) {
        next = sourcesPresent(w.language) ? ProgressScreen : SourceErrorScreen;
    } else {
        next = replaceEntry(w, n - 1);
    }
    if (next != ProgressScreen) {
        w.state = next;
        w.buildScreen();
        return;
    }

    const int barRight = w.boxX + 10 + n * (w.boxWidth - 20) / UpdateFileCount;
    drawRect(static_cast<std::int16_t>(w.boxX + 10), static_cast<std::int16_t>(w.boxY + 10),
             static_cast<std::int16_t>(barRight), static_cast<std::int16_t>(w.boxY + 30),
             RectSolidFill, BarColour, KeepExisting);
    w.progressCount = static_cast<std::int16_t>(n + 1);
}
