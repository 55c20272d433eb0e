// A binary file read by bare name from a Directory, its 32-bit numbers in either
// byte order.
#pragma once

#include <cstdint>

#include "platform/file_io.h"

class Directory;

enum ByteOrder : std::uint8_t {
    LittleEndian = 0,
    BigEndian = 2,
};

class DataFile {
  public:
    // An open file is closed first. Only a regular file opens: the folder is one
    // an ordinary account may have prepared.
    bool open(const Directory& directory, const Name& name, std::uint8_t byteOrder);
    bool readInt32(std::int32_t& value);
    bool readBytes(void* buffer, std::int32_t count);
    void close();

  private:
    File file;
    std::uint8_t order = LittleEndian;
};
