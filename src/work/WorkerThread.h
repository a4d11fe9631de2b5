#pragma once
// A pool thread that takes jobs from its worker pool and runs them, with the
// shell's component model initialised for it when the pool asks for that.
#include "toolkit/ComPtr.h"
#include "work/NsThread.h"
#include "work/WorkItem.h"

namespace ts {

class TWorkerThreadPool;

class TWorkerThread : public TNsThread {
  TS_CLASS(TWorkerThread, TNsThread)

public:
  explicit TWorkerThread(bool aInitializeCOM);
  ~TWorkerThread() override;

  // Asks the thread to end, tells its current job to end too, and starts
  // the thread when it is suspended.
  void Terminate() override;
  void SetPaused(bool value) override;

  // Tells the current job to end when it matches (exact class); answers
  // whether it did.
  bool TerminateWorkItem(TWorkTag aTag, TWorkTag aGroupTag, TClass aClass);
  // The current job when it matches as TerminateWorkItem matches; null
  // otherwise.
  TComPtr<IWorkItem> WorkItemToTerminate(TWorkTag aTag, TWorkTag aGroupTag, TClass aClass) const;
  // Whether the current job matches (class by derivation).
  bool RunsWorkItem(TWorkTag aTag, TWorkTag aGroupTag, TClass aClass);
  // A counted reference to the current job, or null between jobs.
  TComPtr<IWorkItem> GetWorkItem() const;
  bool GetInitializeCOM() const noexcept { return fInitializeCOM; }

protected:
  void Execute() override;
  // Initialises the component model for the thread's jobs; the thread ends
  // when this fails.
  virtual HRESULT InitializeCOM();

private:
  friend class TWorkerThreadPool;
  TWorkerThreadPool* Pool() const;
  // Records the job the worker runs from now on (null: none); the job takes
  // the worker's pause state with it.
  void SetWorkItem(TComPtr<IWorkItem> item);

  mutable SRWLOCK fWorkItemLock = SRWLOCK_INIT;
  TComPtr<IWorkItem> fWorkItem;
  bool fInitializeCOM;
};

}  // namespace ts
