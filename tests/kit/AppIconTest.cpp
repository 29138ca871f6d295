// The window icon is painted size by size when asked for, and each size is the picture the menu's icons
// are made from.
#include "resources/icon/AppIcon.h"

#include <gtest/gtest.h>

#include <QPixmap>

namespace {

TEST(AppIcon, EverySizeIsOfferedAndPaintedAsTheInstalledPictures) {
    const QIcon icon = AppIcon();
    QList<QSize> offered;
    for (const int size : kAppIconSizes)
        offered.append(QSize(size, size));
    EXPECT_EQ(icon.availableSizes(), offered);
    for (const int size : {16, 48, 256}) {
        const QImage shown = icon.pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32);
        const QImage painted = PaintAppIcon(size).convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(shown.size(), QSize(size, size));
        EXPECT_TRUE(shown == painted) << size;
    }
    // A copy of the icon (as each window keeps) draws the same.
    const QIcon copy = icon;
    EXPECT_TRUE(copy.pixmap(QSize(32, 32)).toImage() == icon.pixmap(QSize(32, 32)).toImage());
}

}  // namespace
