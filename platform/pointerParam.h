// A pointer carried through the platform's pointer-sized integers (LPARAM, window and dialog
// data): copied bit for bit, which is exact on 32 and 64 bits alike.
#ifndef VELMORANT_POINTER_PARAM_H
#define VELMORANT_POINTER_PARAM_H

#include <windows.h>

#include <string.h>

static_assert(sizeof(LONG_PTR) == sizeof(void *), "LONG_PTR holds a pointer");

inline LONG_PTR pointerParam(const void *pointer)
{
    LONG_PTR value;
    memcpy(&value, &pointer, sizeof value);
    return value;
}

template <typename T> T *paramPointer(LONG_PTR value)
{
    T *pointer;
    memcpy(&pointer, &value, sizeof pointer);
    return pointer;
}

#endif
