// The window-title decisions and the shortcut paths, with any names.
#include <gtest/gtest.h>

#include <string>

#include "core/shortcutPaths.h"
#include "core/windowTitles.h"

namespace {

struct TitleCase {
    const char *title;
    const char *product;
    const char *service;
    CopyWindowRequest expected;
};

const TitleCase titleCases[] = {
    // The product's windows: the title begins with the product name, case-sensitive.
    {"Velmorant", "Velmorant", "", COPY_WINDOW_CLOSE},
    {"Velmorant - report.txt", "Velmorant", "", COPY_WINDOW_CLOSE},
    {"Velmorant2", "Velmorant", "", COPY_WINDOW_CLOSE},
    {"velmorant", "Velmorant", "", COPY_WINDOW_LEAVE},
    {"Install Velmorant", "Velmorant", "", COPY_WINDOW_LEAVE},
    {"Velmoran", "Velmorant", "", COPY_WINDOW_LEAVE},
    {"", "Velmorant", "", COPY_WINDOW_LEAVE},
    // Without a service name no title is the service window's, not even the bare suffix.
    {" Win9x Service", "Velmorant", "", COPY_WINDOW_LEAVE},
    {"Win9x Service", "Other", "", COPY_WINDOW_LEAVE},
    // The prefix test comes first.
    {"Velmorant Win9x Service", "Velmorant", "Velmorant", COPY_WINDOW_CLOSE},
    // Service window: the exact title only.
    {"Velmorant Win9x Service", "Other", "Velmorant", COPY_WINDOW_QUIT},
    {"Velmorant Win9x Service ", "Other", "Velmorant", COPY_WINDOW_LEAVE},
    {"Velmorant Win9x service", "Other", "Velmorant", COPY_WINDOW_LEAVE},
    {"Velmorant Win9x Servic", "Other", "Velmorant", COPY_WINDOW_LEAVE},
    {" Velmorant Win9x Service", "Other", "Velmorant", COPY_WINDOW_LEAVE},
    {"Other Win9x Service", "Other", "Velmorant", COPY_WINDOW_CLOSE},
    {"VelmorantSvc Win9x Service", "Velmorant", "VelmorantSvc", COPY_WINDOW_CLOSE},
    {"Agent Win9x Service", "Velmorant", "Agent", COPY_WINDOW_QUIT},
    // An empty product name would match everything: it matches nothing, while the exact
    // service title still works.
    {"Velmorant", "", "", COPY_WINDOW_LEAVE},
    {"", "", "", COPY_WINDOW_LEAVE},
    {"Program Manager", "", "Velmorant", COPY_WINDOW_LEAVE},
    {"Velmorant Win9x Service", "", "Velmorant", COPY_WINDOW_QUIT},
};

TEST(CopyWindowRequest, DecidesFromTheTitle)
{
    for (const TitleCase &c : titleCases)
        EXPECT_EQ(copyWindowRequest(c.title, c.product, c.service), c.expected)
            << "title \"" << c.title << "\", product \"" << c.product << "\", service \""
            << c.service << "\"";
}

TEST(CopyWindowRequest, ServiceTitleTooLongForItsBufferMatchesNothing)
{
    // 1010 characters and the suffix need 1025 bytes: one more than the buffer.
    std::string service(1010, 's');
    std::string title = service + " Win9x Service";
    EXPECT_EQ(copyWindowRequest(title.c_str(), "Other", service.c_str()), COPY_WINDOW_LEAVE);
    std::string fitting(1009, 's');
    std::string fittingTitle = fitting + " Win9x Service";
    EXPECT_EQ(copyWindowRequest(fittingTitle.c_str(), "Other", fitting.c_str()), COPY_WINDOW_QUIT);
}

TEST(ServiceWindowTitle, FormedOnlyForAServiceName)
{
    char buffer[64];
    EXPECT_EQ(buildServiceWindowTitle(buffer, sizeof buffer, "Velmorant"), 1);
    EXPECT_STREQ(buffer, "Velmorant Win9x Service");
    EXPECT_EQ(buildServiceWindowTitle(buffer, sizeof buffer, ""), 0);
}

TEST(CloseNotice, NamesTheProduct)
{
    char buffer[1024];
    ASSERT_EQ(buildCloseNotice(buffer, sizeof buffer, "Velmorant"), 1);
    EXPECT_STREQ(buffer, "Any copies of Velmorant currently running must now be shut down. This "
                         "may take a few seconds.");
    char small[40];
    EXPECT_EQ(buildCloseNotice(small, sizeof small, "Velmorant"), 0);
    EXPECT_STREQ(small, "");
}

const char programs[] =
    "C:\\users\\tester\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs";

TEST(ShortcutPaths, Composed)
{
    char buffer[260];
    ASSERT_EQ(buildGroupFolderPath(buffer, sizeof buffer, programs, "Velmorant"), 1);
    EXPECT_EQ(std::string(buffer), std::string(programs) + "\\Velmorant");
    ASSERT_EQ(buildLinkPath(buffer, sizeof buffer, programs, "Velmorant", "Uninstall"), 1);
    EXPECT_EQ(std::string(buffer), std::string(programs) + "\\Velmorant\\Uninstall.lnk");
    ASSERT_EQ(buildLinkPath(buffer, sizeof buffer, "C:\\Startup", NULL, "Velmorant Agent"), 1);
    EXPECT_STREQ(buffer, "C:\\Startup\\Velmorant Agent.lnk");
    ASSERT_EQ(buildStaleLinkPath(buffer, sizeof buffer, "C:\\P\\Velmorant\\Uninstall.lnk"), 1);
    EXPECT_STREQ(buffer, "C:\\P\\Velmorant\\Uninstall.lnk.lnk");
}

// Paths of 259 characters fit the 260-byte shell buffer; 260 characters do not, and the
// buffer is left empty rather than holding a cut path.
TEST(ShortcutPaths, RefusedWhenLongerThanTheShellBuffer)
{
    struct LengthCase {
        size_t length;
        int fits;
    };
    const LengthCase lengths[] = {{259, 1}, {260, 0}, {400, 0}};
    const std::string folder = "C:\\F";  // 4 characters
    for (const LengthCase &c : lengths) {
        char buffer[SHELL_PATH_SIZE];
        // group: folder + "\" + group
        std::string group(c.length - folder.size() - 1, 'g');
        EXPECT_EQ(buildGroupFolderPath(buffer, sizeof buffer, folder.c_str(), group.c_str()),
                  c.fits)
            << c.length;
        EXPECT_EQ(std::string(buffer).size(), c.fits ? c.length : 0u);
        // grouped link: folder + "\G\" + name + ".lnk"
        std::string name(c.length - folder.size() - 3 - 4, 'n');
        EXPECT_EQ(buildLinkPath(buffer, sizeof buffer, folder.c_str(), "G", name.c_str()), c.fits)
            << c.length;
        EXPECT_EQ(std::string(buffer).size(), c.fits ? c.length : 0u);
        // startup link: folder + "\" + name + ".lnk"
        std::string startupName(c.length - folder.size() - 1 - 4, 'n');
        EXPECT_EQ(buildLinkPath(buffer, sizeof buffer, folder.c_str(), NULL, startupName.c_str()),
                  c.fits)
            << c.length;
        // stale: link + ".lnk"
        std::string link(c.length - 4, 'l');
        EXPECT_EQ(buildStaleLinkPath(buffer, sizeof buffer, link.c_str()), c.fits) << c.length;
    }
}

}  // namespace
