#include "kit/FileChooser.h"

#include <QFileDialog>

namespace {

FileChooser::Chooser& installed() {
    static FileChooser::Chooser chooser;
    return chooser;
}

FileChooser::OpenChooser& installedOpen() {
    static FileChooser::OpenChooser chooser;
    return chooser;
}

}  // namespace

namespace FileChooser {

QString chooseSaveFile(QWidget* parent, const QString& caption, const QString& suggested,
                       const QString& filter) {
    if (installed())
        return installed()(parent, caption, suggested, filter);
    // Qt's own dialog rather than the desktop's, so that its texts follow the Chinese translations and
    // the window style; the question about an existing file is the caller's.
    return QFileDialog::getSaveFileName(parent, caption, suggested, filter, nullptr,
                                        QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
}

void install(Chooser chooser) {
    installed() = std::move(chooser);
}

QStringList chooseOpenFiles(QWidget* parent, const QString& caption, const QString& filter) {
    if (installedOpen())
        return installedOpen()(parent, caption, filter);
    return QFileDialog::getOpenFileNames(parent, caption, QString(), filter, nullptr,
                                         QFileDialog::DontUseNativeDialog);
}

void installOpen(OpenChooser chooser) {
    installedOpen() = std::move(chooser);
}

}  // namespace FileChooser
