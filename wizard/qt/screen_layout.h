#pragma once
// Small pieces the window's screens are laid out with.
#include <QLabel>
#include <QPalette>
#include <QVBoxLayout>

namespace salvex::gui {

// The step each screen belongs to.
enum Step { kDriveStep = 0, kOptionsStep = 1, kTypesStep = 2, kResultsStep = 3 };

// A wrapped text in the desktop's quieter colour.
inline QLabel* quiet_label(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

inline QVBoxLayout* column(QWidget* w, int margin = 0) {
    auto* l = new QVBoxLayout(w);
    l->setContentsMargins(margin, margin, margin, margin);
    return l;
}

}  // namespace salvex::gui
