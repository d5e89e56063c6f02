// The preset library: one SQLite database per user that records every bank and preset the
// programs read, write or send, and finds them again by name or by what they send.
//
// A preset is stored once, by content: its message with the preset number left out. A
// bank is an ordered list of 100 references to presets, and a one-preset file a list of
// one, each with where it came from ("/path/Gig.syx", "downloaded to TWK-5", "pasted"),
// when and by which program. Every write is one transaction: a file's presets are all in
// or none are. Nothing here is trusted: a library that cannot be opened, is damaged or
// comes from a newer program is refused with a one-line reason and left as it is.
#pragma once

#include "preset/preset_record.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace SQLite {
class Database;
}

namespace tarnwick {

// The library's file: `TARNWICK_LIBRARY` when set ("off": none), else
// $XDG_DATA_HOME/tarnwick-editor/library.sqlite (~/.local/share when unset). Nothing when
// the library is switched off or no home is known.
std::optional<std::filesystem::path> DefaultLibraryPath();

struct LibraryPreset {
    std::int64_t id = 0;
    std::string name;        // as the editor shows it, blanks kept
    std::string channels;    // the values switched on, as the Bank Organizer shows them
    std::string source;      // where it was seen last
    std::string when;        // and when: "2026-12-09T10:20:00Z"
    std::int64_t bankId = 0; // the bank it was seen in last; 0 when seen alone
    PresetRecord record;
};

struct LibraryBank {
    std::int64_t id = 0;
    std::string source;
    std::string when;
    std::string program;
    std::string action; // "opened", "saved", "downloaded", "added", ...; empty: not known
    std::vector<std::string> firstNames; // the names of presets 1 to 3
};

struct LibraryQuery {
    std::string text;               // a part of the name, any letter case; empty: every name
    std::optional<int> channel;     // 1-16: a value switched on on that channel
    std::optional<int> program;     // 1-128: that program (on `channel`, if given)
    std::size_t limit = 0;          // 0: every match
    std::optional<std::int64_t> id; // only this preset
    // Slots' untouched defaults too (their own "New Name N", nothing switched on, no MIDI
    // data): part of every bank, but not what anybody looks for.
    bool defaults = false;
};

// What recording one file added.
struct RecordOutcome {
    std::size_t newPresets = 0;
    std::size_t knownPresets = 0;
    bool newEntry = false; // the bank (or single preset) from this source was not there yet
};

struct LibraryCounts {
    std::size_t presets = 0;
    std::size_t banks = 0;
    std::size_t singles = 0;
    // Presets whose channel index (what search by channel and program reads) disagrees
    // with their content.
    std::vector<std::int64_t> indexMismatches;
};

// What forgetting entries took away.
struct RemoveOutcome {
    std::size_t banks = 0;
    std::size_t singles = 0; // one-preset files
    std::size_t presets = 0; // presets that no entry held any more
};

// How a library is opened.
enum class LibraryAccess {
    Read,   // searched only: nothing is written, not even an update of an older library
    Write,  // an existing library, brought up to date when it is older
    Create, // the same, made when there is none
};

class PresetLibrary {
public:
    static constexpr int kSchemaVersion = 4;
    static constexpr int kBusyTimeoutMs = 5000;

    PresetLibrary();
    ~PresetLibrary();
    PresetLibrary(const PresetLibrary&) = delete;
    PresetLibrary& operator=(const PresetLibrary&) = delete;

    // Opens the library at `path` as `access` says. A library from an older version is
    // brought up to date when it may be written, after a copy of it is kept beside it
    // (library.sqlite.bak-vN, N its old version; bak-vN.2 and on where an earlier update
    // left a copy) and is then checked whole. False and a
    // one-line reason ("is damaged: ...", "was made by a newer version (schema 3)", ...)
    // otherwise. A file the user may not write is opened for searching only. Opening
    // reads only the file's header and schema: damage elsewhere is found by the query that
    // meets it (the same words, the file left as it is) or by check().
    bool open(const std::filesystem::path& path, LibraryAccess access);
    // The `copy`th copy kept before bringing a library of schema `version` up to date.
    static std::filesystem::path BackupPath(const std::filesystem::path& path, int version,
                                            int copy = 1);
    // The first copy's name that no file holds yet: a copy of an earlier update is kept.
    static std::filesystem::path FreeBackupPath(const std::filesystem::path& path, int version);
    const std::string& error() const { return m_error; }
    bool readOnly() const { return m_readOnly; }

    // Records 1 or 100 presets, in slot order, as one transaction. Nothing, and error(),
    // when that failed; the library is then as it was before.
    // `action`: what was done ("opened", "saved", "downloaded", "added", ...).
    std::optional<RecordOutcome> record(const std::vector<PresetRecord>& presets,
                                        const std::string& source, const std::string& program,
                                        const std::string& action);

    // Newest first (by when each preset was last recorded).
    std::optional<std::vector<LibraryPreset>> search(const LibraryQuery& query);
    std::optional<std::vector<LibraryBank>> banks();
    std::optional<LibraryPreset> preset(std::int64_t id);
    // The 100 presets of bank `id`, in slot order.
    std::optional<std::vector<PresetRecord>> bank(std::int64_t id);
    // `PRAGMA integrity_check`, every entry whole, each preset's content against its
    // channel index, and the counts; nothing and error() when damaged.
    std::optional<LibraryCounts> check();
    // A number that changes whenever another connection (another program, or another part
    // of this one) has changed the file since; nothing and error() when it cannot be read.
    std::optional<std::int64_t> dataVersion();
    // Rebuilds the file without its free pages (VACUUM); the library never shrinks otherwise.
    bool compact();
    // Forgets banks `banks` and the one-preset files of presets `presets`, with every preset
    // no entry holds any more, as one transaction. Nothing and error() (and nothing
    // removed) when an ID names nothing.
    std::optional<RemoveOutcome> remove(const std::vector<std::int64_t>& banks,
                                        const std::vector<std::int64_t>& presets);

private:
    bool fail(const std::string& reason);
    template <typename Work> auto guarded(Work work) -> decltype(work());
    bool migrate(const std::filesystem::path& path);
    // Fills this connection's table of the slots' untouched defaults, once.
    void knowUntouchedDefaults();
    // The work of migrate() and record(); they throw SQLite::Exception.
    void migrateNow(const std::filesystem::path& path);
    RemoveOutcome removeNow(std::vector<std::int64_t> banks, std::vector<std::int64_t> presets);
    RecordOutcome recordNow(const std::vector<PresetRecord>& presets, const std::string& source,
                            const std::string& program, const std::string& action);

    std::unique_ptr<SQLite::Database> m_db;
    std::string m_error;
    bool m_readOnly = false;
    bool m_defaultsKnown = false; // the untouched defaults are in this connection's table
};

// What a window says of a library that cannot be used, in words, with what to do: for a
// damaged one, that it was left as it is, that moving it aside lets a new one be made, and
// the copy kept before its last update when there is one; else `path` and `reason`.
std::string LibraryProblemText(const std::filesystem::path& path, const std::string& reason);

// Short, stable IDs as the user types them: "p12" for a preset, "b3" for a bank.
std::string PresetId(std::int64_t id);
std::string BankId(std::int64_t id);
// The number of an ID of the given kind ('p' or 'b'); a plain number is taken as a preset.
std::optional<std::int64_t> ParseLibraryId(const std::string& text, char kind);

} // namespace tarnwick
