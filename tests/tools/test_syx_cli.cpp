// tarnwick-syx on real files: every command, its output, its files and its exit code.
#include "preset_message.h"
#include "row_folder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

using namespace tarnwick;

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run syx(const QStringList& args, const QString& workingDirectory = {}) {
    QProcess process;
    if (!workingDirectory.isEmpty()) {
        process.setWorkingDirectory(workingDirectory);
    }
    process.start(QStringLiteral(TARNWICK_SYX), args);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
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
        SetPresetName(r, (n % 7 == 0 ? "Caf\xE9 " : "Stage ") + std::to_string(n) +
                             std::string(13, ' '));
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

QByteArray read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class SyxCliTest : public QObject {
    Q_OBJECT
    testing::RowFolder m_dir;

private slots:
    void init() { m_dir.renew(); }

    void newBankIsTheEditorsDefaultBank() {
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
        QFETCH(QStringList, args);
        QFETCH(QString, output);
        if (QStandardPaths::findExecutable("strace").isEmpty()) {
            QSKIP("strace is not installed");
        }
        const QString log = m_dir.filePath("strace.log");
        QProcess strace;
        strace.start("strace", QStringList{"-f", "-y", "-o", log, "-e",
                                           "trace=fsync,fdatasync,rename,renameat,renameat2",
                                           QStringLiteral(TARNWICK_SYX)} +
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

    void checkReportsTheFirstFailure_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("error"); // empty: valid
        QByteArray bank = defaultBank();
        QTest::newRow("default bank") << bank << QString();
        QByteArray third = bank;
        third[2 * 153 + 1] = 0x41;
        QTest::newRow("third message, manufacturer")
            << third << "message 3 at byte 306: Manufacturer ID not 0x7D.";
        QByteArray device = bank;
        device[2] = 0x21;
        QTest::newRow("device")
            << device << "message 1 at byte 0: Device ID not 0x22. Wrong file type selected?";
        QByteArray command = bank;
        command[153 + 3] = 0x25;
        QTest::newRow("command") << command << "message 2 at byte 153: Invalid command byte.";
        QByteArray number = bank;
        number[4] = 0x64;
        QTest::newRow("preset number")
            << number << "message 1 at byte 0: Preset # beyond 100 (0x63).";
        QTest::newRow("cut short")
            << bank.left(153 * 5 + 100) << "message 6 at byte 765: Unexpected End-of-File.";
        QTest::newRow("empty file")
            << QByteArray() << "message 1 at byte 0: File does not start with 0xF0.";
        QTest::newRow("one preset") << bank.left(153) << QString();
    }
    void checkReportsTheFirstFailure() {
        QFETCH(QByteArray, file);
        QFETCH(QString, error);
        const QString path = m_dir.write("check.syx", file);
        const Run run = syx({"check", path});
        if (error.isEmpty()) {
            QCOMPARE(run.exitCode, 0);
            QVERIFY(run.out.contains("all valid"));
        } else {
            QCOMPARE(run.exitCode, 1);
            QCOMPARE(run.err, path + ": " + error + "\n");
        }
    }

    void missingFileIsBadInput() {
        const Run run = syx({"check", m_dir.filePath("none.syx")});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, m_dir.filePath("none.syx") + ": cannot read the file\n");
    }

    void jsonRoundTrips_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("default bank") << defaultBank();
        QTest::newRow("edited bank") << editedBank();
        QTest::newRow("one preset") << editedBank().mid(153 * 49, 153);
    }
    void jsonRoundTrips() {
        QFETCH(QByteArray, file);
        const QString syxPath = m_dir.write("trip.syx", file);
        const QString json = m_dir.filePath("trip.json");
        const QString back = m_dir.filePath("back.syx");
        QCOMPARE(syx({"export", syxPath, "-o", json}).exitCode, 0);
        QCOMPARE(syx({"import", json, "-o", back}).exitCode, 0);
        QCOMPARE(read(back), file);
        // Standard output carries the same text.
        QCOMPARE(syx({"export", syxPath}).out.toUtf8(), read(json));
    }

    void jsonFields() {
        const QString path = m_dir.write("edited.syx", editedBank());
        const QJsonObject doc =
            QJsonDocument::fromJson(syx({"export", path}).out.toUtf8()).object();
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
        QCOMPARE(presets[6].toObject()["name"].toString(), QStringLiteral("Caf\u00e9 7       "));
        const QJsonObject channel = presets[0].toObject()["channels"].toArray()[1].toObject();
        QCOMPARE(channel["channel"].toInt(), 2);
        QCOMPARE(channel["program"].toObject()["enabled"].toBool(), true);
        QCOMPARE(channel["program"].toObject()["value"].toInt(), 2);
        QCOMPARE(channel["bankMsb"].toObject()["value"].toInt(), 1);
        QVERIFY(syx({"export", path}).out.contains("\\u00e9"));
    }

    void importNamesTheFirstBadField_data() {
        QTest::addColumn<QString>("key");   // what to change, as a dotted path
        QTest::addColumn<QString>("value"); // new JSON value; "DELETE" removes the key
        QTest::addColumn<QString>("error");
        QTest::newRow("format") << "format"
                                << "\"other\""
                                << "$.format: must be \"tarnwick-presets\"";
        QTest::newRow("version") << "version"
                                 << "2"
                                 << "$.version: must be a whole number from 1 to 1";
        QTest::newRow("unknown key") << "colour"
                                     << "1"
                                     << "$.colour: is not a field of this format";
        QTest::newRow("number 101") << "presets.0.number"
                                    << "101"
                                    << "$.presets[0].number: must be a whole number from 1 to 100";
        QTest::newRow("missing name") << "presets.1.name"
                                      << "DELETE"
                                      << "$.presets[1].name: is missing";
        QTest::newRow("short name")
            << "presets.0.name"
            << "\"Twelve chars\""
            << "$.presets[0].name: must be 13 characters, each U+0000 to U+00FF";
        QTest::newRow("wide character")
            << "presets.0.name"
            << "\"\\u0100bcdefghijklm\""
            << "$.presets[0].name: must be 13 characters, each U+0000 to U+00FF";
        QTest::newRow("program 0")
            << "presets.2.channels.3.program.value"
            << "0"
            << "$.presets[2].channels[3].program.value: must be a whole number from 1 to 128";
        QTest::newRow("MSB 128")
            << "presets.2.channels.0.bankMsb.value"
            << "128"
            << "$.presets[2].channels[0].bankMsb.value: must be a whole number from 0 to 127";
        QTest::newRow("enabled not a switch")
            << "presets.2.channels.0.bankLsb.enabled"
            << "1"
            << "$.presets[2].channels[0].bankLsb.enabled: must be true or false";
        QTest::newRow("channel out of place")
            << "presets.0.channels.4.channel"
            << "6"
            << "$.presets[0].channels[4].channel: must be a whole number from 5 to 5";
        QTest::newRow("FF in the data")
            << "presets.0.data"
            << "\"90 FF\""
            << "$.presets[0].data: must be up to 16 hex pairs from 00 to FE, single blanks between";
        QTest::newRow("data not hex")
            << "presets.0.data"
            << "\"9 3C\""
            << "$.presets[0].data: must be up to 16 hex pairs from 00 to FE, single blanks between";
        QTest::newRow("tail too short") << "presets.0.dataTail"
                                        << "\"FF 12\""
                                        << "$.presets[0].dataTail: must be empty, or the bytes "
                                           "from the end marker FF to the 16th as hex pairs";
        QTest::newRow("placement") << "presets.0.placement"
                                   << "\"Middle\""
                                   << "$.presets[0].placement: must be \"Pre\" or \"Post\"";
        QTest::newRow("placement bits")
            << "presets.0.placementBits"
            << "128"
            << "$.presets[0].placementBits: must be a whole number from 0 to 127";
        QTest::newRow("reserved byte")
            << "presets.0.reservedB"
            << "256"
            << "$.presets[0].reservedB: must be a whole number from 0 to 255";
    }
    void importNamesTheFirstBadField() {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, error);
        const QString syxPath = m_dir.write("good.syx", defaultBank().left(153 * 3));
        QJsonDocument doc = QJsonDocument::fromJson(syx({"export", syxPath}).out.toUtf8());
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
        const Run run = syx({"import", json, "-o", out});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, "tarnwick-syx: " + json + ": " + error + "\n");
        QVERIFY(!QFile::exists(out));
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
        const Run same = syx({"diff", pa, pa});
        QCOMPARE(same.exitCode, 0);
        QCOMPARE(same.out, QString());
        const Run partial = syx({"diff", pa, m_dir.write("one.syx", a.left(153))});
        QVERIFY(partial.out.contains("preset 2: only in the first file\n"));
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
        QVERIFY(files.contains(QStringLiteral("007 Caf_ 7.syx")));
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
    }
    void usageAndHelp() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        const Run run = syx(args);
        QCOMPARE(run.exitCode, exitCode);
        if (exitCode == 0) {
            QVERIFY(run.out.contains("Usage:"));
        } else {
            QCOMPARE(run.err.count('\n'), 1);
        }
    }
};

QTEST_GUILESS_MAIN(SyxCliTest)
#include "test_syx_cli.moc"
