// The command-line table in process: the help made from it and the parse of bytes.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tools/commandline.h"

namespace {

CommandSpec Sample() {
    CommandSpec spec;
    spec.usage = "usage: trellion-cli sample [-o OUT] FILE...\n";
    spec.description = "Does nothing.\n";
    spec.options = {
        Flag({"json"}, "print JSON"),
        Valued({"o", "output"}, "OUT", "where to write;\nthe second line", "a.out"),
        Valued({"pps"}, "N", "the rate; default {default}", "30000"),
    };
    spec.closing = "Exit status: 0.\n";
    return spec;
}

CommandLine::Outcome Parse(CommandLine& line, std::vector<std::string> args) {
    args.insert(args.begin(), "sample");
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    static CommandSpec spec = Sample();
    return line.Parse("sample", spec, static_cast<int>(argv.size()), argv.data());
}

TEST(CommandLineTable, HelpIsMadeFromTheTable) {
    EXPECT_EQ(HelpText(Sample()), "usage: trellion-cli sample [-o OUT] FILE...\n"
                                  "\n"
                                  "Does nothing.\n"
                                  "\n"
                                  "  --json            print JSON\n"
                                  "  -o, --output OUT  where to write;\n"
                                  "                    the second line\n"
                                  "  --pps N           the rate; default 30000\n"
                                  "\n"
                                  "Exit status: 0.\n");
    CommandSpec fixed = Sample();
    fixed.helpColumn = 24;
    EXPECT_NE(HelpText(fixed).find("\n  --json" + std::string(16, ' ') + "print JSON\n"),
              std::string::npos);
}

TEST(CommandLineTable, ValuesAndOperandsKeepTheirBytes) {
    CommandLine line;
    const std::string latin = "caf\xe9.ild";
    const std::string broken = "\xff\xfe-\x80";
    ASSERT_EQ(Parse(line, {"--output=" + broken, latin, "-", "--", "-x", "--json"}),
              CommandLine::Run);
    EXPECT_EQ(line.Value("o"), broken);
    EXPECT_EQ(line.Operands(), (std::vector<std::string>{latin, "-", "-x", "--json"}));
    EXPECT_FALSE(line.IsSet("json"));
    EXPECT_EQ(line.Value("pps"), "30000") << "the default";
    EXPECT_FALSE(line.IsSet("pps"));
}

TEST(CommandLineTable, EveryFormGivesTheSameValue) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"-o", "v"}, {"-o=v"}, {"--output", "v"}, {"--output=v"}, {"-o", "x", "--output=v"}}) {
        CommandLine line;
        ASSERT_EQ(Parse(line, args), CommandLine::Run) << args.front();
        EXPECT_TRUE(line.IsSet("o"));
        EXPECT_EQ(line.Value("o"), "v") << args.front();
        EXPECT_TRUE(line.Operands().empty());
    }
}

TEST(CommandLineTable, FaultsAreUsageErrors) {
    const struct {
        const char* name;
        std::vector<std::string> args;
        CommandLine::Outcome outcome;
    } rows[] = {
        {"unknown long", {"--fast", "f"}, CommandLine::UsageError},
        {"unknown short", {"-xyz", "f"}, CommandLine::UsageError},
        {"missing value", {"f", "--pps"}, CommandLine::UsageError},
        {"flag with value", {"--json=1", "f"}, CommandLine::UsageError},
        {"help wins", {"--fast", "--help"}, CommandLine::ShowedHelp},
        {"version wins", {"--help", "--version"}, CommandLine::WantsVersion},
        {"help after -- is a name", {"--", "--help"}, CommandLine::Run},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        testing::internal::CaptureStderr();
        testing::internal::CaptureStdout();
        CommandLine line;
        EXPECT_EQ(Parse(line, row.args), row.outcome);
        const std::string err = testing::internal::GetCapturedStderr();
        testing::internal::GetCapturedStdout();
        if (row.outcome == CommandLine::UsageError) {
            EXPECT_EQ(err.rfind("trellion-cli sample: ", 0), 0u) << err;
            EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        }
    }
}

} // namespace
