#include "render/draw.h"
#include "update/update_session.h"
#include "wizard/texts.h"
#include "wizard/wizard_steps.h"

namespace {

constexpr Colour555 BarColour = 0x001F;

void drawBar(const UpdateWizard& w, int steps) {
    const int barRight = w.boxX + 10 + steps * (w.boxWidth - 20) / UpdateFileCount;
    drawRect(static_cast<std::int16_t>(w.boxX + 10), static_cast<std::int16_t>(w.boxY + 10),
             static_cast<std::int16_t>(barRight), static_cast<std::int16_t>(w.boxY + 30),
             RectSolidFill, BarColour, KeepExisting);
}

} // namespace

void runUpdateStep(UpdateWizard& w) {
    if (w.checksPassed) {
        return;
    }
    // Going back and choosing another folder or language makes it another update.
    UpdatePlan plan{w.installPath, LanguageReadmeFiles[w.language], UpdaterVersionText,
                    w.checkOnly};
    if (w.session == nullptr || w.session->plan() != plan || w.session->committed()) {
        delete w.session;
        w.session = new UpdateSession(std::move(plan));
    }
    UpdateSession& session = *w.session;
    const UpdateStep step = session.next();
    switch (step.kind) {
    case UpdateStepKind::Checked:
    case UpdateStepKind::Staged:
        drawBar(w, step.kind == UpdateStepKind::Checked ? 0 : step.entry + 1);
        w.progressCount = static_cast<std::int16_t>(session.stepsDone());
        w.checksPassed = w.checkOnly;
        return;
    case UpdateStepKind::Committed:
        w.state = stateAfterUpdate(w);
        break;
    case UpdateStepKind::SourceFailed:
        w.state = SourceErrorScreen;
        break;
    case UpdateStepKind::WriteFailed:
        w.state = WriteFailureScreen;
        break;
    case UpdateStepKind::Incompatible:
        w.state = IncompatibleScreen;
        break;
    case UpdateStepKind::InstallCorrupt:
        w.state = CorruptInstallScreen;
        break;
    }
    w.progressCount = static_cast<std::int16_t>(session.stepsDone());
    w.buildScreen();
}
