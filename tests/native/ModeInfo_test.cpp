#include "customer/ModeInfo.h"

#include <gtest/gtest.h>

#include "common/Cp936.h"

#include <ostream>

#include <algorithm>
#include <map>

#include "common/TextUtil.h"
#include "customer/ChinaArea.h"
#include "support/FakeMessageBoxes.h"

namespace teshmar {
namespace {

using C = ModeInfoControl;
using testing::FakeMessageBoxes;

// The dialog's boxes in memory; a combo box keeps its list, its selection and its text, and the
// exact-string search ignores letter case as the platform's does.
class FakeModeInfoView : public IModeInfoView {
 public:
  struct Box {
    std::vector<std::string> items;
    int selected = -1;
    std::string text;
  };

  std::string Text(ModeInfoControl control) override { return boxes[control].text; }
  void SetText(ModeInfoControl control, const std::string& text) override { boxes[control].text = text; }
  void ClearBox(ModeInfoControl control) override { boxes[control] = Box{}; }
  void AddItems(ModeInfoControl control, const std::vector<std::string>& items) override {
    auto& list = boxes[control].items;
    list.insert(list.end(), items.begin(), items.end());
  }
  void SelectNone(ModeInfoControl control) override {
    boxes[control].selected = -1;
    boxes[control].text.clear();
  }
  void SelectExact(ModeInfoControl control, const std::string& text) override {
    Box& box = boxes[control];
    box.selected = -1;
    box.text.clear();
    for (size_t i = 0; i < box.items.size(); ++i) {
      if (EqualsIgnoreAsciiCase(box.items[i], text)) {
        box.selected = static_cast<int>(i);
        box.text = box.items[i];
        break;
      }
    }
  }
  void EndDialog(ModeInfoResult result) override { ended.push_back(result); }

  // The operator picks an item: the selection and the text change, then the box's change handler runs.
  void Pick(ModeInfoLogic& logic, ModeInfoControl control, const std::string& item) {
    Box& box = boxes[control];
    for (size_t i = 0; i < box.items.size(); ++i) {
      if (box.items[i] == item) {
        box.selected = static_cast<int>(i);
        box.text = item;
      }
    }
    ASSERT_EQ(box.text, item) << "no such item";
    Changed(logic, control);
  }
  // The operator types: the text changes, the selection goes, the change handler runs.
  void Type(ModeInfoLogic& logic, ModeInfoControl control, const std::string& text) {
    boxes[control].text = text;
    boxes[control].selected = -1;
    Changed(logic, control);
  }
  static void Changed(ModeInfoLogic& logic, ModeInfoControl control) {
    if (control == C::CBProvince) logic.CBProvinceChange();
    if (control == C::CBCity) logic.CBCityChange();
  }

  std::map<ModeInfoControl, Box> boxes;
  std::vector<ModeInfoResult> ended;
};

class ModeInfoTest : public ::testing::Test {
 protected:
  FakeModeInfoView view;
  FakeMessageBoxes boxes;
  ModeInfoLogic logic{view, boxes};

  // As the caller opens the dialog.
  void Open(const std::string& name, const std::string& address, int mode = ModeInfoLogic::kModeAsIs) {
    logic.FormCreate();
    logic.FGuestName = name;
    logic.FGuestAddr = address;
    logic.FMode = mode;
    logic.FormShow();
  }
  FakeModeInfoView::Box& Box(ModeInfoControl control) { return view.boxes[control]; }
};

TEST_F(ModeInfoTest, FormCreateListsEveryProvinceInTableOrder) {
  Box(C::CBProvince).items = {"left over"};
  logic.FormCreate();
  ASSERT_EQ(Box(C::CBProvince).items.size(), ProvinceTable.size());
  for (size_t i = 0; i < ProvinceTable.size(); ++i) EXPECT_EQ(Box(C::CBProvince).items[i], ProvinceTable[i].name);
  EXPECT_EQ(Box(C::CBProvince).items.front(), "北京市");
}

struct ShowCase {
  const char* label;
  std::string address;
  std::string province, city, county, street;
  bool cityListEmpty;
  bool countyListEmpty;
  std::string savedInModeOne;
};
void PrintTo(const ShowCase& c, std::ostream* out) { *out << c.label; }

class ModeInfoShowTest : public ModeInfoTest, public ::testing::WithParamInterface<ShowCase> {};

TEST_P(ModeInfoShowTest, OpensTheAddressInTheBoxesAndSavesItBack) {
  const ShowCase& c = GetParam();
  Open("东城店", c.address);
  EXPECT_EQ(Box(C::GuestEd).text, "东城店");
  EXPECT_EQ(Box(C::CBProvince).text, c.province);
  EXPECT_EQ(Box(C::CBCity).text, c.city);
  EXPECT_EQ(Box(C::CBArea).text, c.county);
  EXPECT_EQ(Box(C::AddrEd).text, c.street);
  EXPECT_EQ(Box(C::CBCity).items.empty(), c.cityListEmpty);
  EXPECT_EQ(Box(C::CBArea).items.empty(), c.countyListEmpty);
  EXPECT_EQ(logic.FGuestAddr, c.street) << "only the street is left after the show";

  logic.Button1Click();
  EXPECT_EQ(view.ended, std::vector<ModeInfoResult>{ModeInfoResult::OK});
  EXPECT_EQ(logic.FGuestName, "东城店");
  EXPECT_EQ(logic.FGuestAddr, c.savedInModeOne);
  EXPECT_TRUE(boxes.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, ModeInfoShowTest,
    ::testing::Values(
        ShowCase{"WithoutCounty", "广东省,东莞市,,东城路", "广东省", "东莞市", "", "东城路", false, true,
                 "广东省,东莞市,,东城路"},
        ShowCase{"Complete", "北京市,北京辖县,密云县,鼓楼大街1号", "北京市", "北京辖县", "密云县", "鼓楼大街1号", false,
                 false, "北京市,北京辖县,密云县,鼓楼大街1号"},
        ShowCase{"NoComma", "东城路88号", "", "", "", "东城路88号", true, true, ",,,东城路88号"},
        ShowCase{"StreetWithCommas", "广东省,东莞市,,东城路,3栋,2楼", "广东省", "东莞市", "", "东城路,3栋,2楼", false,
                 true, "广东省,东莞市,,东城路,3栋,2楼"},
        // The county list follows the city piece, whatever the province.
        ShowCase{"OfficialProvinceName", "内蒙古自治区,呼和浩特市,,新华大街", "", "", "", "新华大街", true, false,
                 ",,,新华大街"},
        ShowCase{"Empty", "", "", "", "", "", true, true, ",,,"},
        ShowCase{"CountyOfAnotherCity", "北京市,北京辖区,密云县,街", "北京市", "北京辖区", "", "街", false, false,
                 "北京市,北京辖区,,街"}),
    [](const ::testing::TestParamInfo<ShowCase>& info) { return std::string(info.param.label); });

TEST_F(ModeInfoTest, ShowingFillsTheListsButSelectsWithoutTheChangeHandlers) {
  // A county that belongs to another city: the lists follow the untrimmed pieces, nothing runs the
  // handlers, so the province's list of cities is there and the counties are those of the city piece.
  Open("店", "广东省,东莞市,,东城路");
  EXPECT_EQ(Box(C::CBCity).items, CitiesOf("广东省"));
  EXPECT_EQ(Box(C::CBCity).selected, static_cast<int>(std::find(Box(C::CBCity).items.begin(),
                                                                 Box(C::CBCity).items.end(), "东莞市") -
                                                       Box(C::CBCity).items.begin()));
  // A piece with blanks matches nothing and lists nothing: show does not trim.
  Open("店", " 广东省,东莞市,,路");
  EXPECT_EQ(Box(C::CBProvince).text, "");
  EXPECT_TRUE(Box(C::CBCity).items.empty());
}

TEST_F(ModeInfoTest, PickingCascadesProvinceCityCounty) {
  Open("", "广东省,东莞市,,东城路");
  view.Pick(logic, C::CBProvince, "北京市");
  EXPECT_EQ(Box(C::CBCity).items, (std::vector<std::string>{"北京辖区", "北京辖县"}));
  EXPECT_EQ(Box(C::CBCity).text, "");
  EXPECT_TRUE(Box(C::CBArea).items.empty());
  EXPECT_EQ(Box(C::CBArea).text, "");
  view.Pick(logic, C::CBCity, "北京辖县");
  EXPECT_EQ(Box(C::CBArea).items, (std::vector<std::string>{"密云县", "延庆县"}));
  view.Pick(logic, C::CBArea, "延庆县");
  logic.Button1Click();
  EXPECT_EQ(logic.FGuestAddr, "北京市,北京辖县,延庆县,东城路");
}

TEST_F(ModeInfoTest, TypingRunsTheHandlersAtEveryKeystroke) {
  Open("", "广东省,东莞市,,东城路");
  view.Type(logic, C::CBProvince, "北");
  EXPECT_TRUE(Box(C::CBCity).items.empty()) << "no province of that name: both boxes empty";
  EXPECT_TRUE(Box(C::CBArea).items.empty());
  view.Type(logic, C::CBProvince, " 北京市 ");
  EXPECT_EQ(Box(C::CBCity).items, (std::vector<std::string>{"北京辖区", "北京辖县"})) << "trimmed";
  // Emptying the province keeps the city list and unselects the city.
  view.Pick(logic, C::CBCity, "北京辖区");
  view.Type(logic, C::CBProvince, "");
  EXPECT_EQ(Box(C::CBCity).items, (std::vector<std::string>{"北京辖区", "北京辖县"}));
  EXPECT_EQ(Box(C::CBCity).selected, -1);
  EXPECT_EQ(Box(C::CBCity).text, "");
  EXPECT_FALSE(Box(C::CBArea).items.empty()) << "the county list stays";
}

TEST_F(ModeInfoTest, ACountyLookupSearchesEveryCity) {
  Open("", "广东省,,,路");
  view.Type(logic, C::CBCity, "北京辖县");
  EXPECT_EQ(Box(C::CBArea).items, (std::vector<std::string>{"密云县", "延庆县"}));
  view.Pick(logic, C::CBArea, "密云县");
  view.Type(logic, C::CBCity, "");
  EXPECT_EQ(Box(C::CBArea).selected, -1);
  EXPECT_EQ(Box(C::CBArea).text, "");
  EXPECT_FALSE(Box(C::CBArea).items.empty());
}

TEST_F(ModeInfoTest, SavingTrimsBlanksAndKeepsTheIdeographicSpace) {
  Open("", "天津市,天津辖县,,路");
  ASSERT_NE(std::find(Box(C::CBArea).items.begin(), Box(C::CBArea).items.end(), "蓟　县"), Box(C::CBArea).items.end());
  view.Pick(logic, C::CBArea, "蓟　县");
  Box(C::GuestEd).text = " \t老店\r\n";
  Box(C::AddrEd).text = "  渔阳路　";
  logic.Button1Click();
  EXPECT_EQ(logic.FGuestName, "老店");
  EXPECT_EQ(logic.FGuestAddr, "天津市,天津辖县,蓟　县,渔阳路　");
}

struct ModeTwoCase {
  const char* label;
  std::string name, province, city, county, street;
  std::string message;  // empty: saved
  std::string saved;
};
void PrintTo(const ModeTwoCase& c, std::ostream* out) { *out << c.label; }

class ModeInfoModeTwoTest : public ModeInfoTest, public ::testing::WithParamInterface<ModeTwoCase> {};

TEST_P(ModeInfoModeTwoTest, ChecksInOrder) {
  const ModeTwoCase& c = GetParam();
  Open("old", "广东省,东莞市,,东城路", ModeInfoLogic::kModeComplete);
  Box(C::GuestEd).text = c.name;
  Box(C::CBProvince).text = c.province;
  Box(C::CBCity).text = c.city;
  Box(C::CBArea).text = c.county;
  Box(C::AddrEd).text = c.street;
  logic.Button1Click();
  if (c.message.empty()) {
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(view.ended, std::vector<ModeInfoResult>{ModeInfoResult::OK});
    EXPECT_EQ(logic.FGuestAddr, c.saved);
    return;
  }
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, c.message);
  EXPECT_EQ(boxes.shown[0].caption, "Teshmar");
  EXPECT_EQ(boxes.shown[0].flags, mb::kOk);
  EXPECT_TRUE(view.ended.empty()) << "the dialog stays open";
  EXPECT_EQ(logic.FGuestName, "old");
  EXPECT_EQ(logic.FGuestAddr, "东城路");
  EXPECT_EQ(Box(C::GuestEd).text, c.name) << "the operator's input stays";
}

INSTANTIATE_TEST_SUITE_P(
    Checks, ModeInfoModeTwoTest,
    ::testing::Values(
        ModeTwoCase{"NameFirst", "  ", "", "", "", "", "客户名称不能为空!", ""},
        ModeTwoCase{"NoProvince", "店", " ", "东莞市", "", "路", "客户地址请填写完整!", ""},
        ModeTwoCase{"NoCity", "店", "广东省", "", "", "路", "客户地址请填写完整!", ""},
        ModeTwoCase{"NoStreet", "店", "广东省", "东莞市", "", "\t", "客户地址请填写完整!", ""},
        ModeTwoCase{"CountyNotRequired", "店", "广东省", "东莞市", "", "东城路", "", "广东省,东莞市,,东城路"},
        ModeTwoCase{"Complete", "店", "北京市", "北京辖县", "密云县", "路", "", "北京市,北京辖县,密云县,路"}),
    [](const ::testing::TestParamInfo<ModeTwoCase>& info) { return std::string(info.param.label); });

TEST_F(ModeInfoTest, ModeOneSavesEverythingEmpty) {
  Open("", "");
  logic.Button1Click();
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(view.ended, std::vector<ModeInfoResult>{ModeInfoResult::OK});
  EXPECT_EQ(logic.FGuestName, "");
  EXPECT_EQ(logic.FGuestAddr, ",,,");
}

// A Korean name in a code page 936 list: said while the dialog is open, with the input kept.
TEST_F(ModeInfoTest, TextTheListCannotStoreKeepsTheDialogOpen) {
  const struct {
    C box;
    const char* name;
  } cases[] = {{C::GuestEd, "客户名称"}, {C::AddrEd, "街道"}, {C::CBCity, "市"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    boxes.shown.clear();
    view.ended.clear();
    Open("店", "广东省,东莞市,,东城路");
    logic.FCanStore = [](const std::string& text) { return Utf8ToCp936(text).has_value(); };
    Box(c.box).text = "김밥천국";
    logic.Button1Click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, std::string("“") + c.name + "”中有Entries.ini无法保存的字符，请修改！");
    EXPECT_TRUE(view.ended.empty()) << "the dialog stays open";
    EXPECT_EQ(Box(c.box).text, "김밥천국");
    EXPECT_EQ(logic.FGuestName, "店");
  }
}

TEST_F(ModeInfoTest, CancelHandsNothingBack) {
  Open("店", "广东省,东莞市,,东城路");
  Box(C::GuestEd).text = "新店";
  logic.Button2Click();
  EXPECT_EQ(view.ended, std::vector<ModeInfoResult>{ModeInfoResult::Cancel});
  EXPECT_EQ(logic.FGuestName, "店");
}

}  // namespace
}  // namespace teshmar
