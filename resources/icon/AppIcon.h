#pragma once

#include <QIcon>
#include <QImage>

// The program's icon: a white house on a green tile holding a gold coin with a yuan sign. Painted from
// the same shapes as packaging/tamberlo.svg, at any size, so that no picture files need to be shipped for
// the window icon and the menu's PNG sizes are made when the program is built.
QImage PaintAppIcon(int size);

// The icon at the usual sizes (16 to 256 pixels), for the windows' title bars and task switchers.
QIcon AppIcon();

// The sizes of the installed PNG icons.
inline constexpr int kAppIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
