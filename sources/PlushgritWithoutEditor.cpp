// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Plushgrit for a module that only processes (the LV2 bundle's DSP binary,
// whose editor is a binary of its own): no editor is built, and nothing of
// the GUI framework, the raster layer, X11 or the font libraries is linked.
// Hosts that only process, servers and plug-in scanners load just this.
#include "Plushgrit.h"

void Plushgrit::BeginEditor() {}
void Plushgrit::AttachKnob(int) {}
void Plushgrit::AttachReadouts() {}
void Plushgrit::ShowReadout(int) {}
// No read-out to write into.
void Plushgrit::SetParamText(int, ITextControl*) {}
