// What one undo step costs: the time to record a change and to undo it, and the memory the
// history holds for it (resident memory before and after 200 steps, the history's limit).
#include "bank_history.h"
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
    return 0;
}
