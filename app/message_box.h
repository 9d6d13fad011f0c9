#pragma once
#include <string_view>

// Tells the user something in a modal box with one "OK" button. Callable from any
// thread: the box shows on the interface thread and the caller waits until it is
// closed. A line feed goes before the text.
void Show_MessageBox(std::string_view text);
