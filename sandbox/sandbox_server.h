#pragma once

#include <httplib.h>

#include <memory>
#include <string>
#include <thread>

namespace dealcast::sandbox {

// An HTTP server on 127.0.0.1 and an ephemeral port, running on its own thread, to which a test or a
// simulated outside service adds routes. Stopped and joined on destruction.
class SandboxServer {
public:
    SandboxServer();
    ~SandboxServer();
    SandboxServer(const SandboxServer&) = delete;
    SandboxServer& operator=(const SandboxServer&) = delete;

    // Routes may be added before or after start().
    httplib::Server& http() { return *m_server; }

    // Binds, starts serving and returns once the server accepts connections. Returns false when it cannot bind.
    bool start();
    void stop();

    int port() const { return m_port; }
    // "127.0.0.1:<port>", the form hosts-by-role take.
    std::string host() const;
    // "http://127.0.0.1:<port>" + path.
    std::string url(const std::string& path = "/") const;

private:
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = -1;
};

}  // namespace dealcast::sandbox
