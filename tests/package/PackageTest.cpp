// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Installing like Linux software: under a prefix nothing lands outside it,
// the default install is the user's own folders, and the Debian package
// holds exactly what the install rules put under /usr, renders through the
// bundle it carries (found relative to the renderer, not the build tree),
// and passes lintian.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <sstream>
#include <string>

namespace
{
std::string Shell(const std::string& command, int* status = nullptr)
{
  std::string out;
  FILE* p = popen((command + " 2>&1").c_str(), "r");
  char buf[512];
  while (p && fgets(buf, sizeof(buf), p)) out += buf;
  const int s = p ? pclose(p) : -1;
  if (status) *status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
  return out;
}

std::string Scratch(const std::string& name)
{
  const std::string dir = testing::TempDir() + "package-" + std::to_string(getpid()) + "-" + name;
  Shell("rm -rf '" + dir + "' && mkdir -p '" + dir + "'");
  return dir;
}

// Every file (not folder) below root, as absolute paths within it.
std::set<std::string> FilesBelow(const std::string& root)
{
  std::set<std::string> files;
  std::istringstream lines(Shell("cd '" + root + "' && find . -type f -o -type l"));
  for (std::string line; std::getline(lines, line);)
    if (line.size() > 1) files.insert(line.substr(1));
  return files;
}

// Installs the build tree's rules into destdir for prefix.
std::set<std::string> Install(const std::string& destdir, const std::string& prefix)
{
  int status = 0;
  const std::string out =
      Shell("DESTDIR='" + destdir + "' cmake --install '" PLUSHGRIT_BUILD_DIR "' --prefix '" + prefix + "'", &status);
  EXPECT_EQ(status, 0) << out;
  return FilesBelow(destdir);
}

const char* const kPromised[] = {
    "/lib/vst3/Plushgrit.vst3/Contents/x86_64-linux/Plushgrit.so",
    "/lib/vst3/Plushgrit.vst3/Contents/Resources/moduleinfo.json",
    "/lib/lv2/plushgrit.lv2/manifest.ttl",
    "/lib/lv2/plushgrit.lv2/Contents/x86_64-linux/plushgrit.so",
    "/bin/plushgrit-render",
    "/share/man/man1/plushgrit-render.1.gz",
    "/share/doc/plushgrit/README.md",
    "/share/doc/plushgrit/copyright",
};
}  // namespace

TEST(Install, UnderAPrefixNothingLandsOutsideIt)
{
  const std::string dest = Scratch("prefix");
  const std::set<std::string> files = Install(dest, "/usr/local");
  ASSERT_FALSE(files.empty());
  for (const std::string& f : files) EXPECT_EQ(f.rfind("/usr/local/", 0), 0u) << f;
  for (const char* promised : kPromised) EXPECT_EQ(files.count(std::string("/usr/local") + promised), 1u) << promised;
}

TEST(Install, TheDefaultIsTheUsersOwnFolders)
{
  const std::string dest = Scratch("user");
  const std::string home = PLUSHGRIT_HOME;
  const std::set<std::string> files = Install(dest, PLUSHGRIT_USER_PREFIX);
  for (const std::string& f : files)
    EXPECT_TRUE(f.rfind(home + "/.vst3/Plushgrit.vst3/", 0) == 0 || f.rfind(home + "/.lv2/plushgrit.lv2/", 0) == 0 ||
                f.rfind(home + "/.local/", 0) == 0)
        << f;
  EXPECT_EQ(files.count(home + "/.vst3/Plushgrit.vst3/Contents/x86_64-linux/Plushgrit.so"), 1u);
  EXPECT_EQ(files.count(home + "/.lv2/plushgrit.lv2/manifest.ttl"), 1u);
  EXPECT_EQ(files.count(home + "/.local/bin/plushgrit-render"), 1u);
  EXPECT_EQ(files.count(home + "/.local/share/man/man1/plushgrit-render.1.gz"), 1u);
}

TEST(Package, HoldsTheInstalledFilesRendersFromItsOwnBundleAndPassesLintian)
{
  const std::string out = Scratch("deb");
  int status = 0;
  std::string log = Shell("cpack -G DEB --config '" PLUSHGRIT_BUILD_DIR "/CPackConfig.cmake' -B '" + out + "'", &status);
  ASSERT_EQ(status, 0) << log;
  const std::string deb = out + "/plushgrit_" PLUSHGRIT_VERSION "_amd64.deb";
  ASSERT_EQ(access(deb.c_str(), R_OK), 0) << log;

  // Its fields: the section, and dependencies from the linked libraries.
  const std::string fields = Shell("dpkg-deb -f '" + deb + "'");
  EXPECT_NE(fields.find("Section: sound"), std::string::npos) << fields;
  for (const char* library : {"libc6", "libsndfile1", "libx11-6", "libfreetype6", "libpng16-16"})
    EXPECT_NE(fields.find(library), std::string::npos) << library << "\n" << fields;

  // Exactly what the install rules put under /usr.
  const std::string root = Scratch("root");
  Shell("dpkg-deb -x '" + deb + "' '" + root + "'");
  const std::set<std::string> packaged = FilesBelow(root);
  const std::set<std::string> installed = Install(Scratch("usr"), "/usr");
  EXPECT_EQ(packaged, installed);
  for (const char* promised : kPromised) EXPECT_EQ(packaged.count(std::string("/usr") + promised), 1u) << promised;

  // The renderer from the package renders through the package's bundle.
  log = Shell("'" + root + "/usr/bin/plushgrit-render' --force '" + root + "/demo.wav'", &status);
  EXPECT_EQ(status, 0) << log;
  EXPECT_NE(log.find("through " + root + "/usr/bin/../lib/vst3/Plushgrit.vst3"), std::string::npos) << log;

  if (Shell("command -v lintian").empty()) GTEST_SKIP() << "lintian is not installed";
  log = Shell("lintian --fail-on error,warning '" + deb + "'", &status);
  EXPECT_EQ(status, 0) << log;
}
