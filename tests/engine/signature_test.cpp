#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/signature.h"
#include "update/digest.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes sequence(const Bytes& r, const Bytes& s) {
    Bytes der = {0x30, static_cast<unsigned char>(4 + r.size() + s.size())};
    for (const Bytes* number : {&r, &s}) {
        der.insert(der.end(), {0x02, static_cast<unsigned char>(number->size())});
        der.insert(der.end(), number->begin(), number->end());
    }
    return der;
}

// BCrypt takes r and s as two right-aligned 32-byte numbers.
TEST(Signature, DerFormBecomesTwoRightAlignedNumbers) {
    Bytes full(32, 0x11);
    Bytes padded = {0x00, 0x80};
    padded.resize(33, 0x22);
    RawEcSignature raw{};
    Bytes der = sequence(padded, {0x05});
    ASSERT_TRUE(derToRawSignature(der.data(), der.size(), raw));
    EXPECT_EQ(raw[0], 0x80);
    EXPECT_EQ(raw[31], 0x22);
    EXPECT_EQ(raw[62], 0x00);
    EXPECT_EQ(raw[63], 0x05);

    const std::vector<std::pair<const char*, Bytes>> refused = {
        {"negative", sequence({0x80}, full)},
        {"needless zero", sequence({0x00, 0x7f}, full)},
        {"too long", sequence(Bytes(33, 0x01), full)},
        {"empty number", sequence({}, full)},
        {"one number", Bytes{0x30, 0x03, 0x02, 0x01, 0x01}},
        {"bytes after the numbers", Bytes{0x30, 0x07, 0x02, 0x01, 0x01, 0x02, 0x01, 0x01, 0x00}},
        {"length beyond the end", Bytes{0x30, 0x06, 0x02, 0x01, 0x01, 0x02, 0x09, 0x01}},
        {"not a sequence", Bytes{0x31, 0x06, 0x02, 0x01, 0x01, 0x02, 0x01, 0x01}},
    };
    for (const auto& [name, bytes] : refused) {
        EXPECT_FALSE(derToRawSignature(bytes.data(), bytes.size(), raw)) << name;
    }
}

TEST(DigestFile, ReadsSha256sumLinesAndRefusesAmbiguity) {
    const std::string a(64, 'a'), b(64, 'B');
    const auto two = parseDigestFile(a + "  update.dat\r\n" + b + " *readme_eng.txt\n");
    ASSERT_TRUE(two.has_value());
    EXPECT_EQ(two->size(), 2u);
    EXPECT_EQ(two->at("readme_eng.txt")[0], 0xbb);
    EXPECT_TRUE(parseDigestFile(a + "  update.dat").has_value()); // no final newline
    for (const std::string& bad :
         {std::string(), a + "  update.dat\n" + b + "  update.dat\n", a + "  update.dat\n\n",
          a + "x update.dat\n", a.substr(1) + "  update.dat\n", a + "  \n",
          a + "  update.dat\r\r\n", a + "  update\t.dat\n"}) {
        EXPECT_FALSE(parseDigestFile(bad).has_value()) << bad;
    }
}

} // namespace
