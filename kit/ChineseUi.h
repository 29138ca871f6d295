#pragma once

class QApplication;

// Gives Qt's own dialogs and standard buttons their Chinese texts, whatever the system locale is.
void InstallChineseQtTranslations(QApplication& app);
