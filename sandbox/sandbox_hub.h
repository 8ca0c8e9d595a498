#pragma once

#include "sandbox/simulated_service.h"
#include "web/hosts.h"

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <thread>

namespace dealcast::sandbox {

// The loopback stand-in for the internet: one plain HTTP server and one HTTPS server on ephemeral ports of
// 127.0.0.1, each handing a request to the simulated service registered under the name in its Host header.
// The program reaches it under the very URLs it builds for the real services: the hosts file the hub writes
// points each simulated role at its sandbox name and routes every name to these two ports, and the hub's own
// certificate authority, made fresh at each start, is the one to trust for HTTPS.
class SandboxHub {
public:
    // `runDir` receives the CA certificate; empty for a fresh temporary folder removed with the hub.
    explicit SandboxHub(std::filesystem::path runDir = {});
    ~SandboxHub();
    SandboxHub(const SandboxHub&) = delete;
    SandboxHub& operator=(const SandboxHub&) = delete;

    // Before start() only, as the server certificate names every host. False after start or for a name that
    // is not a plain DNS name. Services under the same name share its requests (SimulatedService::handles).
    bool add(std::shared_ptr<SimulatedService> service);

    // Makes the certificates, writes the CA file and starts both servers; false when any of it fails.
    bool start();
    void stop();

    int httpPort() const { return m_http.port; }
    int httpsPort() const { return m_https.port; }
    // The CA certificate (PEM) that clients add to their trusted set.
    const std::filesystem::path& caFile() const { return m_caFile; }

    // Default hosts with every simulated role set to its service's name and the [sandbox] routing part.
    web::Hosts hosts() const;
    bool writeHostsFile(const std::filesystem::path& path) const;

private:
    struct Listener {
        std::unique_ptr<httplib::Server> server;
        std::thread thread;
        int port = -1;
    };

    bool startListener(Listener& listener);
    void stopListener(Listener& listener);
    void dispatch(const httplib::Request& request, httplib::Response& response) const;

    std::map<std::string, std::vector<std::shared_ptr<SimulatedService>>, std::less<>> m_services;
    Listener m_http;
    Listener m_https;
    std::filesystem::path m_runDir;
    std::filesystem::path m_caFile;
    bool m_ownsRunDir = false;
    bool m_started = false;
};

}  // namespace dealcast::sandbox
