#include "sim/line_settings.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace torv::sim {
namespace {

struct RateCode {
    unsigned code;
    int rate;
};

constexpr RateCode kRateCodes[] = {
    {B50, 50},           {B75, 75},         {B110, 110},         {B134, 134},         {B150, 150},
    {B200, 200},         {B300, 300},       {B600, 600},         {B1200, 1200},       {B1800, 1800},
    {B2400, 2400},       {B4800, 4800},     {B9600, 9600},       {B19200, 19200},     {B38400, 38400},
    {B57600, 57600},     {B115200, 115200}, {B230400, 230400},   {B460800, 460800},   {B500000, 500000},
    {B576000, 576000},   {B921600, 921600}, {B1000000, 1000000}, {B1152000, 1152000}, {B1500000, 1500000},
    {B2000000, 2000000},
};

int RateOfCode(unsigned code) {
    for (const RateCode& r : kRateCodes) {
        if (r.code == code) {
            return r.rate;
        }
    }
    return 0;
}

unsigned CodeOfRate(int rate) {
    for (const RateCode& r : kRateCodes) {
        if (r.rate == rate) {
            return r.code;
        }
    }
    return BOTHER;
}

}  // namespace

int ReadLineRate(int fd) {
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0) {
        return 0;
    }
    const unsigned code = t.c_cflag & CBAUD;
    return code == BOTHER ? static_cast<int>(t.c_ospeed) : RateOfCode(code);
}

bool MakeRawAtRate(int fd, int rate) {
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0) {
        return false;
    }
    t.c_iflag &=
        ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS | CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= CS8 | CREAD | CLOCAL | CodeOfRate(rate);
    t.c_ispeed = static_cast<speed_t>(rate);
    t.c_ospeed = static_cast<speed_t>(rate);
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    return ioctl(fd, TCSETS2, &t) == 0;
}

}  // namespace torv::sim
