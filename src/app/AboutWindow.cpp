#include "app/AboutWindow.h"

namespace ts {

const wchar_t* const AboutLicenseText =
    L"Twinscope is freeware.\r\n"
    L"\r\n"
    L"You may use this program on any number of computers, at home and at work, "
    L"and give copies of it to others, free of charge, provided that you pass it on "
    L"whole and unchanged, with this licence.\r\n"
    L"\r\n"
    L"You may not sell the program or charge for passing it on, and you may not "
    L"present it as your own work.\r\n"
    L"\r\n"
    L"Twinscope works on your files through the shell of the operating system: "
    L"copying, moving, renaming and deleting are carried out by the shell exactly as "
    L"the system's own file explorer carries them out. Keep copies of what you cannot "
    L"afford to lose.\r\n"
    L"\r\n"
    L"THE PROGRAM IS PROVIDED \"AS IS\", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR "
    L"IMPLIED, INCLUDING BUT NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY, FITNESS "
    L"FOR A PARTICULAR PURPOSE AND NONINFRINGEMENT. IN NO EVENT SHALL THE AUTHORS BE "
    L"LIABLE FOR ANY CLAIM, DAMAGES OR OTHER LIABILITY, WHETHER IN AN ACTION OF "
    L"CONTRACT, TORT OR OTHERWISE, ARISING FROM, OUT OF OR IN CONNECTION WITH THE "
    L"PROGRAM OR THE USE OR OTHER DEALINGS IN THE PROGRAM.\r\n";

namespace {

template <typename T>
T* Place(TForm* owner, TWinControl* parent, int left, int top, int width, int height) {
  T* control = new T(owner);
  control->SetParent(parent);
  control->SetBounds(left, top, width, height);
  return control;
}

}  // namespace

TfrmAbout::TfrmAbout(TComponent* AOwner) : TForm(AOwner) {
  SetName(L"frmAbout");
  SetCaption(L"frmAbout");
  SetPosition(poScreenCenter);
  SetClientWidth(642);
  SetClientHeight(498);
  GetFont().SetName(L"Tahoma");
  GetFont().SetHeight(-11);

  GroupBox1 = Place<TGroupBox>(this, this, 8, 8, 626, 145);
  GroupBox1->SetCaption(L"About");

  Image1 = new TImage(this);
  Image1->SetBounds(20, 28, 32, 32);
  {
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    if (icon == nullptr) icon = LoadIconW(nullptr, IDI_APPLICATION);
    TBitmap& picture = Image1->GetPicture();
    picture.SetPixelFormat(pf24bit);
    picture.SetSize(32, 32);
    TCanvas& canvas = picture.GetCanvas();
    canvas.Brush.Color = clBtnFace;
    canvas.FillRect(RECT{0, 0, 32, 32});
    DrawIconEx(canvas.GetHandle(), 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
  }

  lblVersion = Place<TLabel>(this, GroupBox1, 72, 24, 400, 32);
  lblVersion->SetParentFont(false);
  lblVersion->GetFont().SetName(L"Tahoma");
  lblVersion->GetFont().SetHeight(-27);
  lblVersion->GetFont().SetStyle({fsBold});
  lblVersion->SetCaption(AboutVersionText);

  lblFreeware = Place<TLabel>(this, GroupBox1, 72, 66, 540, 16);
  lblFreeware->SetCaption(L"A dual-pane file explorer for the Windows shell. Twinscope is freeware.");
  lblHomePage = Place<TLabel>(this, GroupBox1, 72, 86, 540, 16);
  lblHomePage->SetCaption(L"Home page: where you found this program; new versions are published there.");
  lblAuthor = Place<TLabel>(this, GroupBox1, 72, 106, 540, 16);
  lblAuthor->SetCaption(L"Written by the Twinscope developers.");

  GroupBox2 = Place<TGroupBox>(this, this, 8, 161, 626, 290);
  GroupBox2->SetCaption(L"License");
  memLicense = Place<TMemo>(this, GroupBox2, 12, 20, 602, 258);
  memLicense->SetReadOnly(true);
  memLicense->SetScrollBars(ssVertical);
  memLicense->SetText(AboutLicenseText);

  btnAccept = Place<TButton>(this, this, 284, 462, 75, 25);
  btnAccept->SetCaption(L"Accept");
  btnAccept->SetDefault(true);
  // Enter and Esc both close the window; the focus starts on the button.
  btnAccept->SetCancel(true);
  btnAccept->SetTabOrder(0);
  btnAccept->OnClick = [this](TObject* sender) { btnAcceptClick(sender); };

  Image1->SetParentWindow(GroupBox1->GetHandle());
}

void TfrmAbout::btnAcceptClick(TObject*) {
  SetModalResult(mrOk);
  if (!IsModal()) Close();
}

}  // namespace ts
