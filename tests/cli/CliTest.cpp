#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "CliCommands.h"

namespace caraudio::cli {
namespace {

struct Result {
    int status;
    std::string out;
    std::string err;
};

std::string Drain(std::FILE* f) {
    std::rewind(f);
    std::string s;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    std::fclose(f);
    return s;
}

Result RunCli(std::vector<std::string_view> args) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    const int status = Run(args, out, err);
    return {status, Drain(out), Drain(err)};
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

TEST(Cli, DumpPrintsTheFactoryImage) {
    const Result r = RunCli({"dump"});
    EXPECT_EQ(r.status, 0);
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 642u);
    EXPECT_EQ(lines[4], "CarAudio:          MainVol =   66(66) = 0x0042  (1 bytes)");
    EXPECT_EQ(lines[30], "CarAudio: Box0_LFliter_Freq = 20000(20000) = 0x4E20  (2 bytes)");
    EXPECT_EQ(lines[42], "CarAudio:       Box0_EQ0_Q =  760(760) = 0x02F8  (2 bytes)");
    EXPECT_EQ(lines[599], "CarAudio: Box0_Param_Threshold =  600(600) = 0x0258  (2 bytes)");
    EXPECT_EQ(lines[617], "CarAudio:        NoiseGate =    0(0) = 0x0000  (1 bytes)");
    EXPECT_TRUE(r.err.empty());
}

TEST(Cli, CommandLineMistakesAreExplained) {
    const struct {
        std::vector<std::string_view> args;
        int status;
        const char* said;
    } cases[] = {
        {{}, 2, "Usage"},
        {{"frobnicate"}, 2, "unknown command 'frobnicate'"},
        {{"dump", "extra"}, 2, "takes no arguments"},
    };
    for (const auto& c : cases) {
        const Result r = RunCli(c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
    }
}

TEST(Cli, HelpListsEveryCommand) {
    const Result r = RunCli({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("  dump "), std::string::npos);
    EXPECT_EQ(RunCli({"--version"}).out.rfind("caraudio-cli ", 0), 0u);
}

}  // namespace
}  // namespace caraudio::cli
