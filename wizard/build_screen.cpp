#include <algorithm>
#include <initializer_list>
#include <string>

#include "platform/windows1252.h"
#include "render/draw.h"
#include "render/font.h"
#include "render/screen.h"
#include "wizard/keyboard_focus.h"
#include "wizard/layout.h"
#include "wizard/slots.h"
#include "wizard/texts.h"
#include "wizard/update_wizard.h"

namespace {

constexpr Colour555 HeaderColour = 0xFFE0;
constexpr Colour555 ValueColour = 0x001F;
constexpr Colour555 TextColour = 0;

struct PanelButton {
    const char* const* labels;
    std::int32_t action;
    std::int32_t argument;
};

struct PanelLine {
    const char* text;
    std::int16_t x;
    std::int16_t y;
    Colour555 colour;
};

class ScreenBuilder {
  public:
    explicit ScreenBuilder(UpdateWizard& wizard) : w_(wizard), l_(currentLayout()) {}

    void background() {
        for (int y = 0; y < l_.height; ++y) {
            const auto blue = static_cast<Colour555>(31 - (23 * y) / l_.height);
            drawLine(0, static_cast<std::int16_t>(y), l_.width, static_cast<std::int16_t>(y),
                     LineSolid, blue);
        }
    }

    void header() {
        text(10, 0, 5, WindowTitles[w_.language]);
        text(10, static_cast<std::int16_t>(fontHeight(5)), 2, UpdaterVersionText);
    }

    void cornerExit() {
        place(0, w_.makeButton(static_cast<std::int16_t>(l_.width - 100),
                               static_cast<std::int16_t>(l_.height - 40), 80, 20,
                               ExitLabels[w_.language], Quit, 0, TextColour));
    }

    // Returns true when the only enabled language has been given an auto-click,
    // in which case nothing is drawn over the background.
    bool languageButtons() {
        int count = 0;
        int widest = 0;
        for (int i = 0; i < LanguageCount; ++i) {
            if (LanguageEnabled[i]) {
                ++count;
                const int width = stringWidth(2, LanguageButtonLabels[i]);
                if (width > widest) {
                    widest = width;
                }
            }
        }
        const int rowHeight = fontHeight(2);
        const auto buttonWidth = static_cast<std::int16_t>(widest + 20);
        const auto left = static_cast<std::int16_t>((l_.width - buttonWidth) / 2);
        const int top =
            (l_.height - count * rowHeight - l_.headerHeight) / 2 + l_.headerHeight - 15;
        Button* only = nullptr;
        int row = 0;
        for (int i = 0; i < LanguageCount && row + 1 < ButtonSlotCount; ++i) {
            if (!LanguageEnabled[i]) {
                continue;
            }
            only = place(row + 1,
                         w_.makeButton(left, static_cast<std::int16_t>(top + row * rowHeight),
                                       buttonWidth, static_cast<std::int16_t>(rowHeight - 2),
                                       LanguageButtonLabels[i], ChooseLanguage, i, TextColour));
            ++row;
        }
        if (count == 1 && only != nullptr) {
            only->autoClick = 1;
            return true;
        }
        return false;
    }

    void panels() {
        place(1, w_.makeButton(l_.panelX, l_.panelY, l_.panelWidth,
                               static_cast<std::int16_t>(l_.panelHeight + 10), "", Inactive, 0,
                               TextColour));
        sunken(2, static_cast<std::int16_t>(l_.panelX + 10),
               static_cast<std::int16_t>(l_.panelY + 10),
               static_cast<std::int16_t>(l_.panelWidth - 20),
               static_cast<std::int16_t>(l_.panelHeight - 40), "", Inactive);
    }

    void panelButtons(int leftSlot, PanelButton left, int rightSlot, PanelButton right) {
        panelButton(leftSlot, l_.leftButtonX, left);
        panelButton(rightSlot, l_.rightButtonX, right);
    }

    void lines(std::initializer_list<PanelLine> texts) {
        int slot = 5;
        for (const PanelLine& line : texts) {
            place(slot++, w_.makeButton(line.x, line.y, l_.panelWidth, 0, line.text, Label, 0,
                                        line.colour));
        }
    }

    // Wrapped texts from slot 5; an empty second text still leaves its blank line.
    void wrapped(std::int16_t x, std::int16_t y, std::int16_t width, const char* first,
                 const char* second = nullptr) {
        std::int16_t slot = 5;
        w_.wrapTextIntoLabels(slot, x, y, width, first);
        if (second != nullptr) {
            y = static_cast<std::int16_t>(y + LineSpacing);
            w_.wrapTextIntoLabels(slot, x, y, width, second);
        }
    }

    void progress() {
        w_.boxX = l_.panelX;
        w_.boxY = static_cast<std::int16_t>((l_.height - l_.headerHeight) / 2);
        w_.boxWidth = l_.panelWidth;
        place(1, w_.makeButton(w_.boxX, w_.boxY, w_.boxWidth, 40, "", Inactive, 0, TextColour));
        sunken(2, static_cast<std::int16_t>(w_.boxX + 10), static_cast<std::int16_t>(w_.boxY + 10),
               static_cast<std::int16_t>(w_.boxWidth - 20), 20, "", Inactive);
        text(l_.panelX, static_cast<std::int16_t>(w_.boxY - 40), 2, UpdatingLabels[w_.language]);
    }

    void folderEntry() {
        w_.boxX = static_cast<std::int16_t>(l_.panelX + 10);
        w_.boxY = static_cast<std::int16_t>((l_.height - l_.headerHeight) / 2 + 40);
        w_.boxWidth = static_cast<std::int16_t>(l_.panelWidth - 20);
        // The bar marks the typing position, so it stays even if the path must be cut.
        std::string field = windows1252FromUtf8(w_.installPath);
        field.resize(std::min(field.size(), sizeof(Button::text) - 2));
        field += '|';
        place(1, w_.makeButton(l_.panelX, l_.panelY, l_.panelWidth,
                               static_cast<std::int16_t>(l_.panelHeight + 10), "", Inactive, 0,
                               TextColour));
        sunken(2, w_.boxX, w_.boxY, w_.boxWidth, 25, field.c_str(), TextField);
        panelButton(3, l_.rightButtonX, {NextLabels, GoToState, VersionScreen});
        wrapped(w_.boxX, static_cast<std::int16_t>(l_.panelY + 10), w_.boxWidth,
                PathEntryPrompts[w_.language], ContinuePrompts[w_.language]);
    }

    const WizardLayout& layout() const { return l_; }

  private:
    Button* place(int slot, Button* button) { return placeButton(w_, slot, button); }

    void text(std::int16_t x, std::int16_t y, int font, const char* what) {
        drawString(x, y, font, HeaderColour, what);
        noteDrawnText(x, y, font, what);
    }

    void sunken(int slot, std::int16_t x, std::int16_t y, std::int16_t width, std::int16_t height,
                const char* text, std::int32_t action) {
        if (Button* button =
                place(slot, w_.makeButton(x, y, width, height, text, action, 0, TextColour))) {
            button->pressed = 1;
        }
    }

    void panelButton(int slot, std::int16_t x, PanelButton def) {
        place(slot, w_.makeButton(x, l_.buttonRowY, 80, 20, def.labels[w_.language], def.action,
                                  def.argument, TextColour));
    }

    UpdateWizard& w_;
    WizardLayout l_;
};

void buildPanelScreen(UpdateWizard& w, ScreenBuilder& b) {
    const WizardLayout& l = b.layout();
    const int lang = w.language;
    const auto line1 = static_cast<std::int16_t>(l.panelY + 15);
    const auto line2 = static_cast<std::int16_t>(l.panelY + 32);
    const auto valueX = static_cast<std::int16_t>(l.panelX + 30);
    const PanelButton greyBack{BackLabels, Inactive, 0};
    const PanelButton exit{ExitLabels, Quit, 0};

    b.panels();
    switch (w.state) {
    case NotInstalledScreen:
        b.panelButtons(3, greyBack, 4, exit);
        b.lines({{InstallNotFoundMessages[lang], l.textX, line1, TextColour},
                 {ReinstallAdvice[lang], l.textX, line2, TextColour}});
        break;
    case VersionScreen: {
        b.panelButtons(3, {BackLabels, GoToState, LanguageScreen}, 4,
                       {NextLabels, GoToState, ProgressScreen});
        const std::string installed = windows1252FromUtf8(w.installedVersion);
        b.lines(
            {{CurrentVersionLabels[lang], l.textX, line1, TextColour},
             {installed.c_str(), valueX, line2, ValueColour},
             {NewVersionLabels[lang], l.textX, static_cast<std::int16_t>(l.panelY + 66),
              TextColour},
             {UpdaterVersionText, valueX, static_cast<std::int16_t>(l.panelY + 83), ValueColour},
             {UpdatePrompts[lang], l.textX, static_cast<std::int16_t>(l.panelY + 117),
              TextColour}});
        break;
    }
    case CompletedScreen:
        b.panelButtons(3, greyBack, 4, {FinishLabels, Quit, 0});
        b.lines({{UpdateCompletedLabels[lang], l.textX, line1, TextColour}});
        break;
    case SourceErrorScreen:
        b.panelButtons(3, greyBack, 4, exit);
        b.lines({{SourceFileMissingMessages[lang], l.textX, line1, TextColour},
                 {UpdateFileCorruptMessages[lang], l.textX, line2, TextColour}});
        break;
    case CorruptInstallScreen:
        b.panelButtons(3, greyBack, 4, exit);
        b.lines({{InstallCorruptMessages[lang], l.textX, line1, TextColour},
                 {ReinstallAdvice[lang], l.textX, line2, TextColour}});
        break;
    case QuickStartScreen:
        // Yes sits on the left yet in slot 4, so that Enter answers Yes.
        b.panelButtons(4, {YesLabels, DeleteQuickStart, 0}, 3, {NoLabels, KeepQuickStart, 0});
        b.wrapped(l.textX, line1, l.wrapWidth, QuickStartOutOfDateMessages[lang],
                  DeleteQuickStartQuestions[lang]);
        break;
    case WriteFailureScreen:
        b.panelButtons(3, {BackLabels, GoToState, FolderEntryScreen}, 4, exit);
        b.wrapped(l.textX, line1, l.wrapWidth, WriteFailureMessages[lang]);
        break;
    case IncompatibleScreen:
        b.panelButtons(3, greyBack, 4, exit);
        b.wrapped(l.textX, line1, l.wrapWidth, IncompatibleUpdateMessages[lang]);
        break;
    default:
        break;
    }
}

} // namespace

void UpdateWizard::buildScreen() {
    if (!isScreenReady()) {
        return;
    }
    ScreenBuilder builder(*this);
    forgetDrawnTexts();
    builder.background();
    builder.header();

    const bool stateChanged = state != builtState;
    if (stateChanged) {
        releaseButtons(*this);
        builder.cornerExit();
    }

    bool drawButtons = true;
    switch (state) {
    case LanguageScreen:
        // Rebuilding would drop a press the user has begun on a language button.
        if (stateChanged) {
            drawButtons = !builder.languageButtons();
        }
        break;
    case ProgressScreen:
        builder.progress();
        break;
    case FolderEntryScreen:
        builder.folderEntry();
        break;
    default:
        buildPanelScreen(*this, builder);
        break;
    }

    if (stateChanged) {
        focusNewScreen(*this);
    }
    if (drawButtons) {
        for (const Button* button : buttons) {
            drawButton(button);
        }
    }
    builtState = state;
    publishScreen(*this, stateChanged ? ScreenEvent::NewScreen : ScreenEvent::ValueChanged);
}
