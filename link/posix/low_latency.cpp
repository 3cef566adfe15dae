#include "link/posix/low_latency.h"

#include <linux/serial.h>
#include <sys/ioctl.h>

namespace torv {
namespace {

int SystemIoctl(int fd, unsigned long request, void* argument) {
    return ioctl(fd, request, argument);
}

SerialIoctl g_serialIoctl = SystemIoctl;

}  // namespace

void SetSerialIoctl(SerialIoctl serialIoctl) {
    g_serialIoctl = serialIoctl != nullptr ? serialIoctl : SystemIoctl;
}

LowLatency RequestLowLatency(int fd) {
    serial_struct serial{};
    if (g_serialIoctl(fd, TIOCGSERIAL, &serial) != 0) {
        return LowLatency::kRefused;
    }
    if ((serial.flags & ASYNC_LOW_LATENCY) != 0) {
        return LowLatency::kAlreadyOn;
    }
    serial.flags |= ASYNC_LOW_LATENCY;
    return g_serialIoctl(fd, TIOCSSERIAL, &serial) == 0 ? LowLatency::kTurnedOn : LowLatency::kRefused;
}

}  // namespace torv
