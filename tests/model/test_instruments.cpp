// Instrument files (MIDNAM and .ins) read as untrusted input, the rule that names a
// channel's sound, and the rig file.
#include "instrument_library.h"
#include "rig.h"
#include "sound_names.h"

#include <QTemporaryDir>
#include <QtTest>

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
        QCOMPARE(one->nameSet("Patches")->sounds.size(), std::size_t(6));
        QVERIFY(!library.find("Tarnwick Test Synth One Plus")->nameSet("Card 1"));
        // An entity is never expanded, and an external one never read.
        const Sound& entity = library.find("Tarnwick Test Entity")->nameSets[0].sounds[0];
        QVERIFY2(entity.name.find("lollol") == std::string::npos, entity.name.c_str());
        QCOMPARE(
            library.closest("synth on", 2),
            (std::vector<std::string>{"Tarnwick Test Synth One", "Tarnwick Test Synth One Plus"}));
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
        for (const char* damaged : {"{\"format\": \"tarnwick-rig\", \"version\": 9}", "[1, 2]",
                                    "{\"format\": \"tarnwick-rig\", \"version\": 1, "
                                    "\"channels\": {\"17\": {\"instrument\": \"x\"}}}"}) {
            std::ofstream(path) << damaged;
            QVERIFY2(!ReadRig(path, error), damaged);
        }
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
