// The agreement's layout: the edit control shows it as given, so the text itself must be
// laid out right.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "core/agreementText.h"

namespace {

// The lines of text, each without its CR CR LF; the remainder after the last line end goes
// into tail.
std::vector<std::string> agreementLines(std::string *tail)
{
    std::vector<std::string> lines;
    std::string text = agreementText;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\r\n", start)) != std::string::npos; start = end + 3)
        lines.push_back(text.substr(start, end - start));
    *tail = text.substr(start);
    return lines;
}

}  // namespace

TEST(AgreementText, LinesAndParagraphs)
{
    std::string tail;
    std::vector<std::string> lines = agreementLines(&tail);
    EXPECT_EQ(lines.size(), 48u);
    EXPECT_EQ(tail, "") << "text after the last line end";
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "") << "the text ends with an empty line";
    EXPECT_NE(lines.front(), "") << "the text starts with a paragraph";
    int paragraphs = 0;
    for (size_t i = 0; i < lines.size(); i++) {
        const std::string &line = lines[i];
        EXPECT_LE(line.size(), 76u) << "line " << i;
        // Every CR and LF belongs to a line end.
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "line " << i;
        if (line.empty()) {
            EXPECT_TRUE(i > 0 && !lines[i - 1].empty()) << "two empty lines at " << i;
            paragraphs++;
        } else {
            EXPECT_NE(line.front(), ' ') << "line " << i;
            EXPECT_NE(line.back(), ' ') << "line " << i;
        }
    }
    EXPECT_GE(paragraphs, 5);
    EXPECT_NE(std::string(agreementText).find("Velmorant"), std::string::npos);
}
