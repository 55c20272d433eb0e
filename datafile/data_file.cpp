#include "datafile/data_file.h"

#include <cstdio>
#include <new>
#include <string>

#include "datafile/directory.h"
#include "platform/file_io.h"
#include "platform/paths.h"

struct DataFile::State {
    std::FILE* stream;
    std::int32_t mode;
    std::uint8_t runByte;
    std::uint8_t runLength;
    std::uint8_t byteOrder;
};

namespace {

constexpr std::uint8_t MaxRunLength = 63;
constexpr std::uint8_t RunCountMarker = 0xC0;

const char* openModeString(std::int32_t mode) {
    switch (mode) {
    case TextRead:
        return "r";
    case TextWrite:
        return "w";
    case BinaryRead:
        return "rb";
    case BinaryWrite:
        return "wb";
    case BinaryAppend:
        return "a+b";
    default:
        return nullptr;
    }
}

} // namespace

DataFile::DataFile() : state(new (std::nothrow) State{}) {}

DataFile::~DataFile() {
    close();
    delete state;
}

bool DataFile::open(const Directory& directory, const char* name, std::uint8_t byteOrder,
                    std::int32_t mode) {
    if (directory.path() == nullptr || state == nullptr || name == nullptr) {
        return false;
    }
    close();
    const std::string fullName = joinPath(directory.path(), name);
    const char* modeString = openModeString(mode);
    if (modeString == nullptr) {
        return false;
    }
    // Read beside the program, in a folder an ordinary account may have prepared:
    // only a regular file, never through a link, never waiting on a FIFO.
    std::FILE* stream = mode == BinaryRead ? openRegularFile(fullName.c_str(), -1)
                                           : openFile(fullName.c_str(), modeString);
    if (stream == nullptr) {
        return false;
    }
    state->stream = stream;
    state->mode = mode;
    state->byteOrder = byteOrder;
    if (mode == BinaryAppend && byteOrder != LittleEndian) {
        std::fclose(stream);
        state->stream = nullptr;
        return false;
    }
    return true;
}

bool DataFile::readInt32(std::int32_t& value) {
    if (state == nullptr || state->stream == nullptr ||
        (state->mode != BinaryRead && state->mode != BinaryAppend)) {
        return false;
    }
    unsigned char bytes[4];
    if (std::fread(bytes, sizeof bytes, 1, state->stream) != 1) {
        return false;
    }
    std::uint32_t assembled = 0;
    for (int i = 0; i < 4; ++i) {
        const int shift = state->byteOrder == BigEndian ? 8 * (3 - i) : 8 * i;
        assembled |= static_cast<std::uint32_t>(bytes[i]) << shift;
    }
    value = static_cast<std::int32_t>(assembled);
    return true;
}

bool DataFile::readBytes(void* buffer, std::int32_t count) {
    if (state == nullptr || state->stream == nullptr ||
        (state->mode != BinaryRead && state->mode != BinaryAppend) || count < 0) {
        return false;
    }
    if (count == 0) {
        return true;
    }
    const auto wanted = static_cast<std::size_t>(count);
    return std::fread(buffer, 1, wanted, state->stream) == wanted;
}

bool DataFile::putByte(std::uint8_t value) {
    return std::fputc(value, state->stream) != EOF;
}

bool DataFile::writeByte(std::uint8_t value) {
    if (state == nullptr || state->stream == nullptr ||
        (state->mode != BinaryWrite && state->mode != BinaryAppend)) {
        return false;
    }
    flushRun();
    return putByte(value);
}

bool DataFile::queueByte(std::uint8_t value) {
    if (state == nullptr || state->stream == nullptr || state->mode != BinaryWrite) {
        return false;
    }
    if (state->runLength != 0 && (state->runByte != value || state->runLength == MaxRunLength)) {
        flushRun();
    }
    state->runByte = value;
    ++state->runLength;
    return true;
}

void DataFile::flushRun() {
    if (state == nullptr) {
        return;
    }
    if (state->mode == BinaryWrite && state->stream != nullptr && state->runLength != 0) {
        if (state->runLength > 1 || state->runByte >= RunCountMarker) {
            putByte(static_cast<std::uint8_t>(RunCountMarker | state->runLength));
        }
        putByte(state->runByte);
    }
    state->runLength = 0;
}

void DataFile::close() {
    if (state == nullptr) {
        return;
    }
    flushRun();
    if (state->stream != nullptr) {
        std::fclose(state->stream);
    }
    *state = State{};
}
