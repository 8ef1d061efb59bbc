// SPDX-License-Identifier: MIT
#include "win32/label_descriptions.h"

#include "win32/wide_text.h"

#include <commctrl.h>
#include <objbase.h>
#include <oleacc.h>

namespace orvane2::win32 {

namespace {

IAccPropServices* CreateAnnotationService()
{
    void* services = nullptr;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices, &services)))
        return nullptr;
    return static_cast<IAccPropServices*>(services);
}

}  // namespace

LabelDescriptions::ComApartment::ComApartment() : joined(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}

LabelDescriptions::ComApartment::~ComApartment()
{
    if (SUCCEEDED(joined))
        CoUninitialize();
}

void LabelDescriptions::Release::operator()(IAccPropServices* services) const
{
    services->Release();
}

LabelDescriptions::LabelDescriptions(HWND owner, HINSTANCE instance, int maxWidth)
    : annotations_(CreateAnnotationService()),
      // Always shown, also while another program's window is active: the window mostly
      // sits beside the user's work.
      tooltip_(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, instance,
                               nullptr))
{
    // With a maximum width the tooltip breaks its text at each '\n'.
    if (tooltip_ != nullptr)
        SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, maxWidth);
}

LabelDescriptions::~LabelDescriptions()
{
    if (annotations_) {
        MSAAPROPID description = PROPID_ACC_DESCRIPTION;
        for (HWND label : described_)
            annotations_->ClearHwndProps(label, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &description, 1);
    }
    if (tooltip_ != nullptr)
        DestroyWindow(tooltip_);
}

void LabelDescriptions::Describe(HWND label, const std::string& text)
{
    std::wstring wide = Widen(text);
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;  // understood by every version of the common controls
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(label);
    tool.uId = reinterpret_cast<UINT_PTR>(label);
    tool.lpszText = wide.data();
    const bool known = !described_.insert(label).second;
    if (tooltip_ != nullptr)
        SendMessageW(tooltip_, known ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    if (annotations_)
        annotations_->SetHwndPropStr(label, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_DESCRIPTION,
                                     wide.c_str());
}

}  // namespace orvane2::win32
