// Processor detection: the feature facts read with CPUID, the processor class that selects the
// variants of the byte primitives, and the fixed-layout processor description that start-up and
// the options dialog read.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// The 60-byte processor description. Its layout is fixed: other code reads single bytes of it
// (byte 21 is the FPU-present flag).
struct TCPUInfo {
    std::uint8_t VendorLength;       // 0: vendor as a short string (length byte + 12 characters)
    char Vendor[12];                 // 1
    std::uint8_t Reserved13[3];
    std::uint32_t HighestLeaf;       // 16: highest standard CPUID leaf
    std::uint8_t ExtendedDiffers;    // 20: highest extended leaf differs from the standard one
    std::uint8_t FPU;                // 21
    std::uint8_t CMOV;               // 22
    std::uint8_t MMX;                // 23
    std::uint8_t SSE;                // 24
    std::uint8_t SSE2;               // 25
    std::uint8_t SSE3;               // 26
    std::uint8_t SSSE3;              // 27
    std::uint8_t SSE41;              // 28
    std::uint8_t SSE42;              // 29
    std::uint8_t TSC;                // 30
    std::uint8_t MSR;                // 31
    std::uint8_t APIC;               // 32
    std::uint8_t CX16;               // 33
    std::uint8_t CX8;                // 34
    std::uint8_t Reserved35;
    std::uint32_t SSELevel;          // 36: 0 none, 1 SSE, 2 SSE2, 3 SSE3, 4 SSSE3, 5 SSE4.1, 6 SSE4.2
    std::uint32_t HighestExtLeaf;    // 40: 0 when ExtendedDiffers is 0
    std::uint8_t ExtHTT;             // 44: the bytes 44-48 are 0 when ExtendedDiffers is 0
    std::uint8_t LongMode;           // 45
    std::uint8_t Ext3DNow;           // 46: 3DNow extensions
    std::uint8_t ThreeDNow;          // 47
    std::uint8_t MMXExt;             // 48
    std::uint8_t HTT;                // 49
    std::uint8_t MultiLogical;       // 50: more than one logical processor per package
    std::uint8_t MultiThreadPerCore; // 51: more than one thread per core
    std::uint8_t CacheSharing;       // 52: logical processors sharing the cache (low byte)
    std::uint8_t ThreadsPerCore;     // 53
    std::uint8_t LogicalPerPackage;  // 54
    std::uint8_t Reserved55;
    std::uint8_t CoresPerPackage;    // 56
    std::uint8_t Reserved57[3];

    std::string VendorString() const { return std::string(Vendor, VendorLength > 12 ? 12 : VendorLength); }
};
static_assert(sizeof(TCPUInfo) == 60);
static_assert(offsetof(TCPUInfo, HighestLeaf) == 16 && offsetof(TCPUInfo, FPU) == 21 &&
              offsetof(TCPUInfo, SSE42) == 29 && offsetof(TCPUInfo, CX8) == 34 &&
              offsetof(TCPUInfo, SSELevel) == 36 && offsetof(TCPUInfo, HighestExtLeaf) == 40 &&
              offsetof(TCPUInfo, MMXExt) == 48 && offsetof(TCPUInfo, LogicalPerPackage) == 54 &&
              offsetof(TCPUInfo, CoresPerPackage) == 56);

// Everything detection learns about the processor (zero before detection).
struct CPUFeatureRecord {
    std::uint8_t CPUIDPresent = 0;
    std::string Vendor;                 // 12 characters
    std::uint32_t HighestLeaf = 0;
    std::uint8_t ExtendedDiffers = 0;
    std::uint8_t FPU = 0, CMOV = 0, MMX = 0, SSE = 0, SSE2 = 0, SSE3 = 0, SSSE3 = 0, SSE41 = 0,
                 SSE42 = 0, AVX = 0, AES = 0, FMA = 0, AVX2 = 0, MOVBE = 0, CLFSH = 0,
                 Family6or15 = 0, INVPCID = 0, LZCNT = 0, OSXSAVE = 0, OSAVX = 0, SSE4A = 0,
                 XOP = 0, FMA4 = 0, TSC = 0, MSR = 0, APIC = 0, X2APIC = 0, CX8 = 0, CX16 = 0,
                 XSAVE = 0, PCLMULQDQ = 0, POPCNT = 0, F16C = 0, RDRAND = 0, FSGSBASE = 0,
                 BMI1 = 0, BMI2 = 0, TurboBoost = 0, RTM = 0, HLE = 0, HTT = 0, LongMode = 0,
                 MMXExt = 0, ThreeDNow = 0, Ext3DNow = 0;
    std::uint8_t FeatureCount = 0;      // the processor class
    std::uint32_t HighestExtLeaf = 0;
    std::uint16_t CacheLineFlushSize = 0;
    std::string Brand;                  // up to 48 characters; empty when not reported
};

// Registers EAX, EBX, ECX, EDX of one CPUID query.
using CPUIDRegs = std::array<std::uint32_t, 4>;

// Where the facts come from: the processor itself, or a fake one in tests.
struct CPUIDSource {
    std::function<CPUIDRegs(std::uint32_t leaf, std::uint32_t subleaf)> Query;
    std::function<std::uint64_t()> XCR0;  // XGETBV register 0; asked only when OSXSAVE is set
};
// The processor this program runs on.
CPUIDSource NativeCPUIDSource();

// Dispatch state, set by DetectCPUClass and read by InitCPUDispatch.
extern std::uint8_t CPUClass;      // 0-10 (see FillCPUFeatureRecord)
extern std::uint8_t CPUHasMMX;
extern std::uint8_t CPUHasCMOV;
extern std::uint8_t CPUHasPOPCNT;
extern std::uint8_t CPUDispatchDone;

// True when the processor has the CPUID instruction (always on x86-64).
bool HasCPUID();
bool HasCPUIDB();

// Fills record from source (the record is reset first). FeatureCount is the number of MMX,
// SSE, SSE2, SSE3, SSSE3, SSE4.1, SSE4.2, AVX, FMA and AVX2 present, at most 7 when the
// processor offers OSXSAVE but the system does not enable the SSE and AVX register state.
void FillCPUFeatureRecord(const CPUIDSource& source, CPUFeatureRecord& record);
// The record of this processor (detected once).
const CPUFeatureRecord& CPUFeatures();

// Detects the processor and sets CPUClass and the three feature flags.
void DetectCPUClass();

// Without force: does nothing when done, else detects, installs the primitive variants for the
// class and sets the done flag. With force: installs the variants for CPUClass and the flags as
// they stand (no detection) and clears the done flag.
void InitCPUDispatch(std::uint8_t force);

// The first facts of TCPUInfo; vendor starts as 12 blanks and receives the vendor characters.
void GetCPUFeatures(std::string& vendor, std::uint32_t& highestLeaf, std::uint8_t& extendedDiffers,
                    std::uint8_t& fpu, std::uint8_t& mmx, std::uint8_t& sse, std::uint8_t& sse2,
                    std::uint8_t& sse3, std::uint8_t& ssse3, std::uint8_t& sse41, std::uint8_t& sse42,
                    std::uint8_t& cmov);

// Fills info from source completely.
void FillCPUInfo(const CPUIDSource& source, TCPUInfo& info);
// Fills info for this processor; leaves it alone when there is no CPUID.
void GetCPUInfo(TCPUInfo& info);
