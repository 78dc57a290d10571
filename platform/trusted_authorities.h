#pragma once

// File: platform/trusted_authorities.h
// The certificate authorities the programs trust when they check a server's
// certificate (the update server, the mail relay, POP3 servers over TLS):
// the system's (/etc/ssl/certs) and, when the environment variable
// QUILLON_CA_FILE names a PEM file, the ones in it as well: a private mail
// server's own authority, say. The file adds to the system's list and never
// replaces it. Checks are never turned off.

#include <string>

namespace platform {

inline constexpr const char* kCaFileVariable = "QUILLON_CA_FILE";
inline constexpr const char* kSystemCaFolder = "/etc/ssl/certs";

// The PEM file QUILLON_CA_FILE names, or "" when it is unset or empty; read
// anew at every call.
std::string extraCaFile();

} // namespace platform
