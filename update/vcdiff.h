// Decoding VCDIFF deltas (RFC 3284), the format xdelta3 writes: each window of the
// new file is rebuilt from bytes carried in the delta, runs, and copies out of a
// segment of the base or of the window itself. Deltas arrive in a download, so
// every count is checked against what holds it before it is used, memory is
// bounded by the window limit, and each instruction consumes input: a hostile
// delta ends in an error, never in a read out of bounds, a huge allocation or a
// loop without end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

class Sha256;

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

// A base file through a small cache of blocks: the copies of a delta mostly walk
// the base forwards in short steps, which would otherwise cost a seek and a read
// each. The stream's position is the source's own.
class VcdiffFileSource final : public VcdiffSource {
  public:
    VcdiffFileSource(std::FILE* stream, std::uint64_t size);
    ~VcdiffFileSource() override;
    std::uint64_t size() const override { return length; }
    bool read(std::uint64_t offset, unsigned char* data, std::size_t size) override;

  private:
    bool load(std::size_t slot, std::uint64_t block);

    std::FILE* file;
    std::uint64_t length;
    std::unique_ptr<unsigned char[]> blocks;
    std::unique_ptr<std::uint64_t[]> held; // the block each slot holds, or none
};

// A stream written in order, each byte hashed as it goes when hash is given.
class VcdiffFileSink final : public VcdiffSink {
  public:
    explicit VcdiffFileSink(std::FILE* stream, Sha256* digest = nullptr)
        : file(stream), hash(digest) {}
    bool write(const unsigned char* data, std::size_t size) override;

  private:
    std::FILE* file;
    Sha256* hash;
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

// Decodes delta into sink; source may be null for a delta that copies from no
// base. More than maxTargetBytes of output is an error before any of it is
// written. The window checksum xdelta3 adds is checked where present.
VcdiffResult decodeVcdiff(const unsigned char* delta, std::size_t deltaSize, VcdiffSource* source,
                          VcdiffSink& sink, std::uint64_t maxTargetBytes);
