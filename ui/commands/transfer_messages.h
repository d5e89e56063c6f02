// The message box that reports the outcome of a preset download or a firmware upgrade.
#pragma once

#include "transfer_result.h"

#include <QMessageBox>
#include <QString>

namespace tarnwick {

class UserInteraction;

struct TransferMessage {
    QString text;
    QString title;
    QMessageBox::Icon icon;
};

TransferMessage DownloadResultMessage(TransferResult result);
TransferMessage UpgradeResultMessage(TransferResult result);
void Show(UserInteraction& interaction, const TransferMessage& message);

} // namespace tarnwick
