// A shortage of memory inside a tree or ordination run is reported through the tree error hook;
// no exception reaches the caller.
#include <cstdlib>
#include <new>

#include <gtest/gtest.h>

#include "tree_test_util.h"

namespace {

// Requests above this many bytes fail while a test sets it; the rest of the program allocates as usual.
std::size_t gRefuseAbove = static_cast<std::size_t>(-1);

class RefuseLargeAllocations {
public:
    explicit RefuseLargeAllocations(std::size_t limit) { gRefuseAbove = limit; }
    ~RefuseLargeAllocations() { gRefuseAbove = static_cast<std::size_t>(-1); }
    RefuseLargeAllocations(const RefuseLargeAllocations&) = delete;
    RefuseLargeAllocations& operator=(const RefuseLargeAllocations&) = delete;
};

// n OTUs at distinct distances, so that every build has work to do.
TDistAnalysis LargeAnalysis(std::size_t n) {
    std::vector<std::vector<Extended>> d(n, std::vector<Extended>(n, 0.0L));
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < i; ++j) d[i][j] = d[j][i] = static_cast<Extended>(i * n + j);
    return MakeAnalysis(Names(n), d);
}

}  // namespace

// Replaced for the whole test program; malloc and free pair up, which the compiler cannot see.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
    if (size > gRefuseAbove) throw std::bad_alloc();
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

TEST(TreeOutOfMemory, BuildersAndPCoAReportInsteadOfThrowing) {
    struct Case {
        const char* name;
        bool (*run)(TDistAnalysis&);
    };
    const Case cases[] = {
        {"UPGMA", [](TDistAnalysis& a) { return a.BuildTree(kTreeUPGMA, "T"); }},
        {"NJ", [](TDistAnalysis& a) { return a.BuildTree(kTreeNJ, "T"); }},
        {"PCoA", [](TDistAnalysis& a) { return a.PCoA(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TDistAnalysis analysis = LargeAnalysis(120);  // matrix copies of about 116 KB
        TreeHookRecorder hooks;
        bool built = true;
        {
            const RefuseLargeAllocations refuse(64 * 1024);
            EXPECT_NO_THROW(built = c.run(analysis));
        }
        EXPECT_FALSE(built);
        EXPECT_EQ(hooks.errors, (std::vector<std::string>{"Out of memory"}));
        EXPECT_TRUE(analysis.StoredTree.empty());
        EXPECT_TRUE(analysis.Tree.Nodes.empty());

        // With memory back the same analysis succeeds.
        hooks.errors.clear();
        EXPECT_TRUE(c.run(analysis));
        EXPECT_TRUE(hooks.errors.empty());
    }
}
