// A working day of the console in minutes. TeshmarSoak.exe is the console over the scripted database
// with every window timer of its main window divided by TESHMAR_SOAK_TIMER_DIVISOR (40, soak.cmake:
// blink every 25 ms, refresh and warning every 1.5 s). It is driven through blinks, refreshes with
// links going up and down, missing-link warnings and the two dialogs opened and cancelled, while its
// objects and memory are sampled from inside. The test fails on growth, on the console ending or
// hanging, and on the day's counts not being reached; never on how long anything took.
#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "customer/ModeInfoForm.h"
#include "e2e/GridConsoleFixture.h"
#include "e2e/TimerTicks.h"
#include "links/dialog/DBLinkForm.h"
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
// About as long as the day takes: some 90 refreshes of 1.5 s, 60 of them with a refresh window.
constexpr double kPaceSeconds = 130;
constexpr double kGiveUpSeconds = 540;  // the counts not reached by then are reported as missing

// The day. Refreshes and warnings come together (both timers run at the same interval), and a
// message window that is open drops the other's text, so the warning of a minute whose refresh has
// lines to show is often lost. Links therefore go down after every warning window and up after
// every refresh window, and the day lasts until both kinds reached their count (some 95 refreshes).
const DayCounts kDay{/*blinks*/ 3600,       /*refreshes*/ 60,    /*refreshWindows*/ 60,  /*warnings*/ 60,
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
    auto* proc =
        module_ ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(module_, procedure))) : nullptr;
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

  // The console's windows that come and go during the day, each closed as a person would close it.
  enum class Kind { Message, LinkDialog, CustomerDialog, MessageBox };
  struct OpenWindow {
    Kind kind;
    std::string text;  // a message window's or message box's text, read before it is closed
    Clock::time_point seen;
    Clock::time_point pressed;
    bool wasPressed = false;
    bool wasDisabled = false;  // a modal run inside its own
  };

  void NoteNewWindows() {
    struct Watched {
      const char* caption;
      const char* className;
      Kind kind;
    };
    static const Watched watched[] = {{"消息", "TFrmMsg", Kind::Message},
                                      {"数据库连接", "TFrmDBLink", Kind::LinkDialog},
                                      {"修改客户信息", "TModeInfoFrm", Kind::CustomerDialog},
                                      {"", "#32770", Kind::MessageBox}};
    for (const Watched& w : watched) {
      for (HWND window : FindWindows({w.caption, w.className, console_.Id(), false})) {
        if (open_.count(window)) continue;
        open_[window] = OpenWindow{w.kind, {}, Clock::now(), {}, false};
        if (pending_ && ((w.kind == Kind::LinkDialog && *pending_ == Kind::LinkDialog) ||
                         (w.kind == Kind::CustomerDialog && *pending_ == Kind::CustomerDialog))) {
          pending_.reset();
        }
      }
    }
  }

  // A window that is gone: counted, and after a message window the links move: down after a
  // warning, up after a refresh's lines.
  void Closed(const OpenWindow& window) {
    switch (window.kind) {
      case Kind::LinkDialog:
        ++day_.linkDialogs;
        break;
      case Kind::CustomerDialog:
        ++day_.customerDialogs;
        break;
      case Kind::MessageBox:
        unexpected_.push_back("message box: " + window.text);
        break;
      case Kind::Message: {
        std::set<int> named = down_;
        named.insert(previousDown_.begin(), previousDown_.end());
        if (window.text == kWarning) {
          ++day_.warningWindows;
          if (day_.refreshWindows < kDay.refreshWindows) TakeLinksDown();
        } else if (IsRefreshText(window.text, named)) {
          ++day_.refreshWindows;
          BringLinksUp();
        } else {
          unexpected_.push_back(window.text);
        }
        break;
      }
    }
  }

  // One look at the console's windows: new ones noted, closed ones counted, and the enabled ones
  // (the innermost modal run; an outer window waits, disabled) closed: a message window with "确定",
  // a dialog with its cancel button. A press that has not closed its window within a second is
  // repeated; a window that stays kAnswerMs is a fault.
  void Step() {
    NoteNewWindows();
    for (auto it = open_.begin(); it != open_.end();) {
      if (!IsWindow(it->first) || !IsWindowVisible(it->first)) {
        Closed(it->second);
        it = open_.erase(it);
      } else {
        ++it;
      }
    }
    const auto now = Clock::now();
    for (auto& [window, open] : open_) {
      if (now - open.seen > std::chrono::milliseconds(kAnswerMs)) {
        faults_.push_back("a window of the console stayed open: " + WindowText(window) + " " + open.text);
        return;
      }
      if (!IsWindowEnabled(window)) {
        if (open.kind == Kind::Message && !open.wasDisabled) ++nestedInMessages_;
        open.wasDisabled = true;
        continue;
      }
      if (open.wasPressed && now - open.pressed < std::chrono::seconds(1)) continue;
      if (open.kind == Kind::Message && open.text.empty()) {
        open.text = MessageWindowText(window);
        // Its text is put in as it shows; give it a moment.
        if (open.text.empty() && now - open.seen < std::chrono::seconds(1)) continue;
      }
      if (open.kind == Kind::MessageBox && open.text.empty()) open.text = MessageBoxText(window);
      const int button = open.kind == Kind::LinkDialog       ? dblink_form::kBtnCancel
                         : open.kind == Kind::CustomerDialog ? modeinfo_form::kButton2
                                                             : IDOK;
      PressButton(window, button);
      open.pressed = now;
      open.wasPressed = true;
    }
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

  // Nothing of the console open but the main window, which takes input, as before a person's click.
  // A click that comes while a refresh checks its links waits in the queue and may open its dialog
  // inside the message window that the refresh shows next; a person's click can do that too.
  bool Idle() { return open_.empty() && !pending_ && IsWindowEnabled(main_); }

  void OpenLinkDialog() {
    pending_ = Kind::LinkDialog;
    pendingSince_ = Clock::now();
    DoubleClickRow(grid_, 1);  // entry 1 has no link: its number blinks
  }

  void OpenCustomerDialog() {
    pending_ = Kind::CustomerDialog;
    pendingSince_ = Clock::now();
    const int row = 2 + static_cast<int>(day_.customerDialogs % 3);  // a connected entry
    SelectRows(grid_, row, row);
    PressButton(main_, "修改客户");
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
    if (!Alive() || !Quiet()) return false;
    const LONG request = ++request_;
    Post(main_, probeMessage, static_cast<WPARAM>(request));
    if (!WaitUntil([&] { return probe_->answered == request || !Alive(); }, kAnswerMs) || !Alive()) {
      faults_.push_back("the console did not answer the probe within " + std::to_string(kAnswerMs) + " ms");
      return false;
    }
    if (!Quiet()) return false;  // a window came while the probe counted: another time
    Sample sample;
    sample.seconds = Seconds();
    sample.blinks = ticks_->count[1];
    sample.refreshes = ticks_->count[3];
    sample.warnings = ticks_->count[4];
    sample.dialogs = day_.linkDialogs + day_.customerDialogs;
    SetLastError(0);
    const DWORD gdi = GetGuiResources(console_.Handle(), GR_GDIOBJECTS);
    const DWORD user = GetGuiResources(console_.Handle(), GR_USEROBJECTS);
    const DWORD guiError = GetLastError();
    if (gdi) {
      sample.gdi = gdi;
    } else {
      // Counted inside the console: window DCs and regions (Wine's cache of them) apart.
      sample.windowDcs = probe_->gdiByType[OBJ_DC] + probe_->gdiByType[OBJ_REGION];
      sample.gdi = probe_->gdiObjects - sample.windowDcs;
    }
    sample.user = user ? user : probe_->windows + probe_->menus;
    sample.handles = probe_->kernelHandles;
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(console_.Handle(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
    // Wine leaves PrivateUsage of another process at 0; the console's own GetProcessMemoryInfo
    // (PagefileUsage: its resident anonymous memory and swap) stands in.
    sample.privateKiB =
        static_cast<long long>((memory.PrivateUsage ? memory.PrivateUsage : probe_->privateBytes) / 1024);
    if (samples_.empty()) {
      std::printf("GetGuiResources of the console: GDI %lu, USER %lu (error %lu)%s\n", static_cast<unsigned long>(gdi),
                  static_cast<unsigned long>(user), static_cast<unsigned long>(guiError),
                  gdi ? "" : "; counted inside the console instead (soak_probe)");
      std::printf(
          "GetProcessMemoryInfo of the console: PrivateUsage %llu, PagefileUsage %llu, WorkingSetSize %llu;"
          " inside the console: %llu\n",
          static_cast<unsigned long long>(memory.PrivateUsage), static_cast<unsigned long long>(memory.PagefileUsage),
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
  std::map<HWND, OpenWindow> open_;
  std::optional<Kind> pending_;  // a dialog asked for and not seen yet
  Clock::time_point pendingSince_;
  long nestedInMessages_ = 0;  // message windows found with a dialog opened inside them
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

  bool linkTurn = true;
  double nextSample = 0;  // the first at the first quiet moment
  while (Alive() && faults_.empty() && Seconds() < kGiveUpSeconds &&
         !(Shortfalls(Reached(), kDay).empty() && open_.empty())) {
    Step();
    if (pending_ && Clock::now() - pendingSince_ > std::chrono::milliseconds(kAnswerMs)) {
      faults_.push_back(*pending_ == Kind::LinkDialog ? "the link dialog did not open"
                                                      : "the customer dialog did not open");
    }
    if (Idle()) {
      // The dialogs spread over the day, so every part of it has some, as samples of a leak need.
      const long dialogsDue =
          static_cast<long>((kDay.linkDialogs + kDay.customerDialogs) * std::min(1.0, (Seconds() + 1) / kPaceSeconds));
      const bool paced = day_.linkDialogs + day_.customerDialogs < dialogsDue;
      const bool linkDue = paced && day_.linkDialogs < kDay.linkDialogs;
      const bool customerDue = paced && day_.customerDialogs < kDay.customerDialogs;
      if (Seconds() >= nextSample) {
        if (TakeSample()) nextSample += kSampleEverySeconds;
      } else if (linkDue && (linkTurn || !customerDue)) {
        OpenLinkDialog();
        linkTurn = false;
      } else if (customerDue) {
        OpenCustomerDialog();
        linkTurn = true;
      }
    }
    Sleep(5);
  }
  const bool alive = Alive();
  // The end sample, at the first quiet moment.
  for (int attempt = 0; alive && faults_.empty() && attempt < 2000; ++attempt) {
    Step();
    if (Idle() && TakeSample()) break;
    Sleep(5);
  }
  // At the end of the day the grid still paints: entry 1's number, right of the digit, turns red.
  if (alive) {
    const POINT number = OnScreen(grid_, 35, e2e::RowMiddle(1) + 10);
    ScreenshotWhenDrawn("soak-end-of-day.png", [&](const RgbImage& screen) {
      return PixelAt(screen, number.x, number.y) == RGB(232, 0, 0);
    });
  }
  const DayCounts reached = Reached();
  const double wall = std::chrono::duration<double>(Clock::now() - wallBegun).count();

  std::printf("%s", SampleTable(samples_).c_str());
  std::printf(
      "reached: %ld blink ticks, %ld refreshes (%ld refresh windows closed), %ld warnings (%ld warning "
      "windows closed), %ld link dialogs and %ld customer dialogs cancelled\n",
      reached.blinks, reached.refreshes, reached.refreshWindows, reached.warnings, reached.warningWindows,
      reached.linkDialogs, reached.customerDialogs);
  std::printf("message windows with a dialog opened inside them (a click queued during a refresh): %ld\n",
              nestedInMessages_);
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
