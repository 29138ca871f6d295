#include "kit/FontWarmUp.h"

#include <QFontDatabase>
#include <QStringList>

FontWarmUp::FontWarmUp()
    : reader_([] {
          // The families of the script every window shows: the whole database is read for them.
          (void)QFontDatabase::families(QFontDatabase::SimplifiedChinese);
      }) {}

FontWarmUp::~FontWarmUp() {
    if (reader_.joinable())
        reader_.join();
}
