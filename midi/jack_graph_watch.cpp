// The JACK graph as the server's cycles run it.
#include "jack_graph_watch.h"

#ifdef TARNWICK_HAVE_JACK
#include <jack/jack.h>
#endif

#include <algorithm>
#include <string_view>

namespace tarnwick {

#ifdef TARNWICK_HAVE_JACK

namespace {
jack_client_t* client(void* handle) {
    return static_cast<jack_client_t*>(handle);
}
} // namespace

JackGraphWatch::JackGraphWatch(const std::string& clientName)
    : m_client(jack_client_open((clientName + " watch").c_str(), JackNoStartServer, nullptr)),
      m_ourPrefix(clientName) {
    if (m_client) {
        // Told on the thread that carries the server's notices when the server stops or
        // dies. The client stays inactive: an active one, even without ports, would be
        // woken in every server cycle.
        jack_on_info_shutdown(
            client(m_client),
            [](jack_status_t, const char*, void* lost) {
                static_cast<std::atomic<bool>*>(lost)->store(true);
            },
            &m_serverLost);
    }
}

JackGraphWatch::~JackGraphWatch() {
    if (m_client) {
        jack_client_close(client(m_client));
    }
}

std::vector<std::string> JackGraphWatch::ourPortsOn(const std::string& name) const {
    std::vector<std::string> ours;
    jack_port_t* port = jack_port_by_name(client(m_client), name.c_str());
    if (port == nullptr) {
        return ours;
    }
    if (const char** list = jack_port_get_all_connections(client(m_client), port)) {
        for (const char** connected = list; *connected; ++connected) {
            if (std::string_view(*connected).substr(0, m_ourPrefix.size()) == m_ourPrefix) {
                ours.emplace_back(*connected);
            }
        }
        jack_free(list);
    }
    return ours;
}

#else

JackGraphWatch::JackGraphWatch(const std::string&) {}
JackGraphWatch::~JackGraphWatch() = default;
std::vector<std::string> JackGraphWatch::ourPortsOn(const std::string&) const {
    return {};
}

#endif

void JackGraphWatch::expectConnection(const std::string& target) {
    m_target = target;
    m_before = ourPortsOn(target);
    m_expecting = true;
}

bool JackGraphWatch::connected() {
    if (m_expecting) {
        for (const std::string& port : ourPortsOn(m_target)) {
            if (std::find(m_before.begin(), m_before.end(), port) == m_before.end()) {
                m_expecting = false;
                break;
            }
        }
    }
    return !m_expecting;
}

} // namespace tarnwick
