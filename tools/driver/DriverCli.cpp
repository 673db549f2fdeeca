// teshmar-driver: the end-to-end driver's abilities for scripts and manual use.
// Exit code 0: done (or: yes); 1: not found, timed out or no; 2: bad usage or a failed step.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tools/driver/Driver.h"
#include "win/Wide.h"

namespace teshmar::driver {
namespace {

constexpr const char* kUsage =
    "usage: teshmar-driver COMMAND [options]\n"
    "window options: --hwnd H | [--caption T] [--class C] [--pid N] [--hidden] [--timeout MS]\n"
    "  launch PROGRAM [--dir D] [--show N] [-- ARG...]   start detached, print the process id\n"
    "  wait-window                  print handle, process id, class and caption of the window\n"
    "  texts                        print the window and every child: handle id class visible enabled rect text\n"
    "  press (--id N | --button T)  click a button of the window (BM_CLICK, posted)\n"
    "  post --msg N [--wparam N] [--lparam N]\n"
    "  send --msg N [--wparam N] [--lparam N]   print the result\n"
    "  minimise                     post WM_SYSCOMMAND SC_MINIMIZE\n"
    "  visible                      exit 0 when the window (its taskbar button) is visible\n"
    "  wait-exit --pid N [--timeout MS]   print the exit code\n"
    "  screenshot --out FILE.png [window options: that window; none: the whole screen]\n"
    "  pixel --x N --y N            print the screen colour as RRGGBB\n"
    "  tray-icon --id N             exit 0 when the window's tray icon exists\n";

struct Usage : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Args {
  std::string command;
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;

  bool Has(const std::string& key) const { return options.count(key) > 0; }
  std::string Text(const std::string& key) const {
    const auto it = options.find(key);
    if (it == options.end()) throw Usage("missing --" + key);
    return it->second;
  }
  long long Number(const std::string& key, std::optional<long long> fallback = std::nullopt) const {
    if (!Has(key)) {
      if (fallback) return *fallback;
      throw Usage("missing --" + key);
    }
    const std::string text = Text(key);
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 0);  // decimal, or 0x... hexadecimal
    if (text.empty() || *end != '\0') throw Usage("--" + key + " needs a number, not \"" + text + "\"");
    return value;
  }
};

Args Parse(const std::vector<std::string>& argv) {
  Args args;
  if (argv.size() < 2) throw Usage("no command");
  args.command = argv[1];
  for (std::size_t i = 2; i < argv.size(); ++i) {
    const std::string& a = argv[i];
    if (a == "--") {  // the rest goes to the launched program unread
      args.positional.insert(args.positional.end(), argv.begin() + static_cast<std::ptrdiff_t>(i) + 1, argv.end());
      break;
    }
    if (a == "--hidden") {
      args.options.emplace(a.substr(2), std::string());  // a flag: present, no value
    } else if (a.starts_with("--")) {
      if (i + 1 >= argv.size()) throw Usage("no value after " + a);
      args.options[a.substr(2)] = argv[++i];
    } else {
      args.positional.push_back(a);
    }
  }
  return args;
}

bool NamesWindow(const Args& a) { return a.Has("hwnd") || a.Has("caption") || a.Has("class") || a.Has("pid"); }

DWORD Timeout(const Args& a) { return static_cast<DWORD>(a.Number("timeout", 10000)); }

// The window the options name, or nullptr when none appeared within the timeout.
HWND SelectWindow(const Args& a) {
  if (a.Has("hwnd")) {
    HWND h = reinterpret_cast<HWND>(static_cast<INT_PTR>(a.Number("hwnd")));
    return IsWindow(h) ? h : nullptr;
  }
  if (!NamesWindow(a)) throw Usage("name a window: --hwnd, --caption, --class or --pid");
  WindowQuery q;
  if (a.Has("caption")) q.caption = a.Text("caption");
  if (a.Has("class")) q.className = a.Text("class");
  q.pid = static_cast<DWORD>(a.Number("pid", 0));
  q.includeHidden = a.Has("hidden");
  return WaitForWindow(q, Timeout(a));
}

void Print(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

std::string Hex(HWND h) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "0x%llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(h)));
  return buffer;
}

std::string Line(const ControlInfo& c) {
  const RECT& r = c.parentRect;
  return Hex(c.hwnd) + "\t" + std::to_string(c.id) + "\t" + c.className + "\t" + (c.visible ? "visible" : "hidden") +
         "\t" + (c.enabled ? "enabled" : "disabled") + "\t" + std::to_string(r.left) + "," + std::to_string(r.top) +
         "," + std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top) + "\t" + c.text;
}

int NotFound(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  return 1;
}

int Run(const Args& a) {
  const std::string& cmd = a.command;
  if (cmd == "launch") {
    if (a.positional.empty()) throw Usage("launch needs a program");
    LaunchOptions o;
    o.program = a.positional[0];
    o.args.assign(a.positional.begin() + 1, a.positional.end());
    if (a.Has("dir")) o.workingDir = a.Text("dir");
    o.showState = static_cast<int>(a.Number("show", SW_SHOWNORMAL));
    Print(std::to_string(Launch(o).Detach()));
    return 0;
  }
  if (cmd == "wait-exit") {
    const auto code = WaitProcessExit(static_cast<DWORD>(a.Number("pid")), Timeout(a));
    if (!code) return NotFound("the process is still running");
    Print(std::to_string(*code));
    return 0;
  }
  if (cmd == "pixel") {
    char buffer[16];
    const COLORREF c = ScreenPixel(static_cast<int>(a.Number("x")), static_cast<int>(a.Number("y")));
    std::snprintf(buffer, sizeof buffer, "%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    Print(buffer);
    return 0;
  }
  if (cmd == "screenshot" && !NamesWindow(a)) {
    SavePng(CaptureScreen(), a.Text("out"));
    return 0;
  }

  const HWND window = SelectWindow(a);
  if (!window) return NotFound("no such window");
  if (cmd == "wait-window") {
    Print(Hex(window) + "\t" + std::to_string(ProcessOfWindow(window)) + "\t" + ClassName(window) + "\t" +
          WindowText(window));
    return 0;
  }
  if (cmd == "texts") {
    Print(Line(Describe(window)));
    for (const auto& c : ChildControls(window)) Print(Line(c));
    return 0;
  }
  if (cmd == "press") {
    const bool pressed = a.Has("id") ? PressButton(window, static_cast<int>(a.Number("id")))
                                     : PressButton(window, a.Text("button"));
    return pressed ? 0 : NotFound("no such button");
  }
  if (cmd == "post" || cmd == "send") {
    const auto msg = static_cast<UINT>(a.Number("msg"));
    const auto w = static_cast<WPARAM>(a.Number("wparam", 0));
    const auto l = static_cast<LPARAM>(a.Number("lparam", 0));
    if (cmd == "post") return Post(window, msg, w, l) ? 0 : NotFound("the message could not be posted");
    const auto result = SendWithTimeout(window, msg, w, l, Timeout(a));
    if (!result) return NotFound("the window did not answer");
    Print(std::to_string(*result));
    return 0;
  }
  if (cmd == "minimise") return PostMinimise(window) ? 0 : NotFound("the message could not be posted");
  if (cmd == "visible") return HasTaskbarButton(window) ? 0 : 1;
  if (cmd == "screenshot") {
    SavePng(CaptureWindow(window), a.Text("out"));
    return 0;
  }
  if (cmd == "tray-icon") return TrayIconExists(window, static_cast<UINT>(a.Number("id"))) ? 0 : 1;
  throw Usage("unknown command \"" + cmd + "\"");
}

std::vector<std::string> CommandLineArgs() {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 0; i < count; ++i) args.push_back(win::Narrow(wide[i]));
  LocalFree(wide);
  return args;
}

}  // namespace
}  // namespace teshmar::driver

int main() {
  using namespace teshmar::driver;
  try {
    return Run(Parse(CommandLineArgs()));
  } catch (const Usage& e) {
    std::fprintf(stderr, "%s\n%s", e.what(), std::string_view(e.what()) == "no command" ? kUsage : "run without arguments for usage\n");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
  }
  return 2;
}
