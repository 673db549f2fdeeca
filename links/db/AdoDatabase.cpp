#include "links/db/AdoDatabase.h"

#include <objbase.h>

#include "links/db/AdoCom.h"
#include "links/db/AdoInterfaces.h"

namespace teshmar {

namespace {
using namespace ado;

template <typename T>
ComRef<T> CreateObject(const wchar_t* progId, const GUID& iid) {
  CLSID clsid;
  Check(CLSIDFromProgID(progId, &clsid), "CLSIDFromProgID");
  ComRef<T> object;
  Check(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, reinterpret_cast<void**>(object.Put())),
        "CoCreateInstance");
  return object;
}

template <typename T>
bool IsOpenState(const ComRef<T>& object) {
  LONG state = 0;
  HRESULT hr = object->get_State(&state);
  Discard(hr);
  return SUCCEEDED(hr) && (state & adStateOpen) != 0;
}

const char* const kClosed = "Operation is not allowed when the object is closed.";
const char* const kNoConnection =
    "The connection cannot be used to perform this operation. It is either closed or invalid in this context.";

class AdoQuery : public IQuery {
 public:
  explicit AdoQuery(ComRef<IAdoConnection> connection) : connection_(std::move(connection)) {}
  ~AdoQuery() override { Close(); }

  void Open(const std::string& sql) override {
    Close();
    RequireConnection();
    auto recordset = CreateObject<IAdoRecordset>(L"ADODB.Recordset", kIidRecordset);
    // A client-side static cursor knows its exact row count; a server-side forward-only one says -1.
    Check(recordset->put_CursorLocation(adUseClient), "CursorLocation");
    Variant source(sql), connection(static_cast<IDispatch*>(connection_.get()));
    Check(recordset->Open(source.get(), connection.get(), adOpenStatic, adLockReadOnly, adCmdText), "Recordset.Open");
    if (!IsOpenState(recordset)) throw DatabaseError("The statement gave no result set.");
    recordset_ = std::move(recordset);
  }

  void Execute(const std::string& sql) override {
    RequireConnection();
    Bstr command(sql);
    ComRef<IAdoRecordset> none;  // a closed recordset, released on the way out
    Check(connection_->Execute(command.get(), nullptr, adCmdText | adExecuteNoRecords, none.Put()), "Execute");
  }

  void Close() override {
    if (!recordset_) return;
    if (IsOpenState(recordset_)) Discard(recordset_->Close());
    recordset_.Reset();
  }

  bool IsOpen() const override { return static_cast<bool>(recordset_); }

  long RowCount() const override {
    LONG_PTR count = 0;
    Check(Recordset()->get_RecordCount(&count), "RecordCount");
    return count >= 0 ? static_cast<long>(count) : CountByWalking();
  }

  bool Eof() const override { return AtEnd(Recordset()); }

  void Next() override { Check(Recordset()->MoveNext(), "MoveNext"); }

  std::string Field(const std::string& column) const override {
    ComRef<IAdoFields> fields;
    Check(Recordset()->get_Fields(fields.Put()), "Fields");
    Variant name(column);
    ComRef<IAdoField> field;
    Check(fields->get_Item(name.get(), field.Put()), "Fields.Item");
    Variant value;
    Check(field->get_Value(value.Put()), "Field.Value");
    return value.Text();
  }

 private:
  // ADO would say the same; some ADO implementations (Wine's) fault on a closed connection instead.
  void RequireConnection() const {
    if (!IsOpenState(connection_)) throw DatabaseError(kNoConnection);
  }

  const ComRef<IAdoRecordset>& Recordset() const {
    if (!recordset_) throw DatabaseError(kClosed);
    return recordset_;
  }

  static bool AtEnd(const ComRef<IAdoRecordset>& recordset) {
    VARIANT_BOOL eof = VARIANT_FALSE;
    Check(recordset->get_EOF(&eof), "EOF");
    return eof != VARIANT_FALSE;
  }

  // For a provider that cannot tell: walk a clone, so the current row stays where it is.
  long CountByWalking() const {
    ComRef<IAdoRecordset> clone;
    Check(Recordset()->Clone(adLockReadOnly, clone.Put()), "Clone");
    VARIANT_BOOL bof = VARIANT_FALSE;
    Check(clone->get_BOF(&bof), "BOF");
    if (bof == VARIANT_FALSE || !AtEnd(clone)) Check(clone->MoveFirst(), "MoveFirst");
    long count = 0;
    for (; !AtEnd(clone); Check(clone->MoveNext(), "MoveNext")) ++count;
    Discard(clone->Close());
    return count;
  }

  ComRef<IAdoConnection> connection_;
  ComRef<IAdoRecordset> recordset_;
};

class AdoConnection : public IConnection {
 public:
  AdoConnection() : connection_(CreateObject<IAdoConnection>(L"ADODB.Connection", kIidConnection)) {}
  ~AdoConnection() override { Close(); }

  void Open(const std::string& connectionString) override {
    Close();
    connectionString_ = connectionString;
    Bstr text(connectionString), none{std::string()};
    Check(connection_->put_ConnectionString(text.get()), "ConnectionString");
    SetNoPrompt();
    Check(connection_->Open(text.get(), none.get(), none.get(), adConnectUnspecified), "Connection.Open");
  }

  void Close() override {
    if (IsOpenState(connection_)) Discard(connection_->Close());
  }

  bool IsOpen() const override { return IsOpenState(connection_); }
  std::string ConnectionString() const override { return connectionString_; }
  std::unique_ptr<IQuery> CreateQuery() override { return std::make_unique<AdoQuery>(connection_); }

 private:
  // The provider adds "Prompt" to the properties once the string names it. A provider without
  // the property cannot prompt either, and a missing provider fails to open anyway.
  void SetNoPrompt() {
    ComRef<IAdoProperties> properties;
    HRESULT hr = connection_->get_Properties(properties.Put());
    Discard(hr);
    if (FAILED(hr) || !properties) return;
    Variant name(std::string("Prompt"));
    ComRef<IAdoProperty> prompt;
    hr = properties->get_Item(name.get(), prompt.Put());
    Discard(hr);
    if (FAILED(hr) || !prompt) return;
    Variant never(adPromptNever);
    Discard(prompt->put_Value(never.get()));
  }

  ComRef<IAdoConnection> connection_;
  std::string connectionString_;
};

class AdoDatabase : public IDatabase {
 public:
  std::unique_ptr<IConnection> CreateConnection() override { return std::make_unique<AdoConnection>(); }
};
}  // namespace

std::unique_ptr<IDatabase> CreateAdoDatabase() { return std::make_unique<AdoDatabase>(); }

}  // namespace teshmar
