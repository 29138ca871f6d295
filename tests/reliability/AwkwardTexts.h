#pragma once

#include <QString>
#include <QStringList>

#include <ostream>

// Failure messages show the text, shortened, instead of its bytes.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.left(60).toStdString() << (text.size() > 60 ? "…" : "") << "\" (" << text.size()
        << " characters)";
}

// A line box holds at most this many characters; a longer paste is cut there, before anything reads it.
inline constexpr int kLineBoxLimit = 32767;

// Texts that have broken programs before: each must come back exactly as typed.
inline QStringList awkwardTexts() {
    return {QStringLiteral("   "),
            QString(100000, QLatin1Char('x')),
            QStringLiteral("tab\there\x01\x1b[31m\x7f"),
            QStringLiteral("😀 𠀀 𪚥 — émoji"),
            QStringLiteral("O'Brien \"quoted\" 100% _x_ \\"),
            QStringLiteral("'); DROP TABLE shouzhibiao; --"),
            QStringLiteral(":mingxi ? %s %n {0}")};
}
