#pragma once

// Asks the processor to bring the cache line at p in, for a read soon after; p may be any
// address, null included. Unlike a bare __builtin_prefetch it is never dropped: the
// compiler takes a function that only prefetches for one without effect and removes its
// calls.
inline void FetchLine(const void* p) {
#if defined(__x86_64__) || defined(__i386__)
    asm volatile("prefetcht0 (%0)" : : "r"(p));
#else
    __builtin_prefetch(p);
#endif
}
