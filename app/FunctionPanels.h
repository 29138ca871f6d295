#pragma once

#include <QList>

class QWidget;

// The five function panels Panel2 … Panel6 in side-button order, white, each with its heading.
QList<QWidget*> CreateFunctionPanels();
