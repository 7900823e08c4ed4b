#include <windows.h>

#include <gtest/gtest.h>

// Every text of the program is code page 936; the harness must give the process that code page.
TEST(CodePage, AnsiAndOemCodePagesAre936) {
  EXPECT_EQ(GetACP(), 936u);
  EXPECT_EQ(GetOEMCP(), 936u);
}
