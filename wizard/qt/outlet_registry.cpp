#include "wizard/qt/outlet_registry.h"

#include <QtGlobal>

namespace salvex::gui {

OutletRegistry::OutletRegistry(QWidget* window) : window_(window) {
    widgets_.at(index(Outlet::controlPanel)) = window;
    window->setObjectName(qs(outlet_name(Outlet::controlPanel)));
}

void OutletRegistry::follow(QWidget* part, std::vector<Outlet> controls) {
    parts_.push_back({part, std::move(controls)});
}

void OutletRegistry::check_complete() const {
    for (std::size_t i = 0; i < widgets_.size(); ++i)
        if (widgets_[i] == nullptr) qFatal("outlet %s has no widget", outlet_name(static_cast<Outlet>(i)).data());
}

void OutletRegistry::show_only(std::initializer_list<Outlet> shown) {
    for (std::size_t i = 0; i < widgets_.size(); ++i) hidden_[i] = true;
    for (const Outlet o : shown) hidden_.at(index(o)) = false;
    for (std::size_t i = 0; i < widgets_.size(); ++i)
        if (widgets_[i] != window_) widgets_[i]->setHidden(hidden_[i]);
}

void OutletRegistry::set_hidden(Outlet o, bool hidden) {
    hidden_.at(index(o)) = hidden;
    QWidget* w = at(o);
    if (w != window_) w->setHidden(hidden);
}

void OutletRegistry::show_parts() const {
    for (const Part& part : parts_) {
        bool any = false;
        for (const Outlet o : part.controls) any = any || !hidden(o);
        part.widget->setHidden(!any);
    }
}

}  // namespace salvex::gui
