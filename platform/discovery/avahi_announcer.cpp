#include "platform/discovery/avahi_connection.h"
#include "platform/discovery/avahi_discovery.h"
#include "platform/trace.h"

#include <avahi-client/publish.h>
#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>
#include <avahi-common/strlst.h>

#include <optional>

namespace platform {

namespace {

class AvahiAnnouncer final : public ServiceAnnouncer {
public:
    ~AvahiAnnouncer() override
    {
        if (!m_connection)
            return;
        m_connection->stop();
        if (m_group)
            avahi_entry_group_free(m_group);
    }

    IoResult<void> announce(const DnsSdService& service) override
    {
        if (!m_connection) {
            auto opened = AvahiConnection::open(&AvahiAnnouncer::onClientState, this);
            if (!opened)
                return opened.error();
            m_connection = std::move(*opened);
        }
        PollLock lock(*m_connection);
        m_service = service;
        m_name = service.name;
        return publish(m_connection->client());
    }

    void withdraw() override
    {
        if (!m_connection)
            return;
        PollLock lock(*m_connection);
        m_service.reset();
        if (m_group)
            avahi_entry_group_reset(m_group);
    }

private:
    // On the Avahi thread, or with the poll locked.
    IoResult<void> publish(AvahiClient* client)
    {
        if (!m_service || avahi_client_get_state(client) != AVAHI_CLIENT_S_RUNNING)
            return {}; // Published when the daemon is ready.
        if (!m_group)
            m_group = avahi_entry_group_new(client, &AvahiAnnouncer::onGroupState, this);
        else
            avahi_entry_group_reset(m_group);
        if (!m_group)
            return failure(client, "cannot make an entry group");
        AvahiStringList* txt = nullptr;
        for (auto it = m_service->txt.rbegin(); it != m_service->txt.rend(); ++it)
            txt = avahi_string_list_add(txt, it->c_str());
        int rc = AVAHI_ERR_COLLISION;
        for (int tries = 0; rc == AVAHI_ERR_COLLISION && tries < 20; ++tries) {
            rc = avahi_entry_group_add_service_strlst(m_group, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC,
                AvahiPublishFlags(0), m_name.c_str(), m_service->type.c_str(), nullptr, nullptr, m_service->port, txt);
            if (rc == AVAHI_ERR_COLLISION)
                rename();
        }
        avahi_string_list_free(txt);
        if (rc < 0 || avahi_entry_group_commit(m_group) < 0)
            return failure(client, "cannot announce " + m_name);
        return {};
    }

    void rename()
    {
        char* next = avahi_alternative_service_name(m_name.c_str());
        m_name = next;
        avahi_free(next);
    }

    static Error failure(AvahiClient* client, const std::string& what)
    {
        return Error { ErrorCode::IoError, "Avahi: " + what + ": " + avahi_strerror(avahi_client_errno(client)), 0 };
    }

    static void onGroupState(AvahiEntryGroup* group, AvahiEntryGroupState state, void* user)
    {
        auto* self = static_cast<AvahiAnnouncer*>(user);
        AvahiClient* client = avahi_entry_group_get_client(group);
        if (state == AVAHI_ENTRY_GROUP_COLLISION) {
            // Another host has the name: go on under the next one.
            self->rename();
            if (auto published = self->publish(client); !published)
                trace(describe(published.error()));
        } else if (state == AVAHI_ENTRY_GROUP_FAILURE) {
            trace(describe(failure(client, "announcement failed")));
        }
    }

    static void onClientState(AvahiClient* client, AvahiClientState state, void* user)
    {
        auto* self = static_cast<AvahiAnnouncer*>(user);
        if (state == AVAHI_CLIENT_S_RUNNING) {
            if (auto published = self->publish(client); !published)
                trace(describe(published.error()));
        } else if ((state == AVAHI_CLIENT_S_COLLISION || state == AVAHI_CLIENT_S_REGISTERING) && self->m_group) {
            avahi_entry_group_reset(self->m_group);
        } else if (state == AVAHI_CLIENT_FAILURE) {
            trace(describe(failure(client, "the daemon went away")));
        }
    }

    std::unique_ptr<AvahiConnection> m_connection;
    AvahiEntryGroup* m_group = nullptr;
    std::optional<DnsSdService> m_service;
    std::string m_name;
};

} // namespace

std::unique_ptr<ServiceAnnouncer> makeAvahiAnnouncer()
{
    return std::make_unique<AvahiAnnouncer>();
}

} // namespace platform
