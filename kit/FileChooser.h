#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

// Choosing a file to write or files to read. The real chooser is Qt's own save dialog (its texts Chinese
// through the program's translations), which asks nothing about a file that exists: the caller asks that
// through its Prompt. Tests install a chooser that gives a path without a window.
namespace FileChooser {

// Returns the chosen path, or an empty text when the choice was cancelled.
using Chooser = std::function<QString(QWidget* parent, const QString& caption, const QString& suggested,
                                      const QString& filter)>;

QString chooseSaveFile(QWidget* parent, const QString& caption, const QString& suggested,
                       const QString& filter);

// Installs a chooser in place of the dialog; an empty one brings the dialog back.
void install(Chooser chooser);

// Choosing one or several existing files to read, through Qt's own open dialog; an empty list when the
// choice was cancelled. Tests install a chooser that gives the paths without a window.
using OpenChooser =
    std::function<QStringList(QWidget* parent, const QString& caption, const QString& filter)>;
QStringList chooseOpenFiles(QWidget* parent, const QString& caption, const QString& filter);
void installOpen(OpenChooser chooser);

}  // namespace FileChooser
