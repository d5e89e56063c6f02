// What one undo step costs: the time to record a change and to undo it, and the memory the
// history holds for it (resident memory before and after 200 steps, the history's limit);
// and what the Bank Organizer's operations cost with their undo step: moving a block of
// presets, pasting 100.
#include "preset/bank_history.h"
#include "preset/bank_operations.h"
#include "resident_memory.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using namespace tarnwick;
using Clock = std::chrono::steady_clock;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double microseconds(Clock::time_point from) {
    return std::chrono::duration<double, std::micro>(Clock::now() - from).count();
}

} // namespace

int main() {
    constexpr int kSteps = 200;
    PresetBank bank;
    BankHistory history(bank, kSteps);
    const long before = ResidentKiB();
    std::vector<double> record;
    for (int i = 0; i < kSteps; ++i) {
        // One preset's edit stored, as leaving a preset stores it.
        bank[PresetIndex::fromZeroBase(i % kPresetCount)].channel(1)[SlotKind::Msb] =
            std::uint8_t(i % 128);
        bank[PresetIndex::fromZeroBase(i % kPresetCount)].name[0] = std::uint8_t('A' + i % 26);
        const auto start = Clock::now();
        history.takeIn(bank);
        record.push_back(microseconds(start));
    }
    const long after = ResidentKiB();
    std::vector<double> undo;
    for (int i = 0; i < kSteps && history.canUndo(); ++i) {
        const auto start = Clock::now();
        history.undo(bank);
        undo.push_back(microseconds(start));
    }
    std::printf("undo history, %d steps of %zu bytes each:\n", kSteps, sizeof(PresetBank::Presets));
    std::printf("  record a step: median %.1f us, longest %.1f us\n", median(record),
                *std::max_element(record.begin(), record.end()));
    std::printf("  undo a step:   median %.1f us, longest %.1f us\n", median(undo),
                *std::max_element(undo.begin(), undo.end()));
    std::printf("  resident memory: %ld KiB before, %ld KiB after: %.1f KiB a step\n", before,
                after, double(after - before) / kSteps);

    // Blocks of 1 to 50 presets from every place to every other, each move taken in as a
    // step; then 100 presets pasted over the bank, taken in.
    std::vector<double> moves;
    std::vector<double> pastes;
    // Two sets of 100 in turn, so that every paste changes the bank and is a step.
    const std::vector<PresetRecord> defaults(std::size_t(kPresetCount), DefaultPresetRecord());
    std::vector<PresetRecord> named = defaults;
    for (PresetRecord& preset : named) {
        SetPresetName(preset, "Pasted");
    }
    for (int i = 0; i < kSteps; ++i) {
        const int first = (i * 37) % kPresetCount;
        const int count = 1 + std::min((i * 13) % 50, kPresetCount - first - 1);
        std::vector<int> block;
        for (int k = 0; k < count; ++k) {
            block.push_back(first + k);
        }
        auto start = Clock::now();
        MovePresets(bank, block, (i * 61) % (kPresetCount + 1));
        history.takeIn(bank);
        moves.push_back(microseconds(start));
        start = Clock::now();
        PastePresets(bank, PresetIndex::fromZeroBase(0), i % 2 ? defaults : named);
        history.takeIn(bank);
        pastes.push_back(microseconds(start));
    }
    std::printf("bank operations with their undo step, %d each (%zu steps recorded):\n", kSteps,
                history.steps());
    std::printf("  move a block of 1-50:  median %.1f us, longest %.1f us\n", median(moves),
                *std::max_element(moves.begin(), moves.end()));
    std::printf("  paste 100 presets:     median %.1f us, longest %.1f us\n", median(pastes),
                *std::max_element(pastes.begin(), pastes.end()));
    return 0;
}
