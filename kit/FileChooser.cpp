#include "kit/FileChooser.h"

#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>

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
    // Bills are saved by the browser or the mail program: the chooser starts in the downloads folder,
    // else in the home folder, never in whatever folder the program was started from.
    QString start = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (start.isEmpty() || !QDir(start).exists())
        start = QDir::homePath();
    return QFileDialog::getOpenFileNames(parent, caption, start, filter, nullptr,
                                         QFileDialog::DontUseNativeDialog);
}

void installOpen(OpenChooser chooser) {
    installedOpen() = std::move(chooser);
}

}  // namespace FileChooser
