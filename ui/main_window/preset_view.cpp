// The walk through the bank that saving and downloading all presets share.
#include "main_window/preset_view.h"

#include "main_window/frame_throttle.h"

namespace tarnwick {

bool StepThroughBank(PresetView& view, const Clock& clock,
                     const std::function<bool(PresetIndex, const PresetMessage&)>& step) {
    PresetBank& bank = view.bank();
    FrameThrottle frames(clock);
    for (int i = 0; i < kPresetCount; ++i) {
        const auto index = PresetIndex::fromZeroBase(i);
        bank.setCurrentPresetIndex(index);
        if (frames.frameDue()) {
            view.loadPresetFromBank();
            view.paintNow();
        }
        if (!step(index, EncodePresetMessage(bank[index], index))) {
            return false;
        }
    }
    return true;
}

} // namespace tarnwick
