// Every text the wizard shows, in eight languages, as Windows-1252 bytes (the
// fonts index their glyphs by byte value).
#pragma once

#include <cstdint>

enum Language : std::int32_t {
    English = 0,
    Spanish = 1,
    French = 2,
    Italian = 3,
    Norwegian = 4,
    Portuguese = 5,
    Swedish = 6,
    Dutch = 7,
};
inline constexpr int LanguageCount = 8;

using MessageTable = const char* const[LanguageCount];

extern const std::uint8_t LanguageEnabled[LanguageCount];
extern MessageTable LanguageReadmeFiles;
extern const char* const UpdaterVersionText;

extern MessageTable LanguageButtonLabels;
extern MessageTable BackLabels;
extern MessageTable NextLabels;
extern MessageTable FinishLabels;
extern MessageTable ExitLabels;
extern MessageTable YesLabels;
extern MessageTable NoLabels;
extern MessageTable WindowTitles;
extern MessageTable CurrentVersionLabels;
extern MessageTable NewVersionLabels;
extern MessageTable UpdatePrompts;
extern MessageTable ContinuePrompts;
extern MessageTable UpdatingLabels;
extern MessageTable UpdateCompletedLabels;
extern MessageTable InstallNotFoundMessages;
extern MessageTable ReinstallAdvice;
extern MessageTable InstallCorruptMessages;
extern MessageTable SourceFileMissingMessages;
extern MessageTable UpdateFileCorruptMessages;
extern MessageTable IncompatibleUpdateMessages;
extern MessageTable QuickStartOutOfDateMessages;
extern MessageTable DeleteQuickStartQuestions;
extern MessageTable PathEntryPrompts;
extern MessageTable WriteFailureMessages;
