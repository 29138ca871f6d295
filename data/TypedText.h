#pragma once

#include <QString>

// Text typed through a Chinese input method in full-width mode carries the full-width forms of digits,
// signs and letters ("１２３．５", "２０２４－３－５"). The boxes that take numbers and dates read them
// as the plain characters they stand for.

// The text with every full-width form of a printable ASCII character (U+FF01 to U+FF5E) and the
// ideographic space (U+3000) replaced by that ASCII character; every other character stays. Each
// character maps to one character, so positions in the text stay where they were.
QString HalfWidthForms(const QString& text);
