#pragma once

class MyTableController;

namespace salvex::cli {

// The device list as the window's table shows it, one volume a line.
void print_device_list(const MyTableController& controller);

}  // namespace salvex::cli
