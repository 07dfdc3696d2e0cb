#include "platform/posix/command_line.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

using Arguments = std::vector<std::string>;

TEST(CommandLineTest, QuotesOnlyWhatNeedsIt) {
  EXPECT_EQ(QuoteArgument("plain"), "plain");
  EXPECT_EQ(QuoteArgument("C:\\dir\\file"), "C:\\dir\\file");
  EXPECT_EQ(QuoteArgument(""), "\"\"");
  EXPECT_EQ(QuoteArgument("two words"), "\"two words\"");
  EXPECT_EQ(QuoteArgument("tab\there"), "\"tab\there\"");
  EXPECT_EQ(QuoteArgument("say \"hi\""), "\"say \\\"hi\\\"\"");
  // Backslashes double only before a quote, including the closing one.
  EXPECT_EQ(QuoteArgument("a b\\"), "\"a b\\\\\"");
  EXPECT_EQ(QuoteArgument("a\\\\b c"), "\"a\\\\b c\"");
  EXPECT_EQ(QuoteArgument("x\\\"y"), "\"x\\\\\\\"y\"");
}

TEST(CommandLineTest, JoinsWithSingleBlanks) {
  EXPECT_EQ(JoinCommandLine({"/usr/bin/tarnwell", "/install", "", "a b"}),
            "/usr/bin/tarnwell /install \"\" \"a b\"");
  EXPECT_EQ(JoinCommandLine({}), "");
}

TEST(CommandLineTest, SplitsByWindowsRules) {
  EXPECT_EQ(CommandLineToArgv(""), Arguments{});
  EXPECT_EQ(CommandLineToArgv("  \t "), Arguments{});
  EXPECT_EQ(CommandLineToArgv("ADD  \"HKLM\\Soft ware\" /V x"),
            (Arguments{"ADD", "HKLM\\Soft ware", "/V", "x"}));
  EXPECT_EQ(CommandLineToArgv("a\"b c\"d e"), (Arguments{"ab cd", "e"}));
  EXPECT_EQ(CommandLineToArgv("\"\" x"), (Arguments{"", "x"}));
  EXPECT_EQ(CommandLineToArgv("\"unclosed stretch"), (Arguments{"unclosed stretch"}));
  // Backslashes: literal unless before a quote, where they are halved and an
  // odd one makes the quote literal.
  EXPECT_EQ(CommandLineToArgv("C:\\a\\b\\ c"), (Arguments{"C:\\a\\b\\", "c"}));
  EXPECT_EQ(CommandLineToArgv("a\\\\\"b c\""), (Arguments{"a\\b c"}));
  EXPECT_EQ(CommandLineToArgv("a\\\\\\\"b"), (Arguments{"a\\\"b"}));
  EXPECT_EQ(CommandLineToArgv("\"a\\\"b\""), (Arguments{"a\"b"}));
  // Runs of quotes: a third quote in a run is literal.
  EXPECT_EQ(CommandLineToArgv("\"a\"\"b\""), (Arguments{"a\"b"}));
  EXPECT_EQ(CommandLineToArgv("\"\"\"x\"\"\" y"), (Arguments{"\"x\"", "y"}));
  EXPECT_EQ(CommandLineToArgv("\"a\"\" b\""), (Arguments{"a\"", "b"}));
}

TEST(CommandLineTest, QuotingRoundTripsThroughTheSplitter) {
  const Arguments cases[] = {
      {"IMPORT", "C:\\Program Files\\reg.dat"},
      {"", "", "x"},
      {"trailing\\", "trailing space\\", "\\\\server\\share dir\\"},
      {"\"", "\\\"", "\"\"\"", "a\"b\\\"c d"},
      {"tab\tand\nnewline", "caf\xc3\xa9 na\xc3\xafve"},
  };
  for (const Arguments& arguments : cases)
    EXPECT_EQ(CommandLineToArgv(JoinCommandLine(arguments)), arguments);
}

}  // namespace
}  // namespace platform
