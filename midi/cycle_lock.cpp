// The cycle lock on two files, with flock: a lock the system drops with the process, so a
// program that dies never leaves the keypad locked.
#include "cycle_lock.h"

#include <cstdlib>

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#define TARNWICK_HAVE_FLOCK
#endif

namespace tarnwick {

FileCycleLock::FileCycleLock(std::string stem) : m_stem(std::move(stem)) {}

FileCycleLock::~FileCycleLock() {
#ifdef TARNWICK_HAVE_FLOCK
    for (const int file : {m_lock, m_waitMark}) {
        if (file >= 0) {
            ::close(file); // lets go of its lock too
        }
    }
#endif
}

std::string FileCycleLock::defaultStem() {
#ifdef TARNWICK_HAVE_FLOCK
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return runtime && *runtime ? std::string(runtime) + "/tarnwick-midi"
                               : "/tmp/tarnwick-midi-" + std::to_string(::getuid());
#else
    return {};
#endif
}

bool FileCycleLock::openFiles() {
#ifdef TARNWICK_HAVE_FLOCK
    if (!m_tried) {
        m_tried = true;
        const int flags = O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW;
        m_lock = ::open((m_stem + ".lock").c_str(), flags, 0600);
        m_waitMark = ::open((m_stem + ".wait").c_str(), flags, 0600);
        // One file without the other would lock without a way to leave turns, or the
        // reverse: then neither is used.
        if (m_lock < 0 || m_waitMark < 0) {
            for (int* file : {&m_lock, &m_waitMark}) {
                if (*file >= 0) {
                    ::close(*file);
                    *file = -1;
                }
            }
        }
    }
    return m_lock >= 0;
#else
    return false;
#endif
}

bool FileCycleLock::tryLock() {
#ifdef TARNWICK_HAVE_FLOCK
    if (!openFiles()) {
        return true; // no lock to be had: the cycle runs as it would alone
    }
    if (::flock(m_lock, LOCK_EX | LOCK_NB) == 0) {
        ::flock(m_waitMark, LOCK_UN);
        return true;
    }
    ::flock(m_waitMark, LOCK_SH | LOCK_NB);
    return false;
#else
    return true;
#endif
}

bool FileCycleLock::unlock() {
#ifdef TARNWICK_HAVE_FLOCK
    if (m_lock < 0) {
        return false;
    }
    ::flock(m_lock, LOCK_UN);
    // The mark is ours alone when nobody else waits.
    if (::flock(m_waitMark, LOCK_EX | LOCK_NB) == 0) {
        ::flock(m_waitMark, LOCK_UN);
        return false;
    }
    return true;
#else
    return false;
#endif
}

void FileCycleLock::stopWaiting() {
#ifdef TARNWICK_HAVE_FLOCK
    if (m_waitMark >= 0) {
        ::flock(m_waitMark, LOCK_UN);
    }
#endif
}

} // namespace tarnwick
