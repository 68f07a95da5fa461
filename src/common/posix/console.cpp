// The console on POSIX systems: the controlling terminal and the locale.
#include "common/console_system.h"

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <langinfo.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The terminal as it was before a key wait, restored on every way out.
int tty_fd = -1;
struct termios saved_mode;
struct sigaction saved_int, saved_term, saved_hup;

void restore_terminal()
{
    if (tty_fd >= 0)
        tcsetattr(tty_fd, TCSAFLUSH, &saved_mode);
}

void on_signal(int sig)
{
    restore_terminal();
    signal(sig, SIG_DFL);
    raise(sig);
}

}  // namespace

void system_key_wait()
{
    const int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return;
    struct termios raw;
    if (tcgetattr(fd, &saved_mode) != 0) {
        close(fd);
        return;
    }
    tty_fd = fd;
    struct sigaction act;
    std::memset(&act, 0, sizeof act);
    act.sa_handler = on_signal;
    sigaction(SIGINT, &act, &saved_int);
    sigaction(SIGTERM, &act, &saved_term);
    sigaction(SIGHUP, &act, &saved_hup);
    raw = saved_mode;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSAFLUSH, &raw) == 0) {
        unsigned char key;
        while (read(fd, &key, 1) < 0 && errno == EINTR) {
        }
    }
    restore_terminal();
    sigaction(SIGINT, &saved_int, nullptr);
    sigaction(SIGTERM, &saved_term, nullptr);
    sigaction(SIGHUP, &saved_hup, nullptr);
    tty_fd = -1;
    close(fd);
}

bool system_console_utf8()
{
    static int known = -1;
    if (known < 0) {
        const char* name = setlocale(LC_CTYPE, "");
        const char* set = name ? nl_langinfo(CODESET) : "";
        known = (set && std::strcmp(set, "UTF-8") == 0) ? 1 : 0;
        setlocale(LC_CTYPE, "C");
    }
    return known == 1;
}
