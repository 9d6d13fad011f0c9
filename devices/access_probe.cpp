// Opening the chosen device once before the scan starts: where the system guards
// raw access, a refusal here lets it ask the user again before the real read.
#include <cerrno>
#include <cstdio>
#include <syslog.h>

#include "app/my_table_controller.h"
#include "engine/sector_stream.h"
#include "platform/raw_device.h"
#include "platform/shell_runner.h"

void MyTableController::Check_Have_Permissions() {
    const std::string path = salvex::platform::raw_device_path(view_.text(salvex::Outlet::disk_identifier));
    errno = 0;
    // A stream of its own: the search's source belongs to the scan thread.
    if (std::FILE* probe = source_opener(path, device_buffer_.get(), salvex::kDeviceBufferSize)) {
        std::fclose(probe);
        return;
    }
    // A diagnostic, not a message: the user hears of the refusal from the search itself.
    syslog(LOG_NOTICE, "err no : %d", errno);
    syslog(LOG_NOTICE, "Application Bundle Identifier: %s", bundle_.identifier.c_str());
#if defined(__APPLE__)
    salvex::platform::executeShellCommandSynchronously("tccutil reset SystemPolicyRemovableVolumes " + bundle_.identifier);
#endif
}
