#include "ui/VariablesImages.h"

#include <gtest/gtest.h>

#include <set>

namespace korvid {
namespace {

// Every picture is there, the size the lists expect, with a clear background, and no two
// are alike, since each index tells the user a different kind.
TEST(VariablesImagesTest, EachIndexHasADistinctSmallPictureOnAClearBackground) {
    std::set<QByteArray> Seen;
    for (int Index = 0; Index < VariablesImageCount; ++Index) {
        SCOPED_TRACE(Index);
        const QImage Image = VariablesImage(Index).convertToFormat(QImage::Format_ARGB32);
        ASSERT_FALSE(Image.isNull());
        EXPECT_EQ(Image.size(), QSize(16, 16));
        EXPECT_EQ(qAlpha(Image.pixel(0, 0)), 0);
        const QByteArray Bytes(reinterpret_cast<const char*>(Image.constBits()),
                               Image.sizeInBytes());
        EXPECT_TRUE(Seen.insert(Bytes).second) << "drawn the same as an earlier index";
        EXPECT_FALSE(VariablesIcon(Index).isNull());
    }
}

TEST(VariablesImagesTest, IndexesOutsideTheListGiveNothing) {
    for (const int Index : {-1, VariablesImageCount, 1000}) {
        EXPECT_TRUE(VariablesImage(Index).isNull()) << Index;
        EXPECT_TRUE(VariablesIcon(Index).isNull()) << Index;
    }
}

} // namespace
} // namespace korvid
