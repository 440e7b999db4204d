// The lead bytes of code page 932 (Japanese), where many characters end in the byte of "\"
// ("表" is 0x95 0x5C), and of a single-byte code page: the path routines' tests run with
// both.
#ifndef VELMORANT_TESTS_CODE_PAGE_932_H
#define VELMORANT_TESTS_CODE_PAGE_932_H

#include "core/pathText.h"

inline LeadBytes codePage932LeadBytes()
{
    LeadBytes lead = {};
    for (int byte = 0; byte < 256; ++byte)
        lead.isLead[byte] = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    return lead;
}

const LeadBytes codePage932 = codePage932LeadBytes();
const LeadBytes singleByte = {};

// "表" in code page 932: its second byte is "\".
#define HYO "\x95\x5C"

#endif
