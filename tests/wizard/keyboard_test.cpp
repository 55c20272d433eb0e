// The wizard without a mouse: focus, keys, the focus rectangle and the screen
// description that assistive technology reads.
#include <cstring>

#include "platform/screen_description.h"
#include "platform/windows1252.h"
#include "wizard_harness.h"

namespace {

constexpr Colour555 FocusColour = 0;

// The focus on slot, its dotted rectangle three pixels inside the button's edge
// drawn or not, and no other button left with one.
void expectFocusOn(Script& s, int slot, bool drawn = true) {
    s.check([slot, drawn](UpdateWizard& w) {
        EXPECT_EQ(w.focusSlot, slot);
        for (int i = 0; i < ButtonSlotCount; ++i) {
            if (const Button* b = w.buttons[i]; b != nullptr && b->action != Label) {
                const Colour555* row = pixelRow(static_cast<std::int16_t>(b->y + 3));
                EXPECT_EQ(row[b->x + 3] == FocusColour, drawn && i == slot) << "slot " << i;
                EXPECT_NE(row[b->x + 4], FocusColour);
            }
        }
    });
}

Script& shiftTab(Script& s) {
    return s.post(win::kWmKeyDown, win::kVkShift)
        .key(win::kVkTab)
        .post(win::kWmKeyUp, win::kVkShift);
}

// Also: the window's title is the language's, handed to the desktop as UTF-8.
TEST(Keyboard, UpdateInEachLanguageWithoutTheMouse) {
    for (int language = 0; language < LanguageCount; ++language) {
        SCOPED_TRACE(language);
        const SampleSetup setup("keys");
        fs::remove(setup.target(CityDat));
        fs::create_directory(setup.target(CityDat));
        Script s;
        s.waitState(LanguageScreen).key(win::kVkDown, language + 8).key(win::kVkUp, 8);
        expectFocusOn(s, 1 + language);
        s.key(win::kVkSpace).waitState(VersionScreen);
        s.check([&](UpdateWizard&) {
            EXPECT_EQ(headless::window().title, utf8FromWindows1252(WindowTitles[language]));
        });
        // Back, Next, the corner Exit; the focus starts on Next, where Enter acts.
        expectFocusOn(s, 4);
        s.key(win::kVkTab, 2);
        expectFocusOn(s, 3);
        shiftTab(s);
        expectFocusOn(s, 0);
        s.key(win::kVkTab, 2).key(win::kVkReturn).waitState(WriteFailureScreen);
        shiftTab(s).key(win::kVkSpace).waitState(FolderEntryScreen);
        // The field has the focus and takes the keys; away from it, they do nothing.
        s.type("q").key(win::kVkTab).type("z").key(win::kVkTab, 2).type("x");
        s.check([&setup](UpdateWizard& w) {
            EXPECT_EQ(w.installPath, setup.game.string() + "qx");
            fs::remove(setup.target(CityDat));
        });
        s.key(win::kVkBack, 2).key(win::kVkTab).key(win::kVkReturn).waitState(VersionScreen);
        s.key(win::kVkReturn).waitState(CompletedScreen).key(win::kVkReturn);
        ASSERT_TRUE(s.run(setup));
        setup.expectFiles(setup.game, 0, UpdateFileCount, language);
        EXPECT_EQ(headless::shellOpens(), std::vector{(setup.game / "readme.txt").string()});
    }
}

// Space chooses without moving the focus, so the next screen shows none until Tab.
TEST(Keyboard, FocusIsDrawnOnlyOnceTheKeyboardMovesIt) {
    const SampleSetup setup("nofocus");
    Script s;
    s.waitState(LanguageScreen).key(win::kVkSpace).waitState(VersionScreen);
    expectFocusOn(s, 4, false);
    s.key(win::kVkTab);
    expectFocusOn(s, 0);
    ASSERT_TRUE(s.key(win::kVkEscape).run(setup));
}

// Static texts in a row are joined, as a wrapped text reads on.
std::string flatten(const ScreenDescription& d) {
    std::string out;
    bool inText = false;
    for (const ScreenElement& e : d.elements) {
        const bool text = e.role == ElementRole::StaticText;
        if (!text || !inText) {
            out += out.empty() ? "" : "\n";
            out += text ? "text:" : e.role == ElementRole::PushButton ? "button:" : "other:";
        }
        out += " " + e.name + (e.unavailable ? " (greyed)" : "") + (e.focused ? " (focus)" : "");
        inText = text;
    }
    return out;
}

TEST(Keyboard, EachScreenIsDescribedInReadingOrder) {
    const SampleSetup setup("describe");
    Script s;
    s.waitState(LanguageScreen).check([](UpdateWizard& w) {
        for (int l = 0; l < LanguageCount; ++l) {
            const auto text = [l](std::initializer_list<const char*> lines) {
                std::string out =
                    std::string("text: ") + WindowTitles[l] + " " + UpdaterVersionText;
                for (const char* line : lines)
                    out += std::string(*line ? " " : "") + line;
                return out;
            };
            const std::string exit = std::string("\nbutton: ") + ExitLabels[l];
            const std::string back = std::string("\nbutton: ") + BackLabels[l];
            std::string languages;
            for (int i = 0; i < LanguageCount; ++i)
                languages += std::string("\nbutton: ") + LanguageButtonLabels[i] +
                             (i == 0 ? " (focus)" : "");
            const std::pair<std::int16_t, std::string> screens[] = {
                {LanguageScreen, text({}) + languages + exit},
                {NotInstalledScreen, text({InstallNotFoundMessages[l], ReinstallAdvice[l]}) + back +
                                         " (greyed)" + exit + " (focus)" + exit},
                {VersionScreen, text({CurrentVersionLabels[l], "Version 3.60", NewVersionLabels[l],
                                      UpdaterVersionText, UpdatePrompts[l]}) +
                                    back + "\nbutton: " + NextLabels[l] + " (focus)" + exit},
                {ProgressScreen, text({UpdatingLabels[l]}) + "\nother: " + exit},
                {CompletedScreen, text({UpdateCompletedLabels[l]}) + back + " (greyed)" +
                                      "\nbutton: " + FinishLabels[l] + " (focus)" + exit},
                {SourceErrorScreen,
                 text({SourceFileMissingMessages[l], UpdateFileCorruptMessages[l]}) + back +
                     " (greyed)" + exit + " (focus)" + exit},
                {QuickStartScreen,
                 text({QuickStartOutOfDateMessages[l], DeleteQuickStartQuestions[l]}) +
                     "\nbutton: " + YesLabels[l] + " (focus)\nbutton: " + NoLabels[l] + exit},
                {FolderEntryScreen, text({PathEntryPrompts[l], ContinuePrompts[l]}) +
                                        "\nother: /\xF3"
                                        "d (focus)\nbutton: " +
                                        NextLabels[l] + exit},
                {WriteFailureScreen,
                 text({WriteFailureMessages[l]}) + back + exit + " (focus)" + exit},
            };
            std::strcpy(w.installedVersion, "Version 3.60");
            // UTF-8 "/Łódź": described as the 1252 fonts draw it, without Ł and ź.
            w.installPath = "/\xC5\x81\xC3\xB3"
                            "d\xC5\xBA";
            w.language = l;
            for (const auto& [state, expected] : screens) {
                w.state = state;
                w.buildScreen();
                EXPECT_EQ(flatten(headless::screenDescription()), expected)
                    << "language " << l << ", screen " << state;
            }
        }
    });
    ASSERT_TRUE(s.key(win::kVkEscape).run(setup));
}

} // namespace
