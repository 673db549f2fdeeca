// The console built with the scripted database (TeshmarScripted.exe), started as Teshmar.exe is.
#include <windows.h>

#include "e2e/ConsoleFixture.h"
#include "win/Wide.h"

namespace teshmar::e2e {
namespace {

using namespace driver;

// Sets an environment variable of this process (and so of the consoles it starts) for one scope.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const wchar_t* name, const std::string& value) : name_(name) {
    SetEnvironmentVariableW(name_, win::Widen(value).c_str());
  }
  ~ScopedEnvironment() { SetEnvironmentVariableW(name_, nullptr); }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  const wchar_t* name_;
};

class ScriptedConsoleTest : public ConsoleTest {
 protected:
  // The record is written as the console starts; wait until it says what it should.
  bool WaitRecord(const std::string& name, const std::string& expected) {
    return WaitUntil([&] { return Record(name) == expected; });
  }
  std::string Record(const std::string& name) { return sandbox_.Exists(name) ? sandbox_.ReadFile(name) : "<missing>"; }
};

TEST_F(ScriptedConsoleTest, StartsAndShowsItsMainWindowAsTeshmarDoes) {
  ProgramPath();
  sandbox_.WriteFile("ScriptedDb.txt",
                     "# two stores\r\nserver 10.0.0.1\r\n  database 东城店库\r\n    table Base\r\n"
                     "      row Name=东城店 Addr=东城路\r\n");
  Process console;
  HWND main = StartShown(console);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(WindowText(main), "Teshmar");
  RECT client{};
  GetClientRect(main, &client);
  EXPECT_EQ(client.right, 863);
  EXPECT_EQ(client.bottom, 543);
  // The script was read without complaint: the record beside the program exists and is empty
  // until the console asks the database something.
  EXPECT_TRUE(WaitRecord("ScriptedDb.record.txt", ""));
  EXPECT_FALSE(sandbox_.Exists("cwd\\ScriptedDb.record.txt"));

  Sleep(300);
  RECT frame{};
  GetWindowRect(main, &frame);
  RgbImage screen = CaptureScreen();
  SavePng(screen, UnixToWinePath(std::string(TESHMAR_SCREENSHOT_DIR) + "/scripted-console.png"));
  // Painted: the client area's lower right corner shows the window's face, not the empty desktop.
  POINT corner{client.right - 3, client.bottom - 3};
  ClientToScreen(main, &corner);
  EXPECT_EQ(PixelAt(screen, corner.x, corner.y), GetSysColor(COLOR_BTNFACE));
  // ...which the desktop beside the window is not, so the check above tells the two apart.
  ASSERT_GT(frame.left, 4);
  EXPECT_NE(PixelAt(screen, frame.left - 4, corner.y), GetSysColor(COLOR_BTNFACE));

  ASSERT_TRUE(PressButton(main, "关闭"));
  HWND box = WaitMessageBox(console);
  ASSERT_NE(box, nullptr);
  ASSERT_TRUE(PressButton(box, IDOK));
  EXPECT_EQ(console.WaitExit(kWait), std::optional<DWORD>(0));
}

TEST_F(ScriptedConsoleTest, ABadScriptBesideTheProgramIsNamedInTheRecordBesideIt) {
  ProgramPath();
  sandbox_.WriteFile("ScriptedDb.txt", "server 10.0.0.1\r\n  tabel Base\r\n");
  sandbox_.WriteFile("ScriptedDb.record.txt", "an earlier run\n");
  Process console;
  HWND main = StartShown(console);
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(WaitRecord("ScriptedDb.record.txt", "an earlier run\nerror " + sandbox_.Path("ScriptedDb.txt") +
                                                      ": line 2: unknown keyword 'tabel'\n"))
      << Record("ScriptedDb.record.txt");
}

TEST_F(ScriptedConsoleTest, TheEnvironmentNamesTheScriptAndTheRecord) {
  ProgramPath();
  sandbox_.WriteFile("ScriptedDb.txt", "bogus beside the program\r\n");
  const std::string script = sandbox_.WriteFile("脚本\\测试.txt", "server 10.0.0.1\r\n\r\n  databse Shop\r\n");
  ScopedEnvironment scriptVariable(L"TESHMAR_DB_SCRIPT", script);
  ScopedEnvironment recordVariable(L"TESHMAR_DB_RECORD", sandbox_.Path("脚本\\记录.txt"));
  Process console;
  HWND main = StartShown(console);
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(WaitRecord("脚本\\记录.txt", "error " + script + ": line 3: unknown keyword 'databse'\n"))
      << Record("脚本\\记录.txt");
  EXPECT_FALSE(sandbox_.Exists("ScriptedDb.record.txt"));
}

}  // namespace
}  // namespace teshmar::e2e
