#include "data/TypedText.h"

namespace {

constexpr char16_t kFullWidthFirst = 0xFF01;  // "！"
constexpr char16_t kFullWidthLast = 0xFF5E;   // "～"
constexpr char16_t kFullWidthOffset = 0xFF01 - 0x21;
constexpr char16_t kIdeographicSpace = 0x3000;

}  // namespace

QString HalfWidthForms(const QString& text) {
    QString plain = text;
    for (QChar& c : plain) {
        const char16_t u = c.unicode();
        if (u >= kFullWidthFirst && u <= kFullWidthLast)
            c = QChar(char16_t(u - kFullWidthOffset));
        else if (u == kIdeographicSpace)
            c = QLatin1Char(' ');
    }
    return plain;
}
