#pragma once

#include <cstddef>
#include <cstdio>

// Storage and failure diagnostics of the AMI parameter parser.
//
// Every array of a parameter tree comes from Allocate (zero-filled) or grows
// with Grow (reallocation); texts are copied with CopyText (names, values) or
// DuplicateText (whole texts). Everything they return is owned by the caller
// and goes back with Release. A failed request returns null, writes one
// diagnostic to the message stream and adds 1 to the process-wide error count;
// it never stops the process:
//   Allocate, CopyText  "ERROR - Memory allocation failed.  This request <bytes>.\n\n"
//   Grow                "ERROR - Memory reallocation failed.  This request <bytes>.\n\n"
//   DuplicateText       "PROGRAM BUG - Unable to Allocate Memory: AmiMemory.cpp <line>\n"
// <bytes> is the request in bytes, printed as a 32-bit unsigned number.
//
// The message stream is standard error, chosen at its first use. The stream
// and the error count may be used from several threads at once; each message
// is one formatted write, so lines of concurrent parses stay whole.
//
// Test support: FailNthAllocation(n) makes the n-th storage request from now
// on (Allocate, Grow, CopyText and DuplicateText each count as one) fail as if
// memory were exhausted, with its normal message. Unarmed, the cost is one
// relaxed atomic load per request.
class AmiMemory {
public:
    // `bytes` zero bytes (a request of 0 is served as 1), or null.
    static void* Allocate(std::size_t bytes);
    // `block` (null or from this class) resized to `bytes`; the added bytes
    // are not cleared. On failure null, and `block` stays valid and owned by
    // the caller.
    static void* Grow(void* block, std::size_t bytes);
    // A NUL-terminated copy of the `length` bytes at `begin`, or null.
    static char* CopyText(const char* begin, std::size_t length);
    // A NUL-terminated copy of the text `text` (not null), or null.
    static char* DuplicateText(const char* text);
    // Gives back what the functions above returned; null is ignored.
    static void Release(void* block);

    // Failure messages written since the process started.
    static long ErrorCount();

    // Arms the failure of the n-th request from now on (n >= 1); n <= 0 disarms.
    static void FailNthAllocation(long n);
    // Requests still to come before the armed failure strikes (that one
    // included); 0 when nothing is armed or the failure has happened.
    static long PendingFailure();
    // Sends later messages to `stream`; null returns to standard error.
    static void SetMessageStream(std::FILE* stream);
};
