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
