// SPDX-License-Identifier: GPL-3.0-or-later
// Damaged counts must not make a reader allocate what the count claims: the global allocation
// functions are replaced here to record the largest single request while a reader runs. (Under
// AddressSanitizer, which owns the allocation functions, these cases are skipped.)

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "storage/hall.h"
#include "storage/level_file.h"
#include "storage/roster.h"
#include "storage/tick.h"
#include "storage_test_support.h"

#if defined(__SANITIZE_ADDRESS__)
#define ZAPWALL_COUNTS_ALLOCATIONS 0
#else
#define ZAPWALL_COUNTS_ALLOCATIONS 1

namespace {
size_t largestRequest = 0;

void* Allocate(size_t size) {
    if (size > largestRequest) largestRequest = size;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
}  // namespace

void* operator new(size_t size) {
    return Allocate(size);
}
void* operator new[](size_t size) {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, size_t) noexcept {
    std::free(p);
}
#endif

namespace ZapModule {
namespace {

using testing::Values16;

// The largest single allocation `read` makes.
template <typename Read>
size_t LargestAllocation(Read read) {
#if ZAPWALL_COUNTS_ALLOCATIONS
    largestRequest = 0;
    read();
    return largestRequest;
#else
    read();
    return 0;
#endif
}

constexpr size_t kSmall = 64 * 1024;

TEST(HugeCounts, DoNotAllocateWhatTheyClaim) {
#if !ZAPWALL_COUNTS_ALLOCATIONS
    GTEST_SKIP() << "the sanitizer owns the allocation functions";
#endif
    // 32767 players of 32767 characters each, in six bytes.
    const auto roster = Values16({32766, 32767, 67});
    EXPECT_LT(LargestAllocation([&] { ParseRoster(roster); }), kSmall);
    const auto hall = Values16({32767, 67});
    EXPECT_LT(LargestAllocation([&] { ParseHall(hall); }), kSmall);
    const auto levels = Values16({32767, 32767, 1});
    EXPECT_LT(LargestAllocation([&] { CheckLevelFile(levels); }), kSmall);
    const std::vector<uint8_t> tick(1000, '9');
    EXPECT_LT(LargestAllocation([&] { ReadTick(tick); }), kSmall);
}

}  // namespace
}  // namespace ZapModule
