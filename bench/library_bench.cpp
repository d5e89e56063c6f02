// The preset library at the size of a player's collection of years: 1,000 different banks
// (100,000 preset references, about 50,000 distinct presets) written as .syx files, added
// with `tarnwick-syx library add`, then one more bank recorded and names searched as the
// editor searches them while the user types.
//   tarnwick-library-bench [FOLDER]   (default: a temporary folder, removed afterwards)
#include "library/preset_library.h"
#include "preset/syx_file.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace tarnwick;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kBanks = 1000;
const char* const kWords[] = {"Piano", "Strings", "Pad",  "Brass", "Organ", "Lead", "Choir",
                              "Bass",  "Bells",   "Harp", "Flute", "Clav",  "EP",   "Synth"};

double millis(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

PresetRecord preset(int bank, int slot, bool shared) {
    PresetRecord record = NewBankPreset(PresetIndex::fromZeroBase(slot));
    const int seed = shared ? slot : bank * 100 + slot;
    const std::string name = std::string(kWords[seed % 14]) + " " + (shared ? "S" : "") +
                             std::to_string(shared ? slot : bank) + "." + std::to_string(slot);
    SetPresetName(record, name.substr(0, kNameLength));
    record.channel(1 + seed % 16)[SlotKind::Program] = std::uint8_t(seed % 128);
    record.channel(1)[SlotKind::Msb] = std::uint8_t(seed / 128 % 128);
    return record;
}

// Bank `n`: presets 1 to 50 of its own, 51 to 100 from a pool every bank shares.
std::vector<PresetRecord> bank(int n) {
    std::vector<PresetRecord> records;
    for (int slot = 0; slot < kPresetCount; ++slot) {
        records.push_back(preset(n, slot, slot >= 50));
    }
    return records;
}

} // namespace

int main(int argc, char** argv) {
    const bool temporary = argc < 2;
    const fs::path folder =
        temporary
            ? fs::temp_directory_path() / ("tarnwick-library-bench-" +
                                           std::to_string(Clock::now().time_since_epoch().count()))
            : fs::path(argv[1]);
    fs::create_directories(folder / "banks");
    for (int n = 0; n < kBanks; ++n) {
        std::vector<PresetMessage> messages;
        const std::vector<PresetRecord> records = bank(n);
        for (int slot = 0; slot < kPresetCount; ++slot) {
            messages.push_back(
                EncodePresetMessage(records[std::size_t(slot)], PresetIndex::fromZeroBase(slot)));
        }
        std::ofstream(folder / "banks" / ("bank" + std::to_string(n) + ".syx"), std::ios::binary)
            << SyxBytes(messages);
    }
    const fs::path library = folder / "library.sqlite";
    fs::remove(library);

    const auto added = Clock::now();
    const std::string command = std::string(TARNWICK_SYX) + " --library '" + library.string() +
                                "' library add '" + (folder / "banks").string() + "'";
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "library add failed\n");
        return 1;
    }
    const double addMs = millis(Clock::now() - added);
    const double fileMiB = double(fs::file_size(library)) / (1 << 20);

    PresetLibrary opened;
    if (!opened.open(library, LibraryAccess::Write)) {
        std::fprintf(stderr, "%s\n", opened.error().c_str());
        return 1;
    }
    const auto counts = opened.check();
    const auto recorded = Clock::now();
    opened.record(bank(kBanks), "bench", "tarnwick-library-bench", "added");
    const double recordMs = millis(Clock::now() - recorded);

    // What the user types, one letter more at a time, as the Library window searches.
    std::vector<double> searches;
    for (const char* word : {"pad", "strings", "bass s", "clav 7", "organ 99", "x"}) {
        const std::string text = word;
        for (std::size_t length = 1; length <= text.size(); ++length) {
            const auto start = Clock::now();
            opened.search({text.substr(0, length), {}, {}, 500, {}});
            searches.push_back(millis(Clock::now() - start));
        }
    }
    std::sort(searches.begin(), searches.end());
    const auto start = Clock::now();
    const auto everything = opened.search({"", {}, {}, 0, {}});
    const double allMs = millis(Clock::now() - start);

    std::printf("library add of %d banks: %.1f s\n", kBanks, addMs / 1000);
    std::printf("presets %zu, banks %zu; file %.1f MiB\n", counts ? counts->presets : 0,
                counts ? counts->banks : 0, fileMiB);
    std::printf("recording one more bank: %.1f ms\n", recordMs);
    std::printf("name search as typed (%zu searches, newest 500): median %.1f ms, max %.1f ms\n",
                searches.size(), searches[searches.size() / 2], searches.back());
    std::printf("every preset listed (%zu): %.0f ms\n", everything ? everything->size() : 0, allMs);
    if (temporary) {
        fs::remove_all(folder);
    }
    return 0;
}
