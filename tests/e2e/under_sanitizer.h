// VERDALIS_UNDER_ASAN is defined when this test is built with the address
// sanitizer, which cannot run under the memory limits some tests set.
#pragma once

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VERDALIS_UNDER_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define VERDALIS_UNDER_ASAN 1
#endif
