// productgen: turns a product file (TOML) into what the build compiles for that product: the
// settings record, the agreement text, the payload manifest for payloadgen and the CMake
// variables of the release (version, publisher, description, icon, certificate).
//
//     productgen --product FILE --output-dir DIR [--program NAME=TARGET]...
//
// --program names a program the build makes (NAME in the product file, TARGET the CMake
// target whose file the payload takes). Every rule is checked before anything is written; a
// failure is one line "<file>:<line>: <rule>" and leaves no output behind, so a build cannot
// go on from the outputs of an earlier product file. Outputs that did not change keep their
// time, so nothing is rebuilt for nothing.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <toml++/toml.h>

#include "buildtools/cLiteral.h"
#include "core/boundedText.h"
#include "core/folderPaths.h"
#include "core/installerSettings.h"
#include "core/payloadNames.h"
#include "core/replaceJournal.h"
#include "core/shortcutPaths.h"
#include "core/uninstallTexts.h"
#include "core/windowTitles.h"

namespace {

// The agreement dialog shows this many characters of a line without wrapping it.
const size_t kAgreementLineLimit = 76;
// An edit control of the 9x family holds at most this many characters by default.
const size_t kAgreementLimit = 30000;
// The INI file lies in the Windows folder; its path must fit MAX_PATH with a Windows folder
// of up to this many characters.
const size_t kLongestWindowsFolder = 100;
const int32_t kMegabyteLimit = 4096;  // the free-space check counts in 32-bit bytes

std::string productFile;
LeadBytes singleByte;  // all zero: names are checked as the single-byte code pages read them

[[noreturn]] void fail(int64_t line, const std::string &rule)
{
    std::fprintf(stderr, "%s:%lld: %s\n", productFile.c_str(), (long long)line, rule.c_str());
    std::exit(1);
}

int64_t lineOf(const toml::node *node, int64_t fallback = 1)
{
    return node != nullptr && node->source().begin.line > 0 ? node->source().begin.line : fallback;
}

// A table's fields, each read once; a field no one read is a misspelling.
class Fields {
public:
    Fields(const toml::table &table, std::string where) : table_(table), where_(std::move(where)) {}

    const toml::node *get(const char *key)
    {
        read_.insert(key);
        return table_.get(key);
    }
    int64_t line() const { return lineOf(&table_); }

    std::string text(const char *key, bool required)
    {
        const toml::node *node = get(key);
        if (node == nullptr) {
            if (required)
                fail(line(), where_ + "needs the field " + key);
            return "";
        }
        if (!node->is_string())
            fail(lineOf(node), std::string(key) + " must be a text in quotes");
        return node->as_string()->get();
    }
    int32_t flag(const char *key)
    {
        const toml::node *node = get(key);
        if (node == nullptr)
            return 0;
        if (!node->is_boolean())
            fail(lineOf(node), std::string(key) + " must be true or false");
        return node->as_boolean()->get() ? 1 : 0;
    }
    void noOthers()
    {
        for (const auto &[key, node] : table_)
            if (read_.count(std::string(key.str())) == 0)
                fail(lineOf(&node), where_ + "has no field " + std::string(key.str()));
    }

private:
    const toml::table &table_;
    std::string where_;
    std::set<std::string> read_;
};

struct PayloadFile {
    std::string name;
    std::string source;  // a file, or $<TARGET_FILE:target>
    std::string program;
    int32_t time = 0;
    int64_t line = 0;
};

struct Product {
    std::string settings[9];
    int32_t flags[3] = {0, 0, 0};
    int32_t requiredMegabytes = 0;
    std::string version, versionNumbers, publisher, description, icon, certificate;
    std::string agreement;
    std::vector<PayloadFile> payload;
    std::vector<std::string> inputs;
    std::vector<std::string> programs;
};

// The settings record's text fields, in their order in the record.
enum { FOLDER, PRODUCT, INI, PROMPT, PROGRAM, ARGUMENTS, SERVICE_FILE, SERVICE, SHORTCUT };
const char *const kTextFields[] = {"folderName",    "productName",     "iniFileName",
                                   "startupPrompt", "programFileName", "startupArguments",
                                   "serviceFileName", "serviceName",   "startupShortcutName"};
enum { STARTUP, WARN, COMPANION };
const char *const kFlagFields[] = {"addStartupEntry", "warnRunningCopies", "runCompanionInstall"};

std::string folderOf(const std::string &path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

// A path the product file gives, from the product file's folder; ".." folded, so that the
// build sees one name for one file.
std::string relativeTo(const std::string &path)
{
    if (path.empty())
        return path;
    std::string full = path[0] == '/' ? path : folderOf(productFile) + "/" + path;
    return std::filesystem::path(full).lexically_normal().string();
}

bool isFile(const std::string &path, struct stat *info = nullptr)
{
    struct stat own;
    struct stat *s = info != nullptr ? info : &own;
    return stat(path.c_str(), s) == 0 && S_ISREG(s->st_mode);
}

std::string lower(std::string text)
{
    for (char &c : text)
        c = lowerAscii(c);
    return text;
}

// Why Windows refuses name as one component of a path, or "" when it takes it.
std::string componentFault(const std::string &name)
{
    if (name.empty() || name == "." || name == "..")
        return "an empty, \".\" or \"..\" part";
    for (unsigned char c : name)
        if (c < 0x20 || std::strchr("<>:\"|?*", c) != nullptr)
            return c < 0x20 ? "a control character" : std::string("the character ") + (char)c;
    if (name.back() == '.' || name.back() == ' ')
        return "a trailing dot or space";
    if (namesDevice(name.c_str(), singleByte))
        return "a device name";
    return "";
}

// A name of one file or folder: no path in it.
void checkFileName(const toml::node *node, const char *what, const std::string &name)
{
    if (name.find_first_of("\\/") != std::string::npos)
        fail(lineOf(node), std::string(what) + " \"" + name + "\" must be a name without a path");
    std::string fault = componentFault(name);
    if (!fault.empty())
        fail(lineOf(node), std::string(what) + " \"" + name + "\": Windows refuses " + fault);
}

void checkFits(const toml::node *node, const char *what, bool fits, const std::string &limit)
{
    if (!fits)
        fail(lineOf(node), std::string(what) + " is too long: " + limit);
}

void readSettings(const toml::table &root, Product &product)
{
    const toml::node *table = root.get("settings");
    if (table == nullptr || !table->is_table())
        fail(lineOf(table), "the product file needs a [settings] table");
    Fields fields(*table->as_table(), "[settings] ");
    const toml::node *nodes[9];
    for (int i = 0; i < 9; i++) {
        bool required = i == FOLDER || i == PRODUCT || i == INI || i == PROGRAM;
        product.settings[i] = fields.text(kTextFields[i], required);
        nodes[i] = fields.get(kTextFields[i]);
    }
    for (int i = 0; i < 3; i++)
        product.flags[i] = fields.flag(kFlagFields[i]);
    const toml::node *megabytes = fields.get("requiredMegabytes");
    if (megabytes != nullptr) {
        if (!megabytes->is_integer())
            fail(lineOf(megabytes), "requiredMegabytes must be a whole number");
        int64_t value = megabytes->as_integer()->get();
        if (value < 0 || value >= kMegabyteLimit)
            fail(lineOf(megabytes), "requiredMegabytes must be from 0 to " +
                                        std::to_string(kMegabyteLimit - 1));
        product.requiredMegabytes = (int32_t)value;
    }
    fields.noOthers();

    const std::string *s = product.settings;
    char buffer[TEXT_BUFFER_SIZE];
    checkFileName(nodes[FOLDER], "folderName", s[FOLDER]);
    // The default folder "<drive>:\<folder>" must fit the folder dialog's fields.
    checkFits(nodes[FOLDER], "folderName", s[FOLDER].size() + 3 <= FOLDER_FIELD_LIMIT,
              "\"C:\\\" and it must fit the folder fields' " + std::to_string(FOLDER_FIELD_LIMIT) +
                  " characters");
    if (s[PRODUCT].empty())
        fail(lineOf(nodes[PRODUCT]), "productName must not be empty");
    // Every title and message that names the product, and its shortcut, must fit its buffer.
    bool fits = formatText(buffer, sizeof buffer, BACKGROUND_TITLE_FORMAT, s[PRODUCT].c_str()) &&
                buildCloseNotice(buffer, sizeof buffer, s[PRODUCT].c_str()) &&
                buildConfirmTitle(buffer, sizeof buffer, s[PRODUCT].c_str()) &&
                buildIncompleteTitle(buffer, sizeof buffer, s[PRODUCT].c_str()) &&
                buildAlreadyRunningText(buffer, sizeof buffer, s[PRODUCT].c_str()) &&
                buildFinalText(buffer, sizeof buffer, s[PRODUCT].c_str(), "", 0, "", "") &&
                buildLinkPath(buffer, SHELL_PATH_SIZE, std::string(kLongestWindowsFolder, 'x').c_str(),
                              s[FOLDER].c_str(), s[PRODUCT].c_str());
    checkFits(nodes[PRODUCT], "productName", fits,
              "a title or a shortcut path made with it would not fit its buffer");
    checkFileName(nodes[PRODUCT], "productName", s[PRODUCT]);
    checkFileName(nodes[INI], "iniFileName", s[INI]);
    checkFits(nodes[INI], "iniFileName",
              kLongestWindowsFolder + 1 + s[INI].size() < SHELL_PATH_SIZE,
              "the INI path under a Windows folder of " + std::to_string(kLongestWindowsFolder) +
                  " characters must fit MAX_PATH");
    checkFits(nodes[PROMPT], "startupPrompt", s[PROMPT].size() < TEXT_BUFFER_SIZE,
              "at most " + std::to_string(TEXT_BUFFER_SIZE - 1) + " characters");
    checkFits(nodes[ARGUMENTS], "startupArguments", s[ARGUMENTS].size() < SHELL_PATH_SIZE,
              "a shortcut's arguments hold at most " + std::to_string(SHELL_PATH_SIZE - 1) +
                  " characters");
    if (!s[SHORTCUT].empty())
        checkFileName(nodes[SHORTCUT], "startupShortcutName", s[SHORTCUT]);
    if (!s[SERVICE].empty())
        checkFits(nodes[SERVICE], "serviceName",
                  buildServiceWindowTitle(buffer, sizeof buffer, s[SERVICE].c_str()) &&
                      s[SERVICE].size() <= 256 && s[SERVICE].find_first_of("/\\") == std::string::npos,
                  "a service name has at most 256 characters and no slash");
    // The flags' dependent fields.
    const toml::node *startup = fields.get(kFlagFields[STARTUP]);
    if (product.flags[STARTUP] && s[PROMPT].empty() && s[SERVICE_FILE].empty())
        fail(lineOf(startup), "addStartupEntry needs startupPrompt, the question asked before it");
    if (s[SERVICE_FILE].empty() != s[SERVICE].empty())
        fail(lineOf(nodes[s[SERVICE].empty() ? SERVICE_FILE : SERVICE], fields.line()),
             "serviceFileName and serviceName go together: give both or neither");
}

// A stored time: seconds since 1970 (UTC), a date and time with its offset, or "file" for the
// file's own time, which SOURCE_DATE_EPOCH, when set, holds back so that a build can be
// repeated from a checkout made later.
int32_t readTime(const toml::node *node, const std::string &source, bool program)
{
    int64_t seconds = 0;
    if (node->is_integer()) {
        seconds = node->as_integer()->get();
    } else if (node->is_date_time() && node->as_date_time()->get().offset.has_value()) {
        toml::date_time when = node->as_date_time()->get();
        // Days from the civil date (proleptic Gregorian).
        int64_t y = when.date.year - (when.date.month <= 2);
        int64_t era = (y >= 0 ? y : y - 399) / 400;
        int64_t yoe = y - era * 400;
        int64_t m = when.date.month;
        int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + when.date.day - 1;
        int64_t days = era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
        seconds = days * 86400 + when.time.hour * 3600 + when.time.minute * 60 + when.time.second -
                  when.offset->minutes * 60;
    } else if (node->is_string() && node->as_string()->get() == "file" && !program) {
        struct stat info;
        if (!isFile(source, &info))
            fail(lineOf(node), "no such file: " + source);
        seconds = info.st_mtime;
        const char *epoch = std::getenv("SOURCE_DATE_EPOCH");
        if (epoch != nullptr && *epoch != '\0' && std::strtoll(epoch, nullptr, 10) < seconds)
            seconds = std::strtoll(epoch, nullptr, 10);
    } else {
        fail(lineOf(node), "time must be seconds since 1970, a date and time with its offset, "
                           "or \"file\" for a source file's own time");
    }
    if (seconds < INT32_MIN || seconds > INT32_MAX)
        fail(lineOf(node), "time is out of the stored times' range (1901 to 2038)");
    return (int32_t)seconds;
}

// The side names a run gives files in the data folder, which no payload file may take.
bool isSideName(const std::string &name)
{
    std::string low = lower(name);
    size_t slash = low.find_last_of("/\\");
    std::string last = slash == std::string::npos ? low : low.substr(slash + 1);
    if (last == lower(JOURNAL_FILE_NAME))
        return true;
    auto endsWith = [&](const std::string &suffix) {
        return low.size() >= suffix.size() && low.compare(low.size() - suffix.size(), suffix.size(), suffix) == 0;
    };
    if (endsWith(lower(NEW_COPY_SUFFIX)))
        return true;
    char aside[TEXT_BUFFER_SIZE];
    for (int32_t n = 0; n < ASIDE_NAME_COUNT; n++)
        if (buildAsideName(aside, sizeof aside, "", n) && endsWith(lower(aside)))
            return true;
    return false;
}

void readPayload(const toml::table &root, Product &product,
                 const std::map<std::string, std::string> &programs)
{
    const toml::node *list = root.get("payload");
    if (list == nullptr || !list->is_array_of_tables() || list->as_array()->empty())
        fail(lineOf(list), "the product file needs its files as [[payload]] tables");
    const toml::node *commonTime = root.get("payloadTime");
    std::map<std::string, int64_t> seen;
    for (const toml::node &item : *list->as_array()) {
        Fields fields(*item.as_table(), "[[payload]] ");
        PayloadFile file;
        file.line = fields.line();
        file.name = fields.text("name", true);
        const toml::node *nameNode = fields.get("name");
        const toml::node *sourceNode = fields.get("source");
        const toml::node *programNode = fields.get("program");
        if ((sourceNode == nullptr) == (programNode == nullptr))
            fail(file.line, "[[payload]] \"" + file.name + "\" needs either source or program");
        if (sourceNode != nullptr) {
            file.source = relativeTo(fields.text("source", true));
            if (!isFile(file.source))
                fail(lineOf(sourceNode), "no such file: " + file.source);
            product.inputs.push_back(file.source);
        } else {
            file.program = fields.text("program", true);
            auto known = programs.find(file.program);
            if (known == programs.end()) {
                std::string names;
                for (const auto &[name, target] : programs)
                    names += (names.empty() ? "" : ", ") + name;
                fail(lineOf(programNode), "no program \"" + file.program +
                                              "\" is built here (the build makes: " + names + ")");
            }
            file.source = "$<TARGET_FILE:" + known->second + ">";
            product.programs.push_back(known->second);
        }
        const toml::node *timeNode = fields.get("time");
        if (timeNode == nullptr)
            timeNode = commonTime;
        if (timeNode == nullptr)
            fail(file.line, "[[payload]] \"" + file.name + "\" needs a time (or set payloadTime)");
        file.time = readTime(timeNode, file.source, sourceNode == nullptr);
        fields.noOthers();

        // The name: a relative path whose every part Windows takes, under the system folder
        // with the "SYSTEM/" prefix, and whose longest path with a side name fits the
        // extraction's buffer under the longest folder the dialog hands back.
        std::string rest = hasSystemPrefix(file.name.c_str()) ? file.name.substr(7) : file.name;
        if (rest.empty() || !isRemovableStoredName(rest.c_str(), singleByte))
            fail(lineOf(nameNode), "payload name \"" + file.name +
                                       "\" must be a relative path without empty, \".\" or \"..\" parts");
        for (size_t start = 0; start <= rest.size();) {
            size_t end = rest.find_first_of("\\/", start);
            std::string part = rest.substr(start, end == std::string::npos ? std::string::npos : end - start);
            std::string fault = componentFault(part);
            if (!fault.empty())
                fail(lineOf(nameNode), "payload name \"" + file.name + "\": Windows refuses " + fault);
            start = end == std::string::npos ? rest.size() + 1 : end + 1;
        }
        char aside[TEXT_BUFFER_SIZE];
        std::string longest = std::string(FOLDER_FIELD_LIMIT, 'x') + "\\" + rest;
        checkFits(nameNode, "payload name",
                  buildAsideName(aside, sizeof aside, longest.c_str(), ASIDE_NAME_COUNT - 1),
                  "under a folder of " + std::to_string(FOLDER_FIELD_LIMIT) +
                      " characters its paths must fit " + std::to_string(TEXT_BUFFER_SIZE) + " bytes");
        std::string key = lower(file.name);
        for (char &c : key)
            if (c == '\\')
                c = '/';
        auto earlier = seen.emplace(key, file.line);
        if (!earlier.second)
            fail(lineOf(nameNode), "payload name \"" + file.name + "\" is the name of the file at line " +
                                       std::to_string(earlier.first->second) + " (case is ignored)");
        if (isSideName(file.name))
            fail(lineOf(nameNode), "payload name \"" + file.name +
                                       "\" is a name a run gives its journal or side copies");
        if (key == lower(UNINSTALLER_FILE_NAME) && file.program != "uninstaller")
            fail(lineOf(nameNode), "payload name \"" + file.name +
                                       "\" is the uninstaller's: only program = \"uninstaller\" may take it");
        product.payload.push_back(file);
    }
}

bool inPayload(const Product &product, const std::string &name)
{
    for (const PayloadFile &file : product.payload)
        if (lower(file.name) == lower(name))
            return true;
    return false;
}

// The licence text: the file's lines, each ended with CR CR LF, which the edit control takes
// as a line end and shows as it is.
void readAgreement(Fields &fields, Product &product)
{
    const toml::node *node = fields.get("agreement");
    std::string path = relativeTo(fields.text("agreement", true));
    FILE *file = std::fopen(path.c_str(), "rb");
    if (file == nullptr || !isFile(path))
        fail(lineOf(node), "no such file: " + path);
    std::string text;
    for (int c; (c = std::fgetc(file)) != EOF;)
        text.push_back((char)c);
    std::fclose(file);
    product.inputs.push_back(path);
    if (text.empty() || text.back() != '\n')
        fail(lineOf(node), "the agreement " + path + " must end with a line end");
    int lineNumber = 0;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end - start);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::string where = "the agreement " + path + ", its line " + std::to_string(lineNumber);
        if (line.size() > kAgreementLineLimit)
            fail(lineOf(node), where + ", is longer than " + std::to_string(kAgreementLineLimit) +
                                   " characters, the dialog's width");
        for (unsigned char c : line)
            if (c < 0x20 || c == 0x7f)
                fail(lineOf(node), where + ", holds a control character");
        product.agreement += line + "\r\r\n";
        start = end + 1;
    }
    if (product.agreement.size() > kAgreementLimit)
        fail(lineOf(node), "the agreement " + path + " is longer than " +
                               std::to_string(kAgreementLimit) + " characters, what the dialog holds");
}

void readRelease(const toml::table &root, Product &product)
{
    Fields fields(root, "");
    fields.get("settings");
    fields.get("payload");
    fields.get("payloadTime");
    const toml::node *versionNode = fields.get("version");
    product.version = fields.text("version", true);
    const toml::node *numbers = fields.get("versionNumbers");
    std::vector<int64_t> parts;
    if (numbers != nullptr) {
        if (!numbers->is_array() || !numbers->as_array()->is_homogeneous(toml::node_type::integer))
            fail(lineOf(numbers), "versionNumbers must be four whole numbers");
        for (const toml::node &n : *numbers->as_array())
            parts.push_back(n.as_integer()->get());
    } else {
        // "1.2.3" gives 1,2,3,0.
        const char *p = product.version.c_str();
        while (parts.size() < 4 && *p >= '0' && *p <= '9') {
            parts.push_back(std::strtoll(p, const_cast<char **>(&p), 10));
            if (*p != '.')
                break;
            p++;
        }
        if (parts.empty())
            fail(lineOf(versionNode), "version does not start with numbers: give versionNumbers");
        parts.resize(4, 0);
    }
    if (parts.size() != 4)
        fail(lineOf(numbers), "versionNumbers must be four whole numbers");
    for (int64_t part : parts) {
        if (part < 0 || part > 65535)
            fail(lineOf(numbers, lineOf(versionNode)), "each version number must be from 0 to 65535");
        product.versionNumbers += (product.versionNumbers.empty() ? "" : ",") + std::to_string(part);
    }
    product.publisher = fields.text("publisher", true);
    product.description = fields.text("description", true);
    // The version resource's texts: no quote, which would end the resource's string.
    const char *release[] = {"version", "publisher", "description"};
    const std::string *values[] = {&product.version, &product.publisher, &product.description};
    for (int i = 0; i < 3; i++)
        if (values[i]->empty() || values[i]->size() > 200 ||
            values[i]->find_first_of("\"\\") != std::string::npos)
            fail(lineOf(fields.get(release[i])),
                 std::string(release[i]) + " must have 1 to 200 characters and no \" or \\");
    readAgreement(fields, product);
    const toml::node *icon = fields.get("icon");
    product.icon = relativeTo(fields.text("icon", false));
    if (!product.icon.empty()) {
        if (!isFile(product.icon))
            fail(lineOf(icon), "no such file: " + product.icon);
        product.inputs.push_back(product.icon);
    }
    product.certificate = relativeTo(fields.text("signingCertificate", false));
    fields.noOthers();
}

std::string cmakeQuote(const std::string &text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\' || c == '$' || c == ';')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::map<std::string, std::string> outputs(const Product &product)
{
    std::map<std::string, std::string> files;
    std::string settings = "// Generated by productgen from " + productFile + ".\n"
                           "#include \"core/installerSettings.h\"\n\n"
                           "extern const InstallerSettings installerSettings = {\n";
    const char *order[] = {"folderName",        "productName",     "iniFileName",
                           "addStartupEntry",   "startupPrompt",   "programFileName",
                           "startupArguments",  "warnRunningCopies", "runCompanionInstall",
                           "serviceFileName",   "requiredMegabytes", "serviceName",
                           "startupShortcutName"};
    for (const char *field : order) {
        std::string value;
        for (int i = 0; i < 9; i++)
            if (std::strcmp(field, kTextFields[i]) == 0)
                value = cLiteral(product.settings[i]);
        for (int i = 0; i < 3; i++)
            if (std::strcmp(field, kFlagFields[i]) == 0)
                value = std::to_string(product.flags[i]);
        if (value.empty())
            value = std::to_string(product.requiredMegabytes);
        settings += std::string("    .") + field + " = " + value + ",\n";
    }
    files["settings.cpp"] = settings + "};\n";
    files["agreement.cpp"] = "// Generated by productgen from " + productFile + ".\n"
                             "#include \"core/agreementText.h\"\n\n"
                             "const char agreementText[] =\n    " + cLiteral(product.agreement, true) + ";\n";
    std::string manifest = "# Generated by productgen from " + productFile + ".\n";
    for (const PayloadFile &file : product.payload)
        manifest += file.name + "\t" + file.source + "\t" + std::to_string(file.time) + "\n";
    files["payload.manifest.in"] = manifest;
    std::string cmake = "# Generated by productgen from " + productFile + ".\n";
    auto set = [&](const char *name, const std::string &value) {
        cmake += std::string("set(PRODUCT_") + name + " " + cmakeQuote(value) + ")\n";
    };
    auto join = [](const std::vector<std::string> &list) {
        std::string out;
        for (const std::string &item : list)
            out += (out.empty() ? "" : ";") + item;
        return out;
    };
    set("NAME", product.settings[PRODUCT]);
    set("VERSION", product.version);
    set("VERSION_NUMBERS", product.versionNumbers);
    set("PUBLISHER", product.publisher);
    set("DESCRIPTION", product.description);
    set("ICON", product.icon);
    set("SIGNING_CERTIFICATE", product.certificate);
    cmake += "set(PRODUCT_INPUTS " + cmakeQuote(productFile) + ")\n";
    for (const std::string &input : product.inputs)
        cmake += "list(APPEND PRODUCT_INPUTS " + cmakeQuote(input) + ")\n";
    cmake += "set(PRODUCT_PROGRAMS " + join(product.programs) + ")\n";
    files["product.cmake"] = cmake;
    return files;
}

std::string readWhole(const std::string &path, bool *found)
{
    std::string text;
    FILE *file = std::fopen(path.c_str(), "rb");
    *found = file != nullptr;
    if (file != nullptr) {
        for (int c; (c = std::fgetc(file)) != EOF;)
            text.push_back((char)c);
        std::fclose(file);
    }
    return text;
}

// Each output under a temporary name first, renamed only when all are written; one that did
// not change is left alone.
void writeOutputs(const std::string &directory, const std::map<std::string, std::string> &files)
{
    std::vector<std::string> renames;
    for (const auto &[name, text] : files) {
        std::string path = directory + "/" + name;
        bool found = false;
        if (readWhole(path, &found) == text && found)
            continue;
        FILE *file = std::fopen((path + ".tmp").c_str(), "wb");
        if (file == nullptr || std::fwrite(text.data(), 1, text.size(), file) != text.size() ||
            std::fclose(file) != 0) {
            std::fprintf(stderr, "productgen: cannot write %s.tmp: %s\n", path.c_str(), std::strerror(errno));
            std::exit(1);
        }
        renames.push_back(path);
    }
    for (const std::string &path : renames)
        if (std::rename((path + ".tmp").c_str(), path.c_str()) != 0) {
            std::fprintf(stderr, "productgen: cannot rename %s.tmp: %s\n", path.c_str(), std::strerror(errno));
            std::exit(1);
        }
}

}  // namespace

int main(int argc, char **argv)
{
    std::string directory;
    std::map<std::string, std::string> programs;
    bool understood = argc % 2 == 1;
    for (int i = 1; understood && i + 1 < argc; i += 2) {
        std::string flag = argv[i], value = argv[i + 1];
        size_t equals = value.find('=');
        if (flag == "--product")
            productFile = value;
        else if (flag == "--output-dir")
            directory = value;
        else if (flag == "--program" && equals != std::string::npos)
            programs[value.substr(0, equals)] = value.substr(equals + 1);
        else
            understood = false;
    }
    if (!understood || productFile.empty() || directory.empty()) {
        std::fprintf(stderr, "usage: productgen --product FILE --output-dir DIR [--program NAME=TARGET]...\n");
        return 2;
    }
    // A failed run leaves no outputs: the build stops instead of going on with older ones.
    for (const char *name : {"settings.cpp", "agreement.cpp", "payload.manifest.in", "product.cmake"})
        std::remove((directory + "/" + name).c_str());

    if (!isFile(productFile)) {
        std::fprintf(stderr, "%s: no such product file\n", productFile.c_str());
        return 1;
    }
    toml::table root;
    try {
        root = toml::parse_file(productFile);
    } catch (const toml::parse_error &error) {
        fail(error.source().begin.line, std::string(error.description()));
    }
    Product product;
    readRelease(root, product);
    readSettings(root, product);
    readPayload(root, product, programs);
    const std::string *s = product.settings;
    const toml::node *settings = root.get("settings");
    auto settingLine = [&](const char *key) {
        return lineOf(settings->as_table()->get(key), lineOf(settings));
    };
    if (!inPayload(product, s[PROGRAM]))
        fail(settingLine("programFileName"),
             "programFileName \"" + s[PROGRAM] + "\" is not a [[payload]] name");
    if (!s[SERVICE_FILE].empty() && !inPayload(product, s[SERVICE_FILE]))
        fail(settingLine("serviceFileName"),
             "serviceFileName \"" + s[SERVICE_FILE] + "\" is not a [[payload]] name");
    if (product.flags[COMPANION] && !inPayload(product, COMPANION_FILE_NAME))
        fail(settingLine("runCompanionInstall"),
             std::string("runCompanionInstall needs ") + COMPANION_FILE_NAME + " in the [[payload]]");
    writeOutputs(directory, outputs(product));
    return 0;
}
