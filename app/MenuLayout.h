#pragma once

#include <QList>

class QAction;
class QMenuBar;
class QWidget;

// Builds the menu bar MainMenu1: the seven menus and every item in order, each action named after its
// item (N26, N27 …); separators are named actions too. The eight style items of N35 are checkable, the
// items 状态栏 and 工具栏 are shown checked.
void BuildMainMenu(QMenuBar* menuBar);

// The eight style items N110 … N81 in style-number order.
QList<QAction*> StyleItems(const QWidget* window);
