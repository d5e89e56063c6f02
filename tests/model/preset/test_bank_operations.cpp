// Moving, swapping, resetting and pasting presets, each result checked byte for byte
// against what Save All would write of the bank.
#include "preset/bank_operations.h"
#include "preset/preset_message.h"

#include <QtTest>

using namespace tarnwick;

namespace {

// A preset told apart from every other: named after `n`, program `n` on channel 1.
PresetRecord marked(const std::string& name, int n) {
    PresetRecord record = DefaultPresetRecord();
    SetPresetName(record, name);
    record.channel(1)[SlotKind::Program] = std::uint8_t(n % 128);
    record.data[0] = 0xC0;
    record.data[1] = std::uint8_t(n % 128);
    return record;
}

QByteArray saveAllBytes(const PresetBank& bank) {
    QByteArray bytes;
    for (int i = 0; i < kPresetCount; ++i) {
        const auto index = PresetIndex::fromZeroBase(i);
        const PresetMessage m = EncodePresetMessage(bank[index], index);
        bytes.append(reinterpret_cast<const char*>(m.data()), qsizetype(m.size()));
    }
    return bytes;
}

// The bank `layout` describes, slot by slot: "N" or "A-B" the presets that stood there
// first, "d" a slot's own default, "pK" or "pA-pB" pasted records.
PresetBank bankOf(const QString& layout) {
    std::vector<PresetRecord> filled;
    for (const QString& token : layout.split(' ')) {
        const bool pasted = token.startsWith('p');
        const QStringList ends = QString(token).remove('p').split('-');
        if (token == "d") {
            filled.push_back(NewBankPreset(PresetIndex::fromZeroBase(int(filled.size()))));
            continue;
        }
        for (int n = ends.first().toInt(); n <= ends.last().toInt(); ++n) {
            filled.push_back(pasted ? marked("Pasted " + std::to_string(n), n)
                                    : marked("Stage " + std::to_string(n), n));
        }
    }
    PresetBank bank; // filled by hand, not by the operations under test
    for (std::size_t i = 0; i < filled.size() && i < std::size_t(kPresetCount); ++i) {
        bank[PresetIndex::fromZeroBase(int(i))] = filled[i];
    }
    return bank;
}

} // namespace

class BankOperationsTest : public QObject {
    Q_OBJECT
private slots:
    void operations_data() {
        QTest::addColumn<QString>("operation"); // what and with which one-based numbers
        QTest::addColumn<QString>("layout");    // the bank after it, as bankOf() reads it
        QTest::addColumn<int>("result");        // moves: the slot the block landed in, 0 refused;
                                                // pastes: written
        const auto row = [](const char* tag, const char* operation, const char* layout,
                            int result) {
            QTest::newRow(tag) << operation << layout << result;
        };
        row("rows 10 to 12 before row 3", "move 10 11 12 > 3", "1-2 10-12 3-9 13-100", 3);
        row("the first two to the end", "move 1 2 > 101", "3-100 1-2", 99);
        row("the last two to the start", "move 99 100 > 1", "99-100 1-98", 1);
        row("onto itself", "move 5 6 7 > 6", "1-100", 5);
        row("just after itself", "move 5 6 7 > 8", "1-100", 5);
        row("one down", "move 5 > 7", "1-4 6 5 7-100", 6);
        row("scattered rows, in slot order", "move 50 2 9 > 1", "2 9 50 1 3-8 10-49 51-100", 1);
        row("before slot 102: refused", "move 5 > 102", "1-100", 0);
        row("slot 101: refused", "move 101 > 1", "1-100", 0);
        row("swap", "swap 4 90", "1-3 90 5-89 4 91-100", 1);
        row("reset", "reset 2 99", "1 d 3-98 d 100", 1);
        row("paste three at 10", "paste 10 3", "1-9 p1-p3 13-100", 3);
        row("paste five at 98: clipped", "paste 98 5", "1-97 p1-p3", 3);
    }
    void operations() {
        QFETCH(QString, operation);
        QFETCH(QString, layout);
        QFETCH(int, result);
        PresetBank bank = bankOf("1-100");
        bank.setCurrentPresetIndex(PresetIndex::fromOneBase(7));
        QStringList words = operation.split(' ');
        const QString what = words.takeFirst();
        const auto number = [&words](qsizetype i) {
            return words[i].toInt();
        };
        int outcome = 1;
        if (what == "move") {
            std::vector<int> filled;
            for (qsizetype i = 0; words[i] != ">"; ++i) {
                filled.push_back(number(i) - 1);
            }
            const auto landed = MovePresets(bank, filled, number(words.size() - 1) - 1);
            outcome = landed ? *landed + 1 : 0;
        } else if (what == "swap") {
            SwapPresets(bank, PresetIndex::fromOneBase(number(0)),
                        PresetIndex::fromOneBase(number(1)));
        } else if (what == "reset") {
            ResetPresets(
                bank, {PresetIndex::fromOneBase(number(0)), PresetIndex::fromOneBase(number(1))});
        } else {
            std::vector<PresetRecord> records;
            for (int k = 1; k <= number(1); ++k) {
                records.push_back(marked("Pasted " + std::to_string(k), k));
            }
            outcome = int(PastePresets(bank, PresetIndex::fromOneBase(number(0)), records));
        }
        QCOMPARE(outcome, result);
        QCOMPARE(saveAllBytes(bank), saveAllBytes(bankOf(layout)));
        QCOMPARE(bank.currentPresetIndex().oneBased(), 7);
    }
};

QTEST_GUILESS_MAIN(BankOperationsTest)
#include "test_bank_operations.moc"
