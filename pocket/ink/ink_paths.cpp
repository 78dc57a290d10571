#include "pocket/ink/ink_paths.h"

#include "platform/safe_name.h"
#include "pocket/device/device_root.h"

#include <cstdio>

namespace pocket::ink {

namespace {

// An id (peer or own) as part of one name: its separators become "_"
// instead of cutting the id, so a folder keeps its "Ink_Send_" prefix and a
// file name its sender.
std::string idPart(std::string_view id)
{
    std::string part(id);
    for (char& c : part) {
        if (c == '/' || c == '\\')
            c = '_';
    }
    return part;
}

std::string joinHandheld(std::string_view folder, std::string_view name)
{
    std::string path(folder);
    path += '\\';
    path += name;
    return path;
}

} // namespace

std::string_view networkName(Network network)
{
    switch (network) {
    case Network::Msn:
        return "MSN";
    case Network::Icq:
        return "ICQ";
    case Network::Yahoo:
        return "YAHOO";
    }
    return "MSN";
}

std::string sentFolder(Network network, std::string_view peerId)
{
    std::string folder = joinHandheld(kServiceHome, networkName(network));
    return joinHandheld(folder, safeComponent("Ink_Send_" + idPart(peerId)));
}

std::string timedInkPath(std::string_view folder, std::string_view id, const LocalTime& time)
{
    char stamp[96];
    std::snprintf(stamp, sizeof stamp, " %d.%d.%d %d시%d분%d초.ink", time.year, time.month, time.day,
        time.hour, time.minute, time.second);
    // The id is cut, not the stamp, so the ".ink" ending and the time stay.
    const std::string sender = safeComponent(idPart(id), kMaxComponentBytes - std::string_view(stamp).size());
    return joinHandheld(folder, sender + stamp);
}

std::string receiveFolder(Network network)
{
    std::string name(networkName(network));
    return joinHandheld(joinHandheld(kServiceHome, name), name + "Ink_Recv");
}

std::string indexPath(Network network)
{
    return joinHandheld(receiveFolder(network), "index");
}

std::string announcedInkPath(Network network, std::string_view announcedName)
{
    std::string name = safeComponent(announcedName);
    // The receive folder's own index must not be overwritten by a sender.
    if (name == "index")
        name = "_index";
    return joinHandheld(receiveFolder(network), name);
}

std::string safeComponent(std::string_view name, std::size_t maxBytes)
{
    return platform::safeFileName(platform::lastPathComponent(name), maxBytes);
}

std::string_view fileNameOf(std::string_view handheldPath)
{
    const auto cut = handheldPath.find_last_of('\\');
    return cut == std::string_view::npos ? handheldPath : handheldPath.substr(cut + 1);
}

std::filesystem::path hostPath(const std::filesystem::path& deviceRoot, std::string_view handheldPath)
{
    return device::DeviceRoot(deviceRoot).toLocal(handheldPath);
}

} // namespace pocket::ink
