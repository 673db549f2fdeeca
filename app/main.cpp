#include <windows.h>
#include <objbase.h>
#include <commctrl.h>

#include "app/DatabaseFactory.h"
#include "app/Startup.h"
#include "app/AppWindow.h"
#include "app/WinServices.h"
#include "app/mainfrm.h"
#include "links/files/EntriesFile.h"
#include "links/history/LinkHistory.h"
#include "links/db/ParallelChecksWin.h"
#include "links/files/SettingsFile.h"
#include "win/AnsweringWait.h"
#include "win/Wide.h"

namespace {

using namespace teshmar;

std::string ProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return win::Narrow(path);
    }
    path.resize(path.size() * 2);
  }
}

class ProgramSettings : public IProgramSettings {
 public:
  explicit ProgramSettings(SettingsFile& file) : file_(file) {}
  void WriteProgramValue(const std::string& key, const std::string& value) override {
    file_.WriteProgramValue(key, value);
  }

 private:
  SettingsFile& file_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  app::WinMessageBoxes boxes;

  // The date format comes first; a wrong one is rewritten and this run ends after its first show.
  app::WinLocaleFormats locale;
  bool quitRequested = false;
  EnforceDateFormat(locale, boxes, [&] { quitRequested = true; });

  static app::WinNamedMutex mutex;  // held until the process ends
  if (!GuardSingleInstance(mutex, boxes)) return 0;

  SettingsFile settings(PlatformFileOps(), SettingsFile::PathBesideProgram(ProgramPath()));
  const std::string entriesPath = EntriesFile::PathBesideProgram(ProgramPath());
  // What writes that crashed left behind; a write in progress in another console is left alone.
  RemoveStaleTemporaries(PlatformFileOps(), settings.Path());
  RemoveStaleTemporaries(PlatformFileOps(), entriesPath);
  const int refreshMinutes = ParseRefreshInterval(settings.ReadProgramValue(SettingsFile::kRefreshIntervalKey));
  PlatformHistoryFile historyFile(PlatformHistoryFile::PathBesideProgram(ProgramPath()));
  PlatformHistoryClock historyClock;
  LinkHistory history(historyFile, historyClock);
  history.NoteStart();

  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

  {
    // Made after COM, released before it ends.
    std::unique_ptr<IDatabase> database = CreateConsoleDatabase();
    ProgramSettings programSettings(settings);
    EntriesFile entries(PlatformFileOps(), entriesPath, settings);
    // Every provider call runs on a worker while this thread keeps answering: a refresh's checks
    // side by side, the main window's connection on a worker of its own.
    WinCheckThreading checkThreading;
    ThreadedCheckRunner checkRunner(checkThreading);
    ProviderThread connectionWorker(checkThreading);
    // The end of the session (or a close from the tray) during a wait ends the console at once:
    // nothing waits for a provider, and no file is being written on the only thread that writes.
    // A quit asked for while the main window still stands (the date format's) waits for the loop.
    win::SetEndDuringWait([&history](int exitCode) {
      if (app::MainWindow()) return;
      history.NoteEnd();
      TerminateProcess(GetCurrentProcess(), static_cast<UINT>(exitCode));
    });
    app::TMainForm mainForm(instance, boxes, programSettings, *database, entries, settings, refreshMinutes);
    mainForm.Grid().SetCheckRunner(checkRunner);
    mainForm.Grid().SetConnectionWorker(connectionWorker);
    mainForm.Grid().SetLinkHistory(&history);
    mainForm.SetThreading(&checkThreading);
    if (mainForm.Create()) {
      mainForm.Show(showCommand);
      // The pending quit request is posted only now, so the message boxes before it stay open
      // until the operator closes them and the main window is shown once before the run ends.
      if (quitRequested) PostQuitMessage(0);
      MSG msg;
      while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!mainForm.TranslateKey(msg) && !IsDialogMessageW(mainForm.Handle(), &msg)) {
          TranslateMessage(&msg);
          DispatchMessageW(&msg);
        }
      }
      if (IsWindow(mainForm.Handle())) DestroyWindow(mainForm.Handle());
    }
    // A periodic refresh's checks still under way use the database: rather than wait for their
    // provider, the console ends here.
    if (ProviderWorkersRunning() > 0) {
      history.NoteEnd();
      TerminateProcess(GetCurrentProcess(), 0);
    }
  }
  if (SUCCEEDED(com)) CoUninitialize();
  history.NoteEnd();
  return 0;
}
