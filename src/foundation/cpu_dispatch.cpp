#include "foundation/cpu_dispatch.h"

#include <cpuid.h>

#include <cstring>

#include "foundation/primitives_variants.h"

std::uint8_t CPUClass = 0;
std::uint8_t CPUHasMMX = 0;
std::uint8_t CPUHasCMOV = 0;
std::uint8_t CPUHasPOPCNT = 0;
std::uint8_t CPUDispatchDone = 0;

namespace {

std::uint8_t Bit(std::uint32_t reg, unsigned n) { return static_cast<std::uint8_t>((reg >> n) & 1u); }

// XGETBV register 0; only valid when the processor reports OSXSAVE.
std::uint64_t ReadXCR0() {
    std::uint32_t lo = 0, hi = 0;
    __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
    return (std::uint64_t{hi} << 32) | lo;
}

// The characters of registers in the order given, as CPUID spells strings.
std::string RegText(std::initializer_list<std::uint32_t> regs) {
    std::string text;
    for (std::uint32_t r : regs)
        for (unsigned k = 0; k < 4; ++k) text += static_cast<char>((r >> (8 * k)) & 0xFFu);
    return text;
}

}  // namespace

CPUIDSource NativeCPUIDSource() {
    CPUIDSource source;
    source.Query = [](std::uint32_t leaf, std::uint32_t subleaf) {
        CPUIDRegs r{};
        __cpuid_count(leaf, subleaf, r[0], r[1], r[2], r[3]);
        return r;
    };
    source.XCR0 = ReadXCR0;
    return source;
}

bool HasCPUID() { return __get_cpuid_max(0, nullptr) != 0; }
bool HasCPUIDB() { return HasCPUID(); }

void FillCPUFeatureRecord(const CPUIDSource& source, CPUFeatureRecord& f) {
    f = CPUFeatureRecord{};
    f.CPUIDPresent = 1;
    const CPUIDRegs l0 = source.Query(0, 0);
    f.HighestLeaf = l0[0];
    f.Vendor = RegText({l0[1], l0[3], l0[2]});
    const CPUIDRegs e0 = source.Query(0x80000000u, 0);
    f.ExtendedDiffers = e0[0] != f.HighestLeaf;
    f.HighestExtLeaf = e0[0];

    if (f.HighestLeaf >= 1) {
        const CPUIDRegs l1 = source.Query(1, 0);
        const std::uint32_t a = l1[0], b = l1[1], c = l1[2], d = l1[3];
        f.FPU = Bit(d, 0);
        f.TSC = Bit(d, 4);
        f.MSR = Bit(d, 5);
        f.CX8 = Bit(d, 8);
        f.APIC = Bit(d, 9);
        f.CMOV = Bit(d, 15);
        f.CLFSH = Bit(d, 19);
        f.MMX = Bit(d, 23);
        f.SSE = Bit(d, 25);
        f.SSE2 = Bit(d, 26);
        f.HTT = Bit(d, 28);
        f.SSE3 = Bit(c, 0);
        f.PCLMULQDQ = Bit(c, 1);
        f.SSSE3 = Bit(c, 9);
        f.FMA = Bit(c, 12);
        f.CX16 = Bit(c, 13);
        f.SSE41 = Bit(c, 19);
        f.SSE42 = Bit(c, 20);
        f.X2APIC = Bit(c, 21);
        f.MOVBE = Bit(c, 22);
        f.POPCNT = Bit(c, 23);
        f.AES = Bit(c, 25);
        f.XSAVE = Bit(c, 26);
        f.OSXSAVE = Bit(c, 27);
        f.AVX = Bit(c, 28);
        f.F16C = Bit(c, 29);
        f.RDRAND = Bit(c, 30);
        const std::uint32_t family = (a >> 8) & 0xFu;
        f.Family6or15 = family == 6 || family == 15;
        f.CacheLineFlushSize = static_cast<std::uint16_t>(f.CLFSH ? ((b >> 8) & 0xFFu) * 8 : 32);
        if (f.OSXSAVE) f.OSAVX = (source.XCR0() & 6u) == 6u;
    }
    if (f.HighestLeaf >= 6) f.TurboBoost = Bit(source.Query(6, 0)[0], 1);
    if (f.HighestLeaf >= 7) {
        const std::uint32_t b = source.Query(7, 0)[1];
        f.FSGSBASE = Bit(b, 0);
        f.BMI1 = Bit(b, 3);
        f.HLE = Bit(b, 4);
        f.AVX2 = Bit(b, 5);
        f.BMI2 = Bit(b, 8);
        f.INVPCID = Bit(b, 10);
        f.RTM = Bit(b, 11);
    }
    if (f.ExtendedDiffers && f.HighestExtLeaf >= 0x80000001u) {
        const CPUIDRegs e1 = source.Query(0x80000001u, 0);
        f.LZCNT = Bit(e1[2], 5);
        f.SSE4A = Bit(e1[2], 6);
        f.XOP = Bit(e1[2], 11);
        f.FMA4 = Bit(e1[2], 16);
        f.MMXExt = Bit(e1[3], 22);
        f.LongMode = Bit(e1[3], 29);
        f.Ext3DNow = Bit(e1[3], 30);
        f.ThreeDNow = Bit(e1[3], 31);
    }
    if (f.ExtendedDiffers && f.HighestExtLeaf >= 0x80000004u) {
        std::string brand;
        for (std::uint32_t leaf = 0x80000002u; leaf <= 0x80000004u; ++leaf) {
            const CPUIDRegs r = source.Query(leaf, 0);
            brand += RegText({r[0], r[1], r[2], r[3]});
        }
        brand.resize(std::strlen(brand.c_str()));  // the string ends at its first NUL
        f.Brand = brand;
    }

    unsigned count =
        static_cast<unsigned>(f.MMX + f.SSE + f.SSE2 + f.SSE3 + f.SSSE3 + f.SSE41 + f.SSE42 + f.AVX + f.FMA + f.AVX2);
    if (f.OSXSAVE && !f.OSAVX && count > 7) count = 7;
    f.FeatureCount = static_cast<std::uint8_t>(count);
}

const CPUFeatureRecord& CPUFeatures() {
    static const CPUFeatureRecord record = [] {
        CPUFeatureRecord r;
        if (HasCPUID()) FillCPUFeatureRecord(NativeCPUIDSource(), r);
        return r;
    }();
    return record;
}

void DetectCPUClass() {
    const CPUFeatureRecord& f = CPUFeatures();
    CPUClass = f.FeatureCount;
    CPUHasMMX = f.MMX;
    CPUHasCMOV = f.CMOV;
    CPUHasPOPCNT = f.POPCNT;
}

void InitCPUDispatch(std::uint8_t force) {
    if (force == 0) {
        if (CPUDispatchDone) return;
        DetectCPUClass();
    }
    InstallPrimitiveVariants(CPUClass, CPUHasCMOV != 0, CPUHasPOPCNT != 0);
    CPUDispatchDone = force == 0 ? 1 : 0;
}

void GetCPUFeatures(std::string& vendor, std::uint32_t& highestLeaf, std::uint8_t& extendedDiffers,
                    std::uint8_t& fpu, std::uint8_t& mmx, std::uint8_t& sse, std::uint8_t& sse2,
                    std::uint8_t& sse3, std::uint8_t& ssse3, std::uint8_t& sse41, std::uint8_t& sse42,
                    std::uint8_t& cmov) {
    vendor.assign(12, ' ');
    const CPUFeatureRecord& f = CPUFeatures();
    vendor.replace(0, f.Vendor.size() < 12 ? f.Vendor.size() : 12, f.Vendor, 0, 12);
    highestLeaf = f.HighestLeaf;
    extendedDiffers = f.ExtendedDiffers;
    fpu = f.FPU;
    mmx = f.MMX;
    sse = f.SSE;
    sse2 = f.SSE2;
    sse3 = f.SSE3;
    ssse3 = f.SSSE3;
    sse41 = f.SSE41;
    sse42 = f.SSE42;
    cmov = f.CMOV;
}

void FillCPUInfo(const CPUIDSource& source, TCPUInfo& out) {
    CPUFeatureRecord f;
    FillCPUFeatureRecord(source, f);
    TCPUInfo info{};
    info.VendorLength = static_cast<std::uint8_t>(f.Vendor.size() < 12 ? f.Vendor.size() : 12);
    std::memcpy(info.Vendor, f.Vendor.data(), info.VendorLength);
    info.HighestLeaf = f.HighestLeaf;
    info.ExtendedDiffers = f.ExtendedDiffers;
    info.FPU = f.FPU;
    info.CMOV = f.CMOV;
    info.MMX = f.MMX;
    info.SSE = f.SSE;
    info.SSE2 = f.SSE2;
    info.SSE3 = f.SSE3;
    info.SSSE3 = f.SSSE3;
    info.SSE41 = f.SSE41;
    info.SSE42 = f.SSE42;
    info.TSC = f.TSC;
    info.MSR = f.MSR;
    info.APIC = f.APIC;
    info.CX16 = f.CX16;
    info.CX8 = f.CX8;
    if (f.SSE) {
        info.SSELevel = 1;
        const std::uint8_t higher[] = {f.SSE2, f.SSE3, f.SSSE3, f.SSE41, f.SSE42};
        for (std::uint32_t k = 0; k < 5; ++k)
            if (higher[k]) info.SSELevel = k + 2;
    }
    if (f.ExtendedDiffers) {
        info.HighestExtLeaf = f.HighestExtLeaf;
        info.ExtHTT = f.HTT;
        info.LongMode = f.LongMode;
        info.Ext3DNow = f.Ext3DNow;
        info.ThreeDNow = f.ThreeDNow;
        info.MMXExt = f.MMXExt;
    }
    info.HTT = f.HTT;

    std::uint32_t logical = 1;
    if (f.HTT && f.HighestLeaf >= 1) {
        logical = (source.Query(1, 0)[1] >> 16) & 0xFFu;
        if (logical == 0) logical = 1;
    }
    std::uint32_t cores = 1;
    if (f.HighestLeaf >= 4) {
        const std::uint32_t a = source.Query(4, 0)[0];
        cores = ((a >> 26) & 0x3Fu) + 1;
        info.CacheSharing = static_cast<std::uint8_t>((((a >> 14) & 0xFFFu) + 1) & 0xFFu);
    }
    info.LogicalPerPackage = static_cast<std::uint8_t>(logical);
    info.CoresPerPackage = static_cast<std::uint8_t>(cores);
    // A core runs at least one thread, also when the package reports fewer logical processors.
    const std::uint32_t threads = logical > cores ? logical / cores : 1;
    info.ThreadsPerCore = static_cast<std::uint8_t>(threads);
    info.MultiLogical = logical > 1;
    info.MultiThreadPerCore = threads > 1;
    out = info;
}

void GetCPUInfo(TCPUInfo& info) {
    if (!HasCPUID()) return;
    FillCPUInfo(NativeCPUIDSource(), info);
}
