#include "wizard/qt/step_strip.h"

#include <QHBoxLayout>
#include <QLabel>

namespace salvex::gui {

StepStrip::StepStrip(QWidget* parent) : QFrame(parent) {
    layout_ = new QHBoxLayout(this);
    layout_->setContentsMargins(12, 6, 12, 6);
    layout_->setSpacing(6);
}

void StepStrip::show_steps(const QStringList& names, int current) {
    if (names == names_ && current == current_) return;
    names_ = names;
    current_ = current;
    while (QLayoutItem* item = layout_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (int i = 0; i < names.size(); ++i) {
        if (i > 0) {
            auto* arrow = new QLabel(QStringLiteral("\u203A"), this);
            arrow->setEnabled(i <= current);
            layout_->addWidget(arrow);
        }
        auto* step = new QLabel(QStringLiteral("%1  %2").arg(i + 1).arg(names[i]), this);
        step->setObjectName(QStringLiteral("step%1").arg(i + 1));
        if (i == current) {
            QFont f = step->font();
            f.setBold(true);
            step->setFont(f);
            step->setStyleSheet(QStringLiteral(
                "QLabel { background: palette(highlight); color: palette(highlighted-text);"
                " border-radius: 11px; padding: 3px 12px; }"));
            step->setAccessibleName(tr("Current step: %1").arg(names[i]));
        } else {
            step->setStyleSheet(QStringLiteral("QLabel { padding: 3px 12px; }"));
            step->setEnabled(i < current);
        }
        layout_->addWidget(step);
    }
    layout_->addStretch(1);
}

}  // namespace salvex::gui
