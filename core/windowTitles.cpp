#include "windowTitles.h"

#include <string.h>

#include "boundedText.h"
#include "installerSettings.h"

int buildServiceWindowTitle(char *buffer, size_t size, const char *serviceName)
{
    if (serviceName[0] == '\0')
        return 0;
    return formatText(buffer, size, "%s Win9x Service", serviceName);
}

enum CopyWindowRequest copyWindowRequest(const char *title, const char *productName,
                                         const char *serviceName)
{
    size_t prefixLength = strlen(productName);
    if (prefixLength > 0 && strncmp(title, productName, prefixLength) == 0)
        return COPY_WINDOW_CLOSE;
    // A service title too long for the buffer cannot equal any title a window gives back.
    char serviceTitle[TEXT_BUFFER_SIZE];
    if (buildServiceWindowTitle(serviceTitle, sizeof serviceTitle, serviceName) &&
        strcmp(title, serviceTitle) == 0)
        return COPY_WINDOW_QUIT;
    return COPY_WINDOW_LEAVE;
}

int buildCloseNotice(char *buffer, size_t size, const char *productName)
{
    return formatText(buffer, size,
                      "Any copies of %s currently running must now be shut down. This may take "
                      "a few seconds.",
                      productName);
}
