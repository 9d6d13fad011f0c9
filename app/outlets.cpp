#include "app/outlets.h"

namespace salvex {

std::string_view outlet_name(Outlet o) {
    switch (o) {
#define SALVEX_NAME(n) \
    case Outlet::n: return "_" #n; \
    case Outlet::n##_Sig: return "_" #n "_Sig";
        SALVEX_SET_OUTLETS(SALVEX_NAME)
#undef SALVEX_NAME
#define SALVEX_NAME(n) case Outlet::n: return "_" #n;
        SALVEX_SHARED_OUTLETS(SALVEX_NAME)
#undef SALVEX_NAME
#define SALVEX_NAME(n) case Outlet::n: return #n;
        SALVEX_VIEW_OUTLETS(SALVEX_NAME)
#undef SALVEX_NAME
        case Outlet::count_: break;
    }
    return "?";
}

Outlet in_set(Outlet photo_control, bool sig_set) {
    if (!sig_set) return photo_control;
    switch (photo_control) {
#define SALVEX_TWIN(n) case Outlet::n: return Outlet::n##_Sig;
        SALVEX_SET_OUTLETS(SALVEX_TWIN)
#undef SALVEX_TWIN
        default: return photo_control;
    }
}

}  // namespace salvex
