// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The X11 view: a child window of the host's window, the screen copy, and
// the translation of X events into the graphics context's calls.
#include "IGraphicsLinux.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <string>

#include "BundleRegistry.h"
#include "EditorImages.h"
#include "IControl.h"
#include "IPlugBase.h"
#include "IGraphicsHeadless.h"
#include "IPopupMenu.h"
#include "lice.h"
// Xlib last: its macros (Bool, None, Status) would break the headers above.
#include "X11View.h"

static int LowestBit(unsigned long mask)
{
  int s = 0;
  while (mask && !(mask & 1)) mask >>= 1, ++s;
  return s;
}

static int BitCount(unsigned long mask)
{
  int n = 0;
  for (; mask; mask &= mask - 1) ++n;
  return n;
}

// ---- The view ----------------------------------------------------------------------

X11EditorView::X11EditorView(IGraphicsLinux* graphics, Window parent, float scale)
    : mGraphics(graphics), mScale(scale)
{
  mDisplay = X11OpenOwnDisplay();
  if (!mDisplay) return;
  X11ErrorTrap trap(mDisplay);
  // The context draws at the window's resolution already.
  const int w = graphics->DrawWidth(), h = graphics->DrawHeight();
  XWindowAttributes parentAttrs;
  // A parent that does not exist (or is gone by now) is refused; only no
  // parent at all means a window of its own on the root.
  if (!parent) parent = DefaultRootWindow(mDisplay);
  if (!XGetWindowAttributes(mDisplay, parent, &parentAttrs) || trap.Failed()) return;
  mVisual = parentAttrs.visual;
  mDepth = parentAttrs.depth;
  XSetWindowAttributes attrs = {};
  attrs.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                     LeaveWindowMask | FocusChangeMask | StructureNotifyMask;
  attrs.background_pixmap = 0;  // no background: the editor paints every pixel
  mWindow = XCreateWindow(mDisplay, parent, 0, 0, (unsigned) w, (unsigned) h, 0, CopyFromParent, InputOutput,
                          CopyFromParent, CWEventMask | CWBackPixmap, &attrs);
  if (trap.Failed())
  {
    // The parent went away between the two calls: nothing of ours is left.
    mWindow = 0;
    return;
  }
  if (parent == DefaultRootWindow(mDisplay))
  {
    DescribeOwnWindow();
  }
  else
  {
    // XEmbed: version 0, mapped.
    const Atom xembed = XInternAtom(mDisplay, "_XEMBED_INFO", False);
    const long info[2] = {0, 1};
    XChangeProperty(mDisplay, mWindow, xembed, xembed, 32, PropModeReplace, (const unsigned char*) info, 2);
    // The host's socket: its size tells in what units the host takes ours.
    XSelectInput(mDisplay, parent, StructureNotifyMask);
    mParentWidth = parentAttrs.width;
    mParentHeight = parentAttrs.height;
  }
  mGC = XCreateGC(mDisplay, mWindow, 0, nullptr);
  CreateImage(w, h);
  XMapWindow(mDisplay, mWindow);
  NoteErrors(trap);
}

// A window of its own on the desktop: the plug-in's name as its title and
// class, and the window manager's close button asks to close it.
void X11EditorView::DescribeOwnWindow()
{
  const std::string& title = mGraphics->WindowTitle();
  const Atom utf8 = XInternAtom(mDisplay, "UTF8_STRING", False);
  XStoreName(mDisplay, mWindow, title.c_str());
  XChangeProperty(mDisplay, mWindow, XInternAtom(mDisplay, "_NET_WM_NAME", False), utf8, 8, PropModeReplace,
                  (const unsigned char*) title.c_str(), (int) title.size());
  std::string name = title;
  for (char& c : name) c = (char) tolower((unsigned char) c);
  XClassHint hint;
  hint.res_name = const_cast<char*>(name.c_str());
  hint.res_class = const_cast<char*>(title.c_str());
  XSetClassHint(mDisplay, mWindow, &hint);
  mDeleteWindow = XInternAtom(mDisplay, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(mDisplay, mWindow, &mDeleteWindow, 1);
  const std::vector<unsigned long>& icon = mGraphics->WindowIcon();
  if (!icon.empty())
    XChangeProperty(mDisplay, mWindow, XInternAtom(mDisplay, "_NET_WM_ICON", False), XA_CARDINAL, 32, PropModeReplace,
                    (const unsigned char*) icon.data(), (int) icon.size());
}

X11EditorView::~X11EditorView()
{
  if (!mDisplay) return;
  if (!X11DisplayLost(mDisplay))
  {
    X11ErrorTrap trap(mDisplay);
    CloseTextEntry(false);
    HideTooltip();
    DestroyImage();
    if (mGC) XFreeGC(mDisplay, mGC);
    // A window destroyed with the host's is not ours to destroy again.
    if (mWindow && !mGone) XDestroyWindow(mDisplay, mWindow);
  }
  X11CloseOwnDisplay(mDisplay);
}

void X11EditorView::NoteErrors(X11ErrorTrap& trap)
{
  if (trap.Failed() && mWindow && trap.FailedResource() == mWindow) mGone = true;
  trap.Reset();
}

bool X11EditorView::StopIfLost()
{
  if (!X11DisplayLost(mDisplay)) return false;
  if (!mStopped && mLoop) mLoop->Detach(this);  // its descriptor would be readable for ever
  mStopped = true;
  return true;
}

int X11EditorView::Fd() const { return mDisplay ? ConnectionNumber(mDisplay) : -1; }

void X11EditorView::CreateImage(int w, int h)
{
  mShm = {};
  mImage = nullptr;
  if (XShmQueryExtension(mDisplay))
  {
    mImage = XShmCreateImage(mDisplay, mVisual, (unsigned) mDepth, ZPixmap, nullptr, &mShm, (unsigned) w, (unsigned) h);
    if (mImage)
    {
      mShm.shmid = shmget(IPC_PRIVATE, (size_t) mImage->bytes_per_line * mImage->height, IPC_CREAT | 0600);
      mShm.shmaddr = mImage->data = mShm.shmid >= 0 ? (char*) shmat(mShm.shmid, nullptr, 0) : (char*) -1;
      mShm.readOnly = False;
      bool attached = mShm.shmaddr != (char*) -1;
      if (attached)
      {
        // A remote display refuses shared memory: fall back quietly.
        X11ErrorTrap trap(mDisplay);
        XShmAttach(mDisplay, &mShm);
        attached = !trap.Failed();
      }
      if (mShm.shmid >= 0) shmctl(mShm.shmid, IPC_RMID, nullptr);  // freed once both sides detach
      if (attached)
      {
        mUseShm = true;
        return;
      }
      if (mShm.shmaddr != (char*) -1) shmdt(mShm.shmaddr);
      mImage->data = nullptr;
      XDestroyImage(mImage);
      mImage = nullptr;
    }
  }
  mUseShm = false;
  const int bpp = mDepth > 16 ? 32 : 16;
  char* data = (char*) calloc((size_t) w * h, (size_t) bpp / 8);
  mImage = XCreateImage(mDisplay, mVisual, (unsigned) mDepth, ZPixmap, 0, data, (unsigned) w, (unsigned) h, bpp, 0);
  if (!mImage) free(data);
}

void X11EditorView::DestroyImage()
{
  if (!mImage) return;
  if (mUseShm)
  {
    XShmDetach(mDisplay, &mShm);
    XSync(mDisplay, False);
    shmdt(mShm.shmaddr);
    mImage->data = nullptr;
  }
  XDestroyImage(mImage);  // frees the plain image's data
  mImage = nullptr;
}

// Converts rectangle r of bm into img at (x * scale, y * scale), each pixel
// a scale x scale block in the visual's layout.
void ConvertToImage(LICE_IBitmap* bm, IRECT r, XImage* img, int scale)
{
  const unsigned long rm = img->red_mask, gm = img->green_mask, bmask = img->blue_mask;
  const int rs = LowestBit(rm), gs = LowestBit(gm), bs = LowestBit(bmask);
  const int rl = std::max(0, 8 - BitCount(rm)), gl = std::max(0, 8 - BitCount(gm)), bl = std::max(0, 8 - BitCount(bmask));
  const int span = bm->getRowSpan();
  const bool wide = img->bits_per_pixel == 32;
  for (int y = r.top; y < r.bottom; ++y)
  {
    const LICE_pixel* src = bm->getBits() + (size_t) y * span;
    for (int dy = 0; dy < scale; ++dy)
    {
      char* row = img->data + (size_t) (y * scale + dy) * img->bytes_per_line;
      for (int x = r.left; x < r.right; ++x)
      {
        const LICE_pixel p = src[x];
        const unsigned long v = ((unsigned long) (LICE_GETR(p) >> rl) << rs) | ((unsigned long) (LICE_GETG(p) >> gl) << gs) |
                                ((unsigned long) (LICE_GETB(p) >> bl) << bs);
        for (int dx = 0; dx < scale; ++dx)
        {
          if (wide) reinterpret_cast<uint32_t*>(row)[x * scale + dx] = (uint32_t) v;
          else reinterpret_cast<uint16_t*>(row)[x * scale + dx] = (uint16_t) v;
        }
      }
    }
  }
}

// Converts the editor rectangle r of the off-screen bitmap into the image
// and puts it on the window.
void X11EditorView::Blit(IRECT r)
{
  LICE_SysBitmap* bm = mGraphics->GetDrawBitmap();
  if (!bm || !mImage || !Shown()) return;
  X11ErrorTrap trap(mDisplay);
  r = mGraphics->ToDrawPixels(r).Intersect(IRECT(0, 0, bm->getWidth(), bm->getHeight()));
  r = r.Intersect(IRECT(0, 0, mImage->width, mImage->height));
  if (r.IsEmpty() || r.W() <= 0 || r.H() <= 0) return;
  ConvertToImage(bm, r, mImage, 1);
  const int px = r.left, py = r.top, pw = r.W(), ph = r.H();
  if (mUseShm)
  {
    // The trap's closing sync also means the server has read the memory
    // before it is written again.
    XShmPutImage(mDisplay, mWindow, mGC, mImage, px, py, px, py, (unsigned) pw, (unsigned) ph, False);
  }
  else
  {
    XPutImage(mDisplay, mWindow, mGC, mImage, px, py, px, py, (unsigned) pw, (unsigned) ph);
  }
  NoteErrors(trap);
  if (!mGone) ++mCopies;
}

void X11EditorView::Resize(float scale)
{
  mScale = scale;
  if (!Shown()) return;
  X11ErrorTrap trap(mDisplay);
  const int w = mGraphics->DrawWidth(), h = mGraphics->DrawHeight();
  DestroyImage();
  XResizeWindow(mDisplay, mWindow, (unsigned) w, (unsigned) h);
  CreateImage(w, h);
  NoteErrors(trap);
}

void X11EditorView::Pump()
{
  while (!X11DisplayLost(mDisplay) && XPending(mDisplay))
  {
    XEvent ev;
    XNextEvent(mDisplay, &ev);
    Handle(ev);
  }
}

void X11EditorView::OnTimer()
{
  if (StopIfLost()) return;
  mGraphics->TakePendingScale();
  {
    X11ErrorTrap trap(mDisplay);
    Pump();
    if (Shown())
    {
      IRECT area;
      if (mGraphics->IsDirty(&area)) mGraphics->Draw(&area);
      UpdateTooltipTimer();
      Pump();
    }
    NoteErrors(trap);
  }
  StopIfLost();
}

void X11EditorView::OnInput()
{
  if (StopIfLost()) return;
  mGraphics->TakePendingScale();
  {
    X11ErrorTrap trap(mDisplay);
    Pump();
    NoteErrors(trap);
  }
  StopIfLost();
}

IMouseMod X11EditorView::Mods(unsigned state, int button) const
{
  IMouseMod mod;
  mod.left = button == 1 || (!button && (state & Button1Mask));
  mod.right = button == 3 || (!button && (state & Button3Mask));
  mod.shift = (state & ShiftMask) != 0;
  mod.control = (state & ControlMask) != 0;
  mod.alt = (state & Mod1Mask) != 0;
  return mod;
}

void X11EditorView::Handle(XEvent& ev)
{
  if (ev.type == ConfigureNotify && mParent && ev.xconfigure.window == (Window) mParent)
  {
    mParentWidth = ev.xconfigure.width;
    mParentHeight = ev.xconfigure.height;
    return;
  }
  if (ev.xany.window != mWindow && !(mEntry && ev.xany.window == mEntry->window)) return;
  if (mGone) return;
  switch (ev.type)
  {
    case DestroyNotify:
      // The host destroyed its window, and ours with it.
      if (ev.xdestroywindow.window == mWindow)
      {
        mGone = true;
        if (mEntry) mEntry->window = 0;
        mEntry.reset();
      }
      break;
    case ClientMessage:
      if (mDeleteWindow && (Atom) ev.xclient.data.l[0] == mDeleteWindow) mCloseRequested = true;
      break;
    case Expose:
    {
      // The editor pixels that cover the exposed window pixels.
      const XExposeEvent& e = ev.xexpose;
      Blit(IRECT((int) std::floor(e.x / mScale), (int) std::floor(e.y / mScale), (int) std::ceil((e.x + e.width) / mScale),
                 (int) std::ceil((e.y + e.height) / mScale)));
      break;
    }
    case ButtonPress:
    {
      const XButtonEvent& b = ev.xbutton;
      const int x = ToEditor(b.x), y = ToEditor(b.y);
      HideTooltip();
      if (b.button == 4 || b.button == 5)
      {
        // The wheel cancels an open entry.
        CloseTextEntry(false);
        IMouseMod mod = Mods(b.state, 0);
        mGraphics->OnMouseWheel(x, y, &mod, b.button == 4 ? 1 : -1);
        break;
      }
      if (b.button != 1 && b.button != 3) break;
      if (mEntry && !mEntry->rect.Contains(x, y)) CloseTextEntry(true);  // clicking away applies
      if (mEntry) break;
      IMouseMod mod = Mods(b.state, (int) b.button);
      const bool dbl = (int) b.button == mLastButton && b.time - mLastPressTime <= kDoubleClickMs &&
                       std::abs(b.x - mLastPressX) <= kDoubleClickDistance &&
                       std::abs(b.y - mLastPressY) <= kDoubleClickDistance;
      mLastButton = (int) b.button;
      mLastPressTime = dbl ? 0 : b.time;  // a third click starts a new pair
      mLastPressX = b.x;
      mLastPressY = b.y;
      if (dbl) mGraphics->OnMouseDblClick(x, y, &mod);
      else mGraphics->OnMouseDown(x, y, &mod);
      break;
    }
    case ButtonRelease:
    {
      const XButtonEvent& b = ev.xbutton;
      if ((b.button != 1 && b.button != 3) || mEntry) break;
      IMouseMod mod = Mods(b.state, (int) b.button);
      mGraphics->OnMouseUp(ToEditor(b.x), ToEditor(b.y), &mod);
      break;
    }
    case MotionNotify:
    {
      const XMotionEvent& m = ev.xmotion;
      const int x = ToEditor(m.x), y = ToEditor(m.y);
      mPrevX = x;
      mPrevY = y;
      IMouseMod mod = Mods(m.state, 0);
      if (m.state & (Button1Mask | Button3Mask))
      {
        if (!mEntry) mGraphics->OnMouseDrag(x, y, &mod);
      }
      else
      {
        mGraphics->OnMouseOver(x, y, &mod);
        NoteHover(x, y);
      }
      break;
    }
    case LeaveNotify:
      HideTooltip();
      mHoverSince = 0;
      mGraphics->OnMouseOut();
      break;
    case KeyPress:
      if (mEntry) EntryKey(ev.xkey);
      else Key(ev.xkey);
      break;
    case FocusOut:
      // Focus loss applies an open entry; focus moving among our own windows
      // or following the pointer is no loss.
      if (mEntry && ev.xfocus.mode == NotifyNormal && ev.xfocus.detail != NotifyInferior &&
          ev.xfocus.detail != NotifyPointer)
        CloseTextEntry(true);
      break;
    default: break;
  }
}

// Space, arrows, digits and letters become the context's key codes; other
// keys are not the editor's.
void X11EditorView::Key(XKeyEvent& k)
{
  char text[8] = {};
  KeySym sym = 0;
  XLookupString(&k, text, sizeof(text) - 1, &sym, nullptr);
  int code = -1;
  if (sym == XK_space) code = 0;
  else if (sym == XK_Up) code = 1;
  else if (sym == XK_Down) code = 2;
  else if (sym == XK_Left) code = 3;
  else if (sym == XK_Right) code = 4;
  else if (sym >= XK_0 && sym <= XK_9) code = 5 + (int) (sym - XK_0);
  else if (sym >= XK_a && sym <= XK_z) code = 15 + (int) (sym - XK_a);
  else if (sym >= XK_A && sym <= XK_Z) code = 15 + (int) (sym - XK_A);
  if (code >= 0) mGraphics->OnKeyDown(mPrevX, mPrevY, code);
}

// ---- The graphics context's platform operations --------------------------------------

namespace
{
bool gHeadlessForced = false;
}

void UseHeadlessPlatform(bool headless) { gHeadlessForced = headless; }

IGraphics* MakePlatformGraphics(IPlugBase* plug, int width, int height, int fps)
{
  if (gHeadlessForced) return new IGraphicsHeadless(plug, width, height, fps);
  return new IGraphicsLinux(plug, width, height, fps);
}

IGraphicsLinux::IGraphicsLinux(IPlugBase* plug, int width, int height, int fps)
    : IGraphics(plug, width, height, fps), mTitle(plug ? plug->GetEffectName() : "")
{
}

IGraphicsLinux::~IGraphicsLinux() { CloseWindow(); }

void IGraphicsLinux::SetContentScale(float scale)
{
  scale = !(scale >= 1.0f) ? 1.0f : scale > 3.0f ? 3.0f : scale;
  if (mView && mOwnLoop && !mOwnLoop->OnLoopThread())
  {
    mPendingScale.store(scale, std::memory_order_release);
    return;
  }
  ApplyContentScale(scale);
}

void IGraphicsLinux::TakePendingScale()
{
  const float scale = mPendingScale.exchange(0.0f, std::memory_order_acq_rel);
  if (scale > 0.0f) ApplyContentScale(scale);
}

void IGraphicsLinux::ApplyContentScale(float scale)
{
  if (scale == mScale) return;
  mScale = scale;
  SetDrawScale(scale);
  if (mView) ResizeView();
}

// The window keeps its identity through a new size or scale: the host's
// frame holds it, and an event pump may be running on it right now.
void IGraphicsLinux::ResizeView()
{
  mView->Resize(mScale);
  if (!mDrawBitmap) PrepDraw();
  SetAllControlsDirty();
  IRECT all(0, 0, mWidth, mHeight);
  Draw(&all);
}

unsigned long IGraphicsLinux::GetXWindow() const { return mView ? mView->XWindow() : 0; }
bool IGraphicsLinux::CloseRequested() const { return mView && mView->CloseRequested(); }

bool IGraphicsLinux::HostWindowSize(int* width, int* height) const
{
  if (!mView || !mView->ParentWidth()) return false;
  *width = mView->ParentWidth();
  *height = mView->ParentHeight();
  return true;
}
long IGraphicsLinux::ScreenCopies() const { return mView ? mView->ScreenCopies() : 0; }
bool IGraphicsLinux::TextEntryOpen() const { return mView && mView->TextEntryOpen(); }

void* IGraphicsLinux::OpenWindow(void* parent)
{
  CloseWindow();
  mView.reset(new X11EditorView(this, (Window) (uintptr_t) parent, mScale));
  if (!mView->IsValid())
  {
    mView.reset();
    return nullptr;
  }
  mView->SetParent((unsigned long) (uintptr_t) parent);
  EditorRunLoop* loop = mRunLoop;
  if (!loop)
  {
    mOwnLoop.reset(new ThreadRunLoop);
    loop = mOwnLoop.get();
  }
  mView->SetLoop(loop);
  // Everything is drawn for the first frame, which goes up at once.
  SetAllControlsDirty();
  IRECT all(0, 0, mWidth, mHeight);
  Draw(&all);
  loop->Attach(mView.get(), mView->Fd(), 1000 / (mFPS > 0 ? mFPS : 25));
  UpdateTooltips();
  return (void*) (uintptr_t) mView->XWindow();
}

void IGraphicsLinux::CloseWindow()
{
  if (!mView) return;
  mView->Loop()->Detach(mView.get());
  if (mCursorHidden) ShowMouseCursor();
  mOwnLoop.reset();
  mView.reset();
  ReleaseEditorResources();
  // Its thread is gone: a scale it had yet to take is taken here.
  TakePendingScale();
}

void* IGraphicsLinux::GetWindow() { return mView ? (void*) (uintptr_t) mView->XWindow() : nullptr; }

bool IGraphicsLinux::DrawScreen(IRECT* area)
{
  if (!mView || !area) return false;
  mView->Blit(*area);
  return true;
}

void IGraphicsLinux::ForceEndUserEdit()
{
  if (mView) mView->CloseTextEntry(false);
}

void IGraphicsLinux::Resize(int w, int h)
{
  if (w == mWidth && h == mHeight) return;
  IGraphics::Resize(w, h);
  if (mView) ResizeView();
}

IPopupMenu* IGraphicsLinux::CreateIPopupMenu(IPopupMenu* menu, IRECT* area)
{
  ReleaseMouseCapture();
  if (!mView || !menu || !area) return nullptr;
  return mView->RunMenu(menu, *area);
}

void IGraphicsLinux::CreateTextEntry(IControl* control, IText* text, IRECT* area, const char* initialText, IParam* param)
{
  if (mView && control && text && area) mView->OpenTextEntry(control, text, *area, initialText, param);
}

void IGraphicsLinux::UpdateTooltips()
{
  // Tool tips are looked up when the pointer rests: nothing to register.
}

void IGraphicsLinux::HideMouseCursor()
{
  if (mCursorHidden || !mView) return;
  if (mView->HideCursor(&mHiddenCursorX, &mHiddenCursorY)) mCursorHidden = true;
}

void IGraphicsLinux::ShowMouseCursor()
{
  if (!mCursorHidden || !mView) return;
  if (mView->ShowCursor(mHiddenCursorX, mHiddenCursorY)) mCursorHidden = false;
}

bool IGraphicsLinux::GetTextFromClipboard(WDL_String* text)
{
  std::string s;
  const bool ok = mView && mView->ReadClipboard(&s);
  if (text) text->Set(ok ? s.c_str() : "");
  return ok;
}

namespace
{
std::string ResourcesOf(const char* bundleID)
{
  std::string folder = BundleResourcesFolder(bundleID);
  return folder.empty() ? DC_ModuleResourcesFolder() : folder;
}
}  // namespace

LICE_IBitmap* IGraphicsLinux::OSLoadBitmap(int, const char* name)
{
  return LoadEditorImage(ResourcesOf(GetBundleID()), name);
}

bool IGraphicsLinux::OSImageSize(int, const char* name, int* width, int* height)
{
  return EditorImageSize(ResourcesOf(GetBundleID()), name, width, height);
}
