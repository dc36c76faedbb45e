#include <gtest/gtest.h>

#include "framework/afxstr.h"

// Assigning or appending text that lies in the string's own buffer must not read freed memory.
TEST(CString, AssignFromOwnCharactersIsSafe) {
    CString a("YBa2Cu3O7");
    const CString &same = a;  // self-assignment through a reference, as callers reach it
    a = same;
    EXPECT_STREQ("YBa2Cu3O7", a);
    a = a.Mid(1);
    EXPECT_STREQ("Ba2Cu3O7", a);
    a = a.GetString() + 2;
    EXPECT_STREQ("2Cu3O7", a);
    a += a.GetString();
    EXPECT_STREQ("2Cu3O72Cu3O7", a);
}

// Format must grow past any fixed buffer: "%.5f" of -1e308 is 316 characters.
TEST(CString, FormatHandlesTheLongestNumberText) {
    CString a;
    a.Format("%.5f", -1e308);
    EXPECT_EQ(316, a.GetLength());
    EXPECT_EQ('-', a[0]);
}
