// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Replacing a user's file against what a plain write would leave: its
// other names, attributes, mode and owner, a pipe or a device in its place,
// folders the user cannot write or that are sticky (as root, and as an
// ordinary user where the test runs as root and can become one), and a
// failure part way. Every check looks at the files afterwards.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>

#include "ReplaceFile.h"

namespace
{
const uid_t kNobody = 65534, kDaemon = 1;

struct ReplaceFile : ::testing::Test
{
  ReplaceFile() : dir(testing::TempDir() + "replace-" + std::to_string(getpid()) + "-" + Name() + "/")
  {
    system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str());
    chmod(dir.c_str(), 0777);
  }
  ~ReplaceFile() override { system(("chmod -R u+w '" + dir + "' 2>/dev/null; rm -rf '" + dir + "'").c_str()); }
  static std::string Name() { return testing::UnitTest::GetInstance()->current_test_info()->name(); }

  std::string Path(const std::string& name) const { return dir + name; }
  void Put(const std::string& name, const std::string& text) const { std::ofstream(Path(name)) << text; }
  std::string Get(const std::string& name) const
  {
    std::ifstream f(Path(name));
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  }
  bool Replace(const std::string& name, const std::string& text, std::string* error = nullptr) const
  {
    return ReplaceFileContents(Path(name), text.data(), text.size(), error);
  }
  // Names in the folder, temporaries included.
  int Entries(const std::string& sub = "") const
  {
    FILE* p = popen(("ls -A '" + dir + sub + "' | wc -l").c_str(), "r");
    int n = -1;
    if (p && fscanf(p, "%d", &n) != 1) n = -1;
    if (p) pclose(p);
    return n;
  }
  // Runs body as user uid in a child process (root only); its exit status.
  static int As(uid_t uid, const std::function<bool()>& body)
  {
    const pid_t child = fork();
    if (child == 0) _exit(setgid(uid) == 0 && setuid(uid) == 0 && body() ? 0 : 1);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
  }

  std::string dir;
};
}  // namespace

TEST_F(ReplaceFile, ANewFileAndAReplacedOneHoldAllOfTheNewContentsAndNothingElseStays)
{
  const mode_t old = umask(022);
  ASSERT_TRUE(Replace("a.txt", "first"));
  umask(old);
  EXPECT_EQ(Get("a.txt"), "first");
  ASSERT_TRUE(Replace("a.txt", "second, longer"));
  EXPECT_EQ(Get("a.txt"), "second, longer");
  EXPECT_EQ(Entries(), 1);

  // Dropped part way: the old contents stay, the temporary goes.
  {
    FileReplacement r;
    ASSERT_TRUE(r.Begin(Path("a.txt")));
    ASSERT_TRUE(r.Write("third", 5));
    struct stat st;
    ASSERT_EQ(stat(r.TemporaryPath(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u) << "the temporary has the file's mode already";
  }
  EXPECT_EQ(Get("a.txt"), "second, longer");
  EXPECT_EQ(Entries(), 1);

  // A folder, or a folder that is not there: refused, nothing made.
  ASSERT_EQ(mkdir(Path("sub").c_str(), 0755), 0);
  std::string error;
  EXPECT_FALSE(Replace("sub", "x", &error));
  EXPECT_NE(error.find("is a folder"), std::string::npos) << error;
  EXPECT_FALSE(Replace("missing/x.txt", "x"));
  EXPECT_EQ(Entries(), 2);
}

TEST_F(ReplaceFile, ModeOwnerAndAttributesStayAndTheTemporaryIsNeverOpenToOthers)
{
  Put("private.txt", "old");
  ASSERT_EQ(chmod(Path("private.txt").c_str(), 0600), 0);
  const bool attributes = setxattr(Path("private.txt").c_str(), "user.origin", "mine", 4, 0) == 0;
  if (geteuid() == 0)
  {
    ASSERT_EQ(chown(Path("private.txt").c_str(), kNobody, kNobody), 0);
  }

  FileReplacement r;
  ASSERT_TRUE(r.Begin(Path("private.txt")));
  struct stat st;
  ASSERT_EQ(stat(r.TemporaryPath(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);  // before a byte goes in
  ASSERT_TRUE(r.Write("new", 3));
  ASSERT_TRUE(r.Commit());

  EXPECT_EQ(Get("private.txt"), "new");
  ASSERT_EQ(stat(Path("private.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  if (geteuid() == 0)
  {
    EXPECT_EQ(st.st_uid, kNobody);
  }
  if (attributes)
  {
    char value[16] = {};
    EXPECT_EQ(getxattr(Path("private.txt").c_str(), "user.origin", value, sizeof(value)), 4);
    EXPECT_STREQ(value, "mine");
  }
  else
  {
    printf("this file system keeps no user attributes: not checked\n");
  }
}

TEST_F(ReplaceFile, LinksKeepPointingAtTheSameFile)
{
  // A symbolic link is followed; a hard link keeps both names one file.
  ASSERT_EQ(mkdir(Path("real").c_str(), 0755), 0);
  Put("real/file.txt", "old");
  ASSERT_EQ(symlink("real/file.txt", Path("soft.txt").c_str()), 0);
  ASSERT_EQ(link(Path("real/file.txt").c_str(), Path("hard.txt").c_str()), 0);
  ASSERT_TRUE(Replace("soft.txt", "through the link"));
  struct stat st;
  ASSERT_EQ(lstat(Path("soft.txt").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(Get("real/file.txt"), "through the link");
  EXPECT_EQ(Get("hard.txt"), "through the link");

  ASSERT_TRUE(Replace("hard.txt", "through the other name"));
  EXPECT_EQ(Get("real/file.txt"), "through the other name");
  ASSERT_EQ(stat(Path("hard.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_nlink, 2u);
  EXPECT_EQ(Entries("real"), 1);

  // A link to a file not made yet makes it where the link points.
  ASSERT_EQ(symlink("real/later.txt", Path("ahead.txt").c_str()), 0);
  ASSERT_TRUE(Replace("ahead.txt", "made"));
  EXPECT_EQ(Get("real/later.txt"), "made");
}

TEST_F(ReplaceFile, APipeOrADeviceTakesAStreamAndIsNeverReplaced)
{
  ASSERT_EQ(mkfifo(Path("pipe").c_str(), 0644), 0);
  std::string heard;
  std::thread reader([&] {
    std::ifstream f(Path("pipe"));
    heard.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  });
  ASSERT_TRUE(Replace("pipe", "down the pipe"));
  reader.join();
  EXPECT_EQ(heard, "down the pipe");
  struct stat st;
  ASSERT_EQ(lstat(Path("pipe").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_EQ(Entries(), 1);

  // /dev/null stays the device it is, also for root.
  EXPECT_TRUE(ReplaceFileContents("/dev/null", "gone", 4));
  ASSERT_EQ(stat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
  EXPECT_EQ(st.st_mode & 0666, 0666u);
}

TEST_F(ReplaceFile, FoldersTheUserCannotWriteOrThatAreStickyStillTakeTheirFilesNewContents)
{
  if (geteuid() != 0) GTEST_SKIP() << "needs root to act as two other users";
  // A writable file in a folder its user cannot write.
  ASSERT_EQ(mkdir(Path("closed").c_str(), 0755), 0);
  Put("closed/file.txt", "old");
  ASSERT_EQ(chmod(Path("closed/file.txt").c_str(), 0666), 0);
  EXPECT_EQ(As(kNobody, [&] { return Replace("closed/file.txt", "new"); }), 0);
  EXPECT_EQ(Get("closed/file.txt"), "new");
  EXPECT_EQ(Entries("closed"), 1);

  // A writable file of another user in a sticky folder, which forbids the
  // rename: written in place, its owner kept.
  ASSERT_EQ(mkdir(Path("sticky").c_str(), 01777), 0);
  ASSERT_EQ(chmod(Path("sticky").c_str(), 01777), 0);
  Put("sticky/file.txt", "old");
  ASSERT_EQ(chown(Path("sticky/file.txt").c_str(), kDaemon, kDaemon), 0);
  ASSERT_EQ(chmod(Path("sticky/file.txt").c_str(), 0666), 0);
  EXPECT_EQ(As(kNobody, [&] { return Replace("sticky/file.txt", "new"); }), 0);
  EXPECT_EQ(Get("sticky/file.txt"), "new");
  struct stat st;
  ASSERT_EQ(stat(Path("sticky/file.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, kDaemon);
  EXPECT_EQ(Entries("sticky"), 1);

  // And as root, the same folders: root may rename, the results are alike.
  ASSERT_TRUE(Replace("sticky/file.txt", "by root"));
  ASSERT_EQ(stat(Path("sticky/file.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, kDaemon);
  EXPECT_EQ(st.st_mode & 0777, 0666u);

  // A file its owner made read-only is refused, as a plain write would be.
  Put("closed/locked.txt", "kept");
  ASSERT_EQ(chmod(Path("closed/locked.txt").c_str(), 0444), 0);
  EXPECT_FALSE(Replace("closed/locked.txt", "new"));
  EXPECT_EQ(Get("closed/locked.txt"), "kept");
}
