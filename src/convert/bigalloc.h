// Memory for large conversion results, taken from the system directly.
//
// A rendered receive history or a loaded file easily gives results of tens of
// MB. From the ordinary heap such a block is a fresh mapping every time, and
// the first write to each of its small pages is a page fault: that cost more
// than the conversion itself. Each system file (bigalloc_<system>.cpp, chosen
// by the build) decides whether it can do better for a given size.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bigalloc {

// Memory for `size` bytes, or nullptr when the system has nothing better than
// the ordinary heap for this size (the caller then uses the heap). On success
// `reserved` is set to the value Release needs; it is never 0.
uint8_t *Allocate(std::size_t size, std::size_t &reserved) noexcept;

// Gives back memory from Allocate, with the `reserved` value it returned.
// The system file may keep it for a later Allocate of about the same size.
void Release(uint8_t *memory, std::size_t reserved) noexcept;

} // namespace bigalloc
