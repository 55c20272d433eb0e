// decodeVcdiff over arbitrary deltas against a fixed base: it must never read
// outside the base, never write past its limit, and always end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "update/vcdiff.h"

namespace {

// The seeds are xdelta3 deltas against this base.
constexpr std::size_t BaseBytes = 8192;
constexpr std::uint64_t Limit = std::uint64_t{1} << 20;

unsigned char baseByte(std::size_t i) {
    return static_cast<unsigned char>(i * 131 + (i >> 7));
}

class FixedBase final : public VcdiffSource {
  public:
    std::uint64_t size() const override { return BaseBytes; }
    bool read(std::uint64_t offset, unsigned char* data, std::size_t count) override {
        if (offset > BaseBytes || count > BaseBytes - offset) {
            std::abort(); // the decoder asked for bytes outside the segment it checked
        }
        for (std::size_t i = 0; i < count; ++i) {
            data[i] = baseByte(static_cast<std::size_t>(offset) + i);
        }
        return true;
    }
};

class CountingSink final : public VcdiffSink {
  public:
    bool write(const unsigned char* data, std::size_t size) override {
        if (data == nullptr && size > 0) {
            std::abort();
        }
        total += size;
        return true;
    }
    std::uint64_t total = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FixedBase base;
    CountingSink sink;
    const VcdiffResult result = decodeVcdiff(data, size, &base, sink, Limit);
    if (sink.total > Limit || result.written != sink.total ||
        (result.status == VcdiffStatus::Done) != result.message.empty()) {
        std::abort();
    }
    return 0;
}
