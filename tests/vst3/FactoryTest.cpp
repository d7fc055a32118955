// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The module's exports and its class factory, through dlopen.
#include <gtest/gtest.h>

#include <dirent.h>
#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <set>

#include "PluginModule.h"
#include "pluginterfaces/base/ipluginbase.h"

using namespace Steinberg;

TEST(Factory, OneAudioEffectClassWithItsIdentity)
{
  vst3host::PluginModule module;
  ASSERT_TRUE(module.Open(PLUSHGRIT_BUNDLE)) << module.Error();
  IPluginFactory* factory = module.Factory();

  PFactoryInfo info;
  ASSERT_EQ(factory->getFactoryInfo(&info), kResultOk);
  EXPECT_STREQ(info.vendor, "Quorvane");
  EXPECT_EQ(info.flags, 16);
  EXPECT_GT(strlen(info.url), 0u);
  EXPECT_GT(strlen(info.email), 0u);

  ASSERT_EQ(factory->countClasses(), 1);
  PClassInfo basic;
  ASSERT_EQ(factory->getClassInfo(0, &basic), kResultOk);
  EXPECT_STREQ(basic.category, "Audio Module Class");
  EXPECT_STREQ(basic.name, "Plushgrit");
  EXPECT_EQ(basic.cardinality, 0x7FFFFFFF);
  EXPECT_NE(factory->getClassInfo(1, &basic), kResultOk);

  IPluginFactory2* f2 = nullptr;
  ASSERT_EQ(factory->queryInterface(IPluginFactory2::iid, (void**) &f2), kResultOk);
  PClassInfo2 info2;
  ASSERT_EQ(f2->getClassInfo2(0, &info2), kResultOk);
  EXPECT_STREQ(info2.subCategories, "Fx|Distortion");
  EXPECT_EQ(info2.classFlags, 2u);
  EXPECT_STREQ(info2.vendor, "");
  EXPECT_STREQ(info2.version, "1.0");
  EXPECT_STREQ(info2.sdkVersion, "VST 3.6.0");
  const unsigned char expectedID[16] = {0xF2, 0xAE, 0xE7, 0x0D, 0x00, 0xDE, 0x4F, 0x4E,
                                        'Q',  'r',  'v',  'n',  'Q',  'V',  '0',  '1'};
  EXPECT_EQ(0, memcmp(info2.cid, expectedID, 16));
  f2->release();

  IPluginFactory3* f3 = nullptr;
  ASSERT_EQ(factory->queryInterface(IPluginFactory3::iid, (void**) &f3), kResultOk);
  PClassInfoW infoW;
  ASSERT_EQ(f3->getClassInfoUnicode(0, &infoW), kResultOk);
  EXPECT_EQ(infoW.name[0], 'P');
  f3->release();
}

TEST(Factory, SecondCallReturnsTheSameFactoryWithOneMoreReference)
{
  vst3host::PluginModule module;
  ASSERT_TRUE(module.Open(PLUSHGRIT_BUNDLE)) << module.Error();
  using FactoryFn = IPluginFactory* (*) ();
  auto getFactory = reinterpret_cast<FactoryFn>(dlsym(module.Handle(), "GetPluginFactory"));
  ASSERT_NE(getFactory, nullptr);
  IPluginFactory* again = getFactory();
  EXPECT_EQ(again, module.Factory());
  // The module's own reference, one from the host's holder and one from
  // this call: addRef returns the count after adding.
  EXPECT_EQ(again->addRef(), 4u);
  again->release();
  again->release();
}

TEST(Factory, UnknownClassesAndInterfacesAreRefused)
{
  vst3host::PluginModule module;
  ASSERT_TRUE(module.Open(PLUSHGRIT_BUNDLE)) << module.Error();
  TUID unknown = {};
  void* obj = reinterpret_cast<void*>(1);
  EXPECT_NE(module.Factory()->createInstance(unknown, FUnknown::iid, &obj), kResultOk);
  EXPECT_EQ(obj, nullptr);
}

TEST(Factory, BrokenBundlesReportWhy)
{
  vst3host::PluginModule module;
  EXPECT_FALSE(module.Open("/nonexistent/Nothing.vst3"));
  EXPECT_NE(module.Error().find("cannot load"), std::string::npos);
  EXPECT_EQ(vst3host::PluginModule::LibraryInBundle("/x/Foo.vst3"), "/x/Foo.vst3");
}

// The bundle's moduleinfo.json says what the factory says, field by field.
TEST(Factory, ModuleInfoDescribesTheFactory)
{
  std::ifstream file(std::string(PLUSHGRIT_BUNDLE) + "/Contents/Resources/moduleinfo.json");
  ASSERT_TRUE(file.good());
  const std::string json((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());

  vst3host::PluginModule module;
  ASSERT_TRUE(module.Open(PLUSHGRIT_BUNDLE)) << module.Error();
  PFactoryInfo info;
  ASSERT_EQ(module.Factory()->getFactoryInfo(&info), kResultOk);
  IPluginFactory2* f2 = nullptr;
  ASSERT_EQ(module.Factory()->queryInterface(IPluginFactory2::iid, (void**) &f2), kResultOk);
  PClassInfo2 ci;
  ASSERT_EQ(f2->getClassInfo2(0, &ci), kResultOk);
  f2->release();

  char cid[33];
  for (int i = 0; i < 16; ++i) snprintf(cid + 2 * i, 3, "%02X", (unsigned char) ci.cid[i]);
  for (const std::string& expected :
       {std::string("\"Name\": \"Plushgrit\""), std::string("\"Vendor\": \"") + info.vendor + "\"",
        std::string("\"URL\": \"") + info.url + "\"", std::string("\"E-Mail\": \"") + info.email + "\"",
        std::string("\"Unicode\": true"), std::string("\"CID\": \"") + cid + "\"",
        std::string("\"Category\": \"") + ci.category + "\"", std::string("\"Version\": \"") + ci.version + "\"",
        std::string("\"SDKVersion\": \"") + ci.sdkVersion + "\"",
        std::string("\"Sub Categories\": [\"Fx\", \"Distortion\"]"),
        std::string("\"Class Flags\": ") + std::to_string(ci.classFlags),
        std::string("\"Cardinality\": ") + std::to_string(ci.cardinality)})
    EXPECT_NE(json.find(expected), std::string::npos) << expected << "\n" << json;
  EXPECT_EQ(std::count(json.begin(), json.end(), '{'), std::count(json.begin(), json.end(), '}'));

  // Every snapshot in the bundle is listed with its scale, and every listed
  // path is in the bundle.
  const std::string folder = "Contents/Resources/Snapshots/";
  std::map<std::string, std::string> listed;  // scale -> path
  const std::string scaleKey = "\"Scale Factor\": ", pathKey = "\"Path\": \"";
  for (size_t at = json.find(scaleKey); at != std::string::npos; at = json.find(scaleKey, at + 1))
  {
    const size_t scale = at + scaleKey.size(), comma = json.find(',', scale);
    const size_t path = json.find(pathKey, comma), quote = json.find('"', path + pathKey.size());
    ASSERT_NE(quote, std::string::npos) << json.substr(at);
    ASSERT_EQ(json.find_first_not_of(" \t\n", comma + 1), path) << json.substr(at);
    const std::string file = json.substr(path + pathKey.size(), quote - path - pathKey.size());
    listed[json.substr(scale, comma - scale)] = file;
    EXPECT_TRUE(std::ifstream(std::string(PLUSHGRIT_BUNDLE) + "/" + file).good()) << file;
  }
  EXPECT_EQ(listed, (std::map<std::string, std::string>{{"1", folder + cid + "_snapshot.png"},
                                                        {"2", folder + cid + "_snapshot_2.0x.png"}}));
  std::set<std::string> present, listedPaths;
  for (const auto& scaleAndPath : listed) listedPaths.insert(scaleAndPath.second);
  if (DIR* dir = opendir((std::string(PLUSHGRIT_BUNDLE) + "/" + folder).c_str()))
  {
    while (dirent* e = readdir(dir))
      if (e->d_name[0] != '.') present.insert(folder + e->d_name);
    closedir(dir);
  }
  EXPECT_EQ(present, listedPaths);
}
