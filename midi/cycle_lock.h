// The right to run one send-and-answer cycle with the keypad, shared by all of our programs
// of one user on this machine: a keypad answers whoever sent, and every program listening
// to it hears the answer, so two cycles at once could each take the other's answer for
// their own. The port layer takes it around every cycle.
#pragma once

#include <cstdint>
#include <string>

namespace tarnwick {

class CycleLock {
public:
    virtual ~CycleLock() = default;
    // Takes the lock without waiting; when another holds it, marks this one as waiting
    // and returns false.
    virtual bool tryLock() = 0;
    // Lets go of the lock and of a wait mark; true when another program waits for its turn.
    virtual bool unlock() = 0;
    // A waiter that gives up: its wait mark goes, so the holder no longer leaves it turns.
    virtual void stopWaiting() = 0;
};

// The lock in use: two files, the lock itself and a mark that waiters hold shared so that
// the holder knows to leave them a turn.
class FileCycleLock final : public CycleLock {
public:
    // `stem` names the two files (stem.lock, stem.wait).
    explicit FileCycleLock(std::string stem = defaultStem());
    ~FileCycleLock() override; // lets go of all it holds
    FileCycleLock(const FileCycleLock&) = delete;
    FileCycleLock& operator=(const FileCycleLock&) = delete;

    // Where the files cannot be had at all, every cycle runs as it would alone (true).
    bool tryLock() override;
    bool unlock() override;
    void stopWaiting() override;

    // The user's own: in the runtime folder, else in /tmp with the user's number in their
    // names; on Windows in the user's temporary folder. Empty: none to be had.
    static std::string defaultStem();

    // An open file: a descriptor, or on Windows a handle.
    using File = std::intptr_t;
    static constexpr File kNoFile = -1;

private:
    bool openFiles(); // both files, or neither
    std::string m_stem;
    bool m_tried = false;
    File m_lock = kNoFile;
    File m_waitMark = kNoFile;
    bool m_markHeld = false; // this program's wait mark
};

} // namespace tarnwick
