// Which top-level windows belong to a running copy of the product, decided from the title
// alone. No platform header: the matching is tested with any names.
#ifndef VELMORANT_WINDOW_TITLES_H
#define VELMORANT_WINDOW_TITLES_H

#include <stddef.h>

enum CopyWindowRequest {
    COPY_WINDOW_LEAVE = 0,  // not ours: nothing is posted
    COPY_WINDOW_CLOSE = 1,  // a window of the product: WM_CLOSE
    COPY_WINDOW_QUIT = 2,   // the 9x service's own window: WM_QUIT
};

// The service window's title "<serviceName> Win9x Service". 0 when the service name is empty
// or the title would not fit.
int buildServiceWindowTitle(char *buffer, size_t size, const char *serviceName);

// The request for a window titled title. The product's windows are those whose title begins
// with productName (case-sensitive); that test comes first. Otherwise a title equal to the
// service window title is the service's window. An empty product name would make every
// window the product's, so it matches none.
enum CopyWindowRequest copyWindowRequest(const char *title, const char *productName,
                                         const char *serviceName);

// The notice shown before the copies are closed.
int buildCloseNotice(char *buffer, size_t size, const char *productName);

#endif
