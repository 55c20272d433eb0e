// How the file layer's backends make a File of a stream they opened: the stream
// is theirs to hand over, and nobody else's to reach.
#pragma once

#include <cstdio>

#include "platform/file_io.h"

struct FileAccess {
    static File of(std::FILE* stream) {
        File file(stream);
        if (stream == nullptr) {
            file.error_ = Status::lastError();
        }
        return file;
    }
    static std::FILE* stream(const File& file) { return file.stream_; }
};
