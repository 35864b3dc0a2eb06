// Compile-time checks of what differs between the 32-bit program and the 64-bit build. The
// build machines may be unable to run 32-bit Windows programs at all, so the 32-bit program's
// pointer-sized slots, structure layouts and callback conventions are proved by the compiler.
#pragma once

#include <windows.h>

#include <type_traits>

inline constexpr bool kPointers32 = sizeof(void*) == 4;

// A window's long slots and the message parameters carry pointers.
static_assert(sizeof(LONG_PTR) == sizeof(void*) && sizeof(LPARAM) == sizeof(void*) && sizeof(WPARAM) == sizeof(void*) &&
                  sizeof(LRESULT) == sizeof(void*),
              "window-long slots and message parameters are pointer-sized");
static_assert(sizeof(WNDPROC) == sizeof(LONG_PTR), "a window procedure fits a window-long slot");

// The size the system expects of a structure handed to it, in the 32-bit and the 64-bit
// layout: a packing or version macro gone wrong shows here rather than as a refused call.
#define QUILL_CHECK_SYSTEM_SIZE(type, size32, size64) \
    static_assert(sizeof(type) == (kPointers32 ? (size32) : (size64)), #type " has the layout the system expects")

// A callback handed to the system has the system's calling convention (stdcall on 32-bit,
// which the 64-bit compiler does not distinguish).
#define QUILL_CHECK_CALLBACK(function, pointerType)                        \
    static_assert(std::is_convertible_v<decltype(&function), pointerType>, \
                  #function " has the signature and calling convention of " #pointerType)
