#include "sandbox/sandbox_hub.h"

#include "sandbox/sandbox_certificates.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <system_error>

namespace dealcast::sandbox {
namespace {

constexpr const char* kCaFileName = "sandbox-ca.pem";

std::string lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The Host header's name without its port.
std::string hostOf(const httplib::Request& request)
{
    const std::string host = request.get_header_value("Host");
    if (!host.empty() && host.front() == '[')
        return lower(host.substr(0, host.find(']') + 1));
    return lower(host.substr(0, host.find(':')));
}

bool writeFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

}  // namespace

SandboxHub::SandboxHub(std::filesystem::path runDir)
    : m_runDir(std::move(runDir))
{
}

SandboxHub::~SandboxHub()
{
    stop();
    if (m_ownsRunDir) {
        std::error_code ec;
        std::filesystem::remove_all(m_runDir, ec);
    }
}

bool SandboxHub::add(std::shared_ptr<SimulatedService> service)
{
    if (m_started || !service)
        return false;
    const std::string name = lower(service->hostName());
    if (!SandboxCertificates::isDnsName(name))
        return false;
    m_services[name].push_back(std::move(service));
    return true;
}

bool SandboxHub::start()
{
    if (m_started)
        return true;

    std::error_code ec;
    if (m_runDir.empty()) {
        std::string pattern = (std::filesystem::temp_directory_path(ec) / "dealcast-sandbox-XXXXXX").string();
        if (ec || !::mkdtemp(pattern.data()))
            return false;
        m_runDir = pattern;
        m_ownsRunDir = true;
    } else {
        std::filesystem::create_directories(m_runDir, ec);
    }

    std::vector<std::string> names;
    for (const auto& entry : m_services)
        names.push_back(entry.first);
    const SandboxCertificates certificates(names);
    m_caFile = m_runDir / kCaFileName;
    if (!certificates.valid() || !writeFile(m_caFile, certificates.caPem()))
        return false;

    m_http.server = std::make_unique<httplib::Server>();
    m_https.server = std::make_unique<httplib::SSLServer>(certificates.serverCertificate(), certificates.serverKey());
    if (!m_https.server->is_valid())
        return false;

    m_started = true;
    if (!startListener(m_http) || !startListener(m_https)) {
        stop();
        return false;
    }
    return true;
}

void SandboxHub::stop()
{
    stopListener(m_http);
    stopListener(m_https);
    m_started = false;
}

bool SandboxHub::startListener(Listener& listener)
{
    httplib::Server& server = *listener.server;
    // Without it every request on a kept-alive connection stalls on delayed ACKs.
    server.set_tcp_nodelay(true);
    // An idle kept-alive connection is closed at once, so stopping does not wait out every client's idle time.
    server.set_keep_alive_timeout(0);
    const auto handler = [this](const httplib::Request& request, httplib::Response& response) {
        dispatch(request, response);
    };
    server.Get(".*", handler);
    server.Post(".*", handler);
    server.Put(".*", handler);
    server.Patch(".*", handler);
    server.Delete(".*", handler);
    server.Options(".*", handler);

    listener.port = server.bind_to_any_port("127.0.0.1");
    if (listener.port <= 0)
        return false;
    listener.thread = std::thread([&server] { server.listen_after_bind(); });
    // The library has no ready signal; is_running() turns true once the accept loop runs.
    for (int i = 0; i < 5000 && !server.is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return server.is_running();
}

void SandboxHub::stopListener(Listener& listener)
{
    if (listener.thread.joinable()) {
        listener.server->stop();
        listener.thread.join();
    }
}

void SandboxHub::dispatch(const httplib::Request& request, httplib::Response& response) const
{
    const std::string host = hostOf(request);
    if (const auto it = m_services.find(host); it != m_services.end()) {
        for (const auto& service : it->second) {
            if (service->handles(request)) {
                service->handle(request, response);
                return;
            }
        }
    }
    response.status = 404;
    response.set_content("沙盒中没有主机 \"" + host + "\" 的模拟服务\n", "text/plain; charset=utf-8");
}

web::Hosts SandboxHub::hosts() const
{
    web::Hosts hosts;
    for (const auto& [name, services] : m_services) {
        for (const auto& service : services) {
            for (const auto role : service->roles())
                hosts.set(role, name);
            for (const auto& [role, value] : service->roleValues())
                hosts.set(role, value);
        }
    }
    web::Hosts::SandboxRoute route;
    if (m_http.port > 0)
        route.connectTo = "127.0.0.1:" + std::to_string(m_http.port);
    if (m_https.port > 0)
        route.tlsConnectTo = "127.0.0.1:" + std::to_string(m_https.port);
    route.caFile = m_caFile.string();
    hosts.setSandbox(std::move(route));
    return hosts;
}

bool SandboxHub::writeHostsFile(const std::filesystem::path& path) const
{
    return writeFile(path, hosts().toText());
}

}  // namespace dealcast::sandbox
