#pragma once
#include <string>

class MyTableController;

namespace salvex {

// What an edition is and what it looks for: its names, the modes it offers and,
// per mode and pass, the signature records that loaded.
std::string edition_report(const MyTableController& controller);

}  // namespace salvex
