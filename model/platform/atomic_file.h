// Writes a file so that it is either replaced whole or not at all: the bytes go to a
// temporary file beside the destination, which takes the destination's place only when
// everything has been written. A failed or abandoned write leaves an existing file as it was.
// A destination the user may not write is refused, as the system would refuse writing it
// in place. In a folder that takes no new files, a destination the user may write is
// written in place once every byte is known (a file of ours is a few kilobytes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace tarnwick {

// Whether this user may write the existing file or folder at `path` (root may write any).
bool MayWrite(const std::filesystem::path& path);

class AtomicFile {
public:
    explicit AtomicFile(std::filesystem::path destination);
    ~AtomicFile(); // abandons an uncommitted write
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file; false when the destination's folder cannot take it.
    bool open();
    bool write(const std::uint8_t* data, std::size_t size);
    // Puts the written bytes in the destination's place; false (and nothing replaced) on
    // any error since open().
    bool commit();
    // Drops the temporary file; the destination is untouched.
    void abandon();
    // The system's reason for the first failure ("Permission denied", ...).
    const std::string& error() const { return m_error; }

private:
    std::filesystem::path m_destination;
    std::filesystem::path m_temporary;
    std::ofstream m_out;
    bool m_inPlace = false; // the folder takes no temporary file: the bytes wait here
    std::string m_pending;
    bool m_failed = false;
    std::string m_error;

    bool fail(int systemError); // records the reason; false
    bool commitInPlace();
};

} // namespace tarnwick
