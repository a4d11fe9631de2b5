#pragma once
// A job for the worker pool, as the pool sees it (IWorkItem), and the base of
// every job (TBasicWorkItem). Tags identify whom a job belongs to: by
// convention the tag is the item the result is for and the group tag the
// control that asked; 0 in a filter means "any".
#include <windows.h>
#include <unknwn.h>

#include <atomic>
#include <cstdint>
#include <functional>

#include "toolkit/InterfacedObject.h"
#include "toolkit/StringList.h"

namespace ts {

// Pointer-sized, so that an object's address is a tag on 64-bit Windows too.
using TWorkTag = std::intptr_t;

// Runs on the main thread when a job has been performed.
using TWorkDoneHandler = std::function<void()>;

// {5B0F2C71-3C59-4E4B-9E1C-7A0D43E1B6A2}
inline constexpr GUID IID_IWorkItem = {0x5b0f2c71, 0x3c59, 0x4e4b, {0x9e, 0x1c, 0x7a, 0x0d, 0x43, 0xe1, 0xb6, 0xa2}};

struct IWorkItem : public IUnknown {
  virtual TWorkDoneHandler GetWorkDoneHandler() = 0;
  virtual TWorkTag GetTag() = 0;
  virtual TWorkTag GetGroupTag() = 0;
  virtual void PerformWork() = 0;
  virtual void Terminate() = 0;
  virtual void SetPause(bool value) = 0;
  virtual TClass ClassType() const noexcept = 0;
};

class TBasicWorkItem : public TInterfacedObject, public IWorkItem {
  TS_CLASS(TBasicWorkItem, TInterfacedObject)

public:
  TBasicWorkItem() = default;

  TS_IUNKNOWN_METHODS

  // IWorkItem
  void PerformWork() override = 0;
  TWorkDoneHandler GetWorkDoneHandler() override { return fOnWorkDone; }
  TWorkTag GetTag() override { return fTag; }
  TWorkTag GetGroupTag() override { return fGroupTag; }
  void Terminate() override { fTerminated.store(true); }
  void SetPause(bool value) override { fPaused.store(value); }

  // Holds a paused job here until it is resumed or terminated; jobs call it
  // between steps of their work.
  bool Terminated();
  // The flag itself, without waiting on a pause.
  const std::atomic<bool>& TerminatedFlag() const noexcept { return fTerminated; }

  // Tags are set before the job is queued and stay as they are from then on.
  void SetTag(TWorkTag value) noexcept { fTag = value; }
  void SetGroupTag(TWorkTag value) noexcept { fGroupTag = value; }
  const TNotifyEvent& GetOnTerminate() const noexcept { return fOnTerminate; }
  // Assigning it makes the job's done handler fire it on the main thread.
  void SetOnTerminate(TNotifyEvent value);

protected:
  ~TBasicWorkItem() override = default;
  void* GetInterface(REFIID iid) noexcept override;

  std::atomic<bool> fPaused{false};
  TWorkDoneHandler fOnWorkDone;
  TNotifyEvent fOnTerminate;
  TWorkTag fTag = 0;
  TWorkTag fGroupTag = 0;
  std::atomic<bool> fTerminated{false};
};

}  // namespace ts
