#pragma once

#include <benchmark/benchmark.h>

#include <string>

#if defined(__x86_64__)
#include <cpuid.h>
#endif

// The processor a benchmark ran on, as it names itself: the brand string,
// then vendor, family and model from cpuid (family and model with their
// extended fields added, as the vendors define them), e.g. "AMD EPYC 9654
// (AuthenticAMD family 25 model 17)". "unknown" off x86-64.
inline std::string CpuName()
{
#if defined(__x86_64__)
    unsigned regs[4] = {};
    if (__get_cpuid(0, &regs[0], &regs[1], &regs[2], &regs[3]) == 0)
        return "unknown";
    const unsigned vendorRegs[3] = {regs[1], regs[3], regs[2]}; // ebx, edx, ecx
    const std::string vendor(reinterpret_cast<const char*>(vendorRegs), sizeof vendorRegs);
    __get_cpuid(1, &regs[0], &regs[1], &regs[2], &regs[3]);
    const unsigned baseFamily = (regs[0] >> 8) & 0xf;
    const unsigned family = baseFamily == 0xf ? baseFamily + ((regs[0] >> 20) & 0xff) : baseFamily;
    const unsigned model = baseFamily == 0x6 || baseFamily == 0xf
                               ? ((regs[0] >> 4) & 0xf) | (((regs[0] >> 16) & 0xf) << 4)
                               : (regs[0] >> 4) & 0xf;
    std::string brand;
    // unsigned with gcc's cpuid.h, int with clang's.
    if (static_cast<unsigned>(__get_cpuid_max(0x80000000, nullptr)) >= 0x80000004u) {
        for (unsigned leaf = 0x80000002; leaf <= 0x80000004; ++leaf) {
            __get_cpuid(leaf, &regs[0], &regs[1], &regs[2], &regs[3]);
            brand.append(reinterpret_cast<const char*>(regs), sizeof regs);
        }
        brand = brand.c_str(); // the string ends at its first NUL
        const std::size_t first = brand.find_first_not_of(' ');
        const std::size_t last = brand.find_last_not_of(' ');
        brand = first == std::string::npos ? "" : brand.substr(first, last - first + 1) + " ";
    }
    return brand + "(" + vendor + " family " + std::to_string(family) + " model " +
           std::to_string(model) + ")";
#else
    return "unknown";
#endif
}

// A benchmark program's main: Google Benchmark's, with the CPU named in the
// context, so that every figure says where it was measured.
inline int RunNamingTheCpu(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::AddCustomContext("cpu", CpuName());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
