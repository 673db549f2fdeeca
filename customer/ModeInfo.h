#pragma once
#include <functional>
#include <string>
#include <vector>

#include "common/MessageBoxes.h"

namespace teshmar {

// The customer dialog's boxes that its work reads and writes.
enum class ModeInfoControl { GuestEd, CBProvince, CBCity, CBArea, AddrEd };

// How the dialog closed; Cancel also when it is closed from its title bar.
enum class ModeInfoResult { None = 0, OK = 1, Cancel = 2 };

// What the dialog's work asks of its window.
class IModeInfoView {
 public:
  virtual ~IModeInfoView() = default;
  virtual std::string Text(ModeInfoControl control) = 0;
  // Edit boxes only.
  virtual void SetText(ModeInfoControl control, const std::string& text) = 0;
  // Combo boxes: empties the list and the text.
  virtual void ClearBox(ModeInfoControl control) = 0;
  virtual void AddItems(ModeInfoControl control, const std::vector<std::string>& items) = 0;
  // Combo boxes: no item selected, and no text shown.
  virtual void SelectNone(ModeInfoControl control) = 0;
  // Combo boxes: selects the item equal to `text` by the platform's exact-string search (letter
  // case ignored), or none when there is no such item. Runs no change handler.
  virtual void SelectExact(ModeInfoControl control, const std::string& text) = 0;
  virtual void EndDialog(ModeInfoResult result) = 0;
};

// The customer dialog's work: a name and an address text turned into boxes and back. It touches
// no database.
class ModeInfoLogic {
 public:
  static constexpr const char* kCaption = "修改客户信息";
  static constexpr const char* kNameMissing = "客户名称不能为空!";
  static constexpr const char* kAddressIncomplete = "客户地址请填写完整!";
  // Values taken as they are.
  static constexpr int kModeAsIs = 1;
  // Saving requires a name and a province, city and street.
  static constexpr int kModeComplete = 2;

  ModeInfoLogic(IModeInfoView& view, IMessageBoxes& boxes) : view_(view), boxes_(boxes) {}

  void FormCreate();
  void FormShow();
  void CBProvinceChange();
  void CBCityChange();
  void Button1Click();
  void Button2Click();
  void FillCities(const std::string& provinceName);
  void FillAreas(const std::string& cityName);

  std::string FGuestName;
  std::string FGuestAddr;
  int FMode = kModeAsIs;
  // Whether the list file can hold a text, and its name for the operator; every text when not set.
  std::function<bool(const std::string&)> FCanStore;
  std::string FListFileName = "Entries.ini";

 private:
  std::string Trimmed(ModeInfoControl control);

  IModeInfoView& view_;
  IMessageBoxes& boxes_;
};

}  // namespace teshmar
