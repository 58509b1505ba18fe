// The walk's two ways of examining entries (many look-ups in flight through an
// io_uring ring, or one call each) and its widths give byte-identical records,
// on a local tree of odd names and through a FUSE mount whose every answer
// waits; a ring the system refuses falls back with one line in --verbose; a
// cancel stops a walk with many requests in flight within a second.
#include <fcntl.h>
#include <seccomp.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_system_kind.h"
#include "support/latency_mirror.h"
#include "tests/cli/cli_fixture.h"

namespace tallyfold::test {
namespace {

// Names that trip up quoting, field splitting, encodings and length limits,
// a folder large enough for several listing batches and several rounds of
// requests, links of every kind and a pipe.
void makeOddTree(const TempDir& tree, bool large = true) {
  const std::vector<std::string> names = {
      "with space",   "tab\there",           "new\nline",    "pipe|bar", "-dash",
      "ünïcødé ✓",    "bad\xff\xfe bytes",   "quote'\"mark", "*star?",   "back\\slash",
      "semi;colon.a", std::string(250, 'n'), ".hidden.txt",  "%s%n",     "end."};
  for (size_t i = 0; i < names.size(); ++i) {
    tree.writeFile("odd/" + names[i], std::string(i, 'o'));
    tree.writeFile("odd/" + names[i] + " dir/inner.txt", "in");
  }
  for (int i = 0; large && i < 3000; ++i) {
    tree.writeFile("big/entry-with-a-longer-name-" + std::to_string(i) + ".dat",
                   std::string(i % 17, 'b'));
  }
  for (int a = 0; a < 8; ++a) {
    for (int b = 0; b < 8; ++b) {
      tree.writeFile("deep/" + std::to_string(a) + "/" + std::to_string(b) + "/leaf.txt",
                     std::string(a + b, 'l'));
    }
  }
  tree.makeDir(".hidden folder");
  tree.writeFile(".hidden folder/seen.txt", "s");
  ASSERT_EQ(symlink("../deep", (tree / "odd/link to folder").c_str()), 0);
  ASSERT_EQ(symlink("with space", (tree / "odd/link to file").c_str()), 0);
  ASSERT_EQ(symlink("missing", (tree / "odd/dangling").c_str()), 0);
  ASSERT_EQ(mkfifo((tree / "odd/pipe").c_str(), 0600), 0);
}

class CliWalkBackends : public CliFixture {
 protected:
  ProcessResult records(const std::string& folder, std::vector<std::string> extra = {},
                        const std::map<std::string, std::string>& more = {},
                        const std::function<void()>& inChild = {}) const {
    std::vector<std::string> args{"--records", "-0", "-q", "--verbose"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(folder);
    std::map<std::string, std::string> environment = env();
    for (const auto& [key, value] : more) environment[key] = value;
    return runProgram(cliPath(), args, environment, {}, -1, inChild);
  }
};

// The verbose line about the walk, the rest of standard error kept.
std::string withoutWalkLine(const std::string& err, std::string* walkLine = nullptr) {
  const size_t start = err.find("tallyfold-cli: walk: ");
  if (start == std::string::npos) return err;
  const size_t end = err.find('\n', start);
  if (walkLine != nullptr) *walkLine = err.substr(start, end - start);
  return err.substr(0, start) + err.substr(end + 1);
}

// The io_uring set-up refused as a container's system call filter refuses it.
void refuseRings() {
  scmp_filter_ctx filter = seccomp_init(SCMP_ACT_ALLOW);
  if (filter == nullptr ||
      seccomp_rule_add(filter, SCMP_ACT_ERRNO(EPERM), SCMP_SYS(io_uring_setup), 0) != 0 ||
      seccomp_load(filter) != 0) {
    _exit(124);
  }
}

TEST_F(CliWalkBackends, OddNamesGiveTheSameRecordsWithEveryBackendAndWidth) {
  makeOddTree(tree);
  ProcessResult reference = records(tree.path(), {"--threads", "1"}, {{"TALLYFOLD_WALK", "plain"}});
  ASSERT_EQ(reference.exitCode, 0) << reference.err;
  std::string walkLine;
  EXPECT_EQ(withoutWalkLine(reference.err, &walkLine), "");
  EXPECT_EQ(walkLine,
            "tallyfold-cli: walk: one look-up per call (getdents64 + fstatat); io_uring: turned "
            "off by TALLYFOLD_WALK=plain");
  // Every file of the tree is there, odd names byte for byte.
  EXPECT_NE(reference.out.find(tree.path() + "/odd/|new\nline|"), std::string::npos);
  EXPECT_NE(reference.out.find(tree.path() + "/odd/|bad\xff\xfe bytes|"), std::string::npos);
  EXPECT_NE(reference.out.find(tree.path() + "/odd/|link to file|"), std::string::npos);
  EXPECT_NE(reference.out.find(tree.path() + "/.hidden folder/|seen.txt|"), std::string::npos);
  EXPECT_GT(std::count(reference.out.begin(), reference.out.end(), '\0'), 3000 + 64 + 30);

  for (const char* walk : {"plain", "ring", "chosen"}) {
    for (const char* threads : {"", "1", "2", "7", "48"}) {
      std::vector<std::string> extra;
      if (*threads != '\0') extra = {"--threads", threads};
      ProcessResult run = records(tree.path(), extra, {{"TALLYFOLD_WALK", walk}});
      SCOPED_TRACE(std::string(walk) + " threads " + threads);
      EXPECT_EQ(run.exitCode, 0);
      EXPECT_TRUE(run.out == reference.out);
      EXPECT_EQ(withoutWalkLine(run.err), "");
    }
  }
}

TEST_F(CliWalkBackends, ARefusedRingFallsBackWithOneVerboseLine) {
  makeOddTree(tree);
  ProcessResult chosen = records(tree.path());
  ASSERT_EQ(chosen.exitCode, 0) << chosen.err;
  std::string walkLine;
  withoutWalkLine(chosen.err, &walkLine);
  EXPECT_EQ(walkLine,
            "tallyfold-cli: walk: io_uring, up to 128 look-ups in flight per thread, on NFS, "
            "SMB, FUSE, 9p and Ceph; one look-up per call (getdents64 + fstatat) on local disks");
  ProcessResult withRing = records(tree.path(), {}, {{"TALLYFOLD_WALK", "ring"}});
  ASSERT_EQ(withRing.exitCode, 0) << withRing.err;
  withoutWalkLine(withRing.err, &walkLine);
  EXPECT_EQ(walkLine,
            "tallyfold-cli: walk: io_uring, up to 128 look-ups in flight per thread, on every "
            "file system");
  EXPECT_TRUE(chosen.out == withRing.out);

  ProcessResult refused = records(tree.path(), {}, {{"TALLYFOLD_WALK", "ring"}}, refuseRings);
  ASSERT_EQ(refused.exitCode, 0) << refused.err;
  EXPECT_EQ(withoutWalkLine(refused.err, &walkLine), "");
  EXPECT_EQ(walkLine,
            "tallyfold-cli: walk: one look-up per call (getdents64 + fstatat); io_uring: "
            "Operation not permitted");
  EXPECT_TRUE(refused.out == withRing.out);

  // Without --verbose the fallback is silent.
  ProcessResult quiet =
      runProgram(cliPath(), {"--records", "-q", tree.path()}, env(), {}, -1, refuseRings);
  EXPECT_EQ(quiet.exitCode, 0);
  EXPECT_EQ(quiet.err, "");
}

// What a walk of the mirror gives with the mirror's path put back to the
// source's, so that both can be compared byte for byte.
std::string asSource(std::string out, const std::string& mirror, const std::string& source) {
  for (size_t at = 0; (at = out.find(mirror, at)) != std::string::npos; at += source.size()) {
    out.replace(at, mirror.size(), source);
  }
  return out;
}

TEST_F(CliWalkBackends, AMirrorThatWaitsGivesTheTreeItsRecordsWithEveryBackend) {
  makeOddTree(tree, false);
  ProcessResult local = records(tree.path());
  ASSERT_EQ(local.exitCode, 0) << local.err;
  LatencyMirror mirror(tree.path(), 1);
  if (!mirror.mounted()) GTEST_SKIP() << mirror.skipReason();
  // A FUSE mount is read many folders at a time, a local folder is not.
  EXPECT_TRUE(isOnDistantFileSystem(mirror.path()));
  EXPECT_FALSE(isOnDistantFileSystem(tree.path()));
  for (const char* walk : {"plain", "ring"}) {
    for (const char* threads : {"", "1", "3"}) {
      std::vector<std::string> extra;
      if (*threads != '\0') extra = {"--threads", threads};
      ProcessResult run = records(mirror.path(), extra, {{"TALLYFOLD_WALK", walk}});
      SCOPED_TRACE(std::string(walk) + " threads " + threads);
      EXPECT_EQ(run.exitCode, 0) << run.err;
      EXPECT_TRUE(asSource(run.out, mirror.path(), tree.path()) == local.out);
    }
  }
}

TEST_F(CliWalkBackends, ACancelStopsAWalkWithManyRequestsInFlightWithinASecond) {
  for (int a = 0; a < 40; ++a) {
    for (int i = 0; i < 200; ++i) tree.writeFile(std::to_string(a) + "/f" + std::to_string(i));
  }
  LatencyMirror mirror(tree.path(), 50);
  if (!mirror.mounted()) GTEST_SKIP() << mirror.skipReason();
  for (const char* walk : {"ring", "plain"}) {
    SCOPED_TRACE(walk);
    const std::map<std::string, std::string> environment = [&] {
      auto e = env();
      e["TALLYFOLD_WALK"] = walk;
      return e;
    }();
    const pid_t child = fork();
    if (child == 0) {
      int devnull = open("/dev/null", O_RDWR);
      dup2(devnull, 0);
      dup2(devnull, 1);
      dup2(devnull, 2);
      for (const auto& [key, value] : environment) setenv(key.c_str(), value.c_str(), 1);
      execl(cliPath().c_str(), "tallyfold-cli", "--records", "-q", mirror.path().c_str(),
            static_cast<char*>(nullptr));
      _exit(127);
    }
    // Long enough for every reading thread to have its requests waiting.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, WNOHANG), 0) << "the walk ended before the cancel";
    const auto cancelled = std::chrono::steady_clock::now();
    kill(child, SIGINT);
    ASSERT_EQ(waitpid(child, &status, 0), child);
    const auto took = std::chrono::steady_clock::now() - cancelled;
    EXPECT_LT(took, std::chrono::seconds(1));
    EXPECT_TRUE(WIFEXITED(status));
  }
}

}  // namespace
}  // namespace tallyfold::test
