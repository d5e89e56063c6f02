// The editor's instruments and rig: the instrument files are read on a thread of their own
// once the main window shows (start-up does not wait for them), the rig from its file; the
// windows ask here for the sounds' names, and hear `changed` when they may differ.
#pragma once

#include "instruments/rig.h"
#include "preset/preset_text.h"
#include "support/background_thread.h"

#include <QObject>

class QFileSystemWatcher;

#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

namespace tarnwick {

class RigService final : public QObject {
    Q_OBJECT
public:
    // `folders`: where instrument files are looked for; `rigPath`: the rig's file, nothing
    // for none (TARNWICK_RIG=off).
    RigService(std::vector<std::filesystem::path> folders,
               std::optional<std::filesystem::path> rigPath, QObject* parent = nullptr);
    ~RigService() override;

    // Starts reading the instrument files, once.
    void load();
    // Reads them again (a file was added); `changed` when done.
    void reload();
    // Waits until they are read and `changed` was said (for tests).
    void waitForLoaded();
    bool loaded() const { return m_library != nullptr; }

    // Nothing before the files are read.
    const InstrumentLibrary* library() const { return m_library.get(); }
    const Rig& rig() const { return m_rig; }
    // Keeps `rig` and writes it to its file: the channels it changes from `rig()`, on top of
    // what the file holds now. False and `error` when it cannot be written (the rig is used
    // all the same until the editor ends).
    bool setRig(const Rig& rig, std::string& error);
    // What the rig's file said when it was read, when it could not be used; else empty.
    const std::string& rigProblem() const { return m_rigProblem; }

    // The rig's instruments as found: nothing named before the files are read.
    const RigNames& names() const { return *m_names; }
    // For the texts that list presets; empty when no channel names a sound. A namer keeps
    // the instruments and rig it was made with, so it may be used on any thread and after
    // the rig changes (`changed` then says to ask for a new one).
    ChannelNamer namer() const;
    // The same with every candidate; empty when no channel names a sound.
    SoundNamer soundNamer() const;

signals:
    void changed();

private:
    static constexpr int kWatchDelayMs = 250;
    // A rig file changed by another program is taken as it now is.
    void watchRigFile();
    void rewatch();
    // The rig file read again: false when it cannot be read as a rig.
    bool takeRigFile();

    std::vector<std::filesystem::path> m_folders;
    std::optional<std::filesystem::path> m_rigPath;
    Rig m_rig;
    std::string m_rigProblem;
    bool m_rigDamaged = false; // the file is not a rig: never written over
    std::shared_ptr<const InstrumentLibrary> m_library;
    std::shared_ptr<const RigNames> m_names = std::make_shared<const RigNames>();
    bool m_loading = false;
    QFileSystemWatcher* m_watcher = nullptr;
    BackgroundThread m_thread{*this}; // last: waited for before the rest goes
};

} // namespace tarnwick
