#include "platform/program_arguments.h"

#include <gtest/gtest.h>

namespace {

using Action = ProgramArguments::Action;

struct Row {
  std::vector<std::string> args;
  Action action;
  std::vector<std::string> files;
  bool trace = false;
  bool debug = false;
};

TEST(ProgramArgumentsTest, OptionsFilesAndRefusals) {
  const std::vector<Row> rows = {
      {{}, Action::Run, {}},
      {{"--help"}, Action::Help, {}},
      {{"-h"}, Action::Help, {}},
      {{"--version"}, Action::Version, {}},
      {{"--version", "--help"}, Action::Version, {}},
      {{"a.ini"}, Action::Run, {"a.ini"}},
      {{"--trace", "a.ini", "--debug"}, Action::Run, {"a.ini"}, true, true},
      {{"--", "-odd.ini"}, Action::Run, {"-odd.ini"}},
      {{"--", "--help"}, Action::Run, {"--help"}},
      {{"a.ini", "--", "--", "b"}, Action::Run, {"a.ini", "--", "b"}},
      // Qt's own options are Qt's to read.
      {{"-style", "fusion", "a.ini"}, Action::Run, {"a.ini"}},
      {{"--style=fusion", "-reverse", "-platform", "xcb"}, Action::Run, {}},
      // Everything else that starts with a dash is refused.
      {{"--bogus"}, Action::Refuse, {}},
      {{"-x", "a.ini"}, Action::Refuse, {}},
      {{"-"}, Action::Refuse, {}},
      {{"--help", "--bogus"}, Action::Refuse, {}},
      {{"--trace=1"}, Action::Refuse, {}},
      {{"-style"}, Action::Refuse, {}},
      {{"-reverse=1"}, Action::Refuse, {}},
  };
  for (const Row& row : rows) {
    std::string joined;
    for (const std::string& a : row.args) joined += "[" + a + "]";
    SCOPED_TRACE(joined);
    const ProgramArguments p = ParseProgramArguments(row.args);
    EXPECT_EQ(p.action, row.action);
    if (row.action == Action::Refuse) {
      EXPECT_EQ(p.refusal.rfind("turfwing: ", 0), 0u) << p.refusal;
      EXPECT_EQ(p.refusal.find('\n'), std::string::npos) << "one line";
      continue;
    }
    EXPECT_EQ(p.files, row.files);
    EXPECT_EQ(p.trace, row.trace);
    EXPECT_EQ(p.debug, row.debug);
  }
}

TEST(ProgramArgumentsTest, TheRefusalNamesTheOption) {
  EXPECT_NE(ParseProgramArguments({"a.ini", "--colour"}).refusal.find("'--colour'"), std::string::npos);
}

}  // namespace
