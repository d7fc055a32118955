// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// What the X11 editor draws for itself with the raster and text layers: the
// text entry field over a control, popup menus as override-redirect
// windows (modal until a choice or a dismissal), and tool tips; plus the
// cursor and the CLIPBOARD selection.
#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "IControl.h"
#include "IParam.h"
#include "IPopupMenu.h"
#include "lice.h"
// Xlib last: its macros (Bool, None, Status) would break the headers above.
#include "X11View.h"
#include <X11/extensions/Xfixes.h>

namespace
{
LICE_pixel Pack(const IColor& c)
{
  return LICE_RGBA((unsigned) c.red, (unsigned) c.green, (unsigned) c.blue, (unsigned) c.alpha);
}

long long NowMs()
{
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (long long) t.tv_sec * 1000 + t.tv_nsec / 1000000;
}

// The menus' and tool tips' look.
const IColor kMenuBack(255, 44, 30, 48), kMenuHover(255, 246, 164, 66), kMenuText(255, 240, 226, 196);
const IColor kMenuDisabled(255, 120, 104, 118), kMenuSeparator(255, 90, 70, 94);
const int kItemHeight = 20, kSeparatorHeight = 9, kMenuPad = 4;
}  // namespace

void X11EditorView::PutBitmap(Window w, LICE_IBitmap* bm)
{
  const int s = WidgetScale(), bw = bm->getWidth() * s, bh = bm->getHeight() * s;
  const int bpp = mDepth > 16 ? 32 : 16;
  char* data = (char*) calloc((size_t) bw * bh, (size_t) bpp / 8);
  XImage* img = XCreateImage(mDisplay, mVisual, (unsigned) mDepth, ZPixmap, 0, data, (unsigned) bw, (unsigned) bh, bpp, 0);
  if (!img)
  {
    free(data);
    return;
  }
  ConvertToImage(bm, IRECT(0, 0, bm->getWidth(), bm->getHeight()), img, s);
  XPutImage(mDisplay, w, mGC, img, 0, 0, 0, 0, (unsigned) bw, (unsigned) bh);
  XDestroyImage(img);
  XFlush(mDisplay);
}

// ---- Text entry ------------------------------------------------------------------------

void X11EditorView::OpenTextEntry(IControl* control, IText* style, IRECT area, const char* initial,
                                             IParam* param)
{
  if (!control || mEntry || area.W() <= 0 || area.H() <= 0 || !Shown()) return;
  X11ErrorTrap trap(mDisplay);
  auto entry = std::make_unique<TextEntry>();
  entry->control = control;
  entry->param = param;
  entry->rect = area;
  entry->style = *style;
  entry->style.size = (int) ((float) style->size * 0.9f);
  entry->style.cachedFont = nullptr;  // a font of its own size
  entry->text = initial ? initial : "";
  entry->selected = !entry->text.empty();
  entry->maxLength = (size_t) std::max(0, control->GetTextEntryLength());
  if (param)
  {
    if (param->Type() == IParam::kTypeDouble) entry->allowed = "0123456789.-+";
    else if (param->Type() != IParam::kTypeNone) entry->allowed = "0123456789-+";
  }
  const int s = WidgetScale();
  const IRECT at = mGraphics->ToDrawPixels(area);
  entry->window = XCreateSimpleWindow(mDisplay, mWindow, at.left, at.top, (unsigned) (area.W() * s),
                                      (unsigned) (area.H() * s), 0, 0, 0);
  XSelectInput(mDisplay, entry->window, ExposureMask);
  XMapRaised(mDisplay, entry->window);
  // The keyboard comes to the editor while the field is open, and goes
  // back to where it was (the host's shortcuts) when it closes.
  int revert = 0;
  XGetInputFocus(mDisplay, &mFocusBeforeEntry, &revert);
  XSetInputFocus(mDisplay, mWindow, RevertToParent, CurrentTime);
  mEntry = std::move(entry);
  DrawEntry();
}

void X11EditorView::DrawEntry()
{
  if (!mEntry) return;
  const IRECT& r = mEntry->rect;
  LICE_SysBitmap bm(r.W(), r.H());
  LICE_Clear(&bm, Pack(mEntry->style.textEntryBGColor));
  LICE_CachedFont* font = mGraphics->CacheFont(&mEntry->style);
  int textRight = 2;
  if (font)
  {
    WDL_MutexLock lock(&IGraphics::CachedFontUse());
    font->SetTextColor(Pack(mEntry->style.textEntryFGColor));
    unsigned flags = DT_VCENTER | DT_SINGLELINE;
    if (mEntry->style.align == IText::kAlignCenter) flags |= DT_CENTER;
    else if (mEntry->style.align == IText::kAlignFar) flags |= DT_RIGHT;
    RECT box = {2, 0, r.W() - 3, r.H()};
    if (mEntry->selected)
    {
      // The selected initial text shows inverted.
      LICE_Clear(&bm, Pack(mEntry->style.textEntryFGColor));
      font->SetTextColor(Pack(mEntry->style.textEntryBGColor));
    }
    RECT measured = {0, 0, 0, 0};
    font->DrawText(nullptr, mEntry->text.c_str(), -1, &measured, DT_CALCRECT | DT_SINGLELINE);
    font->DrawText(&bm, mEntry->text.c_str(), -1, &box, flags);
    const int w = measured.right;
    textRight = mEntry->style.align == IText::kAlignCenter ? (r.W() + w) / 2
                : mEntry->style.align == IText::kAlignFar  ? r.W() - 3
                                                           : 2 + w;
  }
  // The caret after the text, and a frame.
  const LICE_pixel fg = Pack(mEntry->style.textEntryFGColor);
  LICE_Line(&bm, textRight, 3, textRight, r.H() - 4, fg);
  LICE_DrawRect(&bm, 0, 0, r.W() - 1, r.H() - 1, fg, 0.5f);
  PutBitmap(mEntry->window, &bm);
}

void X11EditorView::EntryKey(XKeyEvent& k)
{
  char text[16] = {};
  KeySym sym = 0;
  const int n = XLookupString(&k, text, sizeof(text) - 1, &sym, nullptr);
  if (sym == XK_Return || sym == XK_KP_Enter) return CloseTextEntry(true);
  if (sym == XK_Escape) return CloseTextEntry(false);
  std::string& s = mEntry->text;
  const bool replace = mEntry->selected;
  if (sym == XK_BackSpace && replace)
  {
    s.clear();
  }
  else if (sym == XK_BackSpace)
  {
    // A whole UTF-8 character.
    while (!s.empty() && ((unsigned char) s.back() & 0xC0) == 0x80) s.pop_back();
    if (!s.empty()) s.pop_back();
  }
  else if (n == 1 && (unsigned char) text[0] >= 32 && (unsigned char) text[0] < 127)
  {
    // The formatter's rules: only the allowed characters, at most the
    // control's length; a refused keystroke changes nothing.
    if (!mEntry->allowed.empty() && mEntry->allowed.find(text[0]) == std::string::npos) return;
    if (replace) s.clear();
    if (mEntry->maxLength && s.size() >= mEntry->maxLength) return;
    s += text[0];
  }
  else
  {
    return;
  }
  mEntry->selected = false;
  DrawEntry();
}

void X11EditorView::CloseTextEntry(bool apply)
{
  if (!mEntry) return;
  std::unique_ptr<TextEntry> entry = std::move(mEntry);  // closed before anything it calls runs
  if (Shown())
  {
    X11ErrorTrap trap(mDisplay);
    XDestroyWindow(mDisplay, entry->window);
    // Focus goes back only if it is still ours: the user may have clicked
    // into the host meanwhile. A window gone since is no error of ours.
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(mDisplay, &focus, &revert);
    if ((focus == mWindow || focus == entry->window) && mFocusBeforeEntry > PointerRoot)
      XSetInputFocus(mDisplay, mFocusBeforeEntry, RevertToParent, CurrentTime);
    NoteErrors(trap);
  }
  mFocusBeforeEntry = 0;
  if (apply)
  {
    if (entry->param) mGraphics->SetFromStringAfterPrompt(entry->control, entry->param, entry->text.c_str());
    else entry->control->TextFromTextEntry(entry->text.c_str());
  }
  Blit(IRECT(0, 0, mGraphics->Width(), mGraphics->Height()));
}

// ---- Popup menus -------------------------------------------------------------------------

namespace
{
struct MenuWindow
{
  IPopupMenu* menu;
  Window window = 0;
  int x = 0, y = 0, w = 0, h = 0;  // root coordinates, editor pixels times the scale
  std::vector<int> tops;          // each item's top, in editor pixels
  int hover = -1;

  int ItemAt(int ry, int scale) const
  {
    const int py = (ry - y) / scale;
    for (size_t i = 0; i < tops.size(); ++i)
    {
      const bool sep = menu->GetItem((int) i)->GetIsSeparator();
      if (py >= tops[i] && py < tops[i] + (sep ? kSeparatorHeight : kItemHeight)) return (int) i;
    }
    return -1;
  }
  bool Contains(int rx, int ry) const { return rx >= x && rx < x + w && ry >= y && ry < y + h; }
};
}  // namespace

IPopupMenu* X11EditorView::RunMenu(IPopupMenu* menu, IRECT area)
{
  IText style(12, kMenuText, "Tahoma");
  LICE_CachedFont* font = mGraphics->CacheFont(&style);
  if (!font || !menu->GetNItems() || !Shown()) return nullptr;
  X11ErrorTrap trap(mDisplay);
  const int s = WidgetScale();
  std::vector<std::unique_ptr<MenuWindow>> open;

  auto draw = [&](MenuWindow& m) {
    WDL_MutexLock lock(&IGraphics::CachedFontUse());
    LICE_SysBitmap bm(m.w / s, m.h / s);
    LICE_Clear(&bm, Pack(kMenuBack));
    for (int i = 0; i < m.menu->GetNItems(); ++i)
    {
      IPopupMenuItem* item = m.menu->GetItem(i);
      const int top = m.tops[(size_t) i];
      if (item->GetIsSeparator())
      {
        LICE_Line(&bm, 6, top + kSeparatorHeight / 2, m.w / s - 7, top + kSeparatorHeight / 2, Pack(kMenuSeparator));
        continue;
      }
      const bool hot = i == m.hover && item->GetEnabled();
      if (hot) LICE_FillRect(&bm, 1, top, m.w / s - 2, kItemHeight, Pack(kMenuHover));
      const IColor ink = !item->GetEnabled() ? kMenuDisabled : hot ? IColor(255, 30, 18, 34) : kMenuText;
      if (item->GetChecked())
      {
        LICE_Line(&bm, 6, top + 10, 9, top + 14, Pack(ink), 1.0f, 0, true);
        LICE_Line(&bm, 9, top + 14, 15, top + 5, Pack(ink), 1.0f, 0, true);
      }
      WDL_String title;
      m.menu->GetDisplayText(i, &title);
      font->SetTextColor(Pack(ink));
      RECT r = {20 + (item->GetIsTitle() ? 12 : 0), top, m.w / s - 16, top + kItemHeight};
      font->DrawText(&bm, title.Get(), -1, &r, DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
      if (item->GetSubmenu())
        LICE_FillTriangle(&bm, m.w / s - 12, top + 6, m.w / s - 12, top + 14, m.w / s - 7, top + 10, Pack(ink));
    }
    LICE_DrawRect(&bm, 0, 0, m.w / s - 1, m.h / s - 1, Pack(kMenuSeparator));
    PutBitmap(m.window, &bm);
  };

  // Opens a menu with its top-left corner at root (rx, ry).
  auto show = [&](IPopupMenu* which, int rx, int ry) {
    auto m = std::make_unique<MenuWindow>();
    m->menu = which;
    int width = 80, top = kMenuPad;
    WDL_MutexLock lock(&IGraphics::CachedFontUse());
    for (int i = 0; i < which->GetNItems(); ++i)
    {
      WDL_String title;
      which->GetDisplayText(i, &title);
      RECT r = {0, 0, 0, 0};
      font->DrawText(nullptr, title.Get(), -1, &r, DT_CALCRECT | DT_SINGLELINE);
      width = std::max(width, r.right + 48);
      m->tops.push_back(top);
      top += which->GetItem(i)->GetIsSeparator() ? kSeparatorHeight : kItemHeight;
    }
    m->w = width * s;
    m->h = (top + kMenuPad) * s;
    // Kept on the screen.
    const int sw = DisplayWidth(mDisplay, DefaultScreen(mDisplay)), sh = DisplayHeight(mDisplay, DefaultScreen(mDisplay));
    m->x = std::max(0, std::min(rx, sw - m->w));
    m->y = std::max(0, std::min(ry, sh - m->h));
    XSetWindowAttributes attrs = {};
    attrs.override_redirect = True;
    attrs.save_under = True;
    attrs.event_mask = ExposureMask;
    m->window = XCreateWindow(mDisplay, DefaultRootWindow(mDisplay), m->x, m->y, (unsigned) m->w, (unsigned) m->h, 0,
                              CopyFromParent, InputOutput, CopyFromParent, CWOverrideRedirect | CWSaveUnder | CWEventMask,
                              &attrs);
    XMapRaised(mDisplay, m->window);
    draw(*m);
    open.push_back(std::move(m));
  };
  auto closeFrom = [&](size_t level) {
    while (open.size() > level)
    {
      XDestroyWindow(mDisplay, open.back()->window);
      open.pop_back();
    }
  };

  int rx = 0, ry = 0;
  Window child;
  const IRECT at = mGraphics->ToDrawPixels(area);
  XTranslateCoordinates(mDisplay, mWindow, DefaultRootWindow(mDisplay), at.left, at.bottom, &rx, &ry, &child);
  show(menu, rx, ry);
  XGrabPointer(mDisplay, open[0]->window, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
               GrabModeAsync, 0, 0, CurrentTime);
  XGrabKeyboard(mDisplay, open[0]->window, False, GrabModeAsync, GrabModeAsync, CurrentTime);
  XFlush(mDisplay);

  IPopupMenu* chosen = nullptr;
  bool pressedInside = false, done = false;
  const long long opened = NowMs();
  auto handle = [&](XEvent& ev) {
    if (ev.type == Expose)
    {
      for (auto& m : open)
        if (m->window == ev.xany.window) draw(*m);
      if (ev.xany.window == mWindow) Handle(ev);
      return;
    }
    if (ev.type == KeyPress)
    {
      char buf[8];
      KeySym sym = 0;
      XLookupString(&ev.xkey, buf, sizeof(buf), &sym, nullptr);
      if (sym == XK_Escape) done = true;
      return;
    }
    if (ev.type != MotionNotify && ev.type != ButtonPress && ev.type != ButtonRelease) return;
    const int px = ev.type == MotionNotify ? ev.xmotion.x_root : ev.xbutton.x_root;
    const int py = ev.type == MotionNotify ? ev.xmotion.y_root : ev.xbutton.y_root;
    int level = -1;
    for (int l = (int) open.size() - 1; l >= 0 && level < 0; --l)
      if (open[(size_t) l]->Contains(px, py)) level = l;
    if (level < 0)
    {
      if (ev.type == ButtonPress) done = true;  // a press outside dismisses
      return;
    }
    MenuWindow& m = *open[(size_t) level];
    const int item = m.ItemAt(py, s);
    if (item != m.hover)
    {
      m.hover = item;
      draw(m);
    }
    IPopupMenuItem* it = m.menu->GetItem(item);
    if (ev.type == MotionNotify || ev.type == ButtonPress)
    {
      pressedInside |= ev.type == ButtonPress;
      // Hovering an item with a submenu opens it beside the item.
      if (it && it->GetSubmenu() && it->GetEnabled())
      {
        if (open.size() <= (size_t) level + 1 || open[(size_t) level + 1]->menu != it->GetSubmenu())
        {
          closeFrom((size_t) level + 1);
          show(it->GetSubmenu(), m.x + m.w - 2 * s, m.y + m.tops[(size_t) item] * s);
        }
      }
      else if (ev.type == MotionNotify && it)
      {
        closeFrom((size_t) level + 1);
      }
      return;
    }
    // A release chooses: after a press inside, or once the opening click
    // has had time to end.
    if (!pressedInside && NowMs() - opened < 300) return;
    if (it && it->GetEnabled() && !it->GetIsSeparator() && !it->GetSubmenu())
    {
      m.menu->SetChosenItemIdx(item);
      chosen = m.menu;
      done = true;
    }
  };
  while (!done)
  {
    if (!XPending(mDisplay))
    {
      pollfd p = {ConnectionNumber(mDisplay), POLLIN, 0};
      poll(&p, 1, 100);
    }
    if (X11DisplayLost(mDisplay)) return nullptr;
    while (!done && XPending(mDisplay))
    {
      XEvent ev;
      XNextEvent(mDisplay, &ev);
      if (ev.type == DestroyNotify && ev.xany.window == mWindow)
      {
        Handle(ev);
        done = true;  // the host's window went away under the menu
      }
      else
      {
        handle(ev);
      }
    }
  }
  XUngrabKeyboard(mDisplay, CurrentTime);
  XUngrabPointer(mDisplay, CurrentTime);
  closeFrom(0);
  NoteErrors(trap);
  return chosen;
}

// ---- Tool tips -----------------------------------------------------------------------------

void X11EditorView::NoteHover(int x, int y)
{
  if (std::abs(x - mHoverX) + std::abs(y - mHoverY) < 3 && mHoverSince) return;
  HideTooltip();
  mHoverX = x;
  mHoverY = y;
  mHoverSince = NowMs();
}

void X11EditorView::UpdateTooltipTimer()
{
  if (!mGraphics->TooltipsEnabled() || mTooltip || !mHoverSince || NowMs() - mHoverSince < kTooltipDelayMs) return;
  IControl* c = mGraphics->GetControl(mGraphics->GetMouseControlIdx(mHoverX, mHoverY, true));
  if (!c || !c->GetTooltip()[0] || c->IsHidden()) return;
  IText style(11, kMenuText, "Tahoma");
  LICE_CachedFont* font = mGraphics->CacheFont(&style);
  if (!font) return;
  WDL_MutexLock lock(&IGraphics::CachedFontUse());
  RECT m = {0, 0, 0, 0};
  font->DrawText(nullptr, c->GetTooltip(), -1, &m, DT_CALCRECT | DT_SINGLELINE);
  LICE_SysBitmap bm(m.right + 10, m.bottom + 6);
  LICE_Clear(&bm, Pack(kMenuBack));
  font->SetTextColor(Pack(kMenuText));
  RECT r = {5, 3, bm.getWidth(), bm.getHeight()};
  font->DrawText(&bm, c->GetTooltip(), -1, &r, DT_SINGLELINE | DT_NOCLIP);
  LICE_DrawRect(&bm, 0, 0, bm.getWidth() - 1, bm.getHeight() - 1, Pack(kMenuSeparator));
  int rx = 0, ry = 0;
  Window child;
  const IRECT at = mGraphics->ToDrawPixels(IRECT(mHoverX, mHoverY + 18, mHoverX, mHoverY + 18));
  XTranslateCoordinates(mDisplay, mWindow, DefaultRootWindow(mDisplay), at.left, at.top, &rx, &ry, &child);
  XSetWindowAttributes attrs = {};
  attrs.override_redirect = True;
  mTooltip = XCreateWindow(mDisplay, DefaultRootWindow(mDisplay), rx, ry, (unsigned) (bm.getWidth() * WidgetScale()),
                           (unsigned) (bm.getHeight() * WidgetScale()), 0, CopyFromParent, InputOutput, CopyFromParent,
                           CWOverrideRedirect, &attrs);
  XMapRaised(mDisplay, mTooltip);
  PutBitmap(mTooltip, &bm);
}

void X11EditorView::HideTooltip()
{
  if (!mTooltip) return;
  if (!X11DisplayLost(mDisplay))
  {
    X11ErrorTrap trap(mDisplay);
    XDestroyWindow(mDisplay, mTooltip);
  }
  mTooltip = 0;
}

// ---- Cursor and clipboard ------------------------------------------------------------------

bool X11EditorView::HideCursor(int* x, int* y)
{
  if (!Shown()) return false;
  X11ErrorTrap trap(mDisplay);
  Window root, child;
  int rx, ry, wx, wy;
  unsigned mask;
  if (!XQueryPointer(mDisplay, mWindow, &root, &child, &rx, &ry, &wx, &wy, &mask)) return false;
  *x = rx;
  *y = ry;
  XFixesHideCursor(mDisplay, mWindow);
  XFlush(mDisplay);
  return true;
}

bool X11EditorView::ShowCursor(int x, int y)
{
  // A lost window has no cursor to show again.
  if (!Shown()) return true;
  X11ErrorTrap trap(mDisplay);
  XWarpPointer(mDisplay, 0, DefaultRootWindow(mDisplay), 0, 0, 0, 0, x, y);
  XFixesShowCursor(mDisplay, mWindow);
  XFlush(mDisplay);
  return true;
}

bool X11EditorView::ReadClipboard(std::string* text)
{
  if (!Shown()) return false;
  X11ErrorTrap trap(mDisplay);
  const Atom clipboard = XInternAtom(mDisplay, "CLIPBOARD", False);
  const Atom utf8 = XInternAtom(mDisplay, "UTF8_STRING", False);
  const Atom target = XInternAtom(mDisplay, "PLUSHGRIT_CLIPBOARD", False);
  if (XGetSelectionOwner(mDisplay, clipboard) == 0) return false;
  XConvertSelection(mDisplay, clipboard, utf8, target, mWindow, CurrentTime);
  XFlush(mDisplay);
  // The owner answers through the server; a quarter of a second at most.
  XEvent ev;
  bool answered = false;
  for (long long start = NowMs(); NowMs() - start < 250 && !answered;)
  {
    answered = XCheckTypedWindowEvent(mDisplay, mWindow, SelectionNotify, &ev);
    if (!answered) usleep(2000);
  }
  if (!answered || ev.xselection.property == 0) return false;
  Atom type;
  int format;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  XGetWindowProperty(mDisplay, mWindow, target, 0, 1 << 20, True, AnyPropertyType, &type, &format, &count, &after, &data);
  if (!data) return false;
  text->assign((const char*) data, count);
  XFree(data);
  return true;
}
