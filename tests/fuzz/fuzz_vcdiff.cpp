// decodeVcdiff over arbitrary deltas against a fixed base: it must never read
// outside the base, never write past its limit, and always end.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fixed_base.h"
#include "update/vcdiff.h"

namespace {

constexpr std::uint64_t Limit = std::uint64_t{1} << 20;
const std::string Base = fixedBase();

class FixedBase final : public VcdiffSource {
  public:
    std::uint64_t size() const override { return Base.size(); }
    bool read(std::uint64_t offset, unsigned char* data, std::size_t count) override {
        if (offset > Base.size() || count > Base.size() - offset) {
            std::abort(); // the decoder asked for bytes outside the segment it checked
        }
        std::copy_n(Base.begin() + static_cast<std::ptrdiff_t>(offset), count, data);
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
