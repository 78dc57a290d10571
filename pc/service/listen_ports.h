#pragma once

// File: pc/service/listen_ports.h
// The three ports the PC serves the handheld on: commands, uploads and the
// web server. The profile keeps them, the settings dialog edits them, and the
// log and the address dialog show them, so that the user can type them into
// the handheld.

#include <cstdint>
#include <optional>
#include <string>

namespace pc::service {

struct ListenPorts {
    std::uint16_t command = 4000;
    std::uint16_t upload = 4040;
    std::uint16_t web = 91;

    bool operator==(const ListenPorts&) const = default;
};

// "명령 4000, 업로드 4040, 웹 91"; a port of 0 (a listener that could not
// open) reads "열리지 않음".
[[nodiscard]] std::string describePorts(const ListenPorts& ports);

// Why these ports cannot serve together (a port of 0, two the same), in the
// user's words; nullopt when they can.
[[nodiscard]] std::optional<std::string> portsProblem(const ListenPorts& ports);

} // namespace pc::service
