#include <cstring>
#include <gtest/gtest.h>

#include "wizard/texts.h"

namespace {

TEST(Texts, EveryTextIsDrawableWindows1252) {
    // clang-format off
    const char* const* const tables[] = {
        LanguageButtonLabels, BackLabels, NextLabels, FinishLabels, ExitLabels, YesLabels, NoLabels,
        WindowTitles, CurrentVersionLabels, NewVersionLabels, UpdatePrompts, ContinuePrompts,
        UpdatingLabels, UpdateCompletedLabels, InstallNotFoundMessages, ReinstallAdvice,
        InstallCorruptMessages, SourceFileMissingMessages, UpdateFileCorruptMessages,
        IncompatibleUpdateMessages, QuickStartOutOfDateMessages, DeleteQuickStartQuestions,
        PathEntryPrompts, WriteFailureMessages, LanguageReadmeFiles};
    // clang-format on
    for (const char* const* table : tables) {
        for (int language = 0; language < LanguageCount; ++language) {
            const char* text = table[language];
            ASSERT_NE(text, nullptr);
            for (const char* c = text; *c != '\0'; ++c) {
                // The fonts hold glyphs 32-255 only, indexed by Windows-1252 byte;
                // an accent saved as UTF-8 would draw as two wrong glyphs.
                EXPECT_GE(static_cast<unsigned char>(*c), 32) << text;
                EXPECT_FALSE(*c == '\xC3' && (c[1] & 0xC0) == 0x80) << text;
            }
        }
    }
    // The installation record holds the version in 47 bytes, terminator included.
    EXPECT_EQ(std::strlen(UpdaterVersionText) + 1, 47u);
}

} // namespace
