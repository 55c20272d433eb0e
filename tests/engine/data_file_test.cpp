#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "datafile/data_file.h"
#include "datafile/directory.h"
#include "tests/temp_folder.h"

namespace {

class DataFileTest : public ::testing::Test {
  protected:
    TempFolder folder;
    Directory directory; // the scratch folder, captured as it is made current
    DataFile file;
    std::int32_t value = 0;

    std::string runOutput(const std::vector<std::uint8_t>& bytes) {
        EXPECT_TRUE(file.open(directory, "run.bin", LittleEndian, BinaryWrite));
        for (std::uint8_t b : bytes) {
            EXPECT_TRUE(file.queueByte(b));
        }
        file.close();
        return readFile("run.bin");
    }
};

// Short bitmaps are refused by the font tests; a short number at the very end is not
// met there.
TEST_F(DataFileTest, ReadsValuesInEitherByteOrderAndReportsShortReads) {
    writeFile("arial_14.fnt", std::string("\x00\x00\x01\x02\xAA\xBB", 6));
    // Files are opened in the folder captured at start, wherever the program is now.
    fs::current_path("/");
    for (std::uint8_t order : {LittleEndian, BigEndian}) {
        ASSERT_TRUE(file.open(directory, "arial_14.fnt", order, BinaryRead));
        ASSERT_TRUE(file.readInt32(value));
        EXPECT_EQ(value, order == LittleEndian ? 0x02010000 : 258);
        EXPECT_FALSE(file.readInt32(value));
        EXPECT_TRUE(file.readBytes(&value, 0)) << "a glyph of no rows reads nothing";
        file.close();
    }
}

TEST_F(DataFileTest, RefusesModesAndOperationsThatDoNotFitButNoLongFolder) {
    writeFile("a.bin", "abcd");
    char buffer[4];
    EXPECT_FALSE(file.open(directory, "a.bin", LittleEndian, 5));
    EXPECT_FALSE(file.readInt32(value));
    EXPECT_FALSE(file.open(directory, "created.bin", BigEndian, BinaryAppend));
    EXPECT_FALSE(file.writeByte('x'));

    for (std::int32_t mode : {TextRead, TextWrite, BinaryRead}) {
        ASSERT_TRUE(file.open(directory, mode == TextWrite ? "t.txt" : "a.bin", 0, mode));
        EXPECT_FALSE(file.writeByte('x') || file.queueByte('x')) << mode;
        EXPECT_EQ(mode == BinaryRead, file.readInt32(value) || file.readBytes(buffer, 1)) << mode;
        file.close();
    }
    EXPECT_EQ(readFile("a.bin"), "abcd");

    // Append mode takes single bytes but never a run.
    ASSERT_TRUE(file.open(directory, "append.bin", LittleEndian, BinaryAppend));
    EXPECT_FALSE(file.queueByte(0x41));
    EXPECT_TRUE(file.writeByte(0x42));
    file.close();
    EXPECT_EQ(readFile("append.bin"), "\x42");

    // A folder deeper than any fixed-size area for a path once was.
    fs::path deep = folder.path();
    while (deep.string().size() < 500) {
        deep /= std::string(60, 'd');
    }
    fs::create_directories(deep);
    fs::current_path(deep);
    Directory there;
    EXPECT_EQ(there.path(), deep.string());
    EXPECT_TRUE(file.open(there, std::string(200, 'n').c_str(), LittleEndian, BinaryWrite));
}

TEST_F(DataFileTest, PendingRunIsWrittenInRunLengthCodeInItsPlaceAndItsFile) {
    EXPECT_EQ(runOutput({}), "");
    EXPECT_EQ(runOutput(std::vector<std::uint8_t>(63, 0x00)), std::string("\xFF\x00", 2));
    // The 64th byte starts a new run: a count cannot exceed six bits.
    EXPECT_EQ(runOutput(std::vector<std::uint8_t>(64, 0x00)), std::string("\xFF\x00\x00", 3));
    EXPECT_EQ(runOutput({0x41, 0x41, 0x42, 0xC0, 0x42}), "\xC2\x41\x42\xC1\xC0\x42");

    // A byte written outright goes after the run queued before it.
    ASSERT_TRUE(file.open(directory, "mixed.bin", LittleEndian, BinaryWrite));
    file.queueByte('A');
    file.queueByte('A');
    EXPECT_TRUE(file.writeByte('B'));
    for (int i = 0; i < 3; ++i) {
        file.queueByte('C');
    }
    // Opened again, in append mode, without a close: the run belongs to the
    // first file and must not be lost or carried over.
    writeFile("append.bin", "xy");
    ASSERT_TRUE(file.open(directory, "append.bin", LittleEndian, BinaryAppend));
    EXPECT_EQ(readFile("mixed.bin"), "\xC2\x41\x42\xC3\x43");
    EXPECT_TRUE(file.writeByte('z'));
    file.close();
    EXPECT_EQ(readFile("append.bin"), "xyz");
}

} // namespace
