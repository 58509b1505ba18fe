#pragma once
// Whether this build runs under AddressSanitizer or ThreadSanitizer. Both
// reserve terabytes of address space for their shadow memory, so an address
// space limit cannot hold in such a build.

namespace tallyfold {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool kSanitizedBuild = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
inline constexpr bool kSanitizedBuild = true;
#else
inline constexpr bool kSanitizedBuild = false;
#endif
#else
inline constexpr bool kSanitizedBuild = false;
#endif

}  // namespace tallyfold
