// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Installing like Linux software: under a prefix nothing lands outside it,
// the default install is the installing user's own folders and the
// uninstall takes it all away again, and the Debian package builds through
// debian/, passes lintian, ships each file once and renders through the
// bundle it carries (found relative to the renderer, not the build tree).
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
    "/bin/plushgrit",
    "/share/man/man1/plushgrit.1.gz",
    "/share/applications/plushgrit.desktop",
    "/share/icons/hicolor/48x48/apps/plushgrit.png",
    "/share/icons/hicolor/256x256/apps/plushgrit.png",
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

// Without a prefix the install is for the user who runs it: $HOME is read
// when installing (a scratch one here), and the uninstall target takes away
// every file and every folder the install made.
TEST(Install, TheDefaultIsTheInstallingUsersFoldersAndUninstallLeavesNothing)
{
  const std::string home = Scratch("home");
  int status = 0;
  std::string log = Shell("HOME='" + home + "' cmake --install '" PLUSHGRIT_BUILD_DIR "'", &status);
  ASSERT_EQ(status, 0) << log;
  const std::set<std::string> files = FilesBelow(home);
  for (const std::string& f : files)
    EXPECT_TRUE(f.rfind("/.vst3/Plushgrit.vst3/", 0) == 0 || f.rfind("/.lv2/plushgrit.lv2/", 0) == 0 ||
                f.rfind("/.local/", 0) == 0)
        << f;
  for (const char* promised : {"/.vst3/Plushgrit.vst3/Contents/x86_64-linux/Plushgrit.so", "/.lv2/plushgrit.lv2/manifest.ttl",
                               "/.local/bin/plushgrit-render", "/.local/share/man/man1/plushgrit-render.1.gz"})
    EXPECT_EQ(files.count(promised), 1u) << promised;

  log = Shell("HOME='" + home + "' cmake --build '" PLUSHGRIT_BUILD_DIR "' --target uninstall", &status);
  ASSERT_EQ(status, 0) << log;
  EXPECT_EQ(Shell("cd '" + home + "' && find . -mindepth 1"), "") << log;
}

// What a distribution does: the source and binary packages built through
// debian/ (scripts/package), lintian with every tag shown finding no error
// and no warning, each file once, and a renderer that renders through the
// bundle beside it.
TEST(Package, BuildsThroughDebianPassesLintianShipsEachFileOnceAndRenders)
{
  int status = 0;
  std::string log = Shell("'" PLUSHGRIT_SOURCE_DIR "/scripts/package'", &status);
  ASSERT_EQ(status, 0) << log;
  const std::string out = PLUSHGRIT_SOURCE_DIR "/build/package/";
  const std::string deb = out + "plushgrit_" PLUSHGRIT_VERSION "_amd64.deb";
  ASSERT_EQ(access(deb.c_str(), R_OK), 0) << log;
  EXPECT_EQ(access((out + "plushgrit_" PLUSHGRIT_VERSION ".dsc").c_str(), R_OK), 0) << "no source package";

  // Its fields: the section, and dependencies from the linked libraries and
  // the font package its bundles link to.
  const std::string fields = Shell("dpkg-deb -f '" + deb + "'");
  EXPECT_NE(fields.find("Section: sound"), std::string::npos) << fields;
  for (const char* library : {"libc6", "libsndfile1", "libx11-6", "libfreetype6", "libpng16-16", "fonts-wine"})
    EXPECT_NE(fields.find(library), std::string::npos) << library << "\n" << fields;

  const std::string root = Scratch("root");
  Shell("dpkg-deb -x '" + deb + "' '" + root + "'");
  const std::set<std::string> packaged = FilesBelow(root);
  for (const char* promised : kPromised) EXPECT_EQ(packaged.count(std::string("/usr") + promised), 1u) << promised;
  EXPECT_EQ(packaged.count("/usr/lib/lv2/plushgrit.lv2/Contents/x86_64-linux/plushgrit_ui.so"), 1u);
  // No two regular files alike: images once, the bundles link to them.
  const std::string dupes = Shell("cd '" + root + "' && find . -type f -exec sha256sum {} + | sort | uniq -w64 -D");
  EXPECT_EQ(dupes, "") << "files shipped twice:\n" << dupes;
  EXPECT_EQ(Shell("readlink '" + root + "/usr/lib/lv2/plushgrit.lv2/Contents/Resources/fonts/tahoma.ttf'"),
            "../../../../../../share/wine/fonts/tahoma.ttf\n");  // /usr/share/wine/fonts

  // A desktop entry the desktops accept.
  log = Shell("desktop-file-validate '" + root + "/usr/share/applications/plushgrit.desktop'", &status);
  EXPECT_EQ(status, 0) << log;

  // The renderer from the package renders through the package's bundle.
  log = Shell("'" + root + "/usr/bin/plushgrit-render' --force --demo '" + root + "/demo.wav'", &status);
  EXPECT_EQ(status, 0) << log;
  EXPECT_NE(log.find("through " + root + "/usr/bin/../lib/vst3/Plushgrit.vst3"), std::string::npos) << log;
}
