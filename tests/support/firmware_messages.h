// Firmware files for the tests: messages of a given size, F0 7D 21, filler, F7.
#pragma once

#include <QByteArray>

#include <initializer_list>

namespace tarnwick::testing {

inline QByteArray FirmwareMessage(int size, char filler = 0x10) {
    QByteArray m(size, filler);
    m[0] = char(0xF0);
    m[1] = 0x7D;
    m[2] = 0x21;
    m[size - 1] = char(0xF7);
    return m;
}

// One message of each size, back to back.
inline QByteArray FirmwareFile(std::initializer_list<int> sizes, char filler = 0x10) {
    QByteArray file;
    for (int size : sizes) {
        file += FirmwareMessage(size, filler);
    }
    return file;
}

} // namespace tarnwick::testing
