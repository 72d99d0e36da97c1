// The command line: what each command accepts, and the usage errors for everything else.
#include <gtest/gtest.h>

#include "cli/cli_error.h"
#include "cli/command_line.h"
#include "cli/help_text.h"

namespace zarpacli {
namespace {

Options parse(std::vector<std::string> args) { return parseCommandLine(args); }

// The message of the usage error that parsing these arguments raises ("" when it parses).
std::string usageMessage(std::vector<std::string> args) {
    try {
        parseCommandLine(args);
    } catch (const CliError& e) {
        EXPECT_EQ(e.exitCode(), kExitUsage);
        return e.what();
    }
    return "";
}

TEST(CommandLine, RenderTakesOptionsInBothSpellingsAndKeepsTheSetsInOrder) {
    Options o = parse({"render", "in.wav", "--preset", "CD Master 1", "--set", "Drive=+6dB", "out.flac",
                       "--set=Release=120ms", "--bits=24", "--block", "64", "--double", "--keep-latency", "--force",
                       "--json", "--quiet", "--plugin", "p.so", "--save-chunk", "c.bin"});
    EXPECT_EQ(o.command, Command::Render);
    EXPECT_EQ(o.files, (std::vector<std::string>{"in.wav", "out.flac"}));
    EXPECT_EQ(o.settings.preset, "CD Master 1");
    EXPECT_EQ(o.settings.sets, (std::vector<std::string>{"Drive=+6dB", "Release=120ms"}));
    EXPECT_EQ(o.bits, "24");
    EXPECT_EQ(o.blockSize, 64);
    EXPECT_TRUE(o.useDouble && o.keepLatency && o.force && o.json && o.quiet);
    EXPECT_EQ(o.pluginPath, "p.so");
    EXPECT_EQ(o.saveChunk, "c.bin");
}

TEST(CommandLine, FilesAfterDoubleDashMayStartWithADash) {
    Options o = parse({"render", "--", "-in.wav", "-out.wav"});
    EXPECT_EQ(o.files, (std::vector<std::string>{"-in.wav", "-out.wav"}));
}

TEST(CommandLine, BankFileWithProgramAndChunkAreAccepted) {
    Options o = parse({"params", "--bank-file", "b.okb", "--program", "23"});
    EXPECT_EQ(o.settings.bankFile, "b.okb");
    EXPECT_EQ(o.settings.program, 23);
    EXPECT_EQ(parse({"params", "--chunk", "c.bin", "--program", "0"}).settings.program, 0);
}

TEST(CommandLine, DemoAndAnalyzeTakeTheirFiles) {
    EXPECT_TRUE(parse({"demo"}).files.empty());
    EXPECT_EQ(parse({"demo", "x.wav", "--seconds", "2.5"}).demoSeconds, 2.5);
    EXPECT_EQ(parse({"analyze", "a.wav", "b.flac"}).files.size(), 2u);
    EXPECT_EQ(parse({"--help"}).command, Command::Help);
    EXPECT_EQ(parse({"render", "-", "-"}).files, (std::vector<std::string>{"-", "-"}));
}

TEST(CommandLine, OptionsMayStandBeforeTheCommand) {
    Options o = parse({"--plugin", "p.so", "--json", "render", "--force", "in.wav", "out.wav", "--set", "Drive=+1dB"});
    EXPECT_EQ(o.command, Command::Render);
    EXPECT_EQ(o.files, (std::vector<std::string>{"in.wav", "out.wav"}));
    EXPECT_EQ(o.pluginPath, "p.so");
    EXPECT_TRUE(o.json && o.force);
    EXPECT_EQ(parse({"--quiet", "analyze", "a.wav"}).files, (std::vector<std::string>{"a.wav"}));
    // An option placed before the command is still checked against it.
    EXPECT_NE(usageMessage({"--bits", "16", "presets"}).find("does not apply to 'presets'"), std::string::npos);
    EXPECT_EQ(parse({"--version"}).command, Command::Version);
    EXPECT_EQ(parse({"render", "a.wav", "b.wav", "--version"}).command, Command::Version);
}

TEST(CommandLine, HelpAfterACommandOrNamingOneAsksForThatCommandsHelp) {
    for (auto args : std::vector<std::vector<std::string>>{
             {"render", "--help"}, {"render", "in.wav", "-h"}, {"--help", "render"}, {"help", "render"},
             {"render", "a", "b", "c", "--help"}}) {  // help wins over what would be a usage error
        Options o = parse(args);
        EXPECT_EQ(o.command, Command::Help);
        EXPECT_EQ(o.helpTopic, Command::Render) << args[0] << " " << args[1];
    }
    EXPECT_EQ(parse({"analyse", "--help"}).helpTopic, Command::Analyze);
    EXPECT_FALSE(parse({"help"}).helpTopic);
    EXPECT_FALSE(parse({"-h"}).helpTopic);
    EXPECT_NE(usageMessage({"help", "frobnicate"}).find("unknown command 'frobnicate'"), std::string::npos);
}

TEST(CommandLine, EachCommandsHelpListsItsOwnOptionsOnly) {
    const std::string render = commandHelp(Command::Render);
    EXPECT_EQ(render.rfind("usage: zarpa render", 0), 0u);
    for (const char* option : {"--set NAME=VALUE", "--bits", "--force", "--plugin", "--json"})
        EXPECT_NE(render.find(option), std::string::npos) << option;
    const std::string analyze = commandHelp(Command::Analyze);
    EXPECT_EQ(analyze.find("--set"), std::string::npos);
    EXPECT_EQ(analyze.find("--bits"), std::string::npos);
    EXPECT_NE(commandHelp(Command::Demo).find("--seconds"), std::string::npos);
    EXPECT_EQ(render.find("--seconds"), std::string::npos);
}

TEST(CommandLine, SeveralInputsNeedAnOutputFolderAndJobsNeedABatch) {
    Options o = parse({"render", "a.wav", "b.flac", "c.wav", "--outdir", "masters", "-j4"});
    EXPECT_EQ(o.files.size(), 3u);
    EXPECT_EQ(o.outDir, "masters");
    EXPECT_EQ(o.jobs, 4);
    EXPECT_EQ(parse({"render", "a.wav", "--outdir=m", "--jobs", "2"}).jobs, 2);
    EXPECT_EQ(parse({"-j", "3", "render", "a.wav", "--outdir", "m"}).jobs, 3);
    EXPECT_FALSE(parse({"render", "a.wav", "--outdir", "m"}).jobs);
    EXPECT_NE(usageMessage({"render", "a", "b", "c"}).find("several inputs with --outdir"), std::string::npos);
    EXPECT_NE(usageMessage({"render", "a", "b", "-j", "2"}).find("it needs --outdir"), std::string::npos);
    EXPECT_NE(usageMessage({"render", "a", "--outdir", "m", "-j0"}).find("-j takes a whole number from 1"),
              std::string::npos);
    EXPECT_NE(usageMessage({"render", "--outdir", "m"}).find("one or more input files"), std::string::npos);
    EXPECT_NE(usageMessage({"render", "a", "b", "--outdir", "m", "--plot", "p.png"}).find("put {} where the input"),
              std::string::npos);
    EXPECT_EQ(parse({"render", "a", "b", "--outdir", "m", "--report", "r/{}.json"}).reportFile, "r/{}.json");
    EXPECT_NE(usageMessage({"demo", "--outdir", "m"}).find("does not apply to 'demo'"), std::string::npos);
}

TEST(CommandLine, RefusesUnknownCommandsAndOptions) {
    EXPECT_NE(usageMessage({}).find("no command"), std::string::npos);
    EXPECT_NE(usageMessage({"rendr"}).find("unknown command 'rendr'"), std::string::npos);
    EXPECT_NE(usageMessage({"render", "a", "b", "--drive"}).find("unknown option '--drive'"), std::string::npos);
    EXPECT_NE(usageMessage({"presets", "--bits", "16"}).find("does not apply to 'presets'"), std::string::npos);
    EXPECT_NE(usageMessage({"analyze", "a.wav", "--set", "Drive=1"}).find("does not apply"), std::string::npos);
    EXPECT_NE(usageMessage({"render", "a", "b", "--double=1"}).find("takes no value"), std::string::npos);
    EXPECT_NE(usageMessage({"render", "a", "b", "--preset"}).find("needs a value"), std::string::npos);
}

TEST(CommandLine, RefusesBadNumbers) {
    for (const char* block : {"0", "65537", "12x", "-4"})
        EXPECT_NE(usageMessage({"render", "a", "b", "--block", block}).find("--block takes a whole number"),
                  std::string::npos)
            << block;
    EXPECT_NE(usageMessage({"params", "--bank-file", "b", "--program", "24"}).find("from 0 to 23"), std::string::npos);
    EXPECT_NE(usageMessage({"demo", "--seconds", "0.5"}).find("--seconds"), std::string::npos);
}

TEST(CommandLine, EmptyValuesAreUsageErrorsNotAbsentOptions) {
    for (const char* option : {"--preset", "--chunk", "--bits", "--format", "--block", "--save-chunk", "--plugin"}) {
        EXPECT_NE(usageMessage({"render", "a", "b", option, ""}).find("needs a value"), std::string::npos) << option;
        EXPECT_NE(usageMessage({"render", "a", "b", std::string(option) + "="}).find("needs a value"), std::string::npos)
            << option;
    }
}

TEST(CommandLine, RefusesContradictionsAndWrongFileCounts) {
    EXPECT_NE(usageMessage({"params", "--program", "3"}).find("use --preset"), std::string::npos);
    EXPECT_NE(usageMessage({"params", "--bank-file", "b", "--program", "3", "--preset", "x"}).find("not both"),
              std::string::npos);
    EXPECT_NE(usageMessage({"render", "only-in.wav"}).find("an input and an output"), std::string::npos);
    EXPECT_NE(usageMessage({"render", "a", "b", "c"}).find("an input and an output"), std::string::npos);
    EXPECT_NE(usageMessage({"analyze"}).find("one or more"), std::string::npos);
    EXPECT_NE(usageMessage({"info", "x"}).find("takes no file"), std::string::npos);
    EXPECT_NE(usageMessage({"render", "a", "b", "--set", "Drive"}).find("NAME=VALUE"), std::string::npos);
    EXPECT_NE(usageMessage({"render", "a", "b", "--set", "=3"}).find("NAME=VALUE"), std::string::npos);
}

}  // namespace
}  // namespace zarpacli
