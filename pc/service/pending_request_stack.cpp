#include "pc/service/pending_request_stack.h"

namespace pc::service {

bool PendingRequestStack::push(proto::PcRequest request)
{
    if (m_entries.size() >= kCapacity)
        return false;
    m_entries.push_back(std::move(request));
    return true;
}

std::optional<proto::PcRequest> PendingRequestStack::pop()
{
    if (m_entries.empty())
        return std::nullopt;
    proto::PcRequest request = std::move(m_entries.back());
    m_entries.pop_back();
    return request;
}

} // namespace pc::service
