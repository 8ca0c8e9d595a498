#include "support/fixtures.h"
#include "web/json_reader.h"
#include "web/text.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <iostream>
#include <string>
#include <vector>

namespace dealcast::web {
namespace {

// The public conformance corpus: "y_" must be accepted, "n_" is rejected by strict parsers (the reader is
// more lenient, so some pass), "i_" either way. Whatever the verdict, nothing may crash or throw, and an
// accepted document must print as JSON that reads back to the same text.
TEST(JsonCorpus, AcceptsEveryValidDocumentAndSurvivesTheRest)
{
    const auto folder = test::sharedTestdataDir() / "json-test-suite" / "test_parsing";
    ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder;
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    ASSERT_GE(files.size(), 300u);

    int seen[3] = {}, accepted[3] = {};
    std::vector<std::string> lenientPasses;
    for (const auto& file : files) {
        const std::string name = file.filename().string();
        SCOPED_TRACE(name);
        const std::string text = test::readFileBytes(file);
        JsonReader json;
        const bool ok = json.parse(text);
        const int kind = name.starts_with("y_") ? 0 : name.starts_with("n_") ? 1 : 2;
        ++seen[kind];
        accepted[kind] += ok ? 1 : 0;
        if (kind == 0) {
            EXPECT_EQ(ok, trim(text) != "null");  // a lone null is not data
        }
        if (kind == 1 && ok)
            lenientPasses.push_back(name);
        if (!ok) {
            EXPECT_EQ(json.toText(), "null");
            continue;
        }
        const std::string printed = json.toText();
        JsonReader again;
        ASSERT_TRUE(again.parse(printed)) << printed;
        EXPECT_EQ(again.toText(), printed);
    }
    std::cout << "[ corpus   ] y_ accepted " << accepted[0] << "/" << seen[0] << ", n_ accepted " << accepted[1] << "/"
              << seen[1] << ", i_ accepted " << accepted[2] << "/" << seen[2] << "\n";
    for (const auto& name : lenientPasses)
        std::cout << "[ corpus   ] lenient pass: " << name << "\n";
}

}  // namespace
}  // namespace dealcast::web
