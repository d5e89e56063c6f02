// tarnwick-syx library: add preset files to the library, search it, list its banks, get
// presets back out as files, and check it.
#pragma once

namespace CLI {
class App;
}

namespace tarnwick {

// Adds "library" and its five commands to `app`; each sets `result` to its exit code.
void AddLibraryCommands(CLI::App& app, int& result);

} // namespace tarnwick
