#include "platform/discovery/avahi_connection.h"
#include "platform/discovery/avahi_discovery.h"

#include <avahi-client/lookup.h>
#include <avahi-common/address.h>
#include <avahi-common/error.h>
#include <avahi-common/strlst.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <set>
#include <tuple>

namespace platform {

namespace {

// One browse: what the Avahi thread finds, handed to the waiting caller.
struct Browse {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<FoundService> found;
    std::set<AvahiServiceResolver*> resolving; // Touched on the Avahi thread only.
    std::size_t pending = 0;
    bool allForNow = false;
    std::string failure;

    bool done()
    {
        return !failure.empty() || (allForNow && pending == 0);
    }
};

std::vector<std::string> txtStrings(AvahiStringList* list)
{
    std::vector<std::string> strings;
    for (AvahiStringList* item = list; item; item = avahi_string_list_get_next(item))
        strings.emplace_back(reinterpret_cast<const char*>(avahi_string_list_get_text(item)),
            avahi_string_list_get_size(item));
    // Avahi keeps the strings last first.
    std::reverse(strings.begin(), strings.end());
    return strings;
}

void onResolved(AvahiServiceResolver* resolver, AvahiIfIndex, AvahiProtocol, AvahiResolverEvent event,
    const char* name, const char*, const char*, const char* hostName, const AvahiAddress* address, uint16_t port,
    AvahiStringList* txt, AvahiLookupResultFlags, void* user)
{
    auto* browse = static_cast<Browse*>(user);
    FoundService service;
    bool usable = event == AVAHI_RESOLVER_FOUND && address;
    if (usable) {
        char text[AVAHI_ADDRESS_STR_MAX] = {};
        avahi_address_snprint(text, sizeof text, address);
        service = { name, hostName ? hostName : "", text, port, txtStrings(txt) };
        // A link-local IPv6 address cannot be reached without its interface.
        usable = !service.address.starts_with("fe80:");
    }
    browse->resolving.erase(resolver);
    avahi_service_resolver_free(resolver);
    std::lock_guard lock(browse->mutex);
    if (usable)
        browse->found.push_back(std::move(service));
    --browse->pending;
    browse->changed.notify_all();
}

void onBrowsed(AvahiServiceBrowser* browser, AvahiIfIndex interface, AvahiProtocol protocol, AvahiBrowserEvent event,
    const char* name, const char* type, const char* domain, AvahiLookupResultFlags, void* user)
{
    auto* browse = static_cast<Browse*>(user);
    AvahiClient* client = avahi_service_browser_get_client(browser);
    std::unique_lock lock(browse->mutex);
    switch (event) {
    case AVAHI_BROWSER_NEW: {
        // Counted first: the caller must wait for it from now on.
        ++browse->pending;
        lock.unlock();
        AvahiServiceResolver* resolver = avahi_service_resolver_new(client, interface, protocol, name, type, domain,
            AVAHI_PROTO_UNSPEC, AvahiLookupFlags(0), &onResolved, browse);
        lock.lock();
        if (resolver)
            browse->resolving.insert(resolver);
        else
            --browse->pending;
        break;
    }
    case AVAHI_BROWSER_ALL_FOR_NOW:
        browse->allForNow = true;
        break;
    case AVAHI_BROWSER_FAILURE:
        browse->failure = std::string("Avahi: ") + avahi_strerror(avahi_client_errno(client));
        break;
    default:
        break;
    }
    browse->changed.notify_all();
}

// IPv4 first, then by name and address; one entry per name and address.
void tidy(std::vector<FoundService>& found)
{
    auto key = [](const FoundService& s) { return std::make_tuple(s.address.find(':') != std::string::npos, s.name, s.address); };
    std::sort(found.begin(), found.end(), [&](const auto& a, const auto& b) { return key(a) < key(b); });
    found.erase(std::unique(found.begin(), found.end(),
                    [](const auto& a, const auto& b) { return a.name == b.name && a.address == b.address; }),
        found.end());
}

void ignoreState(AvahiClient*, AvahiClientState, void*) { }

class AvahiBrowser final : public ServiceBrowser {
public:
    IoResult<std::vector<FoundService>> browse(const std::string& type, std::chrono::milliseconds wait) override
    {
        // A new connection each time: the daemon may have come or gone.
        auto connection = AvahiConnection::open(&ignoreState, nullptr);
        if (!connection)
            return connection.error();
        Browse browse;
        AvahiServiceBrowser* browser = nullptr;
        {
            PollLock lock(**connection);
            browser = avahi_service_browser_new((*connection)->client(), AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC,
                type.c_str(), nullptr, AvahiLookupFlags(0), &onBrowsed, &browse);
        }
        if (!browser)
            return Error { ErrorCode::IoError,
                std::string("Avahi: ") + avahi_strerror(avahi_client_errno((*connection)->client())), 0 };
        {
            std::unique_lock lock(browse.mutex);
            browse.changed.wait_for(lock, wait, [&] { return browse.done(); });
        }
        (*connection)->stop();
        for (AvahiServiceResolver* resolver : browse.resolving)
            avahi_service_resolver_free(resolver);
        avahi_service_browser_free(browser);
        if (!browse.failure.empty())
            return Error { ErrorCode::IoError, browse.failure, 0 };
        tidy(browse.found);
        return browse.found;
    }
};

} // namespace

std::unique_ptr<ServiceBrowser> makeAvahiBrowser()
{
    return std::make_unique<AvahiBrowser>();
}

} // namespace platform
