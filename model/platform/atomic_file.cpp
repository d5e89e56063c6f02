// Temporary file beside the destination, renamed over it on success.
#include "platform/atomic_file.h"

#include <cerrno>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace tarnwick {

namespace {

std::filesystem::path temporaryBeside(const std::filesystem::path& destination) {
    static std::mt19937 generator{std::random_device{}()};
    std::filesystem::path temporary = destination;
    temporary += ".tmp" + std::to_string(generator() % 1000000);
    return temporary;
}

// Asks the system to put the file's bytes on the disk itself, not only in its cache.
bool flushToDisk(const std::filesystem::path& path) {
#ifdef _WIN32
    const int fd = _wopen(path.c_str(), _O_RDWR | _O_BINARY);
    if (fd < 0) {
        return false;
    }
    const bool flushed = _commit(fd) == 0;
    _close(fd);
    return flushed;
#else
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
#ifdef __APPLE__
    bool flushed = ::fcntl(fd, F_FULLFSYNC) == 0 || ::fsync(fd) == 0;
#else
    bool flushed = ::fsync(fd) == 0;
#endif
    ::close(fd);
    return flushed;
#endif
}

} // namespace

bool MayWrite(const std::filesystem::path& path) {
#ifdef _WIN32
    std::error_code error;
    const auto permissions = std::filesystem::status(path, error).permissions();
    return error ||
           (permissions & std::filesystem::perms::owner_write) != std::filesystem::perms::none;
#else
    return ::access(path.c_str(), W_OK) == 0;
#endif
}

namespace {

// Makes a rename in `folder` last through a power cut. Windows keeps names in a journal
// of its own; elsewhere a file system that cannot flush a folder has nothing to flush.
void flushFolder(const std::filesystem::path& folder) {
#ifndef _WIN32
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    (void)folder;
#endif
}

} // namespace

AtomicFile::AtomicFile(std::filesystem::path destination) : m_destination(std::move(destination)) {}

AtomicFile::~AtomicFile() {
    abandon();
}

bool AtomicFile::fail(int systemError) {
    m_failed = true;
    if (m_error.empty()) {
        m_error = std::generic_category().message(systemError != 0 ? systemError : EIO);
    }
    return false;
}

bool AtomicFile::open() {
    abandon();
    m_failed = false;
    m_error.clear();
    m_inPlace = false;
    m_pending.clear();
    std::error_code error;
    if (std::filesystem::is_directory(m_destination, error)) {
        return fail(EISDIR);
    }
    const bool exists = std::filesystem::exists(m_destination, error);
    // A file made read-only is kept so, even where its folder would let a rename replace it.
    if (exists && !MayWrite(m_destination)) {
        return fail(EACCES);
    }
    for (int attempt = 0; attempt < 8 && !m_out.is_open(); ++attempt) {
        m_temporary = temporaryBeside(m_destination);
        if (std::filesystem::exists(m_temporary, error)) {
            continue;
        }
        m_out.clear();
        errno = 0;
        m_out.open(m_temporary, std::ios::binary | std::ios::trunc);
    }
    if (!m_out.is_open()) {
        const int systemError = errno;
        m_temporary.clear();
        if (exists && (systemError == EACCES || systemError == EPERM || systemError == EROFS)) {
            m_inPlace = true;
            return true;
        }
        return fail(systemError);
    }
    return true;
}

bool AtomicFile::write(const std::uint8_t* data, std::size_t size) {
    if (m_inPlace && !m_failed) {
        m_pending.append(reinterpret_cast<const char*>(data), size);
        return true;
    }
    if (!m_out.is_open() || m_failed) {
        return false;
    }
    errno = 0;
    m_out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return m_out ? true : fail(errno);
}

bool AtomicFile::commitInPlace() {
    m_inPlace = false;
    // Written over from its start (on a full disk the old file's own blocks take the new
    // bytes), then cut to the new length.
    errno = 0;
    std::fstream file(m_destination, std::ios::binary | std::ios::in | std::ios::out);
    file.write(m_pending.data(), static_cast<std::streamsize>(m_pending.size()));
    file.close();
    const int systemError = errno;
    std::error_code error;
    bool written = !file.fail();
    if (written) {
        std::filesystem::resize_file(m_destination, m_pending.size(), error);
        written = !error && flushToDisk(m_destination);
    }
    m_pending.clear();
    return written ? true : fail(error ? error.value() : systemError);
}

bool AtomicFile::commit() {
    if (m_inPlace && !m_failed) {
        return commitInPlace();
    }
    if (!m_out.is_open() || m_failed) {
        abandon();
        return m_failed ? false : fail(EBADF);
    }
    errno = 0;
    m_out.close();
    std::error_code error;
    // The bytes reach the disk before the name does: a crash right after the rename must
    // not leave an empty file where a good one stood.
    if (!m_out || !flushToDisk(m_temporary)) {
        const int systemError = errno;
        abandon();
        return fail(systemError);
    }
    // A replaced file keeps its permissions.
    const auto existing = std::filesystem::status(m_destination, error);
    if (!error && std::filesystem::exists(existing)) {
        std::filesystem::permissions(m_temporary, existing.permissions(),
                                     std::filesystem::perm_options::replace, error);
    }
    std::filesystem::rename(m_temporary, m_destination, error);
    if (error) {
        abandon();
        return fail(error.value());
    }
    m_temporary.clear();
    flushFolder(m_destination.parent_path());
    return true;
}

void AtomicFile::abandon() {
    m_inPlace = false;
    m_pending.clear();
    if (m_out.is_open()) {
        m_out.close();
    }
    if (!m_temporary.empty()) {
        std::error_code error;
        std::filesystem::remove(m_temporary, error);
        m_temporary.clear();
    }
}

} // namespace tarnwick
