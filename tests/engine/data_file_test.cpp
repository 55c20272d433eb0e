#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "datafile/data_file.h"
#include "datafile/directory.h"
#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {

TEST(Directory, CapturesTheCurrentFolderOnce) {
    TempFolder folder;
    Directory directory;
    EXPECT_EQ(fs::path(directory.path()), fs::current_path());
    fs::current_path("/");
    EXPECT_EQ(fs::path(directory.path()), folder.path());

    // At the root the separator is dropped, so joining adds exactly one.
    Directory root;
    EXPECT_STREQ(root.path(), "");
    fs::current_path(folder.path());
}

TEST(DataFile, ReadsValuesInEitherByteOrderAndReportsShortReads) {
    TempFolder folder;
    writeFile("arial_14.fnt", std::string("\x00\x00\x01\x02\xAA\xBB", 6));
    Directory directory;
    DataFile file;
    std::int32_t value = 0;

    ASSERT_TRUE(file.open(directory, "arial_14.fnt", LittleEndian, BinaryRead));
    ASSERT_TRUE(file.readInt32(value));
    EXPECT_EQ(value, 0x02010000);
    EXPECT_FALSE(file.readInt32(value));
    file.close();

    ASSERT_TRUE(file.open(directory, "arial_14.fnt", BigEndian, BinaryRead));
    ASSERT_TRUE(file.readInt32(value));
    EXPECT_EQ(value, 258);
    file.close();

    ASSERT_TRUE(file.open(directory, "arial_14.fnt", LittleEndian, BinaryRead));
    char buffer[10] = {};
    EXPECT_TRUE(file.readBytes(buffer, 0));
    EXPECT_FALSE(file.readBytes(buffer, 10));
    EXPECT_EQ(std::string(buffer, 6), std::string("\x00\x00\x01\x02\xAA\xBB", 6));
}

TEST(DataFile, RefusesModesAndOperationsItDoesNotAllow) {
    TempFolder folder;
    writeFile("a.bin", "abcd");
    Directory directory;
    DataFile file;
    std::int32_t value = 0;
    char buffer[4];

    EXPECT_FALSE(file.open(directory, "a.bin", LittleEndian, 5));
    EXPECT_FALSE(file.readInt32(value));

    EXPECT_FALSE(file.open(directory, "created.bin", BigEndian, BinaryAppend));
    EXPECT_TRUE(fs::exists("created.bin"));
    EXPECT_EQ(fs::file_size("created.bin"), 0u);
    EXPECT_FALSE(file.writeByte('x'));

    for (std::int32_t mode : {TextRead, TextWrite}) {
        ASSERT_TRUE(file.open(directory, mode == TextRead ? "a.bin" : "t.txt", 0, mode));
        EXPECT_FALSE(file.readInt32(value));
        EXPECT_FALSE(file.readBytes(buffer, 1));
        EXPECT_FALSE(file.writeByte('x'));
        file.close();
    }
    ASSERT_TRUE(file.open(directory, "a.bin", LittleEndian, BinaryRead));
    EXPECT_FALSE(file.writeByte('x'));
    file.close();
    EXPECT_EQ(readFile("a.bin"), "abcd");
}

TEST(DataFile, NameThatDoesNotFitIsNotOpenedTruncated) {
    TempFolder folder;
    fs::path deep = folder.path();
    while (deep.string().size() < 430) {
        deep /= std::string(60, 'd');
    }
    fs::create_directories(deep);
    fs::current_path(deep);
    Directory directory;
    DataFile file;
    // Folder, separator and name make exactly 500 characters: no room for the end.
    const std::string name(500 - deep.string().size() - 1, 'n');
    EXPECT_FALSE(file.open(directory, name.c_str(), LittleEndian, BinaryWrite));
    EXPECT_TRUE(fs::is_empty(deep));
    EXPECT_TRUE(file.open(directory, name.substr(1).c_str(), LittleEndian, BinaryWrite));
    fs::current_path(folder.path());
}

std::string runOutput(const std::vector<std::uint8_t>& bytes) {
    Directory directory;
    DataFile file;
    EXPECT_TRUE(file.open(directory, "run.bin", LittleEndian, BinaryWrite));
    for (std::uint8_t b : bytes) {
        EXPECT_TRUE(file.queueByte(b));
    }
    file.close();
    return readFile("run.bin");
}

TEST(DataFile, PendingRunIsWrittenInRunLengthCode) {
    TempFolder folder;
    EXPECT_EQ(runOutput({}), "");
    EXPECT_EQ(runOutput({0x41}), "\x41");
    EXPECT_EQ(runOutput({0xC5}), "\xC1\xC5");
    EXPECT_EQ(runOutput(std::vector<std::uint8_t>(5, 0x41)), "\xC5\x41");
    EXPECT_EQ(runOutput(std::vector<std::uint8_t>(63, 0x00)), std::string("\xFF\x00", 2));
    // The 64th byte starts a new run: a count cannot exceed six bits.
    EXPECT_EQ(runOutput(std::vector<std::uint8_t>(64, 0x00)), std::string("\xFF\x00\x00", 3));
    EXPECT_EQ(runOutput({0x41, 0x41, 0x42, 0xC0, 0x42}), "\xC2\x41\x42\xC1\xC0\x42");
}

TEST(DataFile, AppendModeNeverWritesARunOut) {
    TempFolder folder;
    Directory directory;
    DataFile file;
    ASSERT_TRUE(file.open(directory, "append.bin", LittleEndian, BinaryAppend));
    EXPECT_FALSE(file.queueByte(0x41));
    EXPECT_TRUE(file.writeByte(0x42));
    file.close();
    EXPECT_EQ(readFile("append.bin"), "\x42");
}

} // namespace
