#pragma once

#include <QColor>

#include <algorithm>
#include <cmath>

// The contrast ratio of two colours as the web content accessibility guidelines (2.x) define it: the
// relative luminances of the lighter and the darker, each plus 0.05, divided. 4.5 is the least for text.
inline double RelativeLuminance(const QColor& colour) {
    const auto linear = [](double c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = colour.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
}

inline double ContrastRatio(const QColor& a, const QColor& b) {
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

constexpr double kReadableContrast = 4.5;
