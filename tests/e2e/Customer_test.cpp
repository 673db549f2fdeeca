// The customer button end to end: the real Teshmar.exe (no provider here) and the console built
// with a scripted database.
#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "customer/ModeInfoForm.h"
#include "e2e/GridConsoleFixture.h"

namespace teshmar::e2e {
namespace {

class CustomerTest : public GridConsoleTest {
 protected:
  HWND WaitDialog(const Process& console, DWORD timeoutMs = kWait) {
    return WaitForWindow({"修改客户信息", "TModeInfoFrm", console.Id(), false}, timeoutMs);
  }
};

TEST_F(CustomerTest, WithoutAReachableDatabaseTheButtonSaysSoAndOpensNoDialog) {
  ProgramPath();
  sandbox_.WriteFile("Entries.ini", EntriesFile({{{"东城店", "广东省,东莞市,,东城路", "1"}}}));
  sandbox_.WriteFile("Quorvan.ini", LinkSection(1, "127.0.0.1", "Store01"));
  Process console = Start();
  // The first show's refresh reports the unreachable entry; close it first.
  HWND message = WaitMessageWindow(console);
  ASSERT_NE(message, nullptr);
  ASSERT_TRUE(PressButton(message, IDOK));
  ASSERT_TRUE(WaitForNoWindow({"消息", "TFrmMsg", 0, false}, kWait));
  HWND main = WaitMainWindow(console);
  ASSERT_NE(main, nullptr);
  const std::string entriesBefore = sandbox_.ReadFile("Entries.ini");

  ASSERT_TRUE(PressButton(main, "修改客户"));
  HWND box = WaitMessageBox(console);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(WindowText(box), "Teshmar");
  EXPECT_EQ(MessageBoxText(box), "数据库连接失败！");
  EXPECT_EQ(WaitDialog(console, 500), nullptr);
  Screenshot("customer-no-database.png");
  ASSERT_TRUE(PressButton(box, IDOK));
  EXPECT_TRUE(WaitForNoWindow({"", "#32770", console.Id(), false}, kWait));
  EXPECT_EQ(WaitDialog(console, 1000), nullptr) << "no dialog after the message either";
  EXPECT_TRUE(console.Running());
  EXPECT_EQ(sandbox_.ReadFile("Entries.ini"), entriesBefore);
}

const char kStore[] =
    "server 127.0.0.1\n"
    "  database Store01\n"
    "    table Base Name Addr\n"
    "      row Name=旧名 Addr=旧路\n";

TEST_F(CustomerTest, AnEditedCustomerIsStoredShownAndWrittenIntoBase) {
  sandbox_.WriteFile("Entries.ini", EntriesFile({{{"东城店", "广东省,东莞市,,东城路", "1"}}}));
  sandbox_.WriteFile("Quorvan.ini", LinkSection(1, "127.0.0.1", "Store01"));
  Process console = StartScripted(kStore);
  HWND main = WaitMainWindow(console);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitFirstShow(main));
  EXPECT_EQ(WaitMessageWindow(console, 1500), nullptr) << "entry 1 is linked and connects";

  ASSERT_TRUE(PressButton(main, "修改客户"));
  HWND dialog = WaitDialog(console);
  ASSERT_NE(dialog, nullptr);
  using namespace modeinfo_form;
  EXPECT_EQ(WindowText(FindControl(dialog, kGuestEd)), "东城店");
  EXPECT_EQ(WindowText(FindControl(dialog, kCBProvince)), "广东省");
  EXPECT_EQ(WindowText(FindControl(dialog, kCBCity)), "东莞市");
  EXPECT_EQ(WindowText(FindControl(dialog, kCBArea)), "");
  EXPECT_EQ(WindowText(FindControl(dialog, kAddrEd)), "东城路");
  ScreenshotWhenDrawn("customer-dialog.png", [&](const RgbImage& screen) {
    const RECT save = ScreenRect(FindControl(dialog, kButton1));
    const RECT frame = ScreenRect(dialog);
    return PixelAt(screen, save.left, (save.top + save.bottom) / 2) == RGB(0, 60, 116) &&
           PixelAt(screen, save.left - 6, (save.top + save.bottom) / 2) == RGB(247, 246, 245) &&
           frame.right - frame.left == 533;
  });

  ASSERT_TRUE(SetText(FindControl(dialog, kGuestEd), L"O'Brien 店"));
  ASSERT_TRUE(SetText(FindControl(dialog, kAddrEd), L"人民路 'A' 座"));
  ASSERT_TRUE(PressButton(dialog, kButton1));
  ASSERT_TRUE(WaitForNoWindow({"修改客户信息", "TModeInfoFrm", console.Id(), false}, kWait));

  HWND grid = Grid(main);
  SelectRows(grid, 1, 1);
  EXPECT_TRUE(WaitUntil([&] {
    return CopiedRows(grid) == kHeadings + "1\tO'Brien 店\t广东省,东莞市,,人民路 'A' 座\tStore01\t连接\r\n";
  })) << CopiedRows(grid);
  const std::string entries = sandbox_.ReadFile("Entries.ini");
  EXPECT_NE(entries.find(Cp936("Name=O'Brien 店\r\n")), std::string::npos) << entries;
  EXPECT_NE(entries.find(Cp936("Addr=广东省,东莞市,,人民路 'A' 座\r\n")), std::string::npos) << entries;
  const std::string record = sandbox_.ReadFile("ScriptedDb.record.txt");
  EXPECT_NE(record.find("open select * from Base \n"), std::string::npos) << record;
  EXPECT_NE(record.find("execute Update Base set Name='O''Brien 店',Addr='人民路 ''A'' 座' \n"), std::string::npos)
      << record;
  EXPECT_EQ(WaitMessageWindow(console, 500), nullptr);
  EXPECT_EQ(WaitForWindow({"", "#32770", console.Id(), false}, 1000), nullptr) << "nothing to report";
  EXPECT_TRUE(console.Running());
}

TEST_F(CustomerTest, ACancelledDialogWritesTheGridsValuesIntoBase) {
  sandbox_.WriteFile("Entries.ini", EntriesFile({{{"东城店", "广东省,东莞市,,东城路", "1"}}}));
  sandbox_.WriteFile("Quorvan.ini", LinkSection(1, "127.0.0.1", "Store01"));
  Process console = StartScripted(kStore);
  HWND main = WaitMainWindow(console);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitFirstShow(main));
  const std::string entriesBefore = sandbox_.ReadFile("Entries.ini");
  ASSERT_TRUE(PressButton(main, "修改客户"));
  HWND dialog = WaitDialog(console);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(SetText(FindControl(dialog, modeinfo_form::kGuestEd), L"不保存"));
  ASSERT_TRUE(PressButton(dialog, modeinfo_form::kButton2));
  ASSERT_TRUE(WaitForNoWindow({"修改客户信息", "TModeInfoFrm", console.Id(), false}, kWait));
  EXPECT_TRUE(WaitUntil([&] {
    return sandbox_.ReadFile("ScriptedDb.record.txt").find("execute Update Base set Name='东城店',Addr='东城路' \n") !=
           std::string::npos;
  })) << sandbox_.ReadFile("ScriptedDb.record.txt");
  EXPECT_EQ(sandbox_.ReadFile("Entries.ini"), entriesBefore);
}

}  // namespace
}  // namespace teshmar::e2e
