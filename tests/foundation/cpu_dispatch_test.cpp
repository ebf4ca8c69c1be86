#include "foundation/cpu_dispatch.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <utility>

#include "foundation/block_move.h"
#include "foundation/primitives.h"
#include "foundation/primitives_variants.h"

namespace {

// A processor made of CPUID answers; leaves not given answer zeros.
struct FakeCPU {
    std::map<std::pair<std::uint32_t, std::uint32_t>, CPUIDRegs> leaves;
    std::uint64_t xcr0 = 6;

    CPUIDSource Source() const {
        CPUIDSource s;
        s.Query = [this](std::uint32_t leaf, std::uint32_t sub) {
            const auto it = leaves.find({leaf, sub});
            return it == leaves.end() ? CPUIDRegs{} : it->second;
        };
        s.XCR0 = [this] { return xcr0; };
        return s;
    }
};

constexpr std::uint32_t B(unsigned n) { return 1u << n; }

// "GenuineIntel" spelt as CPUID gives it: EBX, EDX, ECX.
void SetVendor(FakeCPU& cpu, std::uint32_t highest) {
    cpu.leaves[{0, 0}] = {highest, 0x756E6547u, 0x6C65746Eu, 0x49656E69u};
}

FakeCPU SSEOnlyCPU() {
    FakeCPU cpu;
    SetVendor(cpu, 1);
    cpu.leaves[{1, 0}] = {0x00000680u, 0, 0, B(0) | B(15) | B(23) | B(25)};  // FPU CMOV MMX SSE
    return cpu;
}

// A processor with all ten counted features, two threads on each of eight cores.
FakeCPU ModernCPU() {
    FakeCPU cpu;
    SetVendor(cpu, 7);
    const std::uint32_t ecx = B(0) | B(9) | B(12) | B(19) | B(20) | B(23) | B(27) | B(28);
    const std::uint32_t edx = B(0) | B(4) | B(15) | B(19) | B(23) | B(25) | B(26) | B(28);
    cpu.leaves[{1, 0}] = {0x000906EAu, (16u << 16) | (8u << 8), ecx, edx};
    cpu.leaves[{4, 0}] = {(7u << 26) | (15u << 14) | 0x121u, 0, 0, 0};
    cpu.leaves[{7, 0}] = {0, B(5), 0, 0};
    cpu.leaves[{0x80000000u, 0}] = {0x80000004u, 0, 0, 0};
    cpu.leaves[{0x80000001u, 0}] = {0, 0, B(5), B(29)};
    const char brand[48] = "Test CPU @ 3.00GHz";
    for (std::uint32_t k = 0; k < 3; ++k) {
        CPUIDRegs r;
        std::memcpy(r.data(), brand + 16 * k, 16);
        cpu.leaves[{0x80000002u + k, 0}] = r;
    }
    return cpu;
}

TEST(CPUDetection, SSEWithoutSSE2) {
    const FakeCPU cpu = SSEOnlyCPU();
    TCPUInfo info;
    std::memset(&info, 0xAA, sizeof info);
    FillCPUInfo(cpu.Source(), info);
    EXPECT_EQ(info.VendorString(), "GenuineIntel");
    EXPECT_EQ(info.HighestLeaf, 1u);
    EXPECT_EQ(info.SSELevel, 1u);
    EXPECT_EQ(info.FPU, 1);
    EXPECT_EQ(info.CMOV, 1);
    EXPECT_EQ(info.SSE2, 0);
    EXPECT_EQ(info.ExtendedDiffers, 1);  // 0 differs from 1
    EXPECT_EQ(info.LogicalPerPackage, 1);
    EXPECT_EQ(info.CoresPerPackage, 1);
    EXPECT_EQ(info.ThreadsPerCore, 1);
    EXPECT_EQ(info.Reserved35, 0) << "the record is filled completely";
    CPUFeatureRecord f;
    FillCPUFeatureRecord(cpu.Source(), f);
    EXPECT_EQ(f.FeatureCount, 2);  // MMX, SSE
    EXPECT_EQ(f.CacheLineFlushSize, 32);
    EXPECT_TRUE(f.Brand.empty());
}

TEST(CPUDetection, ModernProcessor) {
    const FakeCPU cpu = ModernCPU();
    CPUFeatureRecord f;
    FillCPUFeatureRecord(cpu.Source(), f);
    EXPECT_EQ(f.FeatureCount, 10);
    EXPECT_EQ(f.Brand, "Test CPU @ 3.00GHz");
    EXPECT_EQ(f.CacheLineFlushSize, 64);
    EXPECT_EQ(f.POPCNT, 1);
    EXPECT_EQ(f.OSAVX, 1);
    EXPECT_EQ(f.LZCNT, 1);
    EXPECT_EQ(f.Family6or15, 1);

    TCPUInfo info{};
    FillCPUInfo(cpu.Source(), info);
    EXPECT_EQ(info.SSELevel, 6u);
    EXPECT_EQ(info.HighestExtLeaf, 0x80000004u);
    EXPECT_EQ(info.LongMode, 1);
    EXPECT_EQ(info.HTT, 1);
    EXPECT_EQ(info.LogicalPerPackage, 16);
    EXPECT_EQ(info.CoresPerPackage, 8);
    EXPECT_EQ(info.ThreadsPerCore, 2);
    EXPECT_EQ(info.MultiLogical, 1);
    EXPECT_EQ(info.MultiThreadPerCore, 1);
    EXPECT_EQ(info.CacheSharing, 16);
    // Byte 21, read by start-up, is the FPU flag.
    EXPECT_EQ(reinterpret_cast<const std::uint8_t*>(&info)[21], 1);
}

TEST(CPUDetection, ClassLimitedWhenSystemDoesNotEnableAVXState) {
    FakeCPU cpu = ModernCPU();
    cpu.xcr0 = 2;  // SSE state only
    CPUFeatureRecord f;
    FillCPUFeatureRecord(cpu.Source(), f);
    EXPECT_EQ(f.OSAVX, 0);
    EXPECT_EQ(f.FeatureCount, 7);
}

TEST(CPUDetection, NoExtendedLeavesLeaveTheirBytesZero) {
    FakeCPU cpu = ModernCPU();
    cpu.leaves[{0x80000000u, 0}] = {7, 0, 0, 0};  // old processors echo the highest standard leaf
    TCPUInfo info{};
    FillCPUInfo(cpu.Source(), info);
    EXPECT_EQ(info.ExtendedDiffers, 0);
    EXPECT_EQ(info.HighestExtLeaf, 0u);
    EXPECT_EQ(info.LongMode, 0);
    EXPECT_EQ(info.ExtHTT, 0);
    CPUFeatureRecord f;
    FillCPUFeatureRecord(cpu.Source(), f);
    EXPECT_TRUE(f.Brand.empty());
}

TEST(CPUDetection, ThisProcessor) {
    ASSERT_TRUE(HasCPUID());
    EXPECT_TRUE(HasCPUIDB());
    TCPUInfo info{};
    GetCPUInfo(info);
    EXPECT_EQ(info.FPU, 1);
    EXPECT_EQ(info.SSE2, 1);
    EXPECT_GE(info.SSELevel, 2u);
    EXPECT_EQ(info.VendorLength, 12);
    std::string vendor = "x";
    std::uint32_t leaf = 0;
    std::uint8_t ext, fpu, mmx, sse, sse2, sse3, ssse3, sse41, sse42, cmov;
    GetCPUFeatures(vendor, leaf, ext, fpu, mmx, sse, sse2, sse3, ssse3, sse41, sse42, cmov);
    EXPECT_EQ(vendor, info.VendorString());
    EXPECT_EQ(leaf, info.HighestLeaf);
    EXPECT_EQ(sse42, info.SSE42);
    EXPECT_GE(CPUFeatures().FeatureCount, 3);
}

class DispatchTest : public ::testing::Test {
protected:
    void TearDown() override {
        CPUDispatchDone = 0;
        InitCPUDispatch(0);
    }
};

TEST_F(DispatchTest, DetectionRunsOnceUnlessForced) {
    InitCPUDispatch(0);
    EXPECT_EQ(CPUDispatchDone, 1);
    EXPECT_EQ(CPUClass, CPUFeatures().FeatureCount);
    CPUClass = 0;
    InitCPUDispatch(0);  // done: nothing happens
    EXPECT_EQ(CPUClass, 0);
    CPUHasCMOV = 0;
    CPUHasPOPCNT = 0;
    InitCPUDispatch(1);
    EXPECT_EQ(CPUDispatchDone, 0);
    EXPECT_EQ(CPUClass, 0) << "force installs without detecting";
    EXPECT_EQ(IndexByte, &prims::IndexBytePlain);
    EXPECT_EQ(MoveFast, &prims::MoveFastPlain);
    EXPECT_EQ(MinUFast, &prims::MinUPlain);
    EXPECT_EQ(PopCountBytes, &prims::PopCountBytesPlain);
    InitCPUDispatch(0);
    EXPECT_EQ(CPUDispatchDone, 1);
    EXPECT_EQ(CPUClass, CPUFeatures().FeatureCount);
}

}  // namespace
