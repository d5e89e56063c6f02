// Writing down the MIDI traffic.
#include "midi_tracer.h"

#include "preset/hex.h"

#include <cstdio>

namespace tarnwick {

MidiTracer::MidiTracer(MidiBackend& backend, std::ostream* log) : m_backend(backend), m_log(log) {}

bool MidiTracer::openInput(int index, SysExHandler handler) {
    if (!m_log) {
        return m_backend.openInput(index, std::move(handler));
    }
    return m_backend.openInput(
        index, [this, handler = std::move(handler)](const std::uint8_t* data, std::size_t size,
                                                    Clock::TimePoint arrived) {
            write("in ", data, size, arrived);
            handler(data, size, arrived);
        });
}

bool MidiTracer::send(const std::uint8_t* data, std::size_t size, Clock::TimePoint now) {
    if (m_log) {
        write("out", data, size, std::chrono::steady_clock::now());
    }
    const bool sent = m_backend.send(data, size, now);
    if (m_log && !sent) {
        write("out refused:", data, size, std::chrono::steady_clock::now());
    }
    return sent;
}

void MidiTracer::write(const char* direction, const std::uint8_t* data, std::size_t size,
                       Clock::TimePoint at) {
    const double ms = std::chrono::duration<double, std::milli>(at - m_start).count();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%9.1f ms", ms);
    *m_log << stamp << "  " << direction << "  " << HexPairs(data, size) << '\n' << std::flush;
}

} // namespace tarnwick
