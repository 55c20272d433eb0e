// The commit's journal: written into the installation folder, flushed, before the
// first file of the installation is replaced, and removed when the record agrees
// with the files again. A program killed in between finds it on its next start.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/name.h"

inline constexpr Name JournalFile = "tactico-update.journal";
inline constexpr const char* JournalFileName = JournalFile.c_str();
// A whole journal is a few kilobytes; a longer file is not one.
inline constexpr std::int64_t JournalMaxBytes = 64 * 1024;

struct JournalEntry {
    int index = 0;
    // Whether the installation had a file there before the update.
    bool hadOld = false;
    // The staged file's size: a staged file of another size is not complete.
    std::uint64_t size = 0;
};

// Anyone who can write the installation can write a journal, so it holds no
// path and no text: only entry numbers, and what is needed to tell a complete
// staged file. The version recorded is always the program's own.
struct Journal {
    std::vector<JournalEntry> entries;
};

std::string journalText(const Journal& journal);
// Nothing when the text is not a whole journal.
std::optional<Journal> parseJournal(const std::string& text);
