// Deterministic contents of the sample installation: every byte of the old and
// the new version of each entry of the update, and the readme of each language,
// can be produced again later to check an update byte for byte.
#pragma once

#include <string>

namespace demo {

// The installed (older) contents of entry index, readme.txt included.
std::string oldContents(int index);
// The contents the update brings for entry index (not the readme entry).
std::string newContents(int index);
// The readme of a language, Windows-1252 text with CRLF line ends.
std::string readmeContents(int language);

// Extra files of the installation that the update must leave alone.
struct ExtraFile {
    const char* relativePath;
    const char* contents;
    bool readOnly;
};
inline constexpr int QuickStartFileCount = 2;
extern const ExtraFile QuickStartFiles[QuickStartFileCount];
// A file in the quick-start folder that does not match "*.qst".
extern const ExtraFile QuickStartNotes;

} // namespace demo
