#include <gtest/gtest.h>

#include <cstring>

#include "afxstr.h"

TEST(CString, EmptyStringsShareNoMemoryAndCompareEqual) {
    CString a, b("");
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(0, b.GetLength());
    EXPECT_STREQ("", a.GetString());
    EXPECT_TRUE(a == b);
    CString c(nullptr);
    EXPECT_TRUE(c.IsEmpty());
}

TEST(CString, CopiesAreIndependent) {
    CString a("Ba(NO3)2");
    CString b(a);
    b += "x";
    EXPECT_STREQ("Ba(NO3)2", a);
    EXPECT_STREQ("Ba(NO3)2x", b);
    a = b;
    a = a;  // self-assignment keeps the text
    EXPECT_STREQ("Ba(NO3)2x", a);
}

TEST(CString, AssignFromOwnCharactersIsSafe) {
    CString a("YBa2Cu3O7");
    a = a.Mid(1);
    EXPECT_STREQ("Ba2Cu3O7", a);
    a = a.GetString() + 2;  // points into a's own buffer
    EXPECT_STREQ("2Cu3O7", a);
    a += a.GetString();
    EXPECT_STREQ("2Cu3O72Cu3O7", a);
}

TEST(CString, FormatHandlesTheLongestNumberText) {
    CString a;
    a.Format("%.5f", -1e308);
    EXPECT_EQ(316, a.GetLength());
    EXPECT_EQ('-', a[0]);
    a.Format("%s", "");
    EXPECT_TRUE(a.IsEmpty());
}

TEST(CString, BufferAccessAndSearch) {
    CString a;
    char *p = a.GetBuffer(10);
    std::strcpy(p, "CuO");
    a.ReleaseBuffer();
    EXPECT_EQ(3, a.GetLength());
    EXPECT_EQ(1, a.Find('u'));
    EXPECT_EQ(-1, a.Find('z'));
    EXPECT_EQ(2, a.ReverseFind('O'));
    EXPECT_STREQ("Cu", a.Left(2));
    EXPECT_STREQ("", a.Mid(5));
    CString grown;
    for (int i = 0; i < 1000; ++i) grown += 'H';
    EXPECT_EQ(1000, grown.GetLength());
}
