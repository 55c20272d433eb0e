// Decoding VCDIFF deltas (RFC 3284), the format xdelta3 writes: each window of the
// new file is rebuilt from bytes carried in the delta, runs, and copies out of a
// segment of the base or of the window itself. Deltas arrive in a download, so
// every count is checked against what holds it before it is used, memory is
// bounded by the window and base limits, each part of the base is read at most
// once whatever order the copies come in, and each instruction consumes input: a
// hostile delta ends in an error, never in a read out of bounds, a huge
// allocation, a loop without end or a cost out of proportion to what it makes.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/file_io.h"

// The base a delta copies from, read at any offset.
class VcdiffSource {
  public:
    virtual ~VcdiffSource() = default;
    virtual std::uint64_t size() const = 0;
    // Exactly size bytes at offset; false when they cannot be read.
    virtual bool read(std::uint64_t offset, unsigned char* data, std::size_t size) = 0;
};

// Where the new file goes, front to back.
class VcdiffSink {
  public:
    virtual ~VcdiffSink() = default;
    virtual bool write(const unsigned char* data, std::size_t size) = 0;
};

// A base file, read where the decoder asks; the stream's position is the
// source's own. One source can serve file after file (attach).
class VcdiffFileSource final : public VcdiffSource {
  public:
    VcdiffFileSource() = default;
    VcdiffFileSource(File& stream, std::uint64_t size) { attach(&stream, size); }
    void attach(File* stream, std::uint64_t size) {
        file = stream;
        length = size;
    }
    std::uint64_t size() const override { return length; }
    bool read(std::uint64_t offset, unsigned char* data, std::size_t size) override;

  private:
    File* file = nullptr;
    std::uint64_t length = 0;
};

// A file written in order.
class VcdiffFileSink final : public VcdiffSink {
  public:
    explicit VcdiffFileSink(File& stream) : file(stream) {}
    bool write(const unsigned char* data, std::size_t size) override;

  private:
    File& file;
};

enum class VcdiffStatus {
    Done,
    Malformed,    // not a delta, or one that breaks its own bounds or checksum
    Unsupported,  // a sound delta using what this decoder refuses
    SourceFailed, // the base could not be read
    WriteFailed,  // the sink refused bytes
};

struct VcdiffResult {
    VcdiffStatus status = VcdiffStatus::Done;
    std::string message; // empty when Done
    std::uint64_t written = 0;
};

// No window may rebuild more than this: xdelta3 writes at most 16 MiB a window,
// and the decoder holds one window in memory.
inline constexpr std::uint64_t VcdiffMaxWindowBytes = std::uint64_t{16} << 20;
// No delta may copy from a base larger than this: the decoder holds what it has
// read of the base, so that copies jumping to and fro read no block of it twice.
inline constexpr std::uint64_t VcdiffMaxBaseBytes = std::uint64_t{32} << 20;

// The base as far as a delta has read it, in blocks each read once.
class VcdiffHeldBase {
  public:
    void attach(VcdiffSource* base);
    // Room to hold the whole base (or bytes, when more); false when there is none.
    bool reserve(std::uint64_t bytes = 0);
    // The base's bytes [offset, offset + size), read where not held yet; null when
    // they cannot be read. The range lies inside the base.
    const unsigned char* bytes(std::uint64_t offset, std::size_t size);

  private:
    static constexpr std::size_t BlockBytes = std::size_t{64} << 10;
    // Blocks not held yet that follow the ones asked for come in the same read, up
    // to this many in all: copies mostly walk the base front to back.
    static constexpr std::size_t ReadBlocks = 16;

    VcdiffSource* source = nullptr;
    std::uint64_t length = 0;
    std::unique_ptr<unsigned char[]> memory;
    std::uint64_t capacity = 0;
    std::bitset<VcdiffMaxBaseBytes / BlockBytes> held;
};

// Decodes delta after delta, keeping the memory of its largest window and base
// for the next, so that a run of files does not fault in fresh pages for each.
class VcdiffDecoder {
  public:
    // Whether the window checksum xdelta3 adds is checked where present. A caller
    // that checks a digest of the whole result may leave it: the digest catches
    // every byte the checksum would.
    bool checkWindowSums = true;

    // Room, ahead, for windows and bases of up to these sizes: a run of deltas
    // then takes its memory once, not again each time one is larger. False when
    // there is none (decoding still asks for what it needs).
    bool reserve(std::uint64_t windowBytes, std::uint64_t baseBytes);
    // Decodes delta into sink; source may be null for a delta that copies from no
    // base. More than maxTargetBytes of output is an error before any of it is
    // written.
    VcdiffResult decode(const unsigned char* delta, std::size_t deltaSize, VcdiffSource* source,
                        VcdiffSink& sink, std::uint64_t maxTargetBytes);

  private:
    std::unique_ptr<unsigned char[]> window;
    std::uint64_t capacity = 0;
    VcdiffHeldBase held;
};

// One delta, with the window checksums checked.
VcdiffResult decodeVcdiff(const unsigned char* delta, std::size_t deltaSize, VcdiffSource* source,
                          VcdiffSink& sink, std::uint64_t maxTargetBytes);
