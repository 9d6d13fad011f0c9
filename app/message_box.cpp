#include "app/message_box.h"

#include <exception>
#include <string>

#include "app/controller_view.h"
#include "app/diagnostics.h"
#include "app/globals.h"
#include "app/my_table_controller.h"

void Show_MessageBox(std::string_view text) {
    try {
        MyTableController* controller = Main_App_wnd;
        if (controller == nullptr) {
            Show_NSLog_Message("message without a controller to show it");
            return;
        }
        const std::string message = "\n" + std::string(text);
        controller->view().post_and_wait([controller, &message] { controller->Main_Thread_Messgae(message); });
    } catch (const std::exception& e) {
        Show_NSLog_Message(e.what());
    } catch (...) {
        Show_NSLog_Message("unknown failure while showing a message");
    }
}
