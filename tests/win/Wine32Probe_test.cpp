// The first program of the 32-bit suite: it ran, it is a 32-bit program, and the Windows it runs
// on is a 32-bit one (the older store PCs), not a 64-bit one running it beside 64-bit programs.
#include <gtest/gtest.h>
#include <windows.h>

TEST(Wine32, RunsAsA32BitProgramOnA32BitWindows) {
  EXPECT_EQ(sizeof(void*), 4u);
  SYSTEM_INFO native{};
  GetNativeSystemInfo(&native);
  EXPECT_EQ(native.wProcessorArchitecture, PROCESSOR_ARCHITECTURE_INTEL);
  BOOL wow64 = TRUE;
  ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
  EXPECT_FALSE(wow64);
}
