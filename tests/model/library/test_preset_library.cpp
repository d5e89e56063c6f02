// The preset library on real database files: presets kept once by content, search text
// taken literally, an old library brought forward, bad libraries refused and left alone.
#include "library/preset_library.h"
#include "preset/syx_file.h"

#include <SQLiteCpp/SQLiteCpp.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <fstream>
#include <iterator>

#include <chrono>
#include <thread>

using namespace tarnwick;

namespace {

std::vector<PresetRecord> bank(const std::vector<std::string>& names) {
    std::vector<PresetRecord> presets;
    for (std::size_t i = 0; i < 100; ++i) {
        presets.push_back(NewBankPreset(PresetIndex::fromZeroBase(int(i))));
        SetPresetName(presets[i], i < names.size() ? names[i] : "Spare " + std::to_string(i));
    }
    return presets;
}

QStringList names(const std::optional<std::vector<LibraryPreset>>& found) {
    QStringList list;
    for (const LibraryPreset& preset : found.value_or(std::vector<LibraryPreset>{})) {
        list << QString::fromStdString(preset.name).trimmed();
    }
    list.sort();
    return list;
}

} // namespace

class PresetLibraryTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::string path(const char* name) const { return m_dir.filePath(name).toStdString(); }

private slots:
    void presetsAreKeptOnceByContent_data() {
        QTest::addColumn<int>("changedSlot"); // of the second bank; -1: none
        QTest::addColumn<QString>("source");  // of the second bank
        QTest::addColumn<int>("newPresets");
        QTest::addColumn<bool>("newEntry");
        QTest::newRow("the same bank twice") << -1 << "a.syx" << 0 << false;
        QTest::newRow("the same bank from elsewhere") << -1 << "b.syx" << 0 << true;
        QTest::newRow("a bank differing in one preset") << 40 << "a.syx" << 1 << true;
    }
    void presetsAreKeptOnceByContent() {
        QFETCH(int, changedSlot);
        QFETCH(QString, source);
        QFETCH(int, newPresets);
        QFETCH(bool, newEntry);
        PresetLibrary library;
        QVERIFY2(library.open(path(QTest::currentDataTag()), LibraryAccess::Create),
                 library.error().c_str());
        std::vector<PresetRecord> presets = bank({});
        QCOMPARE(library.record(presets, "a.syx", "test", "saved")->newPresets, std::size_t(100));
        if (changedSlot >= 0) {
            presets[std::size_t(changedSlot)].channel(2)[SlotKind::Program] = 56;
        }
        const auto second = library.record(presets, source.toStdString(), "test", "opened");
        QCOMPARE(second->newPresets, std::size_t(newPresets));
        QCOMPARE(second->newEntry, newEntry);
        QCOMPARE(library.check()->presets, std::size_t(100 + newPresets));
        // The newest entry says what was done last: saved, then opened.
        QCOMPARE(library.banks()->front().action, std::string("opened"));
        QCOMPARE(library.banks()->back().action, std::string(newEntry ? "saved" : "opened"));
        // The bank comes back as recorded: the same messages, byte for byte.
        const auto back = library.bank(library.banks()->front().id);
        QVERIFY(back && back->size() == presets.size());
        for (std::size_t i = 0; i < presets.size(); ++i) {
            const auto index = PresetIndex::fromZeroBase(int(i));
            QVERIFY(MessageKeepingName((*back)[i], index) == MessageKeepingName(presets[i], index));
        }
    }

    void searchTakesItsTextLiterally_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("channel"); // 0: any
        QTest::addColumn<int>("program"); // 0: any
        QTest::addColumn<QStringList>("found");
        QTest::newRow("a part, any case") << "PAD" << 0 << 0 << QStringList{"Pad", "Pad*"};
        QTest::newRow("a quote") << "it's" << 0 << 0 << QStringList{"It's"};
        QTest::newRow("percent") << "%" << 0 << 0 << QStringList{"100%"};
        QTest::newRow("underscore") << "_" << 0 << 0 << QStringList{"A_B"};
        QTest::newRow("star") << "*" << 0 << 0 << QStringList{"Pad*"};
        QTest::newRow("channel and program") << "" << 2 << 57 << QStringList{"A_B"};
        QTest::newRow("program on any channel") << "" << 0 << 57 << QStringList{"A_B", "It's"};
    }
    void searchTakesItsTextLiterally() {
        QFETCH(QString, text);
        QFETCH(int, channel);
        QFETCH(int, program);
        QFETCH(QStringList, found);
        PresetLibrary library;
        QVERIFY(library.open(path("search.sqlite"), LibraryAccess::Create));
        std::vector<PresetRecord> presets = bank({"It's", "100%", "A_B", "Pad*", "Pad"});
        presets[2].channel(2)[SlotKind::Program] = 56; // program 57
        presets[0].channel(5)[SlotKind::Program] = 56;
        library.record(presets, "s.syx", "test", "added");
        LibraryQuery query{text.toStdString(), {}, {}, 0, {}};
        if (channel) {
            query.channel = channel;
        }
        if (program) {
            query.program = program;
        }
        QCOMPARE(names(library.search(query)), found);
    }

    // A library written by the first version: presets without their channels indexed. It is
    // brought forward after a copy of it is kept beside it; a row that is no preset message
    // stops the update, and the file is left as it was.
    void anOldLibraryIsBroughtForward_data() {
        QTest::addColumn<bool>("damaged");
        QTest::addColumn<bool>("earlierCopy"); // an earlier update left its copy beside it
        QTest::newRow("whole") << false << false;
        QTest::newRow("an earlier update's copy is kept") << false << true;
        QTest::newRow("a row that is no preset message") << true << false;
    }
    void anOldLibraryIsBroughtForward() {
        QFETCH(bool, damaged);
        QFETCH(bool, earlierCopy);
        const std::string file = path(QTest::currentDataTag());
        PresetRecord record = NewBankPreset(PresetIndex::fromZeroBase(0));
        SetPresetName(record, "Old Strings");
        record.channel(3)[SlotKind::Program] = 48;
        const PresetMessage m = EncodePresetMessage(record, PresetIndex::fromZeroBase(0));
        {
            SQLite::Database db(file, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
            db.exec(R"(
                PRAGMA journal_mode = WAL;
                CREATE TABLE presets(id INTEGER PRIMARY KEY, message BLOB NOT NULL UNIQUE,
                    name TEXT NOT NULL, last_entry INTEGER NOT NULL);
                CREATE TABLE entries(id INTEGER PRIMARY KEY, kind TEXT NOT NULL, source TEXT
                    NOT NULL, program TEXT NOT NULL, recorded_at TEXT NOT NULL, content TEXT
                    NOT NULL, UNIQUE (kind, source, content));
                CREATE TABLE slots(entry_id INTEGER NOT NULL, slot INTEGER NOT NULL,
                    preset_id INTEGER NOT NULL, PRIMARY KEY (entry_id, slot)) WITHOUT ROWID;
                INSERT INTO entries VALUES (1, 'preset', 'old.syx', 'editor', '2025-01-01', '1');
                INSERT INTO slots VALUES (1, 1, 1);
                INSERT INTO entries VALUES (2, 'preset', 'downloaded to TWK-5', 'editor',
                                            '2025-01-02', '1');
                INSERT INTO slots VALUES (2, 1, 1);
                PRAGMA user_version = 1;)");
            SQLite::Statement insert(db, "INSERT INTO presets VALUES (1, ?, 'Old Strings', 1)");
            insert.bind(1, m.data(), damaged ? 20 : int(m.size()));
            insert.exec();
        }
        QFile f(QString::fromStdString(file));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray before = f.readAll();
        f.close();
        const auto earlier = PresetLibrary::BackupPath(file, 1);
        if (earlierCopy) {
            std::ofstream(earlier) << "an earlier update's copy";
        }
        PresetLibrary library;
        QCOMPARE(library.open(file, LibraryAccess::Write), !damaged);
        const auto backup = PresetLibrary::BackupPath(file, 1, earlierCopy ? 2 : 1);
        if (earlierCopy) {
            std::ifstream kept(earlier);
            QCOMPARE(std::string(std::istreambuf_iterator<char>(kept), {}),
                     std::string("an earlier update's copy"));
        }
        if (damaged) {
            QCOMPARE(library.error(), "is damaged: preset p1 is no preset message; it was left "
                                      "as it was");
            // In the window's words: what to do, and the copy kept beside it.
            QCOMPARE(LibraryProblemText(file, library.error()),
                     "The library " + file +
                         " is damaged; it was left as it is. Move it aside (or away) and the next "
                         "preset file opened, saved or sent starts a new one. "
                         "a row that is no preset message.bak-v1 beside it is a copy of it from "
                         "before its last update.");
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), before);
            return;
        }
        QCOMPARE(names(library.search({"", 3, 49, 0, {}})), QStringList{"Old Strings"});
        QCOMPARE(library.search({"", 3, 49, 0, {}})->front().channels, std::string("3: -/-/49"));
        QCOMPARE(library.check()->indexMismatches, std::vector<std::int64_t>{});
        // The copy is the old library, as it was.
        SQLite::Database copy(backup.string(), SQLite::OPEN_READONLY);
        QCOMPARE(copy.execAndGet("PRAGMA user_version").getInt(), 1);
        QCOMPARE(copy.execAndGet("SELECT name FROM presets").getString(), "Old Strings");
        QVERIFY(!copy.tableExists("preset_channels"));
        // What the entries were, as far as their sources say it.
        SQLite::Database updated(file, SQLite::OPEN_READONLY);
        QCOMPARE(updated.execAndGet("SELECT group_concat(action, '|') FROM entries").getString(),
                 "|downloaded");
    }

    // A recording waits while another program holds the library, and goes in once it lets
    // go: here after 300 ms, well within the 5 s the library waits.
    void aRecordingWaitsForAnotherProgram() {
        const std::string file = path("busy.sqlite");
        PresetLibrary library;
        QVERIFY(library.open(file, LibraryAccess::Create));
        SQLite::Database other(file, SQLite::OPEN_READWRITE);
        other.exec("BEGIN EXCLUSIVE");
        std::thread release([&other] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            other.exec("COMMIT");
        });
        QElapsedTimer waited;
        waited.start();
        const auto recorded = library.record(bank({"Waited"}), "busy.syx", "test", "added");
        release.join();
        QVERIFY2(recorded, library.error().c_str());
        QVERIFY(waited.elapsed() >= 250);
        QCOMPARE(names(library.search({"Waited", {}, {}, 0, {}})), QStringList{"Waited"});
    }

    // A slot's untouched default is part of its bank, but found only when asked for: as the
    // editor holds it and as a file holds it. One that was edited is found.
    void untouchedDefaultsAreFoundOnlyWhenAsked() {
        PresetLibrary library;
        QVERIFY(library.open(path("defaults.sqlite"), LibraryAccess::Create));
        std::vector<PresetRecord> fresh;
        std::vector<PresetRecord> asSaved;
        for (int slot = 0; slot < 100; ++slot) {
            fresh.push_back(NewBankPreset(PresetIndex::fromZeroBase(slot)));
            asSaved.push_back(CarriedByMessage(fresh.back()));
        }
        asSaved[4].channel(2)[SlotKind::Program] = 7; // "New Name 5", edited
        library.record(fresh, "new.syx", "test", "added");
        library.record(asSaved, "saved.syx", "test", "added");
        QCOMPARE(names(library.search({"", {}, {}, 0, {}})), QStringList{"New Name 5"});
        QCOMPARE(library.search({"", {}, {}, 0, {}, true})->size(), std::size_t(200));
        QCOMPARE(library.check()->presets, std::size_t(200));
    }

    // What search by channel and program reads is checked against each preset's content.
    void checkFindsAChannelIndexThatDisagrees() {
        PresetLibrary library;
        QVERIFY(library.open(path("index.sqlite"), LibraryAccess::Create));
        std::vector<PresetRecord> presets = bank({"One", "Two", "Three"});
        presets[2].channel(4)[SlotKind::Program] = 9;
        library.record(presets, "i.syx", "test", "added");
        QCOMPARE(library.check()->indexMismatches, std::vector<std::int64_t>{});
        {
            SQLite::Database db(path("index.sqlite"), SQLite::OPEN_READWRITE);
            db.exec("UPDATE preset_channels SET program = 5 WHERE preset_id = 3");
            db.exec("UPDATE presets SET channels = '7: 0/-/-' WHERE id = 7");
        }
        QCOMPARE(library.check()->indexMismatches, (std::vector<std::int64_t>{3, 7}));
    }

    // Forgetting a bank takes the presets only it held; those another entry holds stay and
    // are found through it. An ID that names nothing removes nothing.
    void removeForgetsEntriesAndThePresetsOnlyTheyHeld() {
        PresetLibrary library;
        QVERIFY(library.open(path("remove.sqlite"), LibraryAccess::Create));
        std::vector<PresetRecord> gig = bank({"Shared", "Gig only"});
        std::vector<PresetRecord> tour = bank({"Shared", "Tour only"});
        for (std::size_t i = 2; i < 100; ++i) {
            SetPresetName(tour[i], "Tour " + std::to_string(i));
        }
        library.record(gig, "gig.syx", "test", "added");
        library.record(tour, "tour.syx", "test", "added");
        library.record({gig[1]}, "gig-only.syx", "test", "added");
        const std::int64_t gigId = library.banks()->back().id;
        QCOMPARE(library.remove({gigId, 99}, {}).has_value(), false);
        QCOMPARE(library.error(), "holds no bank b99");
        QCOMPARE(library.check()->banks, std::size_t(2));
        const auto removed = library.remove({gigId, gigId}, {});
        QVERIFY2(removed, library.error().c_str());
        QCOMPARE(removed->banks, std::size_t(1));
        QCOMPARE(removed->presets, std::size_t(98)); // "Shared" and "Gig only" are held elsewhere
        QCOMPARE(names(library.search({"only", {}, {}, 0, {}})),
                 (QStringList{"Gig only", "Tour only"}));
        QCOMPARE(library.search({"Shared", {}, {}, 0, {}})->front().source, "tour.syx");
        const std::int64_t gigOnly = library.search({"Gig only", {}, {}, 0, {}})->front().id;
        QCOMPARE(library.remove({}, {gigOnly})->presets, std::size_t(1));
        const auto counts = library.check();
        QCOMPARE(counts->presets, std::size_t(100));
        QCOMPARE(counts->banks + counts->singles, std::size_t(1));
        QVERIFY(library.compact());
        QCOMPARE(library.check()->presets, std::size_t(100));
    }

    void badLibrariesAreRefusedAndLeftAlone_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("reason");
        QTest::newRow("bytes overwritten") << "overwrite"
                                           << "is damaged: ";
        QTest::newRow("not a database") << "text"
                                        << "is damaged: file is not a database";
        QTest::newRow("a newer schema")
            << "newer"
            << QStringLiteral("was made by a newer version of Tarnwick Editor (schema 9; this one "
                              "knows up to %1)")
                   .arg(PresetLibrary::kSchemaVersion);
        QTest::newRow("missing") << "missing"
                                 << "no library yet";
    }
    void badLibrariesAreRefusedAndLeftAlone() {
        QFETCH(QString, damage);
        QFETCH(QString, reason);
        const std::string file = path(QTest::currentDataTag());
        {
            PresetLibrary library;
            QVERIFY(library.open(file, LibraryAccess::Create));
            for (int i = 0; i < 30; ++i) { // several pages of presets
                std::vector<PresetRecord> presets = bank({"Bank " + std::to_string(i)});
                presets[99].channel(1)[SlotKind::Program] = std::uint8_t(i);
                library.record(presets, std::to_string(i), "test", "added");
            }
        }
        QFile f(QString::fromStdString(file));
        if (damage == "newer") {
            SQLite::Database(file, SQLite::OPEN_READWRITE).exec("PRAGMA user_version = 9");
        }
        QVERIFY(f.open(QIODevice::ReadWrite));
        if (damage == "overwrite") {
            f.seek(f.size() / 2);
            f.write(QByteArray(8192, '\x5A'));
        } else if (damage == "text") {
            f.resize(0);
            f.write(QByteArray("name,program\n").repeated(400));
        } else if (damage == "missing") {
            f.remove();
        }
        f.close();
        const QByteArray before = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        f.close();
        // Refused on opening, or (damage beyond the header and schema, which opening reads)
        // by the first read that meets it.
        PresetLibrary library;
        QVERIFY(!library.open(file, LibraryAccess::Write) || !library.check());
        QVERIFY2(library.error().starts_with(reason.toStdString()), library.error().c_str());
        const std::string words = LibraryProblemText(file, library.error());
        QVERIFY2(reason.startsWith("is damaged")
                     ? words.find("it was left as it is") != std::string::npos &&
                           words.find("btree") == std::string::npos
                     : words == file + ": " + library.error(),
                 words.c_str());
        QCOMPARE(f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray(), before);
    }
};

QTEST_GUILESS_MAIN(PresetLibraryTest)
#include "test_preset_library.moc"
