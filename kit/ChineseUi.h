#pragma once

#include <QStringList>

class QApplication;

// Makes every Qt widget of the program speak Chinese, whatever the system's language is (also LANG=C):
// the default locale becomes zh_CN (months and weekdays in Chinese, long dates and numbers the Chinese
// way), every calendar starts its weeks on Monday, Qt's own dialogs and standard buttons get their
// Chinese texts, and the fonts fall back to ones that draw emoji and rare characters (CJK Extension B)
// where the main font has no glyph for them. Call it right after the application object, before any
// widget exists.
void InstallChineseQtTranslations(QApplication& app);

// The families tried, in order, for a character the chosen font lacks.
QStringList ChineseFallbackFamilies();
