#include "update/vcdiff.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <new>
#include <zlib.h>

#include "platform/file_io.h"

namespace {

enum : std::uint8_t { Noop = 0, Add = 1, Run = 2, Copy = 3 };

enum : std::uint8_t {
    HeaderSecondary = 0x01,
    HeaderCodeTable = 0x02,
    HeaderAppData = 0x04, // xdelta3's application header
};

enum : std::uint8_t {
    WindowSource = 0x01,
    WindowTarget = 0x02,
    WindowAdler32 = 0x04, // xdelta3's checksum of the rebuilt window
};

constexpr int NearSlots = 4;
constexpr int SameSlots = 3 * 256;

struct Half {
    std::uint8_t type;
    std::uint8_t size; // 0: the size follows in the instructions
    std::uint8_t mode;
};

struct Code {
    Half first;
    Half second;
};

// The one code table a delta may use: 256 codes, each one instruction or a pair,
// chosen so that the commonest small adds and copies take a single byte.
constexpr std::array<Code, 256> makeDefaultCodes() {
    std::array<Code, 256> codes{};
    int at = 0;
    const auto single = [](std::uint8_t type, int size, int mode) {
        return Code{{type, static_cast<std::uint8_t>(size), static_cast<std::uint8_t>(mode)},
                    {Noop, 0, 0}};
    };
    const auto pair = [](std::uint8_t type1, int size1, int mode1, std::uint8_t type2, int size2,
                         int mode2) {
        return Code{{type1, static_cast<std::uint8_t>(size1), static_cast<std::uint8_t>(mode1)},
                    {type2, static_cast<std::uint8_t>(size2), static_cast<std::uint8_t>(mode2)}};
    };
    codes[at++] = single(Run, 0, 0);
    for (int size = 0; size <= 17; ++size) {
        codes[at++] = single(Add, size, 0);
    }
    for (int mode = 0; mode <= 8; ++mode) {
        codes[at++] = single(Copy, 0, mode);
        for (int size = 4; size <= 18; ++size) {
            codes[at++] = single(Copy, size, mode);
        }
    }
    for (int mode = 0; mode <= 5; ++mode) {
        for (int add = 1; add <= 4; ++add) {
            for (int copy = 4; copy <= 6; ++copy) {
                codes[at++] = pair(Add, add, 0, Copy, copy, mode);
            }
        }
    }
    for (int mode = 6; mode <= 8; ++mode) {
        for (int add = 1; add <= 4; ++add) {
            codes[at++] = pair(Add, add, 0, Copy, 4, mode);
        }
    }
    for (int mode = 0; mode <= 8; ++mode) {
        codes[at++] = pair(Copy, 4, mode, Add, 1, 0);
    }
    return codes;
}

constexpr std::array<Code, 256> DefaultCodes = makeDefaultCodes();

// Bytes not yet read of one section; every read checks what is left.
struct Cursor {
    const unsigned char* at;
    const unsigned char* end;

    std::size_t left() const { return static_cast<std::size_t>(end - at); }
    bool byte(std::uint8_t& value) {
        if (at == end) {
            return false;
        }
        value = *at++;
        return true;
    }
    // Seven bits a byte, most significant first, the top bit marking "more".
    bool integer(std::uint64_t& value) {
        value = 0;
        for (int count = 0; count < 10; ++count) {
            std::uint8_t b = 0;
            if (!byte(b) || value > (std::numeric_limits<std::uint64_t>::max() >> 7)) {
                return false;
            }
            value = value << 7 | (b & 0x7f);
            if ((b & 0x80) == 0) {
                return true;
            }
        }
        return false;
    }
    bool take(std::uint64_t count, Cursor& part) {
        if (count > left()) {
            return false;
        }
        part = {at, at + count};
        at += count;
        return true;
    }
};

struct AddressCache {
    std::uint64_t nearAddresses[NearSlots] = {};
    int nextNear = 0;
    std::uint64_t sameAddresses[SameSlots] = {};

    void remember(std::uint64_t address) {
        nearAddresses[nextNear] = address;
        nextNear = (nextNear + 1) % NearSlots;
        sameAddresses[address % SameSlots] = address;
    }
};

struct Failure {
    VcdiffStatus status;
    const char* message;
};

constexpr Failure Cut{VcdiffStatus::Malformed, "the delta ends inside a window"};

class WindowDecoder {
  public:
    WindowDecoder(unsigned char* window, std::uint64_t windowLength, VcdiffHeldBase& base,
                  std::uint64_t start, std::uint64_t segment)
        : out(window), length(windowLength), held(base), segmentStart(start),
          segmentLength(segment) {}

    // Null when the window was rebuilt and every section was used up.
    const Failure* run(Cursor data, Cursor instructions, Cursor addresses) {
        while (instructions.left() > 0) {
            std::uint8_t index = 0;
            instructions.byte(index);
            const Code& code = DefaultCodes[index];
            for (const Half& half : {code.first, code.second}) {
                if (half.type == Noop) {
                    continue;
                }
                std::uint64_t size = half.size;
                if (size == 0 && !instructions.integer(size)) {
                    return &Cut;
                }
                if (size > length - position) {
                    return &overrun;
                }
                if (const Failure* failed = perform(half, size, data, addresses)) {
                    return failed;
                }
                position += size;
            }
        }
        if (position != length || data.left() != 0 || addresses.left() != 0) {
            return &unused;
        }
        return nullptr;
    }

  private:
    const Failure* perform(const Half& half, std::uint64_t size, Cursor& data, Cursor& addresses) {
        Cursor bytes{};
        std::uint8_t value = 0;
        std::uint64_t address = 0;
        if (half.type == Add && !data.take(size, bytes)) {
            return &Cut;
        }
        if (half.type == Run && !data.byte(value)) {
            return &Cut;
        }
        if (half.type == Copy) {
            if (const Failure* failed = decodeAddress(half.mode, addresses, address)) {
                return failed;
            }
        }
        // An empty instruction touches no memory; an empty window has none.
        if (size == 0) {
            return nullptr;
        }
        unsigned char* target = out + position;
        if (half.type == Add) {
            std::memcpy(target, bytes.at, size);
            return nullptr;
        }
        if (half.type == Run) {
            std::memset(target, value, size);
            return nullptr;
        }
        if (address < segmentLength) {
            // A copy stays inside the segment or inside the window, never both.
            if (size > segmentLength - address) {
                return &straddles;
            }
            const unsigned char* from = held.bytes(segmentStart + address, size);
            if (from == nullptr) {
                return &unreadable;
            }
            std::memcpy(target, from, size);
            return nullptr;
        }
        // From the window rebuilt so far; it may run on into the bytes it makes,
        // which repeats the stretch between its start and here.
        const unsigned char* from = out + (address - segmentLength);
        const std::size_t period = static_cast<std::size_t>(target - from);
        if (size <= period) {
            std::memcpy(target, from, size);
            return nullptr;
        }
        std::memcpy(target, from, period);
        std::uint64_t done = period;
        while (done < size) {
            const std::uint64_t step = std::min(done, size - done);
            std::memcpy(target + done, target, step);
            done += step;
        }
        return nullptr;
    }

    const Failure* decodeAddress(std::uint8_t mode, Cursor& addresses, std::uint64_t& address) {
        const std::uint64_t here = segmentLength + position;
        std::uint64_t value = 0;
        if (mode >= 2 + NearSlots) {
            std::uint8_t b = 0;
            if (!addresses.byte(b)) {
                return &Cut;
            }
            address = cache.sameAddresses[(mode - 2 - NearSlots) * 256 + b];
        } else if (!addresses.integer(value)) {
            return &Cut;
        } else if (mode == 0) {
            address = value;
        } else if (mode == 1) {
            if (value > here) {
                return &badAddress;
            }
            address = here - value;
        } else {
            const std::uint64_t base = cache.nearAddresses[mode - 2];
            if (value > std::numeric_limits<std::uint64_t>::max() - base) {
                return &badAddress;
            }
            address = base + value;
        }
        // Only what is already known may be copied.
        if (address >= here) {
            return &badAddress;
        }
        cache.remember(address);
        return nullptr;
    }

    static constexpr Failure overrun{VcdiffStatus::Malformed,
                                     "an instruction runs past the end of its window"};
    static constexpr Failure unused{VcdiffStatus::Malformed,
                                    "a window's instructions do not fill it exactly"};
    static constexpr Failure straddles{VcdiffStatus::Malformed,
                                       "a copy runs past the end of the base segment"};
    static constexpr Failure badAddress{VcdiffStatus::Malformed,
                                        "a copy's address is not one already known"};
    static constexpr Failure unreadable{VcdiffStatus::SourceFailed, "the base cannot be read"};

    unsigned char* out;
    std::uint64_t length;
    std::uint64_t position = 0;
    VcdiffHeldBase& held;
    std::uint64_t segmentStart;
    std::uint64_t segmentLength;
    AddressCache cache;
};

VcdiffResult failed(VcdiffStatus status, std::string message, std::uint64_t written) {
    return {status, std::move(message), written};
}

} // namespace

bool VcdiffFileSource::read(std::uint64_t offset, unsigned char* data, std::size_t size) {
    return file != nullptr && offset <= length && size <= length - offset &&
           file->seek(static_cast<std::int64_t>(offset)) && file->read(data, size) == size;
}

void VcdiffHeldBase::attach(VcdiffSource* base) {
    source = base;
    length = base != nullptr ? base->size() : 0;
    held.reset();
}

bool VcdiffHeldBase::reserve(std::uint64_t bytes) {
    const std::uint64_t wanted = std::max(length, bytes);
    if (wanted > capacity) {
        memory.reset(new (std::nothrow) unsigned char[wanted]);
        capacity = memory ? wanted : 0;
    }
    return memory != nullptr;
}

const unsigned char* VcdiffHeldBase::bytes(std::uint64_t offset, std::size_t size) {
    const std::size_t last = static_cast<std::size_t>((offset + size - 1) / BlockBytes);
    for (std::size_t block = static_cast<std::size_t>(offset / BlockBytes); block <= last;) {
        if (held[block]) {
            ++block;
            continue;
        }
        // Blocks not held yet next to each other come in one read.
        const std::size_t blocks = static_cast<std::size_t>((length + BlockBytes - 1) / BlockBytes);
        std::size_t end = block + 1;
        while (end < blocks && !held[end] && (end <= last || end - block < ReadBlocks)) {
            ++end;
        }
        const std::uint64_t from = std::uint64_t{block} * BlockBytes;
        const std::uint64_t to = std::min<std::uint64_t>(std::uint64_t{end} * BlockBytes, length);
        if (!source->read(from, memory.get() + from, static_cast<std::size_t>(to - from))) {
            return nullptr;
        }
        for (; block < end; ++block) {
            held.set(block);
        }
    }
    return memory.get() + offset;
}

bool VcdiffFileSink::write(const unsigned char* data, std::size_t size) {
    return file.write(data, size);
}

bool VcdiffDecoder::reserve(std::uint64_t windowBytes, std::uint64_t baseBytes) {
    windowBytes = std::min(windowBytes, VcdiffMaxWindowBytes);
    if (windowBytes > capacity) {
        window.reset(new (std::nothrow) unsigned char[windowBytes]);
        capacity = window ? windowBytes : 0;
    }
    return window != nullptr && held.reserve(std::min(baseBytes, VcdiffMaxBaseBytes));
}

VcdiffResult decodeVcdiff(const unsigned char* delta, std::size_t deltaSize, VcdiffSource* source,
                          VcdiffSink& sink, std::uint64_t maxTargetBytes) {
    return VcdiffDecoder().decode(delta, deltaSize, source, sink, maxTargetBytes);
}

VcdiffResult VcdiffDecoder::decode(const unsigned char* delta, std::size_t deltaSize,
                                   VcdiffSource* source, VcdiffSink& sink,
                                   std::uint64_t maxTargetBytes) {
    Cursor input{delta, delta + deltaSize};
    static const unsigned char magic[4] = {0xd6, 0xc3, 0xc4, 0x00};
    Cursor head{};
    if (!input.take(4, head) || std::memcmp(head.at, magic, 4) != 0) {
        return failed(VcdiffStatus::Malformed, "not a VCDIFF delta", 0);
    }
    std::uint8_t indicator = 0;
    if (!input.byte(indicator)) {
        return failed(VcdiffStatus::Malformed, "the delta's header is cut short", 0);
    }
    if ((indicator & HeaderSecondary) != 0) {
        return failed(VcdiffStatus::Unsupported,
                      "the delta uses secondary compression (VCD_DECOMPRESS), which is not "
                      "supported: make it with xdelta3 -S none",
                      0);
    }
    if ((indicator & HeaderCodeTable) != 0) {
        return failed(VcdiffStatus::Unsupported,
                      "the delta brings its own code table (VCD_CODETABLE), which is not supported",
                      0);
    }
    if ((indicator & ~(HeaderAppData)) != 0) {
        return failed(VcdiffStatus::Malformed, "the delta's header has unknown flags", 0);
    }
    if ((indicator & HeaderAppData) != 0) {
        std::uint64_t count = 0;
        Cursor skipped{};
        if (!input.integer(count) || !input.take(count, skipped)) {
            return failed(VcdiffStatus::Malformed, "the delta's header is cut short", 0);
        }
    }

    held.attach(source);
    std::uint64_t written = 0;
    while (input.left() > 0) {
        std::uint8_t flags = 0;
        input.byte(flags);
        if ((flags & ~(WindowSource | WindowTarget | WindowAdler32)) != 0 ||
            (flags & (WindowSource | WindowTarget)) == (WindowSource | WindowTarget)) {
            return failed(VcdiffStatus::Malformed, "a window has unknown flags", written);
        }
        if ((flags & WindowTarget) != 0) {
            return failed(VcdiffStatus::Unsupported,
                          "a window copies from the new file itself (VCD_TARGET), which is not "
                          "supported",
                          written);
        }
        std::uint64_t segmentLength = 0;
        std::uint64_t segmentStart = 0;
        if ((flags & WindowSource) != 0) {
            if (!input.integer(segmentLength) || !input.integer(segmentStart)) {
                return failed(Cut.status, Cut.message, written);
            }
            const std::uint64_t baseSize = source != nullptr ? source->size() : 0;
            if (segmentStart > baseSize || segmentLength > baseSize - segmentStart) {
                return failed(VcdiffStatus::Malformed,
                              "a window's base segment lies outside the base", written);
            }
            if (segmentLength > 0 && baseSize > VcdiffMaxBaseBytes) {
                return failed(VcdiffStatus::Unsupported,
                              "the delta copies from a base larger than 32 MiB", written);
            }
            if (segmentLength > 0 && !held.reserve()) {
                return failed(VcdiffStatus::WriteFailed, "out of memory", written);
            }
        }
        std::uint64_t encodingLength = 0;
        Cursor encoding{};
        if (!input.integer(encodingLength) || !input.take(encodingLength, encoding)) {
            return failed(Cut.status, Cut.message, written);
        }
        std::uint64_t length = 0;
        std::uint8_t compressed = 0;
        std::uint64_t sizes[3] = {};
        if (!encoding.integer(length) || !encoding.byte(compressed) ||
            !encoding.integer(sizes[0]) || !encoding.integer(sizes[1]) ||
            !encoding.integer(sizes[2])) {
            return failed(Cut.status, Cut.message, written);
        }
        if (length > VcdiffMaxWindowBytes) {
            return failed(VcdiffStatus::Malformed, "a window is larger than 16 MiB", written);
        }
        if (length > maxTargetBytes - written) {
            return failed(VcdiffStatus::Malformed, "the delta makes a file larger than expected",
                          written);
        }
        if (compressed != 0) {
            return failed(VcdiffStatus::Malformed, "a window's sections are marked compressed",
                          written);
        }
        Cursor checksum{};
        if ((flags & WindowAdler32) != 0 && !encoding.take(4, checksum)) {
            return failed(Cut.status, Cut.message, written);
        }
        Cursor data{};
        Cursor instructions{};
        Cursor addresses{};
        if (!encoding.take(sizes[0], data) || !encoding.take(sizes[1], instructions) ||
            !encoding.take(sizes[2], addresses) || encoding.left() != 0) {
            return failed(VcdiffStatus::Malformed, "a window's sections do not fill its length",
                          written);
        }

        if (length > capacity) {
            window.reset(new (std::nothrow) unsigned char[length]);
            capacity = window ? length : 0;
            if (!window) {
                return failed(VcdiffStatus::WriteFailed, "out of memory", written);
            }
        }
        WindowDecoder decoder(window.get(), length, held, segmentStart, segmentLength);
        if (const Failure* failure = decoder.run(data, instructions, addresses)) {
            return failed(failure->status, failure->message, written);
        }
        if (checksum.at != nullptr && checkWindowSums) {
            const std::uint32_t expected = static_cast<std::uint32_t>(checksum.at[0]) << 24 |
                                           static_cast<std::uint32_t>(checksum.at[1]) << 16 |
                                           static_cast<std::uint32_t>(checksum.at[2]) << 8 |
                                           checksum.at[3];
            const uLong actual =
                adler32(adler32(0, nullptr, 0), window.get(), static_cast<uInt>(length));
            if (actual != expected) {
                return failed(VcdiffStatus::Malformed, "a window's checksum does not match",
                              written);
            }
        }
        if (length > 0 && !sink.write(window.get(), static_cast<std::size_t>(length))) {
            return failed(VcdiffStatus::WriteFailed, "the new file cannot be written", written);
        }
        written += length;
    }
    return {VcdiffStatus::Done, {}, written};
}
