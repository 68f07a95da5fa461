// One run per working directory: an advisory lock on the directory itself,
// held until the process ends, however it ends. No file is made for it.
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "driver/driver_internal.h"

DirLock lock_working_directory()
{
    // Close-on-exec: an encoder or player started at the end of a run must
    // not keep the directory locked after this program has gone.
    const int fd = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return DirLock::unavailable;
    while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        const bool busy = errno == EWOULDBLOCK;
        close(fd);
        return busy ? DirLock::busy : DirLock::unavailable;
    }
    // The descriptor stays open on purpose: the lock lasts as long as the process.
    return DirLock::held;
}
