// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The committed editor images and the program's icons are what
// plushgrit-artwork draws: the program runs into a fresh folder and every
// pixel of every image, in every set, must match.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "lice.h"

TEST(Artwork, CommittedImagesAreWhatTheProgramDraws)
{
  const std::string out = testing::TempDir() + "artwork";
  mkdir(out.c_str(), 0755);
  const std::string cmd = std::string(PLUSHGRIT_ARTWORK_EXE) + " " + PLUSHGRIT_FONT_DIR + " " + out + " " + out;
  ASSERT_EQ(system(cmd.c_str()), 0) << cmd;
  std::vector<std::string> names;
  for (const char* set : {"", "@1.5x", "@2x", "@3x"})
    for (const char* image :
         {"Plushgrit_Background", "Knob_In_Frames", "Knob_Out_Frames", "Knob_Mix_Frames", "Knob_Drive_Frames"})
      names.push_back(std::string("img/") + image + set + ".png");
  for (const char* icon : {"plushgrit-48.png", "plushgrit-128.png", "plushgrit-256.png"})
    names.push_back(std::string("icons/") + icon);
  for (const std::string& path : names)
  {
    const std::string name = path.substr(path.find('/') + 1);
    std::unique_ptr<LICE_IBitmap> drawn(LICE_LoadPNG((out + "/" + name).c_str()));
    std::unique_ptr<LICE_IBitmap> committed(
        LICE_LoadPNG((std::string(PLUSHGRIT_SOURCE_DIR) + "/resources/" + path).c_str()));
    ASSERT_TRUE(drawn && committed) << name;
    ASSERT_EQ(drawn->getWidth(), committed->getWidth()) << name;
    ASSERT_EQ(drawn->getHeight(), committed->getHeight()) << name;
    for (int y = 0; y < drawn->getHeight(); ++y)
      ASSERT_EQ(memcmp(drawn->getBits() + (size_t) y * drawn->getRowSpan(),
                       committed->getBits() + (size_t) y * committed->getRowSpan(), sizeof(LICE_pixel) * drawn->getWidth()),
                0)
          << name << " row " << y;
  }
}
