// A working day of the console in minutes: TeshmarSoak.exe is the console over the scripted
// database with every window timer of its main window divided by TESHMAR_SOAK_TIMER_DIVISOR (40 in
// soak.cmake: blink every 25 ms, refresh and warning every 1.5 s), driven through blinks, refreshes with links going
// up and down, missing-link warnings and the two dialogs opened and cancelled, while its objects and
// memory are sampled from inside. It fails on growth, on the console ending or hanging, and on the
// day's counts not being reached; never on how long anything took.
#include <windows.h>
#include <psapi.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "customer/ModeInfoForm.h"
#include "e2e/GridConsoleFixture.h"
#include "e2e/TimerTicks.h"
#include "links/DBLinkForm.h"
#include "soak/SoakProbe.h"
#include "soak/SoakVerdict.h"

namespace teshmar::soak {
namespace {

using namespace teshmar::driver;
using e2e::TimerTicks;

constexpr int kEntries = 50;
// Entries 2 to 4 stay up for the customer dialog; from 5 on, kDownAtOnce of them go down in turn.
constexpr int kFirstToggled = 5;
constexpr int kDownAtOnce = 8;
constexpr char kUpServer[] = "10.0.0.1";
constexpr char kDownServer[] = "10.0.0.9";
constexpr char kWarning[] = "注册项[1]未连接数据库!";
constexpr DWORD kAnswerMs = 30000;  // longer than this without an answer: the console hangs
constexpr double kSampleEverySeconds = 15;
constexpr double kGiveUpSeconds = 540;  // the counts not reached by then are reported as missing

// The day: refreshes and warnings come together (both timers run at the same interval), and a
// refresh that has lines to show takes the message window, so the warning of that minute is
// dropped. Links therefore go down for every other refresh: 60 refresh windows and 60 warning
// windows take 120 refreshes.
const DayCounts kDay{/*blinks*/ 3600, /*refreshes*/ 60, /*refreshWindows*/ 60, /*warnings*/ 60,
                     /*warningWindows*/ 60, /*linkDialogs*/ 100, /*customerDialogs*/ 100};

std::string Script() {
  std::string script = "server " + std::string(kUpServer) + "\n";
  for (int entry = 2; entry <= kEntries; ++entry) {
    script += "  database Store" + std::to_string(entry) + "\n    table Base Name Addr\n      row Name=门店" +
              std::to_string(entry) + " Addr=路" + std::to_string(entry) + "\n";
  }
  return script + "server " + kDownServer + "\n  refuse-connect\n";
}

std::string Entries() {
  std::vector<std::array<std::string, 3>> entries;
  for (int entry = 1; entry <= kEntries; ++entry) {
    entries.push_back({"门店" + std::to_string(entry), "广东省,东莞市,,路" + std::to_string(entry), "1"});
  }
  return e2e::EntriesFile(entries);
}

// Entry 1 has no link, so the missing-link warning comes every minute.
std::string Settings(const std::set<int>& down) {
  std::string text = "[Quorvan]\r\nversion=140120\r\nRefreshMinutes=1\r\n";
  for (int entry = 2; entry <= kEntries; ++entry) {
    text += e2e::LinkSection(entry, down.count(entry) ? kDownServer : kUpServer, "Store" + std::to_string(entry));
  }
  return text;
}

std::string EntryLines(const std::set<int>& entries) {
  std::string text;
  for (int entry : entries) text += "\r\n注册项[" + std::to_string(entry) + "]连接数据库出错!";
  return text;
}

// A shared mapping of a given type, made by the soak before the console's hooks open it.
template <typename T>
class SharedView {
 public:
  explicit SharedView(const wchar_t* name) {
    map_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(T), name);
    view_ = map_ ? static_cast<T*>(MapViewOfFile(map_, FILE_MAP_WRITE, 0, 0, sizeof(T))) : nullptr;
  }
  ~SharedView() {
    if (view_) UnmapViewOfFile(view_);
    if (map_) CloseHandle(map_);
  }
  T* operator->() const { return view_; }
  explicit operator bool() const { return view_ != nullptr; }

 private:
  HANDLE map_ = nullptr;
  T* view_ = nullptr;
};

// A hook procedure of a DLL, set on the console's user-interface thread.
class Hook {
 public:
  Hook(const char* dll, const char* procedure, DWORD thread) {
    module_ = LoadLibraryW(win::Widen(UnixToWinePath(dll)).c_str());
    auto* proc = module_ ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(module_, procedure)))
                         : nullptr;
    hook_ = proc ? SetWindowsHookExW(WH_GETMESSAGE, proc, module_, thread) : nullptr;
  }
  ~Hook() {
    if (hook_) UnhookWindowsHookEx(hook_);
  }
  explicit operator bool() const { return hook_ != nullptr; }

 private:
  HMODULE module_ = nullptr;
  HHOOK hook_ = nullptr;
};

class SoakTest : public e2e::GridConsoleTest {
 protected:
  using Clock = std::chrono::steady_clock;

  double Seconds() const { return std::chrono::duration<double>(Clock::now() - begun_).count(); }

  Process StartSoak() {
    sandbox_.CopyIn(UnixToWinePath(TESHMAR_SOAK_EXE), "TeshmarSoak.exe");
    sandbox_.WriteFile("ScriptedDb.txt", Script());
    sandbox_.WriteFile("Entries.ini", Entries());
    WriteSettings();
    sandbox_.WriteFile("cwd\\keep", "");
    return Launch({sandbox_.Path("TeshmarSoak.exe"), {}, sandbox_.Path("cwd"), SW_SHOWNORMAL});
  }

  // The whole file replaced in one step, as an operator's editor or another program would, so
  // the console never reads half of it.
  void WriteSettings() {
    sandbox_.WriteFile("Quorvan.ini.soak", Settings(down_));
    const std::wstring from = win::Widen(sandbox_.Path("Quorvan.ini.soak"));
    const std::wstring to = win::Widen(sandbox_.Path("Quorvan.ini"));
    bool moved = false;
    for (int attempt = 0; attempt < 100 && !moved; ++attempt) {
      moved = MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
      if (!moved) Sleep(10);  // the console may be reading it
    }
    ASSERT_TRUE(moved) << "Quorvan.ini could not be replaced: " << GetLastError();
  }

  void TakeLinksDown() {
    previousDown_ = down_;
    down_.clear();
    for (int i = 0; i < kDownAtOnce; ++i) {
      down_.insert(kFirstToggled + (nextDown_ + i) % (kEntries - kFirstToggled + 1));
    }
    nextDown_ += kDownAtOnce;
    WriteSettings();
  }

  void BringLinksUp() {
    previousDown_ = down_;
    down_.clear();
    WriteSettings();
  }

  bool Alive() const { return console_.Running(); }

  // Closes the console's message window if one is open, counts it by its text and moves the links:
  // down after a warning, up after a refresh's lines. False when the window would not close.
  bool CloseMessageWindows() {
    for (HWND window : FindWindows({"消息", "TFrmMsg", console_.Id(), false})) {
      const std::string text = MessageWindowText(window);
      if (!PressButton(window, IDOK) || !WaitUntil([&] { return !IsWindow(window) || !Alive(); }, kAnswerMs)) {
        faults_.push_back("the message window did not close: " + text);
        return false;
      }
      std::set<int> named = down_;
      named.insert(previousDown_.begin(), previousDown_.end());
      if (text == kWarning) {
        ++day_.warningWindows;
        if (day_.refreshWindows < kDay.refreshWindows) TakeLinksDown();
      } else if (IsRefreshText(text, named)) {
        ++day_.refreshWindows;
        BringLinksUp();
      } else {
        unexpected_.push_back(text);
      }
    }
    // A message box: nothing of this day should bring one.
    for (HWND box : FindWindows({"", "#32770", console_.Id(), false})) {
      unexpected_.push_back("message box: " + MessageBoxText(box));
      PressButton(box, IDOK);
      WaitUntil([&] { return !IsWindow(box) || !Alive(); }, kAnswerMs);
    }
    return true;
  }

  // A refresh's text: an empty first line, then one line per entry that is down.
  static bool IsRefreshText(const std::string& text, const std::set<int>& down) {
    if (text.empty()) return false;
    std::set<int> named;
    for (int entry : down) {
      if (text.find(EntryLines({entry})) != std::string::npos) named.insert(entry);
    }
    return !named.empty() && text == EntryLines(named);
  }

  // Waits for a condition while the message windows that timers bring are closed as they come.
  bool WaitClosingMessages(const std::function<bool()>& condition) {
    const auto end = Clock::now() + std::chrono::milliseconds(kAnswerMs);
    while (Clock::now() < end && Alive()) {
      if (condition()) return true;
      CloseMessageWindows();
      Sleep(10);
    }
    return condition();
  }

  // Nothing modal open: the main window takes input, as it must before a person's click.
  bool MainReady() {
    return WaitClosingMessages([&] {
      return IsWindowEnabled(main_) && FindWindows({"消息", "TFrmMsg", console_.Id(), false}).empty();
    });
  }

  // Opens a dialog with `open`, waits for its window, cancels it with the button `cancelId` and
  // waits until it is gone.
  bool DialogOnce(const char* caption, const char* className, const std::function<void()>& open, int cancelId,
                  long& count) {
    if (!MainReady()) return false;
    open();
    auto find = [&]() -> HWND {
      const std::vector<HWND> found = FindWindows({caption, className, console_.Id(), false});
      return found.empty() ? nullptr : found.front();
    };
    HWND dialog = nullptr;
    if (!WaitClosingMessages([&] { return (dialog = find()) != nullptr; })) {
      faults_.push_back(std::string(className) + " did not open");
      return false;
    }
    // The button may be pressed while a message window sits over the dialog; press again then.
    if (!WaitClosingMessages([&] {
          if (!IsWindow(dialog)) return true;
          PressButton(dialog, cancelId);
          return WaitForNoWindow({caption, className, console_.Id(), false}, 500, 10);
        })) {
      faults_.push_back(std::string(className) + " did not close");
      return false;
    }
    ++count;
    return true;
  }

  bool LinkDialogOnce() {
    // Entry 1 has no link: its number blinks.
    return DialogOnce("数据库连接", "TFrmDBLink", [&] { DoubleClickRow(grid_, 1); }, dblink_form::kBtnCancel,
                      day_.linkDialogs);
  }

  bool CustomerDialogOnce() {
    const int row = 2 + static_cast<int>(day_.customerDialogs % 3);  // a connected entry
    return DialogOnce("修改客户信息", "TModeInfoFrm",
                      [&] {
                        SelectRows(grid_, row, row);
                        PressButton(main_, "修改客户");
                      },
                      modeinfo_form::kButton2, day_.customerDialogs);
  }

  bool Quiet() {
    for (const char* className : {"TFrmMsg", "TFrmDBLink", "TModeInfoFrm", "#32770", "TFormPro"}) {
      if (!FindWindows({"", className, console_.Id(), false}).empty()) return false;
    }
    return true;
  }

  // One sample, taken while no window of the console but the main window is open.
  bool TakeSample() {
    static const UINT probeMessage = RegisterWindowMessageW(kProbeMessage);
    for (int attempt = 0; attempt < 20; ++attempt) {
      if (!CloseMessageWindows() || !Alive()) return false;
      if (!Quiet()) {
        Sleep(20);
        continue;
      }
      const LONG request = ++request_;
      Post(main_, probeMessage, static_cast<WPARAM>(request));
      if (!WaitUntil([&] { return probe_->answered == request || !Alive(); }, kAnswerMs) || !Alive()) {
        faults_.push_back("the console did not answer the probe within " + std::to_string(kAnswerMs) + " ms");
        return false;
      }
      if (!Quiet()) continue;  // a message window came while the probe counted
      Sample sample;
      sample.seconds = Seconds();
      sample.blinks = ticks_->count[1];
      sample.refreshes = ticks_->count[3];
      sample.warnings = ticks_->count[4];
      sample.dialogs = day_.linkDialogs + day_.customerDialogs;
      const DWORD gdi = GetGuiResources(console_.Handle(), GR_GDIOBJECTS);
      const DWORD user = GetGuiResources(console_.Handle(), GR_USEROBJECTS);
      sample.gdi = gdi ? gdi : probe_->gdiObjects;
      sample.user = user ? user : probe_->windows + probe_->menus;
      sample.handles = probe_->kernelHandles;
      PROCESS_MEMORY_COUNTERS_EX memory{};
      memory.cb = sizeof memory;
      GetProcessMemoryInfo(console_.Handle(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
      sample.privateKiB = static_cast<long long>((memory.PrivateUsage ? memory.PrivateUsage : probe_->privateBytes) / 1024);
      if (samples_.empty()) {
        std::printf("GetGuiResources of the console: GDI %lu, USER %lu (error %lu)%s\n", static_cast<unsigned long>(gdi),
                    static_cast<unsigned long>(user), static_cast<unsigned long>(GetLastError()),
                    gdi ? "" : "; counted inside the console instead (soak_probe)");
        std::printf("GetProcessMemoryInfo of the console: PrivateUsage %llu, PagefileUsage %llu, WorkingSetSize %llu;"
                    " inside the console: %llu\n",
                    static_cast<unsigned long long>(memory.PrivateUsage),
                    static_cast<unsigned long long>(memory.PagefileUsage),
                    static_cast<unsigned long long>(memory.WorkingSetSize),
                    static_cast<unsigned long long>(probe_->privateBytes));
      }
      std::array<DWORD, ProbeAnswer::kGdiTypes> types{};
      for (unsigned type = 0; type < ProbeAnswer::kGdiTypes; ++type) types[type] = probe_->gdiByType[type];
      gdiTypes_.push_back(types);
      windows_.push_back(probe_->windows);
      samples_.push_back(sample);
      return true;
    }
    faults_.push_back("no quiet moment for a sample");
    return false;
  }

  DayCounts Reached() const {
    DayCounts reached = day_;
    reached.blinks = ticks_->count[1];
    reached.refreshes = ticks_->count[3];
    reached.warnings = ticks_->count[4];
    return reached;
  }

  Process console_;
  HWND main_ = nullptr;
  HWND grid_ = nullptr;
  Clock::time_point begun_;
  std::set<int> down_, previousDown_;
  int nextDown_ = 0;
  DayCounts day_;
  std::vector<std::string> faults_, unexpected_;
  std::vector<Sample> samples_;
  std::vector<std::array<DWORD, ProbeAnswer::kGdiTypes>> gdiTypes_;
  std::vector<DWORD> windows_;
  SharedView<TimerTicks> ticks_{e2e::kTimerTicksName};
  SharedView<ProbeAnswer> probe_{kProbeMappingName};
  LONG request_ = 0;
};

TEST_F(SoakTest, AWorkingDayLeavesTheConsolesObjectsAndMemoryFlat) {
  ASSERT_TRUE(ticks_ && probe_);
  const auto wallBegun = Clock::now();
  console_ = StartSoak();
  main_ = WaitMainWindow(console_);
  ASSERT_NE(main_, nullptr);
  // Hooked before the first show starts the timers.
  const DWORD thread = GetWindowThreadProcessId(main_, nullptr);
  Hook timerHook(TESHMAR_TIMER_HOOK, "TimerTickHook", thread);
  Hook probeHook(TESHMAR_SOAK_PROBE, "SoakProbeHook", thread);
  ASSERT_TRUE(timerHook && probeHook);
  ASSERT_TRUE(WaitFirstShow(main_));
  grid_ = Grid(main_);
  ASSERT_NE(grid_, nullptr);
  begun_ = Clock::now();
  ASSERT_TRUE(TakeSample()) << faults_.back();

  bool linkTurn = true;
  double nextSample = kSampleEverySeconds;
  while (Alive() && faults_.empty() && !Shortfalls(Reached(), kDay).empty() && Seconds() < kGiveUpSeconds) {
    if (Seconds() >= nextSample) {
      if (!TakeSample()) break;
      nextSample += kSampleEverySeconds;
    }
    const bool linkDue = day_.linkDialogs < kDay.linkDialogs;
    const bool customerDue = day_.customerDialogs < kDay.customerDialogs;
    if (linkDue && (linkTurn || !customerDue)) {
      LinkDialogOnce();
    } else if (customerDue) {
      CustomerDialogOnce();
    } else {
      CloseMessageWindows();
      Sleep(10);
    }
    linkTurn = !linkTurn;
  }
  const bool alive = Alive();
  if (alive) {
    CloseMessageWindows();
    TakeSample();
  }
  const DayCounts reached = Reached();
  const double wall = std::chrono::duration<double>(Clock::now() - wallBegun).count();

  std::printf("%s", SampleTable(samples_).c_str());
  std::printf("reached: %ld blink ticks, %ld refreshes (%ld refresh windows closed), %ld warnings (%ld warning "
              "windows closed), %ld link dialogs and %ld customer dialogs cancelled\n",
              reached.blinks, reached.refreshes, reached.refreshWindows, reached.warnings, reached.warningWindows,
              reached.linkDialogs, reached.customerDialogs);
  std::printf("soak %.1f s after the first show, %.1f s wall time in all\n", Seconds(), wall);

  EXPECT_TRUE(alive) << "the console ended during the day";
  for (const std::string& fault : faults_) ADD_FAILURE() << fault;
  for (const std::string& text : unexpected_) ADD_FAILURE() << "unexpected message: " << text;
  for (const std::string& missing : Shortfalls(reached, kDay)) ADD_FAILURE() << "not reached: " << missing;
  const Flatness flat = JudgeFlatness(samples_);
  for (const std::string& fault : flat.faults) ADD_FAILURE() << fault;
  if (!flat.faults.empty() && flat.end < gdiTypes_.size()) {
    std::printf("GDI objects by type at warm-up and end (type: count):");
    for (unsigned type = 1; type < ProbeAnswer::kGdiTypes; ++type) {
      std::printf(" %u: %lu->%lu", type, static_cast<unsigned long>(gdiTypes_[flat.warm][type]),
                  static_cast<unsigned long>(gdiTypes_[flat.end][type]));
    }
    std::printf("; windows %lu->%lu\n", static_cast<unsigned long>(windows_[flat.warm]),
                static_cast<unsigned long>(windows_[flat.end]));
  }
  if (!samples_.empty()) {
    std::printf("compared: warm-up at %.1f s, middle at %.1f s, end at %.1f s\n", samples_[flat.warm].seconds,
                samples_[flat.middle].seconds, samples_[flat.end].seconds);
  }
}

}  // namespace
}  // namespace teshmar::soak
