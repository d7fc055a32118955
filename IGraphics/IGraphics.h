// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The editor's graphics context: an ordered list of controls drawn into one
// off-screen bitmap with the raster layer, the dirty tracking that decides
// what to redraw, the routing of mouse and key input to controls, value
// prompts, and the process-wide image and font caches.
//
// Threads. Everything here runs on the user-interface thread except
// SetParameterFromPlug, which the host's audio thread reaches through
// automation and preset changes. That call only stores the value in a
// per-parameter slot (atomics, no lock, no allocation); the user-interface
// thread hands the stored values to the controls before it looks for dirty
// areas or draws. Controls are therefore only ever touched by one thread.
#pragma once

#include <atomic>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "../wdl/WDL_Mutex.h"
#include "../wdl/WDL_PtrList.h"
#include "../wdl/WDL_String.h"
#include "IGraphicsStructs.h"

class IControl;
class IParam;
class IPlugBase;
class IPopupMenu;
class LICE_IBitmap;
class LICE_MemBitmap;
class LICE_SysBitmap;

enum EFileAction
{
  kFileOpen = 0,
  kFileSave = 1
};

class IGraphics
{
public:
  IGraphics(IPlugBase* plug, int width, int height, int fps = 0);
  virtual ~IGraphics();
  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  // ---- Platform operations (the platform subclass supplies them) ---------
  virtual bool DrawScreen(IRECT* area) = 0;
  virtual bool MeasureIText(IText* text, char* str, IRECT* rect) { return DrawIText(text, str, rect, true); }
  virtual void ForceEndUserEdit() = 0;
  virtual void Resize(int w, int h);
  virtual bool WindowIsOpen() { return GetWindow() != nullptr; }
  virtual const char* GetGUIAPI() { return ""; }
  virtual int ShowMessageBox(const char* text, const char* caption, int type) = 0;
  // Shows the menu at area until it closes; returns the menu (or submenu) in
  // which an item was chosen, with its chosen index set, or null.
  virtual IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* area) = 0;
  // Opens an edit field over area; when editing ends the platform calls
  // SetFromStringAfterPrompt with the same control and parameter.
  virtual void CreateTextEntry(IControl* control, IText* text, IRECT* area, const char* initialText, IParam* param) = 0;
  virtual void HostPath(WDL_String* path) = 0;
  virtual void PluginPath(WDL_String* path) = 0;
  virtual void DesktopPath(WDL_String* path) = 0;
  virtual void AppSupportPath(WDL_String* path, bool isSystem = false) = 0;
  virtual void SandboxSafeAppSupportPath(WDL_String* path) = 0;
  virtual void PromptForFile(WDL_String* file, EFileAction action, WDL_String* dir = nullptr, char* extensions = nullptr) = 0;
  virtual bool PromptForColor(IColor* color, char* prompt = nullptr) = 0;
  virtual bool OpenURL(const char* url, const char* windowTitle = nullptr, const char* confirmText = nullptr,
                       const char* errorText = nullptr) = 0;
  virtual void* OpenWindow(void* parent) = 0;
  virtual void* OpenWindow(void*, void*, short, short) { return nullptr; }
  virtual void AttachSubWindow(void*) {}
  virtual void RemoveSubWindow() {}
  virtual void CloseWindow() = 0;
  virtual void* GetWindow() = 0;
  virtual bool GetTextFromClipboard(WDL_String* text) = 0;
  virtual void HideMouseCursor() {}
  virtual void ShowMouseCursor() {}
  virtual void UpdateTooltips() = 0;
  // The image file name among the module's resources, decoded; null when it
  // cannot be found or read.
  virtual LICE_IBitmap* OSLoadBitmap(int id, const char* name) = 0;
  // The same image's size, from its header where the platform can read one
  // (nothing decoded), refused by the same rules; false without one.
  virtual bool OSImageSize(int id, const char* name, int* width, int* height);

  // ---- Lifetime and controls ----------------------------------------------
  // Makes the draw bitmap; Draw makes it when it is missing. Nothing an
  // editor draws with exists before it first draws.
  void PrepDraw();
  // Gives back what this editor drew with: the draw bitmap, and the images
  // and fonts it holds in the process-wide caches (freed there once no
  // editor holds them). The platform calls it when the window closes; the
  // next draw takes them again.
  void ReleaseEditorResources();
  // Draws at scale times the editor's size (1 to 3; 1.5 is a 575 x 450
  // bitmap for a 383 x 300 editor): controls keep their editor coordinates,
  // every primitive is drawn at the scaled ones, text at the scaled size,
  // and images come from the artwork set drawn for the nearest scale not
  // below it (Name@2x.png beside Name.png), filtered down to this one.
  void SetDrawScale(float scale);
  float GetDrawScale() const { return mDrawScale; }
  // An editor rectangle in the draw bitmap's pixels, and its size.
  IRECT ToDrawPixels(const IRECT& r) const;
  int DrawWidth() const { return Scaled(mWidth); }
  int DrawHeight() const { return Scaled(mHeight); }
  int AttachControl(IControl* control);
  void AttachBackground(int id, const char* name);
  void AttachPanelBackground(const IColor* color);
  void AttachKeyCatcher(IControl* control);
  IControl* GetControl(int idx) const { return mControls.Get(idx); }
  int GetNControls() const { return mControls.GetSize(); }
  void HideControl(int paramIdx, bool hide);
  void GrayOutControl(int paramIdx, bool gray);
  void ClampControl(int paramIdx, double lo, double hi, bool normalized);
  // Any thread: stores the value for the user-interface thread (see above).
  // Virtual so that the framework core reaches it without linking the GUI
  // framework: a module without an editor links no graphics at all.
  virtual void SetParameterFromPlug(int paramIdx, double value, bool normalized);
  // Hands the values stored by SetParameterFromPlug to the bound controls.
  // IsDirty and Draw do this first; the user-interface thread only.
  void ApplyParameterValues();
  void SetControlFromPlug(int controlIdx, double normalizedValue);
  void SetParameterFromGUI(int paramIdx, double normalizedValue);
  void SetAllControlsDirty();
  void SetStrictDrawing(bool strict);
  void AssignParamNameToolTips();
  void OnGUIIdle();

  // Empties the process-wide image and font caches. The module's exit calls
  // it, once no editor is left.
  static void ReleaseCaches();

  // ---- Images ---------------------------------------------------------------
  // Reads only the image's size (from its header, once per id); its pixels
  // are decoded when an editor first draws it. A missing or unreadable image
  // becomes a transparent one pixel wide and one per frame high, kept under
  // its id: the editor still opens, the control takes no room and draws
  // nothing.
  IBitmap LoadIBitmap(int id, const char* name, int frameCount = 1, bool framesAreHorizontal = false);
  void RetainBitmap(IBitmap* bitmap);
  void ReleaseBitmap(IBitmap* bitmap);
  IBitmap ScaleBitmap(IBitmap* bitmap, int w, int h);
  IBitmap CropBitmap(IBitmap* bitmap, IRECT* r);
  uint32_t* GetBits();
  LICE_SysBitmap* GetDrawBitmap() const { return mDrawBitmap.get(); }

  // ---- Drawing primitives (into the off-screen bitmap) -------------------------
  bool DrawBitmap(IBitmap* bitmap, IRECT* dest, int srcX, int srcY, const IChannelBlend* blend = nullptr);
  bool DrawBitmap(IBitmap* bitmap, IRECT* dest, int frame, const IChannelBlend* blend = nullptr);
  bool DrawRotatedBitmap(IBitmap* bitmap, int centreX, int centreY, double angle, int pivotYOffset = 0,
                         const IChannelBlend* blend = nullptr);
  bool DrawRotatedMask(IBitmap* base, IBitmap* mask, IBitmap* top, int x, int y, double angleDegrees,
                       const IChannelBlend* blend = nullptr);
  bool DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend = nullptr, bool aa = false);
  bool ForcePixel(const IColor* color, int x, int y);
  bool DrawLine(const IColor* color, float x1, float y1, float x2, float y2, const IChannelBlend* blend = nullptr,
                bool aa = false);
  bool DrawArc(const IColor* color, float cx, float cy, float r, float minAngle, float maxAngle,
               const IChannelBlend* blend = nullptr, bool aa = false);
  bool DrawCircle(const IColor* color, float cx, float cy, float r, const IChannelBlend* blend = nullptr, bool aa = false);
  bool RoundRect(const IColor* color, IRECT* r, const IChannelBlend* blend, int cornerRadius, bool aa);
  bool FillRoundRect(const IColor* color, IRECT* r, const IChannelBlend* blend, int cornerRadius, bool aa);
  bool FillIRect(const IColor* color, IRECT* r, const IChannelBlend* blend = nullptr);
  bool FillCircle(const IColor* color, int cx, int cy, float r, const IChannelBlend* blend = nullptr, bool aa = false);
  bool FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3, IChannelBlend* blend);
  bool FillIConvexPolygon(const IColor* color, int* x, int* y, int n, const IChannelBlend* blend = nullptr);
  IColor GetPoint(int x, int y);
  bool DrawVerticalLine(const IColor* color, int x, int yLo, int yHi);
  bool DrawHorizontalLine(const IColor* color, int y, int xLo, int xHi);
  bool DrawRect(const IColor* color, IRECT* r);
  bool DrawVerticalLine(const IColor* color, IRECT* r, float x);
  bool DrawHorizontalLine(const IColor* color, IRECT* r, float y);
  bool DrawRadialLine(const IColor* color, float cx, float cy, float angle, float rMin, float rMax,
                      const IChannelBlend* blend = nullptr, bool aa = false);

  // ---- Text ------------------------------------------------------------------------
  bool DrawIText(IText* text, const char* str, IRECT* r, bool measure = false);
  LICE_CachedFont* CacheFont(IText* text);
  // Cached fonts are shared by every editor in the process, on whatever
  // thread each runs: hold this while setting one's colour and drawing or
  // measuring with it.
  static WDL_Mutex& CachedFontUse();

  // ---- Dirty tracking and drawing --------------------------------------------
  bool IsDirty(IRECT* area);
  bool Draw(IRECT* area);
  const IRECT& GetDrawRect() const { return mDrawRect; }

  // ---- Input dispatch, with editor coordinates ----------------------------------
  void OnMouseDown(int x, int y, IMouseMod* mod);
  void OnMouseUp(int x, int y, IMouseMod* mod);
  void OnMouseDrag(int x, int y, IMouseMod* mod);
  bool OnMouseDblClick(int x, int y, IMouseMod* mod);
  void OnMouseWheel(int x, int y, IMouseMod* mod, int delta);
  bool OnMouseOver(int x, int y, IMouseMod* mod);
  void OnMouseOut();
  bool OnKeyDown(int x, int y, int key);
  void ReleaseMouseCapture();
  int GetMouseControlIdx(int x, int y, bool mouseOver = false);
  int GetParamIdxForPTAutomation(int x, int y);
  int GetLastClickedParamForPTAutomation();
  int GetMouseCapture() const { return mMouseCapture; }
  // Every change the editor makes reaches the host as one begin-edit, its
  // values, one end-edit. Opens a gesture for param unless one is open for
  // it already (then false); one open for another parameter is ended first.
  bool BeginGesture(int param);
  void EndGesture();
  int GestureParam() const { return mGestureParam; }
  // The user's own value for param supersedes any host value not yet shown.
  void DropPendingValue(int param);

  // ---- Value prompts -------------------------------------------------------------
  void PromptUserInput(IControl* control, IParam* param, IRECT* area);
  void SetFromStringAfterPrompt(IControl* control, IParam* param, const char* text);

  // ---- Accessors ---------------------------------------------------------------------
  IPlugBase* GetPlug() const { return mPlug; }
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int FPS() const { return mFPS; }
  bool CanHandleMouseOver() const { return mHandleMouseOver; }
  void HandleMouseOver(bool handle) { mHandleMouseOver = handle; }
  bool TooltipsEnabled() const { return mEnableTooltips; }
  void EnableTooltips(bool enable) { mEnableTooltips = enable; }
  IControl* GetKeyCatcher() const { return mKeyCatcher; }
  // The plug-in's reverse-domain bundle identifier, by which the platform
  // finds the bundle's resources.
  void SetBundleID(const char* id) { mBundleID.Set(id); }
  const char* GetBundleID() const { return mBundleID.Get(); }

protected:
  WDL_Mutex mMutex;  // kept for subclasses; the context itself never locks it
  WDL_PtrList<IControl> mControls;
  IPlugBase* mPlug;
  IRECT mDrawRect;
  bool mCursorHidden = false;
  int mHiddenCursorX = -1, mHiddenCursorY = -1;
  std::unique_ptr<LICE_SysBitmap> mDrawBitmap;
  std::unique_ptr<LICE_MemBitmap> mScratchBitmap;
  int mWidth, mHeight, mFPS;
  int mMouseCapture = -1, mMouseOver = -1;
  int mMouseX = 0, mMouseY = 0;
  int mLastClickedParam = -1;
  int mGestureParam = -1;  // begin-edit sent, end-edit owed
  float mDrawScale = 1.0f;
  bool mHandleMouseOver = false;
  bool mStrict = true;
  bool mEnableTooltips = false;
  IControl* mKeyCatcher = nullptr;
  WDL_String mBundleID;

private:
  void DeleteControls();
  int Scaled(int v) const { return mDrawScale == 1.0f ? v : (int) std::lround(v * mDrawScale); }
  float Scaled(float v) const { return v * mDrawScale; }
  // The image of bitmap at the draw scale, held by this editor: the set
  // drawn for that scale where there is one, else the nearest larger set
  // filtered down (an image without sets is enlarged). An image the caller
  // made is its own pixels at 1x.
  LICE_IBitmap* ImageAtDrawScale(const IBitmap* bitmap);
  LICE_IBitmap* ImageAtScale(const IBitmap* bitmap, float scale);
  // The image with this key in the process-wide cache, made by make when no
  // editor holds it, and held by this one until ReleaseEditorResources.
  LICE_IBitmap* HoldImage(int id, int milliScale, const LICE_IBitmap* madeFrom, const std::function<LICE_IBitmap*()>& make);
  void ReleaseImagesAndFonts();
  // DrawIText with text and r in the draw bitmap's pixels.
  bool DrawITextInPixels(IText* text, const char* str, IRECT* r, bool measure);
  int ParamOfCapture() const;

  struct HeldImage
  {
    int id, milliScale;
    const LICE_IBitmap* madeFrom;
    LICE_IBitmap* bitmap;
  };
  struct HeldFont
  {
    IText key;
    LICE_CachedFont* font;
  };
  std::vector<HeldImage> mHeldImages;
  std::vector<HeldFont> mHeldFonts;

  // One slot per parameter: the latest normalized value from the plug-in
  // and whether the user-interface thread has yet to take it.
  int mNParams;
  std::unique_ptr<std::atomic<double>[]> mPendingValue;
  std::unique_ptr<std::atomic<bool>[]> mPending;
  std::atomic<bool> mAnyPending{false};
};
