// The message box that reports the outcome of a preset download or a firmware upgrade.
#pragma once

#include "transfer_result.h"

#include <QMessageBox>
#include <QString>

namespace tarnwick {

class MidiPortLayer;
class PresetView;
class UserInteraction;

struct TransferMessage {
    QString text;
    QString title;
    QMessageBox::Icon icon;
};

TransferMessage DownloadResultMessage(TransferResult result);
TransferMessage UpgradeResultMessage(TransferResult result);
void Show(UserInteraction& interaction, const TransferMessage& message);
// After the box of a transfer whose ports would not open: the status bar says why when
// another program holds them (the box keeps the keypad's own words).
void SayWhyPortsUnavailable(PresetView& view, MidiPortLayer& ports, TransferResult result);

} // namespace tarnwick
