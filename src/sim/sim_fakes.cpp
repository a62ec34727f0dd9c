// The objects the simulated Windows hands out: a started child process, a held mutex, a held
// file and the Windows Installer automation object.
#include "sim/sim_fakes.h"

#include "detect/installed.h"
#include "engine/msi_command.h"
#include "sim/machine.h"
#include "startup/edition.h"
#include "util/text.h"

namespace vtr::sim {
namespace {

// The program as the scenario's child processes see it: each call is recorded, and the
// process's effects happen when it is waited for, or at the latest when its handle goes.
class SimChildProcess : public ChildProcess {
 public:
  SimChildProcess(std::weak_ptr<Machine> machine, int number)
      : machine_(std::move(machine)), number_(number) {}
  ~SimChildProcess() override {
    if (const auto m = machine_.lock()) {
      m->EndProcess(number_);
    }
  }
  SimChildProcess(const SimChildProcess&) = delete;
  SimChildProcess& operator=(const SimChildProcess&) = delete;

  bool Wait(int32_t timeoutMs) override {
    const auto m = machine_.lock();
    if (!m) {
      return true;
    }
    const std::size_t line = m->Begin("Wait", Line{{"process", number_}, {"timeoutMs", timeoutMs}});
    // Every simulated process has finished by the time it is waited for, unless its rule or a
    // fault makes the wait fail.
    const nlohmann::json* forced = m->Forced(line);
    const bool ended = !m->WaitFails(number_) && (forced == nullptr || forced->get<bool>());
    if (ended) {
      m->EndProcess(number_);
    }
    m->Result(line, ended);
    return ended;
  }

  std::optional<uint32_t> ExitCode() override {
    const auto m = machine_.lock();
    if (!m) {
      return std::nullopt;
    }
    const std::size_t line = m->Begin("ExitCode", Line{{"process", number_}});
    std::optional<uint32_t> code = m->ExitCodeOf(number_);
    if (const nlohmann::json* forced = m->Forced(line)) {
      code = forced->is_null() ? std::nullopt : std::optional(forced->get<uint32_t>());
    }
    m->Result(line, code ? Line(*code) : Line(nullptr));
    return code;
  }

 private:
  std::weak_ptr<Machine> machine_;
  int number_;
};

// A mutex the program made: the machine knows it held until the program lets go.
class SimHeldMutex : public HeldMutex {
 public:
  SimHeldMutex(std::weak_ptr<Machine> machine, std::wstring name)
      : machine_(std::move(machine)), name_(std::move(name)) {}
  ~SimHeldMutex() override {
    if (const auto m = machine_.lock()) {
      m->ReleaseMutex(name_);
    }
  }
  SimHeldMutex(const SimHeldMutex&) = delete;
  SimHeldMutex& operator=(const SimHeldMutex&) = delete;

 private:
  std::weak_ptr<Machine> machine_;
  std::wstring name_;
};

class SimHeldFile : public HeldFile {
 public:
  SimHeldFile(std::weak_ptr<Machine> machine, std::wstring path, std::wstring digestSource)
      : machine_(std::move(machine)),
        path_(std::move(path)),
        digestSource_(digestSource.empty() ? path_ : std::move(digestSource)) {}

  std::wstring Sha256() override {
    const auto m = machine_.lock();
    if (!m) {
      throw RunError{75, L"Path/File access error"};
    }
    const std::size_t line = m->Begin("Sha256", Line{{"path", Text(path_)}});
    std::wstring digest(64, L'0');
    const std::wstring source = m->OriginalOf(digestSource_);
    if (const std::wstring* given = m->Setup().packageFileDigests.Find(source)) {
      digest = *given;
    } else {
      const std::size_t slash = source.find_last_of(L"\\/");
      const std::wstring name = slash == std::wstring::npos ? source : source.substr(slash + 1);
      if (const std::wstring* recorded = m->Setup().recordedDigests.Find(name)) {
        digest = *recorded;
      }
    }
    m->Result(line, Text(digest));
    return digest;
  }

 private:
  std::weak_ptr<Machine> machine_;
  std::wstring path_;
  std::wstring digestSource_;
};

class SimInstaller : public InstallerObject {
 public:
  explicit SimInstaller(std::weak_ptr<Machine> machine) : machine_(std::move(machine)) {}

  int32_t ProductState(const std::wstring& productCode) override {
    const auto m = machine_.lock();
    if (!m) {
      throw RunError{-2147417848, L"The object invoked has disconnected from its clients."};
    }
    const std::size_t line = m->Begin("ProductState", Line{{"productCode", Text(productCode)}});
    if (const RunError* error = m->Setup().productStateFails.Find(productCode)) {
      m->Raise(line, *error);
    }
    // A product Windows Installer has never heard of is unknown (-1).
    const int32_t* known = m->ProductStates().Find(productCode);
    const int32_t state = known != nullptr ? *known : -1;
    m->Result(line, state);
    return state;
  }

  std::wstring ProductInfo(const std::wstring& productCode,
                           const std::wstring& attribute) override {
    const auto m = Connected();
    const std::size_t line = m->Begin(
        "ProductInfo", Line{{"productCode", Text(productCode)}, {"attribute", Text(attribute)}});
    // Windows Installer keeps nothing of a product that is not installed.
    const int32_t* state = m->ProductStates().Find(productCode);
    if (state == nullptr || !IsInstalledState(*state)) {
      m->Raise(line, RunError{-2147023291,
                              L"This action is only valid for products that are "
                              L"currently installed."});
    }
    std::wstring value;
    if (EqualsNoCase(attribute, L"PackageCode")) {
      const std::wstring* code = m->Setup().installedPackageCodes.Find(productCode);
      value = code != nullptr ? *code : kSamePackageCode;
    } else if (EqualsNoCase(attribute, L"VersionString")) {
      const std::wstring* version = m->Setup().installedVersions.Find(productCode);
      value = version != nullptr ? *version : L"";
    }
    m->Result(line, Text(value));
    return value;
  }

  std::wstring SummaryProperty(const std::wstring& packagePath, int32_t propertyId) override {
    const auto m = Connected();
    const std::size_t line =
        m->Begin("SummaryProperty", Line{{"path", Text(packagePath)}, {"property", propertyId}});
    const auto path = m->Files().Parse(packagePath, false);
    const FileEntry* file = path ? m->Files().Find(*path) : nullptr;
    if (file == nullptr || file->folder) {
      m->Raise(line, RunError{-2147024894, L"The system cannot find the file specified."});
    }
    std::wstring value;
    if (propertyId == 9) {
      const std::wstring* code = m->Setup().packageFileCodes.Find(m->OriginalOf(packagePath));
      value = code != nullptr ? *code : kSamePackageCode;
    }
    m->Result(line, Text(value));
    return value;
  }

  std::wstring PackageProperty(const std::wstring& packagePath,
                               const std::wstring& property) override {
    const auto m = Connected();
    const std::size_t line = m->Begin(
        "PackageProperty", Line{{"path", Text(packagePath)}, {"property", Text(property)}});
    const auto path = m->Files().Parse(packagePath, false);
    const FileEntry* file = path ? m->Files().Find(*path) : nullptr;
    if (file == nullptr || file->folder) {
      m->Raise(line, RunError{-2147024894, L"The system cannot find the file specified."});
    }
    std::wstring value;
    if (EqualsNoCase(property, L"ProductCode")) {
      const std::wstring source = m->OriginalOf(packagePath);
      const std::wstring* code = m->Setup().packageProductCodes.Find(source);
      value = code != nullptr ? *code : BuiltProductCode(source);
    }
    m->Result(line, Text(value));
    return value;
  }

 private:
  // The product code the build gives the package of this file name; "" for another file.
  static std::wstring BuiltProductCode(const std::wstring& packagePath) {
    const std::size_t slash = packagePath.find_last_of(L"\\/");
    const std::wstring name =
        slash == std::wstring::npos ? packagePath : packagePath.substr(slash + 1);
    for (const bool pro : {true, false}) {
      for (const bool update : {false, true}) {
        const Edition e = EditionFor(pro ? L"VTRPRO" : L"VTR", update);
        if (EqualsNoCase(name, ProgramPackageName(pro, update))) {
          return e.gsProdID;
        }
        if (EqualsNoCase(name, DatabasePackageName(pro, update))) {
          return e.gsDBProdID;
        }
      }
    }
    return {};
  }

  std::shared_ptr<Machine> Connected() const {
    auto m = machine_.lock();
    if (!m) {
      throw RunError{-2147417848, L"The object invoked has disconnected from its clients."};
    }
    return m;
  }

  std::weak_ptr<Machine> machine_;
};

}  // namespace

std::unique_ptr<ChildProcess> MakeChildProcess(std::weak_ptr<Machine> machine, int number) {
  return std::make_unique<SimChildProcess>(std::move(machine), number);
}

std::unique_ptr<HeldMutex> MakeHeldMutex(std::weak_ptr<Machine> machine, std::wstring name) {
  return std::make_unique<SimHeldMutex>(std::move(machine), std::move(name));
}

std::unique_ptr<HeldFile> MakeHeldFile(std::weak_ptr<Machine> machine, std::wstring path,
                                       std::wstring digestSource) {
  return std::make_unique<SimHeldFile>(std::move(machine), std::move(path),
                                       std::move(digestSource));
}

std::unique_ptr<InstallerObject> MakeInstaller(std::weak_ptr<Machine> machine) {
  return std::make_unique<SimInstaller>(std::move(machine));
}

}  // namespace vtr::sim
