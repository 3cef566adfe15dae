#pragma once
// Line settings of the pseudo-terminal through Linux's termios2, which carries any rate (256000 has no
// Bnnn constant). Kept apart from <termios.h>, whose struct clashes with the kernel's.

namespace torv::sim {

// The rate the tool has set on its side of the line. Asked on the pty master, the kernel reports the
// slave's settings. 0 when the settings cannot be read or name no rate.
int ReadLineRate(int fd);

// Raw 8N1 at `rate`: no echo, no line editing, no translation, no flow control.
bool MakeRawAtRate(int fd, int rate);

}  // namespace torv::sim
