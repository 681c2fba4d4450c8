#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "tools/amihost/host/AmiModel.h"
#include "tools/amihost/host/guard/LibraryHeader.h"
#include "tools/amihost/signal/TextFile.h"

namespace {

const std::string Dir = std::string(AMIHOST_TEST_DIR) + "/library_header";

// `bytes` written to Dir/name; its path.
std::string Written(const std::string& name, const std::string& bytes)
{
    std::filesystem::create_directories(Dir);
    const std::string path = Dir + "/" + name;
    std::string error;
    EXPECT_TRUE(TextFile::Write(path, bytes, error)) << error;
    return path;
}

std::string ModelBytes()
{
    std::string bytes;
    std::string error;
    EXPECT_TRUE(TextFile::Read(HALVEX_MODEL_PATH, std::size_t{1} << 30, bytes, error)) << error;
    return bytes;
}

std::string Reason(const std::string& bytes, LibraryHeader::Format format)
{
    std::string reason;
    EXPECT_FALSE(LibraryHeader::Check(bytes, bytes.size(), format, reason));
    return reason;
}

void Put(std::string& bytes, std::size_t at, std::uint64_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xff);
}

// A PE32+ DLL for AMD64 of 1024 bytes: the DOS header pointing at the PE
// header at 64, one section of 512 raw bytes from offset 512.
std::string PeDll()
{
    std::string bytes(1024, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    Put(bytes, 0x3c, 64, 4);
    bytes.replace(64, 4, std::string("PE\0\0", 4));
    Put(bytes, 64 + 4, 0x8664, 2);  // machine
    Put(bytes, 64 + 6, 1, 2);       // sections
    Put(bytes, 64 + 20, 240, 2);    // size of the optional header
    Put(bytes, 64 + 22, 0x2022, 2); // executable, large-address aware, DLL
    Put(bytes, 64 + 24, 0x20b, 2);  // PE32+
    const std::size_t section = 64 + 24 + 240;
    Put(bytes, section + 16, 512, 4); // SizeOfRawData
    Put(bytes, section + 20, 512, 4); // PointerToRawData
    return bytes;
}

} // namespace

// The built model passes; cut anywhere, it is refused with the size it has
// and what its headers or segments need (the GNU linker puts the section
// header table last, so one byte short needs the whole file), and loading
// it fails with that line instead of a bus error inside the loader.
TEST(LibraryHeader, ATruncatedCopyOfTheModelIsRefusedBeforeLoading)
{
    const std::string bytes = ModelBytes();
    ASSERT_GT(bytes.size(), 4096u);
    std::string reason;
    EXPECT_TRUE(LibraryHeader::Check(bytes, bytes.size(), LibraryHeader::Format::Elf, reason)) << reason;
    const std::size_t size = bytes.size();
    const std::string whole = std::to_string(size);
    EXPECT_EQ(Reason(bytes.substr(0, size - 1), LibraryHeader::Format::Elf),
              "truncated (" + std::to_string(size - 1) + " bytes; its headers need " + whole + ")");
    EXPECT_EQ(Reason(bytes.substr(0, 40), LibraryHeader::Format::Elf), "truncated (40 bytes; its headers need 64)");
    EXPECT_EQ(Reason(bytes.substr(0, 2), LibraryHeader::Format::Elf), "truncated (2 bytes; its headers need 64)");
    for (std::size_t cut : {std::size_t{64}, std::size_t{4096}, size / 2}) {
        const std::string head = bytes.substr(0, cut);
        EXPECT_EQ(Reason(head, LibraryHeader::Format::Elf).rfind("truncated (" + std::to_string(cut) + " bytes; its ", 0),
                  0u)
            << cut;
    }

    const std::string path = Written("cut_model.so", bytes.substr(0, size / 2));
    std::string error;
    AmiModel model;
    EXPECT_FALSE(model.Load(path, error));
    EXPECT_EQ(error.rfind(path + ": not a 64-bit x86-64 shared library: truncated (" + std::to_string(size / 2) +
                              " bytes; its ",
                          0),
              0u)
        << error;
    EXPECT_EQ(model.Init, nullptr);
    AmiModel sound;
    EXPECT_TRUE(sound.Load(HALVEX_MODEL_PATH, error)) << error;
}

// A text, a 32-bit library, one for another machine, a big-endian one, an
// executable and a Windows DLL are each named for what they are.
TEST(LibraryHeader, ForeignFilesAreNamedForWhatTheyAre)
{
    const std::string text = "this is a text file, not a library\n";
    EXPECT_EQ(Reason(text, LibraryHeader::Format::Elf), "neither an ELF nor a PE file");
    const std::string path = Written("text_model.so", text);
    std::string error;
    AmiModel model;
    EXPECT_FALSE(model.Load(path, error));
    EXPECT_EQ(error, path + ": not a 64-bit x86-64 shared library: neither an ELF nor a PE file");

    std::string elf32(52, '\0'); // an ELF32 header: class 1 at byte 4
    elf32.replace(0, 4, "\x7f" "ELF");
    elf32[4] = 1;
    elf32[5] = 1;
    elf32.resize(4096, '\0');
    EXPECT_EQ(Reason(elf32, LibraryHeader::Format::Elf), "a 32-bit ELF file");

    std::string other = ModelBytes();
    Put(other, 18, 183, 2);
    EXPECT_EQ(Reason(other, LibraryHeader::Format::Elf), "an ELF file for AArch64 (machine 183)");
    other = ModelBytes();
    other[5] = 2;
    EXPECT_EQ(Reason(other, LibraryHeader::Format::Elf), "a big-endian ELF file");
    other = ModelBytes();
    Put(other, 16, 2, 2);
    EXPECT_EQ(Reason(other, LibraryHeader::Format::Elf), "an ELF file of type 2, not a shared object");
    EXPECT_EQ(Reason(ModelBytes(), LibraryHeader::Format::Pe),
              "an ELF file (a Linux library); this host loads Windows DLLs");
    EXPECT_EQ(Reason(PeDll(), LibraryHeader::Format::Elf), "a PE file (a Windows DLL); this host loads Linux libraries");
}

// The Windows side of the check, on a DLL header written here: whole it
// passes; cut, or for another machine, or not a DLL, it is refused.
TEST(LibraryHeader, AWindowsDllIsCheckedByItsPeHeaders)
{
    const std::string dll = PeDll();
    std::string reason;
    EXPECT_TRUE(LibraryHeader::Check(dll, dll.size(), LibraryHeader::Format::Pe, reason)) << reason;
    EXPECT_EQ(Reason(dll.substr(0, 700), LibraryHeader::Format::Pe), "truncated (700 bytes; its sections need 1024)");
    EXPECT_EQ(Reason(dll.substr(0, 300), LibraryHeader::Format::Pe), "truncated (300 bytes; its headers need 368)");
    EXPECT_EQ(Reason(dll.substr(0, 80), LibraryHeader::Format::Pe), "truncated (80 bytes; its headers need 88)");
    std::string other = dll;
    Put(other, 64 + 4, 0x14c, 2);
    EXPECT_EQ(Reason(other, LibraryHeader::Format::Pe), "a PE file for machine 0x14c, not AMD64");
    other = dll;
    Put(other, 64 + 22, 0x0022, 2);
    EXPECT_EQ(Reason(other, LibraryHeader::Format::Pe), "a PE file that is not a DLL");
    other = dll;
    Put(other, 64 + 24, 0x10b, 2);
    EXPECT_EQ(Reason(other, LibraryHeader::Format::Pe), "a 32-bit PE file (PE32, not PE32+)");
    other = dll;
    Put(other, 0x3c, 0x7fffffff, 4);
    EXPECT_EQ(Reason(other, LibraryHeader::Format::Pe).rfind("truncated (1024 bytes; its headers need ", 0), 0u);
}
