// The update as a user runs it, through the real window procedure.
#include <cstring>

#include "wizard_harness.h"

namespace {

class UpdateFlow : public ::testing::Test {
  protected:
    SampleSetup setup{"flow"};
};

// Also: quick-start games in the typed folder are offered for deletion, and a
// retry in another language is another update: its readme is the one installed
// and the one taken from the update folder.
TEST_F(UpdateFlow, WriteFailureResumesInATypedFolderAndAnotherLanguage) {
    fs::remove(setup.target(CityDat));
    fs::create_directory(setup.target(CityDat));
    const fs::path other = setup.root / "other";
    setup.writeOldInstallation(other);
    writeFile(other / "qstart" / "a.qst", "a");

    Script script = toProgress(English);
    script.waitState(WriteFailureScreen).clickSlot(3).waitState(FolderEntryScreen).clickSlot(3);
    script.waitState(VersionScreen).clickSlot(3).waitState(LanguageScreen).clickSlot(1 + Spanish);
    script.waitState(VersionScreen).clickSlot(4).waitState(WriteFailureScreen).clickSlot(3);
    script.waitState(FolderEntryScreen);
    // Backspace on an empty path, control and high characters change nothing;
    // the path never outgrows the field.
    script.key(win::kVkBack, setup.game.string().size() + 2).type("\x1b\xe9\x07");
    script.check([](UpdateWizard& w) { EXPECT_STREQ(w.buttons[2]->text, "|"); });
    script.type(std::string(150, 'W')).check([](UpdateWizard& w) {
        EXPECT_GT(w.installPath.size(), 10u);
        EXPECT_LT(w.installPath.size(), 150u);
        EXPECT_EQ(std::string(w.buttons[2]->text), w.installPath + "|");
    });
    script.key(win::kVkBack, 150).type(other.string()).key(win::kVkReturn).frames(2);
    script.waitState(FolderEntryScreen).check([&](UpdateWizard& w) {
        EXPECT_EQ(fs::path(w.installPath), other);
    });
    script.clickSlot(3).waitState(VersionScreen).key(win::kVkReturn);
    script.waitState(QuickStartScreen).key(win::kVkReturn);
    ASSERT_TRUE(script.waitState(CompletedScreen).key(win::kVkReturn).run(setup));

    // The first folder is left as it was; the typed one gets the whole update.
    setup.expectFiles(setup.game, 0, 0);
    setup.expectFiles(other, 0, UpdateFileCount, Spanish);
    EXPECT_EQ(recordedVersion(), UpdaterVersionText);
    EXPECT_EQ(headless::shellOpens(), std::vector{(other / "readme.txt").string()});
    EXPECT_EQ(setup.strayFiles(), std::vector<fs::path>{});
    EXPECT_FALSE(fs::exists(other / "qstart" / "a.qst"));
    EXPECT_TRUE(fs::exists(setup.updateFolder / LanguageReadmeFiles[English]));
    EXPECT_FALSE(fs::exists(setup.updateFolder / LanguageReadmeFiles[Spanish]));
}

// The bar grows a step a frame. Enter is ignored on the language and progress
// screens, and the old version shows under its new name, which is never written
// back.
TEST_F(UpdateFlow, EscapeDuringTheUpdateLeavesTheGameAsItWas) {
    setup.writeRecord("Tactico 3.69 (3.69)", setup.game.c_str());
    Script script;
    script.waitState(LanguageScreen).key(win::kVkReturn).frames(1);
    script.check([](UpdateWizard& w) { EXPECT_EQ(w.state, LanguageScreen); });
    script.clickSlot(1).waitState(VersionScreen).check([](UpdateWizard& w) {
        EXPECT_STREQ(w.buttons[6]->text, "Tactico 3.70 (3.69)");
    });
    script.clickSlot(3).waitState(LanguageScreen).clickSlot(1).waitState(VersionScreen);
    script.key(win::kVkReturn).waitState(ProgressScreen);
    // Enter is posted during step 10 and ignored, Escape during step 11; step 12
    // is the last one done.
    for (int n = 0; n < 10; ++n) {
        script.then([n](UpdateWizard& w) {
            if (w.progressCount != n + 1) {
                return w.state != ProgressScreen;
            }
            const int right = w.boxX + 10 + n * (w.boxWidth - 20) / 47;
            const Colour555* row = pixelRow(static_cast<std::int16_t>(w.boxY + 20));
            EXPECT_EQ(row[right], 0x001F) << "step " << n;
            EXPECT_NE(row[right + 1], 0x001F) << "step " << n;
            return true;
        });
    }
    ASSERT_TRUE(script.key(win::kVkReturn).key(win::kVkEscape).run(setup));
    // Leaving mid-way leaves the installation as it was, with nothing staged.
    setup.expectFiles(setup.game, 0, 0);
    EXPECT_EQ(setup.strayFiles(), std::vector<fs::path>{});
    EXPECT_TRUE(headless::shellOpens().empty());
    EXPECT_EQ(recordedVersion(), "Tactico 3.69 (3.69)");
}

// A check in the window stops where the update would go on writing and waits
// there for Exit, whatever the frames bring.
TEST_F(UpdateFlow, ACheckStopsOnTheProgressScreenUntilExit) {
    Script script = toProgress(English);
    script.frames(60).check([](UpdateWizard& w) {
        EXPECT_EQ(w.state, ProgressScreen);
        EXPECT_TRUE(w.checksPassed);
    });
    ASSERT_TRUE(script.clickSlot(0).run(setup.updateFolder, "/check"));
    setup.expectFiles(setup.game, 0, 0);
    EXPECT_EQ(setup.strayFiles(), std::vector<fs::path>{});
    EXPECT_EQ(recordedVersion(), OldVersion);
}

} // namespace
