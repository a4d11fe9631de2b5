#pragma once
// The About window: the program's name and version, a few lines about it,
// its licence, and "Accept", which closes it.
#include "toolkit/Forms.h"
#include "toolkit/Image.h"
#include "toolkit/StdCtrls.h"

namespace ts {

class TfrmAbout : public TForm {
  TS_CLASS(TfrmAbout, TForm)

public:
  explicit TfrmAbout(TComponent* AOwner);

  TGroupBox* GroupBox1 = nullptr;
  TImage* Image1 = nullptr;
  TLabel* lblVersion = nullptr;
  TLabel* lblFreeware = nullptr;
  TLabel* lblHomePage = nullptr;
  TLabel* lblAuthor = nullptr;
  TGroupBox* GroupBox2 = nullptr;
  TMemo* memLicense = nullptr;
  TButton* btnAccept = nullptr;

  void btnAcceptClick(TObject* Sender);
};

// The texts the window shows.
constexpr wchar_t AboutVersionText[] = L"Twinscope V1.6";
extern const wchar_t* const AboutLicenseText;

}  // namespace ts
