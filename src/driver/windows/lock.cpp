// One run per working folder: a lock on vokdar.lock, held until the process
// ends, however it ends (the system lets go of it with the last handle, and
// deletes the file then: nothing is left behind).
#include <windows.h>

#include "driver/driver_internal.h"

DirLock lock_working_directory()
{
    // Not inherited: an encoder or player started at the end of a run must
    // not keep the folder locked after this program has gone.
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE file = CreateFileA(LOCK_FILE_NAME, GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION)
        // Held open by a program that does not let it be deleted: lock it as
        // it stands; the lock still tells whether a run holds the folder.
        file = CreateFileA(LOCK_FILE_NAME, GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        // A running vokdar's file, already marked for deletion, opens for no one else.
        return GetLastError() == ERROR_ACCESS_DENIED && GetFileAttributesA(LOCK_FILE_NAME) !=
                                                            INVALID_FILE_ATTRIBUTES
                   ? DirLock::busy
                   : DirLock::unavailable;
    OVERLAPPED at = {};
    if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at))
        return DirLock::held;  // the handle stays open on purpose
    const bool busy = GetLastError() == ERROR_LOCK_VIOLATION;
    CloseHandle(file);
    return busy ? DirLock::busy : DirLock::unavailable;
}
