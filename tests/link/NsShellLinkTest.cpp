// The link between a pane's shell controls, with controls that record what
// they are told.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "link/NsShellLink.h"

namespace ts::test {
namespace {

using TLog = std::vector<std::wstring>;

// A control that records its calls as "name.operation" and may react.
class TRecordingControl : public INsShellControl {
public:
  TRecordingControl(std::wstring name, TLog& log) : fName(std::move(name)), fLog(log) {}
  ~TRecordingControl() { SetShellLink(nullptr); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_INsShellControl)) {
      *object = static_cast<INsShellControl*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  void SetShellLink(TNsShellLink* link) override { AssignShellLink(fLink, link, this); }
  TNsShellLink* GetShellLink() override { return fLink; }
  void PathChanged(PCItemIDList) override {
    Record(L"PathChanged");
    // Arriving at the folder, a control reports its own move.
    if (fLink && ReportsMoves) fLink->PathChanged(this, nullptr);
  }
  void FileChanged(PCItemIDList, PCItemIDList) override { Record(L"FileChanged"); }
  void SelectAll() override { Record(L"SelectAll"); }
  void FullRefresh() override {
    Record(L"FullRefresh");
    if (RefreshFails) throw std::runtime_error("refresh failed");
  }
  void SmartRefresh() override {
    Record(L"SmartRefresh");
    if (fLink && ReportsSmartRefresh) fLink->SelectAll(this);
  }
  bool GoUp() override {
    Record(L"GoUp");
    if (fLink && GoesUp && ReportsMoves) fLink->PathChanged(this, nullptr);
    return GoesUp;
  }

  bool ReportsMoves = true;
  bool ReportsSmartRefresh = false;
  bool RefreshFails = false;
  bool GoesUp = false;

private:
  void Record(const wchar_t* operation) { fLog.push_back(fName + L"." + operation); }

  std::wstring fName;
  TLog& fLog;
  TNsShellLink* fLink = nullptr;
};

struct TPane {
  TLog log;
  TNsShellLink link{nullptr};
  TRecordingControl tree{L"tree", log}, list{L"list", log}, combo{L"combo", log};
  int changes = 0;
  TPane() {
    tree.SetShellLink(&link);
    list.SetShellLink(&link);
    combo.SetShellLink(&link);
    link.OnChange = [this](TObject* sender) {
      EXPECT_EQ(sender, &link);
      ++changes;
      log.push_back(L"link.OnChange");
    };
  }
};

TEST(NsShellLinkTest, StartsEnabledWithTheParentFolderItemShown) {
  TNsShellLink link(nullptr);
  EXPECT_TRUE(link.GetEnabled());
  EXPECT_TRUE(link.GetShowParentFolderItem());
  EXPECT_EQ(link.GetVersion(), L"TNsShellLink V7.1.0.530");
  link.SetVersion(L"x");
  EXPECT_EQ(link.GetVersion(), L"TNsShellLink V7.1.0.530");
  TNsBaseComponent base(nullptr);
  EXPECT_FALSE(base.GetEnabled());
}

TEST(NsShellLinkTest, AGuardedBroadcastReachesEachOtherControlOnceThenOnChange) {
  TPane pane;
  pane.link.PathChanged(&pane.tree, nullptr);
  // The list's and combo's own reports during the broadcast are dropped.
  EXPECT_EQ(pane.log, (TLog{L"list.PathChanged", L"combo.PathChanged", L"link.OnChange"}));
  EXPECT_TRUE(pane.link.GetEnabled());

  pane.log.clear();
  pane.link.FileChanged(&pane.list, nullptr, nullptr);
  EXPECT_EQ(pane.log, (TLog{L"tree.FileChanged", L"combo.FileChanged", L"link.OnChange"}));
}

TEST(NsShellLinkTest, ADisabledLinkCallsNothing) {
  TPane pane;
  pane.link.SetEnabled(false);
  pane.link.PathChanged(&pane.tree, nullptr);
  pane.link.FileChanged(&pane.tree, nullptr, nullptr);
  pane.link.SelectAll();
  pane.link.Refresh();
  pane.link.SmartRefresh(&pane.list);
  pane.link.GoUp();
  EXPECT_TRUE(pane.log.empty());
  EXPECT_EQ(pane.changes, 0);
}

TEST(NsShellLinkTest, PlainBroadcastsPassNestedReportsOn) {
  TPane pane;
  pane.list.ReportsSmartRefresh = true;
  pane.link.SmartRefresh(&pane.combo);
  EXPECT_EQ(pane.log, (TLog{L"tree.SmartRefresh", L"list.SmartRefresh", L"tree.SelectAll", L"combo.SelectAll"}));

  pane.log.clear();
  pane.link.Refresh();  // no sender: every control, the asking one included
  EXPECT_EQ(pane.log, (TLog{L"tree.FullRefresh", L"list.FullRefresh", L"combo.FullRefresh"}));
  pane.log.clear();
  pane.link.SelectAll(&pane.tree);
  EXPECT_EQ(pane.log, (TLog{L"list.SelectAll", L"combo.SelectAll"}));
}

TEST(NsShellLinkTest, AFailingRefreshStopsTheBroadcastAndLeavesTheLinkEnabled) {
  TPane pane;
  pane.list.RefreshFails = true;
  EXPECT_THROW(pane.link.Refresh(&pane.tree), std::runtime_error);
  EXPECT_EQ(pane.log, (TLog{L"list.FullRefresh"}));
  EXPECT_TRUE(pane.link.GetEnabled());

  // A failure inside a guarded broadcast enables the link again too.
  TLog log;
  TNsShellLink link(nullptr);
  struct TFailingControl : TRecordingControl {
    using TRecordingControl::TRecordingControl;
    void PathChanged(PCItemIDList) override { throw std::runtime_error("cannot open"); }
  } failing(L"failing", log);
  failing.SetShellLink(&link);
  EXPECT_THROW(link.PathChanged(nullptr, nullptr), std::runtime_error);
  EXPECT_TRUE(link.GetEnabled());
}

TEST(NsShellLinkTest, GoUpStopsAtTheFirstTakerOrFallsBackToTheSender) {
  TLog log;
  TNsShellLink link(nullptr);
  TRecordingControl tree(L"tree", log), list(L"list", log);
  tree.SetShellLink(&link);
  list.SetShellLink(&link);
  tree.GoesUp = true;
  list.GoesUp = true;
  // The tree goes up; the list follows through the tree's report.
  link.GoUp(&list);
  EXPECT_EQ(log, (TLog{L"tree.GoUp", L"list.PathChanged"}));

  // At its top the tree declines, and the list goes up by itself.
  log.clear();
  tree.GoesUp = false;
  list.ReportsMoves = false;
  link.GoUp(&list);
  EXPECT_EQ(log, (TLog{L"tree.GoUp", L"list.GoUp"}));

  // Without a sender and without a taker nothing more happens.
  log.clear();
  list.GoesUp = false;
  link.GoUp();
  EXPECT_EQ(log, (TLog{L"tree.GoUp", L"list.GoUp"}));
}

TEST(NsShellLinkTest, RegistrationIsOncePerControlAndFollowsBothLifetimes) {
  TLog log;
  TRecordingControl survivor(L"survivor", log);
  {
    TNsShellLink link(nullptr);
    TRecordingControl a(L"a", log);
    a.SetShellLink(&link);
    a.SetShellLink(&link);  // the same value: nothing
    link.RegisterShellControl(&a);
    EXPECT_EQ(link.ControlCount(), 1);
    link.UnregisterShellControl(&survivor);  // not registered: nothing
    EXPECT_EQ(link.ControlCount(), 1);
    {
      TRecordingControl b(L"b", log);
      b.SetShellLink(&link);
      EXPECT_EQ(link.ControlCount(), 2);
    }
    EXPECT_EQ(link.ControlCount(), 1);  // a destroyed control left
    survivor.SetShellLink(&link);

    // Moving a control to another link takes it out of the first.
    TNsShellLink other(nullptr);
    a.SetShellLink(&other);
    EXPECT_EQ(link.ControlCount(), 1);
    EXPECT_EQ(other.ControlCount(), 1);
    a.SetShellLink(&link);
  }
  // The destroyed link detached its controls.
  EXPECT_EQ(survivor.GetShellLink(), nullptr);
}

}  // namespace
}  // namespace ts::test
