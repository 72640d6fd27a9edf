// Large results on Linux: a private anonymous mapping whose start is aligned
// to the 2 MiB transparent huge page size and marked MADV_HUGEPAGE, so that
// (with huge pages in "madvise" or "always" mode) each 2 MiB of the result
// costs one fault instead of 512. The mapping ends at the next small page
// boundary after the data, not at a huge page boundary: a partly used huge
// page at the end would hold up to 2 MiB of memory nobody asked for.
#include "convert/bigalloc.h"

#include <mutex>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

// Below this a result is left to the heap. The C library's heap serves
// blocks up to its largest mapping threshold (32 MiB on 64-bit glibc) and,
// once it has seen such blocks freed, keeps and recycles them without new
// faults; beyond it every block is a fresh mapping of small pages, which is
// where this allocator does better.
constexpr std::size_t kMinimumSize = std::size_t{32} << 20;

std::size_t SmallPage()
{
    static const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    return page;
}

std::size_t RoundUp(std::size_t value, std::size_t multiple)
{
    return (value + multiple - 1) / multiple * multiple;
}

// A released result kept for the next one: the kernel clears every page of
// a fresh mapping before first use, which costs about as much as writing the
// result itself, while a caller that renders again (into the handle that
// holds the last result) asks for about the same size again. Only one is kept,
// and its pages are given back to the kernel lazily (MADV_FREE), so memory
// that the system needs is reclaimed from it without a call from here.
struct KeptMapping
{
    uint8_t *memory = nullptr;
    std::size_t reserved = 0;
};

std::mutex &KeptMutex()
{
    static std::mutex mutex;
    return mutex;
}

KeptMapping &Kept()
{
    static KeptMapping kept;
    return kept;
}

// A kept mapping serves a request it fits, unless that would leave more
// than a quarter of it unused.
uint8_t *TakeKept(std::size_t length, std::size_t &reserved)
{
    std::lock_guard lock(KeptMutex());
    KeptMapping &kept = Kept();
    if (!kept.memory || kept.reserved < length || kept.reserved - length > kept.reserved / 4)
        return nullptr;
    reserved = kept.reserved;
    return std::exchange(kept.memory, nullptr);
}

} // namespace

namespace bigalloc {

uint8_t *Allocate(std::size_t size, std::size_t &reserved) noexcept
{
    if (size < kMinimumSize)
        return nullptr;
    const std::size_t length = RoundUp(size, SmallPage());
    if (uint8_t *kept = TakeKept(length, reserved))
        return kept;
    // Map one huge page more than needed, then cut off the unaligned head and
    // whatever lies beyond `length` after the aligned start.
    const std::size_t mapped = length + kHugePage;
    void *raw = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return nullptr;
    const auto rawAddress = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t start = RoundUp(rawAddress, kHugePage);
    const std::size_t head = start - rawAddress;
    const std::size_t tail = mapped - head - length;
    if (head != 0)
        munmap(raw, head);
    if (tail != 0)
        munmap(reinterpret_cast<void *>(start + length), tail);
    auto *memory = reinterpret_cast<uint8_t *>(start);
    // Only a hint: without huge pages the mapping still works with small ones.
    madvise(memory, length, MADV_HUGEPAGE);
    reserved = length;
    return memory;
}

void Release(uint8_t *memory, std::size_t reserved) noexcept
{
    madvise(memory, reserved, MADV_FREE);
    KeptMapping previous;
    {
        std::lock_guard lock(KeptMutex());
        previous = std::exchange(Kept(), KeptMapping{memory, reserved});
    }
    if (previous.memory)
        munmap(previous.memory, previous.reserved);
}

} // namespace bigalloc
