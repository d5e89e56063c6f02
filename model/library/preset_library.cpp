// The preset library on SQLite.
#include "library/preset_library.h"
#include "platform/utf8_path.h"

#include "platform/atomic_file.h"
#include "preset/preset_message.h"
#include "preset/preset_text.h"
#include "preset/syx_file.h"

#include <SQLiteCpp/Backup.h>
#include <SQLiteCpp/SQLiteCpp.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <thread>

namespace tarnwick {

namespace fs = std::filesystem;

namespace {

std::string canonical(const PresetRecord& record) {
    const PresetMessage message = MessageKeepingName(record, PresetIndex::fromZeroBase(0));
    return std::string(message.begin(), message.end());
}

std::optional<PresetRecord> fromCanonical(const void* blob, int size) {
    std::vector<SyxMessage> messages;
    SyxError error;
    if (!DecodeSyx(std::string(static_cast<const char*>(blob), std::size_t(size)), messages,
                   error) ||
        messages.size() != 1) {
        return std::nullopt;
    }
    return messages.front().record;
}

// The rows by which a preset is found by channel and program: (channel, program or 0 when
// its program is off) for each channel that switches a value on.
std::vector<std::pair<int, int>> channelRows(const PresetRecord& record) {
    std::vector<std::pair<int, int>> rows;
    for (int channel = 1; channel <= kChannelCount; ++channel) {
        const ChannelSlot& slot = record.channel(channel);
        if (!SlotEnabled(slot[SlotKind::Msb]) && !SlotEnabled(slot[SlotKind::Lsb]) &&
            !SlotEnabled(slot[SlotKind::Program])) {
            continue;
        }
        rows.emplace_back(channel, SlotEnabled(slot[SlotKind::Program])
                                       ? ProgramNumberFromStored(slot[SlotKind::Program])
                                       : 0);
    }
    return rows;
}

// Writes the channel index of presets, its statements prepared once for all of them.
class ChannelIndexer {
public:
    explicit ChannelIndexer(SQLite::Database& db)
        : m_summary(db, "UPDATE presets SET channels = ? WHERE id = ?"),
          m_insert(db, "INSERT OR REPLACE INTO preset_channels(preset_id, channel, program) "
                       "VALUES (?, ?, ?)") {}

    void index(std::int64_t id, const PresetRecord& record) {
        m_summary.bind(1, ChannelsSummary(record));
        m_summary.bind(2, id);
        m_summary.exec();
        m_summary.reset();
        for (const auto& [channel, program] : channelRows(record)) {
            m_insert.bind(1, id);
            m_insert.bind(2, channel);
            program ? m_insert.bind(3, program) : m_insert.bind(3);
            m_insert.exec();
            m_insert.reset();
        }
    }

private:
    SQLite::Statement m_summary;
    SQLite::Statement m_insert;
};

// Damage found in the library's content (not by SQLite): said as "is damaged: WHAT".
struct LibraryDamage : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Each step brings the schema from the version before it to its own; a library is brought
// forward step by step, each in the same transaction as its version number.
void createVersion1(SQLite::Database& db) {
    db.exec(R"(
        CREATE TABLE presets(
            id INTEGER PRIMARY KEY,
            message BLOB NOT NULL UNIQUE, -- the preset's message as preset 1
            name TEXT NOT NULL,
            last_entry INTEGER NOT NULL);
        CREATE TABLE entries(
            id INTEGER PRIMARY KEY,
            kind TEXT NOT NULL CHECK (kind IN ('bank', 'preset')),
            source TEXT NOT NULL,
            program TEXT NOT NULL,
            recorded_at TEXT NOT NULL,
            content TEXT NOT NULL, -- the preset ids in slot order
            UNIQUE (kind, source, content));
        CREATE TABLE slots(
            entry_id INTEGER NOT NULL REFERENCES entries(id),
            slot INTEGER NOT NULL,
            preset_id INTEGER NOT NULL REFERENCES presets(id),
            PRIMARY KEY (entry_id, slot)) WITHOUT ROWID;
        CREATE INDEX presets_by_entry ON presets(last_entry);
    )");
}

// Version 2 finds presets by channel and program (the values each preset switches on), and
// lists the newest first without sorting them all: each recording numbers the presets it
// saw, in an index read from its end.
void addChannels(SQLite::Database& db) {
    db.exec(R"(
        ALTER TABLE presets ADD COLUMN channels TEXT NOT NULL DEFAULT '';
        ALTER TABLE presets ADD COLUMN last_seen INTEGER NOT NULL DEFAULT 0;
        UPDATE presets SET last_seen = last_entry;
        CREATE INDEX presets_by_seen ON presets(last_seen DESC, id);
        CREATE TABLE preset_channels(
            preset_id INTEGER NOT NULL REFERENCES presets(id),
            channel INTEGER NOT NULL,
            program INTEGER, -- 1 to 128; NULL when the program is off
            PRIMARY KEY (preset_id, channel)) WITHOUT ROWID;
        CREATE INDEX channels_by_program ON preset_channels(program, channel);
    )");
    // The presets recorded before get their channels. A row that is no preset message is
    // damage: the update stops there and says which.
    SQLite::Statement all(db, "SELECT id, message FROM presets");
    std::vector<std::pair<std::int64_t, PresetRecord>> presets;
    while (all.executeStep()) {
        const auto record = fromCanonical(all.getColumn(1).getBlob(), all.getColumn(1).getBytes());
        if (!record) {
            throw LibraryDamage("preset " + PresetId(all.getColumn(0).getInt64()) +
                                " is no preset message");
        }
        presets.emplace_back(all.getColumn(0).getInt64(), *record);
    }
    ChannelIndexer indexer(db);
    for (const auto& [id, record] : presets) {
        indexer.index(id, record);
    }
}

// Version 3 finds names as they are typed without reading the presets' rows: the names
// stand in the index that lists the newest first, so only a preset that matches is read.
void addNamesToTheNewestFirst(SQLite::Database& db) {
    db.exec(R"(
        DROP INDEX presets_by_seen;
        CREATE INDEX presets_by_seen ON presets(last_seen DESC, id, name);
    )");
}

// Version 4 says what was done when an entry was last recorded: a file opened or saved, a
// bank downloaded, a file added. Entries recorded before say nothing, except downloads,
// which their source names.
void addActions(SQLite::Database& db) {
    db.exec(R"(
        ALTER TABLE entries ADD COLUMN action TEXT NOT NULL DEFAULT '';
        UPDATE entries SET action = 'downloaded' WHERE source LIKE 'downloaded to %';
    )");
}

const std::function<void(SQLite::Database&)> kSteps[] = {createVersion1, addChannels,
                                                         addNamesToTheNewestFirst, addActions};
static_assert(std::size(kSteps) == PresetLibrary::kSchemaVersion);

// SQLite takes file names in UTF-8 on every system.
std::string utf8(const fs::path& path) {
    return Utf8Text(path);
}
std::string utf8(const std::u8string& text) {
    return std::string(text.begin(), text.end());
}

// A file name as an SQLite URI, for the read-only ways of opening it.
std::string fileUri(const fs::path& path, const char* parameters) {
    std::string uri = "file:";
    for (const char c : utf8(fs::absolute(path).generic_u8string())) {
        if (c == '?' || c == '#' || c == '%') {
            static const char* const hex = "0123456789ABCDEF";
            uri += '%';
            uri += hex[(unsigned(c) >> 4) & 0xF];
            uri += hex[unsigned(c) & 0xF];
        } else {
            uri += c;
        }
    }
    return uri + "?" + parameters;
}

// Runs `work` again while another program holds the library, up to the busy timeout.
// SQLite answers "busy" at once, without waiting, where waiting could deadlock: when two
// programs make a new library or switch its journal at the same moment.
template <typename Work> auto whenFree(Work work) {
    const auto end =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(PresetLibrary::kBusyTimeoutMs);
    for (;;) {
        try {
            return work();
        } catch (const SQLite::Exception& e) {
            if ((e.getErrorCode() != SQLITE_BUSY && e.getErrorCode() != SQLITE_LOCKED) ||
                std::chrono::steady_clock::now() > end) {
                throw;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::string reasonOf(const SQLite::Exception& e) {
    switch (e.getErrorCode()) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return "is in use by another program (waited " +
               std::to_string(PresetLibrary::kBusyTimeoutMs / 1000) + " s)";
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return std::string("is damaged: ") + e.what();
    case SQLITE_READONLY:
        return "cannot be written (read-only)";
    case SQLITE_FULL:
        return "cannot be written: the disk is full";
    default:
        return e.what();
    }
}

} // namespace

std::optional<fs::path> DefaultLibraryPath() {
    if (const char* chosen = std::getenv("TARNWICK_LIBRARY"); chosen && *chosen) {
        if (std::string(chosen) == "off") {
            return std::nullopt;
        }
        return Utf8Path(chosen);
    }
    fs::path data;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) {
        data = Utf8Path(xdg);
#ifdef _WIN32
    } else if (const char* appData = std::getenv("APPDATA"); appData && *appData) {
        data = Utf8Path(appData);
#endif
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        data = Utf8Path(home) / ".local" / "share";
    } else {
        return std::nullopt;
    }
    return data / "tarnwick-editor" / "library.sqlite";
}

std::string LibraryProblemText(const fs::path& path, const std::string& reason) {
    if (reason.rfind("is damaged", 0) != 0) {
        return Utf8Text(path) + ": " + reason;
    }
    std::string text = "The library " + Utf8Text(path) +
                       " is damaged; it was left as it is. Move it aside (or away) and the next "
                       "preset file opened, saved or sent starts a new one.";
    // The newest copy: of the newest version that has one, the last of its copies.
    for (int version = PresetLibrary::kSchemaVersion - 1; version > 0; --version) {
        std::error_code error;
        fs::path newest;
        for (int n = 1; fs::is_regular_file(PresetLibrary::BackupPath(path, version, n), error);
             ++n) {
            newest = PresetLibrary::BackupPath(path, version, n);
        }
        if (!newest.empty()) {
            text += " " + Utf8Text(newest.filename()) +
                    " beside it is a copy of it from before its last update.";
            break;
        }
    }
    return text;
}

std::string PresetId(std::int64_t id) {
    return std::string(1, 'p').append(std::to_string(id));
}
std::string BankId(std::int64_t id) {
    return std::string(1, 'b').append(std::to_string(id));
}

std::optional<std::int64_t> ParseLibraryId(const std::string& text, char kind) {
    std::string digits = text;
    if (!digits.empty() && (digits[0] == kind || digits[0] == std::toupper(kind))) {
        digits.erase(0, 1);
    } else if (kind != 'p') {
        return std::nullopt;
    }
    if (digits.empty() || digits.size() > 15 ||
        digits.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    return std::stoll(digits);
}

PresetLibrary::PresetLibrary() = default;

// Runs `work` on the open library; any error of SQLite's becomes the library's reason.
template <typename Work> auto PresetLibrary::guarded(Work work) -> decltype(work()) {
    if (!m_db) {
        fail("is not open");
        return std::nullopt;
    }
    try {
        return work();
    } catch (const SQLite::Exception& e) {
        fail(reasonOf(e));
        return std::nullopt;
    }
}
PresetLibrary::~PresetLibrary() = default;

bool PresetLibrary::fail(const std::string& reason) {
    m_error = reason;
    return false;
}

fs::path PresetLibrary::BackupPath(const fs::path& path, int version, int copy) {
    fs::path backup = path;
    backup += ".bak-v" + std::to_string(version);
    if (copy > 1) {
        backup += "." + std::to_string(copy);
    }
    return backup;
}

fs::path PresetLibrary::FreeBackupPath(const fs::path& path, int version) {
    std::error_code error;
    for (int copy = 1;; ++copy) {
        if (fs::path free = BackupPath(path, version, copy); !fs::exists(free, error)) {
            return free;
        }
    }
}

bool PresetLibrary::open(const fs::path& path, LibraryAccess access) {
    m_db.reset();
    m_defaultsKnown = false;
    m_error.clear();
    std::error_code error;
    const bool exists = fs::exists(path, error);
    if (!exists && access != LibraryAccess::Create) {
        return fail("no library yet (one is made when a preset file is first recorded)");
    }
    if (exists && !fs::is_regular_file(path, error)) {
        return fail("is not a file");
    }
    const fs::path folder = fs::absolute(path, error).parent_path();
    if (!exists) {
        fs::create_directories(folder, error);
        if (error) {
            return fail("cannot be made: " + error.message());
        }
    }
    const bool folderWritable = MayWrite(folder);
    m_readOnly = access == LibraryAccess::Read || (exists && (!MayWrite(path) || !folderWritable));
    try {
        if (!m_readOnly) {
            m_db = std::make_unique<SQLite::Database>(
                utf8(path), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE, kBusyTimeoutMs);
            whenFree([this] { return m_db->exec("PRAGMA journal_mode = WAL"); });
            m_db->exec("PRAGMA synchronous = NORMAL");
            m_db->exec("PRAGMA foreign_keys = ON");
        } else {
            // A WAL library in a folder that takes no new file cannot get its shared-memory
            // file: it is read as it stands on the disk, unchanging.
            m_db = std::make_unique<SQLite::Database>(
                fileUri(path, folderWritable ? "mode=ro" : "immutable=1"),
                SQLite::OPEN_READONLY | SQLite::OPEN_URI, kBusyTimeoutMs);
        }
        // The header and the schema are read here; the rest of the file when a query needs
        // it, so that opening costs the same however large the library has grown.
        const int version = whenFree([this] {
            m_db->execAndGet("SELECT count(*) FROM sqlite_schema");
            return m_db->execAndGet("PRAGMA user_version").getInt();
        });
        if (version > kSchemaVersion) {
            m_db.reset();
            return fail("was made by a newer version of Tarnwick Editor (schema " +
                        std::to_string(version) + "; this one knows up to " +
                        std::to_string(kSchemaVersion) + ")");
        }
        if (version < kSchemaVersion && (m_readOnly || !migrate(path))) {
            m_db.reset();
            return m_readOnly ? fail("is from an older version and cannot be updated: read-only")
                              : false;
        }
    } catch (const SQLite::Exception& e) {
        m_db.reset();
        return fail(reasonOf(e));
    }
    return true;
}

bool PresetLibrary::migrate(const fs::path& path) {
    try {
        whenFree([this, &path] { migrateNow(path); });
    } catch (const SQLite::Exception& e) {
        return fail(reasonOf(e));
    } catch (const LibraryDamage& e) {
        return fail(std::string("is damaged: ") + e.what() + "; it was left as it was");
    }
    return true;
}

void PresetLibrary::migrateNow(const fs::path& path) {
    // The write lock first, and the version read again under it: another program may have
    // just updated the library, and its copy of the old one must not be overwritten with
    // the updated file.
    SQLite::Transaction transaction(*m_db, SQLite::TransactionBehavior::IMMEDIATE);
    const int version = m_db->execAndGet("PRAGMA user_version").getInt();
    if (version == kSchemaVersion) {
        return;
    }
    // What the user had stays beside it, whole, until the update has proved itself; a copy
    // of an earlier update is never replaced.
    if (version > 0) {
        // Read through a connection of its own: the write lock held here lets readers in,
        // and they see the library as it is before this update.
        SQLite::Database old(utf8(path), SQLite::OPEN_READONLY);
        SQLite::Database copy(utf8(FreeBackupPath(path, version)),
                              SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        if (SQLite::Backup(copy, old).executeStep() != SQLITE_DONE) {
            throw LibraryDamage("no copy of it could be kept before updating it");
        }
    }
    for (int step = version; step < kSchemaVersion; ++step) {
        kSteps[step](*m_db);
    }
    m_db->exec("PRAGMA user_version = " + std::to_string(kSchemaVersion));
    if (const std::string problem = m_db->execAndGet("PRAGMA quick_check").getString();
        problem != "ok") {
        throw LibraryDamage(problem);
    }
    transaction.commit();
}

std::optional<RecordOutcome> PresetLibrary::record(const std::vector<PresetRecord>& presets,
                                                   const std::string& source,
                                                   const std::string& program,
                                                   const std::string& action) {
    if (presets.size() != 1 && presets.size() != std::size_t(kPresetCount)) {
        fail("holds " + std::to_string(presets.size()) + " presets; 1 or 100 are recorded");
        return std::nullopt;
    }
    return guarded([&]() -> std::optional<RecordOutcome> {
        return whenFree([&] { return recordNow(presets, source, program, action); });
    });
}

RecordOutcome PresetLibrary::recordNow(const std::vector<PresetRecord>& presets,
                                       const std::string& source, const std::string& program,
                                       const std::string& action) {
    RecordOutcome outcome;
    SQLite::Transaction transaction(*m_db, SQLite::TransactionBehavior::IMMEDIATE);
    SQLite::Statement find(*m_db, "SELECT id FROM presets WHERE message = ?");
    SQLite::Statement insert(*m_db,
                             "INSERT INTO presets(message, name, last_entry) VALUES (?, ?, 0)");
    ChannelIndexer indexer(*m_db);
    std::vector<std::int64_t> ids;
    std::string content;
    for (const PresetRecord& record : presets) {
        const std::string message = canonical(record);
        find.bind(1, message.data(), int(message.size()));
        if (find.executeStep()) {
            ids.push_back(find.getColumn(0).getInt64());
            ++outcome.knownPresets;
        } else {
            insert.bind(1, message.data(), int(message.size()));
            insert.bind(2, PresetName(CarriedByMessage(record)));
            insert.exec();
            insert.reset();
            ids.push_back(m_db->getLastInsertRowid());
            indexer.index(ids.back(), record);
            ++outcome.newPresets;
        }
        find.reset();
        content.append(content.empty() ? "" : ",").append(std::to_string(ids.back()));
    }
    const char* kind = presets.size() == 1 ? "preset" : "bank";
    // The same presets from the same place again: the entry there is seen anew.
    SQLite::Statement known(*m_db,
                            "SELECT id FROM entries WHERE kind = ? AND source = ? AND content = ?");
    known.bind(1, kind);
    known.bind(2, source);
    known.bind(3, content);
    std::int64_t entry = 0;
    if (known.executeStep()) {
        entry = known.getColumn(0).getInt64();
        SQLite::Statement seen(*m_db,
                               "UPDATE entries SET recorded_at = strftime('%Y-%m-%dT%H:%M:%SZ', "
                               "'now'), program = ?, action = ? WHERE id = ?");
        seen.bind(1, program);
        seen.bind(2, action);
        seen.bind(3, entry);
        seen.exec();
    } else {
        SQLite::Statement add(*m_db,
                              "INSERT INTO entries(kind, source, program, recorded_at, content, "
                              "action) "
                              "VALUES (?, ?, ?, strftime('%Y-%m-%dT%H:%M:%SZ', 'now'), ?, ?)");
        add.bind(1, kind);
        add.bind(2, source);
        add.bind(3, program);
        add.bind(4, content);
        add.bind(5, action);
        add.exec();
        entry = m_db->getLastInsertRowid();
        outcome.newEntry = true;
        SQLite::Statement slot(*m_db,
                               "INSERT INTO slots(entry_id, slot, preset_id) VALUES (?, ?, ?)");
        for (std::size_t i = 0; i < ids.size(); ++i) {
            slot.bind(1, entry);
            slot.bind(2, int(i + 1));
            slot.bind(3, ids[i]);
            slot.exec();
            slot.reset();
        }
    }
    const std::int64_t seen =
        m_db->execAndGet("SELECT coalesce(max(last_seen), 0) + 1 FROM presets").getInt64();
    SQLite::Statement last(*m_db, "UPDATE presets SET last_entry = ?, last_seen = ? WHERE id = ?");
    for (const std::int64_t id : ids) {
        last.bind(1, entry);
        last.bind(2, seen);
        last.bind(3, id);
        last.exec();
        last.reset();
    }
    transaction.commit();
    return outcome;
}

void PresetLibrary::knowUntouchedDefaults() {
    if (m_defaultsKnown) {
        return;
    }
    // In a table of this connection's own: a library opened for reading only is not written.
    m_db->exec("CREATE TEMP TABLE IF NOT EXISTS untouched_defaults(message BLOB PRIMARY KEY)");
    SQLite::Statement add(*m_db, "INSERT OR IGNORE INTO temp.untouched_defaults VALUES (?)");
    for (int slot = 0; slot < kPresetCount; ++slot) {
        const PresetRecord fresh = NewBankPreset(PresetIndex::fromZeroBase(slot));
        // As the editor holds it, and as a file holds it (the name padded with blanks).
        for (const PresetRecord& form : {fresh, CarriedByMessage(fresh)}) {
            const std::string message = canonical(form);
            add.bind(1, message.data(), int(message.size()));
            add.exec();
            add.reset();
        }
    }
    m_defaultsKnown = true;
}

std::optional<std::vector<LibraryPreset>> PresetLibrary::search(const LibraryQuery& query) {
    return guarded([&]() -> std::optional<std::vector<LibraryPreset>> {
        knowUntouchedDefaults();
        std::vector<LibraryPreset> found;
        // The text goes in as a bound value and is found with instr(): quotes, %, _ and *
        // are only characters.
        SQLite::Statement select(*m_db, R"(
            SELECT p.id, p.name, p.channels, e.source, e.recorded_at, p.message,
                   CASE e.kind WHEN 'bank' THEN e.id ELSE 0 END
            FROM presets p JOIN entries e ON e.id = p.last_entry
            WHERE (?1 = '' OR instr(lower(p.name), lower(?1)) > 0)
              AND ((?2 IS NULL AND ?3 IS NULL) OR EXISTS (
                  SELECT 1 FROM preset_channels c WHERE c.preset_id = p.id
                      AND (?2 IS NULL OR c.channel = ?2) AND (?3 IS NULL OR c.program = ?3)))
              AND (?5 IS NULL OR p.id = ?5)
              AND (?6 OR p.message NOT IN (SELECT message FROM temp.untouched_defaults))
            ORDER BY p.last_seen DESC, p.id
            LIMIT ?4)");
        select.bind(1, query.text);
        query.channel ? select.bind(2, *query.channel) : select.bind(2);
        query.program ? select.bind(3, *query.program) : select.bind(3);
        select.bind(4, query.limit ? std::int64_t(query.limit) : std::int64_t(-1));
        query.id ? select.bind(5, *query.id) : select.bind(5);
        select.bind(6, query.defaults);
        while (select.executeStep()) {
            LibraryPreset preset;
            preset.id = select.getColumn(0).getInt64();
            preset.name = select.getColumn(1).getString();
            preset.channels = select.getColumn(2).getString();
            preset.source = select.getColumn(3).getString();
            preset.when = select.getColumn(4).getString();
            preset.bankId = select.getColumn(6).getInt64();
            const auto record =
                fromCanonical(select.getColumn(5).getBlob(), select.getColumn(5).getBytes());
            if (!record) {
                fail("is damaged: preset " + PresetId(preset.id) + " is no preset message");
                return std::nullopt;
            }
            preset.record = *record;
            found.push_back(std::move(preset));
        }
        return found;
    });
}

std::optional<std::vector<LibraryBank>> PresetLibrary::banks() {
    return guarded([&]() -> std::optional<std::vector<LibraryBank>> {
        std::vector<LibraryBank> found;
        SQLite::Statement select(*m_db, R"(
            SELECT e.id, e.source, e.recorded_at, e.program, e.action,
                   (SELECT group_concat(name, char(10)) FROM (
                       SELECT p.name FROM slots s JOIN presets p ON p.id = s.preset_id
                       WHERE s.entry_id = e.id AND s.slot <= 3 ORDER BY s.slot))
            FROM entries e WHERE e.kind = 'bank'
            ORDER BY e.recorded_at DESC, e.id DESC)");
        while (select.executeStep()) {
            LibraryBank bank;
            bank.id = select.getColumn(0).getInt64();
            bank.source = select.getColumn(1).getString();
            bank.when = select.getColumn(2).getString();
            bank.program = select.getColumn(3).getString();
            bank.action = select.getColumn(4).getString();
            std::string names = select.getColumn(5).getString();
            for (std::size_t start = 0; start <= names.size();) {
                const std::size_t end = std::min(names.find('\n', start), names.size());
                bank.firstNames.push_back(names.substr(start, end - start));
                start = end + 1;
            }
            found.push_back(std::move(bank));
        }
        return found;
    });
}

std::optional<LibraryPreset> PresetLibrary::preset(std::int64_t id) {
    LibraryQuery one;
    one.id = id;
    one.defaults = true;
    const auto found = search(one);
    if (!found) {
        return std::nullopt;
    }
    if (found->empty()) {
        fail("holds no preset " + PresetId(id));
        return std::nullopt;
    }
    return found->front();
}

std::optional<std::vector<PresetRecord>> PresetLibrary::bank(std::int64_t id) {
    return guarded([&]() -> std::optional<std::vector<PresetRecord>> {
        std::vector<PresetRecord> presets;
        SQLite::Statement select(*m_db, R"(
            SELECT p.message FROM entries e JOIN slots s ON s.entry_id = e.id
                JOIN presets p ON p.id = s.preset_id
            WHERE e.id = ? AND e.kind = 'bank' ORDER BY s.slot)");
        select.bind(1, id);
        while (select.executeStep()) {
            const auto record =
                fromCanonical(select.getColumn(0).getBlob(), select.getColumn(0).getBytes());
            if (!record) {
                fail("is damaged: bank " + BankId(id) + " holds no preset message");
                return std::nullopt;
            }
            presets.push_back(*record);
        }
        if (presets.size() != std::size_t(kPresetCount)) {
            fail(presets.empty() ? "holds no bank " + BankId(id)
                                 : "is damaged: bank " + BankId(id) + " has " +
                                       std::to_string(presets.size()) + " presets");
            return std::nullopt;
        }
        return presets;
    });
}

std::optional<LibraryCounts> PresetLibrary::check() {
    return guarded([&]() -> std::optional<LibraryCounts> {
        LibraryCounts counts;
        SQLite::Statement integrity(*m_db, "PRAGMA integrity_check");
        if (integrity.executeStep() && integrity.getColumn(0).getString() != "ok") {
            fail("is damaged: " + integrity.getColumn(0).getString());
            return std::nullopt;
        }
        // Every bank holds 100 slots and every single preset one.
        const int broken = m_db->execAndGet(R"(
            SELECT count(*) FROM entries e
            WHERE (SELECT count(*) FROM slots s WHERE s.entry_id = e.id)
                  != CASE e.kind WHEN 'bank' THEN 100 ELSE 1 END)")
                               .getInt();
        if (broken != 0) {
            fail("is damaged: " + std::to_string(broken) + " entries are not whole");
            return std::nullopt;
        }
        // Each preset's channel index as its content gives it.
        SQLite::Statement presets(*m_db, "SELECT id, message, channels FROM presets ORDER BY id");
        SQLite::Statement rows(*m_db, "SELECT channel, coalesce(program, 0) FROM preset_channels "
                                      "WHERE preset_id = ? ORDER BY channel");
        while (presets.executeStep()) {
            const std::int64_t id = presets.getColumn(0).getInt64();
            const auto record =
                fromCanonical(presets.getColumn(1).getBlob(), presets.getColumn(1).getBytes());
            if (!record) {
                fail("is damaged: preset " + PresetId(id) + " is no preset message");
                return std::nullopt;
            }
            std::vector<std::pair<int, int>> indexed;
            rows.bind(1, id);
            while (rows.executeStep()) {
                indexed.emplace_back(rows.getColumn(0).getInt(), rows.getColumn(1).getInt());
            }
            rows.reset();
            if (indexed != channelRows(*record) ||
                presets.getColumn(2).getString() != ChannelsSummary(*record)) {
                counts.indexMismatches.push_back(id);
            }
        }
        counts.presets = std::size_t(m_db->execAndGet("SELECT count(*) FROM presets").getInt64());
        counts.banks = std::size_t(
            m_db->execAndGet("SELECT count(*) FROM entries WHERE kind = 'bank'").getInt64());
        counts.singles = std::size_t(
            m_db->execAndGet("SELECT count(*) FROM entries WHERE kind = 'preset'").getInt64());
        return counts;
    });
}

std::optional<std::int64_t> PresetLibrary::dataVersion() {
    return guarded([&]() -> std::optional<std::int64_t> {
        return whenFree([&] { return m_db->execAndGet("PRAGMA data_version").getInt64(); });
    });
}

bool PresetLibrary::compact() {
    return guarded([&]() -> std::optional<bool> {
               whenFree([&] { m_db->exec("VACUUM"); });
               return true;
           })
        .has_value();
}

std::optional<RemoveOutcome> PresetLibrary::remove(const std::vector<std::int64_t>& banks,
                                                   const std::vector<std::int64_t>& presets) {
    return guarded([&]() -> std::optional<RemoveOutcome> {
        try {
            return whenFree([&] { return removeNow(banks, presets); });
        } catch (const LibraryDamage& e) {
            fail(e.what()); // an ID that names nothing: nothing was removed
            return std::nullopt;
        }
    });
}

RemoveOutcome PresetLibrary::removeNow(std::vector<std::int64_t> banks,
                                       std::vector<std::int64_t> presets) {
    for (auto* ids : {&banks, &presets}) { // each named once, however often it is given
        std::sort(ids->begin(), ids->end());
        ids->erase(std::unique(ids->begin(), ids->end()), ids->end());
    }
    RemoveOutcome outcome;
    SQLite::Transaction transaction(*m_db, SQLite::TransactionBehavior::IMMEDIATE);
    std::vector<std::int64_t> entries;
    SQLite::Statement bank(*m_db, "SELECT id FROM entries WHERE id = ? AND kind = 'bank'");
    for (const std::int64_t id : banks) {
        bank.bind(1, id);
        if (!bank.executeStep()) {
            throw LibraryDamage("holds no bank " + BankId(id));
        }
        entries.push_back(id);
        bank.reset();
        ++outcome.banks;
    }
    SQLite::Statement single(*m_db, "SELECT e.id FROM entries e JOIN slots s ON s.entry_id = e.id "
                                    "WHERE e.kind = 'preset' AND s.preset_id = ?");
    for (const std::int64_t id : presets) {
        single.bind(1, id);
        const std::size_t before = entries.size();
        while (single.executeStep()) {
            entries.push_back(single.getColumn(0).getInt64());
            ++outcome.singles;
        }
        single.reset();
        if (entries.size() == before) {
            throw LibraryDamage("holds no one-preset file of preset " + PresetId(id) +
                                " (a preset in a bank goes with its bank)");
        }
    }
    SQLite::Statement forget(*m_db, "DELETE FROM slots WHERE entry_id = ?");
    SQLite::Statement entry(*m_db, "DELETE FROM entries WHERE id = ?");
    for (const std::int64_t id : entries) {
        forget.bind(1, id);
        forget.exec();
        forget.reset();
        entry.bind(1, id);
        entry.exec();
        entry.reset();
    }
    // Presets no entry holds go; the others are found through an entry that still holds them.
    outcome.presets = std::size_t(m_db->exec(R"(
        DELETE FROM preset_channels WHERE preset_id NOT IN (SELECT preset_id FROM slots);
        DELETE FROM presets WHERE id NOT IN (SELECT preset_id FROM slots))"));
    m_db->exec(R"(
        UPDATE presets SET last_entry = (SELECT max(entry_id) FROM slots WHERE preset_id = presets.id)
        WHERE last_entry NOT IN (SELECT id FROM entries))");
    transaction.commit();
    return outcome;
}

} // namespace tarnwick
