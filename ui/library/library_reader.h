// Reads the library for the Library window on a thread of its own, so that typing never
// waits for the disk: the library opened read-only (it is never updated or written from
// here), searches run one at a time, and only the newest search asked for is answered.
#pragma once

#include "instruments/sound_names.h"
#include "library/preset_library.h"
#include "support/background_thread.h"

#include <QObject>

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick {

class LibraryReader final : public QObject {
    Q_OBJECT
public:
    // `path`: the library's file; nothing when the library is switched off.
    explicit LibraryReader(std::optional<std::filesystem::path> path, QObject* parent = nullptr);
    ~LibraryReader() override;

    // Where the answers go, on the GUI thread. `failed` gets the library's one-line reason.
    std::function<void(std::vector<LibraryPreset>)> found;
    std::function<void(std::vector<LibraryBank>)> banksListed;
    std::function<void(const QString&)> failed;
    // Called when watch() finds the library changed since it looked last.
    std::function<void()> changed;

    // Searches; an answer comes only for the newest search asked for. With `names`, the
    // answer's channels name their sounds, and with `sound` too only presets that select a
    // sound whose name holds it are kept, `limit` of them: all on the reading thread, so
    // that the window never waits for naming thousands of channels.
    void search(const LibraryQuery& query, SoundNamer names = {}, std::string sound = {},
                std::size_t limit = 0);
    void listBanks();
    // Looks whether the file changed since the last look (a recording of this editor's or
    // of another program, tarnwick-syx library add); a library that appears counts as a
    // change. Says nothing of a library that cannot be read: a search says that.
    void watch();
    // The 100 presets of bank `id`, read at once (one bank is quick); nothing and `reason`.
    std::optional<std::vector<PresetRecord>> bank(std::int64_t id, std::string& reason);
    // Waits until every read asked for is done and answered (for tests).
    void waitForDone();

private:
    // Runs `read` on the reading thread with the library open, then `answer` on this
    // thread unless `stale` says by then that a newer read was asked for.
    template <typename Read> void inBackground(Read read);
    // The library, opened on first use; nothing (and the reason said) when it cannot be.
    PresetLibrary* library();

    std::optional<std::filesystem::path> m_path;
    std::unique_ptr<PresetLibrary> m_library; // used by the reading thread only
    std::atomic<unsigned> m_newestSearch{0};
    std::optional<std::int64_t> m_seenVersion; // the reading thread's last look
    BackgroundThread m_thread{*this};          // one thread: reads keep their order; last
};

} // namespace tarnwick
