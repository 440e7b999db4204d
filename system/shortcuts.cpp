// PLACEHOLDER until the shortcuts are built: makes no link and reports failure.
#include "shortcuts.h"

int createShortcut(const char *, const char *, const char *, const char *, const char *)
{
    return -1;
}

HRESULT writeShellLink(const char *, const char *, const char *, const char *, int, const char *)
{
    return E_NOTIMPL;
}
