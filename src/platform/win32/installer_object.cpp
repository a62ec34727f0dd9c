// The Windows Installer automation object: the products' states and what it keeps of them, and
// the summary information of a package file.
#include <windows.h>

#include <oleauto.h>

#include <cwctype>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_strings.h"

namespace vtr::win32 {
namespace {

constexpr DISPID kOpenDatabaseId = 4;
constexpr DISPID kSummaryInformationId = 5;
constexpr DISPID kProductStateId = 17;
constexpr DISPID kProductInfoId = 18;
// Of the summary information object.
constexpr DISPID kSummaryPropertyId = 1;
// Of a database, its views and their records.
constexpr DISPID kOpenViewId = 3;
constexpr DISPID kViewExecuteId = 1;
constexpr DISPID kViewFetchId = 2;
constexpr DISPID kViewCloseId = 4;
constexpr DISPID kRecordStringDataId = 1;
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

// A property read from an automation object: the arguments in the order the property takes
// them (the call hands them over last first).
void Invoke(IDispatch& object, DISPID id, WORD kind, UniqueVariant* arguments, UINT count,
            UniqueVariant& result) {
  std::vector<VARIANT> reversed;
  for (UINT i = count; i > 0; --i) {
    reversed.push_back(*arguments[i - 1]);
  }
  DISPPARAMS parameters{};
  parameters.rgvarg = reversed.data();
  parameters.cArgs = count;

  EXCEPINFO exception{};
  UINT badArgument = 0;
  const HRESULT hr = object.Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &parameters,
                                   result.get(), &exception, &badArgument);
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
}

void GetProperty(IDispatch& object, DISPID id, UniqueVariant* arguments, UINT count,
                 UniqueVariant& result) {
  Invoke(object, id, DISPATCH_PROPERTYGET, arguments, count, result);
}

void CallMethod(IDispatch& object, DISPID id, UniqueVariant* arguments, UINT count,
                UniqueVariant& result) {
  Invoke(object, id, DISPATCH_METHOD, arguments, count, result);
}

void SetText(UniqueVariant& argument, const std::wstring& text) {
  argument.get()->vt = VT_BSTR;
  argument.get()->bstrVal = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (argument.get()->bstrVal == nullptr) {
    throw RunError{7, L"Out of memory"};
  }
}

void SetNumber(UniqueVariant& argument, int32_t number) {
  argument.get()->vt = VT_I4;
  argument.get()->lVal = number;
}

// The result as the type asked for, the way the automation object's callers convert it.
void ConvertResult(UniqueVariant& result, VARTYPE type) {
  const HRESULT hr = ::VariantChangeType(result.get(), result.get(), 0, type);
  if (FAILED(hr)) {
    throw AutomationError(hr, nullptr);
  }
}

std::wstring TextOf(const UniqueVariant& result) {
  const BSTR text = (*result).bstrVal;
  return text == nullptr ? std::wstring() : std::wstring(text, ::SysStringLen(text));
}

// The object a call returned; a call that returned none is the error Basic reports.
IDispatch& ObjectOf(UniqueVariant& result) {
  ConvertResult(result, VT_DISPATCH);
  if ((*result).pdispVal == nullptr) {
    throw RunError{91, L"Object variable or With block variable not set"};
  }
  return *(*result).pdispVal;
}

class Win32InstallerObject final : public InstallerObject {
 public:
  explicit Win32InstallerObject(ComPtr<IDispatch> installer) : installer_(std::move(installer)) {}

  int32_t ProductState(const std::wstring& productCode) override {
    UniqueVariant argument;
    SetText(argument, productCode);
    UniqueVariant result;
    GetProperty(*installer_.get(), kProductStateId, &argument, 1, result);
    ConvertResult(result, VT_I4);
    return static_cast<int32_t>((*result).lVal);
  }

  std::wstring ProductInfo(const std::wstring& productCode,
                           const std::wstring& attribute) override {
    UniqueVariant arguments[2];
    SetText(arguments[0], productCode);
    SetText(arguments[1], attribute);
    UniqueVariant result;
    GetProperty(*installer_.get(), kProductInfoId, arguments, 2, result);
    ConvertResult(result, VT_BSTR);
    return TextOf(result);
  }

  std::wstring SummaryProperty(const std::wstring& packagePath, int32_t propertyId) override {
    UniqueVariant arguments[2];
    SetText(arguments[0], packagePath);
    SetNumber(arguments[1], 0);  // no updates: the file is only read
    UniqueVariant summary;
    GetProperty(*installer_.get(), kSummaryInformationId, arguments, 2, summary);
    ConvertResult(summary, VT_DISPATCH);
    if ((*summary).pdispVal == nullptr) {
      throw RunError{91, L"Object variable or With block variable not set"};
    }
    UniqueVariant id;
    SetNumber(id, propertyId);
    UniqueVariant result;
    GetProperty(*(*summary).pdispVal, kSummaryPropertyId, &id, 1, result);
    // A property the file does not hold reads as empty.
    if ((*result).vt == VT_EMPTY) {
      return {};
    }
    ConvertResult(result, VT_BSTR);
    return TextOf(result);
  }

  std::wstring PackageProperty(const std::wstring& packagePath,
                               const std::wstring& property) override {
    // Property names are identifiers: nothing in one can break out of the query's quotes.
    for (const wchar_t c : property) {
      if (!iswalnum(c) && c != L'_' && c != L'.') {
        throw RunError{5, L"Invalid procedure call or argument"};
      }
    }
    UniqueVariant openArguments[2];
    SetText(openArguments[0], packagePath);
    SetNumber(openArguments[1], 0);  // read-only
    UniqueVariant database;
    CallMethod(*installer_.get(), kOpenDatabaseId, openArguments, 2, database);
    UniqueVariant query;
    SetText(query, L"SELECT `Value` FROM `Property` WHERE `Property` = '" + property + L"'");
    UniqueVariant view;
    CallMethod(ObjectOf(database), kOpenViewId, &query, 1, view);
    IDispatch& viewObject = ObjectOf(view);
    UniqueVariant none;
    CallMethod(viewObject, kViewExecuteId, nullptr, 0, none);
    UniqueVariant record;
    CallMethod(viewObject, kViewFetchId, nullptr, 0, record);
    std::wstring value;
    // No row: the package does not set the property.
    if ((*record).vt == VT_DISPATCH && (*record).pdispVal != nullptr) {
      UniqueVariant field;
      SetNumber(field, 1);
      UniqueVariant text;
      GetProperty(*(*record).pdispVal, kRecordStringDataId, &field, 1, text);
      ConvertResult(text, VT_BSTR);
      value = TextOf(text);
    }
    UniqueVariant closed;
    CallMethod(viewObject, kViewCloseId, nullptr, 0, closed);
    return value;
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
