#include <cstdint>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <utility>

#include "tests/temp_folder.h"
#include "update/vcdiff.h"

namespace {

// A decode against a base held in memory, which it must never read outside of; an
// empty base is none. What it wrote, what it read of the base, and what the
// decoder said of it.
struct Decoded final : VcdiffSource, VcdiffSink {
    std::uint64_t size() const override { return base.size(); }
    bool read(std::uint64_t offset, unsigned char* data, std::size_t count) override {
        const bool inside = offset <= base.size() && count <= base.size() - offset;
        EXPECT_TRUE(inside) << "read outside the base: " << offset << "+" << count;
        ++reads;
        bytesRead += count;
        return inside && base.copy(reinterpret_cast<char*>(data), count, offset) == count;
    }
    bool write(const unsigned char* data, std::size_t count) override {
        bytes.append(reinterpret_cast<const char*>(data), count);
        return true;
    }
    std::string base, bytes;
    std::uint64_t reads = 0, bytesRead = 0;
    VcdiffResult result;
};

Decoded decode(const std::string& delta, const std::string& base,
               std::uint64_t limit = std::uint64_t{1} << 40) {
    Decoded decoded;
    decoded.base = base;
    decoded.result = decodeVcdiff(reinterpret_cast<const unsigned char*>(delta.data()),
                                  delta.size(), base.empty() ? nullptr : &decoded, decoded, limit);
    EXPECT_EQ(decoded.result.written, decoded.bytes.size());
    return decoded;
}

const std::string Header("\xd6\xc3\xc4\x00\x00", 5);
// Codes of the default table: an add or a copy (addressed from the start) whose
// size follows.
constexpr char AddSized = 1, CopySized = 19;

std::string integer(std::uint64_t value) {
    std::string bytes(1, static_cast<char>(value & 0x7f));
    while ((value >>= 7) != 0) {
        bytes.insert(bytes.begin(), static_cast<char>(0x80 | (value & 0x7f)));
    }
    return bytes;
}

// A window made by hand; a segment of length 0 is none.
std::string window(std::uint64_t segmentLength, std::uint64_t segmentStart, std::uint64_t length,
                   const std::string& data, const std::string& instructions,
                   const std::string& addresses) {
    const std::string body = integer(length) + '\0' + integer(data.size()) +
                             integer(instructions.size()) + integer(addresses.size()) + data +
                             instructions + addresses;
    const std::string segment = segmentLength > 0
                                    ? '\x01' + integer(segmentLength) + integer(segmentStart)
                                    : std::string(1, '\0');
    return segment + integer(body.size()) + body;
}

// xdelta3 as the publisher runs it, with extra options; an empty base: no source.
std::string xdelta(const std::string& base, const std::string& target,
                   const std::string& options = "") {
    writeFile("base", base);
    writeFile("target", target);
    const std::string source = base.empty() ? "" : " -s base";
    const std::string command =
        "xdelta3 -e -9 -S none -A -f " + options + source + " target delta 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return readFile("delta");
}

// A table of records with some changed and some appended, as a data update makes.
std::string edited(const std::string& base, unsigned seed) {
    std::string result = base;
    const std::string noise = patternBytes(base.size() / 20 + 64, seed);
    for (std::size_t at = 0, n = 0; at + 40 < result.size(); at += 997 + (n++ % 13) * 211) {
        result.replace(at, 24, noise, (at / 7) % (noise.size() - 24), 24);
    }
    return result + noise.substr(0, noise.size() / 3);
}

struct VcdiffTest : ::testing::Test {
    TempFolder folder;
};

// The worked example of RFC 3284: a copy from the source, an add paired with a
// copy through the near cache, a copy relative to here that runs on into the
// bytes it makes, and a run.
TEST_F(VcdiffTest, DecodesTheWorkedExample) {
    const std::string base = "abcdefghijklmnop";
    const std::string delta = std::string("\xd6\xc3\xc4\x00\x00", 5) +
                              std::string("\x01\x10\x00\x12\x1c\x00\x05\x05\x03", 9) + "wxyzz" +
                              std::string("\x14\xc4\x2c\x00\x04", 5) +
                              std::string("\x00\x04\x04", 3);
    const Decoded decoded = decode(delta, base);
    EXPECT_EQ(decoded.result.status, VcdiffStatus::Done) << decoded.result.message;
    EXPECT_EQ(decoded.bytes, "abcdwxyzefghefghefghefghzzzz");

    const Decoded empty = decode(Header + window(0, 0, 0, "", {AddSized, 0}, ""), base);
    EXPECT_EQ(empty.result.status, VcdiffStatus::Done) << empty.result.message;
    EXPECT_TRUE(empty.bytes.empty());
}

TEST_F(VcdiffTest, DecodesWhatXdelta3Writes) {
    const std::string base = patternBytes(1536 << 10, 1);
    const std::string target = edited(base, 2);
    const struct {
        const char* name;
        std::string base, options, target;
    } cases[] = {
        {"one base, default windows", base, "", target},
        {"many small windows", base, "-W 65536", target},
        {"a base larger than xdelta3's source window", base, "-B 524288 -W 65536", target},
        {"no base", "", "", target},
        {"an empty result", base, "", ""},
    };
    for (const auto& c : cases) {
        const Decoded decoded = decode(xdelta(c.base, c.target, c.options), c.base);
        EXPECT_EQ(decoded.result.status, VcdiffStatus::Done)
            << c.name << ": " << decoded.result.message;
        EXPECT_TRUE(decoded.bytes == c.target) << c.name;
    }
}

TEST_F(VcdiffTest, RefusesWhatItDoesNotDecode) {
    const std::string base = patternBytes(200000, 3);
    const std::string target = edited(base, 4);
    std::string codeTable = xdelta(base, target), fromTarget = codeTable;
    codeTable[4] = 0x02;
    fromTarget[5] = 0x02 | 0x04;
    // xdelta3 -S djw marks the header even where it compresses no section.
    for (const auto& [delta, flag] :
         {std::pair{xdelta(base, target, "-S djw"), "VCD_DECOMPRESS"},
          std::pair{codeTable, "VCD_CODETABLE"}, std::pair{fromTarget, "VCD_TARGET"}}) {
        const Decoded decoded = decode(delta, base);
        EXPECT_EQ(decoded.result.status, VcdiffStatus::Unsupported) << flag;
        EXPECT_NE(decoded.result.message.find(flag), std::string::npos) << decoded.result.message;
        EXPECT_TRUE(decoded.bytes.empty()) << flag;
    }
    const Decoded large = decode(Header + window(1, 0, 1, "", {CopySized, 1}, integer(0)),
                                 std::string(VcdiffMaxBaseBytes + 1, 'b'));
    EXPECT_EQ(large.result.status, VcdiffStatus::Unsupported);
    EXPECT_EQ(large.reads, 0u);
}

// Copies of two bytes that jump between places a mebibyte apart, within a window
// and from window to window, as a hostile delta makes them: the base is still read
// once at most, in few reads.
TEST_F(VcdiffTest, JumpingCopiesReadTheBaseOnce) {
    const std::string base = patternBytes(std::size_t{5} << 19, 7);
    std::string instructions, addresses, target;
    for (std::uint64_t i = 0; i < 20000; ++i) {
        const std::uint64_t at = i % 2 == 0 ? i : (1 << 20) + i;
        instructions += {CopySized, 2};
        addresses += integer(at);
        target += base.substr(at, 2);
    }
    std::string delta = Header + window(base.size(), 0, target.size(), "", instructions, addresses);
    for (std::uint64_t i = 0; i < 1000; ++i) {
        const std::uint64_t start = i % 2 == 0 ? 0 : 2 << 20;
        delta += window(2, start, 2, "", {CopySized, 2}, integer(0));
        target += base.substr(start, 2);
    }
    const Decoded decoded = decode(delta, base);
    EXPECT_EQ(decoded.result.status, VcdiffStatus::Done) << decoded.result.message;
    EXPECT_TRUE(decoded.bytes == target);
    EXPECT_LE(decoded.bytesRead, base.size());
    EXPECT_LE(decoded.reads, 40u);
}

// Every cut and every changed byte of a delta ends in an error or a result that
// the caller's size check tells apart: never a read outside the base, never more
// than the limit.
TEST_F(VcdiffTest, DamagedDeltasFailWithinBounds) {
    const std::string base = patternBytes(40000, 5);
    const std::string target = edited(base, 6);
    const std::string delta = xdelta(base, target, "-W 16384");
    for (std::size_t cut = 0; cut < delta.size(); ++cut) {
        const Decoded decoded = decode(delta.substr(0, cut), base);
        EXPECT_TRUE(decoded.result.status != VcdiffStatus::Done ||
                    decoded.bytes.size() < target.size())
            << cut;
        EXPECT_EQ(decoded.bytes, target.substr(0, decoded.bytes.size())) << cut;
    }
    // Some changes still decode (a wider base segment than needed): the point is
    // that none reads outside the base or goes past the limit.
    for (std::size_t at = 5; at < delta.size(); ++at) {
        std::string changed = delta;
        changed[at] = static_cast<char>(changed[at] ^ 0x5a);
        EXPECT_LE(decode(changed, base, target.size()).bytes.size(), target.size()) << at;
    }
    const Decoded limited = decode(delta, base, target.size() - 1);
    EXPECT_EQ(limited.result.status, VcdiffStatus::Malformed);
    EXPECT_LT(limited.bytes.size(), target.size());

    // A changed added byte breaks no bound: xdelta3's window checksum is what
    // catches it, before the window is written.
    const std::string small = "abcdefghijklmnop";
    std::string added = xdelta(small, "abcdwxyzefghefghefghefghzzzz");
    ASSERT_NE(added.find("wxyz"), std::string::npos);
    added[added.find("wxyz")] = 'W';
    const Decoded summed = decode(added, small);
    EXPECT_EQ(summed.result.status, VcdiffStatus::Malformed);
    EXPECT_NE(summed.result.message.find("checksum"), std::string::npos);
    EXPECT_TRUE(summed.bytes.empty());

    // A copy from the window's bytes not yet made.
    const Decoded ahead = decode(
        Header + window(0, 0, 8, "abcdef", {AddSized, 4, CopySized, 2, AddSized, 2}, integer(5)),
        "");
    EXPECT_EQ(ahead.result.status, VcdiffStatus::Malformed);
    EXPECT_NE(ahead.result.message.find("address"), std::string::npos);
}

} // namespace
