#include "resources/icon/AppIcon.h"

#include <QDir>
#include <QString>

#include <cstdio>

// Writes the program's icon as <folder>/<n>x<n>/apps/tamberlo.png for every installed size, the layout of
// the hicolor icon theme.
int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fputs("usage: tamberlo-icons <output folder>\n", stderr);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    for (const int size : kAppIconSizes) {
        const QString folder = out.filePath(QStringLiteral("%1x%1/apps").arg(size));
        const QString file = QDir(folder).filePath(QStringLiteral("tamberlo.png"));
        if (!QDir().mkpath(folder) || !PaintAppIcon(size).save(file, "PNG")) {
            std::fprintf(stderr, "tamberlo-icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
