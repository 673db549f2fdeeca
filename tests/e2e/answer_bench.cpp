// How long the main window keeps another program waiting for an answer while the console's checks
// wait for servers that take 12 s, under Wine with the console built over the scripted database,
// beside an earlier build when one is given. Prints figures only.
//   first show: from the progress window to the refresh's message window;
//   periodic refresh: from a tick of Timer3 to the refresh's message window.
// Every 100 ms a message is sent with a time-out of 20 s; the slowest answer is printed.
// Usage: answer_bench.exe [baseline TeshmarScripted.exe]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "e2e/BenchSupport.h"

namespace {

using namespace teshmar::bench;

constexpr UINT kTimer3 = 3;

struct Answers {
  double slowestMs = 0;
  int samples = 0;
  bool ended = false;  // the message window came
};

// Sends to main until the console's message window shows, and keeps the slowest answer.
Answers SampleUntilMessage(const Process& process, HWND main, double limitMs) {
  Answers answers;
  const double start = Now();
  while (Now() - start < limitMs) {
    if (!FindWindows({"消息", "TFrmMsg", process.Id(), false}).empty()) {
      answers.ended = true;
      break;
    }
    const double sent = Now();
    DWORD_PTR result = 0;
    SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 20000, &result);
    answers.slowestMs = std::max(answers.slowestMs, Now() - sent);
    ++answers.samples;
    Sleep(100);
  }
  return answers;
}

void CloseMessage(const Process& process) {
  for (HWND message : FindWindows({"消息", "TFrmMsg", process.Id(), false})) PressButton(message, IDOK);
  Sleep(300);
}

void Print(const char* what, const char* console, const Answers& answers) {
  std::printf("%s, %s: slowest answer %.0f ms over %d samples%s\n", what, console, answers.slowestMs, answers.samples,
              answers.ended ? "" : " (the message window never came)");
  std::fflush(stdout);
}

void Measure(const char* name, const std::string& program, E2eSandbox& box) {
  Process process = Launch({program, {}, box.Dir(), SW_SHOWNORMAL});
  WaitForWindow({"消息显示窗体", "", process.Id(), false}, 20000, 5);
  HWND main = MainOf(process, "TMainForm");
  Print("first show, 2 entries, one taking 12 s", name, SampleUntilMessage(process, main, 40000));
  CloseMessage(process);
  Post(main, WM_TIMER, kTimer3, 0);
  Sleep(100);
  Print("periodic refresh, the same entries", name, SampleUntilMessage(process, main, 40000));
  CloseMessage(process);
  Close(process, main);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string baseline = argc > 1 ? argv[1] : "";
  E2eSandbox box("teshmar-answerbench");
  WriteFiles(box, 2, {2}, 12000);
  Measure("this build", box.CopyIn(UnixToWinePath(TESHMAR_SCRIPTED_EXE), "TeshmarScripted.exe"), box);
  if (!baseline.empty()) Measure("baseline", box.CopyIn(baseline, "Baseline.exe"), box);
  return 0;
}
