// One run per working directory: an advisory lock on vokdar.lock, held until
// the process ends, however it ends.
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "driver/driver_internal.h"

DirLock lock_working_directory()
{
    // Close-on-exec: an encoder or player started at the end of a run must
    // not keep the directory locked after this program has gone.
    int fd = open(LOCK_FILE_NAME, O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0)
        fd = open(LOCK_FILE_NAME, O_RDONLY | O_CLOEXEC | O_NOCTTY);
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
