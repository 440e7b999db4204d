// The check runs over the compressed streams as the program carries them, before anything is
// written. Adler-32 because inflate already links it (no code or table added to the program)
// and it runs at memory speed; an accidental change of the file, a cut download or flipped
// bytes, is what it has to catch, not a deliberate one.
#include "payloadCheck.h"

#include <zlib.h>

int payloadTableIntact(const PayloadTable &table)
{
    if (table.fileChecks == NULL)
        return 0;
    for (int32_t i = 0; i < table.fileCount; ++i) {
        uLong check = adler32(0L, Z_NULL, 0);
        for (int32_t j = 0; j < table.chunkCounts[i]; ++j)
            check = adler32(check, table.chunkData[i][j], (uInt)table.chunkSizes[i][j]);
        if ((uint32_t)check != table.fileChecks[i])
            return 0;
    }
    return 1;
}
