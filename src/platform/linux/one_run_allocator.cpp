// The heap of the statically linked driver programs. A run allocates next to nothing itself;
// the few blocks asked for come from the C library's start-up (a handful of small ones), the
// C++ runtime's emergency exception pool (one of some 70 KiB, at static initialisation) and,
// where there is a parallel-port device, a directory stream. glibc's general allocator costs
// each run several thousand instructions and four system calls (brk three times, getrandom) to
// set itself up for them; here they are carved from a static arena instead, at no system call.
//
// A run is one short single-threaded process, so blocks are never reused except the last one
// taken; a block that does not fit in what is left of the arena is mapped on its own and stays
// until the process ends. Defining these functions replaces glibc's allocator at static link
// time, which glibc supports (all of its allocation entry points are defined here, noexcept as
// glibc declares them).
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

constexpr std::size_t arena_bytes = 256 * 1024;
constexpr std::size_t block_alignment = alignof(std::max_align_t);

// Each block is preceded by its size, in a header that keeps the block aligned.
struct alignas(block_alignment) BlockHeader {
    std::size_t size;
};

alignas(block_alignment) unsigned char arena[arena_bytes];
std::size_t arena_used = 0;

BlockHeader* header_of(void* block) { return static_cast<BlockHeader*>(block) - 1; }

std::size_t rounded(std::size_t size) { return (size + block_alignment - 1) & ~(block_alignment - 1); }

// A block of `size` bytes whose address is a multiple of `alignment` (a power of two, at
// least block_alignment); null with ENOMEM when there is no memory.
void* take_block(std::size_t size, std::size_t alignment) {
    if (size > PTRDIFF_MAX - alignment - sizeof(BlockHeader)) {
        errno = ENOMEM;
        return nullptr;
    }
    // Rounded up so that the arena's next block starts aligned too.
    const std::size_t needed = sizeof(BlockHeader) + (alignment - block_alignment) + rounded(size);
    unsigned char* start;
    if (needed <= arena_bytes - arena_used) {
        start = arena + arena_used;
        arena_used += needed;
    } else {
        void* const mapped = mmap(nullptr, needed, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED) {
            errno = ENOMEM;
            return nullptr;
        }
        start = static_cast<unsigned char*>(mapped);
    }
    const auto first = reinterpret_cast<std::uintptr_t>(start + sizeof(BlockHeader));
    void* const block = reinterpret_cast<void*>((first + alignment - 1) & ~(alignment - 1));
    header_of(block)->size = size;
    return block;
}

}  // namespace

extern "C" {

void* malloc(std::size_t size) noexcept { return take_block(size, block_alignment); }

void free(void* block) noexcept {
    if (block == nullptr) return;
    // The last arena block taken goes back; the others stay taken until the process ends.
    const std::uintptr_t offset = reinterpret_cast<std::uintptr_t>(block) - reinterpret_cast<std::uintptr_t>(arena);
    if (offset < arena_bytes && offset + rounded(header_of(block)->size) == arena_used) {
        arena_used = offset - sizeof(BlockHeader);
    }
}

void* calloc(std::size_t count, std::size_t size) noexcept {
    std::size_t total = 0;
    if (__builtin_mul_overflow(count, size, &total)) {
        errno = ENOMEM;
        return nullptr;
    }
    // A freed last block may come back: it is not known to be zero.
    void* const block = take_block(total, block_alignment);
    if (block != nullptr) std::memset(block, 0, total);
    return block;
}

void* realloc(void* block, std::size_t size) noexcept {
    if (block == nullptr) return malloc(size);
    const std::size_t old_size = header_of(block)->size;
    if (size <= old_size) {
        header_of(block)->size = size;
        return block;
    }
    void* const bigger = malloc(size);
    if (bigger != nullptr) {
        std::memcpy(bigger, block, old_size);
        free(block);
    }
    return bigger;
}

void* memalign(std::size_t alignment, std::size_t size) noexcept {
    if (alignment == 0 || (alignment & (alignment - 1)) != 0) {
        errno = EINVAL;
        return nullptr;
    }
    return take_block(size, alignment < block_alignment ? block_alignment : alignment);
}

void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept { return memalign(alignment, size); }

int posix_memalign(void** result, std::size_t alignment, std::size_t size) noexcept {
    if (alignment == 0 || alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0) return EINVAL;
    void* const block = memalign(alignment, size);
    if (block == nullptr) return ENOMEM;
    *result = block;
    return 0;
}

void* valloc(std::size_t size) noexcept { return memalign(static_cast<std::size_t>(getpagesize()), size); }

void* pvalloc(std::size_t size) noexcept {
    const auto page = static_cast<std::size_t>(getpagesize());
    return memalign(page, (size + page - 1) & ~(page - 1));
}

std::size_t malloc_usable_size(void* block) noexcept { return block == nullptr ? 0 : header_of(block)->size; }

}  // extern "C"
