#include "web/hosts.h"

#include "web/encoding.h"
#include "web/text.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <system_error>

namespace dealcast::web {
namespace {

enum class Kind { Host, Domain, Address, Port };

struct RoleInfo {
    std::string_view name;
    Kind kind;
    std::string_view defaultValue;
};

// Every outside service is unset until the hosts file names it: the program carries no service address of its
// own, and a feature whose host is unset says so in the run log instead of guessing. Only the fixed address
// texts and the local ports have working defaults.
constexpr RoleInfo kRoles[] = {
    {role::kMarketDomain, Kind::Domain, ""},
    {role::kMallDomain, Kind::Domain, ""},
    {role::kMarketItemHost, Kind::Host, ""},
    {role::kMallItemHost, Kind::Host, ""},
    {role::kCouponHost, Kind::Host, ""},
    {role::kCouponPageHost, Kind::Host, ""},
    {role::kShopCouponHost, Kind::Host, ""},
    {role::kClickHost, Kind::Host, ""},
    {role::kAffiliateHost, Kind::Host, ""},
    {role::kAffiliateDomain, Kind::Host, ""},
    {role::kLoginHost, Kind::Host, ""},
    {role::kMediaHost, Kind::Host, ""},
    {role::kOauthHost, Kind::Host, ""},
    {role::kIpLookupHost, Kind::Host, ""},
    {role::kShortlinkCHost, Kind::Host, ""},
    {role::kShortlinkCApiHost, Kind::Host, ""},
    {role::kShortlinkAHost, Kind::Host, ""},
    {role::kShortlinkBHost, Kind::Host, ""},
    {role::kUpdateHost, Kind::Host, ""},
    {role::kVendorHost, Kind::Host, ""},
    {role::kTutorialHost, Kind::Host, ""},
    {role::kCloudLibraryHost, Kind::Host, ""},
    {role::kTokenProxyHost, Kind::Host, ""},
    {role::kLandingHost, Kind::Host, ""},
    {role::kPicksHost, Kind::Host, ""},
    {role::kFollowServer, Kind::Host, ""},
    {role::kPvidAddressList, Kind::Address, "127.0.0.1"},
    {role::kPvidAddressCreate, Kind::Address, "127.0.0.1"},
    {role::kIpFallback, Kind::Address, "127.0.0.1"},
    {role::kRobotPort, Kind::Port, "10245"},
    {role::kFollowPort, Kind::Port, "10246"},
};

constexpr std::string_view kConnectTo = "CONNECT_TO";
constexpr std::string_view kTlsConnectTo = "TLS_CONNECT_TO";
constexpr std::string_view kCaFile = "CA_FILE";
constexpr std::size_t kEchoBytes = 60;

const RoleInfo* findRole(std::string_view name)
{
    const auto* it =
        std::find_if(std::begin(kRoles), std::end(kRoles), [name](const RoleInfo& r) { return r.name == name; });
    return it == std::end(kRoles) ? nullptr : it;
}

std::string upper(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

bool allDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// 1..65535, or 0.
int portNumber(std::string_view text)
{
    if (!allDigits(text) || text.size() > 5)
        return 0;
    int n = 0;
    for (char c : text)
        n = n * 10 + (c - '0');
    return n <= 65535 ? n : 0;
}

bool isIpv4(std::string_view text)
{
    int parts = 0;
    std::size_t pos = 0;
    while (true) {
        const std::size_t dot = text.find('.', pos);
        const std::string_view part =
            text.substr(pos, dot == std::string_view::npos ? std::string_view::npos : dot - pos);
        if (!allDigits(part) || part.size() > 3 || std::stoi(std::string(part)) > 255)
            return false;
        ++parts;
        if (dot == std::string_view::npos)
            break;
        pos = dot + 1;
    }
    return parts == 4;
}

// A name, optionally with ":port" ("[v6]:port" for an IPv6 address). Nothing that would change the meaning of
// the URL built around it: no scheme, path, query, user part or blank.
bool isHostValue(std::string_view text)
{
    if (text.empty())
        return false;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u == 0x7f || c == '/' || c == '\\' || c == '?' || c == '#' || c == '@')
            return false;
    }
    std::string_view name = text;
    if (text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos)
            return false;
        const std::string_view rest = text.substr(close + 1);
        return rest.empty() || (rest.front() == ':' && portNumber(rest.substr(1)) > 0);
    }
    const std::size_t colon = text.find(':');
    if (colon != std::string_view::npos) {
        if (portNumber(text.substr(colon + 1)) == 0)
            return false;
        name = text.substr(0, colon);
    }
    return !name.empty() && name != ".";
}

// "host:port" with a port, the form libcurl's connect-to rules and the browser's rules take.
bool isEndpoint(std::string_view text)
{
    if (!isHostValue(text))
        return false;
    const std::size_t colon = text.rfind(':');
    const std::size_t close = text.rfind(']');
    return colon != std::string_view::npos && (close == std::string_view::npos || colon > close) &&
           portNumber(text.substr(colon + 1)) > 0;
}

bool validFor(Kind kind, std::string_view value)
{
    switch (kind) {
    case Kind::Host:
    case Kind::Domain:
        return isHostValue(value);
    case Kind::Address:
        return isIpv4(value);
    case Kind::Port:
        return portNumber(value) > 0;
    }
    return false;
}

// The start of the line for a problem report, cut at a character boundary.
std::string echo(std::string_view line)
{
    if (line.size() <= kEchoBytes)
        return std::string(line);
    std::size_t cut = kEchoBytes;
    while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
        --cut;
    return std::string(line.substr(0, cut)) + "…";
}

std::string_view unquote(std::string_view value)
{
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        return value.substr(1, value.size() - 2);
    return value;
}

}  // namespace

Hosts::Hosts()
{
    for (const auto& r : kRoles)
        if (!r.defaultValue.empty())
            m_values.emplace(std::string(r.name), std::string(r.defaultValue));
}

Hosts Hosts::load(const std::filesystem::path& path, std::vector<std::string>* problems)
{
    const std::string fileName = path.filename().string();
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return Hosts{};
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in && !in.eof()) {
        if (problems)
            problems->push_back(fileName + " 无法读取，使用默认主机配置");
        return Hosts{};
    }
    return parse(bytes, fileName, problems);
}

Hosts Hosts::parse(std::string_view bytes, std::string_view fileName, std::vector<std::string>* problems)
{
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    const std::string text = isValidUtf8(bytes) ? std::string(bytes) : gbkToUtf8(bytes);

    Hosts hosts;
    auto report = [&](int lineNo, const std::string& what) {
        if (problems)
            problems->push_back(std::string(fileName) + " 第" + std::to_string(lineNo) + "行" + what);
    };

    enum class Section { Roles, Sandbox, Unknown } section = Section::Roles;
    int lineNo = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        const std::string_view line = trim(std::string_view(text).substr(pos, end - pos));
        pos = end + 1;
        ++lineNo;
        if (line.empty() || line.front() == '#' || line.front() == ';')
            continue;

        if (line.front() == '[') {
            const std::string name = line.back() == ']' ? upper(trim(line.substr(1, line.size() - 2))) : std::string();
            if (name == "SANDBOX") {
                section = Section::Sandbox;
            } else if (name == "HOSTS") {
                section = Section::Roles;
            } else {
                section = Section::Unknown;
                report(lineNo, "：未知分节 " + echo(line) + "，其中各行已忽略");
            }
            continue;
        }
        if (section == Section::Unknown)
            continue;

        const std::size_t eq = line.find('=');
        const std::string key = eq == std::string_view::npos ? std::string() : upper(trim(line.substr(0, eq)));
        if (key.empty()) {
            report(lineNo, "无法识别，已忽略：" + echo(line));
            continue;
        }
        const std::string_view value = unquote(trim(line.substr(eq + 1)));
        auto badValue = [&] { report(lineNo, "：" + key + " 的值无效，已忽略：" + echo(value)); };

        if (section == Section::Sandbox) {
            if (key == kConnectTo || key == kTlsConnectTo) {
                if (!value.empty() && !isEndpoint(value)) {
                    badValue();
                    continue;
                }
                (key == kConnectTo ? hosts.m_sandbox.connectTo : hosts.m_sandbox.tlsConnectTo) = std::string(value);
            } else if (key == kCaFile) {
                hosts.m_sandbox.caFile = std::string(value);
            } else {
                report(lineNo, "：未知名称 " + echo(key) + "，已忽略");
            }
            continue;
        }

        const RoleInfo* info = findRole(key);
        if (!info) {
            report(lineNo, "：未知名称 " + echo(key) + "，已忽略");
            continue;
        }
        if (!value.empty() && !validFor(info->kind, value)) {
            badValue();
            continue;
        }
        hosts.set(key, value);
    }
    return hosts;
}

const std::vector<std::string_view>& Hosts::roles()
{
    static const std::vector<std::string_view> names = [] {
        std::vector<std::string_view> out;
        for (const auto& r : kRoles)
            out.push_back(r.name);
        return out;
    }();
    return names;
}

bool Hosts::isRole(std::string_view role)
{
    return findRole(role) != nullptr;
}

std::string Hosts::get(std::string_view role) const
{
    const auto it = m_values.find(role);
    return it == m_values.end() ? std::string() : it->second;
}

bool Hosts::isSet(std::string_view role) const
{
    return m_values.find(role) != m_values.end();
}

void Hosts::set(std::string_view role, std::string_view value)
{
    const RoleInfo* info = findRole(role);
    if (!info)
        return;
    if (value.empty()) {
        m_values.erase(std::string(role));
        return;
    }
    std::string stored(value);
    // The whole-text link test searches for the suffix with its dot, so a bare "example.com" must not slip in.
    if (info->kind == Kind::Domain && stored.front() != '.')
        stored.insert(stored.begin(), '.');
    m_values[std::string(role)] = std::move(stored);
}

int Hosts::port(std::string_view role) const
{
    const std::string value = get(role);
    if (value.empty())
        return 0;
    if (allDigits(value))
        return portNumber(value);
    std::size_t colon = std::string::npos;
    if (value.front() == '[') {
        const std::size_t close = value.find("]:");
        colon = close == std::string::npos ? std::string::npos : close + 1;
    } else if (std::count(value.begin(), value.end(), ':') == 1) {
        colon = value.find(':');
    }
    return colon == std::string::npos ? 0 : portNumber(std::string_view(value).substr(colon + 1));
}

std::string Hosts::url(std::string_view role, std::string_view path, bool https) const
{
    const std::string host = get(role);
    if (host.empty())
        return {};
    return (https ? "https://" : "http://") + host + std::string(path);
}

std::string Hosts::unsetMessage(std::string_view role, std::string_view skipped)
{
    return "未配置 " + std::string(role) + "，跳过" + std::string(skipped);
}

HttpOptions Hosts::httpOptions() const
{
    HttpOptions options;
    if (!m_sandbox.connectTo.empty())
        options.connectTo.push_back(":80:" + m_sandbox.connectTo);
    if (!m_sandbox.tlsConnectTo.empty())
        options.connectTo.push_back(":443:" + m_sandbox.tlsConnectTo);
    options.caFile = m_sandbox.caFile;
    return options;
}

std::string Hosts::browserResolverRules() const
{
    std::string rules;
    auto add = [&rules](std::string_view port, const std::string& endpoint) {
        if (endpoint.empty())
            return;
        if (!rules.empty())
            rules += ", ";
        rules += "MAP *:" + std::string(port) + " " + endpoint;
    };
    add("80", m_sandbox.connectTo);
    add("443", m_sandbox.tlsConnectTo);
    return rules;
}

std::string Hosts::toText() const
{
    std::string text = "# Hosts by role; an empty value leaves a role unset.\n";
    for (const auto& r : kRoles)
        text += std::string(r.name) + "=" + get(r.name) + "\n";
    if (!m_sandbox.connectTo.empty() || !m_sandbox.tlsConnectTo.empty() || !m_sandbox.caFile.empty()) {
        text += "\n[sandbox]\n";
        if (!m_sandbox.connectTo.empty())
            text += std::string(kConnectTo) + "=" + m_sandbox.connectTo + "\n";
        if (!m_sandbox.tlsConnectTo.empty())
            text += std::string(kTlsConnectTo) + "=" + m_sandbox.tlsConnectTo + "\n";
        if (!m_sandbox.caFile.empty())
            text += std::string(kCaFile) + "=" + m_sandbox.caFile + "\n";
    }
    return text;
}

}  // namespace dealcast::web
