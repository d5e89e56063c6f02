// tarnwick-syx move, swap and copy: a bank file arranged with the editor's own bank
// operations, for scripts; and sheet, the bank's PDF for the stage.
#pragma once

namespace CLI {
class App;
}

namespace tarnwick {

// Adds the four commands to `app`; each sets `result` to its exit code.
void AddBankCommands(CLI::App& app, int& result);

} // namespace tarnwick
