#pragma once
// Defines OSTREL_ADDRESS_SANITIZER in a build with the address sanitizer, as GCC and Clang each
// tell it, for the code that must tell the sanitizer what it does or leave it the work.
#if defined(__SANITIZE_ADDRESS__)
#define OSTREL_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define OSTREL_ADDRESS_SANITIZER 1
#endif
#endif
