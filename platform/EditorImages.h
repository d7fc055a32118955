// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The editor's images as both platforms load them: a PNG file by its own
// name in the bundle's resources folder. An image larger than any editor
// needs is refused from its header, before a pixel is decoded (a damaged or
// hostile file would otherwise cost seconds and a gigabyte when an instance
// is created), and a refused or missing image is named once on stderr, so a
// damaged install can be diagnosed. The editor then shows it as empty.
#pragma once

#include <string>

class LICE_IBitmap;

// A knob's film strip is long and narrow (the drive knob's 101 frames are
// 11,312 pixels tall at 1x): the side may be long, the area stays small.
const int kMaxEditorImageSide = 65536;
const long long kMaxEditorImagePixels = 32LL << 20;

// Null when the name is not a PNG's, or the file is missing, unreadable or
// too large.
LICE_IBitmap* LoadEditorImage(const std::string& folder, const char* name);
// The same image's size from its header alone; false where LoadEditorImage
// would refuse it (said the same way, once).
bool EditorImageSize(const std::string& folder, const char* name, int* width, int* height);
