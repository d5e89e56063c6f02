// Records what the editor reads, writes and sends in the preset library, on a thread of
// its own after the command's own work, so that no command waits for the library. The
// library is opened on the first recording, not at start-up. A recording that fails never
// fails the command; the first failure is said once (failed()).
#pragma once

#include "preset/preset_record.h"

#include <QObject>
#include <QString>
#include <QThreadPool>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tarnwick {

class PresetLibrary;

class LibraryRecorder final : public QObject {
    Q_OBJECT
public:
    // `path`: the library's file; nothing when the library is switched off.
    explicit LibraryRecorder(std::optional<std::filesystem::path> path, QObject* parent = nullptr);
    ~LibraryRecorder() override;

    const std::optional<std::filesystem::path>& path() const { return m_path; }
    // Records 1 or 100 presets, in slot order, from `source` ("/path/Gig.syx",
    // "downloaded to TWK-5"): a bank or a preset as their messages carry them (what Save
    // writes and a download sends), a list exactly as given (what a file that was read
    // held), so that a preset is kept as the bytes the file holds.
    // `action` says what was done: "opened", "saved", "downloaded".
    void record(const PresetBank& bank, const QString& source, const char* action);
    void record(const PresetRecord& preset, const QString& source, const char* action);
    void record(std::vector<PresetRecord> presets, const QString& source, const char* action);
    // Forgets banks `banks` and the one-preset files of presets `presets` (their IDs), with
    // the presets no entry holds any more; said as a recording is.
    void remove(std::vector<std::int64_t> banks, std::vector<std::int64_t> presets);
    // The first failure in words ("Not recorded: The library ... is damaged; ..."), empty
    // while every recording went in.
    const QString& failure() const { return m_failure; }
    // Waits until every recording asked for is done (for tests and the end of the program).
    void waitForDone() { m_thread.waitForDone(); }

signals:
    void recorded();
    // The first failure only, in the words of failure().
    void failed(const QString& text);

private:
    // Runs `write` on the recording thread with the library open; `recorded` when it says it
    // was done, `failed` (once) when not.
    void inBackground(std::function<bool(PresetLibrary&)> write);
    // Keeps and says the first failure, `reason` as the library gave it.
    void fail(const QString& reason);

    std::optional<std::filesystem::path> m_path;
    std::unique_ptr<PresetLibrary> m_library; // used by the recording thread only
    QThreadPool m_thread;                     // one thread: recordings keep their order
    QString m_failure;
};

} // namespace tarnwick
