// The cycle lock on two files, with locks the system drops with the process (flock, on
// Windows LockFileEx), so a program that dies never leaves the keypad locked.
#include "cycle_lock.h"

#include "platform/utf8_path.h"

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace tarnwick {

namespace {

// One lock file: opened, locked shared or exclusively without waiting, unlocked, closed.
#ifdef _WIN32
HANDLE handle(FileCycleLock::File file) {
    return reinterpret_cast<HANDLE>(file);
}
FileCycleLock::File openFile(const std::string& path) {
    const HANDLE file = ::CreateFileW(Utf8Path(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? FileCycleLock::kNoFile
                                        : reinterpret_cast<FileCycleLock::File>(file);
}
bool lockFile(FileCycleLock::File file, bool exclusive) {
    OVERLAPPED whole{};
    return ::LockFileEx(handle(file),
                        (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0) | LOCKFILE_FAIL_IMMEDIATELY, 0, 1,
                        0, &whole) != 0;
}
void unlockFile(FileCycleLock::File file) {
    OVERLAPPED whole{};
    ::UnlockFileEx(handle(file), 0, 1, 0, &whole);
}
void closeFile(FileCycleLock::File file) {
    ::CloseHandle(handle(file));
}
#else
FileCycleLock::File openFile(const std::string& path) {
    return ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
}
bool lockFile(FileCycleLock::File file, bool exclusive) {
    return ::flock(int(file), (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0;
}
void unlockFile(FileCycleLock::File file) {
    ::flock(int(file), LOCK_UN);
}
void closeFile(FileCycleLock::File file) {
    ::close(int(file));
}
#endif

} // namespace

FileCycleLock::FileCycleLock(std::string stem) : m_stem(std::move(stem)) {}

FileCycleLock::~FileCycleLock() {
    for (const File file : {m_lock, m_waitMark}) {
        if (file != kNoFile) {
            closeFile(file); // lets go of its lock too
        }
    }
}

std::string FileCycleLock::defaultStem() {
#ifdef _WIN32
    // The user's own temporary folder.
    const char* temp = std::getenv("TEMP");
    return temp && *temp ? std::string(temp) + "\\tarnwick-midi" : std::string();
#else
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return runtime && *runtime ? std::string(runtime) + "/tarnwick-midi"
                               : "/tmp/tarnwick-midi-" + std::to_string(::getuid());
#endif
}

bool FileCycleLock::openFiles() {
    if (!m_tried) {
        m_tried = true;
        if (m_stem.empty()) {
            return false;
        }
        m_lock = openFile(m_stem + ".lock");
        m_waitMark = openFile(m_stem + ".wait");
        // One file without the other would lock without a way to leave turns, or the
        // reverse: then neither is used.
        if (m_lock == kNoFile || m_waitMark == kNoFile) {
            for (File* file : {&m_lock, &m_waitMark}) {
                if (*file != kNoFile) {
                    closeFile(*file);
                    *file = kNoFile;
                }
            }
        }
    }
    return m_lock != kNoFile;
}

bool FileCycleLock::tryLock() {
    if (!openFiles()) {
        return true; // no lock to be had: the cycle runs as it would alone
    }
    if (lockFile(m_lock, true)) {
        stopWaiting();
        return true;
    }
    // Held once: a lock taken again on Windows would need letting go of twice.
    if (!m_markHeld) {
        m_markHeld = lockFile(m_waitMark, false);
    }
    return false;
}

bool FileCycleLock::unlock() {
    if (m_lock == kNoFile) {
        return false;
    }
    unlockFile(m_lock);
    stopWaiting();
    // The mark is ours alone when nobody else waits.
    if (lockFile(m_waitMark, true)) {
        unlockFile(m_waitMark);
        return false;
    }
    return true;
}

void FileCycleLock::stopWaiting() {
    if (m_markHeld) {
        unlockFile(m_waitMark);
        m_markHeld = false;
    }
}

} // namespace tarnwick
