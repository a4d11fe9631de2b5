// The totals of the selection, added up by folder-size jobs on the pool.
#include "link/NsSelectionList.h"

#include "toolkit/ComPtr.h"
#include "work/FolderSizeWorkItem.h"
#include "work/GlobalWorkerPool.h"

namespace ts {

void TNsSelectionList::CalculateFolder(const std::wstring& RootPath, bool subtract) {
  TWorkerThreadPool* pool = GlobalWorkerPool();
  if (pool == nullptr) return;
  TComPtr<TNsFolderSizeWorkItem> job(new TNsFolderSizeWorkItem(RootPath, true, fFollowReparsePoint));
  job->SetFactor(subtract ? -1 : 1);
  job->SetTag(reinterpret_cast<TWorkTag>(static_cast<TNsBaseSelectionList*>(this)));
  job->SetOnTerminate([this](TObject* sender) {
    auto* finished = static_cast<TNsFolderSizeWorkItem*>(sender);
    // A job this list ended (also by being freed) brings nothing back.
    if (finished->TerminatedFlag().load()) return;
    FolderSizeCalculated(finished);
  });
  pool->AddWorkItem(job.Get());
}

void TNsSelectionList::FolderSizeCalculated(TNsFolderSizeWorkItem* workItem) {
  const int factor = workItem->GetFactor();
  FSize += factor * workItem->GetSize();
  FFileCount += factor * workItem->GetFileCount();
  FFolderCount += factor * workItem->GetFolderCount();
  if (OnCompletedCalculateFiles) OnCompletedCalculateFiles(this);
  if (List.GetCount() == 0) ZeroCounters();
}

}  // namespace ts
