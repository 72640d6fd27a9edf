// Systems without a large result allocator of their own: every result comes
// from the ordinary heap.
#include "convert/bigalloc.h"

namespace bigalloc {

uint8_t *Allocate(std::size_t, std::size_t &) noexcept
{
    return nullptr;
}

void Release(uint8_t *, std::size_t) noexcept {}

} // namespace bigalloc
