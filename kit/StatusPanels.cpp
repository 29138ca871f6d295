#include "kit/StatusPanels.h"

#include <QLabel>

StatusPanels::StatusPanels(const QList<Panel>& panels, QWidget* parent) : QStatusBar(parent) {
    setSizeGripEnabled(true);
    for (qsizetype i = 0; i < panels.size(); ++i) {
        auto* label = new QLabel(panels[i].text, this);
        label->setObjectName(QStringLiteral("statusPanel%1").arg(i));
        label->setAlignment(panels[i].alignment | Qt::AlignVCenter);
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        if (panels[i].width > 0) {
            label->setFixedWidth(panels[i].width);
            addWidget(label, 0);
        } else {
            addWidget(label, 1);
        }
        labels_.append(label);
    }
}

QString StatusPanels::panelText(int index) const {
    const QLabel* label = labels_.value(index);
    return label ? label->text() : QString();
}

void StatusPanels::setPanelText(int index, const QString& text) {
    if (QLabel* label = labels_.value(index))
        label->setText(text);
}
