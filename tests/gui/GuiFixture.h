// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// A recording plug-in with four parameters of every type and a headless
// editor whose prompts a responder answers: the fixture of the GUI tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "IControl.h"
#include "IGraphicsHeadless.h"
#include "IPopupMenu.h"
#include "TestPlug.h"
#include "lice.h"

// Counts its draws and clean-ups.
struct Probe : IControl
{
  Probe(IPlugBase* plug, IRECT r, int param = -1) : IControl(plug, r, param) {}
  bool Draw(IGraphics*) override
  {
    ++draws;
    return true;
  }
  void SetClean() override
  {
    ++cleans;
    IControl::SetClean();
  }
  bool OnKeyDown(int, int, int key) override
  {
    keys.push_back(key);
    return false;
  }
  int draws = 0, cleans = 0;
  std::vector<int> keys;
};

// A knob that draws nothing: its gestures are what is tested.
struct Knob : IKnobControl
{
  using IKnobControl::IKnobControl;
  bool Draw(IGraphics*) override { return true; }
};

// A plug-in with a double (negated display), an enumeration, a boolean and
// an integer parameter, and a headless editor of 100 x 80.
struct Gui : ::testing::Test
{
  Gui(EAPI api = kAPISA) : plug(4, "2-2", 0, 0, api)
  {
    plug.GetParam(0)->InitDouble("Gain", 0.0, -10.0, 10.0, 0.1, "dB");
    plug.GetParam(0)->NegateDisplay();
    plug.GetParam(1)->InitEnum("Mode", 1, 3);
    plug.GetParam(1)->SetDisplayText(0, "soft");
    plug.GetParam(1)->SetDisplayText(1, "hard");
    plug.GetParam(1)->SetDisplayText(2, "fold");
    plug.GetParam(2)->InitBool("Boost", false);
    plug.GetParam(3)->InitInt("Steps", 2, 0, 8);
    graphics = new IGraphicsHeadless(&plug, 100, 80);
    graphics->SetResponder(&responder);
    plug.AttachGraphics(graphics);
    graphics->ApplyParameterValues();  // the values pushed at attach meet no control yet
  }

  struct Responder : IGraphicsHeadless::Responder
  {
    int ChooseFromMenu(IPopupMenu* menu, IRECT*, IPopupMenu**) override
    {
      shown.clear();
      for (int i = 0; i < menu->GetNItems(); ++i)
        shown.push_back(std::string(menu->IsItemChecked(i) ? "*" : "") + menu->GetItemText(i));
      return choose;
    }
    bool EnterText(IControl*, IRECT*, const char* initial, WDL_String* typed) override
    {
      entryInitial = initial;
      typed->Set(type.c_str());
      return !type.empty();
    }
    bool ChooseFile(WDL_String* file, EFileAction, WDL_String*, const char*) override
    {
      if (chosenFile.empty()) return false;
      file->Set(chosenFile.c_str());
      return true;
    }
    int choose = -1;
    std::string chosenFile;
    std::vector<std::string> shown;
    std::string type, entryInitial;
  } responder;

  TestPlug plug;
  IGraphicsHeadless* graphics;
};

struct GuiVST3 : Gui
{
  GuiVST3() : Gui(kAPIVST3) {}
};
