#pragma once
// The few ADO interfaces the console calls, declared here because MinGW's ADO headers do not
// compile as C++. Only the order of the entries matters to the binary contract: every entry is
// declared at its place in ADO's vtable, and the ones we never call keep a placeholder there.
// Slots 1 to 7 are IUnknown and IDispatch.
#include <windows.h>
#include <oaidl.h>

namespace teshmar::ado {

struct IAdoProperty;
struct IAdoField;
struct IAdoRecordset;

struct IAdoProperties : IDispatch {
  virtual HRESULT STDMETHODCALLTYPE Unused8() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused9() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused10() = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Item(VARIANT index, IAdoProperty** property) = 0;  // 11
};

struct IAdoProperty : IDispatch {
  virtual HRESULT STDMETHODCALLTYPE Unused8() = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Value(VARIANT value) = 0;  // 9
};

struct IAdoFields : IDispatch {
  virtual HRESULT STDMETHODCALLTYPE Unused8() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused9() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused10() = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Item(VARIANT index, IAdoField** field) = 0;  // 11
};

struct IAdoField : IDispatch {
  virtual HRESULT STDMETHODCALLTYPE Unused8() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused9() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused10() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused11() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused12() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused13() = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Value(VARIANT* value) = 0;  // 14
};

// _Connection
struct IAdoConnection : IDispatch {
  virtual HRESULT STDMETHODCALLTYPE get_Properties(IAdoProperties** properties) = 0;  // 8
  virtual HRESULT STDMETHODCALLTYPE Unused9() = 0;
  virtual HRESULT STDMETHODCALLTYPE put_ConnectionString(BSTR text) = 0;  // 10
  virtual HRESULT STDMETHODCALLTYPE Unused11() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused12() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused13() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused14() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused15() = 0;
  virtual HRESULT STDMETHODCALLTYPE Close() = 0;  // 16
  virtual HRESULT STDMETHODCALLTYPE Execute(BSTR command, VARIANT* recordsAffected, long options,
                                            IAdoRecordset** recordset) = 0;  // 17
  virtual HRESULT STDMETHODCALLTYPE Unused18() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused19() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused20() = 0;
  virtual HRESULT STDMETHODCALLTYPE Open(BSTR connectionString, BSTR userId, BSTR password, long options) = 0;  // 21
  virtual HRESULT STDMETHODCALLTYPE Unused22() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused23() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused24() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused25() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused26() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused27() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused28() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused29() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused30() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused31() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused32() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused33() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused34() = 0;
  virtual HRESULT STDMETHODCALLTYPE get_State(LONG* state) = 0;  // 35
};

// _Recordset
struct IAdoRecordset : IDispatch {
  virtual HRESULT STDMETHODCALLTYPE Unused8() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused9() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused10() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused11() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused12() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused13() = 0;
  virtual HRESULT STDMETHODCALLTYPE get_BOF(VARIANT_BOOL* bof) = 0;  // 14
  virtual HRESULT STDMETHODCALLTYPE Unused15() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused16() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused17() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused18() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused19() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused20() = 0;
  virtual HRESULT STDMETHODCALLTYPE get_EOF(VARIANT_BOOL* eof) = 0;  // 21
  virtual HRESULT STDMETHODCALLTYPE get_Fields(IAdoFields** fields) = 0;  // 22
  virtual HRESULT STDMETHODCALLTYPE Unused23() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused24() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused25() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused26() = 0;
  // ADO_LONGPTR: pointer-sized, 8 bytes in 64-bit processes.
  virtual HRESULT STDMETHODCALLTYPE get_RecordCount(LONG_PTR* count) = 0;  // 27
  virtual HRESULT STDMETHODCALLTYPE Unused28() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused29() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused30() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused31() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused32() = 0;
  virtual HRESULT STDMETHODCALLTYPE Close() = 0;  // 33
  virtual HRESULT STDMETHODCALLTYPE Unused34() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused35() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused36() = 0;
  virtual HRESULT STDMETHODCALLTYPE MoveNext() = 0;  // 37
  virtual HRESULT STDMETHODCALLTYPE Unused38() = 0;
  virtual HRESULT STDMETHODCALLTYPE MoveFirst() = 0;  // 39
  virtual HRESULT STDMETHODCALLTYPE Unused40() = 0;
  virtual HRESULT STDMETHODCALLTYPE Open(VARIANT source, VARIANT activeConnection, long cursorType, long lockType,
                                         LONG options) = 0;  // 41
  virtual HRESULT STDMETHODCALLTYPE Unused42() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused43() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused44() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused45() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused46() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused47() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused48() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused49() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused50() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused51() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused52() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused53() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused54() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused55() = 0;
  virtual HRESULT STDMETHODCALLTYPE get_State(LONG* state) = 0;  // 56
  virtual HRESULT STDMETHODCALLTYPE Unused57() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused58() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused59() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused60() = 0;
  virtual HRESULT STDMETHODCALLTYPE put_CursorLocation(long location) = 0;  // 61
  virtual HRESULT STDMETHODCALLTYPE Unused62() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused63() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused64() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused65() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused66() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused67() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused68() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused69() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused70() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused71() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused72() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused73() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused74() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused75() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused76() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused77() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused78() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused79() = 0;
  virtual HRESULT STDMETHODCALLTYPE Clone(long lockType, IAdoRecordset** clone) = 0;  // 80
};

// Interface ids of _Connection and _Recordset as ADO 2.x defined them, which every ADO since
// (and Wine's) still answers to; the ids that Windows 7 SP1 added are unknown to older ADO and to Wine.
inline constexpr GUID kIidConnection = {0x00000550, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
inline constexpr GUID kIidRecordset = {0x00000556, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};

// ADO's constants.
inline constexpr long adStateOpen = 1;
inline constexpr long adPromptNever = 4;
inline constexpr long adUseClient = 3;
inline constexpr long adOpenStatic = 3;
inline constexpr long adLockReadOnly = 1;
inline constexpr long adCmdText = 1;
inline constexpr long adExecuteNoRecords = 0x80;
inline constexpr long adConnectUnspecified = -1;

}  // namespace teshmar::ado
