#pragma once
// Large buffers (hundreds of megabytes, such as a decoded picture) asked from
// the operating system so that filling them costs few page faults.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace orv {

/// Frees memory from AllocateLarge.
struct FreeLarge {
    void operator()(uint8_t* p) const;
};
using LargeBuffer = std::unique_ptr<uint8_t[], FreeLarge>;

/// n bytes, uninitialised; in huge pages where the system offers them. Null when
/// the memory is not there. Release with FreeLarge (or ReleaseLarge on the raw pointer).
LargeBuffer AllocateLarge(std::size_t n);
/// Frees a pointer released from a LargeBuffer.
void ReleaseLarge(void* p);

}  // namespace orv
