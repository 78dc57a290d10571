#pragma once

// File: bench/service/loopback_reference.h
// The references the transfer benchmarks measure against in the same run:
// a plain loopback TCP copy, and the upload port's lock-step exchange of
// 1024-byte blocks and acknowledgements (the handheld's side of it, and the
// same exchange against a plain echoing peer).

#include <cstddef>

namespace bench {

// MB/s of a loopback copy of `bytes` through one TCP connection in 64 KiB writes.
double plainTcpMbPerSecond(std::size_t bytes);

// The handheld's side of a lock-step upload, as lean as it can be: one
// 1024-byte block, then a blocking read of its whole acknowledgement.
bool sendLockStep(int fd, std::size_t bytes);

// The lock-step exchange against a plain loopback peer that answers every
// 1024 bytes with 1024 bytes: the ceiling of this exchange's shape.
double lockStepTcpMbPerSecond(std::size_t bytes);

} // namespace bench
