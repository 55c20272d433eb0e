#include "datafile/data_file.h"

#include "datafile/directory.h"

bool DataFile::open(const Directory& directory, const Name& name, std::uint8_t byteOrder) {
    close();
    // Never through a link, never waiting on a FIFO.
    file = openFileIn(directory.folder(), name, -1, Source::Untrusted);
    order = byteOrder;
    return file.isOpen();
}

bool DataFile::readInt32(std::int32_t& value) {
    unsigned char bytes[4];
    if (file.read(bytes, sizeof bytes) != sizeof bytes) {
        return false;
    }
    std::uint32_t assembled = 0;
    for (int i = 0; i < 4; ++i) {
        const int shift = order == BigEndian ? 8 * (3 - i) : 8 * i;
        assembled |= static_cast<std::uint32_t>(bytes[i]) << shift;
    }
    value = static_cast<std::int32_t>(assembled);
    return true;
}

bool DataFile::readBytes(void* buffer, std::int32_t count) {
    if (!file.isOpen() || count < 0) {
        return false;
    }
    const auto wanted = static_cast<std::size_t>(count);
    return file.read(buffer, wanted) == wanted;
}

void DataFile::close() {
    file.close();
}
