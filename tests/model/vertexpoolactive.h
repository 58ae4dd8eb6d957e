#pragma once

// Whether this build's vertex pool is in use: sanitizer builds bypass it, so that a vertex used
// after it was freed is still caught.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kVertexPoolActive = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kVertexPoolActive = false;
#else
inline constexpr bool kVertexPoolActive = true;
#endif
#else
inline constexpr bool kVertexPoolActive = true;
#endif
