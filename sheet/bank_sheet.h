// The bank sheet: a PDF of the bank to keep beside the keypad on stage, read at arm's
// length. Landscape A4; every page headed with the bank's title, the date and "page N of
// M"; a block a preset: its number and name in large type, then the values switched on
// and the MIDI data on the same line and, when they run long, one line more. Slots left
// at their untouched default are left out (a line at the end counts them) unless asked.
#pragma once

#include "preset/preset_record.h"
#include "preset/preset_text.h"

#include <QByteArray>
#include <QDate>
#include <QString>

namespace tarnwick {

struct BankSheetOptions {
    // Untouched default slots as a short line of their own instead of left out.
    bool unusedSlots = false;
    // The sounds' names after the channels' values; none when empty.
    ChannelNamer names;
};

// The sheet's PDF file content. Needs a QGuiApplication (fonts).
QByteArray BankSheetPdf(const PresetBank& bank, const QString& title, QDate date,
                        BankSheetOptions options = {});

} // namespace tarnwick
