#pragma once
// The core's texts are UTF-8; every widget takes them through this one conversion.
#include <QString>
#include <string_view>

namespace salvex::gui {

inline QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace salvex::gui
