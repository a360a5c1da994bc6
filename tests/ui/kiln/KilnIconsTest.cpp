#include "kiln/qt/KilnIcons.h"

#include <QFile>
#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

TEST(KilnIcons, EveryImageIndexHasADrawingAtListSizes) {
    for (int index = 0; index < KilnIcons::kCount; ++index) {
        EXPECT_TRUE(QFile::exists(KilnIcons::ResourcePath(index))) << index;
        const QIcon icon = KilnIcons::Icon(index);
        ASSERT_FALSE(icon.isNull()) << index;
        for (const int size : {16, 32}) {
            const QImage image = icon.pixmap(size, size).toImage();
            EXPECT_EQ(image.width(), size);
            bool drawn = false;
            for (int y = 0; y < image.height() && !drawn; ++y) {
                for (int x = 0; x < image.width() && !drawn; ++x) {
                    drawn = qAlpha(image.pixel(x, y)) > 0;
                }
            }
            EXPECT_TRUE(drawn) << "index " << index << " at " << size << " px";
        }
    }
}

TEST(KilnIcons, IndicesOutsideTheListGiveNoIcon) {
    EXPECT_TRUE(KilnIcons::Icon(-1).isNull());
    EXPECT_TRUE(KilnIcons::Icon(KilnIcons::kCount).isNull());
    EXPECT_TRUE(KilnIcons::ResourcePath(KilnIcons::kCount).isEmpty());
}

TEST(KilnIcons, StatesDifferInShapeNotOnlyColour) {
    // Compare coverage masks only: the three unit pictures must differ even to an operator
    // who cannot tell their colours apart.
    auto mask = [](int index) {
        const QImage image = KilnIcons::Icon(index).pixmap(16, 16).toImage();
        return image.convertToFormat(QImage::Format_Alpha8);
    };
    EXPECT_NE(mask(1), mask(2));
    EXPECT_NE(mask(2), mask(3));
    EXPECT_NE(mask(1), mask(3));
    // A unit that stopped answering is not one waiting for its first poll.
    EXPECT_NE(mask(4), mask(1));
    EXPECT_NE(mask(4), mask(2));
    EXPECT_NE(mask(4), mask(3));
}
