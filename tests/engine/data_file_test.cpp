#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

#include "datafile/data_file.h"
#include "datafile/directory.h"
#include "tests/temp_folder.h"

namespace {

// Short bitmaps are refused by the font tests; a short number at the very end is not
// met there.
TEST(DataFileTest, ReadsValuesInEitherByteOrderFromTheFolderHeldAtStart) {
    TempFolder folder;
    Directory directory; // the scratch folder, held as it is made current
    DataFile file;
    std::int32_t value = 0;
    writeFile("arial_14.fnt", std::string("\x00\x00\x01\x02\xAA\xBB", 6));
    // Files are read in the folder held at start, wherever the program is now and
    // whatever that folder is called by then.
    fs::rename(folder.path(), folder.path().string() + "-moved");
    fs::current_path("/");
    for (std::uint8_t order : {LittleEndian, BigEndian}) {
        ASSERT_TRUE(file.open(directory, "arial_14.fnt", order));
        ASSERT_TRUE(file.readInt32(value));
        EXPECT_EQ(value, order == LittleEndian ? 0x02010000 : 258);
        EXPECT_FALSE(file.readInt32(value));
        EXPECT_TRUE(file.readBytes(&value, 0)) << "a glyph of no rows reads nothing";
        file.close();
    }
    EXPECT_FALSE(file.readInt32(value)) << "closed";
    fs::rename(folder.path().string() + "-moved", folder.path());
}

} // namespace
