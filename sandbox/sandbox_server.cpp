#include "sandbox/sandbox_server.h"

#include <chrono>

namespace dealcast::sandbox {

SandboxServer::SandboxServer() : m_server(std::make_unique<httplib::Server>())
{
    // Without it every request on a kept-alive connection stalls on delayed ACKs.
    m_server->set_tcp_nodelay(true);
    m_server->set_keep_alive_max_count(1000);
    // A kept-alive connection that goes idle is closed at once rather than held open for the next request:
    // otherwise stopping the server waits out the idle time of every client connection (seconds per test).
    m_server->set_keep_alive_timeout(0);
}

SandboxServer::~SandboxServer() { stop(); }

bool SandboxServer::start()
{
    if (m_thread.joinable())
        return true;
    m_port = m_server->bind_to_any_port("127.0.0.1");
    if (m_port <= 0)
        return false;
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    // cpp-httplib has no ready signal; is_running() turns true once the accept loop runs.
    for (int i = 0; i < 5000 && !m_server->is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return m_server->is_running();
}

void SandboxServer::stop()
{
    if (m_thread.joinable()) {
        m_server->stop();
        m_thread.join();
    }
}

std::string SandboxServer::host() const { return "127.0.0.1:" + std::to_string(m_port); }

std::string SandboxServer::url(const std::string& path) const { return "http://" + host() + path; }

}  // namespace dealcast::sandbox
