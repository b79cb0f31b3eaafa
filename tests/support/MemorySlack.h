// How much further memory bounds stretch in the sanitizer build.
#pragma once

namespace testsupport {

// AddressSanitizer keeps freed memory in quarantine and adds its shadow: bounds grow under it.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr long kMemorySlack = 3;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr long kMemorySlack = 3;
#else
inline constexpr long kMemorySlack = 1;
#endif
#else
inline constexpr long kMemorySlack = 1;
#endif

}  // namespace testsupport
