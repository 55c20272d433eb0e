// What a program killed inside its commit left: the next start completes or
// undoes it before anything else touches the installation.
#pragma once

enum class RecoveryOutcome {
    NoJournal, // nothing was under way
    Completed, // the update is in place and the record names versionText
    Undone,    // the old files are back and the record as it was
    Left,      // a journal that cannot be read or acted on stays for the next start
};

// Completes or undoes what a journal in installPath says was under way, recording
// versionText (the program's own; a journal names no version), then removes what
// staging left. Once the record already names versionText it only completes.
RecoveryOutcome recoverUpdate(const char* installPath, const char* versionText);
