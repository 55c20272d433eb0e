// A record of what one run did, for administrators and support: one line per
// event, each with a local timestamp, flushed as it is written so that a killed
// run keeps what it wrote. Nothing is recorded while no log is open and no echo
// is set.
//
// Lines are UTF-8, in the file and on the echo: texts of the wizard's tables enter
// through utf8FromWindows1252; paths and the record's values are UTF-8 already.
#pragma once

#include <cstdio>

// Appends to path (created when missing; a new file starts with the system's
// mark for UTF-8). False when it cannot be opened or is no regular file.
bool openRunLog(const char* path);
void closeRunLog();
// Whether a line written now goes anywhere (the log file or the echo).
bool runLogOpen();

// Also writes every line, without its timestamp, to stream (null: no echo).
// Unattended runs echo to standard output as their progress report.
void setRunLogEcho(std::FILE* stream);

// One line of the log; the text must not end in a newline.
[[gnu::format(printf, 1, 2)]] void runLog(const char* format, ...);
