#include "foundation/debug_box.h"

#include <gtest/gtest.h>
#include <string>

namespace {

struct Shown {
    std::string text, caption;
    std::uint32_t flags;
};

}  // namespace

TEST(DebugBox, ReportsThroughTheHook) {
    std::vector<Shown> shown;
    const DebugBoxHook previous = SetDebugBoxHook([&shown](std::string_view text, std::string_view caption,
                                                           std::uint32_t flags) {
        shown.push_back({std::string(text), std::string(caption), flags});
        return 7;
    });
    EXPECT_EQ(ShowDebugBox("question?", "Check", 4), 7);
    DebugBox("upgma error shortestdist");
    ShowDebugMessage("note", "Caption");
    DebugBoxW(u"FAILED\r\n3-4 \u00e9\u4e2d");
    SetDebugBoxHook(previous);
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0].flags, 4u);
    EXPECT_EQ(shown[1].text, "upgma error shortestdist");
    EXPECT_EQ(shown[1].caption, "TEST");
    EXPECT_EQ(shown[1].flags, 0u);
    EXPECT_EQ(shown[2].caption, "Caption");
    EXPECT_EQ(shown[3].text, "FAILED\r\n3-4 \xE9?");
    EXPECT_EQ(shown[3].caption, "TEST");
}

TEST(DebugBox, WithoutHookNothingBlocks) {
    const DebugBoxHook previous = SetDebugBoxHook(nullptr);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(ShowDebugBox("headless", "TEST", 4), 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "TEST: headless\n");
    SetDebugBoxHook(previous);
}
