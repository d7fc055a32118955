// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The edit-controller side of the VST 3 binding: the parameters the host
// sees, their values and texts, units and the program list, and the edit
// notifications that carry the editor's gestures to the host.
#include <cmath>
#include <cstring>

#include "../IGraphics/IGraphics.h"
#include "../IPlug/Log.h"
#include "IPlugVST3.h"
#include "IPlugVST3View.h"
#include "VST3Strings.h"
#include "pluginterfaces/vst/ivstcontextmenu.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

void IPlugVST3::RegisterParameters()
{
  String128 title, units;

  if (NPresets())
  {
    Utf8ToString128("Preset", title);
    Utf8ToString128("", units);
    parameters.addParameter(title, units, NPresets(), 0.0, ParameterInfo::kIsProgramChange, kPresetParam, kRootUnitId);
  }

  if (!IsInst())
  {
    Utf8ToString128("Bypass", title);
    auto* bypass = new StringListParameter(
        title, kBypassParam, nullptr, ParameterInfo::kCanAutomate | ParameterInfo::kIsList | ParameterInfo::kIsBypass,
        kRootUnitId);
    String128 text;
    Utf8ToString128("off", text);
    bypass->appendString(text);
    Utf8ToString128("on", text);
    bypass->appendString(text);
    parameters.addParameter(bypass);
  }

  for (int i = 0; i < NParams(); ++i)
  {
    IParam* p = GetParam(i);
    const char* group = p->GetParamGroupForHost();
    UnitID unit = kRootUnitId;
    if (group[0])
    {
      // The last matching position counts, numbered from 1.
      for (int g = 0; g < mParamGroups.GetSize(); ++g)
        if (!strcmp(mParamGroups.Get(g), group)) unit = g + 1;
      if (unit == kRootUnitId)
      {
        mParamGroups.Add(group);
        unit = mParamGroups.GetSize();
      }
    }

    int32 flags = p->GetCanAutomate() ? ParameterInfo::kCanAutomate : 0;
    Utf8ToString128(p->GetNameForHost(), title);
    Utf8ToString128(p->GetLabelForHost(), units);

    switch (p->Type())
    {
      case IParam::kTypeInt:
      case IParam::kTypeDouble:
      {
        auto* range = new RangeParameter(title, (ParamID) i, units, p->GetMin(), p->GetMax(), p->GetDefault(), 0,
                                         flags, unit);
        range->setPrecision(p->GetPrecision());
        parameters.addParameter(range);
        break;
      }
      case IParam::kTypeBool:
      case IParam::kTypeEnum:
      {
        // Without display texts a list would have no entries (step count
        // -1); such a parameter is a range of whole numbers instead.
        if (!p->GetNDisplayTexts())
        {
          auto* range = new RangeParameter(title, (ParamID) i, units, p->GetMin(), p->GetMax(), p->GetDefault(),
                                           (int32) (p->GetMax() - p->GetMin()), flags, unit);
          range->setPrecision(0);
          parameters.addParameter(range);
          break;
        }
        auto* list = new StringListParameter(title, (ParamID) i, units, flags | ParameterInfo::kIsList, unit);
        for (int t = 0; t < p->GetNDisplayTexts(); ++t)
        {
          String128 text;
          Utf8ToString128(p->GetDisplayTextAtIdx(t), text);
          list->appendString(text);
        }
        parameters.addParameter(list);
        break;
      }
      default: break;
    }
  }
}

// A change from the host's user-interface thread reaches the working values
// (OnParamChange) under the framework mutex, as the editor's changes do, so
// what the host saves afterwards is what is heard.
tresult PLUGIN_API IPlugVST3::setParamNormalized(ParamID tag, ParamValue value)
{
  NotifyHostOfPendingChanges();
  if (!std::isfinite(value)) return kResultFalse;
  if (tag == kBypassParam)
  {
    SetBypassed(value > 0.5);
    return kResultOk;
  }
  ApplyDeferredChanges();
  if (tag == kPresetParam)
  {
    const ProgramChange change = ChangeProgram(value);
    if (change == kProgramChangedParams)
      if (IComponentHandler* handler = getComponentHandler()) handler->restartComponent(kParamValuesChanged);
    return change == kProgramRefused ? kResultFalse : kResultOk;
  }
  if (!IsValidParamIndex(tag)) return kResultFalse;
  WDL_MutexLock lock(&mMutex);
  GetParam((int) tag)->SetNormalized(value);
  if (IGraphics* graphics = GetGUI()) graphics->SetParameterFromPlug((int) tag, value, true);
  OnParamChange((int) tag);
  return kResultOk;
}

ParamValue PLUGIN_API IPlugVST3::getParamNormalized(ParamID tag)
{
  ApplyDeferredChanges();
  NotifyHostOfPendingChanges();
  if (tag == kBypassParam) return GetIsBypassed() ? 1.0 : 0.0;
  if (IsValidParamIndex(tag)) return GetParam((int) tag)->GetNormalized();
  return 0.0;
}

ParamValue PLUGIN_API IPlugVST3::plainParamToNormalized(ParamID tag, ParamValue plainValue)
{
  if (IsValidParamIndex(tag)) return GetParam((int) tag)->GetNormalized(plainValue);
  return plainValue;
}

tresult PLUGIN_API IPlugVST3::getParamStringByValue(ParamID tag, ParamValue valueNormalized, String128 string)
{
  if (!IsValidParamIndex(tag) || !string) return kResultFalse;
  char text[IParam::kDisplaySize];
  GetParam((int) tag)->GetDisplayForHost(valueNormalized, true, text, true, (int) sizeof(text));
  Utf8ToString128(text, string);
  return kResultOk;
}

int32 PLUGIN_API IPlugVST3::getUnitCount() { return NParamGroups() + 1; }

tresult PLUGIN_API IPlugVST3::getUnitInfo(int32 unitIndex, UnitInfo& info)
{
  if (unitIndex == 0)
  {
    info.id = kRootUnitId;
    info.parentUnitId = kNoParentUnitId;
    Utf8ToString128("Root Unit", info.name);
    info.programListId = kPresetParam;
    return kResultTrue;
  }
  if (unitIndex >= 1 && unitIndex <= NParamGroups())
  {
    info.id = unitIndex;
    info.parentUnitId = kRootUnitId;
    Utf8ToString128(mParamGroups.Get(unitIndex - 1), info.name);
    info.programListId = kNoProgramListId;
    return kResultTrue;
  }
  return kResultFalse;
}

int32 PLUGIN_API IPlugVST3::getProgramListCount() { return NPresets() > 0 ? 1 : 0; }

tresult PLUGIN_API IPlugVST3::getProgramListInfo(int32 listIndex, ProgramListInfo& info)
{
  if (listIndex != 0) return kResultFalse;
  info.id = kPresetParam;
  info.programCount = NPresets();
  Utf8ToString128("Factory Presets", info.name);
  return kResultTrue;
}

tresult PLUGIN_API IPlugVST3::getProgramName(ProgramListID listId, int32 programIndex, String128 name)
{
  if (listId != kPresetParam || !name) return kResultFalse;
  Utf8ToString128(GetPresetName(programIndex), name);
  return kResultTrue;
}

tresult IPlugVST3::beginEdit(ParamID tag)
{
  IComponentHandler* handler = getComponentHandler();
  return handler ? handler->beginEdit(tag) : kResultFalse;
}

tresult IPlugVST3::performEdit(ParamID tag, ParamValue valueNormalized)
{
  IComponentHandler* handler = getComponentHandler();
  return handler ? handler->performEdit(tag, valueNormalized) : kResultFalse;
}

tresult IPlugVST3::endEdit(ParamID tag)
{
  IComponentHandler* handler = getComponentHandler();
  return handler ? handler->endEdit(tag) : kResultFalse;
}

void IPlugVST3::BeginInformHostOfParamChange(int idx)
{
  Trace(TRACE_HERE, "%d", idx);
  beginEdit((ParamID) idx);
}

void IPlugVST3::InformHostOfParamChange(int idx, double normalizedValue)
{
  Trace(TRACE_HERE, "%d:%f", idx, normalizedValue);
  performEdit((ParamID) idx, normalizedValue);
}

void IPlugVST3::EndInformHostOfParamChange(int idx)
{
  Trace(TRACE_HERE, "%d", idx);
  endEdit((ParamID) idx);
}

// ---- Editor views -------------------------------------------------------------------

IPlugView* PLUGIN_API IPlugVST3::createView(FIDString name)
{
  if (!name || strcmp(name, ViewType::kEditor) != 0) return nullptr;
  auto* view = new IPlugVST3View(this);
  addDependentView(view);
  return view;
}

void IPlugVST3::addDependentView(IPlugVST3View* view) { mViews.Add(view); }

IPlugVST3View* IPlugVST3::AttachedView() const
{
  for (int i = 0; i < mViews.GetSize(); ++i)
    if (mViews.Get(i)->isAttached()) return mViews.Get(i);
  return nullptr;
}

// A view's first entry leaves the list; terminate may have emptied it already.
void IPlugVST3::removeDependentView(IPlugVST3View* view) { mViews.Delete(mViews.Find(view)); }

void IPlugVST3::ResizeGraphics(int w, int h)
{
  if (IPlugVST3View* view = GetGUI() ? AttachedView() : nullptr) view->resize(w, h);
}

void IPlugVST3::PopupHostContextMenuForParam(int idx, int x, int y)
{
  IComponentHandler* handler = getComponentHandler();
  if (!handler || !mViews.GetSize()) return;
  IComponentHandler3* handler3 = nullptr;
  if (handler->queryInterface(IComponentHandler3::iid, (void**) &handler3) != kResultOk || !handler3) return;
  ParamID id = (ParamID) idx;
  IPlugVST3View* view = AttachedView();
  if (IContextMenu* menu = view ? handler3->createContextMenu(view, &id) : nullptr)
  {
    // The host places it in the view's pixels; x and y are the editor's.
    const float scale = GetGUI() ? GetGUI()->GetDrawScale() : 1.0f;
    menu->popup((UCoord) std::lround(x * scale), (UCoord) std::lround(y * scale));
    menu->release();
  }
  handler3->release();
}
