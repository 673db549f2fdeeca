// A chain's size under Wine, with the console built over the scripted database, beside an earlier
// build of the same console when one is given, in the same run. Prints figures only.
//   first show: launch until row 1 shows the state its check found, for 20, 2000 and 9999
//               entries that all answer;
//   slow links: launch until the refresh's message window, for 1000 entries of which 250 take 2 s
//               to refuse, beside the same 1000 with one such entry.
// Usage: scale_bench.exe [baseline TeshmarScripted.exe] [limit s]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "e2e/BenchSupport.h"

namespace {

using namespace teshmar::bench;

struct Console {
  const char* name;
  std::string program;  // its copy in the sandbox
};

// Launch until the refresh's message window; -1 after limitMs.
double TimeToMessage(const std::string& program, const std::string& dir, double limitMs) {
  const double start = Now();
  Process process = Launch({program, {}, dir, SW_SHOWNORMAL});
  HWND message = WaitForWindow({"消息", "TFrmMsg", process.Id(), false}, static_cast<DWORD>(limitMs), 5);
  const double ms = Now() - start;
  if (message) PressButton(message, IDOK);
  Sleep(300);
  Close(process, MainOf(process, "TMainForm"));
  return message ? ms : -1;
}

std::string Figure(double ms) {
  char text[32];
  if (ms < 0) return "did not end";
  std::snprintf(text, sizeof text, "%.2f s", ms / 1000);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string baseline = argc > 1 ? argv[1] : "";
  const double limitMs = (argc > 2 ? std::atof(argv[2]) : 300) * 1000;
  E2eSandbox sandbox("teshmar-scalebench");
  std::vector<Console> consoles{{"this build", ""}};
  if (!baseline.empty()) consoles.push_back({"baseline", ""});
  auto copyIn = [&](E2eSandbox& box) {
    consoles[0].program = box.CopyIn(UnixToWinePath(TESHMAR_SCRIPTED_EXE), "TeshmarScripted.exe");
    if (consoles.size() > 1) consoles[1].program = box.CopyIn(baseline, "Baseline.exe");
  };

  for (int n : {20, 2000, 9999}) {
    E2eSandbox box("teshmar-scalebench-" + std::to_string(n));
    copyIn(box);
    WriteFiles(box, n, {});
    for (const Console& console : consoles) {
      const double ms = TimeToFirstStates(console.program, box.Dir(), limitMs);
      std::printf("first show, %4d entries all answering, %s: %s\n", n, console.name, Figure(ms).c_str());
      std::fflush(stdout);
    }
  }

  std::vector<int> quarter;
  for (int i = 3; i <= 1000; i += 4) quarter.push_back(i);
  for (const auto& [label, slow] : {std::pair<const char*, std::vector<int>>{"one slow", {500}}, {"250 slow", quarter}}) {
    E2eSandbox box("teshmar-scalebench-slow");
    copyIn(box);
    WriteFiles(box, 1000, slow);
    for (const Console& console : consoles) {
      const double ms = TimeToMessage(console.program, box.Dir(), limitMs);
      std::printf("first show, 1000 entries, %s of 2 s, %s: %s to the refresh's message\n", label, console.name,
                  Figure(ms).c_str());
      std::fflush(stdout);
    }
  }
  return 0;
}
