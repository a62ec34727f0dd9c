// The Windows Installer automation object and its ProductState property.
#include <windows.h>

#include <oleauto.h>

#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_strings.h"

namespace vtr::win32 {
namespace {

constexpr DISPID kProductStateId = 17;

// A failed automation call as a run-time error: the HRESULT (or the exception's own code) as
// the number, the exception's description or else the system's wording as the text.
RunError AutomationError(HRESULT hr, const EXCEPINFO* exception) {
  HRESULT code = hr;
  std::wstring description;
  if (exception != nullptr) {
    if (exception->scode != 0) {
      code = exception->scode;
    } else if (exception->wCode != 0) {
      code = exception->wCode;
    }
    if (exception->bstrDescription != nullptr) {
      description = exception->bstrDescription;
    }
  }
  if (description.empty()) {
    description = SystemMessage(static_cast<DWORD>(code));
  }
  if (description.empty()) {
    description = L"Automation error";
  }
  return {static_cast<int32_t>(code), description};
}

class Win32InstallerObject final : public InstallerObject {
 public:
  explicit Win32InstallerObject(ComPtr<IDispatch> installer) : installer_(std::move(installer)) {}

  int32_t ProductState(const std::wstring& productCode) override {
    UniqueVariant argument;
    argument.get()->vt = VT_BSTR;
    argument.get()->bstrVal =
        ::SysAllocStringLen(productCode.data(), static_cast<UINT>(productCode.size()));
    if (argument.get()->bstrVal == nullptr) {
      throw RunError{7, L"Out of memory"};
    }
    DISPPARAMS parameters{};
    parameters.rgvarg = argument.get();
    parameters.cArgs = 1;

    UniqueVariant result;
    EXCEPINFO exception{};
    UINT badArgument = 0;
    HRESULT hr =
        installer_->Invoke(kProductStateId, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                           &parameters, result.get(), &exception, &badArgument);
    if (hr == DISP_E_EXCEPTION && exception.pfnDeferredFillIn != nullptr) {
      exception.pfnDeferredFillIn(&exception);
    }
    // The exception's texts are ours to free, whatever happens next.
    UniqueBstr source(exception.bstrSource);
    UniqueBstr description(exception.bstrDescription);
    UniqueBstr helpFile(exception.bstrHelpFile);
    if (FAILED(hr)) {
      throw AutomationError(hr, hr == DISP_E_EXCEPTION ? &exception : nullptr);
    }
    hr = ::VariantChangeType(result.get(), result.get(), 0, VT_I4);
    if (FAILED(hr)) {
      throw AutomationError(hr, nullptr);
    }
    return static_cast<int32_t>((*result).lVal);
  }

 private:
  ComPtr<IDispatch> installer_;
};

}  // namespace

std::unique_ptr<InstallerObject> Win32Platform::CreateInstaller() {
  CLSID classId{};
  ComPtr<IDispatch> installer;
  if (FAILED(::CLSIDFromProgID(L"WindowsInstaller.Installer", &classId)) ||
      FAILED(::CoCreateInstance(classId, nullptr, CLSCTX_SERVER, IID_IDispatch,
                                installer.put_void()))) {
    throw RunError{429, L"ActiveX component can't create object"};
  }
  return std::make_unique<Win32InstallerObject>(std::move(installer));
}

}  // namespace vtr::win32
