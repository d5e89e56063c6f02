// The application's standard error box, for errors no handler of its own caught.
#pragma once

#include <QString>

namespace tarnwick {

class UserInteraction;

// The message with a full stop appended, unless it is empty or already ends in a full
// stop or a character coded at or below it ("!", a blank, ...).
QString StandardErrorText(const QString& message);
// Stop icon, OK button, the application title as title.
void ShowStandardError(UserInteraction& interaction, const QString& message);

} // namespace tarnwick
