// The link dialog itself under Wine: over the scripted database with a real settings file, and
// over ADO without a SQL Server provider.
#include "links/dialog/DBLinkForm.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/AppWindow.h"
#include "app/WinServices.h"
#include "links/db/AdoDatabase.h"
#include "links/db/ConnString.h"
#include "links/files/FileOps.h"
#include "links/files/SettingsFile.h"
#include "support/FakeDatabase.h"
#include "support/FakeMessageBoxes.h"
#include "win/Wide.h"
#include "WinTestSupport.h"

namespace teshmar {
namespace {

using namespace dblink_form;
using test::TimerScript;

const std::string kListing =
    "USE master  SELECT dbid, DB_NAME(dbid) AS DB_NAME FROM sysdatabases where DB_NAME(dbid) not in  "
    "('master','tempdb','model','msdb','pubs','Northwind') ORDER BY dbid ";
const std::string kStoreMarker = "select name from  sysobjects  where name='Base' ";
// "门店01" in code page 936, as the settings file holds it.
const std::string kStoreName936 = "\xC3\xC5\xB5\xEA" "01";

HWND DialogWindow() {
  HWND dialog = FindWindowW(kClassName, nullptr);
  return dialog && IsWindowVisible(dialog) ? dialog : nullptr;
}

HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }

std::string TextOf(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return win::Narrow(text);
}

bool IsChecked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

std::vector<std::string> ComboItems(HWND combo) {
  std::vector<std::string> items;
  const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    items.push_back(win::Narrow(text));
  }
  return items;
}

// The window the dialog sits over, as the main window does.
struct OwnerWindow {
  HWND hwnd = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE | WS_BORDER, 60, 40, 863, 543, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
  OwnerWindow() { app::SetMainWindow(hwnd); }
  ~OwnerWindow() {
    app::SetMainWindow(nullptr);
    DestroyWindow(hwnd);
  }
};

// A fresh directory for the settings file, removed afterwards.
struct TempDir {
  std::string path;
  TempDir() {
    char base[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    path = std::string(base) + "teshmar-dblink-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(GetTickCount());
    CreateDirectoryA(path.c_str(), nullptr);
  }
  ~TempDir() {
    DeleteFileA((path + "\\Quorvan.ini").c_str());
    RemoveDirectoryA(path.c_str());
  }
  std::string File() const { return path + "\\Quorvan.ini"; }
};

FileRead ReadBytes(const std::string& path) { return PlatformFileOps().Read(path); }
void WriteBytes(const std::string& path, const std::string& bytes) {
  ASSERT_EQ(PlatformFileOps().WriteNew(path, bytes), NewFileResult::Written);
}

// Connections that note, each time one opens, whether the wait cursor is up.
class CursorProbe : public IDatabase {
 public:
  explicit CursorProbe(IDatabase& inner) : inner_(inner) {}
  std::vector<bool> waitAtOpen;

  std::unique_ptr<IConnection> CreateConnection() override {
    return std::make_unique<Connection>(inner_.CreateConnection(), waitAtOpen);
  }

 private:
  class Connection : public IConnection {
   public:
    Connection(std::unique_ptr<IConnection> inner, std::vector<bool>& notes) : inner_(std::move(inner)), notes_(notes) {}
    void Open(const std::string& cs) override {
      notes_.push_back(GetCursor() == LoadCursorW(nullptr, IDC_WAIT));
      inner_->Open(cs);
    }
    void Close() override { inner_->Close(); }
    bool IsOpen() const override { return inner_->IsOpen(); }
    std::string ConnectionString() const override { return inner_->ConnectionString(); }
    std::unique_ptr<IQuery> CreateQuery() override { return inner_->CreateQuery(); }

   private:
    std::unique_ptr<IConnection> inner_;
    std::vector<bool>& notes_;
  };
  IDatabase& inner_;
};

// A left click on the arrow of a combo box, as the mouse gives it to the control (posted, so the
// combo box handles it in the dialog's own loop, like a click of the operator).
void ClickArrow(HWND combo) {
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  GetComboBoxInfo(combo, &info);
  const LPARAM at = MAKELPARAM((info.rcButton.left + info.rcButton.right) / 2,
                               (info.rcButton.top + info.rcButton.bottom) / 2);
  PostMessageW(combo, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(combo, WM_LBUTTONUP, 0, at);
}

// Runs the dialog for one entry; `steps` run one per timer tick once the dialog is on the screen,
// so messages posted by one step are handled before the next. A dialog still open after the last
// step is cancelled, and `leftOpen` says so.
struct DialogRun {
  bool result = false;
  bool leftOpen = false;
  bool ownerDisabledWhileOpen = false;
  std::string dbName = "unchanged";
};

DialogRun RunDialog(HWND owner, IDatabase& database, IEntryLinks& links, IMessageBoxes& boxes, int entryNo,
                    DatabaseKind kind, std::vector<std::function<void(HWND)>> steps) {
  DialogRun run;
  size_t next = 0;
  TimerScript script(40, [&] {
    HWND dialog = DialogWindow();
    if (!dialog) return true;
    run.ownerDisabledWhileOpen = !IsWindowEnabled(owner);
    if (next < steps.size()) {
      steps[next++](dialog);
      return true;
    }
    run.leftOpen = true;
    SendMessageW(Item(dialog, kBtnCancel), BM_CLICK, 0, 0);
    return false;
  });
  run.result = RunDBLinkDialog(owner, database, links, boxes, entryNo, kind, run.dbName);
  return run;
}

class DBLinkDialogTest : public ::testing::Test {
 protected:
  OwnerWindow owner;
  testing::FakeDatabase db;
  testing::FakeMessageBoxes boxes;
  TempDir dir;
  SettingsFile settings{PlatformFileOps(), dir.File()};
};

TEST_F(DBLinkDialogTest, OpensWithTheStoredSettingsInTheFormsLayout) {
  const std::string file = "[Item5]\r\nServername=10.1.2.3\r\nPort=2433\r\nDatabase=" + kStoreName936 +
                           "\r\nLogid=operator\r\nLogpass=secret\r\nConnType=1\r\n";
  WriteBytes(dir.File(), file);
  struct Seen {
    std::string caption, server, port, database, login, password, label, label3, label1, label6, label5, check1;
    bool portEnabled = true, serverEnabled = false, check1On = true, check2On = true, focusOnServer = false;
    LONG style = 0;
    RECT client{}, window{}, ownerRect{};
    wchar_t passwordChar = 0;
    LRESULT limit = 0;
    std::vector<int> tabOrder;
    std::string comboClass;
    LONG comboStyle = 0;
  } seen;
  DialogRun run = RunDialog(owner.hwnd, db, settings, boxes, 5, DatabaseKind::Erp, {[&](HWND d) {
    seen.caption = TextOf(d);
    seen.server = TextOf(Item(d, kCBServerIP));
    seen.port = TextOf(Item(d, kPortEd));
    seen.database = TextOf(Item(d, kCBDateDB));
    seen.login = TextOf(Item(d, kLogID));
    seen.password = TextOf(Item(d, kLogPwd));
    seen.label = TextOf(Item(d, kRzLabel4));
    seen.label3 = TextOf(Item(d, kRzLabel3));
    seen.label1 = TextOf(Item(d, kRzLabel1));
    seen.label6 = TextOf(Item(d, kRzLabel6));
    seen.label5 = TextOf(Item(d, kRzLabel5));
    seen.check1 = TextOf(Item(d, kCheckBox1));
    seen.portEnabled = IsWindowEnabled(Item(d, kPortEd));
    seen.serverEnabled = IsWindowEnabled(Item(d, kCBServerIP));
    seen.check1On = IsChecked(Item(d, kCheckBox1));
    seen.check2On = IsChecked(Item(d, kCheckBox2));
    seen.focusOnServer = GetFocus() == Item(d, kCBServerIP);
    seen.style = GetWindowLongW(d, GWL_STYLE);
    GetClientRect(d, &seen.client);
    GetWindowRect(d, &seen.window);
    GetWindowRect(owner.hwnd, &seen.ownerRect);
    seen.passwordChar = static_cast<wchar_t>(SendMessageW(Item(d, kLogPwd), EM_GETPASSWORDCHAR, 0, 0));
    seen.limit = SendMessageW(Item(d, kLogPwd), EM_GETLIMITTEXT, 0, 0);
    wchar_t name[32] = {};
    GetClassNameW(Item(d, kCBDateDB), name, 32);
    seen.comboClass = win::Narrow(name);
    seen.comboStyle = GetWindowLongW(Item(d, kCBDateDB), GWL_STYLE);
    // The tab order, all ten stops round once. The port box takes part once it is enabled.
    EnableWindow(Item(d, kPortEd), TRUE);
    HWND at = Item(d, kCBServerIP);
    for (int i = 0; i < 10; ++i) {
      seen.tabOrder.push_back(GetDlgCtrlID(at));
      at = GetNextDlgTabItem(d, at, FALSE);
    }
    EnableWindow(Item(d, kPortEd), FALSE);
  }});
  EXPECT_TRUE(run.leftOpen) << "no step closes it";
  EXPECT_FALSE(run.result);
  EXPECT_EQ(run.dbName, "unchanged");
  EXPECT_TRUE(run.ownerDisabledWhileOpen);
  EXPECT_TRUE(IsWindowEnabled(owner.hwnd));
  EXPECT_EQ(FindWindowW(kClassName, nullptr), nullptr) << "destroyed after the run";

  EXPECT_EQ(seen.caption, "数据库连接");
  EXPECT_EQ(seen.server, "10.1.2.3");
  EXPECT_EQ(seen.port, "2433");
  EXPECT_EQ(seen.database, "门店01");
  EXPECT_EQ(seen.login, "operator");
  EXPECT_EQ(seen.password, "secret");
  EXPECT_EQ(seen.label, "ERP数据库：");
  EXPECT_EQ(seen.label3, "服务器(IP)：");
  EXPECT_EQ(seen.label1, "端口：");
  EXPECT_EQ(seen.label6, "数据库账号：");
  EXPECT_EQ(seen.label5, "数据库密码：");
  EXPECT_EQ(seen.check1, "本机");
  EXPECT_FALSE(seen.portEnabled);
  EXPECT_TRUE(seen.serverEnabled);
  EXPECT_FALSE(seen.check1On);
  EXPECT_FALSE(seen.check2On);
  EXPECT_TRUE(seen.focusOnServer);
  EXPECT_TRUE(seen.style & WS_CAPTION);
  EXPECT_FALSE(seen.style & WS_SYSMENU) << "no title-bar buttons";
  EXPECT_FALSE(seen.style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  EXPECT_EQ(seen.client.right, 427);
  EXPECT_EQ(seen.client.bottom, 285);
  EXPECT_NEAR((seen.window.left + seen.window.right) / 2, (seen.ownerRect.left + seen.ownerRect.right) / 2, 1);
  EXPECT_NEAR((seen.window.top + seen.window.bottom) / 2, (seen.ownerRect.top + seen.ownerRect.bottom) / 2, 1);
  EXPECT_EQ(seen.passwordChar, L'*');
  EXPECT_EQ(seen.limit, 18);
  EXPECT_EQ(seen.comboClass, "ComboBox");
  EXPECT_EQ(seen.comboStyle & 3, CBS_DROPDOWN);
  EXPECT_EQ(seen.tabOrder, (std::vector<int>{kCBServerIP, kLogID, kLogPwd, kCBDateDB, kBtnOK, kBtnCancel, kCheckBox1,
                                             kRzBitBtn2, kCheckBox2, kPortEd}));
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(ReadBytes(dir.File()).bytes, file) << "Cancel writes nothing";
}

TEST_F(DBLinkDialogTest, CheckBoxesSwitchTheServerAndThePortBox) {
  struct State {
    std::string server;
    bool serverEnabled, portEnabled;
  };
  std::vector<State> states;
  auto note = [&](HWND d) {
    states.push_back({TextOf(Item(d, kCBServerIP)), IsWindowEnabled(Item(d, kCBServerIP)) != FALSE,
                      IsWindowEnabled(Item(d, kPortEd)) != FALSE});
  };
  auto click = [](int id) { return [id](HWND d) { SendMessageW(Item(d, id), BM_CLICK, 0, 0); }; };
  RunDialog(owner.hwnd, db, settings, boxes, 1, DatabaseKind::Store,
            {[&](HWND d) { SetWindowTextW(Item(d, kCBServerIP), L"10.9.8.7"); }, click(kCheckBox1), note,
             click(kCheckBox1), note, click(kCheckBox2), note, click(kCheckBox2), note});
  ASSERT_EQ(states.size(), 4u);
  EXPECT_EQ(states[0].server, "127.0.0.1");
  EXPECT_FALSE(states[0].serverEnabled);
  EXPECT_EQ(states[1].server, "127.0.0.1") << "clearing keeps the text";
  EXPECT_TRUE(states[1].serverEnabled);
  EXPECT_TRUE(states[2].portEnabled);
  EXPECT_FALSE(states[3].portEnabled);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(DBLinkDialogTest, DroppingTheListDownShowsTheServersDatabasesInOrder) {
  db.Answer(kListing, {{{"dbid", "5"}, {"DB_NAME", "门店B"}}, {{"dbid", "6"}, {"DB_NAME", "Alpha"}},
                       {{"dbid", "9"}, {"DB_NAME", "门店A"}}});
  std::vector<std::string> items;
  std::string text;
  bool dropped = false;
  CursorProbe probe(db);
  RunDialog(owner.hwnd, probe, settings, boxes, 1, DatabaseKind::Store,
            {[&](HWND d) {
               SetWindowTextW(Item(d, kCBServerIP), L" 10.0.0.7 ");
               SetWindowTextW(Item(d, kCBDateDB), L"typed");
               SendMessageW(Item(d, kCBDateDB), CB_SHOWDROPDOWN, TRUE, 0);
             },
             [&](HWND d) {
               dropped = SendMessageW(Item(d, kCBDateDB), CB_GETDROPPEDSTATE, 0, 0) != 0;
               items = ComboItems(Item(d, kCBDateDB));
               text = TextOf(Item(d, kCBDateDB));
               SendMessageW(Item(d, kCBDateDB), CB_SHOWDROPDOWN, FALSE, 0);
             }});
  EXPECT_TRUE(dropped);
  EXPECT_EQ(items, (std::vector<std::string>{"门店B", "Alpha", "门店A"}));
  EXPECT_EQ(text, "门店B");
  EXPECT_EQ(db.statements(), std::vector<std::string>{kListing});
  ASSERT_EQ(db.connectionStrings().size(), 1u);
  EXPECT_NE(db.connectionStrings()[0].find("User ID=sa;Password=;Data Source=10.0.0.7,1433;"), std::string::npos)
      << db.connectionStrings()[0];
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(probe.waitAtOpen, std::vector<bool>{true}) << "the wait cursor while it connects";
  EXPECT_TRUE(db.AllReleased()) << "the dialog's connections close with it";
}

TEST_F(DBLinkDialogTest, ClickingTheArrowFillsTheList) {
  db.Answer(kListing, {{{"DB_NAME", "Shop1"}}, {{"DB_NAME", "Shop2"}}});
  std::vector<std::string> items;
  bool dropped = false;
  RunDialog(owner.hwnd, db, settings, boxes, 1, DatabaseKind::Store,
            {[&](HWND d) {
               ClickArrow(Item(d, kCBDateDB));
             },
             [](HWND) {},
             [&](HWND d) {
               dropped = SendMessageW(Item(d, kCBDateDB), CB_GETDROPPEDSTATE, 0, 0) != 0;
               items = ComboItems(Item(d, kCBDateDB));
               RECT rect;
               GetWindowRect(d, &rect);
               rect.bottom += 60;  // the list below the form
               test::SaveScreenshot(rect, TESHMAR_SCREENSHOT_DIR, "link_dialog_list");
               SendMessageW(Item(d, kCBDateDB), CB_SHOWDROPDOWN, FALSE, 0);
             }});
  EXPECT_TRUE(dropped);
  EXPECT_EQ(items, (std::vector<std::string>{"Shop1", "Shop2"}));
  EXPECT_EQ(db.statements(), std::vector<std::string>{kListing});
}

TEST_F(DBLinkDialogTest, ClickingTheArrowWithAHostNameSaysSoAndAsksNoServer) {
  app::WinMessageBoxes realBoxes;
  std::string text;
  HWND boxOwner = nullptr;
  std::atomic<bool> stop{false};
  std::thread closer([&] {
    while (!stop) {
      HWND found = FindWindowW(L"#32770", L"Teshmar");
      if (found && IsWindowVisible(found)) {
        wchar_t shown[256] = {};
        GetDlgItemTextW(found, 0xFFFF, shown, 256);
        text = win::Narrow(shown);
        boxOwner = GetWindow(found, GW_OWNER);
        PostMessageW(found, WM_COMMAND, IDOK, 0);
        return;
      }
      Sleep(20);
    }
  });
  HWND dialogSeen = nullptr;
  bool answersAfterwards = false, mainDisabledAfterwards = false;
  RunDialog(owner.hwnd, db, settings, realBoxes, 1, DatabaseKind::Store,
            {[&](HWND d) {
               dialogSeen = d;
               SetWindowTextW(Item(d, kCBServerIP), L"localhost");
               ClickArrow(Item(d, kCBDateDB));
             },
             [](HWND) {}, [](HWND) {}, [](HWND) {},
             [&](HWND d) {
               SendMessageW(Item(d, kCBDateDB), CB_SHOWDROPDOWN, FALSE, 0);
               answersAfterwards = SendMessageW(Item(d, kCheckBox2), BM_CLICK, 0, 0) == 0 &&
                                   IsWindowEnabled(Item(d, kPortEd));
               mainDisabledAfterwards = !IsWindowEnabled(owner.hwnd);
             }});
  stop = true;
  closer.join();
  EXPECT_EQ(text, "请填写正确的服务器IP！");
  EXPECT_EQ(boxOwner, dialogSeen);
  EXPECT_TRUE(answersAfterwards);
  EXPECT_TRUE(mainDisabledAfterwards);
  EXPECT_TRUE(db.connectionStrings().empty());
}

TEST_F(DBLinkDialogTest, SavingWithAnEmptyServerSaysSoInABoxOwnedByTheDialog) {
  // The real message boxes: the box must belong to the dialog, so that closing it leaves the
  // main window disabled while the dialog still runs.
  app::WinMessageBoxes realBoxes;
  struct BoxSeen {
    std::string text, caption;
    HWND owner = nullptr;
    bool mainEnabledUnderBox = true;
  } box;
  std::atomic<bool> stop{false};
  std::thread closer([&] {
    while (!stop) {
      HWND found = FindWindowW(L"#32770", L"Teshmar");
      if (found && IsWindowVisible(found)) {
        Sleep(300);  // long enough to be drawn
        box.owner = GetWindow(found, GW_OWNER);
        wchar_t text[256] = {};
        GetDlgItemTextW(found, 0xFFFF, text, 256);
        box.text = win::Narrow(text);
        box.caption = "Teshmar";
        box.mainEnabledUnderBox = IsWindowEnabled(app::MainWindow()) != FALSE;
        RECT under, over;
        GetWindowRect(box.owner, &under);
        GetWindowRect(found, &over);
        UnionRect(&under, &under, &over);
        test::SaveScreenshot(under, TESHMAR_SCREENSHOT_DIR, "link_dialog_message");
        PostMessageW(found, WM_COMMAND, IDOK, 0);
        return;
      }
      Sleep(20);
    }
  });
  HWND dialogSeen = nullptr;
  bool mainEnabledAfter = true, focusOnServer = false, dialogEnabledAfter = false;
  DialogRun run = RunDialog(owner.hwnd, db, settings, realBoxes, 2, DatabaseKind::Store,
                            {[&](HWND d) {
                               dialogSeen = d;
                               SetWindowTextW(Item(d, kCBServerIP), L"   ");
                               SetFocus(Item(d, kBtnOK));
                               SendMessageW(Item(d, kBtnOK), BM_CLICK, 0, 0);  // returns once the box is closed
                               mainEnabledAfter = IsWindowEnabled(owner.hwnd) != FALSE;
                               dialogEnabledAfter = IsWindowEnabled(d) != FALSE;
                               focusOnServer = GetFocus() == Item(d, kCBServerIP);
                             },
                             [](HWND) {}});
  stop = true;
  closer.join();
  EXPECT_EQ(box.text, "请正确填写服务器IP！");
  EXPECT_EQ(box.owner, dialogSeen);
  EXPECT_FALSE(box.mainEnabledUnderBox);
  EXPECT_FALSE(mainEnabledAfter) << "the main window stays disabled while the dialog runs";
  EXPECT_TRUE(dialogEnabledAfter);
  EXPECT_TRUE(focusOnServer);
  EXPECT_TRUE(run.leftOpen) << "the dialog stays open after the message";
  EXPECT_FALSE(run.result);
  EXPECT_TRUE(IsWindowEnabled(owner.hwnd));
  EXPECT_EQ(ReadBytes(dir.File()).status, FileRead::Status::Missing);
}

// The operator switched to another program while "保 存" waited for the server: the box that
// follows still belongs to the dialog, so the dialog is disabled under it and cannot be saved twice.
TEST_F(DBLinkDialogTest, ABoxBelongsToTheDialogWhenAnotherProgramBecameActive) {
  app::WinMessageBoxes realBoxes;
  HWND boxOwner = nullptr;
  bool dialogEnabledUnderBox = true;
  HWND ownerChosen = nullptr;
  std::atomic<bool> clicked{false}, done{false};
  std::atomic<HWND> other{nullptr};
  // Another program's window, on a thread of its own, takes the activation during the wait.
  std::thread otherProgram([&] {
    HWND window = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                  nullptr, nullptr);
    other = window;
    bool switched = false;
    while (!done) {
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
      if (clicked && !switched) {
        Sleep(200);
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
        switched = true;

      }
      HWND found = FindWindowW(L"#32770", L"Teshmar");
      if (found && IsWindowVisible(found) && !boxOwner) {
        boxOwner = GetWindow(found, GW_OWNER);
        dialogEnabledUnderBox = boxOwner && IsWindowEnabled(boxOwner);
        PostMessageW(found, WM_COMMAND, IDOK, 0);
      }
      Sleep(10);
    }
    DestroyWindow(window);
  });
  while (!other) Sleep(10);
  db.DelayConnection(BuildConnString("10.0.0.1", "1433", "Db", "sa", "", 1), 1000);
  db.RefuseEveryConnection();
  HWND dialogSeen = nullptr;
  RunDialog(owner.hwnd, db, settings, realBoxes, 2, DatabaseKind::Store,
            {[&](HWND d) {
               dialogSeen = d;
               SetWindowTextW(Item(d, kCBServerIP), L"10.0.0.1");
               SetWindowTextW(Item(d, kLogID), L"sa");
               SetWindowTextW(Item(d, kLogPwd), L"");
               SetWindowTextW(Item(d, kCBDateDB), L"Db");
               clicked = true;
               SendMessageW(Item(d, kBtnOK), BM_CLICK, 0, 0);  // returns once the box is closed
               // Still another program's: the choice of the box's owner must not depend on it.
               ownerChosen = app::ApplicationBoxOwner();
             }});
  done = true;
  otherProgram.join();
  EXPECT_EQ(ownerChosen, dialogSeen);
  EXPECT_EQ(boxOwner, dialogSeen);
  EXPECT_FALSE(dialogEnabledUnderBox);
}

TEST_F(DBLinkDialogTest, ApplicationBoxesBelongToTheMainWindowWhenNoDialogRuns) {
  app::WinMessageBoxes realBoxes;
  HWND boxOwner = nullptr;
  std::thread closer([&] {
    for (int i = 0; i < 250; ++i) {
      HWND found = FindWindowW(L"#32770", L"Teshmar");
      if (found && IsWindowVisible(found)) {
        boxOwner = GetWindow(found, GW_OWNER);
        PostMessageW(found, WM_COMMAND, IDOK, 0);
        return;
      }
      Sleep(20);
    }
  });
  SetForegroundWindow(owner.hwnd);
  SetActiveWindow(owner.hwnd);
  realBoxes.ShowPlain("main");
  closer.join();
  EXPECT_EQ(boxOwner, owner.hwnd);
  EXPECT_TRUE(IsWindowEnabled(owner.hwnd));
}

TEST_F(DBLinkDialogTest, SavingAValidLinkWritesTheEntrysSection) {
  WriteBytes(dir.File(), "; kept\r\n[Item1]\r\nDatabase=other\r\n");
  db.Answer(kStoreMarker, {{{"name", "Base"}}});
  CursorProbe probe(db);
  DialogRun run = RunDialog(owner.hwnd, probe, settings, boxes, 3, DatabaseKind::Store,
                            {[&](HWND d) {
                               SetWindowTextW(Item(d, kCBServerIP), L" 10.0.0.7 ");
                               SetWindowTextW(Item(d, kCBDateDB), L"门店01");
                               SetWindowTextW(Item(d, kLogPwd), L"pw");
                               SendMessageW(Item(d, kCheckBox2), BM_CLICK, 0, 0);
                               SetWindowTextW(Item(d, kPortEd), L"");
                               SendMessageW(Item(d, kBtnOK), BM_CLICK, 0, 0);
                             }});
  EXPECT_TRUE(boxes.shown.empty()) << (boxes.shown.empty() ? "" : boxes.shown[0].text);
  EXPECT_FALSE(run.leftOpen);
  EXPECT_TRUE(run.result);
  EXPECT_EQ(run.dbName, "门店01");
  EXPECT_EQ(ReadBytes(dir.File()).bytes,
            "; kept\r\n[Item1]\r\nDatabase=other\r\n[Item3]\r\nServername=10.0.0.7\r\nPort=1433\r\nDatabase=" +
                kStoreName936 + "\r\nLogid=sa\r\nLogpass=pw\r\nConnType=1\r\n");
  EXPECT_EQ(probe.waitAtOpen, (std::vector<bool>{true, true})) << "the test's connection, then the kind check's";
  EXPECT_TRUE(db.AllReleased());
}

// A password typed with a character code page 936 lacks: said before the server is asked, with the
// focus on the box, the dialog open with its input and the settings file untouched.
TEST_F(DBLinkDialogTest, APasswordTheFileCannotStoreIsNamedAndNothingIsWritten) {
  const std::string before = "; kept\r\n[Item1]\r\nDatabase=other\r\n";
  WriteBytes(dir.File(), before);
  db.Answer(kStoreMarker, {{{"name", "Base"}}});
  bool focusOnPassword = false;
  std::wstring passwordAfter;
  DialogRun run = RunDialog(owner.hwnd, db, settings, boxes, 3, DatabaseKind::Store,
                            {[&](HWND d) {
                               SetWindowTextW(Item(d, kCBServerIP), L"10.0.0.7");
                               SetWindowTextW(Item(d, kCBDateDB), L"Store01");
                               SetWindowTextW(Item(d, kLogPwd), L"Se\u00f1or1");
                               SendMessageW(Item(d, kBtnOK), BM_CLICK, 0, 0);
                               focusOnPassword = GetFocus() == Item(d, kLogPwd);
                               wchar_t text[32] = {};
                               GetWindowTextW(Item(d, kLogPwd), text, 32);
                               passwordAfter = text;
                             }});
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "“数据库密码”中有Quorvan.ini无法保存的字符，请修改！");
  EXPECT_TRUE(focusOnPassword);
  EXPECT_EQ(passwordAfter, L"Se\u00f1or1");
  EXPECT_TRUE(run.leftOpen) << "the dialog stays open";
  EXPECT_TRUE(db.connectionStrings().empty()) << "the server was not asked";
  EXPECT_EQ(ReadBytes(dir.File()).bytes, before);
}

TEST_F(DBLinkDialogTest, EnterAndEscCloseNothing) {
  auto key = [](int id, WPARAM vk) {
    return [id, vk](HWND d) {
      HWND target = Item(d, id);
      if (id == kCBDateDB) target = GetWindow(target, GW_CHILD);  // the combo's own edit box
      SetFocus(target);
      PostMessageW(target, WM_KEYDOWN, vk, 1);
      PostMessageW(target, WM_KEYUP, vk, 0xC0000001);
    };
  };
  std::vector<std::function<void(HWND)>> steps;
  for (int id : {kCBServerIP, kLogID, kLogPwd, kCBDateDB}) {
    steps.push_back(key(id, VK_RETURN));
    steps.push_back(key(id, VK_ESCAPE));
  }
  // Esc is no "取 消" whatever has the focus.
  for (int id : {kBtnOK, kBtnCancel, kCheckBox1, kRzBitBtn2}) steps.push_back(key(id, VK_ESCAPE));
  bool stillThere = false;
  steps.push_back([&](HWND d) { stillThere = IsWindowVisible(d) != FALSE; });
  DialogRun run = RunDialog(owner.hwnd, db, settings, boxes, 1, DatabaseKind::Store, steps);
  EXPECT_TRUE(stillThere);
  EXPECT_TRUE(run.leftOpen);
  EXPECT_FALSE(run.result);
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_TRUE(db.connectionStrings().empty());
  EXPECT_EQ(ReadBytes(dir.File()).status, FileRead::Status::Missing);
}

TEST_F(DBLinkDialogTest, Screenshot) {
  WriteBytes(dir.File(), "[Item1]\r\nServername=192.168.1.20\r\nDatabase=" + kStoreName936 + "\r\nLogid=sa\r\n");
  bool saved = false;
  COLORREF background = 0, buttonFrame = 0, labelInk = RGB(255, 255, 255);
  RunDialog(owner.hwnd, db, settings, boxes, 1, DatabaseKind::Store,
            {[](HWND) {}, [](HWND) {}, [&](HWND d) {
               RedrawWindow(d, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
               RECT rect;
               GetWindowRect(d, &rect);
               saved = test::SaveScreenshot(rect, TESHMAR_SCREENSHOT_DIR, "link_dialog");
               POINT corner{4, 4};
               ClientToScreen(d, &corner);
               background = test::ScreenPixel(corner.x, corner.y);
               RECT button;
               GetWindowRect(Item(d, kBtnOK), &button);
               buttonFrame = test::ScreenPixel(button.left, (button.top + button.bottom) / 2);
               // the darkest pixel of the server label proves its text was drawn
               RECT label;
               GetWindowRect(Item(d, kRzLabel3), &label);
               for (int y = label.top; y < label.bottom; ++y) {
                 for (int x = label.left; x < label.right; ++x) {
                   const COLORREF c = test::ScreenPixel(x, y);
                   if (GetRValue(c) + GetGValue(c) + GetBValue(c) <
                       GetRValue(labelInk) + GetGValue(labelInk) + GetBValue(labelInk))
                     labelInk = c;
                 }
               }
             }});
  EXPECT_TRUE(saved);
  EXPECT_EQ(background, RGB(247, 246, 245));
  EXPECT_EQ(buttonFrame, RGB(0, 60, 116));
  EXPECT_LT(GetRValue(labelInk) + GetGValue(labelInk) + GetBValue(labelInk), 200);
}

// --- Over ADO, where no SQL Server provider is installed ---

class DBLinkAdoTest : public DBLinkDialogTest {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
  void TearDown() override { CoUninitialize(); }
};

TEST_F(DBLinkAdoTest, TestListAndSaveAnswerThatTheyCannotConnect) {
  const std::string file = "[Item1]\r\nServername=127.0.0.1\r\nDatabase=Shop\r\nLogid=sa\r\nLogpass=pw\r\n";
  WriteBytes(dir.File(), file);
  std::unique_ptr<IDatabase> ado = CreateAdoDatabase();
  std::vector<std::string> items;
  auto click = [](int id) { return [id](HWND d) { SendMessageW(Item(d, id), BM_CLICK, 0, 0); }; };
  DialogRun run = RunDialog(owner.hwnd, *ado, settings, boxes, 1, DatabaseKind::Store,
                            {click(kRzBitBtn2),
                             [](HWND d) { SendMessageW(Item(d, kCBDateDB), CB_SHOWDROPDOWN, TRUE, 0); },
                             [&](HWND d) {
                               SendMessageW(Item(d, kCBDateDB), CB_SHOWDROPDOWN, FALSE, 0);
                               items = ComboItems(Item(d, kCBDateDB));
                             },
                             click(kBtnOK)});
  std::vector<std::string> texts;
  for (const auto& shown : boxes.shown) texts.push_back(shown.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"数据库连接失败！", "数据库连接失败！",
                                             "数据库连接失败！请检查账号和密码是否正确！"}));
  EXPECT_TRUE(items.empty());
  EXPECT_TRUE(run.leftOpen);
  EXPECT_FALSE(run.result);
  EXPECT_EQ(ReadBytes(dir.File()).bytes, file) << "nothing written";
}

}  // namespace
}  // namespace teshmar
