#include "app/diagnostics.h"

void Show_NSLog_Message(std::string_view /*text*/) {}
