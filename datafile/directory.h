// The folder the program was started from, held open from the start: whatever the
// current folder or the folder's name become, its files are read from there.
#pragma once

#include "platform/file_io.h"

class Directory {
  public:
    Directory() : held(openCurrentFolder()) {}
    Directory(const Directory&) = delete;
    Directory& operator=(const Directory&) = delete;

    // Not open when the current folder could not be opened.
    const Folder& folder() const { return held; }

  private:
    Folder held;
};
