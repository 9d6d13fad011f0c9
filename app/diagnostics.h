#pragma once
#include <string_view>

// Where every subsystem hands the reason of a failure it has dealt with. It prints
// nothing: the user has already been told what matters through the message texts.
void Show_NSLog_Message(std::string_view text);
