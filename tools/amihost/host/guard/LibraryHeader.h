#pragma once

#include <cstdint>
#include <string>

// The header of a shared library, read before the system loader maps it.
// A loader trusts the file: a library cut short (a failed copy, a full
// disk) has its segments mapped past the end of the file, and the first
// touch of them kills the process with a bus error, with no message. So
// the file is checked first and refused with one line.
//
// ELF (Linux): the magic 0x7f "ELF", class 64-bit, little-endian, type
// shared object (ET_DYN), machine x86-64 (62), a header of at least 64
// bytes; the program header table (e_phoff + e_phnum e_phentsize) and the
// section header table (e_shoff + e_shnum e_shentsize) inside the file,
// and every segment's file bytes (p_offset + p_filesz) too.
// PE (Windows): "MZ", the PE signature "PE\0\0" at e_lfanew (offset 0x3c),
// machine AMD64 (0x8664), the DLL flag (0x2000), an optional header of
// PE32+ (magic 0x20b), and the section table and every section's raw data
// (PointerToRawData + SizeOfRawData) inside the file.
// All fields are little-endian; offsets and sizes are bytes.
class LibraryHeader {
public:
    enum class Format { Elf, Pe };
#if defined(_WIN32)
    static constexpr Format Native = Format::Pe;
#else
    static constexpr Format Native = Format::Elf;
#endif
    // Bytes read of a file at most; tables that lie beyond are refused (no
    // library has its headers there).
    static constexpr std::uint64_t MaxRead = std::uint64_t{64} << 20;

    // Checks `head`, the first bytes of a file of `fileSize` bytes (all of
    // it, or its first MaxRead), as a library of `format`. False with the
    // reason, without the file's name: "truncated (N bytes; its headers
    // need M)", "a 32-bit ELF file", "an ELF file for AArch64 (machine
    // 183)", "neither an ELF nor a PE file", ...
    static bool Check(const std::string& head, std::uint64_t fileSize, Format format, std::string& reason);

    // Reads `path` and checks it as a library of this platform. False with
    // one line "PATH: not a 64-bit x86-64 shared library: REASON" (or
    // "PATH: cannot read the model: ...").
    static bool CheckFile(const std::string& path, std::string& error);
};
