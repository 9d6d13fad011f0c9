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
    pFile_Disk = Open_Source(path, device_buffer_.get(), salvex::kDeviceBufferSize);
    if (pFile_Disk != nullptr) {
        std::fclose(pFile_Disk);
        pFile_Disk = nullptr;
        return;
    }
    // A diagnostic, not a message: the user hears of the refusal from the search itself.
    syslog(LOG_NOTICE, "err no : %d", errno);
    syslog(LOG_NOTICE, "Application Bundle Identifier: %s", bundle_.identifier.c_str());
#if defined(__APPLE__)
    salvex::platform::executeShellCommandSynchronously("tccutil reset SystemPolicyRemovableVolumes " + bundle_.identifier);
#endif
}
