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
        index, [this, handler = std::move(handler)](const std::uint8_t* data, std::size_t size) {
            write("in ", data, size);
            handler(data, size);
        });
}

bool MidiTracer::send(const std::uint8_t* data, std::size_t size, Clock::TimePoint now) {
    if (m_log) {
        write("out", data, size);
    }
    const bool sent = m_backend.send(data, size, now);
    if (m_log && !sent) {
        write("out refused:", data, size);
    }
    return sent;
}

void MidiTracer::write(const char* direction, const std::uint8_t* data, std::size_t size) {
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - m_start)
            .count();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%9.1f ms", ms);
    *m_log << stamp << "  " << direction << "  " << HexPairs(data, size) << '\n' << std::flush;
}

} // namespace tarnwick
