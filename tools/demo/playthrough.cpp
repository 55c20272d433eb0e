#include "tools/demo/playthrough.h"

#include "app/bwio.h"
#include "platform/headless/headless.h"
#include "platform/messages.h"
#include "render/screen.h"
#include "tools/demo/script.h"
#include "tools/png/png_writer.h"
#include "wizard/update_wizard.h"

namespace demo {

namespace {

// Generous: the update itself takes 49 frames, every click two.
constexpr int FrameLimit = 5000;
// The progress screen is pictured when the bar is about half way.
constexpr int ProgressPictureStep = 24;
constexpr WParam LeftButtonFlag = 0x0001;

class Player {
  public:
    Player(int language, std::filesystem::path pngFolder)
        : language_(language), pngFolder_(std::move(pngFolder)) {}

    // True once the player has given up; the wizard's own end stops it otherwise.
    bool onFrame(UpdateWizard& w);
    PlayResult& result() { return result_; }

  private:
    void picture(const UpdateWizard& w, const std::string& name);
    // A press in one frame and the release in the next, as a hand would: both in
    // one frame would be lost between two polls.
    void pressAt(const Button* button);
    const Button* findButton(const UpdateWizard& w, std::int32_t action,
                             std::int32_t argument) const;
    void decide(UpdateWizard& w);
    void giveUp(const std::string& why);

    int language_;
    std::filesystem::path pngFolder_;
    PlayResult result_;
    int lastState_ = -1;
    bool releasePending_ = false;
    bool closing_ = false;
    bool progressPictured_ = false;
    int releaseX_ = 0, releaseY_ = 0;
};

void Player::picture(const UpdateWizard& w, const std::string& name) {
    VisitedScreen visited{w.state, name, {}};
    if (!pngFolder_.empty() && screen.buffer) {
        char number[8];
        std::snprintf(number, sizeof number, "%02zu", result_.screens.size() + 1);
        std::filesystem::path path = pngFolder_ / (std::string(number) + "_" + name + ".png");
        if (writePng(path.c_str(), screen.buffer, screen.pitch, screen.width, screen.height))
            visited.png = path;
        else
            result_.problems.push_back("cannot write " + path.string());
    }
    result_.screens.push_back(visited);
}

void Player::pressAt(const Button* button) {
    int x = button->x + button->width / 2;
    int y = button->y + button->height / 2;
    headless::post(win::kWmMouseMove, 0, win::makeLParam(x, y));
    headless::post(win::kWmLButtonDown, LeftButtonFlag, win::makeLParam(x, y));
    releasePending_ = true;
    releaseX_ = x;
    releaseY_ = y;
}

const Button* Player::findButton(const UpdateWizard& w, std::int32_t action,
                                 std::int32_t argument) const {
    for (const Button* button : w.buttons)
        if (button && button->action == action && button->argument == argument &&
            button->text[0] != '\0')
            return button;
    return nullptr;
}

void Player::giveUp(const std::string& why) {
    result_.problems.push_back(why);
    closing_ = true;
    headless::post(win::kWmClose);
}

void Player::decide(UpdateWizard& w) {
    switch (w.state) {
    case LanguageScreen:
        if (const Button* b = findButton(w, ChooseLanguage, language_))
            pressAt(b);
        else
            giveUp("the language screen has no button for language " + std::to_string(language_));
        break;
    case VersionScreen:
        if (const Button* b = findButton(w, GoToState, ProgressScreen))
            pressAt(b);
        else
            giveUp("the version screen has no Next button");
        break;
    case ProgressScreen:
        if (!progressPictured_ && w.progressCount > ProgressPictureStep) {
            progressPictured_ = true;
            picture(w, screenName(ProgressScreen));
        }
        break;
    case QuickStartScreen:
        if (const Button* b = findButton(w, DeleteQuickStart, 0)) {
            result_.answeredQuickStart = true;
            pressAt(b);
        } else {
            giveUp("the quick-start screen has no Yes button");
        }
        break;
    case CompletedScreen:
        result_.reachedCompletion = true;
        if (w.buttons[4])
            pressAt(w.buttons[4]);
        else
            giveUp("the completion screen has no Finish button");
        break;
    default:
        giveUp(std::string("the update stopped on the ") + screenName(w.state) + " screen");
        break;
    }
}

bool Player::onFrame(UpdateWizard& w) {
    ++result_.frames;
    if (closing_)
        return true;
    if (result_.frames > FrameLimit) {
        giveUp("the update did not end within " + std::to_string(FrameLimit) + " frames");
        return true;
    }
    if (releasePending_) {
        releasePending_ = false;
        headless::post(win::kWmLButtonUp, 0, win::makeLParam(releaseX_, releaseY_));
        return false;
    }
    if (w.builtState != w.state)
        return false;
    if (w.state != lastState_) {
        lastState_ = w.state;
        // The progress screen is pictured once its bar has grown.
        if (w.state != ProgressScreen)
            picture(w, screenName(w.state));
    }
    decide(w);
    return closing_;
}

} // namespace

const char* screenName(int state) {
    static const char* const names[] = {
        "language",     "not_installed", "version",      "progress",
        "completed",    "source_error",  "corrupt",      "quick_start",
        "folder_entry", "write_failure", "incompatible",
    };
    return state >= 0 && state <= 10 ? names[state] : "unknown";
}

PlayResult playUpdate(int language, const std::filesystem::path& pngFolder,
                      const char* commandLine) {
    if (!pngFolder.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(pngFolder, ec);
    }
    headless::install();
    Player player(language, pngFolder);
    Script script;
    script.then([&player](UpdateWizard& w) { return player.onFrame(w); });
    script.run(std::filesystem::current_path(), commandLine, 2 * FrameLimit);

    PlayResult result = std::move(player.result());
    result.shellOpens = headless::shellOpens();
    for (const headless::MessageBoxRecord& box : headless::messageBoxes())
        result.problems.push_back("message box \"" + box.title + "\": " + box.text);
    return result;
}

} // namespace demo
