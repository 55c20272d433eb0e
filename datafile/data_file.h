// A binary or text file opened by bare name relative to a Directory. A
// BinaryWrite file can also be written in run-length code (a count byte 0xC0 + n
// ahead of the repeated byte): queued bytes collect in a pending run that is
// written out when a different byte comes, when the run is full, before a plain
// byte, and at close.
#pragma once

#include <cstdint>

class Directory;

enum DataFileMode : std::int32_t {
    TextRead = 0,
    TextWrite = 1,
    BinaryRead = 2,
    BinaryWrite = 3,
    BinaryAppend = 4,
};

enum ByteOrder : std::uint8_t {
    LittleEndian = 0,
    BigEndian = 2,
};

class DataFile {
  public:
    DataFile();
    ~DataFile();
    DataFile(const DataFile&) = delete;
    DataFile& operator=(const DataFile&) = delete;

    // An open file is closed first, its pending run written to it.
    bool open(const Directory& directory, const char* name, std::uint8_t byteOrder,
              std::int32_t mode);
    bool readInt32(std::int32_t& value);
    bool readBytes(void* buffer, std::int32_t count);
    // Writes value as it is, after the pending run.
    bool writeByte(std::uint8_t value);
    // Adds value to the pending run of a BinaryWrite file, writing the run out
    // first when value differs from it or it already holds 63 bytes. False, with
    // nothing queued, in any other mode or when closed: only a BinaryWrite file
    // writes its run out, so a run anywhere else would be lost.
    bool queueByte(std::uint8_t value);
    void flushRun();
    void close();

  private:
    struct State;
    bool putByte(std::uint8_t value);
    State* state;
};
