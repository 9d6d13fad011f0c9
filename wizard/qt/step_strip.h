#pragma once
// The wizard's steps along the top, the current one marked with the desktop's
// highlight colour, later ones dimmed.
#include <QFrame>
#include <QStringList>

class QHBoxLayout;

namespace salvex::gui {

class StepStrip : public QFrame {
public:
    explicit StepStrip(QWidget* parent);
    // Lays the steps out again only when they or the current one changed.
    void show_steps(const QStringList& names, int current);

private:
    QHBoxLayout* layout_;
    QStringList names_;
    int current_ = -1;
};

}  // namespace salvex::gui
