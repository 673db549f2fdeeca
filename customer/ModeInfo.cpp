#include "customer/ModeInfo.h"

#include "common/TextUtil.h"
#include "customer/ChinaArea.h"
#include "customer/CustomerRecord.h"

namespace teshmar {

std::string ModeInfoLogic::Trimmed(ModeInfoControl control) {
  // Only blanks and control characters go: an ideographic space inside "蓟　县" is part of the name.
  return TrimControl(view_.Text(control));
}

void ModeInfoLogic::FormCreate() {
  view_.ClearBox(ModeInfoControl::CBProvince);
  std::vector<std::string> names;
  names.reserve(ProvinceTable.size());
  for (const ProvinceRow& row : ProvinceTable) names.emplace_back(row.name);
  view_.AddItems(ModeInfoControl::CBProvince, names);
}

void ModeInfoLogic::FillCities(const std::string& provinceName) {
  if (provinceName.empty()) {
    view_.SelectNone(ModeInfoControl::CBCity);
    return;
  }
  view_.ClearBox(ModeInfoControl::CBCity);
  view_.ClearBox(ModeInfoControl::CBArea);
  view_.AddItems(ModeInfoControl::CBCity, CitiesOf(provinceName));
}

void ModeInfoLogic::FillAreas(const std::string& cityName) {
  if (cityName.empty()) {
    view_.SelectNone(ModeInfoControl::CBArea);
    return;
  }
  view_.ClearBox(ModeInfoControl::CBArea);
  view_.AddItems(ModeInfoControl::CBArea, AreasOf(cityName));
}

void ModeInfoLogic::FormShow() {
  view_.SetText(ModeInfoControl::GuestEd, FGuestName);
  const std::string province = SplitHead(FGuestAddr, ",");
  const std::string city = SplitHead(FGuestAddr, ",");
  const std::string county = SplitHead(FGuestAddr, ",");
  FillCities(province);
  FillAreas(city);
  view_.SelectExact(ModeInfoControl::CBProvince, province);
  view_.SelectExact(ModeInfoControl::CBCity, city);
  view_.SelectExact(ModeInfoControl::CBArea, county);
  // What is left is the street; FGuestAddr holds only that until saving.
  view_.SetText(ModeInfoControl::AddrEd, FGuestAddr);
}

void ModeInfoLogic::CBProvinceChange() { FillCities(Trimmed(ModeInfoControl::CBProvince)); }

void ModeInfoLogic::CBCityChange() { FillAreas(Trimmed(ModeInfoControl::CBCity)); }

void ModeInfoLogic::Button1Click() {
  if (FMode == kModeComplete) {
    if (Trimmed(ModeInfoControl::GuestEd).empty()) {
      boxes_.ShowPlain(kNameMissing);
      return;
    }
    // The county is not required: a city may have none.
    if (Trimmed(ModeInfoControl::CBProvince).empty() || Trimmed(ModeInfoControl::CBCity).empty() ||
        Trimmed(ModeInfoControl::AddrEd).empty()) {
      boxes_.ShowPlain(kAddressIncomplete);
      return;
    }
  }
  // Said while the input is still there: a text the list file cannot store would be refused
  // after the dialog closed, and everything typed lost.
  if (FCanStore) {
    const std::pair<ModeInfoControl, const char*> boxes[] = {
        {ModeInfoControl::GuestEd, "客户名称"}, {ModeInfoControl::CBProvince, "省"}, {ModeInfoControl::CBCity, "市"},
        {ModeInfoControl::CBArea, "县(区)"},    {ModeInfoControl::AddrEd, "街道"},
    };
    for (const auto& [control, name] : boxes) {
      if (FCanStore(Trimmed(control))) continue;
      boxes_.ShowPlain(std::string("“") + name + "”中有" + FListFileName + "无法保存的字符，请修改！");
      return;
    }
  }
  FGuestName = Trimmed(ModeInfoControl::GuestEd);
  FGuestAddr = Trimmed(ModeInfoControl::CBProvince) + "," + Trimmed(ModeInfoControl::CBCity) + "," +
               Trimmed(ModeInfoControl::CBArea) + "," + Trimmed(ModeInfoControl::AddrEd);
  view_.EndDialog(ModeInfoResult::OK);
}

void ModeInfoLogic::Button2Click() { view_.EndDialog(ModeInfoResult::Cancel); }

}  // namespace teshmar
