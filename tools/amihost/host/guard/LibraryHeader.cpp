#include "tools/amihost/host/guard/LibraryHeader.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <utility>

namespace {

// Little-endian unsigned field of `bytes` bytes at `at`; the caller has
// made sure that head holds it.
std::uint64_t Field(const std::string& head, std::uint64_t at, int bytes)
{
    std::uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(head[static_cast<std::size_t>(at) + static_cast<std::size_t>(i)]);
    return value;
}

bool Refuse(std::string& reason, std::string text)
{
    reason = std::move(text);
    return false;
}

std::string Truncated(std::uint64_t size, std::uint64_t need, const char* what)
{
    return "truncated (" + std::to_string(size) + " bytes; its " + what + " need " + std::to_string(need) + ")";
}

// Whether [offset, offset + count * entry) lies inside the file and the
// head; `need` is its end (saturated, so a wild table cannot wrap around).
bool Inside(std::uint64_t offset, std::uint64_t count, std::uint64_t entry, std::uint64_t limit, std::uint64_t& need)
{
    const std::uint64_t huge = ~std::uint64_t{0};
    const std::uint64_t span = entry != 0 && count > huge / entry ? huge : count * entry;
    need = offset > huge - span ? huge : offset + span;
    return need <= limit;
}

std::string Machine(std::uint64_t machine)
{
    const char* name = machine == 3     ? "x86 (32-bit)"
                       : machine == 40  ? "ARM (32-bit)"
                       : machine == 183 ? "AArch64"
                       : machine == 243 ? "RISC-V"
                       : machine == 21  ? "PowerPC 64"
                                        : "another machine";
    return std::string(name) + " (machine " + std::to_string(machine) + ")";
}

bool CheckElf(const std::string& head, std::uint64_t size, std::string& reason)
{
    if (size < 64)
        return Refuse(reason, Truncated(size, 64, "headers"));
    if (head[4] != 2)
        return Refuse(reason, head[4] == 1 ? "a 32-bit ELF file" : "an ELF file of unknown class");
    if (head[5] != 1)
        return Refuse(reason, "a big-endian ELF file");
    const std::uint64_t machine = Field(head, 18, 2);
    if (machine != 62)
        return Refuse(reason, "an ELF file for " + Machine(machine));
    const std::uint64_t type = Field(head, 16, 2);
    if (type != 3)
        return Refuse(reason, "an ELF file of type " + std::to_string(type) + ", not a shared object");
    const std::uint64_t phoff = Field(head, 32, 8);
    const std::uint64_t shoff = Field(head, 40, 8);
    const std::uint64_t phentsize = Field(head, 54, 2);
    const std::uint64_t phnum = Field(head, 56, 2);
    const std::uint64_t shentsize = Field(head, 58, 2);
    const std::uint64_t shnum = Field(head, 60, 2);
    if (phnum == 0 || phentsize < 56)
        return Refuse(reason, "an ELF file without program headers");
    std::uint64_t need = 0;
    if (!Inside(phoff, phnum, phentsize, size, need) ||
        (shoff != 0 && !Inside(shoff, shnum == 0 ? 1 : shnum, shentsize, size, need)))
        return Refuse(reason, Truncated(size, need, "headers"));
    if (!Inside(phoff, phnum, phentsize, head.size(), need))
        return Refuse(reason, "its program headers lie beyond the first " + std::to_string(head.size()) + " bytes");
    std::uint64_t contents = 0;
    for (std::uint64_t i = 0; i < phnum; ++i) {
        const std::uint64_t entry = phoff + i * phentsize;
        const std::uint64_t type = Field(head, entry, 4);
        if (type == 0) // PT_NULL: nothing in the file
            continue;
        if (!Inside(Field(head, entry + 8, 8), 1, Field(head, entry + 32, 8), size, need))
            contents = std::max(contents, need);
    }
    if (contents > 0)
        return Refuse(reason, Truncated(size, contents, "segments"));
    return true;
}

bool CheckPe(const std::string& head, std::uint64_t size, std::string& reason)
{
    if (size < 64)
        return Refuse(reason, Truncated(size, 64, "headers"));
    const std::uint64_t pe = Field(head, 0x3c, 4);
    std::uint64_t need = 0;
    if (!Inside(pe, 1, 24, size, need))
        return Refuse(reason, Truncated(size, need, "headers"));
    if (!Inside(pe, 1, 24, head.size(), need) || head.compare(static_cast<std::size_t>(pe), 4, std::string("PE\0\0", 4)) != 0)
        return Refuse(reason, "an MZ file without the PE signature (a DOS program?)");
    const std::uint64_t machine = Field(head, pe + 4, 2);
    if (machine != 0x8664) {
        char text[64];
        std::snprintf(text, sizeof text, "a PE file for machine 0x%llx, not AMD64", static_cast<unsigned long long>(machine));
        return Refuse(reason, text);
    }
    const std::uint64_t sections = Field(head, pe + 6, 2);
    const std::uint64_t optional = Field(head, pe + 20, 2);
    if ((Field(head, pe + 22, 2) & 0x2000) == 0)
        return Refuse(reason, "a PE file that is not a DLL");
    const std::uint64_t table = pe + 24 + optional;
    if (optional < 2 || !Inside(table, sections, 40, size, need))
        return Refuse(reason, Truncated(size, need, "headers"));
    if (!Inside(table, sections, 40, head.size(), need))
        return Refuse(reason, "its section table lies beyond the first " + std::to_string(head.size()) + " bytes");
    if (Field(head, pe + 24, 2) != 0x20b)
        return Refuse(reason, "a 32-bit PE file (PE32, not PE32+)");
    std::uint64_t contents = 0;
    for (std::uint64_t i = 0; i < sections; ++i) {
        const std::uint64_t entry = table + 40 * i;
        if (!Inside(Field(head, entry + 20, 4), 1, Field(head, entry + 16, 4), size, need))
            contents = std::max(contents, need);
    }
    if (contents > 0)
        return Refuse(reason, Truncated(size, contents, "sections"));
    return true;
}

} // namespace

bool LibraryHeader::Check(const std::string& head, std::uint64_t fileSize, Format format, std::string& reason)
{
    const bool elf = head.size() >= 4 && head.compare(0, 4, "\x7f" "ELF") == 0;
    const bool mz = head.size() >= 2 && head.compare(0, 2, "MZ") == 0;
    if (!elf && !mz) {
        reason = fileSize < 4 ? Truncated(fileSize, 64, "headers") : "neither an ELF nor a PE file";
        return false;
    }
    if (elf && format == Format::Pe) {
        reason = "an ELF file (a Linux library); this host loads Windows DLLs";
        return false;
    }
    if (mz && format == Format::Elf) {
        reason = "a PE file (a Windows DLL); this host loads Linux libraries";
        return false;
    }
    // The 64 bytes of either header must be in `head` to be read; a head
    // shorter than that is all of the file there is to check.
    const std::uint64_t size = head.size() < 64 ? std::min<std::uint64_t>(fileSize, head.size()) : fileSize;
    return elf ? CheckElf(head, size, reason) : CheckPe(head, size, reason);
}

bool LibraryHeader::CheckFile(const std::string& path, std::string& error)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        error = path + ": cannot read the model: " + std::strerror(errno);
        return false;
    }
    const std::streamoff end = in.tellg();
    const std::uint64_t size = end > 0 ? static_cast<std::uint64_t>(end) : 0;
    std::string head(static_cast<std::size_t>(std::min(size, MaxRead)), '\0');
    in.seekg(0);
    if (!head.empty() && !in.read(&head[0], static_cast<std::streamsize>(head.size()))) {
        error = path + ": cannot read the model";
        return false;
    }
    std::string reason;
    if (Check(head, size, Native, reason))
        return true;
    error = path + ": not a 64-bit x86-64 shared library: " + reason;
    return false;
}
