#include <gtest/gtest.h>
#include <string>

#include "wizard/texts.h"

namespace {

// Every table the screens draw, for the checks that hold for all of them.
const char* const* const AllTables[] = {LanguageButtonLabels,
                                        BackLabels,
                                        NextLabels,
                                        FinishLabels,
                                        ExitLabels,
                                        YesLabels,
                                        NoLabels,
                                        WindowTitles,
                                        CurrentVersionLabels,
                                        NewVersionLabels,
                                        UpdatePrompts,
                                        ContinuePrompts,
                                        UpdatingLabels,
                                        UpdateCompletedLabels,
                                        InstallNotFoundMessages,
                                        ReinstallAdvice,
                                        InstallCorruptMessages,
                                        SourceFileMissingMessages,
                                        UpdateFileCorruptMessages,
                                        IncompatibleUpdateMessages,
                                        QuickStartOutOfDateMessages,
                                        DeleteQuickStartQuestions,
                                        PathEntryPrompts,
                                        WriteFailureMessages,
                                        LanguageReadmeFiles};

TEST(Texts, EveryTextIsDrawableWindows1252) {
    for (const char* const* table : AllTables) {
        for (int language = 0; language < LanguageCount; ++language) {
            ASSERT_NE(table[language], nullptr);
            for (const char* c = table[language]; *c != '\0'; ++c) {
                // The fonts hold glyphs 32-255 only.
                EXPECT_GE(static_cast<unsigned char>(*c), 32) << table[language];
            }
        }
    }
    for (int language = 0; language < LanguageCount; ++language) {
        EXPECT_EQ(LanguageEnabled[language], 1);
        EXPECT_STREQ(PathEntryPrompts[language], "");
        EXPECT_STREQ(WriteFailureMessages[language], "");
    }
    EXPECT_EQ(std::string(UpdaterVersionText).size() + 1, 47u);
    EXPECT_STREQ(LanguageButtonLabels[Portuguese], "Instala\xE7\xE3o em Portugu\xEAs");
    EXPECT_STREQ(DeleteQuickStartQuestions[Spanish],
                 "\xBF"
                 "Borrar los ficheros de partidas rapidas (recomendado)?");
}

} // namespace
