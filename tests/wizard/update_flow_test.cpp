// The update as a user runs it, through the real window procedure.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/headless/headless.h"
#include "platform/messages.h"
#include "render/screen.h"
#include "update/file_list.h"
#include "update/package.h"
#include "wizard/texts.h"
#include "wizard_harness.h"

namespace {

constexpr int PicsCfg = 10;
constexpr int CityDat = 13;

class UpdateFlow : public ::testing::Test {
  protected:
    void SetUp() override { setup = SampleSetup::create("flow"); }
    void TearDown() override { setup.remove(); }

    // Entries before firstOld hold their new contents, the others their old ones.
    void expectReplacedUpTo(int firstOld, const fs::path& installation) {
        for (int e = 0; e < UpdateFileCount; ++e) {
            if (e != ReadmeEntry && !fs::is_directory(setup.target(e, installation))) {
                EXPECT_EQ(readFile(setup.target(e, installation)),
                          e < firstOld ? SampleSetup::newContents(e) : SampleSetup::oldContents(e))
                    << "entry " << e;
            }
        }
    }

    static Script toProgress() {
        Script s;
        s.waitState(LanguageScreen).clickSlot(1).waitState(VersionScreen).clickSlot(4);
        return s;
    }

    SampleSetup setup;
};

TEST_F(UpdateFlow, ReplacesEveryFileInEachLanguage) {
    for (int language = 0; language < LanguageCount; ++language) {
        SCOPED_TRACE(language);
        setup.remove();
        setup = SampleSetup::create("flow");
        Script script;
        script.waitState(LanguageScreen)
            .clickSlot(1 + language)
            .waitState(VersionScreen)
            .clickSlot(4);
        for (int n = 0; n <= UpdateFileCount; ++n) {
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
        script.waitState(CompletedScreen).clickSlot(4);
        ASSERT_TRUE(script.run(setup));

        expectReplacedUpTo(UpdateFileCount, setup.game);
        EXPECT_EQ(readFile(setup.target(ReadmeEntry)), SampleSetup::readmeContents(language));
        EXPECT_FALSE(fs::exists(setup.updateFolder / LanguageReadmeFiles[language]));
        EXPECT_EQ(recordValue("Version"), UpdaterVersionText);
        ASSERT_EQ(headless::shellOpens().size(), 1u);
        EXPECT_EQ(fs::path(headless::shellOpens()[0]), setup.game / "readme.txt");
    }
}

TEST_F(UpdateFlow, MissingInstallationShowsNotInstalled) {
    // Short enough to read, too long for the data files' paths under it.
    const std::string longFolder =
        (setup.root / std::string(190 - setup.root.string().size() - 1, 'x')).string();
    const std::pair<const char*, const char*> records[] = {{nullptr, nullptr},
                                                           {"Version 3.60", nullptr},
                                                           {"Version 3.60", longFolder.c_str()},
                                                           {"Version 3.60", setup.game.c_str()}};
    fs::remove(setup.target(0));
    for (const auto& [version, location] : records) {
        setup.writeRecord(version, location);
        Script script;
        script.waitState(LanguageScreen)
            .clickSlot(1)
            .waitState(NotInstalledScreen)
            .key(win::kVkReturn);
        EXPECT_TRUE(script.run(setup)) << (location ? location : "no location");
    }
}

TEST_F(UpdateFlow, OldVersionShownUnderItsNewNameOnly) {
    setup.writeRecord("Tactico 3.69 (3.69)", setup.game.c_str());
    Script script;
    script.waitState(LanguageScreen).clickSlot(1).waitState(VersionScreen);
    script.check([](UpdateWizard& w) { EXPECT_STREQ(w.buttons[6]->text, "Tactico 3.70 (3.69)"); });
    script.clickSlot(3).waitState(LanguageScreen).key(win::kVkEscape);
    ASSERT_TRUE(script.run(setup));
    EXPECT_EQ(recordValue("Version"), "Tactico 3.69 (3.69)");
}

TEST_F(UpdateFlow, MissingSourceStopsBeforeAnyFileIsTouched) {
    for (const char* missing : {PackageFileName, "readme_eng.txt"}) {
        fs::rename(setup.updateFolder / missing, setup.root / missing);
        Script script = toProgress();
        script.waitState(SourceErrorScreen).key(win::kVkReturn);
        ASSERT_TRUE(script.run(setup)) << missing;
        expectReplacedUpTo(0, setup.game);
        fs::rename(setup.root / missing, setup.updateFolder / missing);
    }
}

TEST_F(UpdateFlow, PackageCutShortKeepsTheOldFile) {
    std::size_t cut = PackageTableBytes + 1500;
    for (int e = 0; e < CityDat; ++e) {
        cut += isReadmeEntry(e) ? 0 : SampleSetup::newContents(e).size();
    }
    fs::resize_file(setup.updateFolder / PackageFileName, cut);
    Script script = toProgress();
    script.waitState(SourceErrorScreen).key(win::kVkEscape);
    ASSERT_TRUE(script.run(setup));
    expectReplacedUpTo(CityDat, setup.game);
    EXPECT_EQ(strayFiles(setup), std::vector<fs::path>{});
}

TEST_F(UpdateFlow, WriteFailureResumesInATypedFolder) {
    fs::remove(setup.target(CityDat));
    fs::create_directory(setup.target(CityDat));
    const fs::path other = setup.root / "other";
    setup.writeOldInstallation(other);

    Script script = toProgress();
    script.waitState(WriteFailureScreen).clickSlot(3).waitState(FolderEntryScreen);
    // Backspace on an empty path, control and high characters change nothing;
    // the path never outgrows the field.
    for (std::size_t i = 0; i < setup.game.string().size() + 2; ++i) {
        script.key(win::kVkBack);
    }
    script.typeChar(27).typeChar(0xE9).typeChar(7);
    script.check([](UpdateWizard& w) { EXPECT_STREQ(w.buttons[2]->text, "|"); });
    for (int i = 0; i < 150; ++i) {
        script.typeChar('W');
    }
    script.check([](UpdateWizard& w) {
        EXPECT_GT(std::strlen(w.installPath), 10u);
        EXPECT_LT(std::strlen(w.installPath), 150u);
        EXPECT_EQ(std::string(w.buttons[2]->text), std::string(w.installPath) + "|");
    });
    for (int i = 0; i < 150; ++i) {
        script.key(win::kVkBack);
    }
    for (char c : other.string()) {
        script.typeChar(static_cast<std::uint8_t>(c));
    }
    script.key(win::kVkReturn).frames(2).waitState(FolderEntryScreen);
    script.check([&](UpdateWizard& w) { EXPECT_EQ(fs::path(w.installPath), other); });
    script.clickSlot(3).waitState(VersionScreen).key(win::kVkReturn);
    script.waitState(CompletedScreen).key(win::kVkReturn);
    ASSERT_TRUE(script.run(setup));

    // The entries done before the failure are not copied again.
    expectReplacedUpTo(CityDat, setup.game);
    for (int e = 0; e < UpdateFileCount; ++e) {
        EXPECT_EQ(readFile(setup.target(e, other)),
                  e < CityDat ? SampleSetup::oldContents(e) : SampleSetup::newContents(e))
            << "entry " << e;
    }
    ASSERT_EQ(headless::shellOpens().size(), 1u);
    EXPECT_EQ(fs::path(headless::shellOpens()[0]), other / "readme.txt");
    EXPECT_EQ(strayFiles(setup), std::vector<fs::path>{});
}

TEST_F(UpdateFlow, UnwritablePicturesConfigurationIsSkipped) {
    fs::remove(setup.target(PicsCfg));
    fs::create_directory(setup.target(PicsCfg));
    ASSERT_TRUE(updateScript(English).run(setup));
    expectReplacedUpTo(UpdateFileCount, setup.game);
    EXPECT_EQ(recordValue("Version"), UpdaterVersionText);
}

TEST_F(UpdateFlow, EscapeEndsAfterTheStepOfItsFrame) {
    Script script;
    script.waitState(LanguageScreen).key(win::kVkReturn).frames(1);
    script.check([](UpdateWizard& w) { EXPECT_EQ(w.state, LanguageScreen); });
    script.clickSlot(1).waitState(VersionScreen).key(win::kVkReturn).waitState(ProgressScreen);
    // Enter is posted during step 10 and ignored, Escape during step 11; step 12
    // is the last one done.
    script.then([](UpdateWizard& w) { return w.progressCount == 10; });
    script.key(win::kVkReturn).key(win::kVkEscape);
    ASSERT_TRUE(script.run(setup));
    expectReplacedUpTo(12, setup.game);
    EXPECT_TRUE(headless::shellOpens().empty());
}

TEST_F(UpdateFlow, QuickStartGamesAreOfferedForDeletion) {
    const fs::path qstart = setup.game / "qstart";
    writeFile(qstart / "a.qst", "a");
    writeFile(qstart / "keep.sav", "c");
    Script script = toProgress();
    script.waitState(QuickStartScreen).key(win::kVkReturn).waitState(CompletedScreen);
    script.key(win::kVkEscape);
    ASSERT_TRUE(script.run(setup));
    EXPECT_FALSE(fs::exists(qstart / "a.qst"));
    EXPECT_TRUE(fs::exists(qstart / "keep.sav"));
}

} // namespace
