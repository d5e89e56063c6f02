// tarnwick-syx on real files: every command, its output, its files and its exit code.
#include "platform/version.h"
#include "preset/preset_message.h"
#include "row_folder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>

#include <sstream>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

using namespace tarnwick;

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
    QByteArray bytes; // standard output as written
};

// The program under test: tarnwick-syx as built here, or the command TARNWICK_SYX_UNDER_TEST
// names (scripts/test-windows: the Windows build run under wine, which then sets
// TARNWICK_SYX_WINDOWS too).
QString syxProgram() {
    return qEnvironmentVariable("TARNWICK_SYX_UNDER_TEST", QStringLiteral(TARNWICK_SYX));
}
bool windowsBuild() {
    return qEnvironmentVariableIsSet("TARNWICK_SYX_WINDOWS");
}
// Text with the paths in it written as on Linux: the Windows build writes those it makes
// with "\\" and the drive letter wine gives "/" ("Z:").
QString unixPaths(QString text) {
    if (windowsBuild()) {
        text.replace(QStringLiteral("Z:\\"), QStringLiteral("/")).replace('\\', '/');
    }
    return text;
}
// Cases that need what Windows has not: Unix file modes and users, FIFOs, /proc, strace.
#define SKIP_ON_WINDOWS(reason)                                                                    \
    if (windowsBuild()) {                                                                          \
        QSKIP("not on Windows: " reason);                                                          \
    }

Run syx(const QStringList& args, const QByteArray& standardInput = {}) {
    QProcess process;
    process.start(syxProgram(), args);
    process.write(standardInput);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    const QByteArray out = process.readAllStandardOutput();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(out), QString::fromUtf8(process.readAllStandardError()), out};
}

QByteArray messageBytes(const PresetRecord& record, int number) {
    const PresetMessage m = EncodePresetMessage(record, PresetIndex::fromOneBase(number));
    return QByteArray(reinterpret_cast<const char*>(m.data()), qsizetype(m.size()));
}

QByteArray defaultBank() {
    const PresetBank bank;
    QByteArray bytes;
    for (int n = 1; n <= 100; ++n) {
        bytes += messageBytes(bank[PresetIndex::fromOneBase(n)], n);
    }
    return bytes;
}

// A bank edited through the model: every kind of field away from its default.
QByteArray editedBank() {
    PresetBank bank;
    for (int n = 1; n <= 100; ++n) {
        PresetRecord& r = bank[PresetIndex::fromOneBase(n)];
        SetPresetName(r,
                      (n % 7 == 0 ? "Cafe " : "Stage ") + std::to_string(n) + std::string(13, ' '));
        r.channel(1 + n % 16)[SlotKind::Program] = std::uint8_t(n % 128);
        r.channel(2)[SlotKind::Msb] = std::uint8_t(n % 100);
        r.data[0] = 0xB0;
        r.data[1] = 0x07;
        r.data[2] = std::uint8_t(n);
        if (n == 50) {
            r.data[4] = 0x12; // hidden behind the end marker
        }
        r.placement = std::uint8_t((n % 2) | (n == 60 ? 0xA4 : 0));
        r.reservedA = std::uint8_t(n == 70 ? 9 : 0);
    }
    QByteArray bytes;
    for (int n = 1; n <= 100; ++n) {
        bytes += messageBytes(bank[PresetIndex::fromOneBase(n)], n);
    }
    return bytes;
}

// Bank `n` of a collection: presets named "B<n> P<slot>", none like any other bank's.
QByteArray collectionBank(int n) {
    QByteArray bytes;
    for (int slot = 1; slot <= 100; ++slot) {
        PresetRecord record = NewBankPreset(PresetIndex::fromOneBase(slot));
        SetPresetName(
            record,
            std::string("B").append(std::to_string(n)).append(" P").append(std::to_string(slot)));
        bytes += messageBytes(record, slot);
    }
    return bytes;
}

QByteArray read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class SyxCliTest : public QObject {
    Q_OBJECT
    testing::RowFolder m_dir;

private slots:
    // The test's own instrument files only, and no rig but a test's own.
    void initTestCase() {
        // Folders are separated as in PATH: ':', on Windows ';'.
        qputenv("TARNWICK_INSTRUMENTS", windowsBuild() ? TARNWICK_TEST_DATA "/instruments;-"
                                                       : TARNWICK_TEST_DATA "/instruments:-");
        qputenv("TARNWICK_RIG", "off");
    }
    void init() { m_dir.renew(); }

    // Sounds by name, as a player sets them up: the instruments found (and the files that
    // could not be read), an instrument's sounds, a rig of two channels, the names in
    // `show` and the library, and a sound picked by name into a preset.
    void soundsByName_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        // Held by standard output, or error when 1-2 or after "error: ".
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("after"); // preset 2 as `show` then lists it; "": unchanged
        QTest::newRow("instruments")
            << QStringList{"instruments", "synth one"} << 0
            << "Tarnwick Test Synth One  9 sounds (Patches, Drums, Card 1)  " TARNWICK_TEST_DATA
               "/instruments/test_synth.midnam\nTarnwick Test Synth One Plus  8 sounds "
               "(Patches, Drums)  " TARNWICK_TEST_DATA "/instruments/test_synth.midnam\n"
               "Tarnwick Test Synth One Plus  shadowed (found first elsewhere)  " TARNWICK_TEST_DATA
               "/instruments/test_synths.ins\n"
            << "";
        QTest::newRow("instruments --check names the broken file")
            << QStringList{"instruments", "--check"} << 1
            << "test_broken.midnam: not well-formed XML (it breaks off or its tags do not match) "
               "near "
               "byte "
            << "";
        QTest::newRow("instruments --check of instruments without faults")
            << QStringList{"instruments", "msb only", "--check"} << 0
            << "Test MSB Only  3 sounds (Patches)"
            << "";
        QTest::newRow("instruments --check: a bank left out")
            << QStringList{"instruments", "program only", "--check"} << 1
            << "Test Program Only: bank [9] left out"
            << "";
        QTest::newRow("instruments: nothing matches")
            << QStringList{"instruments", "qqq"} << 0 << "error: no instrument's name holds \"qqq\""
            << "";
        QTest::newRow("sounds: nothing matches")
            << QStringList{"sounds", "Tarnwick Test Synth One", "qqq"} << 0
            << "error: no sound of Tarnwick Test Synth One (Patches) has a name that holds \"qqq\""
            << "";
        QTest::newRow("sounds, by a part of the name")
            << QStringList{"sounds", "TARNWICK TEST SYNTH ONE", "pad"} << 0
            << "Preset B  81/-/1  B-01  Warm Pad\nPreset B  81/-/2  B-02  Glass Pad\n"
            << "";
        QTest::newRow("sounds as JSON, a bank select not sent as null")
            << QStringList{"sounds", "Tarnwick Test Synth One", "glass", "--json"} << 0
            << "\"msb\": 81,\n    \"lsb\": null,\n    \"program\": 2,"
            << "";
        QTest::newRow("sounds of a name set")
            << QStringList{"sounds", "Tarnwick Test Synth One", "--name-set", "Drums"} << 0
            << "Kits  120/-/1  1  Standard Kit\n"
            << "";
        QTest::newRow("an instrument that is not found")
            << QStringList{"sounds", "synth zz"} << 1
            << "no instrument \"synth zz\" is found; the nearest: "
            << "";
        QTest::newRow("several instruments answer to a spelling")
            << QStringList{"sounds", "synth on"} << 1
            << "2 instruments answer to \"synth on\":\n  Tarnwick Test Synth One\n  Tarnwick "
               "Test Synth One Plus\nname one of them"
            << "";
        QTest::newRow("sounds of an instrument in another spelling")
            << QStringList{"sounds", "plus ONE-synth", "warm"} << 0
            << "error: \"plus ONE-synth\" is Tarnwick Test Synth One Plus"
            << "";
        QTest::newRow("rig set in another spelling") << QStringList{"rig", "set", "3", "only lsb"}
                                                     << 0 << "error: \"only lsb\" is Test LSB Only"
                                                     << "";
        QTest::newRow("show names the sounds")
            << QStringList{"show", "BANK"} << 0
            << "  channel 1: bank MSB 80, bank LSB 0, program 1 = Symphonique\n"
               "  channel 10: bank MSB 120, program 1 = Standard Kit\n"
            << "";
        QTest::newRow("show: a name with \"?\"")
            << QStringList{"show", "BANK"} << 0 << "  channel 1: program 1 = Symphonique?\n"
            << "";
        QTest::newRow("show explains \"?\" once, at the end")
            << QStringList{"show", "BANK"} << 0
            << "\n?: the bank select is not sent, so the synth's current bank decides which of "
               "the sounds plays\n"
            << "";
        QTest::newRow("show --json names the sounds")
            << QStringList{"show", "--json", "BANK"} << 0
            << "\"bankLsb\": 0,\n          \"program\": 1,\n          \"sound\": \"Symphonique\"\n"
            << "";
        QTest::newRow("pick by the exact name")
            << QStringList{"pick", "BANK", "2", "1", "glass pad"} << 0
            << "Preset 2 channel 1: 81/-/2 Glass Pad\n"
            << "Preset 2  \"New Name 2   \"  Pre\n  channel 1: bank MSB 81, program 2 = Glass "
               "Pad\n";
        QTest::newRow("pick by a part only one name holds")
            << QStringList{"pick", "BANK", "2", "1", "symph"} << 0
            << "Preset 2 channel 1: 80/0/1 Symphonique\n"
            << "  channel 1: bank MSB 80, bank LSB 0, program 1 = Symphonique\n  MIDI data: "
               "none\nPreset 3 ";
        QTest::newRow("pick: several match")
            << QStringList{"pick", "BANK", "2", "1", "pad"} << 1
            << "3 sounds match \"pad\":\n  Preset B  81/-/1  Warm Pad\n  Preset B  81/-/2  Glass "
               "Pad\n  Program only  -/-/3  Warm Pad\nchoose one with a fuller name, or with "
               "--bank and a part of its bank's name"
            << "";
        QTest::newRow("pick: one name in two banks")
            << QStringList{"pick", "BANK", "2", "1", "WARM PAD"} << 1
            << "2 sounds match \"WARM PAD\":\n  Preset B  81/-/1  Warm Pad\n  Program only  "
               "-/-/3  Warm Pad\n"
            << "";
        QTest::newRow("pick --bank")
            << QStringList{"pick", "BANK", "2", "1", "warm pad", "--bank", "program"} << 0
            << "Preset 2 channel 1: -/-/3 Warm Pad\n"
            << "  channel 1: program 3 = Warm Pad\n";
        QTest::newRow("pick --bank that holds none of them")
            << QStringList{"pick", "BANK", "2", "1", "warm pad", "--bank", "preset a"} << 1
            << "no sound \"warm pad\" in Patches in a bank whose name holds \"preset a\""
            << "";
        QTest::newRow("pick by words in any order")
            << QStringList{"pick", "BANK", "2", "1", "pad glass"} << 0
            << "Preset 2 channel 1: 81/-/2 Glass Pad\n"
            << "  channel 1: bank MSB 81, program 2 = Glass Pad\n";
        QTest::newRow("pick on a channel without an instrument")
            << QStringList{"pick", "BANK", "2", "3", "pad"} << 1
            << "channel 3 has no instrument in the rig"
            << "";
        QTest::newRow("library search by sound on its channel")
            << QStringList{"library", "search", "--sound", "standard", "--channel", "10"} << 0
            << "1: 80/0/1 Symphonique  10: 120/-/1 Standard Kit"
            << "";
        QTest::newRow("library search by sound on another channel")
            << QStringList{"library", "search", "--sound", "standard", "--channel", "1"} << 0
            << "error: no preset in the library selects a sound whose name holds \"standard\" "
               "on channel 1"
            << "";
        QTest::newRow("library search by sound")
            << QStringList{"library", "search", "--sound", "standard"} << 0
            << "1: 80/0/1 Symphonique  10: 120/-/1 Standard Kit"
            << "";
    }
    void soundsByName() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, expected);
        QFETCH(QString, after);
        const QString rig = m_dir.filePath("rig.json");
        qputenv("TARNWICK_RIG", rig.toUtf8());
        const auto restore = qScopeGuard([] { qputenv("TARNWICK_RIG", "off"); });
        QCOMPARE(syx({"rig", "set", "1", "Tarnwick Test Synth One"}).exitCode, 0);
        QCOMPARE(syx({"rig", "set", "10", "tarnwick test synth one"}).exitCode, 0);
        PresetBank bank;
        PresetRecord& first = bank[PresetIndex::fromOneBase(1)];
        first.channel(1) = ChannelSlot{{80, 0, 0}};
        first.channel(10) = ChannelSlot{{120, kSlotDisabled, 0}};
        // Program 1 of every bank: which plays is the synth's current bank's.
        bank[PresetIndex::fromOneBase(3)].channel(1) =
            ChannelSlot{{kSlotDisabled, kSlotDisabled, 0}};
        QByteArray bytes;
        for (int n = 1; n <= 100; ++n) {
            bytes += messageBytes(bank[PresetIndex::fromOneBase(n)], n);
        }
        const QString file = m_dir.write("Gig.syx", bytes);
        const QString library = m_dir.filePath("library.sqlite");
        QCOMPARE(syx({"--library", library, "library", "add", file}).exitCode, 0);
        const Run run =
            syx(QStringList{"--library", library} + args.replaceInStrings("BANK", file));
        QCOMPARE(run.exitCode, exitCode);
        const bool onError = exitCode != 0 || expected.startsWith("error: ");
        const QString said = unixPaths(onError ? run.err : run.out);
        QVERIFY2(said.contains(QString(expected).remove(QRegularExpression("^error: "))),
                 qPrintable(said));
        if (after.isEmpty()) {
            QCOMPARE(read(file), bytes);
        } else {
            const QString shown = syx({"show", file}).out;
            QVERIFY2(shown.contains(after), qPrintable(shown));
        }
    }

    // A rig file whose values have the wrong types is a damaged rig like any other: what
    // only reads goes on without names and says so once; what would write it refuses, and
    // every file stays as it was.
    void aRigOfTheWrongTypes_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("expected"); // held by standard error
        const QString note = "note: the rig RIG is damaged: \"version\" is not a whole number; "
                             "no sound is named\n";
        QTest::newRow("show") << QStringList{"show", "BANK"} << 0 << note;
        QTest::newRow("show --json") << QStringList{"show", "--json", "BANK"} << 0 << note;
        QTest::newRow("rig") << QStringList{"rig"} << 1 << "the rig RIG is damaged";
        QTest::newRow("rig set") << QStringList{"rig", "set", "1", "Tarnwick Test Synth One"} << 1
                                 << "the rig RIG is damaged";
        QTest::newRow("rig clear")
            << QStringList{"rig", "clear", "1"} << 1 << "the rig RIG is damaged";
        QTest::newRow("pick") << QStringList{"pick", "BANK", "2", "1", "pad"} << 1
                              << "the rig RIG is damaged";
    }
    void aRigOfTheWrongTypes() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, expected);
        const QByteArray damaged = R"({"format": "tarnwick-rig", "version": "1", "channels": )"
                                   R"({"1": {"instrument": "Tarnwick Test Synth One"}}})";
        const QString rig = m_dir.write("rig.json", damaged);
        qputenv("TARNWICK_RIG", rig.toUtf8());
        const auto restore = qScopeGuard([] { qputenv("TARNWICK_RIG", "off"); });
        const QString bank = m_dir.write("Gig.syx", defaultBank());
        const Run run = syx(args.replaceInStrings("BANK", bank));
        QCOMPARE(run.exitCode, exitCode);
        const QString said = unixPaths(run.err);
        QVERIFY2(said.contains(QString(expected).replace("RIG", unixPaths(rig))), qPrintable(said));
        QCOMPARE(said.count("damaged"), 1);
        QCOMPARE(read(rig), damaged);
        QCOMPARE(read(bank), defaultBank());
    }

    void newBankIsTheEditorsDefaultBank() {
        SKIP_ON_WINDOWS("Unix file modes")
        // Written over a file of other content, which keeps its permissions.
        const QString out = m_dir.write("new.syx", "old");
        const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther;
        QVERIFY(QFile::setPermissions(out, permissions));
        const Run run = syx({"new-bank", "-o", out});
        const auto forThisUser = QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
        QCOMPARE(QFile::permissions(out) & ~forThisUser, permissions);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(read(out), defaultBank());
        QCOMPARE(read(out).left(153),
                 read(QStringLiteral(TARNWICK_TEST_DATA "/default_preset_1.syx")));
    }

    // As an ordinary user (root may write anything): a file the user made read-only stays
    // as it was; in a folder that takes no new files a writable file is written in place.
    void savesAsAnOrdinaryUser_data() {
        QTest::addColumn<bool>("folderTakesFiles");
        QTest::addColumn<bool>("fileWritable");
        for (const auto& [folder, file] : {std::pair{true, false}, {false, true}, {false, false}}) {
            QTest::addRow("folder %s new files, file %s", folder ? "takes" : "takes no",
                          file ? "writable" : "read-only")
                << folder << file;
        }
    }
    void savesAsAnOrdinaryUser() {
        SKIP_ON_WINDOWS("setpriv for another user")
        QFETCH(bool, folderTakesFiles);
        QFETCH(bool, fileWritable);
        const bool root = ::geteuid() == 0;
        const QString folder = m_dir.filePath("user");
        QVERIFY(QDir().mkdir(folder));
        const QString out = folder + "/bank.syx";
        {
            QFile old(out);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("old");
        }
        QCOMPARE(::chmod(QFile::encodeName(m_dir.path()).constData(), 0711), 0);
        if (root) {
            for (const QString& path : {folder, out}) {
                QCOMPARE(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
            }
        }
        QCOMPARE(::chmod(QFile::encodeName(out).constData(), fileWritable ? 0600 : 0400), 0);
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), folderTakesFiles ? 0700 : 0500), 0);
        QProcess process;
        const QStringList args{"new-bank", "-o", out};
        if (root) {
            process.start("setpriv", QStringList{"--reuid=65534", "--regid=65534", "--clear-groups",
                                                 syxProgram()} +
                                         args);
        } else {
            process.start(syxProgram(), args);
        }
        QVERIFY(process.waitForFinished(60000));
        ::chmod(QFile::encodeName(folder).constData(), 0700);
        QCOMPARE(process.exitCode(), fileWritable ? 0 : 1);
        QCOMPARE(read(out), fileWritable ? defaultBank() : QByteArray("old"));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{"bank.syx"});
        if (!fileWritable) {
            QCOMPARE(QString::fromUtf8(process.readAllStandardError()),
                     "tarnwick-syx: cannot write " + out + ": Permission denied\n");
        }
    }

    // A save survives a power cut: the new file's bytes are flushed to the disk before it
    // takes the old one's name, and the folder after.
    void savesReachTheDiskBeforeTheirName_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("output");
        QTest::newRow("bank") << QStringList{"new-bank", "-o"} << "durable.syx";
        QTest::newRow("JSON") << QStringList{"export",
                                             QStringLiteral(TARNWICK_TEST_DATA
                                                            "/default_preset_1.syx"),
                                             "-o"}
                              << "durable.json";
    }
    void savesReachTheDiskBeforeTheirName() {
        SKIP_ON_WINDOWS("strace")
        QFETCH(QStringList, args);
        QFETCH(QString, output);
        if (QStandardPaths::findExecutable("strace").isEmpty()) {
            QSKIP("strace is not installed");
        }
        const QString log = m_dir.filePath("strace.log");
        QProcess strace;
        // The leak checker of a sanitizer build cannot work under ptrace: it stays off here.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("ASAN_OPTIONS",
                           environment.value("ASAN_OPTIONS") + QStringLiteral(":detect_leaks=0"));
        strace.setProcessEnvironment(environment);
        strace.start("strace",
                     QStringList{"-f", "-y", "-o", log, "-e",
                                 "trace=fsync,fdatasync,rename,renameat,renameat2", syxProgram()} +
                         args + QStringList{m_dir.filePath(output)});
        QVERIFY(strace.waitForFinished(60000));
        QCOMPARE(strace.exitCode(), 0);
        const QStringList calls = QString::fromUtf8(read(log)).split('\n');
        const auto lineOf = [&calls](const QString& call, const QString& argument) {
            for (qsizetype i = 0; i < calls.size(); ++i) {
                if (calls[i].contains(call) && calls[i].contains(argument)) {
                    return i;
                }
            }
            return qsizetype(-1);
        };
        const qsizetype flushed = lineOf("fsync(", m_dir.filePath(output) + ".tmp");
        const qsizetype renamed = lineOf("rename", "\"" + m_dir.filePath(output) + "\"");
        const qsizetype folder = lineOf("fsync(", "<" + m_dir.path() + ">");
        QVERIFY2(flushed >= 0 && renamed > flushed && folder > renamed,
                 qPrintable(calls.join('\n')));
    }

    // Every kind of damage, what the decoder refuses and what it lets through, in every
    // file given.
    void checkReportsEveryProblem_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("errors"); // empty: valid
        const QByteArray bank = defaultBank();
        const auto changed = [&bank](int at, char value) {
            QByteArray file = bank;
            file[at] = value;
            return file;
        };
        QTest::newRow("default bank") << bank << QStringList();
        QTest::newRow("one preset") << bank.left(153) << QStringList();
        QTest::newRow("third message, manufacturer")
            << changed(2 * 153 + 1, 0x41)
            << QStringList{"message 3 at byte 306: Manufacturer ID not 0x7D."};
        QTest::newRow("device") << changed(2, 0x21)
                                << QStringList{"message 1 at byte 0: Device ID not 0x22. Wrong "
                                               "file type selected?"};
        QTest::newRow("command") << changed(153 + 3, 0x25)
                                 << QStringList{"message 2 at byte 153: Invalid command byte."};
        QTest::newRow("preset number")
            << changed(4, 0x64) << QStringList{"message 1 at byte 0: Preset # beyond 100 (0x63)."};
        QTest::newRow("cut short")
            << bank.left(153 * 5 + 100)
            << QStringList{"message 6 at byte 765: 865 bytes are no whole number of 153-byte "
                           "messages",
                           "message 6 at byte 765: Unexpected End-of-File."};
        QTest::newRow("a data byte of 0x99")
            << changed(153 + 20, char(0x99))
            << QStringList{"message 2 at byte 173: byte 99 is no data byte (0x80 or more)"};
        // Bytes the decoder takes but export and import would write otherwise: a
        // switched-off MSB that keeps 5 (08 05), the other command byte.
        QTest::newRow("a switched-off value kept")
            << changed(153 + 19, 5)
            << QStringList{"message 2 at byte 172: byte 05 is written back as 00 (export and "
                           "import would change it)"};
        QTest::newRow("command 23")
            << changed(3, 0x23)
            << QStringList{"message 1 at byte 3: byte 23 is written back as 24 (export and "
                           "import would change it)"};
        QTest::newRow("last F7 made 00")
            << changed(15299, 0)
            << QStringList{"message 100 at byte 15299: does not end with F7 at its 153rd byte"};
        QTest::newRow("preset 1 twice")
            << changed(153 + 4, 0)
            << QStringList{"message 2 at byte 157: preset 1 stands in this file more than once"};
    }
    void checkReportsEveryProblem() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, errors);
        // The damaged file between two good ones: all three are looked at.
        const QString good = m_dir.write("good.syx", defaultBank());
        const QString path = m_dir.write("check.syx", file);
        const Run run = syx({"check", good, path, good});
        QCOMPARE(run.exitCode, errors.isEmpty() ? 0 : 1);
        QCOMPARE(run.out.count("all valid"), errors.isEmpty() ? 3 : 2);
        QStringList expected;
        for (const QString& error : errors) {
            expected << "tarnwick-syx: " + path + ": " + error;
        }
        QCOMPARE(run.err.split('\n', Qt::SkipEmptyParts), expected);
    }

    // Whatever it is given, every command says what is wrong on one line and exits with 1.
    void badInputs_data() {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"folder", "missing", "empty", "pipe", "2 MiB", "unreadable"}) {
            QTest::newRow(kind) << kind;
        }
    }
    void badInputs() {
        QFETCH(QString, kind);
        if (kind == "pipe") {
            SKIP_ON_WINDOWS("a FIFO")
        } else if (kind == "unreadable" && ::geteuid() == 0) {
            SKIP_ON_WINDOWS("/proc")
        }
        QString path = m_dir.filePath("input");
        QString reason;
        if (kind == "folder") {
            QVERIFY(QDir().mkpath(path));
            reason = "Is a directory";
        } else if (kind == "missing") {
            reason = "No such file or directory";
        } else if (kind == "empty") {
            m_dir.write("input", QByteArray());
            reason = "the file is empty";
        } else if (kind == "pipe") {
            QCOMPARE(::mkfifo(path.toLocal8Bit().constData(), 0600), 0);
            reason = "not a regular file (a pipe or a device)";
        } else if (kind == "2 MiB") {
            QByteArray noise(2 << 20, 0);
            for (char& c : noise) {
                c = char(QRandomGenerator::global()->bounded(256));
            }
            m_dir.write("input", noise);
            reason = "larger than 1 MiB: no preset or firmware file is";
        } else if (::geteuid() == 0) {
            path = "/proc/self/mem"; // no file permission keeps root out; this cannot be read
            reason = "Input/output error";
        } else {
            m_dir.write("input", defaultBank());
            QVERIFY(QFile::setPermissions(path, QFile::WriteOwner));
            reason = "Permission denied";
        }
        const QString out = m_dir.filePath("out");
        QList<QStringList> commands{{"show", path},
                                    {"check", path},
                                    {"export", path},
                                    {"import", path, "-o", out},
                                    {"diff", path, path},
                                    {"split", path, m_dir.filePath("parts")},
                                    {"join", path, "-o", out},
                                    {"send", "-p", "any", path},
                                    {"firmware", "-p", "any", path},
                                    {"play", "--to", "any", path},
                                    {"move", path, "1", "3"},
                                    {"swap", path, "1", "2"},
                                    {"copy", path, m_dir.write("bank", defaultBank()), "1"}};
        commands.append({"sheet", path, "-o", out});
        for (const QStringList& command : commands) {
            const Run run = syx(command);
            QVERIFY2(run.exitCode == 1,
                     qPrintable(command.join(' ') + " gave " + QString::number(run.exitCode)));
            QCOMPARE(run.err, "tarnwick-syx: " + path + ": " + reason + "\n");
        }
        QVERIFY(!QFile::exists(out));
    }

    // move, swap and copy on real files: the bank written is the presets in their new
    // slots, each message numbered after its slot; a refusal writes nothing.
    void arrangingBanks_data() {
        QTest::addColumn<QStringList>("args"); // BANK is the edited bank, SRC the default bank
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("layout"); // "N", "A-B": the bank's presets; "sN": SRC's
        QTest::newRow("move 10-12 before 3")
            << QStringList{"move", "BANK", "10-12", "3"} << 0 << "1-2 10-12 3-9 13-100";
        QTest::newRow("move the last two to the start")
            << QStringList{"move", "BANK", "99-100", "1"} << 0 << "99-100 1-98";
        QTest::newRow("swap") << QStringList{"swap", "BANK", "4", "90"} << 0
                              << "1-3 90 5-89 4 91-100";
        QTest::newRow("copy three presets of a bank")
            << QStringList{"copy", "SRC:5-7", "BANK", "20"} << 0 << "1-19 s5-s7 23-100";
        QTest::newRow("copy past slot 100: refused")
            << QStringList{"copy", "SRC:5-7", "BANK", "99"} << 1 << "1-100";
        QTest::newRow("copy past slot 100, clipped")
            << QStringList{"copy", "SRC:5-7", "BANK", "99", "--clip"} << 0 << "1-98 s5-s6";
        QTest::newRow("a range that is no range")
            << QStringList{"move", "BANK", "0-3", "3"} << 2 << "1-100";
    }
    void arrangingBanks() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, layout);
        const QByteArray edited = editedBank();
        const QString bank = m_dir.write("bank.syx", edited);
        const QString source = m_dir.write("source.syx", defaultBank());
        args.replaceInStrings("BANK", bank).replaceInStrings("SRC", source);
        QCOMPARE(syx(args).exitCode, exitCode);
        QByteArray expected;
        for (const QString& token : layout.split(' ')) {
            const QByteArray& from = token.startsWith('s') ? defaultBank() : edited;
            const QStringList ends = QString(token).remove('s').split('-');
            for (int n = ends.first().toInt(); n <= ends.last().toInt(); ++n) {
                QByteArray message = from.mid((n - 1) * 153, 153);
                message[4] = char(expected.size() / 153);
                expected += message;
            }
        }
        QCOMPARE(read(bank), expected);
    }

    // The bank sheet as pdftotext reads it back: every page headed with the title, the date
    // and "page N of M"; a block a preset in use, its values and MIDI data on its line and
    // at most one line more; untouched default slots left out and counted, or (--all) a
    // short line each; names in 16 pt type or more, values in 11 pt or more.
    void sheetIsReadableOnStage_data() {
        QTest::addColumn<QByteArray>("bank");
        QTest::addColumn<bool>("all");
        QTest::addColumn<int>("pages");
        QTest::addColumn<QStringList>("shown"); // patterns the text holds
        QTest::addColumn<QString>("absent");
        QTest::addColumn<QString>("rig"); // the instrument on channel 1; "": no rig
        QByteArray stage;
        PresetBank bank;
        PresetRecord& piano = bank[PresetIndex::fromOneBase(1)];
        SetPresetName(piano, "Grand Piano");
        piano.channel(1)[SlotKind::Program] = 0;
        piano.channel(1)[SlotKind::Msb] = 0;
        piano.channel(2)[SlotKind::Program] = 48;
        PresetRecord& rig = bank[PresetIndex::fromOneBase(2)];
        SetPresetName(rig, "Full Rig");
        for (int c = 1; c <= 16; ++c) { // sixteen layers of one sound
            rig.channel(c) = ChannelSlot{{127, 127, 127}};
        }
        const std::uint8_t reset[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
        std::copy(std::begin(reset), std::end(reset), rig.data.begin());
        rig.placement = kPlacementPost;
        PresetRecord& worst = bank[PresetIndex::fromOneBase(4)];
        SetPresetName(worst, "Worst Case");
        for (int c = 1; c <= 16; ++c) { // sixteen different three-digit values
            worst.channel(c) =
                ChannelSlot{{std::uint8_t(100 + c), std::uint8_t(127 - c), std::uint8_t(110 + c)}};
        }
        SetPresetName(bank[PresetIndex::fromOneBase(9)], "Song Nine");
        for (int n = 1; n <= 100; ++n) {
            stage += messageBytes(bank[PresetIndex::fromOneBase(n)], n);
        }
        QTest::newRow("four in use")
            << stage << false << 1
            << QStringList{"\\n *1 +Grand Piano +1: 0/-/1 +2: -/-/49\\n",
                           " 2 +Full Rig +1-16: 127/127/128 +Post: F0 7E "
                           "7F 09 01 F7\\n",
                           "\\n *9 +Song Nine *\\n", "96 unused slots left out"}
            << "New Name"
            << "";
        QTest::newRow("sounds named, none uncertain")
            << stage << false << 1
            << QStringList{"1: 0/-/1 Acoustic Grand Piano", "96 unused slots left out"} << "?:"
            << "General MIDI";
        // Program 1 without a bank select: which bank's plays is the synth's choice.
        piano.channel(1)[SlotKind::Msb] = kSlotDisabled;
        QByteArray uncertain;
        for (int n = 1; n <= 100; ++n) {
            uncertain += messageBytes(bank[PresetIndex::fromOneBase(n)], n);
        }
        QTest::newRow("a name with \"?\", explained at the end")
            << uncertain << false << 1
            << QStringList{"\\n *1 +Grand Piano +1: -/-/1 Symphonique\\?",
                           "left out .*\\?: the bank select is not sent, so the synth's current"}
            << "New Name"
            << "Tarnwick Test Synth One";
        QTest::newRow("four in use, --all")
            << stage << true << 4
            << QStringList{" 2 +Full Rig +1-16", "\\n *3 +New Name 3\\n",
                           "\\n *100 +New Name 100\\n"}
            << "unused slots left out"
            << "";
        QStringList every;
        for (int n = 1; n <= 100; ++n) {
            every << QStringLiteral("\\n *%1 +%2 %1 +").arg(n).arg(n % 7 ? "Stage" : "Cafe");
        }
        QTest::newRow("every slot in use") << editedBank() << false << 5 << every << "unused"
                                           << "";
    }
    void sheetIsReadableOnStage() {
        QFETCH(QByteArray, bank);
        QFETCH(bool, all);
        QFETCH(int, pages);
        QFETCH(QStringList, shown);
        QFETCH(QString, absent);
        QFETCH(QString, rig);
        if (!rig.isEmpty()) {
            qputenv("TARNWICK_RIG", m_dir.filePath("rig.json").toUtf8());
            QCOMPARE(syx({"rig", "set", "1", rig}).exitCode, 0);
        }
        const auto noRig = qScopeGuard([] { qputenv("TARNWICK_RIG", "off"); });
        const QString pdf = m_dir.filePath("sheet.pdf");
        QStringList args{"sheet", m_dir.write("Gig.syx", bank), "-o", pdf};
        if (all) {
            args << "--all";
        }
        QCOMPARE(syx(args).exitCode, 0);
        const auto pdfText = [&pdf](const QStringList& how) {
            QProcess text;
            text.start("pdftotext", how + QStringList{pdf, "-"});
            text.waitForFinished(30000);
            return QString::fromUtf8(text.readAllStandardOutput());
        };
        const QString sheet = pdfText({"-layout"});
        QVERIFY2(!sheet.isEmpty(), "pdftotext (poppler-utils) is needed");
        const QStringList pageTexts = sheet.split(u'\f', Qt::SkipEmptyParts);
        // Under wine the sheet is set in wine's own fonts, whose sizes fill pages otherwise:
        // what it says is checked there, not how it is laid out.
        const bool wineFonts = windowsBuild();
        if (wineFonts) {
            pages = int(pageTexts.size());
        }
        QCOMPARE(pageTexts.size(), pages);
        const QString today = QDate::currentDate().toString(Qt::ISODate);
        for (int page = 1; page <= pages; ++page) {
            const QString heading =
                QStringLiteral("^Gig.syx +%1 +page %2 of %3\\n").arg(today).arg(page).arg(pages);
            QVERIFY2(pageTexts[page - 1].contains(QRegularExpression(heading)),
                     qPrintable(heading));
        }
        for (const QString& pattern : shown) {
            QVERIFY2(sheet.contains(QRegularExpression(pattern)), qPrintable(pattern));
        }
        QVERIFY(!sheet.contains(absent));
        if (wineFonts) {
            return;
        }
        // Sixteen different values take two lines, set smaller or cut short, never three.
        if (const qsizetype at = sheet.indexOf("Worst Case"); at >= 0) {
            const QString block =
                sheet.mid(at, sheet.indexOf(QRegularExpression("\\n *\\d+ "), at) - at);
            QCOMPARE(block.split(u'\n', Qt::SkipEmptyParts).size(), 2);
            QVERIFY(block.contains("1: 101/126/112"));
        }
        // Type size from the words' boxes: DejaVu's line is 1.164 of its size.
        const QString boxes = pdfText({"-bbox"});
        const auto points = [&boxes](const QString& word) {
            const QRegularExpression box(
                QStringLiteral("yMin=\"([\\d.]+)\" xMax=\"[\\d.]+\" yMax=\"([\\d.]+)\">%1<")
                    .arg(QRegularExpression::escape(word)));
            const QRegularExpressionMatch found = box.match(boxes);
            return found.hasMatch()
                       ? (found.captured(2).toDouble() - found.captured(1).toDouble()) / 1.164
                       : 0.0;
        };
        const QString name = all || pages == 1 ? "Grand" : "Stage";
        QVERIFY2(points(name) >= 15.9, qPrintable(QString::number(points(name))));
        const QString value = pages == 5 ? "2:" : "1:";
        QVERIFY2(points(value) >= 10.9, qPrintable(QString::number(points(value))));
    }

    // A folder of good, damaged and foreign files: the good ones recorded, each bad one
    // named with its reason; searching finds a preset by name, channel and program.
    void libraryAddTakesGoodFilesOnly() {
        const QString library = m_dir.filePath("library.sqlite");
        QVERIFY(QDir().mkpath(m_dir.filePath("gigs/old")));
        m_dir.write("gigs/Edited.syx", editedBank());
        m_dir.write("gigs/old/Default.SYX", defaultBank());
        m_dir.write("gigs/old/Copy.syx", defaultBank());
        m_dir.write("gigs/One.syx", editedBank().left(153));
        m_dir.write("gigs/notes.txt", "not a preset file");
        m_dir.write("gigs/Cut.syx", editedBank().left(400));
        m_dir.write("gigs/Other.syx", QByteArray::fromHex("F0431000F7"));
        const Run add = syx({"--library", library, "library", "add", m_dir.filePath("gigs")});
        QCOMPARE(add.exitCode, 1);
        QCOMPARE(add.out,
                 "banks: 3 new, 0 already there; one-preset files: 1 new, 0 already there; "
                 "presets: 200 new, 101 already there\n");
        QCOMPARE(add.err.count('\n'), 2);
        QVERIFY(add.err.contains("Cut.syx: message 3 at byte 306: Unexpected End-of-File."));
        QVERIFY(add.err.contains("Other.syx: message 1 at byte 0: Manufacturer ID not 0x7D."));
        const Run found = syx({"--library", library, "library", "search", "cafe 7", "--channel",
                               "8", "--program", "8", "--json"});
        const QJsonArray list = QJsonDocument::fromJson(found.bytes).array();
        QCOMPARE(list.size(), 1);
        QCOMPARE(list[0]["name"].toString(), "Cafe 7       ");
        QCOMPARE(list[0]["channels"]["8"]["program"].toInt(), 8); // stored 7: program 8
    }

    // Each library command on a library of one bank (Gig.syx) and one one-preset file
    // (One.syx, preset 12 of the same bank): `expected` is held by standard output (exit 0)
    // or standard error (exit 1 or 2); "BANK" stands for the bank's bytes.
    void libraryCommandsAnswer_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("expected");
        QTest::newRow("banks") << QStringList{"banks"} << 0 << "Z  added /";
        QTest::newRow("banks as JSON")
            << QStringList{"banks", "--json"} << 0
            << "\"action\": \"added\",\n    \"first\": [\n      \"Stage 1      \",";
        QTest::newRow("get a bank") << QStringList{"get", "b1", "-o", "-"} << 0 << "BANK";
        QTest::newRow("get a bank, capital B")
            << QStringList{"get", "B1", "-o", "-"} << 0 << "BANK";
        QTest::newRow("get a preset") << QStringList{"get", "p12", "-o", "-"} << 0 << "Stage 12";
        QTest::newRow("get a plain number")
            << QStringList{"get", "12", "-o", "-"} << 0 << "Stage 12";
        QTest::newRow("get no such bank")
            << QStringList{"get", "b9", "-o", "-"} << 1 << "holds no bank b9";
        QTest::newRow("get no such preset")
            << QStringList{"get", "p999", "-o", "-"} << 1 << "holds no preset p999";
        QTest::newRow("get a bad ID") << QStringList{"get", "x7", "-o", "-"} << 2
                                      << "'x7' is no preset ID (p12) or bank ID (b3)";
        QTest::newRow("get two presets") << QStringList{"get", "p1", "p2", "-o", "-"} << 2
                                         << "give one preset ID, 100 preset IDs or one bank ID";
        QTest::newRow("remove the bank")
            << QStringList{"remove", "b1"} << 0
            << "removed 1 bank, 0 one-preset files; 99 presets no longer held by any entry";
        QTest::newRow("remove the one-preset file")
            << QStringList{"remove", "p12"} << 0
            << "removed 0 banks, 1 one-preset file; 0 presets no longer held by any entry";
        QTest::newRow("remove what is not there")
            << QStringList{"remove", "b1", "b7"} << 1 << "holds no bank b7";
        QTest::newRow("remove a bad ID")
            << QStringList{"remove", "bank"} << 2 << "'bank' is no preset ID (p12) or bank ID (b3)";
        QTest::newRow("search a damaged library")
            << QStringList{"search", "x"} << 1
            << " is damaged; it was left as it is. Move it aside (or away) and the next preset "
               "file opened, saved or sent starts a new one.";
        QTest::newRow("check and compact")
            << QStringList{"check", "--compact"} << 0
            << ": ok; 100 presets, 1 bank, 1 one-preset file; compacted";
    }
    void libraryCommandsAnswer() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, expected);
        const QString library = m_dir.filePath("answers.sqlite");
        QFile::remove(library);
        QCOMPARE(syx({"--library", library, "library", "add", m_dir.write("Gig.syx", editedBank()),
                      m_dir.write("One.syx", editedBank().mid(11 * 153, 153))})
                     .exitCode,
                 0);
        if (QTest::currentDataTag() == QByteArray("search a damaged library")) {
            QFile file(library);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray("not a database").repeated(400));
        }
        const Run run = syx(QStringList{"--library", library, "library"} + args);
        if (exitCode != 0) { // the user's words, not the database's
            QVERIFY2(!run.err.contains("file is not a database"), qPrintable(run.err));
        }
        QCOMPARE(run.exitCode, exitCode);
        if (expected == "BANK") {
            QCOMPARE(run.bytes, editedBank());
        } else {
            QVERIFY2(unixPaths(exitCode == 0 ? run.out : run.err).contains(expected),
                     qPrintable(run.out + run.err));
        }
        if (args.first() == "remove" && exitCode != 0) { // nothing was removed
            QVERIFY(syx({"--library", library, "library", "check"})
                        .out.contains("100 presets, 1 bank, 1 one-preset file"));
        }
    }

    // A library the user may only read (in a folder that takes no files, so that SQLite
    // cannot make its shared-memory file) is searched; recording into it is refused.
    void libraryReadOnlyForAnOrdinaryUser() {
        SKIP_ON_WINDOWS("Unix file modes, and setpriv for another user")
        const QString folder = m_dir.filePath("shared");
        const QString library = folder + "/library.sqlite";
        QVERIFY(QDir().mkpath(folder));
        QCOMPARE(syx({"--library", library, "library", "add", m_dir.write("Gig.syx", editedBank())})
                     .exitCode,
                 0);
        QCOMPARE(::chmod(QFile::encodeName(m_dir.path()).constData(), 0755), 0);
        QCOMPARE(::chmod(QFile::encodeName(library).constData(), 0444), 0);
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
        const auto asUser = [&](const QStringList& args) {
            QProcess process;
            const QStringList all = QStringList{"--library", library, "library"} + args;
            if (::geteuid() == 0) {
                process.start("setpriv", QStringList{"--reuid=65534", "--regid=65534",
                                                     "--clear-groups", TARNWICK_SYX} +
                                             all);
            } else {
                process.start(TARNWICK_SYX, all);
            }
            process.waitForFinished(30000);
            return std::pair{process.exitCode(), QString::fromUtf8(process.readAllStandardOutput() +
                                                                   process.readAllStandardError())};
        };
        const auto [searched, found] = asUser({"search", "cafe 14"});
        ::chmod(QFile::encodeName(folder).constData(), 0755);
        QCOMPARE(searched, 0);
        QVERIFY2(found.startsWith("p14  Cafe 14"), qPrintable(found));
        ::chmod(QFile::encodeName(folder).constData(), 0555);
        const auto [added, said] = asUser({"add", m_dir.write("One.syx", defaultBank().left(153))});
        ::chmod(QFile::encodeName(folder).constData(), 0755);
        QCOMPARE(added, 1);
        QVERIFY2(said.endsWith(": cannot be written (read-only)\n"), qPrintable(said));
    }

    // Two writers at once both succeed; a writer killed midway leaves whole files only.
    void libraryWritersAtOnceAndKilled() {
        const QString library = m_dir.filePath("library.sqlite");
        for (const char* folder : {"a", "b", "c"}) {
            QVERIFY(QDir(m_dir.path()).mkpath(folder));
        }
        for (int n = 0; n < 600; ++n) {
            m_dir.write(QStringLiteral("%1/%2.syx")
                            .arg(n < 40   ? "a"
                                 : n < 80 ? "b"
                                          : "c")
                            .arg(n),
                        collectionBank(n));
        }
        QProcess first, second;
        for (auto& [process, folder] : {std::pair{&first, "a"}, std::pair{&second, "b"}}) {
            process->start(syxProgram(),
                           {"--library", library, "library", "add", m_dir.filePath(folder)});
        }
        QVERIFY(first.waitForFinished(60000) && second.waitForFinished(60000));
        QVERIFY2(first.exitCode() + second.exitCode() == 0,
                 first.readAllStandardError() + second.readAllStandardError());
        QProcess killed;
        killed.start(syxProgram(), {"--library", library, "library", "add", m_dir.filePath("c")});
        // Killed once it has written a few dozen banks: its journal has grown by then.
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(library + "-wal").size() > (1 << 20), 20000);
        ::kill(pid_t(killed.processId()), SIGKILL);
        QVERIFY(killed.waitForFinished(10000));
        const Run check = syx({"--library", library, "library", "check"});
        QCOMPARE(check.exitCode, 0);
        const int banks = QRegularExpression(", (\\d+) banks").match(check.out).captured(1).toInt();
        QVERIFY2(banks > 80 && banks < 600, qPrintable(check.out)); // killed midway
        QVERIFY(check.out.contains(QStringLiteral("; %1 presets").arg(banks * 100)));
    }

    void jsonRoundTrips_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("version");
        for (const char* version : {"2", "1"}) {
            QTest::addRow("default bank, version %s", version) << defaultBank() << version;
            QTest::addRow("edited bank, version %s", version) << editedBank() << version;
            QTest::addRow("one preset, version %s", version)
                << editedBank().mid(153 * 49, 153) << version;
            // The names hold every 7-bit byte, a zero that hides the rest of a name included.
            QByteArray names = editedBank();
            for (int i = 0; i < 100 * 13; ++i) {
                names[(i / 13) * 153 + 5 + i % 13] = char(i % 128);
            }
            QTest::addRow("every 7-bit byte in names, version %s", version) << names << version;
        }
    }
    void jsonRoundTrips() {
        QFETCH(QByteArray, file);
        QFETCH(QString, version);
        const QString syxPath = m_dir.write("trip.syx", file);
        const QString json = m_dir.filePath("trip.json");
        const QString back = m_dir.filePath("back.syx");
        QCOMPARE(syx({"export", syxPath, "-o", json, "--format-version", version}).exitCode, 0);
        QCOMPARE(syx({"import", json, "-o", back}).exitCode, 0);
        QCOMPARE(read(back), file);
        // Standard output carries the same text, and "-" is standard input.
        QCOMPARE(syx({"export", "-", "-o", "-", "--format-version", version}, file).out.toUtf8(),
                 read(json));
        QCOMPARE(syx({"import", "-", "-o", "-"}, read(json)).bytes, file);
    }

    void jsonFieldsVersion1() {
        const QString path = m_dir.write("edited.syx", editedBank());
        const QJsonObject doc =
            QJsonDocument::fromJson(syx({"export", path, "--format-version", "1"}).out.toUtf8())
                .object();
        QCOMPARE(doc["format"].toString(), QStringLiteral("tarnwick-presets"));
        QCOMPARE(doc["version"].toInt(), 1);
        const QJsonArray presets = doc["presets"].toArray();
        QCOMPARE(presets.size(), 100);
        const QJsonObject p50 = presets[49].toObject();
        QCOMPARE(p50["number"].toInt(), 50);
        QCOMPARE(p50["name"].toString(), QStringLiteral("Stage 50     "));
        QCOMPARE(p50["data"].toString(), QStringLiteral("B0 07 32"));
        QCOMPARE(p50["dataTail"].toString(),
                 QStringLiteral("FF 12 FF FF FF FF FF FF FF FF FF FF FF"));
        QCOMPARE(p50["placement"].toString(), QStringLiteral("Pre"));
        const QJsonObject p60 = presets[59].toObject();
        QCOMPARE(p60["placementBits"].toInt(), 0xA4 >> 1);
        QCOMPARE(p60["dataTail"].toString(), QString());
        QCOMPARE(presets[6].toObject()["name"].toString(), QStringLiteral("Cafe 7       "));
        const QJsonObject channel = presets[0].toObject()["channels"].toArray()[1].toObject();
        QCOMPARE(channel["channel"].toInt(), 2);
        QCOMPARE(channel["program"].toObject()["enabled"].toBool(), true);
        QCOMPARE(channel["program"].toObject()["value"].toInt(), 2);
        QCOMPARE(channel["bankMsb"].toObject()["value"].toInt(), 1);
    }

    // Version 2: short enough to read, a changed field is a changed line.
    void jsonVersion2IsCompact() {
        const QString path = m_dir.write("edited.syx", editedBank());
        const QString text = syx({"export", path}).out;
        const QStringList lines = text.split('\n');
        QVERIFY(lines.contains(QStringLiteral("  \"version\": 2,")));
        const QString defaults = syx({"export", m_dir.write("default.syx", defaultBank())}).out;
        QVERIFY2(defaults.count('\n') < 1000, qPrintable(QString::number(defaults.count('\n'))));
        QVERIFY(!defaults.contains("enabled") && !defaults.contains("reserved"));
        // Preset 2: channel 3's program on, channel 2's bank select MSB on.
        QVERIFY(lines.contains(QStringLiteral("        \"2\": {\"bankMsb\": 2},")));
        QVERIFY(lines.contains(QStringLiteral("        \"3\": {\"program\": 3}")));
        QVERIFY(lines.contains(
            QStringLiteral("      \"dataTail\": \"FF 12 FF FF FF FF FF FF FF FF FF FF "
                           "FF\",")));
        QVERIFY(lines.contains(QStringLiteral("      \"placementBits\": 82,")));
        QVERIFY(lines.contains(QStringLiteral("      \"reservedA\": 9,")));
        // One value changed in the bank is one line changed in its JSON form.
        QByteArray one = editedBank();
        std::istringstream in(one.mid(41 * 153, 153).toStdString());
        PresetRecord r = *DecodePresetMessage(in).record;
        r.channel(2)[SlotKind::Msb] = 99;
        one.replace(41 * 153, 153, messageBytes(r, 42));
        const QStringList otherLines = syx({"export", m_dir.write("one.syx", one)}).out.split('\n');
        QCOMPARE(otherLines.size(), lines.size());
        int different = 0;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            different += lines[i] != otherLines[i] ? 1 : 0;
        }
        QCOMPARE(different, 1);
    }

    void importNamesTheFirstBadField_data() {
        QTest::addColumn<QString>("version"); // of the JSON form changed
        QTest::addColumn<QString>("key");     // what to change, as a dotted path
        QTest::addColumn<QString>("value");   // new JSON value; "DELETE" removes the key
        QTest::addColumn<QString>("error");
        struct Row {
            const char* tag;
            const char* version;
            const char* key;
            const char* value;
            const char* error;
        };
        static const Row rows[] = {
            {"format", "1", "format", "\"other\"", "$.format: must be \"tarnwick-presets\""},
            {"version", "1", "version", "3", "$.version: must be a whole number from 1 to 2"},
            {"unknown key", "1", "colour", "1", "$.colour: is not a field of this format"},
            {"number 101", "1", "presets.0.number", "101",
             "$.presets[0].number: must be a whole number from 1 to 100"},
            {"missing name", "1", "presets.1.name", "DELETE", "$.presets[1].name: is missing"},
            {"long name", "1", "presets.0.name", "\"Fourteen chars\"",
             "$.presets[0].name: must be at most 13 characters from U+0000 to U+007F"},
            {"wide character", "1", "presets.0.name", "\"\\u00e9bc\"",
             "$.presets[0].name: must be at most 13 characters from U+0000 to U+007F"},
            {"program 0", "1", "presets.2.channels.3.program.value", "0",
             "$.presets[2].channels[3].program.value: must be a whole number from 1 to 128"},
            {"MSB 128", "1", "presets.2.channels.0.bankMsb.value", "128",
             "$.presets[2].channels[0].bankMsb.value: must be a whole number from 0 to 127"},
            {"enabled not a switch", "1", "presets.2.channels.0.bankLsb.enabled", "1",
             "$.presets[2].channels[0].bankLsb.enabled: must be true or false"},
            {"channel out of place", "1", "presets.0.channels.4.channel", "6",
             "$.presets[0].channels[4].channel: must be a whole number from 5 to 5"},
            {"FF in the data", "1", "presets.0.data", "\"90 FF\"",
             "$.presets[0].data: must be up to 16 hex pairs from 00 to FE, single blanks between"},
            {"data not hex", "1", "presets.0.data", "\"9 3C\"",
             "$.presets[0].data: must be up to 16 hex pairs from 00 to FE, single blanks between"},
            {"tail too short", "1", "presets.0.dataTail", "\"FF 12\"",
             "$.presets[0].dataTail: must be empty, or the bytes from the end marker FF to the "
             "16th as hex pairs"},
            {"placement", "1", "presets.0.placement", "\"Middle\"",
             "$.presets[0].placement: must be \"Pre\" or \"Post\""},
            {"placement bits", "1", "presets.0.placementBits", "128",
             "$.presets[0].placementBits: must be a whole number from 0 to 127"},
            {"reserved byte", "1", "presets.0.reservedB", "256",
             "$.presets[0].reservedB: must be a whole number from 0 to 255"},
            {"version 2: channel 17", "2", "presets.0.channels.17", "{\"program\": 1}",
             "$.presets[0].channels.17: is no channel: channels are \"1\" to \"16\""},
            {"version 2: program 0", "2", "presets.0.channels.1", "{\"program\": 0}",
             "$.presets[0].channels.1.program: must be a whole number from 1 to 128"},
            {"version 2: unknown value", "2", "presets.0.channels.1", "{\"volume\": 3}",
             "$.presets[0].channels.1.volume: is not a field of this format"},
            {"version 2: reserved byte", "2", "presets.1.reservedA", "300",
             "$.presets[1].reservedA: must be a whole number from 0 to 255"},
            {"version 2: missing placement", "2", "presets.1.placement", "DELETE",
             "$.presets[1].placement: is missing"},
        };
        for (const Row& row : rows) {
            QTest::newRow(row.tag) << row.version << row.key << row.value << row.error;
        }
    }
    void importNamesTheFirstBadField() {
        QFETCH(QString, version);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, error);
        const QString syxPath = m_dir.write("good.syx", defaultBank().left(153 * 3));
        QJsonDocument doc = QJsonDocument::fromJson(
            syx({"export", syxPath, "--format-version", version}).out.toUtf8());
        // Walk to the field and change it.
        const QStringList parts = key.split('.');
        std::function<QJsonValue(QJsonValue, int)> edit = [&](QJsonValue node,
                                                              int i) -> QJsonValue {
            if (node.isArray()) {
                QJsonArray array = node.toArray();
                array[parts[i].toInt()] = edit(array[parts[i].toInt()], i + 1);
                return array;
            }
            QJsonObject object = node.toObject();
            if (i == parts.size() - 1) {
                if (value == "DELETE") {
                    object.remove(parts[i]);
                } else {
                    object[parts[i]] =
                        QJsonDocument::fromJson("[" + value.toUtf8() + "]").array()[0];
                }
                return object;
            }
            object[parts[i]] = edit(object[parts[i]], i + 1);
            return object;
        };
        doc = QJsonDocument(edit(doc.object(), 0).toObject());
        const QString json = m_dir.write("bad.json", doc.toJson());
        const QString out = m_dir.filePath("never.syx");
        const Run run = syx({"import", json, "-o", out, "--partial"});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, "tarnwick-syx: " + json + ": " + error + "\n");
        QVERIFY(!QFile::exists(out));
    }

    // What the editor would never write is refused; a short name is padded, as the editor does.
    void importTakesWhatTheEditorTakes_data() {
        QTest::addColumn<QList<int>>("numbers"); // of the presets in the JSON file
        QTest::addColumn<bool>("partial");
        QTest::addColumn<QString>("error"); // empty: imported
        QTest::newRow("one preset") << QList<int>{7} << false << QString();
        QTest::newRow("the same number twice")
            << QList<int>{5, 9, 5} << true << "preset 5 stands more than once";
        QTest::newRow("three presets")
            << QList<int>{9, 2, 5} << false
            << "holds 3 presets; a preset file holds 1 or 100 (--partial writes just these)";
        QTest::newRow("three presets, --partial") << QList<int>{9, 2, 5} << true << QString();
    }
    void importTakesWhatTheEditorTakes() {
        QFETCH(QList<int>, numbers);
        QFETCH(bool, partial);
        QFETCH(QString, error);
        QJsonArray presets;
        for (int number : numbers) {
            presets.append(
                QJsonObject{{"number", number},
                            {"name", "Strings Pad"},
                            {"placement", "Pre"},
                            {"data", ""},
                            {"channels", QJsonObject{{"1", QJsonObject{{"program", 49}}}}}});
        }
        const QString json =
            m_dir.write("hand.json", QJsonDocument(QJsonObject{{"format", "tarnwick-presets"},
                                                               {"version", 2},
                                                               {"presets", presets}})
                                         .toJson());
        const QString out = m_dir.filePath("hand.syx");
        QStringList args{"import", json, "-o", out};
        if (partial) {
            args << "--partial";
        }
        const Run run = syx(args);
        if (!error.isEmpty()) {
            QCOMPARE(run.exitCode, 1);
            QCOMPARE(run.err, "tarnwick-syx: " + json + ": " + error + "\n");
            QVERIFY(!QFile::exists(out));
            return;
        }
        QCOMPARE(run.exitCode, 0);
        QList<int> sorted = numbers;
        std::sort(sorted.begin(), sorted.end());
        QByteArray expected;
        for (int number : sorted) {
            PresetRecord r = DefaultPresetRecord();
            SetPresetName(r, "Strings Pad  ");
            for (int c = 1; c <= kChannelCount; ++c) {
                for (SlotKind k : kSlotKinds) {
                    r.channel(c)[k] = kSlotDisabled;
                }
            }
            r.channel(1)[SlotKind::Program] = 48;
            r.data.fill(kMidiDataEnd);
            r.placement = 0;
            expected += messageBytes(r, number);
        }
        QCOMPARE(read(out), expected);
    }

    void importOfSomethingElse() {
        const QString json = m_dir.write("text.json", "not json at all");
        const Run run = syx({"import", json, "-o", m_dir.filePath("x.syx")});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.err.contains(": not JSON: "));
    }

    void diffShowsFieldsThatDiffer() {
        const QByteArray a = defaultBank();
        PresetRecord changed = NewBankPreset(PresetIndex::fromOneBase(5));
        SetPresetName(changed, "Piano        ");
        changed.channel(2)[SlotKind::Program] = 11;
        changed.data[0] = 0xC0;
        changed.data[1] = 0x05;
        changed.placement = 1;
        QByteArray b = a;
        b.replace(4 * 153, 153, messageBytes(changed, 5));
        const QString pa = m_dir.write("a.syx", a);
        const QString pb = m_dir.write("b.syx", b);
        const Run run = syx({"diff", pa, pb});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.out, QStringLiteral("preset 5: name \"New Name 5   \" -> \"Piano        \"\n"
                                         "preset 5: channel 2 program off -> 12\n"
                                         "preset 5: MIDI data none -> C0 05\n"
                                         "preset 5: placement Pre -> Post\n"));
        // With a rig, a channel's change says how its sound changed.
        qputenv("TARNWICK_RIG", m_dir.filePath("rig.json").toUtf8());
        const auto restore = qScopeGuard([] { qputenv("TARNWICK_RIG", "off"); });
        QCOMPARE(syx({"rig", "set", "2", "General MIDI"}).exitCode, 0);
        QVERIFY2(syx({"diff", pa, pb})
                     .out.contains("preset 5: channel 2 program off -> 12 = no sound -> "
                                   "Vibraphone\n"),
                 qPrintable(syx({"diff", pa, pb}).out));
        const Run same = syx({"diff", pa, pa});
        QCOMPARE(same.exitCode, 0);
        QCOMPARE(same.out, QString());
        const Run partial = syx({"diff", pa, m_dir.write("one.syx", a.left(153))});
        QVERIFY(partial.out.contains("preset 2: only in the first file\n"));
    }

    void showOfATruncatedBank() {
        const QString path = m_dir.write("cut.syx", defaultBank().left(153 * 2 + 40));
        const Run run = syx({"show", path});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.out.startsWith(path + ": 2 presets\nPreset 1  "));
        QVERIFY(run.out.contains("Preset 2  "));
        QCOMPARE(run.err,
                 "tarnwick-syx: " + path + ": message 3 at byte 306: Unexpected End-of-File.\n");
    }

    void showListsEachPreset() {
        PresetRecord r = NewBankPreset(PresetIndex::fromOneBase(9));
        SetPresetName(r, "Piano");
        r.channel(2)[SlotKind::Program] = 11;
        r.channel(2)[SlotKind::Msb] = 5;
        r.channel(3)[SlotKind::Lsb] = 0x80 | 4;
        r.data[0] = 0x90;
        r.placement = 1;
        const QString path = m_dir.write("show.syx", messageBytes(r, 9));
        const Run run = syx({"show", path});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, path + ": 1 preset\n"
                                 "Preset 9  \"Piano        \"  Post\n"
                                 "  channel 2: bank MSB 5, program 12\n"
                                 "  MIDI data: 90\n");
    }

    void splitAndJoin() {
        const QString bank = m_dir.write("split.syx", editedBank());
        const QString parts = m_dir.filePath("parts");
        QCOMPARE(syx({"split", bank, parts}).exitCode, 0);
        const QStringList files = QDir(parts).entryList(QDir::Files, QDir::Name);
        QCOMPARE(files.size(), 100);
        QCOMPARE(files.first(), QStringLiteral("001 Stage 1.syx"));
        QVERIFY(files.contains(QStringLiteral("007 Cafe 7.syx")));
        QCOMPARE(read(parts + "/041 Stage 41.syx"), editedBank().mid(40 * 153, 153));
        QStringList args{"join"};
        for (auto it = files.rbegin(); it != files.rend(); ++it) {
            args << parts + "/" + *it; // any order: the bank comes out in preset order
        }
        args << "-o" << m_dir.filePath("joined.syx");
        QCOMPARE(syx(args).exitCode, 0);
        QCOMPARE(read(m_dir.filePath("joined.syx")), editedBank());

        const Run twice = syx({"join", parts + "/001 Stage 1.syx", parts + "/001 Stage 1.syx", "-o",
                               m_dir.filePath("twice.syx")});
        QCOMPARE(twice.exitCode, 1);
        QVERIFY(twice.err.contains("preset 1 is in both"));

        // A second split into the same folder replaces nothing unless told to.
        const Run again = syx({"split", bank, parts});
        QCOMPARE(again.exitCode, 1);
        QCOMPARE(unixPaths(again.err),
                 "tarnwick-syx: " + parts + "/001 Stage 1.syx: exists (--force replaces it)\n");
        QCOMPARE(syx({"split", bank, parts, "--force"}).exitCode, 0);
    }

    void usageAndHelp_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("no command") << QStringList{} << 2;
        QTest::newRow("unknown command") << QStringList{"frobnicate"} << 2;
        QTest::newRow("missing file") << QStringList{"show"} << 2;
        QTest::newRow("import without output") << QStringList{"import", "x.json"} << 2;
        QTest::newRow("help") << QStringList{"--help"} << 0;
        QTest::newRow("command help") << QStringList{"send", "--help"} << 0;
        QTest::newRow("version") << QStringList{"--version"} << 0;
        QTest::newRow("no port anywhere") << QStringList{"identify"} << 2;
    }
    void usageAndHelp() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        const Run run = syx(args);
        QCOMPARE(run.exitCode, exitCode);
        if (exitCode == 0) {
            QVERIFY(run.out.contains("Usage:") ||
                    run.out == QStringLiteral("tarnwick-syx %1\n").arg(kVersion));
        } else {
            QCOMPARE(run.err.count('\n'), 1);
            QVERIFY(run.err.startsWith("tarnwick-syx: "));
        }
    }

    void helpEndsWithExitCodesAndExamples() {
        const Run run = syx({"--help"});
        QVERIFY(run.out.contains("Exit codes: 0 done; 1 bad input"));
        QVERIFY(run.out.trimmed().endsWith("tarnwick-syx library search pad --channel 2"));
        QCOMPARE(syx({"frobnicate"}).err,
                 QStringLiteral("tarnwick-syx: unknown command 'frobnicate' (see tarnwick-syx "
                                "--help)\n"));
    }

    void standardOutput() {
        const Run bank = syx({"new-bank", "-o", "-"});
        QCOMPARE(bank.exitCode, 0);
        QCOMPARE(bank.bytes, defaultBank());
        const Run cannot = syx({"new-bank", "-o", "/proc/nope.syx"});
        QCOMPARE(cannot.exitCode, 1);
        QVERIFY2(cannot.err.startsWith("tarnwick-syx: cannot write /proc/nope.syx: ") &&
                     cannot.err.size() > 45,
                 qPrintable(cannot.err));
    }
};

QTEST_GUILESS_MAIN(SyxCliTest)
#include "test_syx_cli.moc"
