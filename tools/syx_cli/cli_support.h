// What every tarnwick-syx command shares: the exit codes, the one-line messages on standard
// error, and reading and writing files (or standard input and output, "-").
#pragma once

#include "instruments/rig.h"
#include "preset/preset_json.h"
#include "preset/preset_text.h"
#include "preset/syx_file.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace tarnwick::cli {

inline constexpr int kOk = 0;
inline constexpr int kBad = 1;
inline constexpr int kUsage = 2;

// Adds command `name` to `parent` (the program, or a command of commands); running it sets
// `result` to what `action` returns.
CLI::App* AddCommand(CLI::App& parent, int& result, const std::string& name,
                     const std::string& description, std::function<int()> action);

// The preset's name without the blanks that pad it to 13 characters.
std::string ShownName(const SyxMessage& message);
// "1 preset", "2 presets".
std::string Counted(std::size_t count, const std::string& noun);
// "tarnwick-syx: TEXT" on standard error; kBad.
int fail(const std::string& text);
// `json` as text to print: a name that is not UTF-8 (an instrument file's, a preset's) is
// printed with U+FFFD in its place, never an exception. 2: indented; -1: one line.
std::string JsonText(const Json& json, int indent = 2);
// The same, pointing at --help; kUsage.
int usageError(const std::string& text);
// A message of `path` that failed to decode.
void report(const std::string& path, const SyxError& error);
// Reads a whole input, saying why when it cannot.
std::optional<std::string> input(const std::string& path);
// Reads and decodes a preset file; the messages before a failure stay in `messages`.
bool load(const std::string& path, std::vector<SyxMessage>& messages);
// Writes `bytes` as the whole of `path` (through the atomic writer), saying why it cannot.
int output(const std::string& path, const std::string& bytes);
// The same for a preset file, which is then recorded in the library.
int outputPresets(const std::string& path, const std::string& bytes);

// What a name given on the command line stands for among `names`: the exact name, or
// the one name that holds it in any letter case. `kind` is what they are ("MIDI
// interface"), `lister` the command that lists them. Says why when none or several do.
struct NameMatch {
    std::size_t index = 0;
    int result = kOk;
};
NameMatch matchName(const std::vector<std::string>& names, const std::string& wanted,
                    const std::string& kind, const std::string& lister,
                    const std::string& noneSuffix = "");

// The names of ports, one a line or (`asJson`) as [{"name": ...}]; `none` on standard error
// when there is none. kOk.
int printNames(const std::vector<std::string>& names, bool asJson, const std::string& none);

// The preset numbered `preset` (1-100) among `messages` read from `path`; says so when
// there is none.
SyxMessage* presetIn(std::vector<SyxMessage>& messages, int preset, const std::string& path);
// Writes `messages`, each under its own number, as the whole of `path` (outputPresets).
int outputMessages(const std::string& path, const std::vector<SyxMessage>& messages);

// The library the commands record into and look in; nothing when it is switched off.
void SetLibraryPath(std::optional<std::filesystem::path> path);
std::optional<std::filesystem::path> LibraryPath();
// Records 1 or 100 presets a command wrote or sent, after its own work. A recording that
// fails is said in one line and never fails the command.
void RecordInLibrary(const std::vector<SyxMessage>& messages, const std::string& source,
                     const std::string& action);
// The same for a preset file just written to `path` (not standard output).
void RecordWritten(const std::string& path, const std::string& bytes);

// The rig the commands name sounds by (--rig, else TARNWICK_RIG, else the user's own).
void SetRigPath(std::optional<std::filesystem::path> path);
std::optional<std::filesystem::path> RigPath();
// Every instrument found, read on first use.
const InstrumentLibrary& Instruments();
// The rig read and its instruments looked up, on first use; a rig that cannot be read or
// names what is not found is said once on standard error, and names nothing there.
const RigNames& CurrentRig();
// The sound names of CurrentRig(), for the texts that list presets; nothing without a rig.
ChannelNamer RigNamer();

} // namespace tarnwick::cli
