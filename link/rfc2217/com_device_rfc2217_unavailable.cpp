// A build without libgensio (Windows, or a machine without libgensio-dev) has no network ports: an
// rfc2217:// port fails to open like a missing device.

#include "link/com_device.h"

namespace torv {

std::unique_ptr<ComDevice> OpenNetworkComDevice(const std::string& name) {
    SetComOpenFailure(name + ": this build has no network ports (it was built without libgensio).");
    return nullptr;
}

bool NetworkPortsAvailable() {
    return false;
}

}  // namespace torv
