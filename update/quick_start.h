// Saved quick-start games ("qstart\*.qst") hold data of the old version.
#pragma once

// deleteThem true: deletes every match and returns true.
// deleteThem false: deletes nothing; true when at least one match exists.
bool removeQuickStartFiles(const char* installPath, bool deleteThem);
