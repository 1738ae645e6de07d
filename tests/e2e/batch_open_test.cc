// --open: the report handed to the desktop's browser once it is written,
// and where none can be started, where the report is said instead.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "tests/e2e/run_batch.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::kClass;
using testing_support::read_bytes;
using testing_support::RunOptions;
using testing_support::RunResult;
using testing_support::write_bytes;

// ccsim-batch with a stand-in xdg-open that logs what it is given and exits
// with `status`.
RunResult with_viewer(const std::string& dir, int status, std::vector<std::string> args) {
  mkdir((dir + "/bin").c_str(), 0755);
  write_bytes(dir + "/bin/xdg-open", "#!/bin/sh\necho \"$1\" >> \"" + dir + "/opened.log\"\nexit " +
                                         std::to_string(status) + "\n");
  chmod((dir + "/bin/xdg-open").c_str(), 0755);
  RunOptions options;
  options.args = std::move(args);
  options.directory = dir;
  options.path_env = dir + "/bin:/usr/bin:/bin";
  return testing_support::run_binary(CCSIM_BATCH_BINARY, options);
}

TEST(BatchOpen, TheReportIsOpenedOnceWrittenOrWhereItIsIsSaid) {
  testing_support::ScopedTempDir dir;
  const RunResult shown = with_viewer(dir.path(), 0, {"--quiet", "--open", "--report", "r.html", kClass});
  EXPECT_EQ(1, shown.exit_status);  // the verdict's status, as without --open
  EXPECT_EQ("", shown.err);
  EXPECT_NE(std::string::npos, read_bytes("r.html").find("</html>"));
  EXPECT_EQ("r.html\n", read_bytes("opened.log"));

  // A desktop-less machine: xdg-open is there but opens nothing.
  const RunResult failed = with_viewer(dir.path(), 3, {"--quiet", "--open", "--report", "s.html", kClass});
  EXPECT_EQ(1, failed.exit_status);
  EXPECT_EQ("ccsim-batch: no browser could be started; the report is " + dir.path() + "/s.html\n",
            failed.err);
  EXPECT_EQ(shown.out, failed.out);
  EXPECT_NE(std::string::npos, read_bytes("s.html").find("</html>"));
}

TEST(BatchOpen, OpenWithoutAReportIsAnInputError) {
  const RunResult r = testing_support::batch({"--open", kClass});
  EXPECT_EQ(2, r.exit_status);
  EXPECT_NE(std::string::npos, r.err.find("--open opens the report: give it with --report"));
  EXPECT_EQ("", r.out);
}

}  // namespace
