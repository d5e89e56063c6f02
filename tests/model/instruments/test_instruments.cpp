// Instrument files (MIDNAM and .ins) read as untrusted input, the rule that names a
// channel's sound, and the rig file.
#include "instruments/instrument_library.h"
#include "instruments/rig.h"
#include "instruments/sound_names.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <fstream>

using namespace tarnwick;

namespace {

const std::string kData = TARNWICK_TEST_DATA "/instruments";

// A channel with MSB, LSB and program as given; nothing: switched off. `program` 1-128.
ChannelSlot slot(std::optional<int> msb, std::optional<int> lsb, std::optional<int> program) {
    const auto byte = [](std::optional<int> value) {
        return value ? std::uint8_t(*value) : kSlotDisabled;
    };
    const std::optional<int> stored = program ? std::optional<int>(*program - 1) : std::nullopt;
    return ChannelSlot{{byte(msb), byte(lsb), byte(stored)}};
}

const InstrumentLibrary& testLibrary() {
    static const InstrumentLibrary library = [] {
        InstrumentLibrary loaded;
        loaded.load({kData});
        return loaded;
    }();
    return library;
}

QStringList names(const std::vector<std::string>& list) {
    QStringList out;
    for (const std::string& item : list) {
        out << QString::fromStdString(item);
    }
    return out;
}

} // namespace

class InstrumentsTest : public QObject {
    Q_OBJECT
private slots:
    // The test folder: each model an instrument, the expansion card's list a name set of
    // its own, the first file to name an instrument winning, and every file that cannot
    // be read named with its reason while the others load.
    void aFolderOfFilesLoads() {
        const InstrumentLibrary& library = testLibrary();
        QStringList found;
        for (const Instrument& instrument : library.instruments()) {
            found << QString::fromStdString(instrument.name);
        }
        QCOMPARE(found, (QStringList{"Tarnwick Test Entity", "Tarnwick Test Synth One",
                                     "Tarnwick Test Synth One Plus", "Test MSB LSB",
                                     "Test MSB Only", "Test LSB Only", "Test Program Only",
                                     "Tarnwick Test Card Only", "General MIDI"}));
        QCOMPARE(library.shadowed().size(), std::size_t(1));
        QCOMPARE(library.shadowed()[0].name, std::string("Tarnwick Test Synth One Plus"));
        QVERIFY(library.shadowed()[0].file.ends_with("test_synths.ins"));
        QCOMPARE(library.fileProblems().size(), std::size_t(1));
        QVERIFY(library.fileProblems()[0].file.ends_with("test_broken.midnam"));
        QVERIFY(library.fileProblems()[0].reason.starts_with(
            "not well-formed XML (it breaks off or its tags do not match) near byte "));

        const Instrument* one = library.find("tarnwick test SYNTH ONE");
        QVERIFY(one);
        QCOMPARE(names(one->problems),
                 (QStringList{"bank \"Lost\" of name set \"Patches\" left out: its list "
                              "\"Nowhere\" is nowhere in the file",
                              "1 patch without a name or a program 0 to 127 left out"}));
        QCOMPARE(one->channelNameSets[0], std::string("Patches"));
        QCOMPARE(one->channelNameSets[1], std::string("Patches")); // not assigned: the first
        QCOMPARE(one->channelNameSets[9], std::string("Drums"));
        QVERIFY(one->nameSet("Card 1")); // the expansion's list
        QCOMPARE(one->nameSet("Patches")->sounds.size(), std::size_t(7));
        QVERIFY(!library.find("Tarnwick Test Synth One Plus")->nameSet("Card 1"));
        // An entity is never expanded, and an external one never read.
        const Sound& entity = library.find("Tarnwick Test Entity")->nameSets[0].sounds[0];
        QVERIFY2(entity.name.find("lollol") == std::string::npos, entity.name.c_str());
        QCOMPARE(
            library.closest("synth on", 2),
            (std::vector<std::string>{"Tarnwick Test Synth One", "Tarnwick Test Synth One Plus"}));
    }

    // An instrument named in any spelling: its very name wins; else case, blanks and
    // punctuation are ignored and the words may come in any order.
    void instrumentsByAnySpelling_data() {
        QTest::addColumn<QString>("spelling");
        QTest::addColumn<QStringList>("named");
        const QString one = "Tarnwick Test Synth One";
        const QString plus = "Tarnwick Test Synth One Plus";
        QTest::newRow("its very name, any case") << "TARNWICK test synth one" << QStringList{one};
        QTest::newRow("words that two names hold") << "synth one" << QStringList{one, plus};
        QTest::newRow("words in another order") << "one PLUS synth" << QStringList{plus};
        QTest::newRow("blanks and punctuation ignored")
            << "tarnwick-testsynth.one+plus" << QStringList{plus};
        QTest::newRow("a word across the name's blanks") << "msblsb" << QStringList{"Test MSB LSB"};
        QTest::newRow("a word no name holds") << "synth two" << QStringList{};
        QTest::newRow("no words at all") << " - " << QStringList{};
    }
    void instrumentsByAnySpelling() {
        QFETCH(QString, spelling);
        QFETCH(QStringList, named);
        QStringList found;
        for (const Instrument* instrument : testLibrary().named(spelling.toStdString())) {
            found << QString::fromStdString(instrument->name);
        }
        QCOMPARE(found, named);
    }

    // A file over 16 MiB, or an empty one, is refused unread; the rest still load.
    void filesRefusedUnread_data() {
        QTest::addColumn<qsizetype>("size");
        QTest::addColumn<QString>("reason");
        QTest::newRow("17 MiB") << qsizetype(17 << 20) << "larger than 16 MiB";
        QTest::newRow("empty") << qsizetype(0) << "the file is empty";
        QTest::newRow("blanks only") << qsizetype(40) << "the file is empty";
    }
    void filesRefusedUnread() {
        QFETCH(qsizetype, size);
        QFETCH(QString, reason);
        QTemporaryDir folder;
        {
            std::ofstream file(folder.filePath("huge.midnam").toStdString(), std::ios::binary);
            file << std::string(std::size_t(size), ' ');
        }
        InstrumentLibrary library;
        library.load({folder.path().toStdString(), kData});
        QCOMPARE(QString::fromStdString(library.fileProblems().front().reason), reason);
        QVERIFY(library.find("Test MSB LSB"));
    }

    // Every name read is UTF-8, whatever the file's bytes: text that is not UTF-8 is taken
    // as Latin-1 (a program printing JSON would otherwise fail on it), and keys are matched
    // in any ASCII case with Latin-1 bytes beside them.
    void namesInAnyEncoding_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("midnam");
        QTest::addColumn<QString>("name"); // the first sound's
        const QByteArray midnam =
            "<MIDINameDocument><MasterDeviceNames><Manufacturer>T</Manufacturer><Model>M</Model>"
            "<ChannelNameSetAssignments/><ChannelNameSet Name=\"S\"><PatchBank Name=\"B\">"
            "<PatchNameList><Patch Number=\"1\" Name=\"NAME\" ProgramChange=\"0\"/>"
            "</PatchNameList></PatchBank></ChannelNameSet></MasterDeviceNames>"
            "</MIDINameDocument>";
        const QByteArray ins = ".Patch Names\n[L]\n0=NAME\n.Instrument Definitions\n[M]\n"
                               "PATCH[*]=L\n";
        QTest::newRow("MIDNAM, UTF-8")
            << QByteArray(midnam).replace("NAME", "Caf\xc3\xa9") << true << "Café";
        QTest::newRow("MIDNAM, Latin-1")
            << QByteArray(midnam).replace("NAME", "Caf\xe9") << true << "Café";
        QTest::newRow(".ins, UTF-8")
            << QByteArray(ins).replace("NAME", "Caf\xc3\xa9") << false << "Café";
        QTest::newRow(".ins, Latin-1, a key in capitals")
            << QByteArray(ins).replace("NAME", "\xc9t\xe9") << false << "Été";
        // Notepad's ways of saving: a byte order mark, or UTF-16 with one.
        const QString named = QString::fromLatin1(ins).replace("NAME", "Caf\u00e9 \U0001D11E");
        QTest::newRow(".ins, UTF-8 with a byte order mark")
            << "\xEF\xBB\xBF" + named.toUtf8() << false << "Café \U0001D11E";
        QByteArray little("\xFF\xFE", 2);
        QByteArray big("\xFE\xFF", 2);
        for (const char16_t unit : named.toStdU16String()) {
            little += char(unit & 0xFF);
            little += char(unit >> 8);
            big += char(unit >> 8);
            big += char(unit & 0xFF);
        }
        QTest::newRow(".ins, UTF-16 little-endian") << little << false << "Café \U0001D11E";
        QTest::newRow(".ins, UTF-16 big-endian") << big << false << "Café \U0001D11E";
    }
    void namesInAnyEncoding() {
        QFETCH(QByteArray, content);
        QFETCH(bool, midnam);
        QFETCH(QString, name);
        const InstrumentFile file = midnam
                                        ? ReadMidnam(content.toStdString(), "t.midnam")
                                        : ReadInstrumentDefinitions(content.toStdString(), "t.ins");
        QVERIFY2(file.error.empty(), file.error.c_str());
        const std::string& read = file.instruments.at(0).nameSets.at(0).sounds.at(0).name;
        QCOMPARE(QString::fromStdString(read), name);
    }

    // A file that still gives nothing says how it was read.
    void insEncodingNamedWhenNothingIsRead_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("error");
        const QString none = "defines no instrument (no .Instrument Definitions entry)";
        QTest::newRow("plain text") << QByteArray("just words\n") << none;
        QTest::newRow("UTF-8 mark") << QByteArray("\xEF\xBB\xBFjust words\n")
                                    << none + "; read as UTF-8 with a byte order mark";
        QTest::newRow("UTF-16 mark")
            << QByteArray("\xFF\xFEj\0u\0s\0t\0", 10) << none + "; read as UTF-16 little-endian";
        QTest::newRow("UTF-16, no mark")
            << QByteArray(".\0P\0a\0t\0c\0h\0", 12)
            << none + "; read as UTF-16 without a byte order mark, which is not read";
    }
    void insEncodingNamedWhenNothingIsRead() {
        QFETCH(QByteArray, content);
        QFETCH(QString, error);
        const InstrumentFile file = ReadInstrumentDefinitions(content.toStdString(), "t.ins");
        QCOMPARE(QString::fromStdString(file.error), error);
    }

    // Each .ins bank select method: the values a bank sends.
    void insBankSelectMethods_data() {
        QTest::addColumn<QString>("instrument");
        QTest::addColumn<QString>("sounds"); // bank:msb/lsb/program name, ...
        QTest::newRow("MSB and LSB, and the rest")
            << "Test MSB LSB"
            << "Test Base:-/-/1 Base Piano|Test Base:-/-/2 Base Organ|Test Variation:80/0/1 "
               "Base Piano|Test Variation:80/0/2 Variation Organ|Test Variation:80/0/3 "
               "Variation Bass";
        QTest::newRow("MSB only") << "Test MSB Only"
                                  << "Test Variation:5/-/1 Base Piano|Test Variation:5/-/2 "
                                     "Variation Organ|Test Variation:5/-/3 Variation Bass";
        QTest::newRow("LSB only") << "Test LSB Only"
                                  << "Test Variation:-/3/1 Base Piano|Test Variation:-/3/2 "
                                     "Variation Organ|Test Variation:-/3/3 Variation Bass";
        QTest::newRow("program only, a missing list left out")
            << "Test Program Only"
            << "Test Base:-/-/1 Base Piano|Test Base:-/-/2 Base Organ";
    }
    void insBankSelectMethods() {
        QFETCH(QString, instrument);
        QFETCH(QString, sounds);
        const Instrument* found = testLibrary().find(instrument.toStdString());
        QVERIFY(found);
        QStringList listed;
        const auto value = [](const std::optional<std::uint8_t>& v) {
            return v ? QString::number(*v) : QStringLiteral("-");
        };
        for (const Sound& sound : found->nameSets.at(0).sounds) {
            listed << QStringLiteral("%1:%2/%3/%4 %5")
                          .arg(QString::fromStdString(sound.bank), value(sound.msb),
                               value(sound.lsb), QString::number(sound.program + 1),
                               QString::fromStdString(sound.name));
        }
        QCOMPARE(listed.join(u'|'), sounds);
    }

    // Lists based on each other: each resolved once, in a loop. A ring or an absurd depth is
    // cut with a note; a deep chain under many banks is read quickly, and never by a
    // recursion that a file could make overflow the stack.
    void insBasedOnChains_data() {
        QTest::addColumn<int>("depth");     // lists L0 to L(depth-1), each based on the one before
        QTest::addColumn<int>("banks");     // banks using the last list
        QTest::addColumn<bool>("ring");     // L0 based on the last list too
        QTest::addColumn<QString>("named"); // bank 0's last program's name
        QTest::addColumn<QString>("problem");
        QTest::addColumn<int>("withinMs"); // 0: no limit (the sanitizer build is slower)
        QTest::newRow("two deep") << 2 << 1 << false << "Name 1"
                                  << "" << 0;
        QTest::newRow("based on itself") << 1 << 1 << true << "Name 0"
                                         << "list \"L0\" is based on itself in a ring" << 0;
        QTest::newRow("a ring of three") << 3 << 1 << true << "Name 2"
                                         << "is based on itself in a ring" << 0;
        QTest::newRow("2,000 deep under 1,000 banks") << 2000 << 1000 << false << "Name 1999"
                                                      << "" << 1000;
        QTest::newRow("100,000 deep")
            << 100000 << 2 << false << "Name 99999"
            << "list \"L99999\" is based on lists more than 4096 deep" << 0;
    }
    void insBasedOnChains() {
        QFETCH(int, depth);
        QFETCH(int, banks);
        QFETCH(bool, ring);
        QFETCH(QString, named);
        QFETCH(QString, problem);
        QFETCH(int, withinMs);
        std::string text = ".Patch Names\n";
        for (int i = 0; i < depth; ++i) {
            text += "[L" + std::to_string(i) + "]\n";
            if (i > 0 || ring) {
                text += "BasedOn=L" + std::to_string(i > 0 ? i - 1 : depth - 1) + "\n";
            }
            text += std::to_string(i % 128) + "=Name " + std::to_string(i) + "\n";
        }
        text += ".Instrument Definitions\n[Deep]\n";
        for (int bank = 0; bank < banks; ++bank) {
            text += "Patch[" + std::to_string(bank) + "]=L" + std::to_string(depth - 1) + "\n";
        }
        QElapsedTimer timer;
        timer.start();
        const InstrumentFile file = ReadInstrumentDefinitions(text, "deep.ins");
        const qint64 spent = timer.elapsed();
        QCOMPARE(file.instruments.size(), std::size_t(1));
        const Instrument& deep = file.instruments.front();
        const std::vector<Sound>& sounds = deep.nameSets.at(0).sounds;
        const auto perBank = std::size_t(std::min(depth, 128));
        QCOMPARE(sounds.size(), perBank * std::size_t(banks));
        const Sound& last = *std::find_if(sounds.begin(), sounds.end(), [&](const Sound& sound) {
            return sound.program == (depth - 1) % 128;
        });
        QCOMPARE(QString::fromStdString(last.name), named);
        QCOMPARE(deep.problems.size(), std::size_t(problem.isEmpty() ? 0 : 1));
        if (!problem.isEmpty()) {
            QVERIFY2(QString::fromStdString(deep.problems.front()).contains(problem),
                     deep.problems.front().c_str());
        }
        qInfo("%d lists deep under %d banks: %lld ms", depth, banks, spent);
        QVERIFY2(withinMs == 0 || spent < withinMs, qPrintable(QString::number(spent)));
    }

    // The name a channel's values give, on Synth One's "Patches".
    void namingAChannel_data() {
        QTest::addColumn<ChannelSlot>("channel");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QStringList>("candidates");
        QTest::newRow("MSB, LSB and program agree")
            << slot(80, 0, 1) << "Symphonique" << QStringList{"Symphonique"};
        QTest::newRow("an entity of XML's own")
            << slot(80, 0, 2) << "Grand & Strings" << QStringList{"Grand & Strings"};
        QTest::newRow("LSB off: any LSB")
            << slot(80, {}, 1) << "Symphonique" << QStringList{"Symphonique"};
        QTest::newRow("a bank that sends no LSB matches any")
            << slot(81, 5, 2) << "Glass Pad" << QStringList{"Glass Pad"};
        QTest::newRow("a patch's own commands")
            << slot(87, 0, 10) << "Own Commands" << QStringList{"Own Commands"};
        QTest::newRow("banks off: every bank's program 1")
            << slot({}, {}, 1) << "Symphonique?"
            << QStringList{"Symphonique", "Warm Pad", "Plain Piano"};
        QTest::newRow("no sound there") << slot(80, 0, 100) << "" << QStringList{};
        QTest::newRow("a bank nobody sends, but a bank without selects")
            << slot(99, 0, 1) << "Plain Piano" << QStringList{"Plain Piano"};
        QTest::newRow("program off") << slot(80, 0, {}) << "" << QStringList{};
    }
    void namingAChannel() {
        QFETCH(ChannelSlot, channel);
        QFETCH(QString, shown);
        QFETCH(QStringList, candidates);
        const NameSet* set = testLibrary().find("Tarnwick Test Synth One")->nameSet("Patches");
        const SoundName name = NameSound(*set, channel);
        QCOMPARE(QString::fromStdString(name.shown), shown);
        QCOMPARE(names(name.candidates), candidates);
    }

    // The built-in General MIDI names channel 10's programs as drum sets, every other
    // channel's as melodic sounds.
    void generalMidiDrumsOnChannel10_data() {
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("program"); // as shown, 1 to 128
        QTest::addColumn<QString>("shown");
        QTest::newRow("channel 1, program 1") << 1 << 1 << "Acoustic Grand Piano";
        QTest::newRow("channel 11, program 1") << 11 << 1 << "Acoustic Grand Piano";
        QTest::newRow("channel 10, program 1") << 10 << 1 << "Standard";
        QTest::newRow("channel 10, program 9") << 10 << 9 << "Room";
        QTest::newRow("channel 10, program 26") << 10 << 26 << "Analog";
        QTest::newRow("channel 10, program 57") << 10 << 57 << "SFX";
        QTest::newRow("channel 10, program 2") << 10 << 2 << "Drum Set 2";
        QTest::newRow("channel 10, program 128") << 10 << 128 << "Drum Set 128";
    }
    void generalMidiDrumsOnChannel10() {
        QFETCH(int, channel);
        QFETCH(int, program);
        QFETCH(QString, shown);
        Rig rig;
        rig.channels.fill({"General MIDI", ""});
        const RigNames named(rig, testLibrary());
        QVERIFY(named.problems().empty());
        QCOMPARE(QString::fromStdString(named.name(channel, slot({}, {}, program)).shown), shown);
    }

    // The rig file: written and read back; a channel's name set by default the one the
    // device mode gives it; what it cannot find named with the channel.
    void theRigFile() {
        QTemporaryDir folder;
        const std::filesystem::path path = folder.filePath("config/rig.json").toStdString();
        std::string error;
        QCOMPARE(ReadRig(path, error)->empty(), true); // no file: no rig
        Rig rig;
        rig.channels[0] = {"Tarnwick Test Synth One", ""};
        rig.channels[9] = {"Tarnwick Test Synth One", ""};
        rig.channels[2] = {"General MIDI", "General MIDI"};
        rig.channels[3] = {"Nobody's Synth", ""};
        rig.channels[4] = {"Tarnwick Test Synth One", "Organs"};
        QVERIFY(WriteRig(path, rig, error));
        QCOMPARE(*ReadRig(path, error), rig);
        const RigNames named(rig, testLibrary());
        QCOMPARE(named.nameSet(1)->name, std::string("Patches"));
        QCOMPARE(named.nameSet(10)->name, std::string("Drums"));
        QCOMPARE(named.name(10, slot(120, {}, 1)).shown, std::string("Standard Kit"));
        QCOMPARE(named.name(3, slot({}, {}, 41)).shown, std::string("Violin"));
        QVERIFY(!named.nameSet(2));
        QCOMPARE(names(named.problems()),
                 (QStringList{"channel 4: no instrument \"Nobody's Synth\" is found",
                              "channel 5: Tarnwick Test Synth One has no name set \"Organs\""}));
    }

    // A rig file that is not a rig is refused in words, whatever its values' types: the
    // JSON library throws for a value of another type, which must never end a program.
    void damagedRigs_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("said");
        const QString notRig = "is not a rig file";
        const auto rig = [](const char* rest) {
            return QString("{\"format\": \"tarnwick-rig\", \"version\": 1, ") + rest + "}";
        };
        QTest::newRow("newer") << "{\"format\": \"tarnwick-rig\", \"version\": 9}"
                               << "newer version";
        QTest::newRow("array") << "[1, 2]" << notRig;
        QTest::newRow("empty file") << "" << notRig;
        QTest::newRow("channel 17")
            << rig("\"channels\": {\"17\": {\"instrument\": \"x\"}}") << "channel \"17\"";
        QTest::newRow("channel 1x")
            << rig("\"channels\": {\"1x\": {\"instrument\": \"x\"}}") << "channel \"1x\"";
        QTest::newRow("format a number") << "{\"format\": 1, \"version\": 1}" << notRig;
        QTest::newRow("format null") << "{\"format\": null, \"version\": 1}" << notRig;
        QTest::newRow("version text") << "{\"format\": \"tarnwick-rig\", \"version\": \"1\"}"
                                      << "\"version\"";
        QTest::newRow("version huge")
            << "{\"format\": \"tarnwick-rig\", \"version\": 18446744073709551615}"
            << "newer version";
        QTest::newRow("version 1e400")
            << "{\"format\": \"tarnwick-rig\", \"version\": 1e400}" << notRig;
        QTest::newRow("channels a list") << rig("\"channels\": [1]") << "\"channels\"";
        QTest::newRow("instrument a number")
            << rig("\"channels\": {\"1\": {\"instrument\": 5}}") << "channel \"1\"";
        QTest::newRow("nameSet a number")
            << rig("\"channels\": {\"1\": {\"instrument\": \"x\", \"nameSet\": 5}}")
            << "\"nameSet\"";
        QTest::newRow("channel a string") << rig("\"channels\": {\"1\": \"x\"}") << "channel \"1\"";
    }
    void damagedRigs() {
        QFETCH(QString, text);
        QFETCH(QString, said);
        QTemporaryDir folder;
        const std::filesystem::path path = folder.filePath("rig.json").toStdString();
        std::ofstream(path) << text.toStdString();
        std::string error;
        QVERIFY(!ReadRig(path, error));
        QVERIFY2(QString::fromStdString(error).contains(said), error.c_str());
    }

    // The synths of Debian's ardour-data: every file loads, and a few known names.
    void realNameDocuments() {
        const std::filesystem::path folder = "/usr/share/ardour7/patchfiles";
        if (!std::filesystem::exists(folder)) {
            QSKIP("ardour-data is not installed");
        }
        InstrumentLibrary library;
        library.load({folder});
        QStringList problems;
        for (const auto& problem : library.fileProblems()) {
            problems << QString::fromStdString(problem.file + ": " + problem.reason);
        }
        QCOMPARE(problems, QStringList());
        QVERIFY(library.instruments().size() > 400);
        const Instrument* jv = library.find("Roland JV-1080");
        QVERIFY(jv);
        Rig rig;
        rig.channels[0].instrument = "Roland JV-1080";
        rig.channels[9].instrument = "Roland JV-1080";
        const RigNames named(rig, library);
        QCOMPARE(named.name(1, slot(80, 0, 1)).shown, std::string("Symphonique"));
        QCOMPARE(named.nameSet(10)->name, std::string("Drums"));
    }
};

QTEST_GUILESS_MAIN(InstrumentsTest)
#include "test_instruments.moc"
