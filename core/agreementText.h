// The end-user agreement's text, without windows.h so that its layout is checked anywhere.
#ifndef VELMORANT_AGREEMENT_TEXT_H
#define VELMORANT_AGREEMENT_TEXT_H

extern const char agreementText[];

#endif
