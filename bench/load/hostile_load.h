#pragma once

// File: bench/load/hostile_load.h
// Peers that hold a PC program's ports without doing anything useful: idle
// command connections from many loopback addresses, four to an address
// (each opened again a second after the PC closes it), and slow-loris web
// clients that send a request head one byte a second and never finish it.
// Runs on a thread of its own.

#include <atomic>
#include <cstdint>
#include <thread>

namespace bench::load {

struct LoadPorts {
    std::uint16_t command = 0;
    std::uint16_t web = 0;
};

class HostileLoad {
public:
    HostileLoad(LoadPorts ports, int idleConnections, int slowClients);
    ~HostileLoad();

    void start();
    void stop();
    // Connections opened so far (a reconnect counts again).
    std::uint64_t connectsMade() const { return m_connects.load(); }

private:
    void run();

    LoadPorts m_ports;
    int m_idle;
    int m_slow;
    std::atomic<bool> m_stop { false };
    std::atomic<std::uint64_t> m_connects { 0 };
    std::thread m_thread;
};

} // namespace bench::load
