#include "sandbox/ip_lookup_service.h"

#include "web/encoding.h"
#include "web/hosts.h"

namespace dealcast::sandbox {

std::vector<std::string_view> IpLookupService::roles() const
{
    return {web::role::kIpLookupHost};
}

void IpLookupService::setAddress(std::string address)
{
    std::lock_guard lock(m_mutex);
    m_address = std::move(address);
}

void IpLookupService::setPlace(std::string place)
{
    std::lock_guard lock(m_mutex);
    m_place = std::move(place);
}

void IpLookupService::setOutcome(Outcome outcome)
{
    std::lock_guard lock(m_mutex);
    m_outcome = outcome;
}

std::string IpLookupService::answerText() const
{
    std::lock_guard lock(m_mutex);
    return "var returnCitySN = {\"cip\": \"" + m_address + "\", \"cid\": \"110000\", \"cname\": \"" + m_place + "\"};";
}

void IpLookupService::handle(const httplib::Request& request, httplib::Response& response)
{
    m_log.record(request.path);
    if (request.path != kPath) {
        response.status = 404;
        return;
    }
    Outcome outcome;
    {
        std::lock_guard lock(m_mutex);
        outcome = m_outcome;
    }
    if (answerOutcome(outcome, response))
        return;
    response.status = 200;
    response.set_content(web::utf8ToGbk(answerText()), "application/javascript; charset=GBK");
}

}  // namespace dealcast::sandbox
