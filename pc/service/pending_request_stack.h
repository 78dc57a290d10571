#pragma once

// File: pc/service/pending_request_stack.h
// Requests received but not yet dispatched. A handler may wait for a send to
// finish while further requests arrive, so received requests are pushed and
// the dispatcher pops the most recent one. Holds at most 256 entries; a full
// stack drops the request. Window thread only.

#include "proto/pc_request.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace pc::service {

class PendingRequestStack {
public:
    static constexpr std::size_t kCapacity = 256;

    // False when the stack is full and the request was dropped.
    bool push(proto::PcRequest request);
    std::optional<proto::PcRequest> pop();
    std::size_t size() const { return m_entries.size(); }

private:
    std::vector<proto::PcRequest> m_entries;
};

} // namespace pc::service
