// A JACK client without ports, only to read which connections the server's cycles run
// with and to hear when the server stops or dies. A new connection takes effect at the
// start of a later cycle, and not before every client has finished the cycle before it,
// so on a busy machine a message sent right after connecting may go out on the old graph
// and be lost. Without JACK it knows of no server and no connection.
#pragma once

#include <atomic>
#include <string>
#include <vector>

namespace tarnwick {

class JackGraphWatch {
public:
    // Opens a client named after `clientName`; usable() tells whether it could.
    explicit JackGraphWatch(const std::string& clientName);
    ~JackGraphWatch();
    JackGraphWatch(const JackGraphWatch&) = delete;
    JackGraphWatch& operator=(const JackGraphWatch&) = delete;

    bool usable() const { return m_client != nullptr; }
    // Whether the server this client (and every other of ours) belonged to has gone.
    bool serverLost() const { return m_serverLost; }

    // Called before one of our outputs is connected to the port `target`.
    void expectConnection(const std::string& target);
    // Whether the cycles run with a connection between the port `other` and one of ours.
    bool connectedToUs(const std::string& other) const { return !ourPortsOn(other).empty(); }
    // Whether the cycles now run with a connection from one of our outputs to the
    // target that was not there before.
    bool connected();

private:
    // Our ports connected to `name` in the graph the server's cycles run with. While a
    // change is pending, libjack first sleeps about one cycle.
    std::vector<std::string> ourPortsOn(const std::string& name) const;

    void* m_client = nullptr; // a jack_client_t
    std::atomic<bool> m_serverLost{false};
    std::string m_ourPrefix;
    std::string m_target;
    std::vector<std::string> m_before;
    bool m_expecting = false;
};

} // namespace tarnwick
