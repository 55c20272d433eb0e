#include "update/copy_bytes.h"

#include <new>

std::unique_ptr<unsigned char[]> makeCopyBuffer() {
    return std::unique_ptr<unsigned char[]>(new (std::nothrow) unsigned char[CopyBufferBytes]);
}
