// The product file's generator, run as the build runs it: one table of bad product files, each
// breaking one rule of a good one in one line, each refused with that line and its rule.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A good product file; a case replaces one of its lines (numbered from 1).
const std::vector<std::string> goodProduct = {
    "version = \"1.0.0\"",                // 1
    "publisher = \"Example\"",            // 2
    "description = \"Example\"",          // 3
    "agreement = \"licence.txt\"",        // 4
    "[settings]",                         // 5
    "productName = \"Example\"",          // 6
    "folderName = \"Example\"",           // 7
    "iniFileName = \"example.ini\"",      // 8
    "programFileName = \"example.exe\"",  // 9
    "requiredMegabytes = 1",              // 10
    "addStartupEntry = false",            // 11
    "startupPrompt = \"\"",               // 12
    "runCompanionInstall = false",        // 13
    "serviceFileName = \"\"",             // 14
    "[[payload]]",                        // 15
    "name = \"example.exe\"",             // 16
    "program = \"velmorant\"",            // 17
    "time = 1000000000",                  // 18
    "[[payload]]",                        // 19
    "name = \"data/readme.txt\"",         // 20
    "source = \"readme.txt\"",            // 21
    "time = 1000000000",                  // 22
};

std::string readAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

struct Workspace {
    std::string dir;
    Workspace()
    {
        char name[] = "/tmp/productgen-test-XXXXXX";
        dir = mkdtemp(name);
        std::ofstream(dir + "/licence.txt") << "A LICENCE\n\nIts one paragraph.\n";
        std::ofstream(dir + "/long.txt") << std::string(77, 'x') << "\n";
        std::ofstream(dir + "/readme.txt") << "read me\n";
    }
    ~Workspace() { std::system(("rm -rf '" + dir + "'").c_str()); }

    // Runs the generator on the good product with line replaced by text: its exit code, and
    // its error output in *errors.
    int run(int line, const std::string &text, std::string *errors)
    {
        std::ofstream product(dir + "/product.toml");
        for (size_t i = 0; i < goodProduct.size(); i++)
            product << ((int)i + 1 == line ? text : goodProduct[i]) << "\n";
        product.close();
        const char *generator = std::getenv("PRODUCTGEN");
        std::string command = std::string(generator != nullptr ? generator : "productgen") +
                              " --product " + dir + "/product.toml --output-dir " + dir +
                              " --program velmorant=velmorant --program uninstaller=u 2>" + dir +
                              "/errors.txt";
        int status = std::system(command.c_str());
        *errors = readAll(dir + "/errors.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

struct BadProduct {
    int line;
    std::string text;
    const char *rule;
    int reported = 0;  // the line named when it is not the line replaced
};

const BadProduct badProducts[] = {
    {8, "iniFileName = \"example.ini", ""},  // not TOML: the parser's own message
    {10, "requiredMegabytes = \"1\"", "requiredMegabytes must be a whole number"},
    {11, "addStartupEntri = false", "[settings] has no field addStartupEntri"},
    {6, "# no product name", "[settings] needs the field productName", 5},
    {7, "folderName = \"Ex:ample\"", "Windows refuses the character :"},
    {7, "folderName = \"Apps/Example\"", "must be a name without a path"},
    {7, "folderName = \"com1.data\"", "Windows refuses a device name"},
    {7, "folderName = \"Example \"", "Windows refuses a trailing dot or space"},
    {6, "productName = \"" + std::string(1010, 'p') + "\"", "productName is too long"},
    {8, "iniFileName = \"" + std::string(160, 'i') + ".ini\"", "the INI path"},
    {20, "name = \"data/" + std::string(750, 'n') + ".txt\"", "paths must fit 1024 bytes"},
    {20, "name = \"data/../readme.txt\"", "must be a relative path"},
    {20, "name = \"EXAMPLE.EXE\"", "is the name of the file at line 15 (case is ignored)"},
    {20, "name = \"Velmorant.VMINST-journal\"", "a name a run gives its journal or side copies"},
    {20, "name = \"qxuninst.exe\"", "is the uninstaller's"},
    {10, "requiredMegabytes = 4096", "requiredMegabytes must be from 0 to 4095"},
    {18, "time = 2147483648", "out of the stored times' range"},
    {1, "version = \"1.70000\"", "each version number must be from 0 to 65535"},
    {2, "publisher = \"The \\\"Best\\\"\"", "publisher must have 1 to 200 characters and no \""},
    {11, "addStartupEntry = true", "addStartupEntry needs startupPrompt"},
    {13, "runCompanionInstall = true", "runCompanionInstall needs nqlopsv.exe in the [[payload]]"},
    {14, "serviceFileName = \"svc.exe\"\nserviceName = \"Svc\"", "serviceFileName \"svc.exe\" is not a [[payload]] name"},
    {14, "serviceName = \"Svc\"", "serviceFileName and serviceName go together"},
    {9, "programFileName = \"other.exe\"", "programFileName \"other.exe\" is not a [[payload]] name"},
    {21, "source = \"missing.txt\"", "no such file"},
    {17, "program = \"nothing\"", "no program \"nothing\" is built here"},
    {4, "agreement = \"long.txt\"", "its line 1, is longer than 76 characters"},
};

}  // namespace

TEST(Productgen, EachBadProductFileIsRefusedWithItsLineAndRule)
{
    Workspace space;
    for (const BadProduct &bad : badProducts) {
        SCOPED_TRACE(bad.text);
        std::string errors;
        EXPECT_EQ(space.run(bad.line, bad.text, &errors), 1);
        std::string where = space.dir + "/product.toml:" + std::to_string(bad.reported != 0 ? bad.reported : bad.line) + ": ";
        EXPECT_EQ(errors.rfind(where, 0), 0u) << errors;
        EXPECT_NE(errors.find(bad.rule), std::string::npos) << errors;
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    }
}

// A good product file gives the four outputs; a bad one afterwards leaves none of them, so the
// build cannot go on from the good one's.
TEST(Productgen, GoodProductWritesItsOutputsAndABadOneRemovesThem)
{
    Workspace space;
    std::string errors;
    ASSERT_EQ(space.run(0, "", &errors), 0) << errors;
    const char *outputs[] = {"settings.cpp", "agreement.cpp", "payload.manifest.in", "product.cmake"};
    struct stat info;
    for (const char *output : outputs)
        EXPECT_EQ(stat((space.dir + "/" + output).c_str(), &info), 0) << output;
    EXPECT_NE(readAll(space.dir + "/settings.cpp").find(".productName = \"Example\","), std::string::npos);
    EXPECT_NE(readAll(space.dir + "/agreement.cpp").find("\"A LICENCE\\r\\r\\n\""), std::string::npos);
    EXPECT_NE(readAll(space.dir + "/payload.manifest.in")
                  .find("data/readme.txt\t" + space.dir + "/readme.txt\t1000000000\n"),
              std::string::npos);

    ASSERT_EQ(space.run(21, "source = \"missing.txt\"", &errors), 1);
    for (const char *output : outputs)
        EXPECT_NE(stat((space.dir + "/" + output).c_str(), &info), 0) << output;
}
