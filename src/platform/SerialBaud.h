#pragma once
// Line speeds that have no termios constant (14400, 56000, 128000, 256000)
// are set through the kernel's arbitrary-rate interface, which cannot share a
// file with <termios.h>.

namespace platform {

// Sets both directions of the open tty to the rate; false when the driver
// refuses it.
bool SetArbitraryBaud(int fd, int baud);

}  // namespace platform
