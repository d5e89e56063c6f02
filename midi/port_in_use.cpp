// Asking WinMM why a port would not open: opened again without a callback, which tells
// MMSYSERR_ALLOCATED apart from every other failure (and is closed at once if it opens).
#include "port_in_use.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <mmsystem.h>
#endif

namespace tarnwick {

bool WinMMPortHeldElsewhere(bool input, unsigned number) {
#ifdef _WIN32
    MMRESULT result = MMSYSERR_ERROR;
    if (input) {
        HMIDIIN handle = nullptr;
        result = midiInOpen(&handle, number, 0, 0, CALLBACK_NULL);
        if (result == MMSYSERR_NOERROR) {
            midiInClose(handle);
        }
    } else {
        HMIDIOUT handle = nullptr;
        result = midiOutOpen(&handle, number, 0, 0, CALLBACK_NULL);
        if (result == MMSYSERR_NOERROR) {
            midiOutClose(handle);
        }
    }
    return result == MMSYSERR_ALLOCATED;
#else
    (void)input;
    (void)number;
    return false;
#endif
}

} // namespace tarnwick
