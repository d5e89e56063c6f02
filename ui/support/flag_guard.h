// Sets a flag for the lifetime of the guard. Changes made meanwhile still raise their change
// signals; the handlers look at the flag (a load is no edit, a command runs alone, ...).
#pragma once

namespace tarnwick {

class FlagGuard {
public:
    explicit FlagGuard(bool& flag) : m_flag(flag) { m_flag = true; }
    ~FlagGuard() { m_flag = false; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

private:
    bool& m_flag;
};

} // namespace tarnwick
