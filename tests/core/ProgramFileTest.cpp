// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Program and bank files: byte layouts written independently of the writer,
// round trips for all four kinds, and loads that refuse what they cannot
// trust without changing anything.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "TestPlug.h"

namespace
{
using Bytes = std::vector<uint8_t>;

// bool, int 0..10, enum of four, double -10..10: values {1, 5, 0, -5} have
// the exact normalized forms 1, 0.5, 0 and 0.25.
struct ParamPlug : TestPlug
{
  explicit ParamPlug(int nPresets = 1, bool chunks = false, int id = MakeFourCC("Tst1"))
      : TestPlug(4, "2-2", nPresets, 0, kAPIVST3, chunks, id)
  {
    GetParam(0)->InitBool("on", false);
    GetParam(1)->InitInt("count", 0, 0, 10);
    GetParam(2)->InitEnum("mode", 0, 4);
    GetParam(3)->InitDouble("gain", 0, -10, 10, 0.01);
  }
  void SetValues(std::vector<double> v)
  {
    for (int i = 0; i < NParams(); ++i) GetParam(i)->Set(v[i]);
  }
  std::vector<double> Values() const
  {
    std::vector<double> v;
    for (int i = 0; i < NParams(); ++i) v.push_back(GetParam(i)->Value());
    return v;
  }
  // Everything a load may change: values, current index and the preset list.
  Bytes Snapshot()
  {
    ByteChunk c;
    SerializeParams(&c);
    SerializePresets(&c);
    int idx = GetCurrentPresetIdx();
    c.Put(&idx);
    return Bytes(c.GetBytes(), c.GetBytes() + c.Size());
  }
};

// Keeps what each OnParamChange saw, as a plug-in's working members would.
struct WorkingPlug : ParamPlug
{
  using ParamPlug::ParamPlug;
  void OnParamChange(int idx) override { seen[idx] = GetParam(idx)->Value(); }
  std::vector<double> seen = std::vector<double>(4, -99.0);
};

struct ChunkPlug : ParamPlug
{
  explicit ChunkPlug(int nPresets = 1) : ParamPlug(nPresets, true) {}
};

void be32(Bytes* b, uint32_t v)
{
  for (int shift = 24; shift >= 0; shift -= 8) b->push_back((uint8_t) (v >> shift));
}
void tag(Bytes* b, const char* s) { b->insert(b->end(), s, s + 4); }
void name28(Bytes* b, const std::string& s)
{
  b->insert(b->end(), s.begin(), s.end());
  b->insert(b->end(), 28 - s.size(), 0);
}
void littleDoubles(Bytes* b, std::vector<double> values)
{
  for (double v : values)
  {
    uint8_t raw[8];
    memcpy(raw, &v, 8);
    b->insert(b->end(), raw, raw + 8);
  }
}
// The first 56 bytes of a parameter program record.
void recordHeader(Bytes* b, const std::string& name)
{
  tag(b, "CcnK");
  be32(b, 0);
  tag(b, "FxCk");
  be32(b, 1);
  tag(b, "Tst1");
  be32(b, 10203);  // version 0x10203: 1.2.3
  be32(b, 4);
  name28(b, name);
}

class ProgramFiles : public testing::Test
{
protected:
  void SetUp() override
  {
    std::string pattern = testing::TempDir() + "fxpXXXXXX";
    ASSERT_TRUE(mkdtemp(&pattern[0]));
    dir = pattern + "/";
  }
  void TearDown() override { (void) !system(("rm -rf '" + dir + "'").c_str()); }

  WDL_String Path(const char* name) { return WDL_String((dir + name).c_str()); }
  Bytes Read(const char* name)
  {
    std::ifstream f(dir + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), {});
  }
  WDL_String Write(const char* name, const Bytes& b)
  {
    std::ofstream(dir + name, std::ios::binary).write((const char*) b.data(), (std::streamsize) b.size());
    return Path(name);
  }
  int FilesInDir() { return atoi(Capture("ls -A '" + dir + "' | wc -l").c_str()); }
  static std::string Capture(const std::string& cmd)
  {
    std::string out;
    FILE* p = popen(cmd.c_str(), "r");
    char buf[256];
    while (p && fgets(buf, sizeof(buf), p)) out += buf;
    if (p) pclose(p);
    return out;
  }

  std::string dir;
};
}  // namespace

TEST_F(ProgramFiles, ParameterProgramLayoutAndRoundTrip)
{
  ParamPlug plug;
  plug.ModifyCurrentPreset("init");
  plug.SetValues({1, 5, 0, -5});
  ASSERT_TRUE(plug.SaveProgramAsFXP(Path("p.fxp")));

  Bytes want;
  recordHeader(&want, "init");
  for (uint32_t f : {0x3F800000u, 0x3F000000u, 0u, 0x3E800000u}) be32(&want, f);
  EXPECT_EQ(Read("p.fxp"), want);  // 56 + 4 * 4 = 72 bytes

  plug.SetValues({0, 9, 3, 7});
  int changes = plug.programChanges;
  ASSERT_TRUE(plug.LoadProgramFromFXP(Path("p.fxp")));
  EXPECT_EQ(plug.Values(), (std::vector<double>{1, 5, 0, -5}));
  EXPECT_EQ(plug.programChanges, changes + 1);

  // The loaded values become the current preset, under the file's name.
  ParamPlug other(2);
  other.RestorePreset(1);
  ASSERT_TRUE(other.LoadProgramFromFXP(Path("p.fxp")));
  EXPECT_STREQ(other.GetPresetName(1), "init");
  other.SetValues({0, 0, 0, 0});
  other.RestorePreset(1);
  EXPECT_EQ(other.Values(), (std::vector<double>{1, 5, 0, -5}));
}

TEST_F(ProgramFiles, ChunkProgramLayoutRoundTripAndOptionalVersionHeader)
{
  ChunkPlug plug;
  plug.ModifyCurrentPreset("a name that is far too long for the field");
  plug.SetValues({0, 2, 1, 1.5});
  ASSERT_TRUE(plug.SaveProgramAsFXP(Path("c.fxp")));

  Bytes body;
  littleDoubles(&body, {0, 2, 1, 1.5});
  Bytes want;
  tag(&want, "CcnK");
  be32(&want, 8 + 32 + 60);
  tag(&want, "FPCh");
  be32(&want, 1);
  tag(&want, "Tst1");
  be32(&want, 10203);
  be32(&want, 4);
  name28(&want, "a name that is far too long");  // 27 characters and a zero
  be32(&want, 8 + 32);
  tag(&want, "tffp");
  want.insert(want.end(), {0x00, 0x00, 0x01, 0x00});  // 0x10000, little-endian
  want.insert(want.end(), body.begin(), body.end());
  EXPECT_EQ(Read("c.fxp"), want);

  plug.SetValues({1, 0, 0, 0});
  ASSERT_TRUE(plug.LoadProgramFromFXP(Path("c.fxp")));
  EXPECT_EQ(plug.Values(), (std::vector<double>{0, 2, 1, 1.5}));

  // Without the version header the state follows the chunk size directly.
  Bytes bare(want.begin(), want.begin() + 56);
  be32(&bare, 32);
  bare.insert(bare.end(), body.begin(), body.end());
  plug.SetValues({1, 0, 0, 0});
  ASSERT_TRUE(plug.LoadProgramFromFXP(Write("bare.fxp", bare)));
  EXPECT_EQ(plug.Values(), (std::vector<double>{0, 2, 1, 1.5}));

  // A plug-in without chunks does not take a chunk program, but a chunk
  // plug-in takes a parameter program.
  ParamPlug params;
  Bytes before = params.Snapshot();
  EXPECT_FALSE(params.LoadProgramFromFXP(Path("c.fxp")));
  EXPECT_EQ(params.Snapshot(), before);
  params.SetValues({1, 5, 0, -5});
  ASSERT_TRUE(params.SaveProgramAsFXP(Path("p.fxp")));
  ASSERT_TRUE(plug.LoadProgramFromFXP(Path("p.fxp")));
  EXPECT_EQ(plug.Values(), (std::vector<double>{1, 5, 0, -5}));
}

TEST_F(ProgramFiles, ParameterBankLayoutAndRoundTrip)
{
  ParamPlug plug(2);
  plug.MakePreset("soft", 1, 5, 0, -5.0);
  plug.MakePreset("hard", 0, 10, 3, 10.0);
  plug.RestorePreset(1);
  ASSERT_TRUE(plug.SaveBankAsFXB(Path("b.fxb")));

  Bytes want;
  tag(&want, "CcnK");
  be32(&want, 0);
  tag(&want, "FxBk");
  be32(&want, 2);
  tag(&want, "Tst1");
  be32(&want, 10203);
  be32(&want, 2);  // presets
  be32(&want, 1);  // current preset
  want.insert(want.end(), 124, 0);
  recordHeader(&want, "soft");
  for (uint32_t f : {0x3F800000u, 0x3F000000u, 0u, 0x3E800000u}) be32(&want, f);
  recordHeader(&want, "hard");
  for (uint32_t f : {0u, 0x3F800000u, 0x3F800000u, 0x3F800000u}) be32(&want, f);
  EXPECT_EQ(Read("b.fxb"), want);

  ParamPlug fresh(2);
  fresh.MakeDefaultPreset("x", 2);
  int changes = fresh.programChanges;
  ASSERT_TRUE(fresh.LoadBankFromFXB(Path("b.fxb")));
  EXPECT_EQ(fresh.Snapshot(), plug.Snapshot());
  EXPECT_EQ(fresh.programChanges, changes + 1);
}

TEST_F(ProgramFiles, ChunkBankLayoutAndRoundTrip)
{
  ChunkPlug plug(2);
  plug.MakePreset("one", 1, 1, 1, 1.0);
  plug.MakePreset("two", 0, 2, 2, 2.0);
  plug.RestorePreset(1);
  ASSERT_TRUE(plug.SaveBankAsFXB(Path("c.fxb")));

  ByteChunk presets;
  plug.SerializePresets(&presets);
  Bytes file = Read("c.fxb");
  ASSERT_EQ(file.size(), 156u + 4 + 8 + presets.Size());
  Bytes want;
  tag(&want, "CcnK");
  be32(&want, 8 + presets.Size() + 160);
  tag(&want, "FBCh");
  be32(&want, 2);
  tag(&want, "Tst1");
  be32(&want, 10203);
  be32(&want, 2);
  be32(&want, 1);
  want.insert(want.end(), 124, 0);
  be32(&want, 8 + presets.Size());
  tag(&want, "tffp");
  want.insert(want.end(), {0x00, 0x00, 0x01, 0x00});
  want.insert(want.end(), presets.GetBytes(), presets.GetBytes() + presets.Size());
  EXPECT_EQ(file, want);

  ChunkPlug fresh(2);
  fresh.MakeDefaultPreset("x", 2);
  fresh.RestorePreset(1);
  ASSERT_TRUE(fresh.LoadBankFromFXB(Path("c.fxb")));
  EXPECT_EQ(fresh.Snapshot(), plug.Snapshot());
}

TEST_F(ProgramFiles, RefusedFilesChangeNothing)
{
  ParamPlug saver(2);
  saver.MakePreset("a", 1, 5, 0, -5.0);
  saver.MakePreset("b", 0, 10, 3, 10.0);
  ASSERT_TRUE(saver.SaveProgramAsFXP(Path("p.fxp")));
  ASSERT_TRUE(saver.SaveBankAsFXB(Path("b.fxb")));
  ChunkPlug chunkSaver;
  ASSERT_TRUE(chunkSaver.SaveProgramAsFXP(Path("c.fxp")));
  ASSERT_TRUE(chunkSaver.SaveBankAsFXB(Path("c.fxb")));
  Bytes program = Read("p.fxp"), bank = Read("b.fxb"), chunkProgram = Read("c.fxp"), chunkBank = Read("c.fxb");

  auto patched = [](Bytes b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = (uint8_t) (v >> (24 - 8 * i));
    return b;
  };
  auto cut = [](Bytes b, size_t size) { return Bytes(b.begin(), b.begin() + size); };
  struct Case
  {
    const char* what;
    Bytes file;
    bool isBank, chunks;
  };
  std::vector<Case> cases = {
      {"magic", patched(program, 0, 0x43636E4C), false, false},
      {"format version", patched(program, 12, 2), false, false},
      {"unique id", patched(program, 16, 0x54737432), false, false},
      {"parameter count", patched(program, 24, 5), false, false},
      {"unknown code", patched(program, 8, 0x46784378), false, false},
      {"floats missing", cut(program, 70), false, false},
      {"header only", cut(program, 40), false, false},
      {"empty file", {}, false, false},
      {"chunk larger than the file", patched(chunkProgram, 56, 0x7FFFFFF0), false, true},
      {"negative chunk size", patched(chunkProgram, 56, 0xFFFFFFF8), false, true},
      {"chunk state cut short", patched(cut(chunkProgram, 56 + 4 + 8 + 8), 56, 16), false, true},
      {"bank magic", patched(bank, 0, 0), true, false},
      {"bank id", patched(bank, 16, 1), true, false},
      {"bank code", patched(bank, 8, 0x46784270), true, false},
      {"negative program count", patched(bank, 24, 0xFFFFFFFF), true, false},
      {"bank chunk past the end", patched(chunkBank, 156, 0x10000), true, true},
      {"bank chunk without presets", patched(cut(chunkBank, 156 + 4 + 8 + 6), 156, 14), true, true},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.what);
    ParamPlug plug(2, c.chunks);
    plug.MakePreset("x", 1, 1, 1, 1.0);
    plug.MakePreset("y", 0, 2, 2, 2.0);
    plug.SetValues({0, 7, 2, 3});
    Bytes before = plug.Snapshot();
    WDL_String path = Write("case", c.file);
    EXPECT_FALSE(c.isBank ? plug.LoadBankFromFXB(path) : plug.LoadProgramFromFXP(path));
    EXPECT_EQ(plug.Snapshot(), before);
    EXPECT_EQ(plug.programChanges, 0);
  }

  ParamPlug plug;
  EXPECT_FALSE(plug.LoadProgramFromFXP(WDL_String("")));
  EXPECT_FALSE(plug.LoadBankFromFXB(Path("missing.fxb")));
  EXPECT_FALSE(plug.LoadProgramFromFXP(WDL_String(dir.c_str())));  // a folder
  EXPECT_FALSE(plug.SaveProgramAsFXP(WDL_String("")));
  EXPECT_FALSE(plug.SaveBankAsFXB(WDL_String("")));

  // A sparse file just over 64 MiB is refused from its size alone.
  WDL_String huge = Write("huge.fxb", bank);
  ASSERT_EQ(truncate(huge.Get(), (64 << 20) + 1), 0);
  EXPECT_FALSE(plug.LoadBankFromFXB(huge));
  ASSERT_EQ(truncate(huge.Get(), 64 << 20), 0);
  EXPECT_TRUE(saver.LoadBankFromFXB(huge));  // the limit itself is allowed
}

TEST_F(ProgramFiles, BrokenThirdRecordKeepsTheFirstTwo)
{
  ParamPlug saver(3);
  // Gains with normalized forms that a float holds exactly.
  saver.MakePreset("a", 1, 1, 1, -5.0);
  saver.MakePreset("b", 1, 2, 2, 5.0);
  saver.MakePreset("c", 1, 3, 3, 10.0);
  ASSERT_TRUE(saver.SaveBankAsFXB(Path("b.fxb")));
  Bytes bank = Read("b.fxb");
  const size_t third = 156 + 2 * 72;
  bank[third + 12 + 3] = 2;  // the third record's version

  WorkingPlug plug(3);
  plug.MakeDefaultPreset("d", 3);
  EXPECT_FALSE(plug.LoadBankFromFXB(Write("broken.fxb", bank)));
  EXPECT_STREQ(plug.GetPresetName(0), "a");
  EXPECT_STREQ(plug.GetPresetName(1), "b");
  EXPECT_STREQ(plug.GetPresetName(2), "d");
  // The second program is in force, and the plug-in was told of its values.
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 1);
  EXPECT_EQ(plug.Values(), (std::vector<double>{1, 2, 2, 5}));
  EXPECT_EQ(plug.seen, plug.Values());
  plug.RestorePreset(0);
  plug.RestorePreset(1);
  EXPECT_EQ(plug.Values(), (std::vector<double>{1, 2, 2, 5}));

  // A bank that claims more records than it holds loads those it has.
  bank.resize(third);
  ParamPlug shortBank(3);
  EXPECT_FALSE(shortBank.LoadBankFromFXB(Write("short.fxb", bank)));
  EXPECT_STREQ(shortBank.GetPresetName(1), "b");

  // Records beyond the preset list set the values and refresh the preset
  // restored last.
  ParamPlug two(2);
  ASSERT_TRUE(two.LoadBankFromFXB(Path("b.fxb")));
  EXPECT_STREQ(two.GetPresetName(1), "c");
  two.RestorePreset(1);
  EXPECT_EQ(two.Values(), (std::vector<double>{1, 3, 3, 10}));
}

TEST_F(ProgramFiles, SavingNeverLeavesAHalfFileOrATemporaryBehind)
{
  ParamPlug plug;
  plug.SetValues({1, 5, 0, -5});
  // Replacing an existing file goes through a temporary name and a rename.
  Write("p.fxp", Bytes(1000, 0xAB));
  ASSERT_TRUE(plug.SaveProgramAsFXP(Path("p.fxp")));
  EXPECT_EQ(Read("p.fxp").size(), 72u);
  EXPECT_EQ(FilesInDir(), 1);

  // A folder in the way, or a folder that does not exist: false, and no
  // temporary file left over.
  ASSERT_EQ(mkdir((dir + "taken.fxb").c_str(), 0755), 0);
  EXPECT_FALSE(plug.SaveBankAsFXB(Path("taken.fxb")));
  EXPECT_FALSE(plug.SaveProgramAsFXP(Path("no/such/folder.fxp")));
  EXPECT_EQ(FilesInDir(), 2);

  // The written file goes through the umask like any other.
  mode_t old = umask(027);
  ASSERT_TRUE(plug.SaveProgramAsFXP(Path("q.fxp")));
  umask(old);
  struct stat st;
  ASSERT_EQ(stat((dir + "q.fxp").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(ProgramFiles, ValuesThatCannotBeSetRefuseTheWholeFile)
{
  // A program of four floats after the header, and a bank of two records.
  auto program = [](std::vector<float> v) {
    Bytes b;
    recordHeader(&b, "p");
    for (float f : v)
    {
      uint32_t u;
      memcpy(&u, &f, 4);
      be32(&b, u);
    }
    return b;
  };
  auto bank = [&](std::vector<float> first, std::vector<float> second) {
    Bytes b;
    tag(&b, "CcnK");
    be32(&b, 0);
    tag(&b, "FxBk");
    be32(&b, 2);
    tag(&b, "Tst1");
    be32(&b, 10203);
    be32(&b, 2);
    be32(&b, 0);
    b.resize(156, 0);
    for (auto* v : {&first, &second})
    {
      Bytes record = program(*v);
      b.insert(b.end(), record.begin(), record.end());
    }
    return b;
  };
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  const std::vector<float> good = {1, 0.5f, 0, 0.25f};
  struct Case
  {
    const char* what;
    std::vector<float> values;
  };
  for (const Case& c : std::vector<Case>{{"NaN", {1, nan, 0, 0.25f}},
                                         {"infinity", {1, 0.5f, -inf, 0.25f}},
                                         {"below 0 on a power curve", {1, 0.5f, 0, -0.25f}}})
  {
    SCOPED_TRACE(c.what);
    ParamPlug plug(2);
    plug.GetParam(3)->SetShape(2.0);
    plug.MakePreset("x", 1, 1, 1, 1.0);
    plug.MakePreset("y", 0, 2, 2, 2.0);
    const Bytes before = plug.Snapshot();
    EXPECT_FALSE(plug.LoadProgramFromFXP(Write("bad.fxp", program(c.values))));
    EXPECT_EQ(plug.Snapshot(), before);
    // In a bank's second record: the first is not loaded either.
    EXPECT_FALSE(plug.LoadBankFromFXB(Write("bad.fxb", bank(good, c.values))));
    EXPECT_EQ(plug.Snapshot(), before);
    EXPECT_EQ(plug.programChanges, 0);
  }

  // Values beyond 0..1 that do mean something land within each range, also
  // in a plug-in without presets.
  ParamPlug plain(0);
  ASSERT_TRUE(plain.LoadProgramFromFXP(Write("wide.fxp", program({-1e30f, 2.0f, 1e30f, -0.5f}))));
  EXPECT_EQ(plain.Values(), (std::vector<double>{0, 10, 3, -10}));
}

TEST_F(ProgramFiles, ChunkBankRefusedWithAnUnusedCurrentSlotLeavesItUnused)
{
  ChunkPlug saver(2);
  saver.MakePreset("a", 1, 5, 0, -5.0);
  saver.MakePreset("b", 0, 10, 3, 10.0);
  ASSERT_TRUE(saver.SaveBankAsFXB(Path("c.fxb")));
  Bytes bank = Read("c.fxb");
  bank.resize(bank.size() - 4);  // the second preset's state cut short
  const uint32_t size = (uint32_t) (bank.size() - 156 - 4);
  for (int i = 0; i < 4; ++i) bank[156 + i] = (uint8_t) (size >> (24 - 8 * i));

  ChunkPlug plug(2);  // no preset made: the current slot was never used
  plug.SetValues({0, 7, 2, 3});
  const Bytes before = plug.Snapshot();
  EXPECT_FALSE(plug.LoadBankFromFXB(Write("cut.fxb", bank)));
  EXPECT_EQ(plug.Snapshot(), before);
  EXPECT_STREQ(plug.GetPresetName(0), "empty");
}

TEST_F(ProgramFiles, SavingKeepsWhatAPlainWriteKept)
{
  ParamPlug plug;
  plug.SetValues({1, 5, 0, -5});
  struct stat st;

  // A file the user made read-only is refused and kept.
  Write("locked.fxp", Bytes(10, 1));
  ASSERT_EQ(chmod((dir + "locked.fxp").c_str(), 0444), 0);
  EXPECT_FALSE(plug.SaveProgramAsFXP(Path("locked.fxp")));
  EXPECT_EQ(Read("locked.fxp"), Bytes(10, 1));

  // A private file stays private.
  Write("private.fxp", Bytes(10, 1));
  ASSERT_EQ(chmod((dir + "private.fxp").c_str(), 0600), 0);
  mode_t old = umask(022);
  ASSERT_TRUE(plug.SaveProgramAsFXP(Path("private.fxp")));
  umask(old);
  ASSERT_EQ(stat((dir + "private.fxp").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(Read("private.fxp").size(), 72u);

  // A link is written through: it stays a link, its target gets the program.
  ASSERT_EQ(mkdir((dir + "real").c_str(), 0755), 0);
  Write("real/target.fxp", Bytes(10, 1));
  ASSERT_EQ(symlink("real/target.fxp", (dir + "link.fxp").c_str()), 0);
  ASSERT_TRUE(plug.SaveProgramAsFXP(Path("link.fxp")));
  ASSERT_EQ(lstat((dir + "link.fxp").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(Read("real/target.fxp").size(), 72u);

  // Another name for the same file, and the file's extended attributes,
  // stay with it (the rest of what a save keeps: ReplaceFileTest.cpp).
  ASSERT_EQ(link((dir + "private.fxp").c_str(), (dir + "also.fxp").c_str()), 0);
  const bool attributes = setxattr((dir + "private.fxp").c_str(), "user.tag", "bank", 4, 0) == 0;
  plug.SetValues({2, 5, 1, -5});
  ASSERT_TRUE(plug.SaveProgramAsFXP(Path("private.fxp")));
  EXPECT_EQ(Read("also.fxp"), Read("private.fxp"));
  char tag[8] = {};
  if (attributes)
  {
    EXPECT_EQ(getxattr((dir + "private.fxp").c_str(), "user.tag", tag, sizeof(tag)), 4);
  }

  // A name of 250 characters fits; its temporary must too.
  const std::string longName = std::string(246, 'n') + ".fxp";
  ASSERT_TRUE(plug.SaveProgramAsFXP(Path(longName.c_str())));
  EXPECT_EQ(Read(longName.c_str()).size(), 72u);
  ParamPlug loaded;
  ASSERT_TRUE(loaded.LoadProgramFromFXP(Path(longName.c_str())));
  EXPECT_EQ(loaded.Values(), plug.Values());
}
