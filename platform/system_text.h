// The system's narrow text in the one encoding the program hands out.
#pragma once

#include <string>
#include <string_view>

// What leaves the program as text (the log, standard output and error, the
// desktop's windows) is UTF-8, as paths, the command line and the record's values
// are inside it. What the C library still hands over as narrow text (strerror's
// words) becomes UTF-8 here: on Windows it is in the ANSI code page; elsewhere it
// is the system's bytes, normally UTF-8 already, and kept as they are.
std::string utf8FromSystemText(std::string_view text);
