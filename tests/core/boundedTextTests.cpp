#include "core/boundedText.h"

#include <gtest/gtest.h>
#include <limits.h>
#include <string.h>

namespace {

// The formatter without the compiler's format checking, for formats it must refuse.
int uncheckedFormat(char *buffer, size_t size, const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    int fit = formatTextList(buffer, size, format, arguments);
    va_end(arguments);
    return fit;
}

}  // namespace

TEST(BoundedText, FormatsEveryConversion)
{
    char out[64];
    ASSERT_TRUE(formatText(out, sizeof out, "%s|%d|%u|%c|%%", "ab", -42, 4294967295u, 'Z'));
    EXPECT_STREQ(out, "ab|-42|4294967295|Z|%");
    ASSERT_TRUE(formatText(out, sizeof out, "%d %d %d", 0, INT_MAX, INT_MIN));
    EXPECT_STREQ(out, "0 2147483647 -2147483648");
    ASSERT_TRUE(uncheckedFormat(out, sizeof out, "[%s]", (const char *)NULL));
    EXPECT_STREQ(out, "[(null)]");
}

TEST(BoundedText, ExactFitAndOneByteShort)
{
    char out[6];
    memset(out, 'x', sizeof out);
    ASSERT_TRUE(formatText(out, sizeof out, "%s", "abcde"));  // 5 characters and the NUL
    EXPECT_STREQ(out, "abcde");

    char guarded[8];
    memset(guarded, 'x', sizeof guarded);
    EXPECT_FALSE(formatText(guarded, 6, "%s%d", "abcd", 12));  // needs 7 bytes
    EXPECT_STREQ(guarded, "");
    EXPECT_EQ(guarded[6], 'x');  // nothing past the stated size
    EXPECT_EQ(guarded[7], 'x');
}

TEST(BoundedText, RefusesWhatItCannotFormat)
{
    char out[16] = "old";
    EXPECT_FALSE(uncheckedFormat(out, sizeof out, "50%"));      // a lone % at the end
    EXPECT_STREQ(out, "");
    EXPECT_FALSE(uncheckedFormat(out, sizeof out, "%x", 1));    // unknown conversion
    EXPECT_FALSE(formatText(out, 0, "a"));
    EXPECT_FALSE(formatText(NULL, 4, "a"));
    char one[1];
    EXPECT_TRUE(uncheckedFormat(one, 1, ""));
    EXPECT_FALSE(formatText(one, 1, "a"));
}

TEST(BoundedText, CopyAndAppend)
{
    char out[8];
    ASSERT_TRUE(copyText(out, sizeof out, "abc"));
    ASSERT_TRUE(appendText(out, sizeof out, "defg"));
    EXPECT_STREQ(out, "abcdefg");
    EXPECT_FALSE(appendText(out, sizeof out, "h"));  // would need 9 bytes
    EXPECT_STREQ(out, "abcdefg");                    // left as it was
    EXPECT_FALSE(copyText(out, sizeof out, "12345678"));
    EXPECT_STREQ(out, "");
}
