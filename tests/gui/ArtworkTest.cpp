// The committed editor images are what plushgrit-artwork draws: the program
// runs into a fresh folder and every pixel of every image must match.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "lice.h"

TEST(Artwork, CommittedImagesAreWhatTheProgramDraws)
{
  const std::string out = testing::TempDir() + "artwork";
  mkdir(out.c_str(), 0755);
  const std::string cmd = std::string(PLUSHGRIT_ARTWORK_EXE) + " " + PLUSHGRIT_FONT_DIR + " " + out;
  ASSERT_EQ(system(cmd.c_str()), 0) << cmd;
  for (const char* name : {"Plushgrit_Background.png", "Knob_In_Frames.png", "Knob_Out_Frames.png",
                           "Knob_Mix_Frames.png", "Knob_Drive_Frames.png"})
  {
    std::unique_ptr<LICE_IBitmap> drawn(LICE_LoadPNG((out + "/" + name).c_str()));
    std::unique_ptr<LICE_IBitmap> committed(
        LICE_LoadPNG((std::string(PLUSHGRIT_SOURCE_DIR) + "/resources/img/" + name).c_str()));
    ASSERT_TRUE(drawn && committed) << name;
    ASSERT_EQ(drawn->getWidth(), committed->getWidth()) << name;
    ASSERT_EQ(drawn->getHeight(), committed->getHeight()) << name;
    for (int y = 0; y < drawn->getHeight(); ++y)
      for (int x = 0; x < drawn->getWidth(); ++x)
        ASSERT_EQ(LICE_GetPixel(drawn.get(), x, y), LICE_GetPixel(committed.get(), x, y)) << name << " " << x << "," << y;
  }
}
