// The bank sheet: a PDF of the bank to keep beside the keypad on stage: a title, the date
// and a line a preset (number, name, the values switched on), in type large enough to be
// read at arm's length. A preset's line stays whole on one page.
#pragma once

#include "preset_record.h"

#include <QByteArray>
#include <QDate>
#include <QString>

namespace tarnwick {

// The sheet's PDF file content. Needs a QGuiApplication (fonts).
QByteArray BankSheetPdf(const PresetBank& bank, const QString& title, QDate date);

} // namespace tarnwick
