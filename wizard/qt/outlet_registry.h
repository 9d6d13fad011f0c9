#pragma once
// The controls the controller names, each found by its outlet (its object name is
// the outlet's name), whether the controller has it hidden, and the parts of the
// window that show while any of their controls does.
#include <QString>
#include <QWidget>
#include <array>
#include <cstddef>
#include <initializer_list>
#include <utility>
#include <vector>

#include "app/outlets.h"
#include "results/qt/qt_text.h"

namespace salvex::gui {

class OutletRegistry {
public:
    // The window itself is an outlet too, and is never hidden from here.
    explicit OutletRegistry(QWidget* window);

    QWidget* at(Outlet o) const { return widgets_.at(index(o)); }
    bool hidden(Outlet o) const { return hidden_.at(index(o)); }

    template <class W, class... Args>
    W* make(Outlet o, Args&&... args) {
        auto* w = new W(std::forward<Args>(args)...);
        w->setObjectName(qs(outlet_name(o)));
        widgets_.at(index(o)) = w;
        return w;
    }
    // A part of the window shown while any of these controls is.
    void follow(QWidget* part, std::vector<Outlet> controls);

    // Stops the program when a control the controller names was never made.
    void check_complete() const;
    // Hides every control but these.
    void show_only(std::initializer_list<Outlet> shown);
    void set_hidden(Outlet o, bool hidden);
    // Shows the parts that hold a control shown, hides the others.
    void show_parts() const;

private:
    static std::size_t index(Outlet o) { return static_cast<std::size_t>(o); }

    QWidget* window_;
    std::array<QWidget*, static_cast<std::size_t>(Outlet::count_)> widgets_{};
    std::array<bool, static_cast<std::size_t>(Outlet::count_)> hidden_{};
    struct Part {
        QWidget* widget;
        std::vector<Outlet> controls;
    };
    std::vector<Part> parts_;
};

}  // namespace salvex::gui
