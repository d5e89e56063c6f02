// How model code shows a one-line message to the user without knowing about windows.
#pragma once

#include <string_view>

namespace tarnwick {

class Notifier {
public:
    virtual ~Notifier() = default;
    // A plain modal box with an OK button.
    virtual void showMessage(std::string_view title, std::string_view text) = 0;
};

} // namespace tarnwick
