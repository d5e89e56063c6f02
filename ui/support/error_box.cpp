// Text and showing of the standard error box.
#include "support/error_box.h"

#include "support/application_title.h"
#include "support/user_interaction.h"

namespace tarnwick {

QString StandardErrorText(const QString& message) {
    if (message.isEmpty() || message.back().unicode() <= u'.') {
        return message;
    }
    return message + u'.';
}

void ShowStandardError(UserInteraction& interaction, const QString& message) {
    interaction.message(ApplicationTitle(), StandardErrorText(message), QMessageBox::Critical,
                        QMessageBox::Ok);
}

} // namespace tarnwick
