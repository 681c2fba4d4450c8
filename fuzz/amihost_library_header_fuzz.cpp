// Fuzz target of the check that amihost makes of a model library's header
// before the system loader maps it (LibraryHeader).
//
// Input: byte 0 picks the format checked against (bit 0: ELF or PE) and
// whether the file is taken as longer than the bytes given (bit 1: the
// bytes are then only its head, as for a file larger than MaxRead); the
// rest is the file. Besides sanitizer findings, the target traps when
//  - a refusal has no reason, or one of several lines;
//  - a file is accepted that is shorter than the 64 bytes of any header,
//    or that does not begin with the magic of the format checked.

#include <cstddef>
#include <cstdint>
#include <string>

#include "tools/amihost/host/guard/LibraryHeader.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const LibraryHeader::Format format = data[0] & 1 ? LibraryHeader::Format::Pe : LibraryHeader::Format::Elf;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::uint64_t fileSize = data[0] & 2 ? bytes.size() + 4096 : bytes.size();
    std::string reason;
    if (!LibraryHeader::Check(bytes, fileSize, format, reason)) {
        Check(!reason.empty() && reason.find('\n') == std::string::npos);
        return 0;
    }
    Check(reason.empty() && bytes.size() >= 64);
    Check(format == LibraryHeader::Format::Elf ? bytes.compare(0, 4, "\x7f" "ELF") == 0
                                               : bytes.compare(0, 2, "MZ") == 0);
    return 0;
}
