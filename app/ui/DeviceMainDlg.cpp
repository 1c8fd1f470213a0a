#include "ui/DeviceMainDlg.h"

#include "shell/Product.h"

namespace Corvane {

DeviceMainDlg::DeviceMainDlg() = default;

DeviceMainDlg::~DeviceMainDlg() {
    if (GetSafeHwnd() != nullptr) DestroyWindow();
}

const wchar_t* DeviceMainDlg::GetWindowClassName() const { return L"DeviceMainDlg"; }

int DeviceMainDlg::OnInitDialog() {
    if (GetSafeHwnd() == nullptr) return 0;
    // A second instance recognises this window by the product-name property.
    ::SetPropW(GetSafeHwnd(), kProductName, reinterpret_cast<HANDLE>(1));
    return 1;
}

}  // namespace Corvane
