// The layer rule of src/: each folder includes only its own layer and those below it, apart from
// the shared headers and the upward reaches that docs/architecture.md lists file by file. The
// rule is read from that page, so the page and the code cannot drift apart. The render layer
// also may not reach the document, the selection band or the plug-in managers through the
// application object, a reach no include line shows.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{

const fs::path kRoot = fs::path(ZN_TEST_DATA_DIR) / ".." / "..";

struct LayerRule {
    std::map<std::string, std::set<std::string>> allowedFolders; // folder -> folders it may include
    std::set<std::string> sharedHeaders;                         // reachable from above platform
    std::map<std::string, std::set<std::string>> exceptions;     // src/ file -> headers
};

std::vector<std::string> Cells(const std::string &row)
{
    std::vector<std::string> cells;
    std::stringstream in(row);
    std::string cell;
    std::getline(in, cell, '|'); // text before the first bar
    while (std::getline(in, cell, '|'))
        cells.push_back(cell);
    return cells;
}

std::vector<std::string> Quoted(const std::string &cell)
{
    std::vector<std::string> words;
    static const std::regex quoted("`([^`]+)`");
    for (std::sregex_iterator it(cell.begin(), cell.end(), quoted), end; it != end; ++it)
        words.push_back((*it)[1]);
    return words;
}

LayerRule ReadRule(const fs::path &page)
{
    LayerRule rule;
    std::ifstream in(page);
    std::string line, section;
    while (std::getline(in, line)) {
        if (line.rfind("## ", 0) == 0) {
            section = line.substr(3);
            continue;
        }
        if (line.rfind("| `", 0) != 0)
            continue;
        std::vector<std::string> cells = Cells(line);
        if (cells.empty())
            continue;
        std::vector<std::string> first = Quoted(cells[0]);
        if (first.size() != 1)
            continue;
        if (section.rfind("Layers", 0) == 0 && cells.size() >= 2) {
            for (const std::string &folder : Quoted(cells[1]))
                rule.allowedFolders[first[0]].insert(folder);
        } else if (section.rfind("Headers every layer", 0) == 0) {
            rule.sharedHeaders.insert(first[0]);
        } else if (section.rfind("Upward reaches", 0) == 0 && cells.size() >= 2) {
            for (const std::string &header : Quoted(cells[1]))
                rule.exceptions[first[0]].insert(header);
        }
    }
    return rule;
}

struct Include {
    std::string file; // relative to the repository, "src/scene/face.cpp"
    std::string header;
    bool system;
};

std::vector<Include> ReadIncludes()
{
    std::vector<Include> includes;
    static const std::regex include(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    for (const fs::directory_entry &entry : fs::recursive_directory_iterator(kRoot / "src")) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp"))
            continue;
        const std::string file = fs::relative(entry.path(), kRoot).generic_string();
        std::ifstream in(entry.path());
        std::string line;
        std::smatch m;
        while (std::getline(in, line))
            if (std::regex_search(line, m, include))
                includes.push_back({file, m[2], m[1] == "<"});
    }
    return includes;
}

// "src/render/view/x.cpp" -> "render"; "render/image/image.h" -> "render".
std::string FolderOf(const std::string &path)
{
    std::string p = path.rfind("src/", 0) == 0 ? path.substr(4) : path;
    return p.substr(0, p.find('/'));
}

TEST(IncludeRule, EverySourceKeepsToItsLayer)
{
    const LayerRule rule = ReadRule(kRoot / "docs" / "architecture.md");
    ASSERT_GE(rule.allowedFolders.size(), 7u) << "the layer table of docs/architecture.md was not found";
    ASSERT_FALSE(rule.sharedHeaders.empty());

    const std::vector<Include> includes = ReadIncludes();
    ASSERT_GT(includes.size(), 100u);

    std::vector<std::string> violations;
    std::set<std::pair<std::string, std::string>> usedExceptions;
    for (const Include &inc : includes) {
        const std::string from = FolderOf(inc.file);
        if (inc.system) {
            // Qt stays in the platform layers and the shell.
            if (inc.header.size() > 1 && inc.header[0] == 'Q' && from != "platform" && from != "ui")
                violations.push_back(inc.file + " includes <" + inc.header + ">");
            continue;
        }
        if (inc.header.find('/') == std::string::npos)
            continue; // beside the including file
        const std::string to = FolderOf(inc.header);
        auto allowed = rule.allowedFolders.find(from);
        if (allowed != rule.allowedFolders.end() && allowed->second.count(to))
            continue;
        if (from != "platform" && rule.sharedHeaders.count(inc.header))
            continue;
        auto listed = rule.exceptions.find(inc.file);
        if (listed != rule.exceptions.end() && listed->second.count(inc.header)) {
            usedExceptions.insert({inc.file, inc.header});
            continue;
        }
        violations.push_back(inc.file + " includes \"" + inc.header + "\"");
    }
    for (const auto &[file, headers] : rule.exceptions)
        for (const std::string &header : headers)
            if (!usedExceptions.count({file, header}))
                violations.push_back("docs/architecture.md lists " + file + " -> " + header +
                                     ", which no longer exists: remove the line");

    std::string report;
    for (const std::string &v : violations)
        report += "\n  " + v;
    EXPECT_TRUE(violations.empty()) << "reaches the layer rule of docs/architecture.md does not allow:" << report;
}

// The views draw and forward input; the document and the selection band reach them through the
// view's source and input. A call through the application object is a reach the include check
// above cannot see, so it is looked for here.
TEST(IncludeRule, RenderCallsNothingOfTheEditorThroughTheApplication)
{
    static const std::regex call(
        R"(\b(GetDocument|GetSelectionBand|GetPrimitivePluginManager|GetEntityPluginManager)\s*\(\s*\))");
    std::vector<std::string> violations;
    int scanned = 0;
    for (const fs::directory_entry &entry : fs::recursive_directory_iterator(kRoot / "src" / "render")) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp"))
            continue;
        ++scanned;
        const std::string file = fs::relative(entry.path(), kRoot).generic_string();
        std::ifstream in(entry.path());
        std::string line;
        std::smatch m;
        for (int number = 1; std::getline(in, line); ++number) {
            const std::string code = line.substr(0, line.find("//"));
            if (!std::regex_search(code, m, call))
                continue;
            violations.push_back(file + ":" + std::to_string(number) + " calls " + m[1].str() + "()");
        }
    }
    ASSERT_GT(scanned, 20) << "src/render was not found";

    std::string report;
    for (const std::string &v : violations)
        report += "\n  " + v;
    EXPECT_TRUE(violations.empty()) << "render/ reaches the editor through the application object:" << report;
}

} // namespace
