// tarnwick-syx: the editor's librarian functions on the command line. Inspects, checks,
// converts, compares, splits and joins .syx preset files, and sends presets or firmware
// to the keypad, with the editor's own decoder, encoder, port layer and message texts.
// Every error is one line on standard error, "tarnwick-syx: " first; nothing it is given
// makes it abort. This file is the option table and the dispatch; each group of commands
// has a file of its own.
#include "cli_support.h"
#include "commands.h"
#include "platform/utf8_path.h"
#include "platform/version.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <filesystem>
#include <optional>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace {

const char* const kFooter = R"(
A FILE of "-" is standard input; "-o -" writes to standard output.
The MIDI commands take --port, or else the interface named in TARNWICK_PORT;
monitor and learn take --port, or else the input named in TARNWICK_INPUT.

Exit codes: 0 done; 1 bad input, a file that cannot be read or written, a failed
transfer, or (diff) files that differ; 2 a usage error.

Examples:
  tarnwick-syx show MyBank.syx
  tarnwick-syx check *.syx
  tarnwick-syx export MyBank.syx -o MyBank.json
  tarnwick-syx import MyBank.json -o MyBank.syx
  tarnwick-syx new-bank -o - | tarnwick-syx show -
  tarnwick-syx split MyBank.syx presets/
  tarnwick-syx move MyBank.syx 10-12 3
  tarnwick-syx copy Old.syx:5-7 MyBank.syx 20
  tarnwick-syx send -p twk-5 -v MyBank.syx
  tarnwick-syx play --to fluid MyBank.syx --preset 7
  tarnwick-syx monitor -p jv-1080
  tarnwick-syx learn -p jv-1080 MyBank.syx 12
  tarnwick-syx library add ~/Music/Keypad
  tarnwick-syx library search pad --channel 2)"
#ifdef TARNWICK_WITHOUT_SHEET
                            R"(

sheet (a bank's PDF for the stage) is not available in the Windows build.)"
#endif
    ;

// Where the library and the rig are kept unless told otherwise.
#ifdef _WIN32
#define TARNWICK_LIBRARY_PLACE "%APPDATA%\\tarnwick-editor\\library.sqlite"
#define TARNWICK_RIG_PLACE "%APPDATA%\\tarnwick-editor\\rig.json"
#else
#define TARNWICK_LIBRARY_PLACE "~/.local/share/tarnwick-editor/library.sqlite"
#define TARNWICK_RIG_PLACE "~/.config/tarnwick-editor/rig.json"
#endif

} // namespace

int main(int argc, char** argv) {
    using namespace tarnwick::cli;
#ifdef _WIN32
    // Preset files pass through standard input and output as they are: no CR added before
    // a 0x0A, and no end of input at a 0x1A. Messages end their lines as the output does.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // Names and texts are UTF-8, as the arguments are (the program's manifest asks for it).
    SetConsoleOutputCP(CP_UTF8);
#endif
    CLI::App app{"tarnwick-syx: inspect, check, convert, compare and send Tarnwick preset files."};
    // "/path/to/file" is a file, never an option written the Windows way. Set before the
    // commands are added: each takes it from the program.
    app.allow_windows_style_options(false);
    app.set_version_flag("--version", std::string("tarnwick-syx ") + tarnwick::kVersion);
    app.footer(kFooter);
    app.require_subcommand(1);
    int result = kOk;

    AddPresetFileCommands(app, result);
    AddBankCommands(app, result);
    AddMidiCommands(app, result);
    AddListenCommands(app, result);
    AddLibraryCommands(app, result);
    AddSoundCommands(app, result);
    app.add_option_function<std::string>(
           "--library",
           [](const std::string& path) {
               SetLibraryPath(path == "off"
                                  ? std::nullopt
                                  : std::optional<std::filesystem::path>(tarnwick::Utf8Path(path)));
           },
           "the library to record into and look in (default: $TARNWICK_LIBRARY, "
           "else " TARNWICK_LIBRARY_PLACE "); off: none")
        ->type_name("FILE");
    app.add_option_function<std::string>(
           "--rig",
           [](const std::string& path) {
               SetRigPath(path == "off"
                              ? std::nullopt
                              : std::optional<std::filesystem::path>(tarnwick::Utf8Path(path)));
           },
           "the rig that names the sounds (default: $TARNWICK_RIG, else " TARNWICK_RIG_PLACE
           "); off: none")
        ->type_name("FILE");

    // CLI11 would call an unknown command an unexpected argument.
    if (argc > 1 && argv[1][0] != '-') {
        const auto subcommands = app.get_subcommands([](CLI::App*) { return true; });
        if (std::none_of(subcommands.begin(), subcommands.end(),
                         [&](const CLI::App* sub) { return sub->get_name() == argv[1]; })) {
            return usageError(std::string("unknown command '") + argv[1] + "'");
        }
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help);
    } catch (const CLI::CallForVersion& versionCall) {
        return app.exit(versionCall);
    } catch (const CLI::ParseError& error) {
        return usageError(error.what());
    }
    return result;
}
